#include "intake/w3c_format.h"
#include "stats/hit_time.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "options.h"

namespace {

using namespace std::string_view_literals;

// The header IIS 10 writes by default, and one of its lines.
constexpr std::string_view kIis10Fields =
    "#Fields: date time s-sitename s-computername s-ip cs-method cs-uri-stem "
    "cs-uri-query s-port cs-username c-ip cs(User-Agent) sc-status "
    "sc-substatus sc-win32-status sc-bytes cs-bytes time-taken\n";
constexpr std::string_view kIis10Layout =
    "18: c-ip=10 cs-username=9 date=0 time=1 s-sitename=2 s-computername=3 "
    "s-ip=4 time-taken=17 cs-bytes=16 sc-bytes=15 sc-status=12 "
    "sc-win32-status=14 cs-method=5 cs-uri-stem=6";
constexpr std::string_view kIis10Line =
    "2024-03-20 00:00:01 W3SVC1 WEB01 10.0.0.5 GET /index.htm - 80 - "
    "192.168.0.10 Mozilla/5.0+(Windows+NT+10.0) 200 0 0 5120 410 15\n";
constexpr std::string_view kIis10Slots =
    "18: [192.168.0.10] ~ [2024-03-20] [00:00:01] [W3SVC1] ~ [10.0.0.5] "
    "~ ~ [5120] ~ ~ [GET] [/index.htm]";

W3cLayout Layout(std::string_view directive) {
  W3cLayout layout;
  ParseW3cFields(directive, &layout);
  return layout;
}

// Independent of the module's calendar arithmetic.
std::int64_t Utc(int year, unsigned month, unsigned day, int hour, int minute,
                 int second) {
  using namespace std::chrono;
  const sys_days date = year_month_day{std::chrono::year{year},
                                       std::chrono::month{month},
                                       std::chrono::day{day}};
  return std::int64_t{date.time_since_epoch().count()} * 86400 + hour * 3600 +
         minute * 60 + second;
}

TEST(W3cFormatTest, FirstLine) {
  const struct {
    std::string_view line;
    bool w3c;
  } cases[] = {
      {"#Software: Microsoft Internet Information Services 10.0\r\n", true},
      {"#Version: 1.0\n", true},
      {"#Date: 2024-03-20 00:00:01\n", true},
      {kIis10Fields, true},
      {"#Fields:", true},
      {"\xEF\xBB\xBF#Software: IIS\n", true},  // saved with a byte order mark
      {"#Remark: a directive, but not one that opens a file\n", false},
      {"#software: lower case\n", false},
      {" #Version: 1.0\n", false},
      {"#Fields date time\n", false},
      {"\xEF\xBB#Version: 1.0\n", false},
      {"192.168.0.10, -, 03/20/01, 7:55:20, W3SVC1, WEBSRV, 192.168.0.1\n", false},
      {"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(c.w3c, IsW3cFirstLine(c.line)) << c.line;

  EXPECT_TRUE(IsW3cDirective("#Remark: x\n"));
  EXPECT_TRUE(IsW3cDirective("\xEF\xBB\xBF#Fields: date\n"));
  EXPECT_FALSE(IsW3cDirective(" #Remark: x\n"));
  EXPECT_FALSE(IsW3cDirective(kIis10Line));
}

TEST(W3cFormatTest, FieldsDirective) {
  const struct {
    std::string_view directive;
    std::string_view layout;
  } cases[] = {
      {kIis10Fields, kIis10Layout},
      {"#Fields: date time c-ip cs-method cs-uri-stem",
       "5: c-ip=2 date=0 time=1 cs-method=3 cs-uri-stem=4"},
      // Unknown names keep their position; look-alikes are unknown.
      {"#Fields: x-custom date cs(Referer) time c-ip-x sc-substatus\n",
       "6: date=1 time=3"},
      {"#Fields: DATE Time C-IP CS-URI-STEM\n", "4: c-ip=2 date=0 time=1 cs-uri-stem=3"},
      {"#Fields:date\t \ttime   \n", "2: date=0 time=1"},
      // A carriage return inside the line is part of a name.
      {"#Fields: date\rtime c-ip\n", "2: c-ip=1"},
      {"#Fields: date date time\n", "3: date=0 time=2"},  // the first one counts
      {"#Fields: date\0 time\n"sv, "1: date=0"},
      {"\xEF\xBB\xBF#Fields: time\n", "1: time=0"},
      // A header that names nothing is a header all the same.
      {"#Fields:\n", "0:"},
      {"#Fields: \t \n", "0:"},
      {"#Software: IIS\n", "no layout"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.layout, Layout(c.directive).ToString()) << c.directive;
  }
}

TEST(W3cFormatTest, LaterDirectives) {
  W3cLayout layout = Layout(kIis10Fields);
  // Other directives and data lines leave the layout alone.
  for (std::string_view line :
       {"#Software: IIS\n"sv, "#fields: time\n"sv, "#Date: 2024-03-21\n"sv, kIis10Line}) {
    ParseW3cFields(line, &layout);
    EXPECT_EQ(kIis10Layout, layout.ToString()) << line;
  }
  // A new header after a restart replaces the whole layout.
  ParseW3cFields("#Fields: time cs-uri-stem date c-ip\n", &layout);
  EXPECT_EQ("4: c-ip=3 date=2 time=0 cs-uri-stem=1", layout.ToString());
  ParseW3cFields("#Fields:\n", &layout);
  EXPECT_EQ("0:", layout.ToString());
}

TEST(W3cFormatTest, DataLines) {
  const W3cLayout iis10 = Layout(kIis10Fields);
  const W3cLayout none;
  const W3cLayout shuffled = Layout("#Fields: cs-uri-stem x-extra c-ip date time\n");
  // The field set the server writes unless told otherwise.
  const W3cLayout server_default = Layout(
      "#Fields: date time s-ip cs-method cs-uri-stem cs-uri-query s-port cs-username c-ip "
      "cs(User-Agent) cs(Referer) sc-status sc-substatus sc-win32-status time-taken\n");
  const std::string marked = "\xEF\xBB\xBF" + std::string(kIis10Line);
  const struct {
    const W3cLayout& layout;
    std::string_view line;
    std::string_view slots;
    bool complete;
  } cases[] = {
      {iis10, kIis10Line, kIis10Slots, true},
      // A byte order mark before the line is no part of it (files joined
      // by cat keep theirs); one inside a field is.
      {iis10, marked, kIis10Slots, true},
      {iis10, "2024-03-20 00:00:01 W3SVC1 WEB01 10.0.0.5 GET \xEF\xBB\xBF/a\n",
       "7: ~ ~ [2024-03-20] [00:00:01] [W3SVC1] ~ [10.0.0.5] ~ ~ ~ ~ ~ [GET] [\xEF\xBB\xBF/a]",
       false},
      // A carriage return inside a line is part of its field: the line feed
      // alone ends the line (the reader drops the carriage return before it).
      {iis10, "2024-03-20 00:00:01 W3SVC1 WEB01 10.0.0.5 GET\r /b.htm\rGET - 80 - "
              "192.168.0.10 Mozilla/5.0+(Windows+NT+10.0) 200 0 0 5120 410 15\r",
       "18: [192.168.0.10] ~ [2024-03-20] [00:00:01] [W3SVC1] ~ [10.0.0.5] "
       "~ ~ [5120] ~ ~ [GET\r] [/b.htm\rGET]",
       true},
      // Runs of blanks and tabs, leading blanks; extra fields are counted only.
      {iis10, "  2024-03-20\t00:00:01  W3SVC1 WEB01 10.0.0.5 GET /index.htm - 80 - "
              "192.168.0.10 - 200 0 0 5120 410 15 x-extra more\n",
       "20: [192.168.0.10] ~ [2024-03-20] [00:00:01] [W3SVC1] ~ [10.0.0.5] "
       "~ ~ [5120] ~ ~ [GET] [/index.htm]",
       true},
      // "-" alone is absent; "--" and "+" are text.
      {iis10, "- - - - -- - /a+b.htm - 80 - + -- - - - - - -\n",
       "18: [+] ~ ~ ~ ~ ~ [--] ~ ~ ~ ~ ~ ~ [/a+b.htm]", true},
      // Fewer fields than the header names: what is there, and incomplete.
      {iis10, "2024-03-20 00:00:01 W3SVC1 WEB01 10.0.0.5 GET /index.htm\n",
       "7: ~ ~ [2024-03-20] [00:00:01] [W3SVC1] ~ [10.0.0.5] ~ ~ ~ ~ ~ [GET] "
       "[/index.htm]",
       false},
      {iis10, "\n", "0: ~ ~ ~ ~ ~ ~ ~ ~ ~ ~ ~ ~ ~ ~", false},
      {iis10, "2024-03-20 00:00:01 W3SVC1\0 WEB01\n"sv,
       "3: ~ ~ [2024-03-20] [00:00:01] [W3SVC1] ~ ~ ~ ~ ~ ~ ~ ~ ~", false},
      // Before any header nothing can be placed.
      {none, kIis10Line, "18: ~ ~ ~ ~ ~ ~ ~ ~ ~ ~ ~ ~ ~ ~", false},
      // Without a site, bytes, method or server address field, lines are
      // the web service's GETs, send 0 bytes and reach an empty address:
      // otherwise no line of such a log could ever count.
      {shuffled, "/index.htm 7 host-a 2024-03-20 00:00:01\n",
       "5: [host-a] ~ [2024-03-20] [00:00:01] [W3SVC] ~ [] ~ ~ [0] ~ ~ [GET] [/index.htm]",
       true},
      {server_default,
       "2024-03-20 00:00:01 10.0.0.5 GET /a.htm - 80 - 10.0.0.9 Mozilla/5.0 - 200 0 0 15\n",
       "15: [10.0.0.9] ~ [2024-03-20] [00:00:01] [W3SVC] ~ [10.0.0.5] ~ ~ [0] ~ ~ "
       "[GET] [/a.htm]",
       true},
      {server_default, "2024-03-20\n", "1: ~ ~ [2024-03-20] ~ [W3SVC] ~ ~ ~ ~ [0] ~ ~ ~ ~", false},
  };
  for (const auto& c : cases) {
    LogFields fields;
    fields.slot.fill("stale");  // left from the line before
    TokenizeW3cLine(c.line, c.layout, &fields);
    EXPECT_EQ(c.slots, fields.ToString()) << c.line;
    EXPECT_EQ(c.complete, fields.complete) << c.line;
  }
}

// The status slots (status, sub-status in the bytes-received slot, Windows
// status) and the time taken are filled only when the layout was read for
// them, as the JSON and HTML reports ask: otherwise a line costs nothing.
TEST(W3cFormatTest, StatusSlotOnRequest) {
  W3cLayout with_status;
  ParseW3cFields(kIis10Fields, &with_status, true);
  EXPECT_EQ(kIis10Layout, with_status.ToString());
  for (auto split : {TokenizeW3cLine, TokenizeW3cLinePortable}) {
    LogFields fields;
    split(kIis10Line, with_status, &fields);
    EXPECT_EQ(
        "18: [192.168.0.10] ~ [2024-03-20] [00:00:01] [W3SVC1] ~ [10.0.0.5] "
        "[15] [0] [5120] [200] [0] [GET] [/index.htm]",
        fields.ToString());
    split(kIis10Line, Layout(kIis10Fields), &fields);
    EXPECT_EQ(kIis10Slots, fields.ToString());
  }
}

// Each step reads a directive, then the line "host-a /a.htm" under a
// header without date and time.
TEST(W3cFormatTest, DateDirectiveDatesHeadersWithoutDate) {
  const struct {
    std::string_view directive;
    std::string_view slots;
  } steps[] = {
      {"#Fields: c-ip cs-uri-stem\n",  // no "#Date:" yet: the date is absent
       "2: [host-a] ~ ~ [0:00:00] [W3SVC] ~ [] ~ ~ [0] ~ ~ [GET] [/a.htm]"},
      {"#Date: 2024-03-20 00:00:00\n",
       "2: [host-a] ~ [2024-03-20] [0:00:00] [W3SVC] ~ [] ~ ~ [0] ~ ~ [GET] [/a.htm]"},
      {"\xEF\xBB\xBF#Date:2024-03-21\tx\n",
       "2: [host-a] ~ [2024-03-21] [0:00:00] [W3SVC] ~ [] ~ ~ [0] ~ ~ [GET] [/a.htm]"},
      // A new header keeps the date; other directives leave it alone.
      {"#Fields: c-ip cs-uri-stem\n",
       "2: [host-a] ~ [2024-03-21] [0:00:00] [W3SVC] ~ [] ~ ~ [0] ~ ~ [GET] [/a.htm]"},
      {"#Remark: 2024-03-22\n",
       "2: [host-a] ~ [2024-03-21] [0:00:00] [W3SVC] ~ [] ~ ~ [0] ~ ~ [GET] [/a.htm]"},
      {"#Date: 2024-03-22\0 x\n"sv,
       "2: [host-a] ~ [2024-03-22] [0:00:00] [W3SVC] ~ [] ~ ~ [0] ~ ~ [GET] [/a.htm]"},
      {"#Date:\n", "2: [host-a] ~ ~ [0:00:00] [W3SVC] ~ [] ~ ~ [0] ~ ~ [GET] [/a.htm]"},
      {"#Date: 2024-03-23\n",
       "2: [host-a] ~ [2024-03-23] [0:00:00] [W3SVC] ~ [] ~ ~ [0] ~ ~ [GET] [/a.htm]"},
      // A header that names the date reads it from the line.
      {"#Fields: c-ip date\n", "2: [host-a] ~ [/a.htm] [0:00:00] [W3SVC] ~ [] ~ ~ [0] ~ ~ [GET] ~"},
  };
  W3cLayout layout;
  for (const auto& step : steps) {
    ReadW3cDirective(step.directive, &layout);
    LogFields fields;
    TokenizeW3cLine("host-a /a.htm\n", layout, &fields);
    EXPECT_EQ(step.slots, fields.ToString()) << step.directive;
  }
}

// Without s-ip a line passes the server test, unless -s is given: then no
// address is in any mask, even one that takes every address.
TEST(W3cFormatTest, HeaderWithoutServerAddress) {
  const W3cLayout layout = Layout("#Fields: date time c-ip cs-uri-stem\n");
  LogFields fields;
  TokenizeW3cLine("2024-03-20 08:00:00 host-a /a.htm\n", layout, &fields);
  for (const char* server_ip : {static_cast<const char*>(nullptr), "*.*.*.*", "0.0.0.0", ""}) {
    Options options;
    options.ServerIP = server_ip;
    EXPECT_EQ(server_ip == nullptr ? LineVerdict::kAccepted : LineVerdict::kWrongServerIp,
              FilterLine(fields, CompileFilters(options)))
        << (server_ip == nullptr ? "no -s" : server_ip);
  }
}

TEST(W3cFormatTest, HeadersUnderWhichNoLineCounts) {
  const struct {
    std::string_view directives;
    const char* without_s;  // the field named, without -s
    const char* with_s;     // and with it
  } cases[] = {
      {kIis10Fields, nullptr, nullptr},
      {"", nullptr, nullptr},  // no header yet
      {"#Fields:\n", "cs-uri-stem", "s-ip"},  // a header naming nothing
      {"#Fields: date time c-ip cs-uri-stem\n", nullptr, "s-ip"},
      {"#Fields: date time s-ip cs-uri-stem\n", "c-ip", "c-ip"},
      {"#Fields: date time s-ip c-ip\n", "cs-uri-stem", "cs-uri-stem"},
      {"#Fields: x-only\n", "cs-uri-stem", "s-ip"},  // in the order of the filters
      {"#Fields: c-ip cs-uri-stem\n", "date", "s-ip"},
      {"#Date: 2024-03-20 00:00:00\n#Fields: c-ip cs-uri-stem\n", nullptr, "s-ip"},
      {"#Fields: c-ip cs-uri-stem\n#Date: 2024-03-20\n", nullptr, "s-ip"},
      {"#Date: 2024-03-20\n#Date:\n#Fields: c-ip cs-uri-stem\n", "date", "s-ip"},
  };
  auto text = [](const char* field) { return std::string(field == nullptr ? "none" : field); };
  for (const auto& c : cases) {
    W3cLayout layout;
    std::string_view rest = c.directives;
    while (!rest.empty()) {
      const std::size_t end = rest.find('\n') + 1;
      ReadW3cDirective(rest.substr(0, end), &layout);
      rest.remove_prefix(end);
    }
    EXPECT_EQ(text(c.without_s), text(UncountedW3cField(layout, false))) << c.directives;
    EXPECT_EQ(text(c.with_s), text(UncountedW3cField(layout, true))) << c.directives;
  }
  EXPECT_TRUE(IsW3cFieldsDirective("\xEF\xBB\xBF#Fields: date\n"));
  EXPECT_FALSE(IsW3cFieldsDirective("#Date: 2024-03-20\n"));
}

TEST(W3cFormatTest, TimeStamp) {
  const struct {
    std::string_view date, time;
    std::int64_t stamp;
  } cases[] = {
      {"2024-03-20", "00:00:01", Utc(2024, 3, 20, 0, 0, 1)},
      {"2024-03-20", "23:59:59", Utc(2024, 3, 20, 23, 59, 59)},
      {"2024-03-21", "00:00:00", Utc(2024, 3, 21, 0, 0, 0)},
      {"2024-3-5", "7:55", Utc(2024, 3, 5, 7, 55, 0)},  // a missing second is 0
      {"2024-03-20", "12:00:00.250", Utc(2024, 3, 20, 12, 0, 0)},
      {"2024-03-20", "", Utc(2024, 3, 20, 0, 0, 0)},
      {"2024-12-31", "24:00:00", Utc(2025, 1, 1, 0, 0, 0)},  // carried, as the comma format does
      {"2024-03-01", "-1:00:00", Utc(2024, 2, 29, 23, 0, 0)},
      // The limits of a signed 32-bit time stamp.
      {"1970-01-01", "00:00:01", 1},
      {"1970-01-01", "00:00:00", 0},
      {"1969-12-31", "23:59:59", -1},
      {"1970-01-01", "00:00:-1", -1},
      {"2038-01-19", "03:14:07", 2147483647},
      {"2038-01-19", "03:14:08", -1},
      {"2106-02-07", "06:28:16", -1},  // 2^32: no wrap-around
      {"0001-01-01", "00:00:00", -1},
      {"9999-12-31", "23:59:59", -1},
      // Month and day are checked against the calendar.
      {"2024-02-29", "12:00:00", Utc(2024, 2, 29, 12, 0, 0)},
      {"2000-02-29", "12:00:00", Utc(2000, 2, 29, 12, 0, 0)},
      {"2023-02-29", "12:00:00", 0},
      {"2100-02-29", "12:00:00", 0},
      {"2024-04-30", "12:00:00", Utc(2024, 4, 30, 12, 0, 0)},
      {"2024-04-31", "12:00:00", 0},
      {"2024-01-32", "12:00:00", 0},
      {"2024-01-00", "12:00:00", 0},
      {"2024-00-10", "12:00:00", 0},
      {"2024-13-01", "12:00:00", 0},
      // Dates that cannot be read.
      {"", "12:00:00", 0},
      {"03/20/01", "12:00:00", 0},
      {"20.03.2024", "12:00:00", 0},
      {"2024-03", "12:00:00", 0},
      {"2024-03-20x", "12:00:00", 0},
      {"+2024-03-20", "12:00:00", 0},
      {"2024- 03-20", "12:00:00", 0},
      // The year in four digits, and no year 0; month and day in one or two.
      {"24-03-20", "12:00:00", 0},
      {"024-03-20", "12:00:00", 0},
      {"02024-03-20", "12:00:00", 0},
      {"99999999999-01-01", "00:00:00", 0},
      {"0000-01-01", "00:00:00", 0},
      {"2024-03-020", "12:00:00", 0},
      {"2024-003-20", "12:00:00", 0},
      {"2024-03-", "12:00:00", 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.stamp, HitTimeCache(DateForm::kW3c, 0).ParseHitTime(c.date, c.time)) << c.date << " " << c.time;
  }
}

}  // namespace
