// Reading one log file, plain or gzip-compressed: its lines through the
// filter chain into the statistics.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string_view>
#include <vector>

#include "platform/file.h"

struct FileBook;
struct LineCounts;
struct Options;
struct ReadSummary;
struct Statistics;

/// Told how the reading of files advances, for a progress display.
class ReadObserver {
 public:
  virtual ~ReadObserver() = default;
  /// A file was opened; `size` is its size in bytes, or -1 when unknown.
  virtual void FileStarted(const char* path, std::int64_t size) = 0;
  /// `bytes` more bytes of the file, as stored, were read.
  virtual void BytesRead(std::size_t bytes) = 0;
  /// `bytes` more bytes of log text were read: the same bytes for a plain
  /// file, the decompressed ones for a compressed file.
  virtual void TextRead(std::size_t bytes) = 0;
};

/// How a file is read: the threads that parse its lines, the bytes read at
/// a time, and whether several threads count a chunk shard by shard or one
/// thread counts it whole. The result never depends on any of them.
struct ReadTuning {
  /// One parsing thread for each CPU the process may use (up to a bound).
  ReadTuning();
  /// The same for `usable_cpus` CPUs.
  explicit ReadTuning(int usable_cpus);
  int threads;
  std::size_t chunk_size;
  bool count_by_shard = true;
  /// Plain files with fewer bytes than this to read are read on one thread:
  /// starting another costs more than it saves.
  std::int64_t parallel_from = std::int64_t{4} << 20;
};

/// ReadLogFile's result when the file opened is one it was told to refuse.
inline constexpr int kRefusedLogFile = -1;
/// ... when the book shows the file counted to its end: it is not read.
inline constexpr int kCountedLogFile = 2;
/// ... when the book shows the file grown: it was read on from its mark.
inline constexpr int kReadOnLogFile = 3;

/// Reads every line of the file at `path`. Returns 1 when the file was
/// opened (whatever it held), 0 when it could not be opened or what was
/// opened is no regular file (a FIFO or a device put in a log's place),
/// kRefusedLogFile when what was opened is one of the files `refused` (the
/// report's, say), which is then not read. Notes the file, its lines and
/// any trouble with it in `summary`, when given, and which file it read in
/// `identity`. A small file is read on one thread (see ReadTuning).
/// With a `book` (a run under a state), the file's mark in it decides:
/// kCountedLogFile when the file was counted to its end, kReadOnLogFile when
/// it grew and was read on from its mark, 1 when it was read whole as a new
/// file; the mark then tells where this read ended.
int ReadLogFile(const Options& options, Statistics* stats, std::FILE* diag,
                const char* path, ReadObserver* observer = nullptr,
                ReadSummary* summary = nullptr,
                const std::vector<FileIdentity>* refused = nullptr,
                FileIdentity* identity = nullptr, const ReadTuning& tuning = ReadTuning(),
                FileBook* book = nullptr);

/// Reads the stream `fd` (standard input), named `name` in messages and in
/// `summary`, from where it stands to its end, plain or compressed as its
/// first bytes tell; it is read once, never sought. Returns 1, or
/// kRefusedLogFile when it is a regular file among `refused` (which is then
/// not read); sets `identity` only when it is a regular file.
int ReadLogStream(const Options& options, Statistics* stats, std::FILE* diag, int fd,
                  const char* name, ReadObserver* observer = nullptr,
                  ReadSummary* summary = nullptr,
                  const std::vector<FileIdentity>* refused = nullptr,
                  FileIdentity* identity = nullptr, const ReadTuning& tuning = ReadTuning());

/// Reads `text` as the whole content of one log file: the same lines, in
/// the same pieces, as a file holding these bytes, named `name` in messages.
/// Adds its line counts to `lines`, when given.
void ReadLogText(const Options& options, Statistics* stats, std::FILE* diag,
                 std::string_view text, const ReadTuning& tuning = ReadTuning(),
                 const char* name = "-", LineCounts* lines = nullptr);
