#include "stats/hit_time.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "test_util.h"

namespace {

// The zones are given as the C library's `timezone`: seconds west of UTC.
constexpr long kUtc = 0;
constexpr long kUtcPlus1 = -3600;

enum Kind { kStamp, kRejected, kFailed };

struct DateCase {
  std::string_view date;
  std::string_view time;
  Kind kind;
  // For kStamp: the local standard time the texts stand for.
  int year = 0;
  unsigned month = 0, day = 0;
  int hour = 0, minute = 0, second = 0;
};

// Cases whose result is the same local time in every zone that the test
// uses: well inside the range the conversion can represent.
const DateCase kDateCases[] = {
    {"20.03.01", "7:55:20", kStamp, 2001, 3, 20, 7, 55, 20},
    {"03/20/01", "7:55:20", kStamp, 2001, 3, 20, 7, 55, 20},
    {"3/20/01", "7:55:20", kStamp, 2001, 3, 20, 7, 55, 20},
    {"+03/+20/+01", "+7:+55:+20", kStamp, 2001, 3, 20, 7, 55, 20},
    {" 03/ 20/ 01", " 7: 55: 20", kStamp, 2001, 3, 20, 7, 55, 20},
    {"3/20/01 extra", "7:55:20 extra", kStamp, 2001, 3, 20, 7, 55, 20},
    {"03/20/99", "7:55:20", kStamp, 1999, 3, 20, 7, 55, 20},
    {"31.12.99", "23:59:59", kStamp, 1999, 12, 31, 23, 59, 59},
    {"01/31/80", "0:00:00", kStamp, 1980, 1, 31, 0, 0, 0},
    {"01/01/00", "0:00:00", kStamp, 2000, 1, 1, 0, 0, 0},
    {"12/31/37", "23:59:59", kStamp, 2037, 12, 31, 23, 59, 59},
    {"01/18/38", "12:00:00", kStamp, 2038, 1, 18, 12, 0, 0},
    {"07/01/01", "12:00:00", kStamp, 2001, 7, 1, 12, 0, 0},  // no summer time
    // A missing year is year 0, that is 2000; "." picks the dotted order
    // even when a "/" follows.
    {"20.03", "7:55:20", kStamp, 2000, 3, 20, 7, 55, 20},
    {"1.2/3", "0:00:00", kStamp, 2000, 2, 1, 0, 0, 0},
    // The time is read without tests; fields carry over.
    {"03/20/01", "7:55", kStamp, 2001, 3, 20, 7, 55, 0},
    {"03/20/01", "", kStamp, 2001, 3, 20, 0, 0, 0},
    {"03/20/01", "noon", kStamp, 2001, 3, 20, 0, 0, 0},
    {"03/20/01", "7 :55:20", kStamp, 2001, 3, 20, 7, 0, 0},
    {"03/20/01", "24:00:00", kStamp, 2001, 3, 21, 0, 0, 0},
    {"03/20/01", "-1:00:00", kStamp, 2001, 3, 19, 23, 0, 0},
    {"03/20/01", "7:75:00", kStamp, 2001, 3, 20, 8, 15, 0},
    {"03/20/01", "0:0:-1", kStamp, 2001, 3, 19, 23, 59, 59},
    // Eight bytes not of the usual shape are read the general way.
    {"03/20/01", "07:5a:20", kStamp, 2001, 3, 20, 7, 5, 0},
    {"03/20/01", "12:3:456", kStamp, 2001, 3, 20, 12, 10, 36},
    {"03/20/01", "09;55:20", kStamp, 2001, 3, 20, 9, 0, 0},
    {"02/31/01", "12:00:00", kStamp, 2001, 3, 3, 12, 0, 0},
    {"31.04.01", "12:00:00", kStamp, 2001, 5, 1, 12, 0, 0},
    // Rejected dates: no "." or "/", month or day out of range.
    {"2001-03-20", "7:55:20", kRejected},
    {"", "7:55:20", kRejected},
    {"13/01/01", "7:55:20", kRejected},
    {"00/10/01", "7:55:20", kRejected},
    {"-1/10/01", "7:55:20", kRejected},
    {"01/32/01", "7:55:20", kRejected},
    {"10/00/01", "7:55:20", kRejected},
    {"32.01.01", "7:55:20", kRejected},
    {"0.1.01", "7:55:20", kRejected},
    {"03 /20/01", "7:55:20", kRejected},  // stops before the day
    {"/20/01", "7:55:20", kRejected},
    // A year of 1900 or more is written in full, in both orders.
    {"20.3.2001", "7:55:20", kStamp, 2001, 3, 20, 7, 55, 20},
    {"03/20/2001", "7:55:20", kStamp, 2001, 3, 20, 7, 55, 20},
    {"10/1/2021", "7:19:08", kStamp, 2021, 10, 1, 7, 19, 8},
    {"03/20/1999", "7:55:20", kStamp, 1999, 3, 20, 7, 55, 20},
    {"01/01/1970", "7:55:20", kStamp, 1970, 1, 1, 7, 55, 20},
    {"01/18/2038", "12:00:00", kStamp, 2038, 1, 18, 12, 0, 0},
    // Below 1900 the two-digit rule still counts from 1900: 100 is 2000.
    {"03/20/100", "7:55:20", kStamp, 2000, 3, 20, 7, 55, 20},
    // Failed conversions: years outside 1970 to early 2038 once read,
    // two-digit years 39 to 79.
    {"01/19/2038", "12:00:00", kFailed},
    {"12/31/1969", "12:00:00", kFailed},
    {"01/01/1900", "12:00:00", kFailed},
    {"01/01/1899", "12:00:00", kFailed},  // 3799
    {"01/01/2100", "12:00:00", kFailed},
    {"12/31/79", "7:55:20", kFailed},
    {"01/01/40", "0:00:00", kFailed},
    {"12/31/39", "7:55:20", kFailed},
    {"01/19/38", "12:00:00", kFailed},
    {"12/31/37", "9999:00:00", kFailed},
    // Fields beyond 32 bits saturate; wrapped, each would read as 1 or 0
    // and give a valid stamp.
    {"4294967297/01/01", "0:00:00", kRejected},
    {"01/4294967297/01", "0:00:00", kRejected},
    {"01/01/4294967297", "0:00:00", kFailed},
    {"01/01/01", "4294967296:00:00", kFailed},
    {"01/01/01", "0:0:4294967296", kFailed},
    {"01/01/01", "0:0:-4294967296", kFailed},
    {"01/01/01", "2147483647:2147483647:2147483647", kFailed},
    {"01/01/01", "-2147483648:-2147483648:-2147483648", kFailed},
};

TimeStamp Expected(const DateCase& c, long seconds_west) {
  switch (c.kind) {
    case kRejected:
      return 0;
    case kFailed:
      return -1;
    case kStamp:
      break;
  }
  return static_cast<TimeStamp>(
      UtcSeconds(c.year, c.month, c.day, c.hour, c.minute, c.second) +
      seconds_west);
}

TEST(HitTimeTest, DateList) {
  for (long west : {kUtcPlus1, kUtc}) {
    for (const DateCase& c : kDateCases) {
      EXPECT_EQ(Expected(c, west), HitTimeCache(DateForm::kComma, west).ParseHitTime(c.date, c.time))
          << "date \"" << c.date << "\", time \"" << c.time << "\", west "
          << west;
    }
  }
}

TEST(HitTimeTest, RangeLimitsDependOnTheZone) {
  struct Case {
    long west;
    std::string_view date;
    std::string_view time;
    TimeStamp result;
  };
  const Case cases[] = {
      {kUtc, "01/19/38", "03:14:07", 2147483647},
      {kUtc, "01/19/38", "03:14:08", -1},
      // The fields must fit as UTC before the offset is applied.
      {kUtcPlus1, "01/19/38", "03:14:07", 2147483647 - 3600},
      {kUtcPlus1, "01/19/38", "03:14:08", -1},
      {kUtcPlus1, "01/19/38", "04:14:07", -1},
      // West of UTC the offset itself can pass the limit.
      {3600, "01/19/38", "02:14:07", 2147483647},
      {3600, "01/19/38", "02:14:08", -1},
      // Year -30 counts as 70. A negative result fails; at UTC the first
      // second is 0, which reads as a rejected date.
      {kUtc, "01/01/-30", "00:00:00", 0},
      {kUtc, "01/01/-30", "00:00:01", 1},
      {kUtcPlus1, "01/01/-30", "00:30:00", -1},
      {kUtcPlus1, "01/01/-30", "01:00:01", 1},
      // Year -31 counts as 69, the first year the conversion takes.
      {kUtc, "12/31/-31", "23:30:00", -1},
      {3600, "12/31/-31", "23:30:00", 1800},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.result, HitTimeCache(DateForm::kComma, c.west).ParseHitTime(c.date, c.time))
        << "date \"" << c.date << "\", time \"" << c.time << "\", west "
        << c.west;
  }
}

