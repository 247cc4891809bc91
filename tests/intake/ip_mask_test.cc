#include "intake/ip_mask.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

// What ParseIpMask gives for a text: the ranges, or "refused".
std::string Parse(std::string_view text) {
  IpMask mask;
  for (IpMask::Range& range : mask.octets) range = {7, 9};
  const std::string before = mask.ToString();
  if (ParseIpMask(text, &mask)) return mask.ToString();
  // A refused text must leave the destination as it was.
  EXPECT_EQ(before, mask.ToString()) << "refused \"" << text << "\" wrote";
  return "refused";
}

struct ParseCase {
  std::string_view text;
  std::string_view result;
};

void ExpectParses(const ParseCase* begin, const ParseCase* end) {
  for (const ParseCase* c = begin; c != end; ++c) {
    EXPECT_EQ(c->result, Parse(c->text)) << "mask \"" << c->text << "\"";
  }
}

TEST(IpMaskTest, ToStringFormat) {
  IpMask mask;
  mask.octets[0] = {10, 10};
  mask.octets[3] = {0, 255};
  EXPECT_EQ("10-10 0-0 0-0 0-255", mask.ToString());
}

TEST(IpMaskTest, AcceptedMasks) {
  const ParseCase cases[] = {
      {"10.0.0.*", "10-10 0-0 0-0 0-255"},
      {"*.*.*.*", "0-255 0-255 0-255 0-255"},
      {"192.168.1-20.*", "192-192 168-168 1-20 0-255"},
      {"10.*.0.0", "10-10 0-255 0-0 0-0"},
      {"1.2.3.4-5", "1-1 2-2 3-3 4-5"},
      {"255.255.255.255", "255-255 255-255 255-255 255-255"},
      {"0-255.0.0.0", "0-255 0-0 0-0 0-0"},
      // Only the first part may start with "-" or be empty.
      {"-5.1.2.3", "0-5 1-1 2-2 3-3"},
      {".1.2.3", "0-0 1-1 2-2 3-3"},
      // Blanks vanish where they are allowed, even between digits.
      {" 10.0.0.1 ", "10-10 0-0 0-0 1-1"},
      {"1 2.3.4.5", "12-12 3-3 4-4 5-5"},
      {"10 .0.0.1 -5", "10-10 0-0 0-0 1-5"},
      {"1-2 3.0.0.0", "1-23 0-0 0-0 0-0"},
      {" *.1.2.3", "0-255 1-1 2-2 3-3"},
      // A backward range is accepted; it contains nothing.
      {"200-100.0.0.0", "200-100 0-0 0-0 0-0"},
      // "*" after a range whose Low is still 0 replaces it; the over-large
      // High is never checked because "*" set it to 255.
      {"-300 *.1.2.3", "0-255 1-1 2-2 3-3"},
      {"-99999999999 *.1.2.3", "0-255 1-1 2-2 3-3"},
  };
  ExpectParses(std::begin(cases), std::end(cases));
}

TEST(IpMaskTest, RefusedMasks) {
  const ParseCase cases[] = {
      {"", "refused"},
      {" ", "refused"},
      {"*", "refused"},
      {"1.2.3", "refused"},          // three parts
      {"1.2.3.4.5", "refused"},      // a fourth "."
      {"1.2.3.", "refused"},         // nothing after the last "."
      {"10..0.0", "refused"},        // "." followed by "."
      {"10.0.0. 1", "refused"},      // blank after "."
      {"10.0.0.* ", "refused"},      // blank after "*"
      {"10.**.0.0", "refused"},      // "*" followed by "*"
      {"10.0.0.5*", "refused"},      // digit followed by "*"
      {"10.0.0.1 *", "refused"},     // "*" where Low is already 1
      {"*-5.0.0.0", "refused"},      // "*" followed by "-"
      {"10.0-.0.0", "refused"},      // "-" not followed by a digit
      {"1.2.3.4-", "refused"},       // "-" at the end
      {"5-*.0.0.0", "refused"},
      {"10.1-2-3.0.0", "refused"},   // second "-" in a part
      {"1.2.3.-4", "refused"},       // "." followed by "-"
      {"256.0.0.0", "refused"},      // Low over 255, found at "."
      {"1-256.0.0.0", "refused"},    // High over 255, found at "."
      {"1.2.3.256", "refused"},      // found at the end
      {"0.0.0.0-256", "refused"},
  };
  ExpectParses(std::begin(cases), std::end(cases));
}

