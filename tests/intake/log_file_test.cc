#include "intake/log_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <set>
#include <string>
#include <string_view>
#include <thread>

#include "intake/line_reader.h"
#include "intake/log_line.h"
#include "options.h"
#include "read_summary.h"
#include "stats/records.h"
#include "test_util.h"

namespace {

using namespace std::string_literals;

// Reads `text` as one log file; returns what was written to the diagnostics.
std::string Read(const Options& options, Statistics* stats,
                 std::string_view text) {
  CapturedStream diag;
  ReadLogText(options, stats, diag.file(), text);
  return diag.Text();
}

Options DebugOptions(int level) {
  Options options;
  options.DebugLevel = level;
  return options;
}

std::string Echo(std::string_view line) {
  return "Log line: " + std::string(line) + "\n";
}

constexpr char kIncomplete1[] =
    "  Skipping line due to incomplete data (1 tokens)\n";
constexpr char kContinues[] =
    "  Skipping line. It continues a line longer than 2047 bytes\n";

TEST(LogFileTest, AcceptedLineIsCounted) {
  Statistics stats;
  EXPECT_EQ("", Read(Options(), &stats, IisLine(IisFields())));
  EXPECT_EQ((ListRows{{"192.168.0.10", 1}}), UserRows(stats));
  EXPECT_EQ((ListRows{{"/index.htm", 1}}), PageRows(stats));
  EXPECT_EQ(1, stats.totals.TotalHits);
  EXPECT_EQ(322, stats.totals.TotalBytes);
  EXPECT_EQ(UtcSeconds(2001, 3, 20, 7, 55, 20), stats.totals.PeriodStart);
}

TEST(LogFileTest, ByteField) {
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  struct Case {
    const char* field;
    std::int64_t bytes;
  };
  const Case cases[] = {
      {"abc", 0}, {"12abc", 12}, {"-5", -5}, {"99999999999", kMax},
      {"-99999999999", kMin},
  };
  for (const Case& c : cases) {
    Statistics stats;
    Read(Options(), &stats, IisLineWith(kServerBytes, c.field));
    EXPECT_EQ(1, stats.totals.TotalHits) << c.field;
    EXPECT_EQ(c.bytes, stats.totals.TotalBytes) << c.field;
  }
}

TEST(LogFileTest, DiagnosticsByLevel) {
  const std::string service = IisLineWith(kService, "W3SV");
  const std::string accepted = IisLine(IisFields());
  const std::string gif = IisLineWith(kTarget, "/logo.gif");
  const std::string text = service + accepted + gif + "\n";

  const std::string messages =
      "  Skipping line due to wrong service (!W3SVC)\n"
      "  Skipping line. File is on exclude list (/logo.gif)\n"s +
      kIncomplete1;
  const std::string echoed =
      Echo(service) + "  Skipping line due to wrong service (!W3SVC)\n" +
      Echo(accepted) + Echo(gif) +
      "  Skipping line. File is on exclude list (/logo.gif)\n" + Echo("\n") +
      kIncomplete1;

  struct Case {
    int level;
    bool verbose;
    std::string expected;
  };
  const Case cases[] = {
      {0, false, ""},        {0, true, ""},         {1, false, messages},
      {5, false, messages},  {6, false, echoed},    {7, true, echoed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "level " << c.level);
    Options options = DebugOptions(c.level);
    options.Verbose = c.verbose;
    Statistics stats;
    EXPECT_EQ(c.expected, Read(options, &stats, text));
    EXPECT_EQ(1, stats.totals.TotalHits);
  }
}

TEST(LogFileTest, BadDateMessageOnlyWhenVerbose) {
  const std::string text = IisLineWith(kDate, "2001-03-20");
  Statistics quiet;
  EXPECT_EQ("", Read(DebugOptions(1), &quiet, text));
  Options verbose;
  verbose.Verbose = true;
  Statistics stats;
  EXPECT_EQ("Bad date (2001-03-20). Skipping line...\n",
            Read(verbose, &stats, text));
  EXPECT_EQ(0, stats.totals.TotalHits);
  EXPECT_EQ(0u, stats.users.size());
  // A bad date on the first line leaves the period to the first counted one.
  Statistics first;
  Read(Options(), &first, text + IisLine(IisFields()));
  EXPECT_EQ(UtcSeconds(2001, 3, 20, 7, 55, 20), first.totals.PeriodStart);
}

TEST(LogFileTest, BadDateMessagesInLineOrder) {
  // Lines are parsed a chunk at a time and counted afterwards: the bad
  // date's message must still come right after its line's echo, and in line
  // order whatever the chunks and threads.
  const std::string good = IisLine(IisFields());
  std::string text;
  std::string echoed;
  std::string messages;
  for (int i = 0; i < 200; ++i) {
    const std::string date = "13/" + std::to_string(i) + "/01";
    const std::string line = IisLineWith(kDate, date);
    text += line + good;
    echoed += Echo(line) + "Bad date (" + date + "). Skipping line...\n" + Echo(good);
    messages += "Bad date (" + date + "). Skipping line...\n";
  }
  struct Case {
    int level;
    int threads;
    std::string expected;
  };
  const Case cases[] = {{6, 1, echoed}, {6, 2, echoed}, {0, 1, messages}, {0, 2, messages}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "level " << c.level << ", threads " << c.threads);
    Options options = DebugOptions(c.level);
    options.Verbose = true;
    ReadTuning tuning;
    tuning.threads = c.threads;
    tuning.chunk_size = 4096;
    Statistics stats;
    CapturedStream diag;
    ReadLogText(options, &stats, diag.file(), text, tuning);
    EXPECT_EQ(c.expected, diag.Text());
    EXPECT_EQ(200, stats.totals.TotalHits);
  }
}

