#include "report/who_panels.h"

#include <gtest/gtest.h>

#include <string>

#include "stats/requests.h"

namespace {

// Enough distinct agents to be classified on several threads, where the
// machine has them: each agent's class lands on its own counts.
TEST(WhoPanelsTest, ManyAgentsAddUp) {
  Requests requests;
  Audience& audience = requests.audience;
  audience.has_agents = true;
  for (int i = 0; i < 700; ++i) {
    audience.agents.Add("Mozilla/5.0+(Windows+NT+10.0;+Win64;+x64)+AppleWebKit/537.36+"
                            "(KHTML,+like+Gecko)+Chrome/120.0." + std::to_string(i) +
                                ".0+Safari/537.36",
                            AgentRequests{2, 1, 10, false});
    audience.agents.Add("Mozilla/5.0+(compatible;+Googlebot/2.1;++http://www.google.com/"
                            "bot.html)+" + std::to_string(i),
                            AgentRequests{1, 1, 5, false});
  }
  const WhoPanels who = BuildWhoPanels(requests);
  EXPECT_EQ(1400, who.human_requests);
  EXPECT_EQ(7000, who.human_bytes);
  EXPECT_EQ(700, who.robot_requests);
  ASSERT_EQ(1u, who.browsers.size());
  EXPECT_EQ("Chrome 120", who.browsers[0].name);
  ASSERT_EQ(1u, who.systems.size());
  EXPECT_EQ("Windows 10", who.systems[0].name);
  ASSERT_EQ(1u, who.robots.size());
  EXPECT_EQ("Googlebot", who.robots[0].name);
  EXPECT_EQ("search_engine", who.robots[0].kind);
  EXPECT_EQ(700, who.robots[0].requests);
  EXPECT_EQ(0, who.agents_unnamed_requests);
}

}  // namespace
