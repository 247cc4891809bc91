#include "report/report.h"
#include "report/report_model.h"

#include <gtest/gtest.h>

#include <string>

#include "fakes.h"
#include "options.h"
#include "stats/ranking.h"
#include "stats/records.h"
#include "test_util.h"

namespace {

// Statistics of hits given as (address, path, local date, time) under UTC.
struct Hit {
  const char* address;
  const char* path;
  const char* date;
  const char* time;
};

std::string Report(const Options& options, std::initializer_list<Hit> hits,
                   const char* zone = "UTC") {
  ScopedTimeZone tz(zone);
  Statistics stats;
  for (const Hit& hit : hits) {
    RecordLine(&stats, hit.address, hit.path, 100, hit.date, hit.time);
  }
  RankByHits(&stats);
  CapturedStream out;
  WriteReport(BuildReportModel(options, stats, ReadSummary()), out.file());
  return out.Text();
}

Options WithCustomer(const char* customer) {
  Options options;
  options.CustomerName = customer;
  return options;
}

TEST(ReportTest, EnglishTitleAndTables) {
  Options options = WithCustomer("Acme");
  EXPECT_EQ(
      "Web page hit statistics for Acme from 03/06/99 to 03/07/99\n"
      "----------------------------------------------------------"
      "\n\nTotal number of hits: 3\n"
      "Total number of user sessions: 2\n"
      "\nThe 10 most visited pages:\n\n"
      "  # Page                                     Hits\n"
      "  1 /b.htm                                         2\n"
      "  2 /a.htm                                         1\n"
      "\nThe 10 most active users:\n\n"
      "  # User                                     Hits\n"
      "  1 10.0.0.1                                       2\n"
      "  2 10.0.0.2                                       1\n",
      Report(options, {{"10.0.0.1", "/a.htm", "03/06/99", "10:00:00"},
                       {"10.0.0.1", "/b.htm", "03/06/99", "10:05:00"},
                       {"10.0.0.2", "/B.HTM", "03/07/99", "12:00:00"}}));
}

// The Norwegian title holds one byte 0xF8 and is as long as the English one.
TEST(ReportTest, NorwegianTexts) {
  Options options = WithCustomer("Acme");
  options.Norwegian = true;
  EXPECT_EQ(
      "Bes\xF8ksstatistikk for Acme i perioden 03/06/99 til 03/07/99\n"
      "----------------------------------------------------------"
      "\n\nTotalt antall oppslag i perioden: 2\n"
      "Totalt antall brukersesjoner i perioden: 2\n"
      "\nDe 10 mest bes\xF8kte sidene i perioden:\n\n"
      "  # Side                                     Oppslag\n"
      "  1 /a.htm                                         2\n"
      "\nDe 10 mest aktive brukerne i perioden:\n\n"
      "  # Bruker                                   Oppslag\n"
      "  1 10.0.0.1                                       2\n",
      Report(options, {{"10.0.0.1", "/a.htm", "03/06/99", "10:00:00"},
                       {"10.0.0.1", "/a.htm", "03/07/99", "10:00:00"}}));
}

// A year the time stamp cannot hold gives the time -1, which has no date
// to show; the underline counts the fallback text like any other.
TEST(ReportTest, PeriodBoundWithoutDate) {
  const std::string report =
      Report(WithCustomer("Acme"), {{"10.0.0.1", "/a.htm", "03/06/1969", "10:00:00"},
                                    {"10.0.0.1", "/a.htm", "03/07/99", "10:00:00"}});
  const std::string title =
      "Web page hit statistics for Acme from [feil i datoformat] to 03/07/99";
  ASSERT_EQ(69u, title.size());
  EXPECT_EQ(title + "\n" + std::string(69, '-') + "\n\n", report.substr(0, 69 * 2 + 3));
}

TEST(ReportTest, NothingCountedShowsTimeZero) {
  Options options = WithCustomer("X");
  options.NumUsersToShow = 0;
  const char* tail =
      "\n\nTotal number of hits: 0\n"
      "Total number of user sessions: 0\n"
      "\nThe 10 most visited pages:\n\n"
      "  # Page                                     Hits\n";
  EXPECT_EQ("Web page hit statistics for X from 01/01/70 to 01/01/70\n" +
                std::string(55, '-') + tail,
            Report(options, {}, "UTC"));
  EXPECT_EQ("Web page hit statistics for X from 12/31/69 to 12/31/69\n" +
                std::string(55, '-') + tail,
            Report(options, {}, "EST5EDT"));
}

TEST(ReportTest, TableSizes) {
  struct Case {
    std::int32_t pages;
    std::int32_t users;
    const char* expected_tail;
  };
  const Case cases[] = {
      {0, 0, "Total number of user sessions: 2\n"},
      {0, 1,
       "Total number of user sessions: 2\n"
       "\nThe 1 most active users:\n\n"
       "  # User                                     Hits\n"
       "  1 10.0.0.2                                       2\n"},
      {-3, 0,
       "Total number of user sessions: 2\n"
       "\nThe -3 most visited pages:\n\n"
       "  # Page                                     Hits\n"},
      {2, 0,
       "Total number of user sessions: 2\n"
       "\nThe 2 most visited pages:\n\n"
       "  # Page                                     Hits\n"
       "  1 /c                                             1\n"
       "  2 /b                                             1\n"},
  };
  for (const Case& c : cases) {
    Options options = WithCustomer("A");
    options.NumPagesToShow = c.pages;
    options.NumUsersToShow = c.users;
    const std::string report =
        Report(options, {{"10.0.0.1", "/a", "03/06/99", "10:00:00"},
                         {"10.0.0.2", "/b", "03/06/99", "10:00:00"},
                         {"10.0.0.2", "/c", "03/06/99", "10:00:00"}});
    const std::string tail = c.expected_tail;
    ASSERT_GE(report.size(), tail.size());
    EXPECT_EQ(tail, report.substr(report.find("Total number of user sessions"))) << c.pages;
  }
}

// Long names and counts are written whole and push the row to the right.
TEST(ReportTest, LongPathIsNotCut) {
  const std::string path = "/" + std::string(59, 'p');
  Options options = WithCustomer("A");
  options.NumUsersToShow = 0;
  const std::string report =
      Report(options, {{"10.0.0.1", path.c_str(), "03/06/99", "10:00:00"}});
  EXPECT_NE(std::string::npos, report.find("  1 " + path + "       1\n"));
}

TEST(ReportTest, HostNameReplacesAddress) {
  ScopedTimeZone tz("UTC");
  Statistics stats;
  RecordLine(&stats, "10.0.0.1", "/a", 1, "03/06/99", "10:00:00");
  RecordLine(&stats, "10.0.0.2", "/a", 1, "03/06/99", "10:00:00");
  RankByHits(&stats);
  stats.host_names[UserIndexNamed(stats, "10.0.0.1")] = "host.example";
  Options options = WithCustomer("A");
  options.NumPagesToShow = 0;
  CapturedStream out;
  WriteReport(BuildReportModel(options, stats, ReadSummary()), out.file());
  const std::string report = out.Text();
  EXPECT_NE(std::string::npos,
            report.find("  1 10.0.0.2                                       1\n"
                        "  2 host.example                                   1\n"));
}

TEST(ReportTest, DateTexts) {
  ScopedTimeZone tz("UTC");
  const std::pair<TimeStamp, const char*> cases[] = {
      {920678400, "03/06/99"},  // 1999-03-06 00:00:00
      {946684799, "12/31/99"},
      {946684800, "01/01/00"},
      {0, "01/01/70"},
      {-1, "[feil i datoformat]"},
      {2147483647, "01/19/38"},
  };
  for (const auto& [t, text] : cases) {
    char out[32];
    FormatReportDate(t, out);
    EXPECT_STREQ(text, out) << t;
  }
}

}  // namespace