TEST(LogFileTest, LongLinesComeInPiecesOf2047Bytes) {
  const std::string accepted = IisLine(IisFields());
  const std::string x2046(2046, 'x');
  const std::string x2047(2047, 'x');
  struct Case {
    std::string text;
    std::string echo;
    int hits;
  };
  const Case cases[] = {
      // The line feed fits in the first piece, or comes alone after it.
      {x2046 + "\n", Echo(x2046 + "\n") + kIncomplete1, 0},
      {x2047 + "\n",
       Echo(x2047) + kIncomplete1 + Echo("\n") + kIncomplete1, 0},
      // Cut at exactly 2047 bytes: the rest is a piece of its own, which
      // is never counted, however whole a line it looks.
      {x2047 + accepted, Echo(x2047) + kIncomplete1 + Echo(accepted) + kContinues, 0},
      {std::string(5000, 'x') + "\n",
       Echo(x2047) + kIncomplete1 + Echo(x2047) + kIncomplete1 +
           Echo(std::string(906, 'x') + "\n") + kIncomplete1,
       0},
      // A carriage return before the line feed goes before the cutting.
      {x2046 + "\r\n", Echo(x2046 + "\n") + kIncomplete1, 0},
      {x2047 + "\r\n",
       Echo(x2047) + kIncomplete1 + Echo("\n") + kIncomplete1, 0},
      // A NUL ends the text, but its bytes still count towards the cut.
      {"x\0"s + std::string(2045, 'y') + accepted,
       Echo("x") + kIncomplete1 + Echo(accepted) + kContinues, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "text of " << c.text.size() << " bytes");
    Statistics stats;
    EXPECT_EQ(c.echo, Read(DebugOptions(6), &stats, c.text));
    EXPECT_EQ(c.hits, stats.totals.TotalHits);
  }
}

// A W3C line is read whole, and so echoed whole: not cut at 2047 bytes.
// (The injections it defeats are the end-to-end case hostile-w3c-long-lines.)
TEST(LogFileTest, W3cLongLineEchoedWhole) {
  const std::string header =
      "#Software: test\n"
      "#Fields: date time s-ip c-ip cs-method cs-uri-stem cs(User-Agent)\n";
  const std::string line =
      "2001-03-20 07:55:20 10.0.0.9 10.0.0.1 GET /a.htm " + std::string(5000, 'u') + "\n";
  Statistics stats;
  EXPECT_EQ(Echo(header.substr(0, 16)) + Echo(header.substr(16)) + Echo(line),
            Read(DebugOptions(6), &stats, header + line));
  EXPECT_EQ(1, stats.totals.TotalHits);
}

