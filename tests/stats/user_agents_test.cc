#include "stats/user_agents.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "stats/robots.h"

namespace {

const AgentParser& Parser() {
  static const AgentParser parser;
  return parser;
}

struct Case {
  const char* agent;
  const char* browser;
  const char* browser_major;
  const char* system;
  const char* system_major;
};

void ExpectFamilies(const Case* begin, const Case* end) {
  for (const Case* c = begin; c != end; ++c) {
    const AgentFamily f = Parser().Parse(AgentText(c->agent));
    EXPECT_EQ(c->browser, f.browser) << c->agent;
    EXPECT_EQ(c->browser_major, f.browser_major) << c->agent;
    EXPECT_EQ(c->system, f.system) << c->agent;
    EXPECT_EQ(c->system_major, f.system_major) << c->agent;
  }
}

// Current agents of the browsers, systems and robots people ask about. The
// agent of Windows 11 is that of Windows 10, and macOS still says 10_15_7.
TEST(UserAgentsTest, KnownAgents) {
  const Case cases[] = {
      {"Mozilla/5.0+(compatible;+Googlebot/2.1;++http://www.google.com/bot.html)", "Googlebot", "2",
       "Other", ""},
      {"Mozilla/5.0 AppleWebKit/537.36 (KHTML, like Gecko; compatible; GPTBot/1.2; "
       "+https://openai.com/gptbot)",
       "GPTBot", "1", "Other", ""},
      {"Mozilla/5.0 (compatible; bingbot/2.0; +http://www.bing.com/bingbot.htm)", "bingbot", "2",
       "Other", ""},
      {"curl/8.5.0", "curl", "8", "Other", ""},
      {"Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
       "Chrome/131.0.0.0 Safari/537.36",
       "Chrome", "131", "Windows", "10"},
      {"Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
       "Chrome/131.0.0.0 Safari/537.36 Edg/131.0.0.0",
       "Edge", "131", "Windows", "10"},
      {"Mozilla/5.0+(X11;+Linux+x86_64;+rv:133.0)+Gecko/20100101+Firefox/133.0", "Firefox", "133",
       "Linux", ""},
      {"Mozilla/5.0 (Macintosh; Intel Mac OS X 10_15_7) AppleWebKit/605.1.15 (KHTML, like "
       "Gecko) Version/18.1 Safari/605.1.15",
       "Safari", "18", "Mac OS X", "10"},
      {"Mozilla/5.0 (iPhone; CPU iPhone OS 18_1 like Mac OS X) AppleWebKit/605.1.15 (KHTML, "
       "like Gecko) Version/18.1 Mobile/15E148 Safari/604.1",
       "Mobile Safari", "18", "iOS", "18"},
      {"Mozilla/5.0 (Linux; Android 14; SM-S921B) AppleWebKit/537.36 (KHTML, like Gecko) "
       "Chrome/131.0.6778.81 Mobile Safari/537.36",
       "Chrome Mobile", "131", "Android", "14"},
      {"Mozilla/5.0 (Windows NT 6.1; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
       "Chrome/109.0.0.0 Safari/537.36",
       "Chrome", "109", "Windows", "7"},
      // The list's replacements: "Firefox ($1)", and "Windows" with "XP".
      {"Mozilla/5.0 (Windows; U; Windows NT 5.1; en-US; rv:1.9.1b3pre) Gecko/20081130 "
       "Minefield/3.1b3pre",
       "Firefox (Minefield)", "3", "Windows", "XP"},
      {"", "Other", "", "Other", ""},
      {"-", "Other", "", "Other", ""},
      {"xyzzy/", "Other", "", "Other", ""},
  };
  ExpectFamilies(std::begin(cases), std::end(cases));
}

// The list's own test cases (one in four, kept beside it by the refresh
// script) come out as the list says: the expressions read as ECMAScript,
// the needed texts and prefixes lose no match, and none is left out.
TEST(UserAgentsTest, SameAsTheListsOwnCases) {
  std::ifstream list(VANTRIX_DATA_DIR "/uap-core/agent_patterns.inc");
  std::size_t expressions = 0;
  for (std::string line; std::getline(list, line);) expressions += line.starts_with("{k");
  EXPECT_EQ(expressions, Parser().expression_count());

  std::ifstream in(VANTRIX_DATA_DIR "/uap-core/expected.tsv");
  ASSERT_TRUE(in.good());
  int checked = 0;
  for (std::string line; std::getline(in, line); ++checked) {
    std::istringstream fields(line);
    std::string kind, agent, name, major;
    std::getline(fields, kind, '\t');
    std::getline(fields, agent, '\t');
    std::getline(fields, name, '\t');
    std::getline(fields, major, '\t');
    const AgentFamily f = Parser().Parse(agent);
    if (kind == "b") {
      EXPECT_EQ(name + "/" + major, f.browser + "/" + f.browser_major) << agent;
    } else {
      EXPECT_EQ(name + "/" + major, f.system + "/" + f.system_major) << agent;
    }
  }
  EXPECT_GT(checked, 400);
}

// Long and hostile agents: the expressions see only the first
// kMaxParsedBytes bytes (what stands past them is not read), and no byte
// pattern makes the library's matching run deep or long.
TEST(UserAgentsTest, HostileAgents) {
  const std::string chrome =
      "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
      "Chrome/131.0.0.0 Safari/537.36";
  std::string padded = "Mozilla/5.0 (" + std::string(AgentParser::kMaxParsedBytes, ' ') + chrome;
  std::string repeated;
  while (repeated.size() < kMaxAgentBytes) repeated += "Chrome/1 Android ";
  const std::string texts[] = {
      std::string(kMaxAgentBytes, 'a'),
      std::string(kMaxAgentBytes, '('),
      std::string(kMaxAgentBytes, ' '),
      "Mozilla/5.0 (" + std::string(kMaxAgentBytes, ';'),
      repeated,
  };
  for (const std::string& text : texts) {
    const AgentFamily f = Parser().Parse(AgentText(text));
    EXPECT_FALSE(f.browser.empty());
    EXPECT_FALSE(f.system.empty());
  }
  EXPECT_EQ("Other", Parser().Parse(AgentText(padded)).browser);
  padded.replace(13, chrome.size(), chrome);
  EXPECT_EQ("Chrome", Parser().Parse(AgentText(padded)).browser);
}

}  // namespace
