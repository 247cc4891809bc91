#include <gtest/gtest.h>

#include <random>
#include <string>

#include "intake/log_file.h"
#include "report/json_report.h"
#include "report/report.h"
#include "report/report_model.h"
#include "options.h"
#include "stats/ranking.h"
#include "stats/records.h"
#include "fakes.h"
#include "test_util.h"

namespace {

// A log that crosses every boundary a chunk can cut: long lines, CR-LF
// ends, NULs, bad dates, W3C headers that change the layout midway.
std::string MixedLog(unsigned seed, bool w3c) {
  std::mt19937 random(seed);
  std::string log;
  if (w3c) log += "#Software: test\r\n#Fields: date time c-ip cs-method cs-uri-stem sc-bytes s-sitename s-ip\r\n";
  for (int i = 0; i < 6000; ++i) {
    const std::string user = "10.0." + std::to_string(random() % 7) + "." + std::to_string(random() % 50);
    const std::string page = "/p" + std::to_string(random() % 300) + (random() % 3 ? ".htm" : ".GIF");
    const int minute = i / 20;
    const std::string time = std::to_string(minute / 60 % 24) + ":" + std::to_string(minute % 60) + ":00";
    if (i % 1500 == 7) {
      // Longer than a W3C line may be, and than some chunks: skipped, or
      // cut in many pieces.
      log += std::string(70000 + random() % 150000, 'y') + "\n";
      continue;
    }
    switch (random() % 40) {
      case 0:
        log += std::string(random() % 5000, 'x') + "\n";
        continue;
      case 1:
        log += std::string(1, '\0') + "junk\r\n";
        continue;
      case 2:
        if (w3c) log += "#Fields: c-ip date time s-ip cs-method s-sitename cs-uri-stem sc-bytes\n";
        continue;
    }
    if (w3c) {
      // Both layouts name the same fields; which one is in force decides
      // how a line reads.
      log += "2001-03-" + std::to_string(20 + minute / 1440) + " " + time + " " + user + " GET " +
             page + " 100 W3SVC1 10.0.0.1\r\n";
    } else {
      log += user + ", -, " + (random() % 50 ? "03/20/01" : "13/20/01") + ", " + time +
             ", W3SVC1, W, 10.0.0.1, 1, 2, " + std::to_string(random() % 1000) + ", 200, 0, " +
             (random() % 10 ? "GET" : "POST") + ", " + page + ", -,\r\n";
    }
  }
  return log;
}

// A W3C log whose headers name no date: each line takes the date of the
// "#Date:" before it, which changes every few hundred bytes and travels
// from chunk to chunk; some dates are bad, and some headers name no
// client, so that no line under them counts.
std::string LogWithoutDateField(unsigned seed) {
  std::mt19937 random(seed);
  std::string log = "#Software: test\n#Fields: time c-ip cs-uri-stem\n";
  for (int i = 0; i < 6000; ++i) {
    switch (random() % 60) {
      case 0:
        log += "#Date: 2001-03-" + std::to_string(10 + random() % 20) + " 00:00:00\n";
        break;
      case 1:
        log += random() % 2 ? "#Date: 2001-02-30 00:00:00\n" : "#Date:\n";
        break;
      case 2:
        log += random() % 3 ? "#Fields: time c-ip cs-uri-stem\n" : "#Fields: time cs-uri-stem\n";
        break;
    }
    log += std::to_string(i / 300) + ":" + std::to_string(i / 5 % 60) + ":00 10.0.0." +
           std::to_string(random() % 40) + " /p" + std::to_string(random() % 100) + ".htm\n";
  }
  return log;
}

std::string ReportOf(const std::string& log, int threads, std::size_t chunk_size,
                     std::string* messages, int debug_level = 0) {
  Options options;
  options.Verbose = true;
  options.DebugLevel = debug_level;
  options.NumUsersToShow = 500;
  options.NumPagesToShow = 500;
  options.CustomerName = "T";
  options.gather_traffic = true;
  Statistics stats;
  CapturedStream diag;
  ReadTuning tuning;
  tuning.threads = threads;
  tuning.chunk_size = chunk_size;
  ReadLogText(options, &stats, diag.file(), log, tuning, "ex.log");
  RankByHits(&stats);
  CapturedStream out;
  WriteReport(BuildReportModel(options, stats, ReadSummary()), out.file());
  WriteJsonReport(BuildReportModel(options, stats, ReadSummary()), out.file());
  *messages = diag.Text();
  return out.Text() + "\nsessions " + std::to_string(stats.totals.TotalSessions) + " bytes " +
         std::to_string(stats.totals.TotalBytes);
}

// More threads and any chunk size count exactly what one thread counts, in
// the same order: the report, the hits by status and time, and the messages
// are the same bytes.
TEST(ParallelReadTest, SameResultAsOneThread) {
  ScopedTimeZone tz("UTC");
  enum { kComma, kW3c, kW3cWithoutDate };
  for (int w3c : {kComma, kW3c, kW3cWithoutDate}) {
    for (unsigned seed : {1u, 2u}) {
      const std::string log =
          w3c == kW3cWithoutDate ? LogWithoutDateField(seed) : MixedLog(seed, w3c == kW3c);
      std::string expected_messages;
      const std::string expected = ReportOf(log, 1, 1 << 20, &expected_messages);
      // The log is worth comparing: many hits, and bad dates to tell of.
      ASSERT_EQ(std::string::npos, expected.find("Total number of hits: 0\n"));
      if (w3c == kComma) {
        ASSERT_NE(std::string::npos, expected_messages.find("Bad date (13/20/01)"));
      }
      if (w3c == kW3cWithoutDate) {
        ASSERT_NE(std::string::npos, expected_messages.find("Bad date (2001-02-30)"));
        ASSERT_NE(std::string::npos, expected_messages.find(
                                         "vantrix: The #Fields line of ex.log names no c-ip; "
                                         "none of its lines can count\n"));
      }
      // Counted on one thread chunk by chunk, or shard by shard on more.
      for (int threads = 1; threads <= 8; ++threads) {
        // Odd chunk sizes, so that chunks end anywhere in a line.
        const std::size_t chunk = threads == 8 ? 65536 : 4096 + 101 * threads;
        std::string messages;
        EXPECT_EQ(expected, ReportOf(log, threads, chunk, &messages)) << w3c << seed << threads;
        EXPECT_EQ(expected_messages, messages) << w3c << seed << threads;
      }
      // Under -d every line's messages, its echo first, in line order.
      std::string debug_messages;
      const std::string debug = ReportOf(log, 1, 1 << 20, &debug_messages, 6);
      std::string messages;
      EXPECT_EQ(debug, ReportOf(log, 3, 5000, &messages, 6)) << w3c << seed;
      EXPECT_EQ(debug_messages, messages) << w3c << seed;
    }
  }
}

}  // namespace
