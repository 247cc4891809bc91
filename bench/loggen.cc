// vantrix_loggen: writes a generated IIS log to standard output.
//
//   vantrix_loggen --lines N --seed S [--shape realistic|users|paths]
//                  [--distinct N] [--start MM/DD/YY] [--days D]
//
// The same arguments give the same bytes on every machine.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "log_generator.h"

namespace {

const char kUsage[] =
    "usage: vantrix_loggen --lines N --seed S [--shape realistic|users|paths]\n"
    "                      [--distinct N] [--start MM/DD/YY] [--days D]\n"
    "  --lines N   lines to write (default 1000)\n"
    "  --seed S    seed of the random choices (default 1)\n"
    "  --shape     realistic: some 50,000 clients and 20,000 paths (default);\n"
    "              users: N distinct clients, one after another;\n"
    "              paths: N distinct paths, one after another\n"
    "  --distinct  N of the users and paths shapes (default 1,000,000,\n"
    "              at most 16,777,216)\n"
    "  --start     first day, year 00-37 (default 03/20/01)\n"
    "  --days D    days the lines cover (default one per 100,000 lines)\n";

int Usage() {
  std::fputs(kUsage, stderr);
  return 2;
}

// Reads a whole decimal text; false for anything else.
bool ReadNumber(const char* text, std::uint64_t max, std::uint64_t* value) {
  if (*text == '\0') return false;
  std::uint64_t n = 0;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p < '0' || *p > '9') return false;
    n = n * 10 + static_cast<std::uint64_t>(*p - '0');
    if (n > max) return false;
  }
  *value = n;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  LogGeneratorOptions options;
  for (int i = 1; i < argc; ++i) {
    const char* name = argv[i];
    if (i + 1 >= argc) return Usage();
    const char* value = argv[++i];
    bool ok;
    if (std::strcmp(name, "--lines") == 0) {
      ok = ReadNumber(value, std::uint64_t{1} << 40, &options.lines);
    } else if (std::strcmp(name, "--seed") == 0) {
      ok = ReadNumber(value, UINT64_MAX / 10, &options.seed);
    } else if (std::strcmp(name, "--distinct") == 0) {
      ok = ReadNumber(value, kMaxDistinct, &options.distinct) && options.distinct != 0;
    } else if (std::strcmp(name, "--days") == 0) {
      ok = ReadNumber(value, 100000, &options.days);
    } else if (std::strcmp(name, "--start") == 0) {
      ok = ParseStartDate(value, &options);
    } else if (std::strcmp(name, "--shape") == 0) {
      ok = true;
      if (std::strcmp(value, "realistic") == 0) {
        options.shape = LogShape::kRealistic;
      } else if (std::strcmp(value, "users") == 0) {
        options.shape = LogShape::kUsers;
      } else if (std::strcmp(value, "paths") == 0) {
        options.shape = LogShape::kPaths;
      } else {
        ok = false;
      }
    } else {
      ok = false;
    }
    if (!ok) {
      std::fprintf(stderr, "vantrix_loggen: bad option %s %s\n", name, value);
      return Usage();
    }
  }
  // The clock works with 32 bits of lines per day.
  if (options.days != 0 && options.lines / options.days >= (1u << 31)) {
    std::fputs("vantrix_loggen: too many lines per day\n", stderr);
    return 2;
  }

  // Lines gather in one buffer that is written in large blocks.
  constexpr std::size_t kBlock = std::size_t{1} << 20;
  std::string buffer;
  buffer.reserve(kBlock + 8192);
  LogGenerator generator(options);
  for (;;) {
    bool more = generator.NextLine(&buffer);
    if (buffer.size() >= kBlock || (!more && !buffer.empty())) {
      if (std::fwrite(buffer.data(), 1, buffer.size(), stdout) !=
          buffer.size()) {
        std::perror("vantrix_loggen: write");
        return 1;
      }
      buffer.clear();
    }
    if (!more) break;
  }
  if (std::fflush(stdout) != 0) {
    std::perror("vantrix_loggen: write");
    return 1;
  }
  return 0;
}
