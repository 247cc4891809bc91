#include "bytes/decimal.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string_view>

namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

TEST(DecimalTest, ScanDecimalReadsLikePercentD) {
  struct Case {
    std::string_view text;
    std::size_t start;
    bool found;
    std::int32_t value;
    std::size_t end;  // position after the call
  };
  const Case cases[] = {
      {"42", 0, true, 42, 2},
      {"  42x", 0, true, 42, 4},
      {" \t\n\v\f\r7", 0, true, 7, 7},
      {"+7", 0, true, 7, 2},
      {"-7", 0, true, -7, 2},
      {"007", 0, true, 7, 3},  // a leading zero does not make it octal
      {"0x10", 0, true, 0, 1},
      {"1.25", 2, true, 25, 4},  // starts where it is told
      {"12 34", 2, true, 34, 5},
      // No digit: nothing moves, the old value stays.
      {"", 0, false, -99, 0},
      {"   ", 0, false, -99, 0},
      {"abc", 0, false, -99, 0},
      {"+", 0, false, -99, 0},
      {"- 7", 0, false, -99, 0},  // the sign must touch the digits
      {"+-7", 0, false, -99, 0},
      {"--7", 0, false, -99, 0},
      {"12.", 3, false, -99, 3},
      // Saturation at the signed 32-bit limits, all digits consumed.
      {"2147483647", 0, true, kMax, 10},
      {"2147483648", 0, true, kMax, 10},
      {"4294967296", 0, true, kMax, 10},  // wraps to 0 when it overflows
      {"99999999999999999999x", 0, true, kMax, 20},
      {"-2147483648", 0, true, kMin, 11},
      {"-2147483649", 0, true, kMin, 11},
      {"-99999999999999999999", 0, true, kMin, 21},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "\"" << c.text << "\" from " << c.start);
    std::size_t pos = c.start;
    std::int32_t value = -99;
    EXPECT_EQ(c.found, ScanDecimal(c.text, &pos, &value));
    EXPECT_EQ(c.value, value);
    EXPECT_EQ(c.end, pos);
  }
}

TEST(DecimalTest, ReadDecimalReadsLikeAtoi) {
  struct Case {
    std::string_view text;
    std::int32_t value;
  };
  const Case cases[] = {
      {"322", 322},          {"  -12abc", -12},     {"+5", 5},
      {"", 0},               {"abc", 0},            {"-", 0},
      {"  ", 0},             {"1 2", 1},            {"2147483647", kMax},
      {"2147483648", kMax},  {"-2147483648", kMin}, {"-2147483649", kMin},
      {"12345678901234567890", kMax},
      // Around the short road: nine digits, ten, a number that stops early.
      {"999999999", 999999999}, {"1234567890", 1234567890}, {"0042x9", 42},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.value, ReadDecimal(c.text)) << "\"" << c.text << "\"";
  }
}

TEST(DecimalTest, ReadDecimalStopsAtTheViewsEnd) {
  // The text is a view into a longer buffer; digits beyond it are not its.
  std::string_view buffer = "12345";
  EXPECT_EQ(123, ReadDecimal(buffer.substr(0, 3)));
}

}  // namespace
