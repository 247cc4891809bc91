#include "bytes/ip_address.h"

#include <gtest/gtest.h>

#include <string_view>

namespace {

// The text forms of IPv6 addresses, as inet_pton reads them.
TEST(Ipv6AddressTest, ReadsTheTextForms) {
  struct Case {
    std::string_view text;
    bool valid;
    Ipv6Bytes bytes;
  };
  const Ipv6Bytes loopback = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
  const Ipv6Bytes full = {0x20, 0x01, 0x0d, 0xb8, 0, 0, 0, 0, 0, 0, 0, 0, 0xab, 0xcd, 0, 0x0f};
  const Ipv6Bytes mapped = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff, 192, 0, 2, 1};
  const Ipv6Bytes ends = {0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  const Case cases[] = {
      {"::1", true, loopback},
      {"0:0:0:0:0:0:0:1", true, loopback},
      {"2001:DB8:0:0:0:0:AbCd:f", true, full},
      {"2001:db8::abcd:f", true, full},
      {"::ffff:192.0.2.1", true, mapped},
      {"0:0:0:0:0:ffff:192.0.2.1", true, mapped},
      {"1::", true, ends},
      {"::", true, {}},
      {"", false, {}},
      {":", false, {}},
      {":::", false, {}},
      {":1::", false, {}},
      {"1:", false, {}},
      {"1::2::3", false, {}},
      {"1:2:3:4:5:6:7", false, {}},      // too few groups
      {"1:2:3:4:5:6:7:8:9", false, {}},  // too many
      {"1:2:3:4::5:6:7:8", false, {}},   // "::" with no zero group left
      {"12345::", false, {}},            // five digits in a group
      {"g::", false, {}},
      {"::1%eth0", false, {}},           // a zone
      {"::1 ", false, {}},
      {"192.0.2.1", false, {}},          // IPv4 alone
      {"::192.0.2.256", false, {}},
      {"::192.0.02.1", false, {}},       // a leading zero in the quad
      {"::192.0.2", false, {}},
      {"::192.0.2.1:1", false, {}},      // the quad must come last
      {"::1a.0.2.1", false, {}},
      {"1:2:3:4:5:6:7:1.2.3.4", false, {}},  // the quad past the sixteenth byte
  };
  for (const Case& c : cases) {
    Ipv6Bytes bytes{};
    ASSERT_EQ(ParseIpv6Address(c.text, &bytes), c.valid) << c.text;
    if (c.valid) {
      EXPECT_EQ(bytes, c.bytes) << c.text;
    }
  }
}

}  // namespace
