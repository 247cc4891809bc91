#include "run/command_line.h"

#include <gtest/gtest.h>

#include "fakes.h"

namespace {

// --from and --to values: the forms the manual gives are read, anything
// else (a calendar that has no such day, a missing or extra part, another
// separator) is refused, so that a typing slip never silently reports on
// the wrong period.
TEST(ReadRangeTimeTest, FormsAndRefusals) {
  ScopedTimeZone zone("Europe/Oslo");  // UTC+1, summer time UTC+2
  constexpr long kOsloWest = -3600;
  struct Case {
    const char* text;
    bool read;
    std::int64_t local;     // when read
    std::int64_t standard;  // when read
  } const kCases[] = {
      {"2024-01-31", true, 1706655600, 1706655600},
      {"2024-01-31T08:00", true, 1706684400, 1706684400},
      {"2024-01-31T08:00:59", true, 1706684459, 1706684459},
      // In summer the local bound is an hour earlier than the standard one.
      {"2024-07-01T12:00", true, 1719828000, 1719831600},
      {"2024-02-29", true, 1709161200, 1709161200},
      {"2023-02-29", false, 0, 0},
      {"2024-02-30", false, 0, 0},
      {"2024-13-01", false, 0, 0},
      {"0000-01-01", false, 0, 0},
      {"2024-1-31", false, 0, 0},
      {"24-01-31", false, 0, 0},
      {"2024-01-31T8:00", false, 0, 0},
      {"2024-01-31T24:00", false, 0, 0},
      {"2024-01-31T08:60", false, 0, 0},
      {"2024-01-31T08", false, 0, 0},
      {"2024-01-31 08:00", false, 0, 0},
      {"2024-01-31T08:00:00Z", false, 0, 0},
      {"2024-01-31T08:00:00:00", false, 0, 0},
      {"", false, 0, 0},
  };
  for (const Case& c : kCases) {
    RangeTime t;
    EXPECT_EQ(c.read, ReadRangeTime(c.text, kOsloWest, &t)) << c.text;
    if (!c.read) continue;
    EXPECT_EQ(c.local, t.local) << c.text;
    EXPECT_EQ(c.standard, t.standard) << c.text;
  }
}

}  // namespace
