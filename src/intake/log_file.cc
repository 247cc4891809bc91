#include "intake/log_file.h"

#include <algorithm>
#include <memory>
#include <string>

#include "bytes/field_text.h"
#include "intake/chunk_parser.h"
#include "intake/file_mark.h"
#include "intake/gzip_source.h"
#include "intake/line_reader.h"
#include "intake/ordered_pipeline.h"
#include "intake/w3c_format.h"
#include "options.h"
#include "platform/cpu.h"
#include "platform/file.h"
#include "read_summary.h"
#include "stats/hit_batch.h"
#include "texts.h"

namespace {

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

// One thread's share of a read: it takes the next chunk from the reader,
// parses it on its own, and counts it in its turn. On more than one thread
// the chunk is counted shard by shard, a step each, and then finished: one
// thread may count a shard of this chunk while another counts the next
// shard of the chunk before.
class ChunkWorker {
 public:
  static constexpr int kShardedSteps = kShardCount + 1;

  ChunkWorker(const Options& options, const LineFilters& filters, const char* path,
              Statistics* stats, std::FILE* diag, LineReader* reader, FileFormat* format,
              LineCounts* lines, bool sharded)
      : sharded_(sharded),
        parser_(options, filters, path),
        parsed_(stats->hash_seed),
        stats_(stats),
        requests_(stats->hash_seed),
        diag_(diag),
        reader_(reader),
        format_(format),
        lines_(lines) {}

  // The reader hands out chunks in order, and the shared format state knows
  // the format at each chunk's start from the chunks before it. Taken in
  // reading order, the chunk's hits get their number in the run.
  bool Take() {
    if (!reader_->NextChunk(&chunk_)) {
      // The requests are sums, whatever the order they are added in: each
      // worker gathers its own beside the others, and adds them to the
      // run's once, here under the take lock.
      MergeRequests(&stats_->requests, std::move(requests_));
      requests_ = Requests(stats_->hash_seed);
      return false;
    }
    NumberBatch(stats_, &parsed_.hits);
    start_format_ = *format_;
    for (const LinePiece& piece : chunk_.pieces) format_->Note(piece);
    return true;
  }

  void Work() {
    parser_.Parse(chunk_, &start_format_, &parsed_);
    if (sharded_) parsed_.hits.SortIntoShards();
    AddRequests(&requests_, &parsed_.requests);
  }

  void Commit(int step) {
    if (sharded_ && step < kShardCount) {
      CountShard(stats_, step, &parsed_.hits);
      return;
    }
    parsed_.messages.Flush(diag_);
    if (sharded_) {
      FinishBatch(stats_, &parsed_.hits);
    } else {
      CountHits(stats_, parsed_.hits);
    }
    lines_->Add(parsed_.lines);
    AddTraffic(&stats_->traffic, parsed_.traffic);
  }

