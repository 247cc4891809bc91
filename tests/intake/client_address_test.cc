#include "intake/client_address.h"

#include <gtest/gtest.h>

#include <string>

#include "intake/w3c_format.h"

namespace {

TrustedProxies Trusted(const char* list) {
  TrustedProxies proxies;
  EXPECT_TRUE(ParseTrustedProxies(list, &proxies)) << list;
  return proxies;
}

// The walk from the right: a trusted proxy is passed over, a port or
// brackets never make an address, and an item that is no address stops the
// walk rather than being taken for a client.
TEST(ClientAddressTest, RealClient) {
  const TrustedProxies trusted = Trusted("10.0.0.*,172.16-31.*.*,2001:db8:ffff::/48");
  struct Case {
    const char* forwarded;
    const char* client;  // "" when the connection's address stands
  };
  const Case cases[] = {
      {"1.2.3.4", "1.2.3.4"},
      {"1.2.3.4:5678", "1.2.3.4"},
      {"[2001:db8::1]:443", "2001:db8::1"},
      {"[2001:db8::1]", "2001:db8::1"},
      {"2001:db8::1", "2001:db8::1"},
      {"5.6.7.8,+1.2.3.4", "1.2.3.4"},
      {"5.6.7.8, 10.0.0.1", "5.6.7.8"},
      {"5.6.7.8,10.0.0.1:80,172.20.1.1", "5.6.7.8"},
      {"2001:db8::2,2001:db8:ffff:1::9", "2001:db8::2"},
      {"2001:db8::2,2001:db8:fffe::9", "2001:db8:fffe::9"},  // outside the /48
      {"1.2.3.4,::ffff:10.0.0.7", "1.2.3.4"},                 // a mapped proxy
      {"10.0.0.2,10.0.0.1", "10.0.0.2"},                      // all trusted: the left-most
      {"1.2.3.4,,+,", "1.2.3.4"},                             // empty items
      {"", ""},
      {",", ""},
      {"unknown", ""},
      {"1.2.3.4,unknown", ""},
      {"unknown,10.0.0.1", ""},
      {"1.2.3.04", ""},  // a leading zero reads differently on different systems
      {"[2001:db8::1", ""},
      {"[2001:db8::1]x", ""},
      {"1.2.3.4:80:90", ""},
      {"fe80::1%eth0", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.client, RealClient(c.forwarded, trusted)) << c.forwarded;
  }
  EXPECT_EQ("10.0.0.1", RealClient("10.0.0.1", TrustedProxies()));
}

// A hostile value costs one pass: a long run of trusted proxies and a long
// item that is no address.
TEST(ClientAddressTest, LongValuesAreOnePass) {
  std::string chain = "1.2.3.4";
  for (int i = 0; i < 20000; ++i) chain += ",10.0.0.1";
  EXPECT_EQ("1.2.3.4", RealClient(chain, Trusted("10.0.0.*")));
  EXPECT_EQ("", RealClient(std::string(60000, '1'), TrustedProxies()));
  EXPECT_EQ("", RealClient(std::string(60000, ','), TrustedProxies()));
}

TEST(ClientAddressTest, TrustedProxyLists) {
  struct Case {
    const char* list;
    const char* parsed;  // nullptr when refused
  };
  const Case cases[] = {
      {"10.0.0.*", "10-10 0-0 0-0 0-255"},
      {",10.1-2.*.*,", "10-10 1-2 0-255 0-255"},
      {"::1", "00000000000000000000000000000001/128"},
      {"2001:db8::/32", "20010db8000000000000000000000000/32"},
      {"fd00::/0", "fd000000000000000000000000000000/0"},
      {"", ""},
      {"10.0.0", nullptr},
      {"10.0.0.*,bad", nullptr},
      {"2001:db8::/129", nullptr},
      {"2001:db8::/", nullptr},
      {"2001:db8::/-1", nullptr},
      {"2001:db8:::1", nullptr},
  };
  for (const Case& c : cases) {
    TrustedProxies proxies;
    const bool read = ParseTrustedProxies(c.list, &proxies);
    EXPECT_EQ(c.parsed != nullptr, read) << c.list;
    if (read && c.parsed != nullptr) {
      EXPECT_EQ(c.parsed, proxies.ToString()) << c.list;
    }
  }
  // A prefix that is not a whole number of bytes.
  const TrustedProxies odd = Trusted("2001:db8:fe00::/39");
  EXPECT_EQ("2001:db8:fc00::1", RealClient("2001:db8:0::1,2001:db8:fc00::1", odd));
  EXPECT_EQ("2001:db8:0::1", RealClient("2001:db8:0::1,2001:db8:ff00::1", odd));
  EXPECT_EQ("2001:db8:0::1", RealClient("2001:db8:0::1,2001:db8:fe00::1", odd));
}

TEST(ClientAddressTest, FieldNamesAndFolderSites) {
  EXPECT_TRUE(IsClientField("X-Forwarded-For", "x-forwarded-for"));
  EXPECT_TRUE(IsClientField("cs(X-Forwarded-For)", "X-Forwarded-For"));
  EXPECT_TRUE(IsClientField("X-Forwarded-For", "CS(X-Forwarded-For)"));
  EXPECT_FALSE(IsClientField("X-Forwarded-Fo", "X-Forwarded-For"));
  EXPECT_FALSE(IsClientField("sc(X-Forwarded-For)", "X-Forwarded-For"));

  EXPECT_EQ("W3SVC2", FolderSite("logs/W3SVC2/u_ex1.log"));
  EXPECT_EQ("w3svc10", FolderSite("C:\\inetpub\\logs\\w3svc10\\u_ex1.log"));
  EXPECT_EQ("W3SVC3", FolderSite("W3SVC3/old/u_ex1.log"));  // the last such folder
  EXPECT_EQ("", FolderSite("W3SVC/u_ex1.log"));
  EXPECT_EQ("", FolderSite("W3SVC1x/u_ex1.log"));
  EXPECT_EQ("", FolderSite("W3SVC1"));  // a file, not a folder
  EXPECT_EQ("", FolderSite("-"));
}

// The field --client names is placed by both splitters, under either
// name IIS gives it; a header without it leaves the slot absent.
TEST(ClientAddressTest, HeaderPlacesTheField) {
  const W3cExtras extras{.status = false, .client_field = "X-Forwarded-For", .user_agent = false};
  const std::string line(40, 'x');
  for (const char* header : {"#Fields: c-ip cs(X-Forwarded-For) cs-uri-stem",
                             "#Fields: c-ip x-forwarded-for cs-uri-stem", "#Fields: c-ip cs-uri-stem"}) {
    W3cLayout layout;
    ParseW3cFields(header, &layout, extras);
    const bool named = std::string_view(header).find("orwarded") != std::string_view::npos;
    LogFields fast;
    LogFields portable;
    const std::string text = "10.0.0.9 " + line + ",1.2.3.4:80 /a.htm";
    TokenizeW3cLine(text, layout, &fast);
    TokenizeW3cLinePortable(text, layout, &portable);
    EXPECT_EQ(named ? line + ",1.2.3.4:80" : "", std::string(fast.slot[kForwardedFor])) << header;
    EXPECT_EQ(fast.slot[kForwardedFor], portable.slot[kForwardedFor]) << header;
  }
}

}  // namespace
