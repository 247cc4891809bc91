// What a run read and what it left out, as counts: files by format and
// kind, files skipped or cut short and why, patterns that matched nothing,
// and lines read, counted and left out by reason. Plain data: file
// selection and the log reader fill it, the run owns it, and anything that
// tells a person about the run reads it.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <numeric>
#include <string>
#include <vector>

/// The two log formats a file may be in.
enum class LogFormat : int { kComma, kW3c };
inline constexpr int kLogFormatCount = 2;

/// How a file's bytes are stored.
enum class LogPacking : int { kPlain, kCompressed };
inline constexpr int kLogPackingCount = 2;

/// Why a file named by a pattern was skipped, or read only in part.
enum class FileProblem : int {
  kMissing,     // gone by the time it was opened
  kUnreadable,  // could not be opened (permissions, say)
  kNotRegular,  // a directory, device, pipe or dangling link
  kDamaged,     // a compressed file read up to its damage
  kReadError,   // the system failed a read; read up to there
};
inline constexpr int kFileProblemCount = 5;

/// One line count per verdict of the filter chain, indexed by the verdict's
/// value; the entries of the accepted verdict (0) and of the continuation
/// (10), which names only a message, stay 0.
inline constexpr int kLineVerdictCount = 12;
inline constexpr int kContinuationVerdict = 10;

/// The lines of one chunk, one file or a whole run. The counts add up:
/// read = directives + counted + every rejected count + other_site +
/// robots + bad_dates + out_of_range. A line cut in pieces is one line, with the verdict of its
/// first piece.
struct LineCounts {
  std::int64_t read = 0;        // physical lines, each up to its line feed
  std::int64_t continuations = 0;  // later pieces of comma-format lines longer than
                                   // 2047 bytes: never counted, and no lines
  std::int64_t directives = 0;  // "#" lines of W3C extended files
  std::int64_t counted = 0;     // lines that became hits
  std::array<std::int64_t, kLineVerdictCount> rejected{};  // by filter verdict
  std::int64_t bad_dates = 0;   // passed the filters, but the date was refused
  std::int64_t out_of_range = 0;  // dated outside --from and --to
  std::int64_t other_site = 0;    // of a site --site does not name
  std::int64_t robots = 0;        // a robot's, under --robots=exclude
  /// The earliest and latest time stamp of the lines outside the range, so
  /// that a range that missed can say where the logs lie; 0 and 0 when
  /// there was none.
  std::int64_t outside_first = 0;
  std::int64_t outside_last = 0;

  void Add(const LineCounts& other) {
    read += other.read;
    continuations += other.continuations;
    directives += other.directives;
    counted += other.counted;
    for (int i = 0; i < kLineVerdictCount; ++i) rejected[i] += other.rejected[i];
    bad_dates += other.bad_dates;
    other_site += other.other_site;
    robots += other.robots;
    if (other.out_of_range != 0) {
      outside_first = out_of_range == 0 ? other.outside_first
                                        : std::min(outside_first, other.outside_first);
      outside_last = out_of_range == 0 ? other.outside_last
                                       : std::max(outside_last, other.outside_last);
    }
    out_of_range += other.out_of_range;
  }

  /// Lines left out: every rejection, every bad date and every line
  /// outside the date range.
  std::int64_t LeftOut() const {
    return std::accumulate(rejected.begin(), rejected.end(),
                           bad_dates + out_of_range + other_site + robots);
  }

  /// Notes a line dated `t`, outside the range.
  void NoteOutOfRange(std::int64_t t) {
    outside_first = out_of_range == 0 ? t : std::min(outside_first, t);
    outside_last = out_of_range == 0 ? t : std::max(outside_last, t);
    ++out_of_range;
  }
};

/// A file that was skipped or cut short, as the pattern's search named it.
struct ProblemFile {
  std::string path;
  FileProblem problem;
};

/// Everything a run read, in reading order.
struct ReadSummary {
  /// Files opened and read, whole or in part, by [format][packing].
  std::array<std::array<std::int64_t, kLogPackingCount>, kLogFormatCount> files_read{};
  /// Files skipped or cut short, in the order they were met.
  std::vector<ProblemFile> problem_files;
  /// Files left unread because a state shows them counted to their end, as
  /// the pattern's search named them; for the terminal alone.
  std::vector<std::string> already_counted;
  /// Patterns that matched no file at all, as given.
  std::vector<std::string> empty_patterns;
  /// The lines of every file read.
  LineCounts lines;
  /// The last hit read is older than the first: the period ends before it
  /// starts, as when files are named newest first.
  bool read_out_of_time_order = false;
  /// --site was given: lines of other sites are a reason to tell of.
  bool sites_chosen = false;
  /// --robots=exclude was given: robots' lines are a reason to tell of.
  bool robots_excluded = false;

  std::int64_t FilesRead() const {
    return std::accumulate(files_read.begin(), files_read.end(), std::int64_t{0},
                           [](std::int64_t sum, const auto& by_packing) {
                             return std::accumulate(by_packing.begin(), by_packing.end(), sum);
                           });
  }

  std::int64_t FilesWith(FileProblem problem) const {
    return std::count_if(problem_files.begin(), problem_files.end(),
                         [problem](const ProblemFile& file) { return file.problem == problem; });
  }
};

/// Notes a file read on from where an earlier run stopped: its lines and
/// any trouble, as NoteFileRead, but no new file; it moves from the comma
/// files to the W3C files when its first directive came only now.
void NoteFileReadOn(ReadSummary* summary, const char* path, bool counted_as_w3c,
                    bool compressed, const LineCounts& lines, bool read_failed, bool damaged);

/// Notes a file that could not be opened; `error` is the errno of the open.
void NoteUnopenedFile(ReadSummary* summary, const char* path, int error);

/// Notes a file that was read: its format (the first line of a W3C extended
/// file is a directive), its packing, its lines, and why it was read only
/// in part, if it was.
void NoteFileRead(ReadSummary* summary, const char* path, bool compressed,
                  const LineCounts& lines, bool read_failed, bool damaged);