// A date text for the cache test: mostly common dates, some malformed, some
// long enough to outgrow any fixed copy of the last text.
std::string RandomDate(std::mt19937& rng) {
  static const char* const kDates[] = {
      "03/20/01", "3/20/01", "03/21/01", "03/20/0", "03/20/011", "20.03.01",
      "20.03.0", "21.03.01", "02/31/01", "12/31/99", "01/01/00", "01/18/38",
      "01/19/38", "12/31/39", "03/20/2001", "13/01/01", "10/00/01",
      "2001-03-20", "", "20.03", "1.2/3", "01/4294967297/01", "-", "03/20/01 "};
  const int count = static_cast<int>(std::size(kDates));
  std::uniform_int_distribution<int> pick(0, count + 1);
  int i = pick(rng);
  if (i < count) return kDates[i];
  // Blanks in front push the digits past the first 32 bytes; both texts
  // have the same length and the same first 40 bytes.
  return std::string(40, ' ') + (i == count ? "03/20/01" : "03/21/01");
}

std::string RandomTime(std::mt19937& rng) {
  std::uniform_int_distribution<int> part(-2, 70);
  std::uniform_int_distribution<int> shape(0, 9);
  switch (shape(rng)) {
    case 0:
      return "";
    case 1:
      return std::to_string(part(rng)) + ":" + std::to_string(part(rng));
    case 2:
      return "0:0:4294967296";
    default:
      return std::to_string(part(rng) % 26) + ":" + std::to_string(part(rng)) +
             ":" + std::to_string(part(rng));
  }
}

TEST(HitTimeTest, CacheGivesTheSameResults) {
  std::mt19937 rng(20010320);
  std::bernoulli_distribution same_date(0.7);
  HitTimeCache utc(DateForm::kComma, kUtc);
  HitTimeCache cet(DateForm::kComma, kUtcPlus1);
  std::string date = RandomDate(rng);
  for (int i = 0; i < 20000; ++i) {
    if (!same_date(rng)) date = RandomDate(rng);
    const std::string time = RandomTime(rng);
    ASSERT_EQ(HitTimeCache(DateForm::kComma, kUtc).ParseHitTime(date, time), utc.ParseHitTime(date, time))
        << "step " << i << ", date \"" << date << "\", time \"" << time << "\"";
    ASSERT_EQ(HitTimeCache(DateForm::kComma, kUtcPlus1).ParseHitTime(date, time), cet.ParseHitTime(date, time))
        << "step " << i << ", date \"" << date << "\", time \"" << time << "\"";
  }
}

}  // namespace