TEST(LogFileTest, LineEnds) {
  std::string accepted = IisLine(IisFields());
  accepted.pop_back();  // no line feed
  struct Case {
    std::string text;
    std::string echo;
  };
  const Case cases[] = {
      {"", ""},
      {"a\r\n", Echo("a\n") + kIncomplete1},
      {"a\rb\n", Echo("a\rb\n") + kIncomplete1},  // a lone CR stays
      {"a\r\r\n", Echo("a\r\n") + kIncomplete1},
      {"a\r", Echo("a\r") + kIncomplete1},
      {"a\n\nb", Echo("a\n") + kIncomplete1 + Echo("\n") + kIncomplete1 +
                     Echo("b") + kIncomplete1},
      // The last line counts without its line feed.
      {",,,", Echo(",,,") +
                  "  Skipping line due to incomplete data (0 tokens)\n"},
      {accepted, Echo(accepted)},
      {accepted + "\0junk\n"s, Echo(accepted)},
  };
  for (const Case& c : cases) {
    Statistics stats;
    EXPECT_EQ(c.echo, Read(DebugOptions(6), &stats, c.text))
        << "text \"" << c.text << "\"";
  }
}

TEST(LogFileTest, CarriageReturnLeavesTheLastField) {
  // In a 14-field line the line end belongs to the target.
  const std::string line =
      "10.0.0.1, -, 03/20/01, 7:55:20, W3SVC1, S, 1.2.3.4, 1, 2, 3, 200, 0, "
      "GET, /a.htm";
  Statistics stats;
  Read(Options(), &stats, line + "\r\n" + line + "\n" + line);
  EXPECT_EQ((ListRows{{"/a.htm", 1}, {"/a.htm\n", 2}}), PageRows(stats));
}

// A large log with CR-LF line ends and lines of many lengths, so that lines
// and their line ends straddle whatever blocks the reader reads in.
std::string LargeLog(std::int64_t* byte_sum) {
  std::string text;
  *byte_sum = 0;
  for (int i = 0; i < 20000; ++i) {
    text += "10.0.0." + std::to_string(i % 7) + ", -, 03/20/01, 7:55:20, " +
            "W3SVC1, " + std::string(i * 7919 % 301, 's') +
            ", 192.168.0.1, 47, 163, " + std::to_string(i) +
            ", 200, 0, GET, /p" + std::to_string(i % 50) + "\r\n";
    *byte_sum += i;
  }
  return text;
}

void ExpectLargeLogCounted(const Statistics& stats, std::int64_t byte_sum) {
  EXPECT_EQ(20000, stats.totals.TotalHits);
  EXPECT_EQ(byte_sum, stats.totals.TotalBytes);
  EXPECT_EQ(7, stats.totals.UserCount);
  ListRows pages = PageRows(stats);
  ASSERT_EQ(50u, pages.size());
  for (const auto& [path, hits] : pages) {
    EXPECT_EQ(400, hits) << path;
    EXPECT_EQ(std::string::npos, path.find('\r')) << path;
    EXPECT_EQ('\n', path.back()) << path;
  }
}

TEST(LogFileTest, LargeText) {
  std::int64_t byte_sum;
  const std::string text = LargeLog(&byte_sum);
  Statistics stats;
  EXPECT_EQ("", Read(DebugOptions(1), &stats, text));
  ExpectLargeLogCounted(stats, byte_sum);
}

// A file in the test's temporary folder, removed at the end.
class TempFile {
 public:
  explicit TempFile(std::string_view content) {
    path_ = testing::TempDir() + "vantrix_log_XXXXXX";
    int fd = mkstemp(path_.data());
    EXPECT_NE(-1, fd);
    EXPECT_EQ(static_cast<long>(content.size()),
              write(fd, content.data(), content.size()));
    close(fd);
  }
  ~TempFile() { std::remove(path_.c_str()); }
  const char* path() const { return path_.c_str(); }

