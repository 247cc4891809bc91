#include "stats/traffic.h"

#include <gtest/gtest.h>

#include <string>

#include "fakes.h"
#include "test_util.h"

namespace {

std::string Rows(const Traffic& traffic) {
  std::string text;
  for (const StatusHits& row : StatusRows(traffic)) {
    text += (row.present ? "[" + row.text + "]" : std::string("-")) + "=" +
            std::to_string(row.hits) + " ";
  }
  return text;
}

std::string Days(const LocalTraffic& local) {
  std::string text;
  for (const DayHits& day : local.days) {
    text += std::to_string(day.year) + "-" + std::to_string(day.month) + "-" +
            std::to_string(day.day) + "=" + std::to_string(day.hits) + " ";
  }
  return text + "undated=" + std::to_string(local.undated);
}

TimeStamp At(int year, unsigned month, unsigned day, int hour, int minute = 0) {
  return static_cast<TimeStamp>(UtcSeconds(year, month, day, hour, minute));
}

// Three-digit codes, other texts and the absent status are one list in
// byte order, the absent last; batches add up, and a cleared batch is empty.
TEST(TrafficTest, StatusRows) {
  const TimeStamp t = At(2001, 3, 20, 7);
  TrafficBatch batch;
  for (std::string_view status : {"404", "200", "2000", "200", "abc", "007"}) batch.Add(t, status);
  batch.Add(t, std::string_view());
  Traffic traffic;
  AddTraffic(&traffic, batch);
  AddTraffic(&traffic, batch);
  EXPECT_EQ("[007]=2 [200]=4 [2000]=2 [404]=2 [abc]=2 -=2 ", Rows(traffic));

  batch.Clear();
  EXPECT_EQ(0u, batch.hits);
  AddTraffic(&traffic, batch);
  EXPECT_EQ("[007]=2 [200]=4 [2000]=2 [404]=2 [abc]=2 -=2 ", Rows(traffic));
}

// A run of hits in one quarter hour is one entry; hits at a negative time
// have no date; times out of order still land in their quarter hour.
TEST(TrafficTest, QuarterHours) {
  TrafficBatch batch;
  const TimeStamp t = At(2001, 3, 20, 7);
  batch.Add(t, "200");
  batch.Add(t + 899, "200");
  batch.Add(t + 900, "200");
  batch.Add(t, "200");
  batch.Add(-1, "200");
  ASSERT_EQ(3u, batch.quarters.size());
  EXPECT_EQ(2u, batch.quarters[0].second);
  Traffic traffic;
  AddTraffic(&traffic, batch);
  ASSERT_EQ(2u, traffic.quarters.size());
  EXPECT_EQ(3, traffic.quarters.begin()->second);
  EXPECT_EQ(1, traffic.undated);
}

// Days and hours are local, with daylight saving time, as the report's
// dates; zones whose offset is not whole hours keep their quarter hours.
TEST(TrafficTest, LocalDaysAndHours) {
  struct Case {
    const char* zone;
    std::vector<TimeStamp> hits;
    std::string days;
    int hour;  // the local hour of the first hit
  };
  const Case cases[] = {
      // 22:59 and 23:00 UTC in winter: 23:59 CET, then midnight.
      {"Europe/Oslo", {At(2001, 3, 24, 22, 59), At(2001, 3, 24, 23, 0)},
       "2001-3-24=1 2001-3-25=1 undated=0", 23},
      // 22:00 UTC in summer is midnight CEST, the next day.
      {"Europe/Oslo", {At(2001, 7, 1, 22, 0)}, "2001-7-2=1 undated=0", 0},
      // 18:14 and 18:15 UTC are 23:59 and 00:00 in Kathmandu (+05:45).
      {"Asia/Kathmandu", {At(2001, 3, 20, 18, 14), At(2001, 3, 20, 18, 15)},
       "2001-3-20=1 2001-3-21=1 undated=0", 23},
      {"America/New_York", {At(2001, 3, 20, 3, 0), -1}, "2001-3-19=1 undated=1", 22},
  };
  for (const Case& c : cases) {
    ScopedTimeZone tz(c.zone);
    TrafficBatch batch;
    for (TimeStamp t : c.hits) batch.Add(t, "200");
    Traffic traffic;
    AddTraffic(&traffic, batch);
    const LocalTraffic local = ByLocalTime(traffic);
    EXPECT_EQ(c.days, Days(local)) << c.zone;
    EXPECT_EQ(1, local.hours[static_cast<std::size_t>(c.hour)]) << c.zone;
  }
}

}  // namespace
