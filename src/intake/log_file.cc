#include "intake/log_file.h"

#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "intake/decimal.h"
#include "intake/field_text.h"
#include "intake/gzip_source.h"
#include "intake/line_reader.h"
#include "intake/log_line.h"
#include "run/options.h"
#include "stats/records.h"
#include "texts.h"

namespace {

// The bytes of a file, with each block reported to the observer.
class ObservedFileSource : public FileSource {
 public:
  ObservedFileSource(int fd, ReadObserver* observer) : FileSource(fd), observer_(observer) {}
  long Read(char* buffer, std::size_t size) override {
    long n = FileSource::Read(buffer, size);
    if (n > 0 && observer_ != nullptr) observer_->BytesRead(static_cast<std::size_t>(n));
    return n;
  }

 private:
  ReadObserver* observer_;
};

// Reads every line of `source` through the filter chain into the
// statistics.
void ReadLines(const Options& options, Statistics* stats, std::FILE* diag,
               ByteSource* source) {
  const LineFilters filters = CompileFilters(options);
  LineReader reader(source);
  LogFields fields;
  std::string_view piece;
  while (reader.Next(&piece)) {
    // The text of a line ends at its first NUL byte, if it has one: the
    // echo prints it as a C string, and the tokenizer stops there.
    if (options.DebugLevel > 5) std::fprintf(diag, texts::kLogLine, FieldText(piece).text);

    TokenizeLine(piece, &fields);
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
                const char* path, ReadObserver* observer) {
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
  if (observer != nullptr) {
    struct stat info;
    observer->FileStarted(path, ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)
                                    ? static_cast<std::int64_t>(info.st_size)
                                    : -1);
  }

  ObservedFileSource file(fd, observer);
  if (!HasGzipSignature(fd)) {
    ReadLines(options, stats, diag, &file);
    return 1;
  }
  // A compressed file: the same lines, up to the end or the first damage.
  GzipSource gzip(&file);
  ReadLines(options, stats, diag, &gzip);
  if (gzip.damaged() && options.Verbose) {
    std::fprintf(diag, texts::kCompressedFileDamaged, options.ProgramName, path);
  }
  return 1;
}

void ReadLogText(const Options& options, Statistics* stats, std::FILE* diag,
                 std::string_view text) {
  TextSource source(text);
  ReadLines(options, stats, diag, &source);
}