 private:
  std::string path_;
};

TEST(LogFileTest, DamageDropsTheHalfLine) {
  // The damage cuts "/p.htm" to "/p": a page nobody asked for.
  std::string half = IisLineWith(kTarget, "/p.htm");
  half.resize(half.find("/p.htm") + 2);
  const std::string text = IisLine(IisFields()) + half;
  for (const bool damaged : {false, true}) {
    SCOPED_TRACE(damaged ? "damaged" : "clean end");
    // Without its checksum every byte of the text arrives, then the damage.
    std::string archive = GzipMember(text);
    if (damaged) archive.resize(archive.size() - 8);
    TempFile file(archive);
    Statistics stats;
    CapturedStream diag;
    EXPECT_EQ(1, ReadLogFile(DebugOptions(1), &stats, diag.file(), file.path()));
    EXPECT_EQ("", diag.Text());
    // At a clean end, a last line without a line feed still counts.
    const ListRows pages = damaged ? ListRows{{"/index.htm", 1}}
                                   : ListRows{{"/p", 1}, {"/index.htm", 1}};
    EXPECT_EQ(pages, PageRows(stats));
  }
}

TEST(LogFileTest, ReadLogFileReadsLikeText) {
  std::int64_t byte_sum;
  TempFile file(LargeLog(&byte_sum));
  Statistics stats;
  CapturedStream diag;
  EXPECT_EQ(1, ReadLogFile(DebugOptions(1), &stats, diag.file(), file.path()));
  EXPECT_EQ("", diag.Text());
  ExpectLargeLogCounted(stats, byte_sum);
}

// The threads that took a file's chunks: each chunk is read by the thread
// that takes it.
class ThreadsSeen : public ReadObserver {
 public:
  void FileStarted(const char*, std::int64_t) override {}
  void BytesRead(std::size_t) override { ids.insert(std::this_thread::get_id()); }
  void TextRead(std::size_t) override {}
  std::set<std::thread::id> ids;  // the take lock guards it
};

// One usable CPU: one parsing thread, the caller's, even for a file large
// enough to be read on several.
TEST(LogFileTest, OneUsableCpuReadsOnOneThread) {
  const std::pair<int, int> threads_for_cpus[] = {{1, 1}, {2, 2}, {16, 16}, {64, 16}, {0, 1}};
  for (const auto& [cpus, threads] : threads_for_cpus) {
    EXPECT_EQ(threads, ReadTuning(cpus).threads) << cpus;
  }
  std::int64_t byte_sum;
  TempFile file(LargeLog(&byte_sum));
  Statistics stats;
  ThreadsSeen seen;
  EXPECT_EQ(1, ReadLogFile(Options(), &stats, stderr, file.path(), &seen, nullptr, nullptr,
                           nullptr, ReadTuning(1)));
  ExpectLargeLogCounted(stats, byte_sum);
  EXPECT_EQ(std::set<std::thread::id>{std::this_thread::get_id()}, seen.ids);
}

TEST(LogFileTest, ReadLogFileMessages) {
  TempFile empty("");
  const std::string missing = testing::TempDir() + "vantrix_no_such.log";
  struct Case {
    int level;
    bool verbose;
    const char* path;
    int result;
    std::string message;
  };
  const Case cases[] = {
      {0, false, empty.path(), 1, ""},
      {1, false, empty.path(), 1, ""},  // the debug level alone is silent
      {0, true, empty.path(), 1,
       "prog: Processing file "s + empty.path() + "\n"},
      {0, false, missing.c_str(), 0, ""},
      {1, false, missing.c_str(), 0,
       "prog: Unable to open file " + missing + " for read\n"},
      {0, true, missing.c_str(), 0,
       "prog: Unable to open file " + missing + " for read\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.path << " level " << c.level
                                    << " verbose " << c.verbose);
    Options options = DebugOptions(c.level);
    options.Verbose = c.verbose;
    options.ProgramName = "prog";
    Statistics stats;
    CapturedStream diag;
    EXPECT_EQ(c.result, ReadLogFile(options, &stats, diag.file(), c.path));
    EXPECT_EQ(c.message, diag.Text());
  }
}

