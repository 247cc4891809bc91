#include "report/reverse_lookup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
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
        RecordLine(&stats, address, "/a", 1, "03/06/99", "10:00:00");
      }
      --hits;
    }
    RankByHits(&stats);
    options.Verbose = true;
  }

  std::string Resolve(int max_in_flight = kMaxLookupsInFlight) {
    CapturedStream diag;
    ResolveTopUsers(options, &stats, &resolver, diag.file(), nullptr, max_in_flight);
    return diag.Text();
  }

  // The calls, with the lookups between start-up and clean-up sorted: side
  // by side, they come in any order.
  std::vector<std::string> SortedCalls() const {
    std::vector<std::string> calls = resolver.calls;
    if (calls.size() > 2) std::sort(calls.begin() + 1, calls.end() - 1);
    return calls;
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
            f.SortedCalls());
  EXPECT_STREQ("web.example", HostNamed(f.stats, "192.168.1.20"));
  EXPECT_EQ(nullptr, HostNamed(f.stats, "10.0.0.1"));
  EXPECT_EQ(nullptr, HostNamed(f.stats, "10.0.0.3"));
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
  EXPECT_STREQ("two", HostNamed(f.stats, "10.0.0.2"));
}

// Answers that come out of order still give the messages and names in list
// order, one lookup at a time (as when no thread can be started) or many.
TEST(ReverseLookupTest, SideBySideKeepsListOrder) {
  for (int in_flight : {1, 2, kMaxLookupsInFlight}) {
    SCOPED_TRACE(testing::Message() << in_flight << " in flight");
    LookupFixture f({"10.0.0.1", "10.0.0.2", "10.0.0.3", "10.0.0.4", "host-5"});
    f.options.NumUsersToShow = 5;
    f.resolver.names = {{"10.0.0.1", "one"}, {"10.0.0.3", "three"}, {"10.0.0.4", "four"}};
    f.resolver.delay_ms = {{"10.0.0.1", 40}, {"10.0.0.2", 20}};  // the first answer last
    EXPECT_EQ(
        "Performing reverse DNS lookup on 5 on top users...\n"
        "  Looking up 10.0.0.1... one\n"
        "  Looking up 10.0.0.2... [unresolved]\n"
        "  Looking up 10.0.0.3... three\n"
        "  Looking up 10.0.0.4... four\n"
        "  Looking up host-5... [unresolved]\n",
        f.Resolve(in_flight));
    const std::vector<std::string> calls = {"startup", "v4 10.0.0.1", "v4 10.0.0.2",
                                            "v4 10.0.0.3", "v4 10.0.0.4", "cleanup"};
    // One at a time, the calls come in list order.
    EXPECT_EQ(calls, in_flight == 1 ? f.resolver.calls : f.SortedCalls());
    EXPECT_LE(f.resolver.most_in_flight, in_flight);
  }
}

// Two hundred slow lookups take a few of their times, not two hundred.
// The bound is generous: this checks that they overlap, not how fast.
TEST(ReverseLookupTest, TwoHundredSlowLookupsOverlap) {
  std::vector<std::string> addresses;
  for (int i = 0; i < 200; ++i) addresses.push_back("10.0." + std::to_string(i) + ".1");
  LookupFixture f(addresses);
  f.options.NumUsersToShow = 200;
  f.options.Verbose = false;
  f.resolver.default_delay_ms = 100;
  f.resolver.names["10.0.199.1"] = "last";
  const auto start = std::chrono::steady_clock::now();
  f.Resolve();
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_LT(took, std::chrono::seconds(2));
  EXPECT_EQ(202u, f.resolver.calls.size());
  EXPECT_LE(f.resolver.most_in_flight, kMaxLookupsInFlight);
  EXPECT_GT(f.resolver.most_in_flight, 1);
  EXPECT_STREQ("last", HostNamed(f.stats, "10.0.199.1"));
}

// The observer hears the start, the progress while waiting, and the end,
// all on the calling thread.
TEST(ReverseLookupTest, ObserverHearsTheLookups) {
  struct Recorder : LookupObserver {
    void LookupsStarted(std::size_t total) override {
      events.push_back("start " + std::to_string(total));
    }
    void LookupsAnswered(std::size_t answered) override {
      EXPECT_EQ(caller, std::this_thread::get_id());
      EXPECT_LE(answered, 3u);
      ++waits;
    }
    void LookupsFinished() override { events.push_back("finish"); }
    std::vector<std::string> events;
    int waits = 0;
    std::thread::id caller = std::this_thread::get_id();
  } recorder;
  LookupFixture f({"10.0.0.1", "10.0.0.2", "10.0.0.3"});
  f.options.NumUsersToShow = 3;
  f.resolver.delay_ms["10.0.0.1"] = 250;  // longer than a waiting tick
  CapturedStream diag;
  ResolveTopUsers(f.options, &f.stats, &f.resolver, diag.file(), &recorder);
  EXPECT_EQ((std::vector<std::string>{"start 3", "finish"}), recorder.events);
  EXPECT_GE(recorder.waits, 2);
}

}  // namespace
