#include "intake/log_file.h"

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "intake/decimal.h"
#include "intake/field_text.h"
#include "intake/gzip_source.h"
#include "intake/line_reader.h"
#include "intake/log_line.h"
#include "intake/w3c_format.h"
#include "read_summary.h"
#include "run/options.h"
#include "stats/records.h"
#include "texts.h"

namespace {

// Files smaller than this are read on one thread: starting another costs
// more than it saves.
constexpr std::int64_t kParallelFrom = std::int64_t{4} << 20;

// The bytes of a file, with each block reported to the observer.
class ObservedFileSource : public FileSource {
 public:
  ObservedFileSource(int fd, ReadObserver* observer) : FileSource(fd), observer_(observer) {}
  long Read(char* buffer, std::size_t size) override {
    long n = FileSource::Read(buffer, size);
    if (n > 0 && observer_ != nullptr) observer_->BytesRead(static_cast<std::size_t>(n));
    if (n < 0) read_failed_ = true;
    return n;
  }
  bool read_failed() const { return read_failed_; }

 private:
  ReadObserver* observer_;
  bool read_failed_ = false;
};

// The log text the lines are cut from (a compressed file's once
// decompressed), with each block reported to the observer.
class ObservedTextSource : public ByteSource {
 public:
  ObservedTextSource(ByteSource* text, ReadObserver* observer)
      : text_(text), observer_(observer) {}
  long Read(char* buffer, std::size_t size) override {
    long n = text_->Read(buffer, size);
    if (n > 0 && observer_ != nullptr) observer_->TextRead(static_cast<std::size_t>(n));
    return n;
  }

 private:
  ByteSource* text_;
  ReadObserver* observer_;
};

// The line counts are kept per filter verdict.
static_assert(static_cast<int>(LineVerdict::kMissingParameter) + 1 == kLineVerdictCount);

// The format of one file as its lines so far tell it: the comma format, or
// the W3C extended format with the layout of its last "#Fields:" line.
struct FileFormat {
  bool first_line_seen = false;
  bool w3c = false;
  W3cLayout layout;

  // Takes note of a piece; true when it is a directive, not a data line.
  bool Note(std::string_view piece) {
    if (!first_line_seen) {
      first_line_seen = true;
      w3c = IsW3cFirstLine(piece);
    }
    if (!w3c || !IsW3cDirective(piece)) return false;
    ParseW3cFields(piece, &layout);
    return true;
  }
};

// Turns the pieces of a chunk into hits to count: tokenizing, the filter
// chain and the time stamp, with the chunk's line counts. Runs on any
// thread; writes to `diag` only under -d, which keeps the run on one thread.
class ChunkParser {
 public:
  ChunkParser(const Options& options, const LineFilters& filters, long seconds_west,
              std::FILE* diag)
      : options_(options), filters_(filters), time_cache_(seconds_west), diag_(diag) {}

  void Parse(const LineChunk& chunk, FileFormat* format, std::vector<HitInput>* hits,
             std::vector<std::string_view>* dates, LineCounts* counts) {
    hits->clear();
    dates->clear();
    LineCounts lines;
    lines.read = static_cast<std::int64_t>(chunk.pieces.size());
    for (std::string_view piece : chunk.pieces) {
      // The text of a line ends at its first NUL byte, if it has one: the
      // echo prints it as a C string, and the tokenizers stop there.
      if (options_.DebugLevel > 5) std::fprintf(diag_, texts::kLogLine, FieldText(piece).text);

      if (format->Note(piece)) {  // a directive: never a log line
        ++lines.directives;
        continue;
      }
      if (format->w3c) {
        TokenizeW3cLine(piece, format->layout, &fields_);
      } else {
        TokenizeLine(piece, &fields_);
      }
      const LineVerdict verdict = FilterLine(fields_, filters_);
      if (verdict != LineVerdict::kAccepted) {
        ++lines.rejected[static_cast<int>(verdict)];
        if (options_.DebugLevel != 0) WriteRejection(diag_, verdict, fields_, options_);
        continue;
      }

      const std::string_view address = fields_.slot[kClientIp];
      const std::string_view path = fields_.slot[kTarget];
      const std::string_view date = fields_.slot[kDate];
      const std::string_view time = fields_.slot[kTime];
      const TimeStamp t =
          format->w3c ? w3c_time_cache_.Convert(date, time) : time_cache_.Convert(date, time);
      ++(t == kRejectedDate ? lines.bad_dates : lines.counted);
      if (t == kRejectedDate && options_.DebugLevel != 0) {
        // Under -d each message of a line follows its echo at once, so the
        // bad date's is written here, not when the chunk's hits are
        // counted (-d keeps the read on one thread).
        if (options_.Verbose) std::fprintf(diag_, texts::kBadDate, FieldText(date).text);
        continue;
      }
      hits->push_back({address, t == kRejectedDate ? 0 : HashBytes(address), path,
                       t == kRejectedDate ? 0 : HashFoldedBytes(path),
                       ReadDecimal(fields_.slot[kServerBytes]), t});
      dates->push_back(date);
    }
    *counts = lines;
  }