// The file refused (the report's) is told by the descriptor that is read:
// nothing of it is read or noted. Any other file is read, and named.
TEST(LogFileTest, ReadLogFileRefusesByWhatItOpened) {
  TempFile log(IisLine(IisFields()));
  TempFile other("");
  FileIdentity log_identity;
  FileIdentity other_identity;
  ASSERT_TRUE(IdentityOf(log.path(), &log_identity));
  ASSERT_TRUE(IdentityOf(other.path(), &other_identity));
  const struct {
    std::vector<FileIdentity> refused;
    int result;
  } cases[] = {{{log_identity}, kRefusedLogFile},
               {{other_identity, log_identity}, kRefusedLogFile},
               {{other_identity}, 1},
               {{}, 1}};
  for (const auto& c : cases) {
    Statistics stats;
    CapturedStream diag;
    ReadSummary summary;
    FileIdentity identity;
    EXPECT_EQ(c.result, ReadLogFile(DebugOptions(1), &stats, diag.file(), log.path(), nullptr,
                                    &summary, &c.refused, &identity));
    EXPECT_EQ(c.result == 1 ? 1 : 0, stats.totals.TotalHits);
    EXPECT_EQ(c.result == 1 ? 1 : 0, summary.FilesRead());
    if (c.result == 1) {
      EXPECT_EQ(log_identity, identity);
    }
  }
}

// One line for each way a line can end, the whole repeated so that it
// spans many chunks: every thread count gives the same counts, and they add
// up to the lines read.
TEST(LogFileTest, LineCountsByReason) {
  std::string text;
  for (int i = 0; i < 300; ++i) {
    text += IisLine(IisFields());                        // counted
    text += "too, few, fields\n";                        // incomplete
    text += IisLineWith(kService, "MSFTPSVC1");          // wrong service
    text += IisLineWith(kMethod, "POST");                // wrong method
    text += IisLineWith(kServerIp, "-");                 // wrong server IP
    text += IisLineWith(kClientIp, "-");                 // client IP
    text += IisLineWith(kTarget, "/logo.gif");           // excluded pattern
    text += IisLineWith(kServerBytes, "-");              // missing parameter
    text += IisLineWith(kDate, "13/45/01");              // bad date
    text += IisLineWith(kTarget, "/b.htm");              // counted
    text += std::string(5000, 'x') + "\n";              // incomplete, 2 more pieces
  }
  LineCounts expected;
  expected.read = 3300;
  expected.continuations = 600;
  expected.counted = 600;
  expected.bad_dates = 300;
  expected.rejected[static_cast<int>(LineVerdict::kIncomplete)] = 300;
  for (LineVerdict v : {LineVerdict::kIncomplete, LineVerdict::kWrongService,
                        LineVerdict::kWrongMethod, LineVerdict::kWrongServerIp,
                        LineVerdict::kExcludedClientIp, LineVerdict::kExcludedPattern,
                        LineVerdict::kMissingParameter}) {
    expected.rejected[static_cast<int>(v)] += 300;
  }
  for (int threads : {1, 2}) {
    SCOPED_TRACE(testing::Message() << threads << " threads");
    ReadTuning tuning;
    tuning.threads = threads;
    tuning.chunk_size = 4096;
    Statistics stats;
    CapturedStream diag;
    LineCounts lines;
    ReadLogText(Options(), &stats, diag.file(), text, tuning, "-", &lines);
    EXPECT_EQ(expected.read, lines.read);
    EXPECT_EQ(expected.continuations, lines.continuations);
    EXPECT_EQ(expected.counted, lines.counted);
    EXPECT_EQ(expected.rejected, lines.rejected);
    EXPECT_EQ(expected.bad_dates, lines.bad_dates);
    EXPECT_EQ(lines.read, lines.counted + lines.LeftOut());
    EXPECT_EQ(600, stats.totals.TotalHits);
  }
}

