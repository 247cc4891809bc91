#include "intake/log_file.h"

#include <atomic>
#include <condition_variable>
#include <cstring>
#include <exception>
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
    return n;
  }

 private:
  ReadObserver* observer_;
};

// The format of one file as its lines so far tell it: the comma format, or
// the W3C extended format with the layout of its last "#Fields:" line.
struct FileFormat {
  bool first_line_seen = false;
  bool w3c = false;
  W3cLayout layout;

  // Takes note of a piece; true when it is a directive, not a data line.
  // Lines of this format are read whole, so a directive can only begin a
  // physical line; a line too long to read is no directive.
  bool Note(const LinePiece& piece) {
    if (!first_line_seen) {
      first_line_seen = true;
      w3c = IsW3cFirstLine(piece.text);
    }
    if (!w3c || piece.kind != PieceKind::kLine || !IsW3cDirective(piece.text)) return false;
    ParseW3cFields(piece.text, &layout);
    return true;
  }
};

// Turns the pieces of a chunk into hits to count: tokenizing, the filter
// chain and the time stamp. Runs on any thread; writes to `diag` only under
// -d, which keeps the run on one thread.
class ChunkParser {
 public:
  ChunkParser(const Options& options, const LineFilters& filters, long seconds_west,
              std::uint64_t hash_seed, std::FILE* diag)
      : options_(options),
        filters_(filters),
        time_cache_(seconds_west),
        hash_seed_(hash_seed),
        diag_(diag),
        escape_(IsTerminal(diag)) {}

  void Parse(const LineChunk& chunk, FileFormat* format, std::vector<HitInput>* hits,
             std::vector<std::string_view>* dates) {
    hits->clear();
    dates->clear();
    for (const LinePiece& line : chunk.pieces) {
      const std::string_view piece = line.text;
      // The text of a line ends at its first NUL byte, if it has one: the
      // echo prints it as a C string, and the tokenizers stop there.
      if (options_.DebugLevel > 5 && line.kind != PieceKind::kTooLong) {
        std::fprintf(diag_, texts::kLogLine, FieldText(piece, escape_, true).text);
      }

      if (format->Note(line)) continue;  // a directive: never a log line
      if (line.kind == PieceKind::kTooLong) {
        if (options_.DebugLevel != 0) std::fputs(texts::kRejectTooLong, diag_);
        continue;
      }
      if (format->w3c) {
        TokenizeW3cLine(piece, format->layout, &fields_);
      } else {
        TokenizeLine(piece, &fields_);
      }
      LineVerdict verdict = FilterLine(fields_, filters_);
      // The rest of a long line could carry a whole forged line.
      if (verdict == LineVerdict::kAccepted && line.kind == PieceKind::kContinuation) {
        verdict = LineVerdict::kContinuation;
      }
      if (verdict != LineVerdict::kAccepted) {
        if (options_.DebugLevel != 0) WriteRejection(diag_, verdict, fields_, options_);
        continue;
      }

      const std::string_view address = fields_.slot[kClientIp];
      const std::string_view path = fields_.slot[kTarget];
      const std::string_view date = fields_.slot[kDate];
      const std::string_view time = fields_.slot[kTime];
      const TimeStamp t =
          format->w3c ? w3c_time_cache_.Convert(date, time) : time_cache_.Convert(date, time);
      if (t == kRejectedDate && options_.DebugLevel != 0) {
        // Under -d each message of a line follows its echo at once, so the
        // bad date's is written here, not when the chunk's hits are
        // counted (-d keeps the read on one thread).
        if (options_.Verbose) std::fprintf(diag_, texts::kBadDate, FieldText(date, escape_).text);
        continue;
      }
      hits->push_back({address, t == kRejectedDate ? 0 : HashBytes(address, hash_seed_), path,
                       t == kRejectedDate ? 0 : HashFoldedBytes(path, hash_seed_),
                       ReadDecimal(fields_.slot[kServerBytes]), t});
      dates->push_back(date);
    }
  }

 private:
  const Options& options_;
  const LineFilters& filters_;
  HitTimeCache time_cache_;
  W3cTimeCache w3c_time_cache_;
  std::uint64_t hash_seed_;
  std::FILE* diag_;
  bool escape_;  // diag_ is a terminal
  LogFields fields_;
};

// Counts the parsed hits of one chunk, in order. A bad date drops its line,
// with its message under -v.
void CountHits(const Options& options, Statistics* stats, std::FILE* diag,
               const std::vector<HitInput>& hits, const std::vector<std::string_view>& dates) {
  // The lookups wait on memory more than on anything else: ask for the
  // index slots of a hit a few places ahead while counting this one.
  constexpr std::size_t kAhead = 8;
  const bool escape = options.Verbose && IsTerminal(diag);
  for (std::size_t i = 0; i < hits.size(); ++i) {
    if (i + kAhead < hits.size()) {
      stats->user_index.Prefetch(hits[i + kAhead].address_hash);
      stats->page_index.Prefetch(hits[i + kAhead].path_hash);
    }
    if (hits[i].time == kRejectedDate) {
      if (options.Verbose) std::fprintf(diag, texts::kBadDate, FieldText(dates[i], escape).text);
      continue;
    }
    CountHit(stats, hits[i]);
  }
}

