#include "stats/audience.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "stats/requests.h"

// The set against std::set over keys that collide in the low bits, with
// the key 0 among them, through several growths.
TEST(AudienceTest, KeySetIsASet) {
  KeySet keys(42);
  std::set<std::uint64_t> model;
  for (std::uint64_t i = 0; i < 5000; ++i) {
    const std::uint64_t key = (i % 1700) << 20;
    EXPECT_EQ(model.insert(key).second, keys.Insert(key)) << i;
  }
  EXPECT_EQ(model.size(), keys.size());
  std::set<std::uint64_t> seen;
  keys.ForEach([&](std::uint64_t key) { seen.insert(key); });
  EXPECT_EQ(model, seen);
}

// Two workers' audiences merged in either order give the same counts; a
// site's users are its distinct clients of page hits.
TEST(AudienceTest, MergeInAnyOrder) {
  auto part = [](const char* client, const char* agent, bool page_hit) {
    Audience audience(7);
    AudienceCursor cursor;
    AudienceInput in;
    in.agent_field = true;
    in.agent = agent;
    in.site = "W3SVC1";
    in.client = client;
    in.page_hit = page_hit;
    in.bytes = 10;
    in.referrer_host = "example.org";
    in.referrer = "https://example.org/a";
    AddAudience(&audience, in, &cursor);
    AddAudience(&audience, in, &cursor);
    return audience;
  };
  Audience ab(1), ba(1);
  MergeAudience(&ab, part("10.0.0.1", "curl/8", true));
  MergeAudience(&ab, part("10.0.0.2", "curl/8", false));
  MergeAudience(&ba, part("10.0.0.2", "curl/8", false));
  MergeAudience(&ba, part("10.0.0.1", "curl/8", true));
  for (const Audience* a : {&ab, &ba}) {
    EXPECT_EQ(4, a->agents.at("curl/8").requests);
    EXPECT_EQ(2, a->agents.at("curl/8").page_hits);
    EXPECT_EQ(40, a->agents.at("curl/8").bytes);
    EXPECT_EQ(4, a->referrer_hosts.at("example.org").requests);
    EXPECT_EQ(4, a->sites.at("W3SVC1").requests);
    EXPECT_EQ(1u, a->sites.at("W3SVC1").users.size());
  }
}

// Agents through one cursor, more of them than it remembers, some in the
// same place (one length, the same middle and last byte) and the empty one
// among them: each counted as itself.
TEST(AudienceTest, AgentsCountedApartThroughTheCursor) {
  const std::vector<std::string> agents = {
      "Mozilla/5.0 (A) x", "Mozilla/5.0 (B) x", "Mozilla/5.0 (C) x", "", "curl/8.1",
      "curl/8.2",          "Wget/1.21",         "bot"};
  Audience audience(3);
  AudienceCursor cursor;
  // The same through a batch of requests, whose first pass foresees what
  // the cursor remembers.
  Requests requests(3);
  RequestBatch batch;
  std::vector<std::string> texts;
  std::map<std::string, std::int64_t> model;
  for (int i = 0; i < 400; ++i) {
    // Runs, alternations and a walk over the agents and more made up.
    texts.push_back(i % 7 == 0 ? "agent " + std::to_string(i % 40)
                               : agents[(i * i + i / 3) % agents.size()]);
    ++model[texts.back()];
  }
  for (const std::string& agent : texts) {
    AudienceInput in;
    in.agent_field = true;
    in.agent = agent;
    in.site = "W3SVC1";
    AddAudience(&audience, in, &cursor);
    batch.requests.emplace_back().who = in;
  }
  AddRequests(&requests, &batch);
  for (const Audience* a : {&audience, &requests.audience}) {
    ASSERT_EQ(model.size(), a->agents.size());
    for (const auto& [agent, n] : model) EXPECT_EQ(n, a->agents.at(agent).requests) << agent;
  }
}