// A W3C line is read by the positions its header names: one with more
// fields (a blank inside a user agent, say) would put the wrong field in
// every slot after the blank, so it is left out, with a message of its own.
TEST(LogFileTest, W3cFieldCounts) {
  const std::string header =
      "#Fields: date time c-ip cs-method cs-uri-stem cs(User-Agent) sc-bytes\n";
  constexpr char kTooMany[] =
      "  Skipping line. It has more fields than its #Fields line names\n";
  constexpr char kSix[] = "  Skipping line due to incomplete data (6 tokens)\n";
  struct Case {
    std::string line;
    LineVerdict verdict;  // kAccepted: counted
    std::string message;
  };
  const Case cases[] = {
      {"2024-03-20 08:00:00 10.0.0.1 GET /a.htm Mozilla 10\n", LineVerdict::kAccepted, ""},
      // Blanks around and between fields are separators, however many.
      {" 2024-03-20\t08:00:00  10.0.0.1 GET /a.htm Mozilla 10 \t\n", LineVerdict::kAccepted, ""},
      {"2024-03-20 08:00:00 10.0.0.1 GET /a.htm Mozilla\n", LineVerdict::kIncomplete, kSix + 0},
      {"2024-03-20 08:00:00 10.0.0.1 GET /a.htm Mozilla 10 x\n", LineVerdict::kTooManyFields,
       kTooMany},
      // A tab inside the agent: the status would become the byte count.
      {"2024-03-20 08:00:00 10.0.0.1 GET /a.htm Mozilla\tx 2147483647\n",
       LineVerdict::kTooManyFields, kTooMany},
      {"2024-03-20 08:00:00 10.0.0.1 GET /a.htm a b c d e f g h 10\n",
       LineVerdict::kTooManyFields, kTooMany},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    Statistics stats;
    CapturedStream diag;
    LineCounts lines;
    ReadLogText(DebugOptions(1), &stats, diag.file(), header + c.line, ReadTuning(), "-",
                &lines);
    EXPECT_EQ(c.message, diag.Text());
    EXPECT_EQ(2, lines.read);
    EXPECT_EQ(c.verdict == LineVerdict::kAccepted ? 1 : 0, lines.counted);
    EXPECT_EQ(c.verdict == LineVerdict::kAccepted ? 0 : 1,
              lines.rejected[static_cast<int>(c.verdict)]);
  }
}

// What the summary learns of each file: its format and packing, and why it
// was skipped or read only in part.
TEST(LogFileTest, ReadLogFileNotesTheFile) {
  TempFile comma(IisLine(IisFields()));
  TempFile w3c("#Fields: date time c-ip\n2001-03-20 07:55:20 10.0.0.1\n");
  TempFile damaged("\x1F\x8B not really compressed");
  const std::string missing = testing::TempDir() + "vantrix_no_such.log";
  ReadSummary summary;
  Statistics stats;
  CapturedStream diag;
  for (const char* path : {comma.path(), w3c.path(), damaged.path(), missing.c_str(),
                           // Opens, but every read fails.
                           "/proc/self/mem"}) {
    ReadLogFile(Options(), &stats, diag.file(), path, nullptr, &summary);
  }
  const std::int64_t comma_plain = summary.files_read[0][0];
  const std::int64_t comma_compressed = summary.files_read[0][1];
  const std::int64_t w3c_plain = summary.files_read[1][0];
  EXPECT_EQ(2, comma_plain);  // the one with a line, and the unreadable one
  EXPECT_EQ(1, comma_compressed);
  EXPECT_EQ(1, w3c_plain);
  ASSERT_EQ(3u, summary.problem_files.size());
  EXPECT_EQ(damaged.path(), summary.problem_files[0].path);
  EXPECT_EQ(FileProblem::kDamaged, summary.problem_files[0].problem);
  EXPECT_EQ(missing, summary.problem_files[1].path);
  EXPECT_EQ(FileProblem::kMissing, summary.problem_files[1].problem);
  EXPECT_EQ(FileProblem::kReadError, summary.problem_files[2].problem);
  EXPECT_EQ(1, summary.lines.counted);
  EXPECT_EQ(1, summary.lines.directives);
}

}  // namespace
