#include "report/traffic_panels.h"

#include <gtest/gtest.h>

#include <string>

#include "fakes.h"
#include "test_util.h"

namespace {

std::string Rows(const Traffic& traffic) {
  std::string text;
  for (const StatusHits& row : StatusRows(traffic)) {
    switch (row.kind) {
      case StatusHits::Kind::kCode: text += "[" + row.text + "]"; break;
      case StatusHits::Kind::kOther: text += "other"; break;
      case StatusHits::Kind::kAbsent: text += "-"; break;
    }
    text += "=" + std::to_string(row.hits);
    for (const StatusHits::Named& named : row.named) {
      text += " (" + std::string(named.text) + "=" + std::to_string(named.hits) + ")";
    }
    text += " ";
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

// Codes in order, then one row for the texts that are not codes with the
// most frequent named (ties in byte order), then the absent status.
TEST(TrafficPanelsTest, StatusRows) {
  const TimeStamp t = At(2001, 3, 20, 7);
  TrafficBatch batch;
  for (std::string_view status : {"404", "200", "2000", "200", "abc", "007", "g", "f", "e", "d",
                                  "c", "c", "b", "b"}) {
    batch.Add(t, DateForm::kComma, status, "0");
  }
  batch.Add(t, DateForm::kComma, std::string_view(), "0");
  Traffic traffic;
  AddTraffic(&traffic, batch);
  EXPECT_EQ("[007]=1 [200]=2 [404]=1 other=10 (b=2) (c=2) (2000=1) (abc=1) (d=1) -=1 ",
            Rows(traffic));
}

// W3C hours are local, with summer time, as the report's dates; zones
// whose offset is not whole hours keep their quarter hours. Comma-format
// hours are the log's own: read as standard time, shown as standard time.
TEST(TrafficPanelsTest, LocalDaysAndHours) {
  struct Case {
    const char* zone;
    DateForm form;
    std::vector<TimeStamp> hits;
    std::string days;
    int hour;  // the hour shown for the first hit
  };
  const Case cases[] = {
      // 22:59 and 23:00 UTC in winter: 23:59 CET, then midnight.
      {"Europe/Oslo", DateForm::kW3c, {At(2001, 3, 24, 22, 59), At(2001, 3, 24, 23, 0)},
       "2001-3-24=1 2001-3-25=1 undated=0", 23},
      // 22:00 UTC in summer is midnight CEST, the next day.
      {"Europe/Oslo", DateForm::kW3c, {At(2001, 7, 1, 22, 0)}, "2001-7-2=1 undated=0", 0},
      // 18:14 and 18:15 UTC are 23:59 and 00:00 in Kathmandu (+05:45).
      {"Asia/Kathmandu", DateForm::kW3c, {At(2001, 3, 20, 18, 14), At(2001, 3, 20, 18, 15)},
       "2001-3-20=1 2001-3-21=1 undated=0", 23},
      {"America/New_York", DateForm::kW3c, {At(2001, 3, 20, 3, 0), -1}, "2001-3-19=1 undated=1",
       22},
      // A comma log's 12:00 and 23:30 in July were read as 11:00 and 22:30
      // UTC (CET, one hour east); they stay 12:00 and on the 1st.
      {"Europe/Oslo", DateForm::kComma, {At(2001, 7, 1, 11, 0), At(2001, 7, 1, 22, 30)},
       "2001-7-1=2 undated=0", 12},
      // New York's standard time is five hours west, summer or not.
      {"America/New_York", DateForm::kComma, {At(2001, 7, 2, 4, 15)}, "2001-7-1=1 undated=0", 23},
      // Kathmandu's 23:45, read as 18:00 UTC.
      {"Asia/Kathmandu", DateForm::kComma, {At(2001, 3, 20, 18, 0)}, "2001-3-20=1 undated=0", 23},
  };
  for (const Case& c : cases) {
    ScopedTimeZone tz(c.zone);
    TrafficBatch batch;
    for (TimeStamp t : c.hits) batch.Add(t, c.form, "200", "0");
    Traffic traffic;
    AddTraffic(&traffic, batch);
    tzset();
    const LocalTraffic local = ByLocalTime(traffic, timezone);
    EXPECT_EQ(c.days, Days(local)) << c.zone;
    EXPECT_EQ(1, local.hours[static_cast<std::size_t>(c.hour)]) << c.zone;
  }
}

}  // namespace