 private:
  const Options& options_;
  const LineFilters& filters_;
  HitTimeCache time_cache_;
  W3cTimeCache w3c_time_cache_;
  std::FILE* diag_;
  LogFields fields_;
};

// Counts the parsed hits of one chunk, in order, and adds its line counts to
// `total`. A bad date drops its line, with its message under -v.
void CountHits(const Options& options, Statistics* stats, std::FILE* diag,
               const std::vector<HitInput>& hits, const std::vector<std::string_view>& dates,
               const LineCounts& counts, LineCounts* total) {
  total->Add(counts);
  // The lookups wait on memory more than on anything else: ask for the
  // index slots of a hit a few places ahead while counting this one.
  constexpr std::size_t kAhead = 8;
  for (std::size_t i = 0; i < hits.size(); ++i) {
    if (i + kAhead < hits.size()) {
      stats->user_index.Prefetch(hits[i + kAhead].address_hash);
      stats->page_index.Prefetch(hits[i + kAhead].path_hash);
    }
    if (hits[i].time == kRejectedDate) {
      if (options.Verbose) std::fprintf(diag, texts::kBadDate, FieldText(dates[i]).text);
      continue;
    }
    CountHit(stats, hits[i]);
  }
}

// One thread: read, parse and count each chunk in turn.
void ReadSerially(const Options& options, Statistics* stats, std::FILE* diag,
                  LineReader* reader, long seconds_west, LineCounts* lines) {
  const LineFilters filters = CompileFilters(options);
  ChunkParser parser(options, filters, seconds_west, diag);
  FileFormat format;
  LineChunk chunk;
  std::vector<HitInput> hits;
  std::vector<std::string_view> dates;
  LineCounts counts;
  while (reader->NextChunk(&chunk)) {
    parser.Parse(chunk, &format, &hits, &dates, &counts);
    CountHits(options, stats, diag, hits, dates, counts, lines);
  }
}

// Two threads: each takes the next chunk from the reader, parses it on its
// own, and counts it when every earlier chunk has been counted. The counts
// see the lines in file order, so the result is the one-thread result.
class ParallelRead {
 public:
  ParallelRead(const Options& options, Statistics* stats, std::FILE* diag, LineReader* reader,
               long seconds_west, LineCounts* lines)
      : options_(options),
        stats_(stats),
        diag_(diag),
        reader_(reader),
        seconds_west_(seconds_west),
        lines_(lines),
        filters_(CompileFilters(options)) {}

  void Run() {
    std::thread helper;
    try {
      helper = std::thread([this] { Work(); });
    } catch (const std::system_error&) {
      // No thread to be had (a tight memory limit, say): this one reads
      // every chunk alone, in the same order.
    }
    Work();
    if (helper.joinable()) helper.join();
    if (error_) std::rethrow_exception(error_);
  }

