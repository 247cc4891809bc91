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
#include "intake/text_sources.h"
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
// cuts and parses it on its own, and counts it in its turn. On more than one thread
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

  // The reader hands out chunks in order. Taken in reading order, the
  // chunk's hits get their number in the run.
  // The stages of the read, kept out of line so that profiles tell them apart.
  [[gnu::noinline]] bool Take() {
    if (!reader_->ReadChunk(&chunk_)) {
      // The requests are sums, whatever the order they are added in: each
      // worker gathers its own beside the others, and adds them to the
      // run's once, here under the take lock.
      MergeRequests(&stats_->requests, std::move(requests_));
      requests_ = Requests(stats_->hash_seed);
      return false;
    }
    NumberBatch(stats_, &parsed_.hits);
    return true;
  }

  // The lines are cut beside the other threads.
  void Prepare() { CutRest(&chunk_); }

  // In reading order: the shared format state knows the format at this
  // chunk's start from the chunks before it. Only the first line and a
  // directive change it for the chunks after, and cutting told whether
  // the chunk may hold a directive.
  [[gnu::noinline]] void Settle() {
    start_format_ = *format_;
    if (!format_->first_line_seen || (format_->w3c && chunk_.may_hold_directive)) {
      for (const LinePiece& piece : chunk_.pieces) format_->Note(piece);
    }
  }

  void Work() {
    parser_.Parse(chunk_, &start_format_, &parsed_, &requests_);
    if (sharded_) parsed_.hits.SortIntoShards();
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
  format.extras.user_agent = filters.robots != nullptr || options.gather_traffic;
  format.extras.referrer = options.gather_traffic;
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

// Reads the open log `fd`, named `path`, of `size` bytes (-1: a stream of
// unknown length, which cannot be read twice), and notes it in `summary`.
// Under a state, `from` is the mark of a grown file to read on from (a plain
// one already standing there), and `end` takes where the read ended.
LineCounts ReadOpenLog(const Options& options, Statistics* stats, std::FILE* diag,
                       const char* path, int fd, std::int64_t size, ReadObserver* observer,
                       ReadSummary* summary, const ReadTuning& file_tuning,
                       const FileMark* from = nullptr, FileMark* end = nullptr) {
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
  // A plain file read on stands past what was counted; a compressed one is
  // inflated again and its counted text skipped.
  const std::int64_t counted = from != nullptr ? from->offset : 0;
  if (observer != nullptr && counted > 0 && !compressed) {
    observer->BytesRead(static_cast<std::size_t>(counted));
  }

  // A small plain file is read on one thread; a compressed one, or a
  // stream, may hold any number of lines.
  ReadTuning tuning = file_tuning;
  if (!compressed && size >= 0 && size - counted < tuning.parallel_from) tuning.threads = 1;

  // A compressed file: the same lines, up to the end or the first damage.
  std::unique_ptr<GzipSource> gzip;
  if (compressed) gzip = std::make_unique<GzipSource>(stored);
  SkippingSource skipped(gzip ? static_cast<ByteSource*>(gzip.get()) : stored,
                         compressed ? counted : 0);
  ObservedTextSource text(&skipped, observer);
  LineCounts lines;
  ReadLines(options, stats, diag, path, &text, tuning, &lines, from, end);
  const bool damaged = gzip && gzip->damaged();
  if (file.read_failed() && options.Verbose) {
    std::fprintf(diag, texts::kReadError, options.ProgramName, name.text);
  } else if (damaged && options.Verbose) {
    std::fprintf(diag, texts::kCompressedFileDamaged, options.ProgramName, name.text);
  }
  if (summary != nullptr) {
    if (from != nullptr) {
      NoteFileReadOn(summary, path, from->counted_as_w3c, compressed, lines, file.read_failed(),
                     damaged);
    } else {
      NoteFileRead(summary, path, compressed, lines, file.read_failed(), damaged);
    }
  }
  if (end != nullptr) end->compressed = compressed;
  return lines;
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
  if (book == nullptr) {
    ReadOpenLog(options, stats, diag, path, fd, facts.size, observer, summary, file_tuning);
    return 1;
  }

  // Under a state: a file counted to its end is left, a grown one read on
  // from its mark, any other read whole.
  const bool compressed = HasGzipSignature(fd);
  const std::string first_bytes = FirstTextBytes(fd, compressed);
  FileMark* mark = book->Find(facts.identity);
  const BookVerdict verdict = Consult(mark, facts, compressed, first_bytes);
  if (verdict == BookVerdict::kCounted) return kCountedLogFile;
  FileMark ended;
  if (verdict == BookVerdict::kGrown) ended = *mark;
  const FileMark* from = verdict == BookVerdict::kGrown ? &ended : nullptr;
  if (from != nullptr && !compressed && !SeekFile(fd, from->offset)) from = nullptr;
  const bool was_w3c = from != nullptr && from->counted_as_w3c;
  const LineCounts lines = ReadOpenLog(options, stats, diag, path, fd, facts.size, observer,
                                       summary, file_tuning, from, &ended);
  ended.identity = facts.identity;
  ended.size = facts.size;
  ended.fingerprint_size = static_cast<std::uint32_t>(first_bytes.size());
  ended.fingerprint = Fingerprint(first_bytes);
  ended.counted_as_w3c = was_w3c || lines.directives > 0;
  if (mark != nullptr) {
    *mark = std::move(ended);
  } else {
    book->marks.push_back(std::move(ended));
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
