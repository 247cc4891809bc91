#include "stats/traffic.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "test_util.h"

namespace {

TimeStamp At(int year, unsigned month, unsigned day, int hour, int minute = 0) {
  return static_cast<TimeStamp>(UtcSeconds(year, month, day, hour, minute));
}

// A byte field is an unsigned 64-bit count; what is negative, unreadable or
// too large counts nothing.
TEST(TrafficTest, ByteCount) {
  const struct {
    const char* field;
    std::uint64_t bytes;
  } cases[] = {
      {"512", 512},
      {"4700000000", 4700000000},  // past the signed 32-bit range
      {"18446744073709551615", std::numeric_limits<std::uint64_t>::max()},
      {"18446744073709551616", 0},
      {"9999999999999999999", 9999999999999999999u},  // the longest read unchecked
      {"99999999999999999999", 0},
      {"000000000000000000000000018446744073709551615", std::numeric_limits<std::uint64_t>::max()},
      {"-5", 0},
      {"-2147483648", 0},
      {"abc", 0},
      {"", 0},
      {" +7", 7},
      {"12abc", 12},
  };
  for (const auto& c : cases) EXPECT_EQ(c.bytes, ByteCount(c.field)) << c.field;
}

// Bytes add up past 32 bits across hits and batches, and stop at the top
// instead of wrapping.
TEST(TrafficTest, BytesAddUp) {
  const TimeStamp t = At(2001, 3, 20, 7);
  TrafficBatch batch;
  for (int i = 0; i < 3; ++i) batch.Add(t, DateForm::kComma, "200", "4700000000");
  batch.Add(t, DateForm::kComma, "200", "-2000000000");
  Traffic traffic;
  AddTraffic(&traffic, batch);
  AddTraffic(&traffic, batch);
  EXPECT_EQ(28200000000u, traffic.bytes);

  batch.Clear();
  batch.Add(t, DateForm::kComma, "200", "18446744073709551615");
  AddTraffic(&traffic, batch);
  EXPECT_EQ(std::numeric_limits<std::uint64_t>::max(), traffic.bytes);
}

// Texts that are not three digits are counted as a group; a batch and the
// run name only a bounded number of distinct ones, and the group's count
// holds them all.
TEST(TrafficTest, OtherStatusTextsBounded) {
  const TimeStamp t = At(2001, 3, 20, 7);
  Traffic traffic;
  std::vector<std::string> texts;
  for (int i = 0; i < 200; ++i) texts.push_back("x" + std::to_string(i));
  for (std::size_t start = 0; start < texts.size(); start += 20) {
    TrafficBatch batch;
    for (std::size_t i = start; i < start + 20; ++i) {
      batch.Add(t, DateForm::kW3c, texts[i], "0");
      batch.Add(t, DateForm::kW3c, texts[start], "0");
    }
    ASSERT_EQ(kBatchStatusTexts, batch.other_named.size());
    EXPECT_EQ(21u, batch.other_named[0].second);
    EXPECT_EQ(40u, batch.other_status);
    AddTraffic(&traffic, batch);
  }
  EXPECT_EQ(kKeptStatusTexts, traffic.other_named.size());
  EXPECT_EQ(400, traffic.other_status);
  EXPECT_EQ(21, traffic.other_named.at("x0"));
  EXPECT_EQ(0, traffic.three_digit[200]);
}

// A run of hits in one quarter hour is one entry, kept apart by the clock
// the times were read on; hits at a negative time have no date; times out
// of order still land in their quarter hour.
TEST(TrafficTest, QuarterHours) {
  TrafficBatch batch;
  const TimeStamp t = At(2001, 3, 20, 7);
  batch.Add(t, DateForm::kComma, "200", "0");
  batch.Add(t + 899, DateForm::kComma, "200", "0");
  batch.Add(t + 900, DateForm::kComma, "200", "0");
  batch.Add(t, DateForm::kComma, "200", "0");
  batch.Add(t, DateForm::kW3c, "200", "0");
  batch.Add(-1, DateForm::kComma, "200", "0");
  const auto& comma = batch.quarters[static_cast<int>(DateForm::kComma)];
  ASSERT_EQ(3u, comma.size());
  EXPECT_EQ(2u, comma[0].second);
  Traffic traffic;
  AddTraffic(&traffic, batch);
  ASSERT_EQ(2u, traffic.quarters[static_cast<int>(DateForm::kComma)].size());
  EXPECT_EQ(3, traffic.quarters[static_cast<int>(DateForm::kComma)].begin()->second);
  EXPECT_EQ(1u, traffic.quarters[static_cast<int>(DateForm::kW3c)].size());
  EXPECT_EQ(1, traffic.undated);
}

}  // namespace
