#include "stats/needed_texts.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <string>

#include <nlohmann/json.hpp>

namespace {

// The texts as "a,b|c": alternatives apart by "|", their texts by ",".
std::string Shown(const NeededTexts& needed) {
  std::string shown;
  for (const auto& texts : needed.alternatives) {
    if (!shown.empty()) shown += '|';
    for (std::size_t i = 0; i < texts.size(); ++i) shown += (i > 0 ? "," : "") + texts[i];
  }
  return shown;
}

// A text taken for needed that a match can do without loses that match:
// optional bytes and groups, alternatives, look-arounds and what this
// reading does not know must give none.
TEST(NeededTextsTest, ReadFromExpressions) {
  const std::pair<const char*, const char*> cases[] = {
      {"Googlebot", "googlebot"},
      {"^curl\\/", "curl/"},
      {"[wW]get", "get"},
      {"AdsBot-Google([^-]|$)", "adsbot-google"},
      {"(sistrix|SISTRIX) [cC]rawler", " ,rawler"},
      {"Automaton|Newsify Feed Fetcher", "automaton|newsify feed fetcher"},
      {"Mozilla.{1,200}Mobile.{1,100}(Phantom\\/ios|android).(\\d+)", "mozilla,mobile"},
      {"(Chrome)/(\\d+)\\.(\\d+)", "chrome,/,."},
      {"(Win(?:dows NT |32NT\\/)6\\.1)", "win,6.1"},
      {"colou?r", "colo,r"},
      {"ab+c", "ab,c"},
      {"ab*?c", "a,c"},
      {"a{2}b", "b"},
      {"(abc)?def", "def"},
      {"(abc)+def", "abc,def"},
      {"(?!bot)crawler", "crawler"},
      {"\\bcurl\\b", "curl"},
      {"[a-z]+Bot", "bot"},
      {"[]]ab", "ab"},
      {"Caf\xc3\xa9" "Bot", "caf,bot"},
      {"x*", ""},
      {"abc|.*", ""},
      {"\\x41bc", ""},
      {"(a)\\1", ""},
      {"(abc", ""},
      {"abc)", ""},
      {"[abc", ""},
      {"abc\\", ""},
      {"a{2", ""},
      {"(?<name>a)", ""},
  };
  for (const auto& [pattern, shown] : cases) {
    EXPECT_EQ(shown, Shown(ReadNeededTexts(pattern))) << pattern;
  }
  const NeededTexts needed = ReadNeededTexts("Mozilla.+Mobile|Opera");
  EXPECT_FALSE(needed.MayMatch("mozilla/5.0 (windows nt 10.0)"));
  EXPECT_TRUE(needed.MayMatch("mozilla/5.0 (linux; android 14) mobile"));
  EXPECT_TRUE(needed.MayMatch("opera/9.80"));
  EXPECT_TRUE(NeededTexts().MayMatch(""));
}

// Every example of the robot list that a true regular expression of the
// list matches still may match it.
TEST(NeededTextsTest, KeepTheRobotListsMatches) {
  std::ifstream in(VANTRIX_DATA_DIR "/crawler-user-agents/crawler-user-agents.json");
  ASSERT_TRUE(in.good());
  int checked = 0;
  for (const auto& entry : nlohmann::json::parse(in)) {
    const std::string pattern = entry["pattern"].get<std::string>();
    if (pattern.find_first_of("[](){}|?*+.") == std::string::npos) continue;
    const std::regex expression(pattern, std::regex::ECMAScript);
    const NeededTexts needed = ReadNeededTexts(pattern);
    for (const auto& instance : entry.value("instances", nlohmann::json::array())) {
      const std::string agent = instance.get<std::string>();
      if (!std::regex_search(agent, expression)) continue;
      EXPECT_TRUE(needed.MayMatch(LowerAscii(agent))) << pattern << " " << agent;
      ++checked;
    }
  }
  EXPECT_GT(checked, 20);
}

}  // namespace
