#include "intake/log_file.h"

#include <cstring>

#include <fcntl.h>
#include <unistd.h>

#include "intake/decimal.h"
#include "intake/line_reader.h"
#include "intake/log_line.h"
#include "run/options.h"
#include "stats/records.h"
#include "texts.h"

namespace {

// Reads every line of `source` through the filter chain into the
// statistics.
void ReadLines(const Options& options, Statistics* stats, std::FILE* diag,
               ByteSource* source) {
  const LineFilters filters = CompileFilters(options);
  LineReader reader(source);
  LogFields fields;
  std::string_view piece;
  while (reader.Next(&piece)) {
    // The text of a line ends at its first NUL byte, if it has one.
    std::string_view line = piece;
    if (const void* nul = std::memchr(piece.data(), '\0', piece.size())) {
      line = piece.substr(0, static_cast<const char*>(nul) - piece.data());
    }

    if (options.DebugLevel > 5) {
      std::fputs("Log line: ", diag);
      std::fwrite(line.data(), 1, line.size(), diag);
      std::fputc('\n', diag);
    }

    TokenizeLine(line, &fields);
    LineVerdict verdict = FilterLine(fields, filters);
    if (verdict != LineVerdict::kAccepted) {
      if (options.DebugLevel != 0) WriteRejection(diag, verdict, fields, options);
      continue;
    }

    RecordHit(stats, options.Verbose, diag, fields.slot[kClientIp],
              fields.slot[kTarget], ReadDecimal(fields.slot[kServerBytes]),
              fields.slot[kDate], fields.slot[kTime]);
  }
}

}  // namespace

int ReadLogFile(const Options& options, Statistics* stats, std::FILE* diag,
                const char* path) {
  int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (options.Verbose || options.DebugLevel != 0) {
      std::fprintf(diag, texts::kUnableToOpen, options.ProgramName, path);
    }
    return 0;
  }
  if (options.Verbose) {
    std::fprintf(diag, texts::kProcessingFile, options.ProgramName, path);
  }
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  FileSource source(fd);
  ReadLines(options, stats, diag, &source);
  return 1;
}

void ReadLogText(const Options& options, Statistics* stats, std::FILE* diag,
                 std::string_view text) {
  TextSource source(text);
  ReadLines(options, stats, diag, &source);
}
