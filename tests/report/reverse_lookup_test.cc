#include "report/reverse_lookup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes.h"
#include "options.h"
#include "stats/ranking.h"
#include "stats/records.h"
#include "test_util.h"

namespace {

// Users ranked in the order given (the first has the most hits).
struct LookupFixture {
  explicit LookupFixture(std::vector<std::string> addresses) {
    int hits = static_cast<int>(addresses.size());
    for (const std::string& address : addresses) {
      for (int i = 0; i < hits; ++i) {
        RecordHit(&stats, false, stderr, address, "/a", 1, "03/06/99", "10:00:00");
      }
      --hits;
    }
    RankByHits(&stats);
    options.Verbose = true;
  }

  std::string Resolve() {
    CapturedStream diag;
    ResolveTopUsers(options, &stats, &resolver, diag.file());
    return diag.Text();
  }

  Options options;
  Statistics stats;
  FakeResolver resolver;
};

TEST(ReverseLookupTest, TopUsersOnlyWithMessages) {
  LookupFixture f({"10.0.0.1", "192.168.1.20", "10.0.0.3"});
  f.resolver.names["192.168.1.20"] = "web.example";
  f.options.NumUsersToShow = 2;
  EXPECT_EQ(
      "Performing reverse DNS lookup on 2 on top users...\n"
      "  Looking up 10.0.0.1... [unresolved]\n"
      "  Looking up 192.168.1.20... web.example\n",
      f.Resolve());
  EXPECT_EQ((std::vector<std::string>{"startup", "v4 10.0.0.1", "v4 192.168.1.20", "cleanup"}),
            f.resolver.calls);
  EXPECT_STREQ("web.example", f.stats.users[1].HostName);
  EXPECT_EQ(nullptr, f.stats.users[0].HostName);
  EXPECT_EQ(nullptr, f.stats.users[2].HostName);
}

TEST(ReverseLookupTest, NumberOfUsers) {
  // The message names the option's value, not the number looked up.
  for (int n : {0, -5, 10}) {
    LookupFixture f({"10.0.0.1", "10.0.0.2", "10.0.0.3"});
    f.options.NumUsersToShow = n;
    const std::string messages = f.Resolve();
    EXPECT_EQ(0u, messages.find("Performing reverse DNS lookup on " + std::to_string(n) +
                                " on top users...\n"));
    EXPECT_EQ(n > 0 ? 5u : 2u, f.resolver.calls.size()) << n;
  }
}

TEST(ReverseLookupTest, AddressForms) {
  struct Case {
    const char* address;
    const char* call;  // what the resolver is asked, or "" for nothing
  };
  const Case cases[] = {
      {"192.168.1.20", "v4 192.168.1.20"},
      {"300.1.2.3", "v4 44.1.2.3"},          // low 8 bits
      {"10.0.0.7:8080", "v4 10.0.0.7"},      // more after the fourth number
      {" 1. 2. 3. 4", "v4 1.2.3.4"},         // blanks before numbers
      {"-1.0.0.1", "v4 255.0.0.1"},
      {"::1", "v6 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 1"},
      {"10.0.0", ""},
      {"host-7", ""},
      {"1.2.3 .4", ""},
  };
  for (const Case& c : cases) {
    LookupFixture f({c.address});
    f.Resolve();
    std::vector<std::string> expected = {"startup"};
    if (*c.call) expected.push_back(c.call);
    expected.push_back("cleanup");
    EXPECT_EQ(expected, f.resolver.calls) << c.address;
  }
}

TEST(ReverseLookupTest, NameServiceUnavailable) {
  {
    LookupFixture f({"10.0.0.1"});
    f.resolver.startup_result = 10091;
    EXPECT_EQ("vantrix: Failed to load Winsock. Can't do DNS lookup...\n", f.Resolve());
    EXPECT_EQ(std::vector<std::string>{"startup"}, f.resolver.calls);
  }
  for (std::uint16_t version : {0x0001, 0x0202, 0x0102, 0x0201}) {
    LookupFixture f({"10.0.0.1"});
    f.resolver.granted_version = version;
    EXPECT_EQ("vantrix: Failed to load Winsock. Can't do DNS lookup...\n", f.Resolve());
    EXPECT_EQ((std::vector<std::string>{"startup", "cleanup"}), f.resolver.calls);
  }
}

TEST(ReverseLookupTest, SilentUnlessVerbose) {
  LookupFixture f({"10.0.0.1", "10.0.0.2"});
  f.resolver.names["10.0.0.2"] = "two";
  f.options.Verbose = false;
  EXPECT_EQ("", f.Resolve());
  EXPECT_STREQ("two", f.stats.users[1].HostName);
}

}  // namespace