 private:
  bool sharded_;
  ChunkParser parser_;
  ParsedChunk parsed_;
  Statistics* stats_;
  Requests requests_;  // of the chunks this worker parsed
  std::FILE* diag_;
  LineReader* reader_;
  FileFormat* format_;  // as the chunks taken so far leave it
  LineCounts* lines_;   // of the chunks counted so far
  LineChunk chunk_;
  FileFormat start_format_;
};

// Reads every line of `source`, the file `path`, through the filter chain
// into the statistics, on as many threads as the tuning says, and adds its
// line counts to `lines`; the outcome is the one-thread outcome.
// When `from` is given, `source` starts at a line start of a file read
// before, and its lines are read in the format that file had there; when
// `end` is given, it notes where the text ended and the format there.
void ReadLines(const Options& options, Statistics* stats, std::FILE* diag, const char* path,
               ByteSource* source, const ReadTuning& tuning, LineCounts* lines,
               const FileMark* from = nullptr, FileMark* end = nullptr) {
  // A W3C file's lines are read whole.
  LineReader reader(source, tuning.chunk_size, IsW3cFirstLine);
  LineFilters filters = CompileFilters(options);
  filters.robots = stats->robots.get();
  FileFormat format;
  format.extras.status = options.gather_traffic;
  if (options.client_field != nullptr) format.extras.client_field = options.client_field;
  format.extras.user_agent = filters.robots != nullptr;
  // IIS keeps a site's logs in a folder named after it.
  format.layout.folder_site = FolderSite(path);
  if (from != nullptr) {
    ResumeFormat(*from, &format);
    if (from->first_line_seen) reader.ResumeCutting(from->w3c);
  }
  const bool sharded = tuning.threads > 1 && tuning.count_by_shard;
  OrderedPipeline(sharded ? ChunkWorker::kShardedSteps : 1).Run(tuning.threads, [&] {
    return std::make_unique<ChunkWorker>(options, filters, path, stats, diag, &reader, &format,
                                         lines, sharded);
  });
  if (end != nullptr) {
    MarkFormat(format, end);
    end->offset = (from != nullptr ? from->offset : 0) + reader.bytes_used();
  }
}

// The first text bytes of `fd` (decompressed when `compressed`), up to
// kFingerprintBytes, read without moving where the file stands.
std::string FirstTextBytes(int fd, bool compressed) {
  std::string bytes(kFingerprintBytes, '\0');
  std::size_t got = 0;
  if (compressed) {
    FileSource file(fd);
    {
      GzipSource gzip(&file);
      long n = 0;
      while (got < bytes.size() && (n = gzip.Read(bytes.data() + got, bytes.size() - got)) > 0) {
        got += static_cast<std::size_t>(n);
      }
    }
    if (!SeekFile(fd, 0)) got = 0;
  } else {
    long n = 0;
    while (got < bytes.size() &&
           (n = ReadAt(fd, bytes.data() + got, bytes.size() - got,
                       static_cast<std::int64_t>(got))) > 0) {
      got += static_cast<std::size_t>(n);
    }
  }
  bytes.resize(got);
  return bytes;
}

// Decompressed text with its first bytes, counted before, left out.
class SkippingSource : public ByteSource {
 public:
  SkippingSource(ByteSource* text, std::int64_t skip) : text_(text), skip_(skip) {}
  long Read(char* buffer, std::size_t size) override {
    while (skip_ > 0) {
      const std::size_t want = skip_ < static_cast<std::int64_t>(size)
                                   ? static_cast<std::size_t>(skip_) : size;
      const long n = text_->Read(buffer, want);
      if (n <= 0) return n;
      skip_ -= n;
    }
    return text_->Read(buffer, size);
  }

 private:
  ByteSource* text_;
  std::int64_t skip_;
};

// What the book says of the file now open: read it whole, go on from its
// mark, or leave it, all of it counted before.
enum class BookVerdict { kNew, kGrown, kCounted };

BookVerdict Consult(const FileMark* mark, const FileFacts& facts, bool compressed,
                    std::string_view first_bytes) {
  if (mark == nullptr || mark->compressed != compressed || !SameFirstBytes(*mark, first_bytes)) {
    return BookVerdict::kNew;
  }
  if (compressed) return facts.size == mark->size ? BookVerdict::kCounted : BookVerdict::kGrown;
  // A plain file cut shorter than what was counted was written anew.
  if (facts.size < mark->offset) return BookVerdict::kNew;
  return facts.size == mark->offset ? BookVerdict::kCounted : BookVerdict::kGrown;
}

}  // namespace

namespace {

// The bytes of a stream that cannot be read twice, its first few read
// ahead to tell a compressed one, and handed out again first.
class PeekedSource : public ByteSource {
 public:
  explicit PeekedSource(ByteSource* source) : source_(source) {
    while (peeked_ < sizeof(head_)) {
      const long n = source_->Read(head_ + peeked_, sizeof(head_) - peeked_);
      if (n <= 0) {
        failed_ = n < 0;
        break;
      }
      peeked_ += static_cast<std::size_t>(n);
    }
  }
  bool HasGzipSignature() const {
    return peeked_ == 2 && static_cast<unsigned char>(head_[0]) == 0x1F &&
           static_cast<unsigned char>(head_[1]) == 0x8B;
  }
  long Read(char* buffer, std::size_t size) override {
    if (served_ < peeked_ && size > 0) {
      const std::size_t n = std::min(size, peeked_ - served_);
      std::copy_n(head_ + served_, n, buffer);
      served_ += n;
      return static_cast<long>(n);
    }
    if (failed_) return -1;
    return source_->Read(buffer, size);
  }