// One thread: read, parse and count each chunk in turn.
void ReadSerially(const Options& options, Statistics* stats, std::FILE* diag,
                  LineReader* reader, long seconds_west) {
  const LineFilters filters = CompileFilters(options);
  ChunkParser parser(options, filters, seconds_west, stats->hash_seed, diag);
  FileFormat format;
  LineChunk chunk;
  std::vector<HitInput> hits;
  std::vector<std::string_view> dates;
  while (reader->NextChunk(&chunk)) {
    parser.Parse(chunk, &format, &hits, &dates);
    CountHits(options, stats, diag, hits, dates);
  }
}

// Two threads: each takes the next chunk from the reader, parses it on its
// own, and counts it when every earlier chunk has been counted. The counts
// see the lines in file order, so the result is the one-thread result.
class ParallelRead {
 public:
  ParallelRead(const Options& options, Statistics* stats, std::FILE* diag, LineReader* reader,
               long seconds_west)
      : options_(options),
        stats_(stats),
        diag_(diag),
        reader_(reader),
        seconds_west_(seconds_west),
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
      ChunkParser parser(options_, filters_, seconds_west_, stats_->hash_seed, diag_);
      LineChunk chunk;
      std::vector<HitInput> hits;
      std::vector<std::string_view> dates;
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
          for (const LinePiece& piece : chunk.pieces) format_.Note(piece);
        }
        parser.Parse(chunk, &format, &hits, &dates);

        std::unique_lock<std::mutex> lock(count_mutex_);
        counted_.wait(lock, [&] { return failed_ || counting_turn_ == turn; });
        if (failed_) return;
        CountHits(options_, stats_, diag_, hits, dates);
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
// False when the source ended with a read error.
bool ReadLines(const Options& options, Statistics* stats, std::FILE* diag, ByteSource* source,
               const ReadTuning& tuning) {
  // A W3C file's lines are read whole.
  LineReader reader(source, tuning.chunk_size, IsW3cFirstLine);
  const long seconds_west = stats->time_cache.seconds_west();
  // Under -d the messages of each line must come out in line order, which
  // only one thread gives.
  if (tuning.threads > 1 && options.DebugLevel == 0) {
    ParallelRead(options, stats, diag, &reader, seconds_west).Run();
  } else {
    ReadSerially(options, stats, diag, &reader, seconds_west);
  }
  return !reader.failed();
}

}  // namespace

int ReadLogFile(const Options& options, Statistics* stats, std::FILE* diag,
                const char* path, ReadObserver* observer) {
  const bool tell = options.Verbose || options.DebugLevel != 0;
  const FieldText name(path, IsTerminal(diag));
  // Without blocking: a FIFO put where a log was would wait for a writer.
  int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    if (tell) std::fprintf(diag, texts::kUnableToOpen, options.ProgramName, name.text);
    return 0;
  }
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};

  // What was opened decides, whatever the name was when it was matched:
  // a FIFO or a device can block or never end.
  struct stat info;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    if (tell) std::fprintf(diag, texts::kSuspectAttributes, options.ProgramName, name.text);
    return 0;
  }
  if (options.Verbose) {
    std::fprintf(diag, texts::kProcessingFile, options.ProgramName, name.text);
  }

  const auto size = static_cast<std::int64_t>(info.st_size);
  if (observer != nullptr) observer->FileStarted(path, size);

  // A small plain file is read on one thread; a compressed one may hold
  // any number of lines.
  const bool compressed = HasGzipSignature(fd);
  ReadTuning tuning;
  if (!compressed && size < kParallelFrom) tuning.threads = 1;

  ObservedFileSource file(fd, observer);
  if (!compressed) {
    const bool read_to_end = ReadLines(options, stats, diag, &file, tuning);
    if (!read_to_end && options.Verbose) {
      std::fprintf(diag, texts::kReadError, options.ProgramName, name.text);
    }
    return 1;
  }
  // A compressed file: the same lines, up to the end or the first damage.
  GzipSource gzip(&file);
  ReadLines(options, stats, diag, &gzip, tuning);
  if (options.Verbose && gzip.read_error()) {
    std::fprintf(diag, texts::kReadError, options.ProgramName, name.text);
  } else if (options.Verbose && gzip.damaged()) {
    std::fprintf(diag, texts::kCompressedFileDamaged, options.ProgramName, name.text);
  }
  return 1;
}

void ReadLogText(const Options& options, Statistics* stats, std::FILE* diag,
                 std::string_view text, const ReadTuning& tuning) {
  TextSource source(text);
  ReadLines(options, stats, diag, &source, tuning);
}

bool ReadLogSource(const Options& options, Statistics* stats, std::FILE* diag,
                   ByteSource* source, const ReadTuning& tuning) {
  return ReadLines(options, stats, diag, source, tuning);
}

ReadTuning::ReadTuning()
    : threads(std::thread::hardware_concurrency() >= 2 ? 2 : 1),
      chunk_size(LineReader::kDefaultChunkSize) {}
