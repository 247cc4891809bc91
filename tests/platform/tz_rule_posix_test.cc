// The TZ rules read by the platform layer's own code (for Windows), beside
// the C library's reading of the same values on this POSIX system.
#include "platform/tz_rule.h"

#include <gtest/gtest.h>

#include <ctime>

#include "fakes.h"
#include "platform/local_time.h"

namespace {

TEST(TzRuleTest, AgreesWithTheCLibrary) {
  struct Zone {
    const char* zone;
    std::int64_t from;
  };
  const Zone zones[] = {
      {"UTC0", 0},
      {"CET-1CEST,M3.5.0,M10.5.0/3", 0},
      {"EST5EDT,M3.2.0,M11.1.0", 0},
      // No rules: the United States' since 2007 (the C library takes older
      // ones from its zone files).
      {"ABC5DEF", 1167609600},
      {"<+0330>-3:30", 0},  // a quoted name, minutes
      {"NZST-12NZDT,M9.5.0,M4.1.0/3", 0},  // the south: daylight over new year
      {"AAA3BBB2,J60/1:30:15,300/-1", 0},  // Julian days, a negative time
      {"XXX-14:45YYY-13,M1.1.0/0,M12.5.6/25", 0},
  };
  for (const auto& [zone, from] : zones) {
    ScopedTimeZone tz(zone);
    TzRule rule;
    ASSERT_TRUE(ParseTzRule(zone, &rule)) << zone;
    EXPECT_EQ(rule.standard_west, StandardSecondsWest()) << zone;
    // Every 7 hours and 13 minutes from 1970 to 2040 meets each change of
    // each year at both of its sides within a few steps.
    for (std::int64_t t = from; t < std::int64_t{2208988800}; t += 7 * 3600 + 13 * 60) {
      std::tm ours{};
      std::tm theirs{};
      LocalTimeUnder(rule, t, &ours);
      const time_t value = static_cast<time_t>(t);
      ASSERT_NE(localtime_r(&value, &theirs), nullptr);
      ASSERT_TRUE(ours.tm_year == theirs.tm_year && ours.tm_yday == theirs.tm_yday &&
                  ours.tm_mon == theirs.tm_mon && ours.tm_mday == theirs.tm_mday &&
                  ours.tm_wday == theirs.tm_wday && ours.tm_hour == theirs.tm_hour &&
                  ours.tm_min == theirs.tm_min && ours.tm_isdst == theirs.tm_isdst)
          << zone << " at " << t;
      ASSERT_EQ(SecondsEastOf(theirs, t), theirs.tm_gmtoff) << zone << " at " << t;
      // Back again: the same instant, or in the hour the change back
      // repeats, its twin in standard time.
      const std::int64_t back = TimeStampUnder(rule, theirs);
      ASSERT_TRUE(back == t || back == t + rule.standard_west - rule.daylight_west)
          << zone << " at " << t;
    }
  }
}

TEST(TzRuleTest, RefusesWhatIsNoRule) {
  for (const char* text : {"", "UTC", "Europe/Oslo", ":Europe/Oslo", "CET-1CEST,M3.5.0",
                           "CET-1CEST,M13.5.0,M10.5.0", "AB1", "CET-25", "CET-1CEST,M3.5.0,M10.5.0x"}) {
    TzRule rule;
    EXPECT_FALSE(ParseTzRule(text, &rule)) << text;
  }
}

}  // namespace