 private:
  ByteSource* source_;
  char head_[2] = {};
  std::size_t peeked_ = 0;
  std::size_t served_ = 0;
  bool failed_ = false;
};

// Reads the open log `fd`, named `path`, of `size` bytes (-1: a stream of
// unknown length, which cannot be read twice), and notes it in `summary`.
void ReadOpenLog(const Options& options, Statistics* stats, std::FILE* diag, const char* path,
                 int fd, std::int64_t size, ReadObserver* observer, ReadSummary* summary,
                 const ReadTuning& file_tuning) {
  const FieldText name(path, options.message_escape);
  if (options.Verbose) {
    std::fprintf(diag, texts::kProcessingFile, options.ProgramName, name.text);
  }
  if (observer != nullptr) observer->FileStarted(path, size);

  ObservedFileSource file(fd, observer);
  // A stream is told compressed by its first bytes as read; a file by a
  // look that leaves its offset alone.
  std::unique_ptr<PeekedSource> peeked;
  if (size < 0) peeked = std::make_unique<PeekedSource>(&file);
  const bool compressed = peeked ? peeked->HasGzipSignature() : HasGzipSignature(fd);
  ByteSource* stored = peeked ? static_cast<ByteSource*>(peeked.get()) : &file;

  // A small plain file is read on one thread; a compressed one, or a
  // stream, may hold any number of lines.
  ReadTuning tuning = file_tuning;
  if (!compressed && size >= 0 && size < tuning.parallel_from) tuning.threads = 1;

  // A compressed file: the same lines, up to the end or the first damage.
  std::unique_ptr<GzipSource> gzip;
  if (compressed) gzip = std::make_unique<GzipSource>(stored);
  ObservedTextSource text(gzip ? static_cast<ByteSource*>(gzip.get()) : stored, observer);
  LineCounts lines;
  ReadLines(options, stats, diag, path, &text, tuning, &lines);
  const bool damaged = gzip && gzip->damaged();
  if (file.read_failed() && options.Verbose) {
    std::fprintf(diag, texts::kReadError, options.ProgramName, name.text);
  } else if (damaged && options.Verbose) {
    std::fprintf(diag, texts::kCompressedFileDamaged, options.ProgramName, name.text);
  }
  if (summary != nullptr) {
    NoteFileRead(summary, path, compressed, lines, file.read_failed(), damaged);
  }
}

}  // namespace

