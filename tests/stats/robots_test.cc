#include "stats/robots.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include <nlohmann/json.hpp>

namespace {

const RobotClassifier& Classifier() {
  static const RobotClassifier classifier;
  return classifier;
}

// Current agents of the robots people ask about, and of the browsers that
// must never be taken for one; W3C logs write a blank as "+".
TEST(RobotsTest, KnownAgents) {
  struct Case {
    const char* agent;
    RobotKind kind;
  };
  const Case cases[] = {
      {"Mozilla/5.0+(compatible;+Googlebot/2.1;++http://www.google.com/bot.html)",
       RobotKind::kSearchEngine},
      {"Mozilla/5.0 (compatible; bingbot/2.0; +http://www.bing.com/bingbot.htm)",
       RobotKind::kSearchEngine},
      {"Mozilla/5.0 AppleWebKit/537.36 (KHTML, like Gecko; compatible; GPTBot/1.2; "
       "+https://openai.com/gptbot)",
       RobotKind::kAiCrawler},
      {"Mozilla/5.0 (compatible; AhrefsBot/7.0; +http://ahrefs.com/robot/)",
       RobotKind::kSeoMarketing},
      {"curl/8.5.0", RobotKind::kLibraryTool},
      {"python-requests/2.31.0", RobotKind::kLibraryTool},
      {"Java/1.8.0_151", RobotKind::kLibraryTool},  // one of our additions
      {"sqlmap/1.7", RobotKind::kScanner},
      {"Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
       "Chrome/131.0.0.0 Safari/537.36",
       RobotKind::kNone},
      {"Mozilla/5.0+(X11;+Linux+x86_64;+rv:133.0)+Gecko/20100101+Firefox/133.0", RobotKind::kNone},
      {"Mozilla/5.0 (Macintosh; Intel Mac OS X 10_15_7) AppleWebKit/605.1.15 (KHTML, like "
       "Gecko) Version/18.1 Safari/605.1.15",
       RobotKind::kNone},
      {"Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
       "Chrome/131.0.0.0 Safari/537.36 Edg/131.0.0.0",
       RobotKind::kNone},
      {"", RobotKind::kNone},
      {"-", RobotKind::kNone},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.kind, Classifier().Classify(AgentText(c.agent)).first) << c.agent;
  }
}

// The fast road (plain texts by their first two bytes, "^" anchors) gives
// what the list's own regular expressions give: every example agent the
// list holds is found by the first pattern that matches it there.
TEST(RobotsTest, SameAsTheListsExpressions) {
  std::ifstream in(VANTRIX_DATA_DIR "/crawler-user-agents/crawler-user-agents.json");
  ASSERT_TRUE(in.good());
  const nlohmann::json list = nlohmann::json::parse(in);
  ASSERT_GT(list.size(), 1000u);
  std::vector<std::regex> expressions;
  for (const auto& entry : list) {
    expressions.emplace_back(entry["pattern"].get<std::string>(), std::regex::ECMAScript);
  }
  // One example in five: the reference walks every expression in turn.
  int checked = 0;
  int seen = 0;
  for (const auto& entry : list) {
    if (!entry.contains("instances")) continue;
    for (const auto& instance : entry["instances"]) {
      if (seen++ % 5 != 0) continue;
      const std::string agent = instance.get<std::string>();
      if (agent.size() > kMaxAgentBytes || agent.find('+') != std::string::npos) continue;
      int first = -1;
      for (std::size_t i = 0; i < expressions.size() && first < 0; ++i) {
        if (std::regex_search(agent, expressions[i])) first = static_cast<int>(i);
      }
      EXPECT_EQ(first, Classifier().Classify(agent).second) << agent;
      ++checked;
    }
  }
  EXPECT_GT(checked, 200);
  EXPECT_EQ(list.size() + 3, Classifier().pattern_count());  // with our three
}

// A hostile agent costs the first kMaxAgentBytes bytes; the cache asks once
// per distinct agent and stays bounded.
TEST(RobotsTest, CacheAndLongAgents) {
  RobotCache cache(Classifier(), 100);
  const std::string long_agent = std::string(100000, 'a') + "Googlebot/2.1";
  EXPECT_EQ(RobotKind::kNone, cache.Kind(long_agent));
  EXPECT_EQ(RobotKind::kSearchEngine, cache.Kind("Googlebot/2.1"));
  EXPECT_EQ(RobotKind::kSearchEngine, cache.Kind("Googlebot/2.1"));
  EXPECT_EQ(2u, cache.lookups());
  for (int i = 0; i < 110; ++i) cache.Kind(std::to_string(i));
  EXPECT_EQ(112u, cache.lookups());
  cache.Kind("Googlebot/2.1");  // forgotten with the rest when the bound was met
  EXPECT_EQ(113u, cache.lookups());

  EXPECT_EQ(RobotKind::kAiCrawler, KindOfTags("search-engine,ai-crawler"));
  EXPECT_EQ(RobotKind::kOther, KindOfTags("something-new"));
}

}  // namespace
