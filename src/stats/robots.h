// Robots among user agents: an agent is a robot of a kind when a pattern of
// the vendored robot list (data/crawler-user-agents, with our additions in
// data/robot-additions.tsv) matches it, else none. Pure: no I/O, no state
// beyond the compiled list. The cache beside it asks once per distinct agent.
#pragma once

#include <cstddef>
#include <cstdint>
#include <regex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "stats/needed_texts.h"

/// What kind of robot an agent is; kNone for one that no pattern matches.
enum class RobotKind : std::uint8_t {
  kNone,
  kSearchEngine,
  kAiCrawler,
  kSeoMarketing,  // SEO tools, advertising and link-preview fetchers
  kMonitor,
  kFeedReader,
  kLibraryTool,   // HTTP libraries, command-line tools, browser automation
  kScanner,
  kOther,         // archivers, academic crawlers
};

/// The kind of a robot list entry by its tags ("search-engine,seo"): the
/// first of the list's tags in the order of the kinds above, AI crawler
/// before search engine.
RobotKind KindOfTags(std::string_view tags);

/// The kind's name in the reports: "search_engine", "ai_crawler", ...
const char* RobotKindKey(RobotKind kind);

/// The part of an agent that is classified: its first kMaxAgentBytes bytes,
/// with the "+" that W3C logs write for a blank made a blank again.
std::string AgentText(std::string_view logged);
inline constexpr std::size_t kMaxAgentBytes = 1024;

class RobotClassifier {
 public:
  /// Compiles the robot list: plain texts into an index by their first two
  /// bytes, the few true regular expressions as such.
  RobotClassifier();

  /// The kind of the first pattern of the list (in list order) that matches
  /// `agent` (as AgentText gives it), and that pattern's index; kNone and
  /// -1 when none does.
  std::pair<RobotKind, int> Classify(std::string_view agent) const;

  /// The pattern at `index`, as the list writes it.
  std::string_view Pattern(int index) const;

  /// The robot's name: the text that the pattern at `index` matched in
  /// `agent` (as AgentText gives it), without the punctuation around it
  /// ("Googlebot", "GPTBot", "curl"); the pattern itself when it does not
  /// match.
  std::string Name(int index, std::string_view agent) const;

  std::size_t pattern_count() const { return patterns_.size(); }

 private:
  struct Text {
    std::string text;
    int index = 0;
    bool at_start = false;  // the pattern began with "^"
  };
  std::vector<std::pair<std::string_view, RobotKind>> patterns_;  // list order
  std::vector<Text> texts_;
  std::unordered_map<std::uint16_t, std::vector<std::uint32_t>> by_first_two_;
  // A true regular expression, tried only on agents that hold the texts
  // it needs.
  struct Expression {
    std::regex regex;
    int index = 0;
    NeededTexts needed;
  };
  std::vector<Expression> expressions_;
};

/// One classification per distinct agent: the kinds of the agents met so
/// far, up to a bound past which the oldest knowledge is dropped whole.
class RobotCache {
 public:
  explicit RobotCache(const RobotClassifier& classifier, std::size_t max_agents = kMaxAgents)
      : classifier_(classifier), max_agents_(max_agents) {}
  RobotKind Kind(std::string_view logged);
  std::size_t lookups() const { return lookups_; }

  static constexpr std::size_t kMaxAgents = 1 << 16;

 private:
  const RobotClassifier& classifier_;
  std::size_t max_agents_;
  std::unordered_map<std::string, RobotKind> known_;
  std::size_t lookups_ = 0;
};