 private:
  void Work() {
    try {
      ChunkParser parser(options_, filters_, seconds_west_, diag_);
      LineChunk chunk;
      std::vector<HitInput> hits;
      std::vector<std::string_view> dates;
      LineCounts counts;
      for (;;) {
        FileFormat format;
        std::uint64_t turn;
        {
          // The reader hands out chunks in order, and knows the format at
          // each chunk's start from the chunks before it.
          std::lock_guard<std::mutex> lock(read_mutex_);
          if (failed_ || !reader_->NextChunk(&chunk)) return;
          turn = next_turn_++;
          format = format_;
          for (std::string_view piece : chunk.pieces) format_.Note(piece);
        }
        parser.Parse(chunk, &format, &hits, &dates, &counts);

        std::unique_lock<std::mutex> lock(count_mutex_);
        counted_.wait(lock, [&] { return failed_ || counting_turn_ == turn; });
        if (failed_) return;
        CountHits(options_, stats_, diag_, hits, dates, counts, lines_);
        ++counting_turn_;
        counted_.notify_all();
      }
    } catch (...) {
      std::lock_guard<std::mutex> lock(count_mutex_);
      if (!error_) error_ = std::current_exception();
      failed_ = true;
      counted_.notify_all();
    }
  }

  const Options& options_;
  Statistics* stats_;
  std::FILE* diag_;
  LineReader* reader_;
  long seconds_west_;
  LineCounts* lines_;  // guarded by count_mutex_
  const LineFilters filters_;

  std::mutex read_mutex_;
  std::uint64_t next_turn_ = 0;
  FileFormat format_;

  std::mutex count_mutex_;
  std::condition_variable counted_;
  std::uint64_t counting_turn_ = 0;
  std::exception_ptr error_;  // guarded by count_mutex_
  std::atomic<bool> failed_{false};
};

// Reads every line of `source` through the filter chain into the
// statistics, in parallel where it pays and keeps the output the same.
void ReadLines(const Options& options, Statistics* stats, std::FILE* diag, ByteSource* source,
               const ReadTuning& tuning, LineCounts* lines) {
  LineReader reader(source, tuning.chunk_size);
  const long seconds_west = stats->time_cache.seconds_west();
  // Under -d the messages of each line must come out in line order, which
  // only one thread gives.
  if (tuning.threads > 1 && options.DebugLevel == 0) {
    ParallelRead(options, stats, diag, &reader, seconds_west, lines).Run();
  } else {
    ReadSerially(options, stats, diag, &reader, seconds_west, lines);
  }
}

}  // namespace

int ReadLogFile(const Options& options, Statistics* stats, std::FILE* diag,
                const char* path, ReadObserver* observer, ReadSummary* summary) {
  int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    const int error = errno;
    if (options.Verbose || options.DebugLevel != 0) {
      std::fprintf(diag, texts::kUnableToOpen, options.ProgramName, path);
    }
    if (summary != nullptr) NoteUnopenedFile(summary, path, error);
    return 0;
  }
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  if (options.Verbose) {
    std::fprintf(diag, texts::kProcessingFile, options.ProgramName, path);
  }

  struct stat info;
  const std::int64_t size = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)
                                ? static_cast<std::int64_t>(info.st_size)
                                : -1;
  if (observer != nullptr) observer->FileStarted(path, size);

  // A small plain file is read on one thread; a compressed one may hold
  // any number of lines.
  const bool compressed = HasGzipSignature(fd);
  ReadTuning tuning;
  if (!compressed && size >= 0 && size < kParallelFrom) tuning.threads = 1;

  ObservedFileSource file(fd, observer);
  // A compressed file: the same lines, up to the end or the first damage.
  std::unique_ptr<GzipSource> gzip;
  if (compressed) gzip = std::make_unique<GzipSource>(&file);
  ObservedTextSource text(gzip ? static_cast<ByteSource*>(gzip.get()) : &file, observer);
  LineCounts lines;
  ReadLines(options, stats, diag, &text, tuning, &lines);
  const bool damaged = gzip && gzip->damaged();
  if (damaged && options.Verbose) {
    std::fprintf(diag, texts::kCompressedFileDamaged, options.ProgramName, path);
  }
  if (summary != nullptr) {
    NoteFileRead(summary, path, compressed, lines, file.read_failed(), damaged);
  }
  return 1;
}

void ReadLogText(const Options& options, Statistics* stats, std::FILE* diag,
                 std::string_view text, const ReadTuning& tuning, LineCounts* lines) {
  TextSource source(text);
  LineCounts counts;
  ReadLines(options, stats, diag, &source, tuning, lines != nullptr ? lines : &counts);
}

ReadTuning::ReadTuning()
    : threads(std::thread::hardware_concurrency() >= 2 ? 2 : 1),
      chunk_size(LineReader::kDefaultChunkSize) {}