int ReadLogFile(const Options& options, Statistics* stats, std::FILE* diag,
                const char* path, ReadObserver* observer, ReadSummary* summary,
                const std::vector<FileIdentity>* refused, FileIdentity* identity,
                const ReadTuning& file_tuning, FileBook* book) {
  const bool tell = options.Verbose || options.DebugLevel != 0;
  const FieldText name(path, options.message_escape);
  // Without blocking: a FIFO put where a log was would wait for a writer.
  int error = 0;
  const int fd = OpenForReading(path, &error);
  if (fd < 0) {
    if (tell) std::fprintf(diag, texts::kUnableToOpen, options.ProgramName, name.text);
    if (summary != nullptr) NoteUnopenedFile(summary, path, error);
    return 0;
  }
  struct Closer {
    int fd;
    ~Closer() { CloseFile(fd); }
  } closer{fd};

  // What was opened decides, whatever the name was when it was matched:
  // a FIFO or a device can block or never end.
  FileFacts facts;
  if (!FactsOf(fd, &facts) || !facts.regular) {
    if (tell) std::fprintf(diag, texts::kSuspectAttributes, options.ProgramName, name.text);
    if (summary != nullptr) summary->problem_files.push_back({path, FileProblem::kNotRegular});
    return 0;
  }
  // The file that is read, not the one the name led to a moment before.
  if (refused != nullptr &&
      std::find(refused->begin(), refused->end(), facts.identity) != refused->end()) {
    return kRefusedLogFile;
  }
  if (identity != nullptr) *identity = facts.identity;
  const bool compressed = HasGzipSignature(fd);

  // Under a state: a file counted to its end is left, a grown one read on
  // from its mark, any other read whole.
  FileMark* mark = nullptr;
  FileMark ended;
  std::string first_bytes;
  BookVerdict verdict = BookVerdict::kNew;
  if (book != nullptr) {
    first_bytes = FirstTextBytes(fd, compressed);
    mark = book->Find(facts.identity);
    verdict = Consult(mark, facts, compressed, first_bytes);
    if (verdict == BookVerdict::kCounted) return kCountedLogFile;
    if (verdict == BookVerdict::kGrown) ended = *mark;
  }
  const FileMark* from = verdict == BookVerdict::kGrown ? &ended : nullptr;
  if (from != nullptr && !compressed && !SeekFile(fd, from->offset)) from = nullptr;

  if (options.Verbose) {
    std::fprintf(diag, texts::kProcessingFile, options.ProgramName, name.text);
  }

  const std::int64_t size = facts.size;
  if (observer != nullptr) observer->FileStarted(path, size);
  if (observer != nullptr && from != nullptr && !compressed) {
    observer->BytesRead(static_cast<std::size_t>(from->offset));
  }

  // A small plain file is read on one thread; a compressed one may hold
  // any number of lines.
  ReadTuning tuning = file_tuning;
  if (!compressed && size - (from != nullptr ? from->offset : 0) < tuning.parallel_from) {
    tuning.threads = 1;
  }

  ObservedFileSource file(fd, observer);
  // A compressed file: the same lines, up to the end or the first damage.
  std::unique_ptr<GzipSource> gzip;
  if (compressed) gzip = std::make_unique<GzipSource>(&file);
  ByteSource* plain_text = gzip ? static_cast<ByteSource*>(gzip.get()) : &file;
  SkippingSource skipped(plain_text, compressed && from != nullptr ? from->offset : 0);
  ObservedTextSource text(&skipped, observer);
  LineCounts lines;
  ReadLines(options, stats, diag, path, &text, tuning, &lines, from,
            book != nullptr ? &ended : nullptr);
  const bool damaged = gzip && gzip->damaged();
  if (file.read_failed() && options.Verbose) {
    std::fprintf(diag, texts::kReadError, options.ProgramName, name.text);
  } else if (damaged && options.Verbose) {
    std::fprintf(diag, texts::kCompressedFileDamaged, options.ProgramName, name.text);
  }
  const bool was_w3c = from != nullptr && from->counted_as_w3c;
  if (summary != nullptr) {
    if (from != nullptr) {
      NoteFileReadOn(summary, path, was_w3c, compressed, lines, file.read_failed(), damaged);
    } else {
      NoteFileRead(summary, path, compressed, lines, file.read_failed(), damaged);
    }
  }
  if (book != nullptr) {
    ended.identity = facts.identity;
    ended.compressed = compressed;
    ended.size = size;
    ended.fingerprint_size = static_cast<std::uint32_t>(first_bytes.size());
    ended.fingerprint = Fingerprint(first_bytes);
    ended.counted_as_w3c = was_w3c || lines.directives > 0;
    if (mark != nullptr) {
      *mark = std::move(ended);
    } else {
      book->marks.push_back(std::move(ended));
    }
  }
  return from != nullptr ? kReadOnLogFile : 1;
}

int ReadLogStream(const Options& options, Statistics* stats, std::FILE* diag, int fd,
                  const char* name, ReadObserver* observer, ReadSummary* summary,
                  const std::vector<FileIdentity>* refused, FileIdentity* identity,
                  const ReadTuning& tuning) {
  // Whatever standard input is, a pipe, a terminal or a file, it is read
  // once from where it stands; a file that is the report's is refused.
  FileFacts facts;
  const bool known = FactsOf(fd, &facts) && facts.regular;
  if (known && refused != nullptr &&
      std::find(refused->begin(), refused->end(), facts.identity) != refused->end()) {
    return kRefusedLogFile;
  }
  if (known && identity != nullptr) *identity = facts.identity;
  ReadOpenLog(options, stats, diag, name, fd, -1, observer, summary, tuning);
  return 1;
}

void ReadLogText(const Options& options, Statistics* stats, std::FILE* diag,
                 std::string_view text, const ReadTuning& tuning, const char* name,
                 LineCounts* lines) {
  TextSource source(text);
  LineCounts counts;
  ReadLines(options, stats, diag, name, &source, tuning, lines != nullptr ? lines : &counts);
}

namespace {

// One parsing thread a usable CPU, up to a bound past which the reading of the
// file and the counting cannot keep more threads busy.
constexpr int kMaxThreads = 16;

}  // namespace

ReadTuning::ReadTuning() : ReadTuning(UsableCpuCount()) {}

ReadTuning::ReadTuning(int usable_cpus)
    : threads(std::clamp(usable_cpus, 1, kMaxThreads)),
      chunk_size(LineReader::kDefaultChunkSize) {}
