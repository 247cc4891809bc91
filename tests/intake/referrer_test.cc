#include "intake/referrer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(ReferrerTest, SplitReferrer) {
  struct Case {
    std::string url, host, page;
  };
  const std::vector<Case> cases = {
      {"https://www.google.com/search?q=iis", "www.google.com", "https://www.google.com/search"},
      {"https://user:pw@Example.COM:8080/a/b#top", "Example.COM",
       "https://user:pw@Example.COM:8080/a/b"},
      {"http://[2001:db8::1]:8080/x", "[2001:db8::1]", "http://[2001:db8::1]:8080/x"},
      {"android-app://com.google.android.gm/", "com.google.android.gm",
       "android-app://com.google.android.gm/"},
      {"https://example.org", "example.org", "https://example.org"},
      {"-", "", ""},
      {"/local/page.htm", "", ""},
      {"://nohost", "", ""},
      {"https:///path", "", ""},
      {"ht tp://x.com/", "", ""},
  };
  for (const Case& c : cases) {
    const ReferrerParts parts = SplitReferrer(c.url);
    EXPECT_EQ(c.host, parts.host) << c.url;
    EXPECT_EQ(c.page, parts.page) << c.url;
  }
}

TEST(ReferrerTest, OwnHosts) {
  const std::vector<std::string_view> own = {"shop.example.com", "cdn.example.net:443"};
  EXPECT_TRUE(IsOwnHost("WWW.Example.com", "example.com:443", {}));
  EXPECT_TRUE(IsOwnHost("shop.example.com", "", own));
  EXPECT_TRUE(IsOwnHost("www.cdn.example.net", "", own));
  EXPECT_FALSE(IsOwnHost("example.com", "", own));
  EXPECT_FALSE(IsOwnHost("evil-example.com", "example.com", own));
}