TEST(IpMaskTest, ForeignCharactersRefuse) {
  // Folded like digits these would give bounds within 0-255 (1a is 59, a tab
  // after 1 is -29), so only refusing them keeps such masks out.
  const ParseCase cases[] = {
      {"1a.2.3.4", "refused"},
      {"10.0.0.1\t", "refused"},
      {"\t10.0.0.1", "refused"},
      {"10.0.0.0x", "refused"},
      {"1,2.3.4.5", "refused"},
      {"\xC8.0.0.0", "refused"},
      {"+1.0.0.0", "refused"},
  };
  ExpectParses(std::begin(cases), std::end(cases));
}

TEST(IpMaskTest, BoundsSaturateInsteadOfWrapping) {
  // 4294967296 and 42949672960 wrap to 0 in 32 bits, which would accept them.
  const ParseCase cases[] = {
      {"4294967296.0.0.0", "refused"},
      {"0.0.0.42949672960", "refused"},
      {"1-4294967296.0.0.0", "refused"},
      {"99999999999999999999.0.0.0", "refused"},
  };
  ExpectParses(std::begin(cases), std::end(cases));
}

TEST(IpMaskTest, ReadIpAddress) {
  struct Case {
    std::string_view text;
    IpAddress octets;
  };
  const Case cases[] = {
      {"192.168.1.20", {192, 168, 1, 20}},
      {"10.0", {10, 0, 0, 0}},
      {"abc", {0, 0, 0, 0}},
      {"", {0, 0, 0, 0}},
      {"1.2.3.4.5", {1, 2, 3, 4}},
      {"10.0.0.7:80", {10, 0, 0, 7}},
      {"1..2.3", {1, 0, 0, 0}},
      {" 1. 2.\t3.+4", {1, 2, 3, 4}},
      {"10 .0.0.7", {10, 0, 0, 0}},
      {"-1.300.0.0", {-1, 300, 0, 0}},
      {"010.0.0.1", {10, 0, 0, 1}},
      {"99999999999.1.2.3", {kMax, 1, 2, 3}},
      {"-99999999999.1.2.3", {kMin, 1, 2, 3}},
      {"1.2.3.4294967303", {1, 2, 3, kMax}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.octets, ReadIpAddress(c.text)) << "address \"" << c.text << "\"";
  }
}

TEST(IpMaskTest, MatchIpMasks) {
  struct Case {
    std::string_view address;
    std::string_view list;
    int result;
  };
  const Case cases[] = {
      {"10.0.0.7", "10.0.0.*", 1},
      {"10.0.0.7", "192.168.*.*,10.0.0.*", 1},
      {"10.0.0.7", "10.0.0.1-9", 1},
      {"10.0.0.7", "10.0.0.7-7", 1},
      {"10.0.0.7", "10.0.0.8-9", 0},
      {"10.0.0.7", "10.0.0.9-1", 0},
      {"10.0.0.7", "11.0.0.7", 0},
      {"10.0.0.7", ",10.0.0.7,", 1},
      {"10.0.0.7", " 10.0.0.7", 1},
      {"10.0.0.7", "10.0.0.*,1.2.3", 1},
      {"10.0.0.7", "1.2.3,10.0.0.*", 0},
      {"10.0.0.7", "10.0.0.* , 10.0.0.7", 0},
      {"10.0.0.7", "", 0},
      {"10.0.0.7", ",,,", 0},
      {"10.0.0.7", " ", 0},
      // Short and non-numeric addresses: the octets not read are 0.
      {"10.0", "10.0.0.0", 1},
      {"10.0", "10.0.0.1", 0},
      {"abc", "0.0.0.0", 1},
      {"abc", "*.*.*.*", 1},
      {"abc", "1.0.0.0", 0},
      {"10 .0.0.7", "10.0.0.0", 1},
      {" 10. 0.0.7", "10.0.0.7", 1},
      {"10.0.0.7:80", "10.0.0.7", 1},
      // Octets outside 0-255 fail every range within 0-255.
      {"10.0.0.300", "10.0.0.*", 0},
      {"-1.0.0.0", "*.0.0.0", 0},
      // 4294967306 would wrap to 10 in 32 bits.
      {"4294967306.0.0.7", "10.0.0.7", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.result, MatchIpMasks(c.address, ParseIpMaskList(c.list)))
        << "address \"" << c.address << "\", list \"" << c.list << "\"";
  }
}

}  // namespace
