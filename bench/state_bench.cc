// The time to save and to load a --state file, and its size, for a month
// with many users and pages: N users (default 1,000,000) and as many pages,
// each seen a few times, with a few log files marked.
//
//   vantrix_state_bench [N] [FOLDER]
//
// Prints the figures; the state is written in FOLDER (default the current
// one) and removed afterwards. Saving includes making the file durable.
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/directory_search.h"
#include "platform/file_replace.h"
#include "platform/resolver.h"
#include "run/run.h"
#include "run/state_file.h"
#include "run/state_sections.h"
#include "stats/hit_batch.h"

namespace {

// Wall-clock and processor seconds since a moment: on a shared machine the
// processor time tells what the work costs.
struct Clock {
  std::chrono::steady_clock::time_point wall = std::chrono::steady_clock::now();
  std::clock_t cpu = std::clock();
  std::string Since() const {
    char text[64];
    std::snprintf(text, sizeof text, "%.3f s (%.3f s of processor time)",
                  std::chrono::duration<double>(std::chrono::steady_clock::now() - wall).count(),
                  static_cast<double>(std::clock() - cpu) / CLOCKS_PER_SEC);
    return text;
  }
};

// Counts `n` users and `n` pages the way reading would: in batches.
void Fill(Statistics* stats, long n) {
  HitBatch batch(stats->hash_seed);
  std::string addresses;
  std::string paths;
  for (long i = 0; i < n; ++i) {
    if (i % 4096 == 0) {
      if (i != 0) CountHits(stats, batch);
      batch.Clear();
      NumberBatch(stats, &batch);
      addresses.clear();
      paths.clear();
      addresses.reserve(4096 * 16);
      paths.reserve(4096 * 40);
    }
    const std::size_t a = addresses.size();
    addresses += std::to_string(10 + i % 200) + "." + std::to_string(i / 65536 % 256) + "." +
                 std::to_string(i / 256 % 256) + "." + std::to_string(i % 256);
    const std::size_t p = paths.size();
    paths += "/shop/items/" + std::to_string(i * 7919 % 1000003) + "/page.htm";
    batch.Add(std::string_view(addresses).substr(a), std::string_view(paths).substr(p),
              static_cast<std::int32_t>(i % 5000), 1700000000 + i);
  }
  CountHits(stats, batch);
}

}  // namespace

int main(int argc, char** argv) {
  const long n = argc > 1 ? std::atol(argv[1]) : 1000000;
  const std::string folder = argc > 2 ? argv[2] : ".";
  const std::string path = folder + "/bench.state";

  Run saved(nullptr, nullptr, 0);
  saved.state.path = path.c_str();
  saved.state.filters = CountingOptionsOf(saved.options);
  Fill(&saved.stats, n);
  for (int i = 0; i < 31; ++i) {
    FileMark mark;
    mark.identity = {1, static_cast<std::uint64_t>(1000 + i)};
    mark.size = mark.offset = 100 << 20;
    saved.state.book.marks.push_back(mark);
  }

  Clock start;
  const std::string made = MakeState(saved);
  const std::string make = start.Since();
  {
    Run taken(nullptr, nullptr, 0);
    taken.state.filters = CountingOptionsOf(taken.options);
    start = Clock();
    if (!TakeState(&taken, made, "bench").empty()) return 1;
    std::printf("in memory: make %s, take %s\n", make.c_str(), start.Since().c_str());
  }

  start = Clock();
  if (!SaveState(&saved)) return 1;
  const std::string save = start.Since();

  std::FILE* file = std::fopen(path.c_str(), "rb");
  std::fseek(file, 0, SEEK_END);
  const long size = std::ftell(file);
  std::fclose(file);

  Run loaded(nullptr, nullptr, 0);
  loaded.state.path = path.c_str();
  loaded.err = stderr;
  start = Clock();
  if (!LoadState(&loaded)) return 1;
  const std::string load = start.Since();
  RemoveFile(path);

  std::printf("users %zu, pages %zu: state %.1f MB (%.1f bytes a record)\n"
              "save, made durable: %s\nload: %s\n",
              loaded.stats.users.size(), loaded.stats.pages.size(), size / 1e6,
              static_cast<double>(size) / static_cast<double>(2 * n), save.c_str(), load.c_str());
  return loaded.stats.users.size() == static_cast<std::size_t>(n) ? 0 : 1;
}
