#include "intake/w3c_format.h"
#include "stats/hit_time.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

using namespace std::string_view_literals;

// The header IIS 10 writes by default, and one of its lines.
constexpr std::string_view kIis10Fields =
    "#Fields: date time s-sitename s-computername s-ip cs-method cs-uri-stem "
    "cs-uri-query s-port cs-username c-ip cs(User-Agent) sc-status "
    "sc-substatus sc-win32-status sc-bytes cs-bytes time-taken\r\n";
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
      {"#Fields:date\t \ttime   \r", "2: date=0 time=1"},
      {"#Fields: date date time\n", "3: date=0 time=2"},  // the first one counts
      {"#Fields: date\0 time\n"sv, "1: date=0"},
      {"\xEF\xBB\xBF#Fields: time\r\n", "1: time=0"},
      {"#Fields:\r\n", "no layout"},
      {"#Fields: \t \n", "no layout"},
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
  EXPECT_EQ("no layout", layout.ToString());
}

TEST(W3cFormatTest, DataLines) {
  const W3cLayout iis10 = Layout(kIis10Fields);
  const W3cLayout none;
  const W3cLayout shuffled = Layout("#Fields: cs-uri-stem x-extra c-ip date time\n");
  // The field set the server writes unless told otherwise.
  const W3cLayout server_default = Layout(
      "#Fields: date time s-ip cs-method cs-uri-stem cs-uri-query s-port cs-username c-ip "
      "cs(User-Agent) cs(Referer) sc-status sc-substatus sc-win32-status time-taken\n");
  const struct {
    const W3cLayout& layout;
    std::string_view line;
    std::string_view slots;
    bool complete;
  } cases[] = {
      {iis10, kIis10Line, kIis10Slots, true},
      // The line feed, or a carriage return the reader left, ends the line.
      {iis10, "2024-03-20 00:00:01 W3SVC1 WEB01 10.0.0.5 GET /index.htm - 80 - "
              "192.168.0.10 Mozilla/5.0+(Windows+NT+10.0) 200 0 0 5120 410 15\r",
       kIis10Slots, true},
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
      // Without a site or bytes field, lines are the web service's and send
      // 0 bytes: otherwise no line of such a log could ever count.
      {shuffled, "/index.htm 7 host-a 2024-03-20 00:00:01\n",
       "5: [host-a] ~ [2024-03-20] [00:00:01] [W3SVC] ~ ~ ~ ~ [0] ~ ~ ~ [/index.htm]", true},
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
      {"99999999999-01-01", "00:00:00", -1},
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
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.stamp, HitTimeCache(DateForm::kW3c, 0).ParseHitTime(c.date, c.time)) << c.date << " " << c.time;
  }
}

}  // namespace
