#include "stats/robots.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "stats/needed_texts.h"

namespace {

struct ListEntry {
  const char* pattern;
  const char* tags;
};

constexpr ListEntry kRobotList[] = {
#include "robot_patterns.inc"
};

// Bytes that make a pattern a regular expression rather than a plain text.
constexpr char kSpecial[] = "[](){}|^$?*+.";

// The plain text a pattern stands for ("Googlebot\/" is "Googlebot/"), with
// whether it is anchored at the start; false when it is a true regular
// expression.
bool PlainText(std::string_view pattern, std::string* text, bool* at_start) {
  text->clear();
  *at_start = pattern.starts_with('^');
  if (*at_start) pattern.remove_prefix(1);
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    if (c == '\\') {
      // An escaped punctuation byte is itself; \d, \s, \b and the like are not.
      if (i + 1 == pattern.size()) return false;
      const char next = pattern[++i];
      if ((next >= 'a' && next <= 'z') || (next >= 'A' && next <= 'Z') ||
          (next >= '0' && next <= '9')) {
        return false;
      }
      *text += next;
    } else if (std::strchr(kSpecial, c) != nullptr) {
      return false;
    } else {
      *text += c;
    }
  }
  return text->size() >= 2;
}

std::uint16_t FirstTwo(const char* bytes) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[0]) << 8 |
                                    static_cast<unsigned char>(bytes[1]));
}

}  // namespace

RobotKind KindOfTags(std::string_view tags) {
  // The kinds in the order a tag decides, most telling first.
  constexpr std::array<std::pair<std::string_view, RobotKind>, 12> kTags = {{
      {"ai-crawler", RobotKind::kAiCrawler},
      {"search-engine", RobotKind::kSearchEngine},
      {"scanner", RobotKind::kScanner},
      {"monitoring", RobotKind::kMonitor},
      {"feed-reader", RobotKind::kFeedReader},
      {"http-library", RobotKind::kLibraryTool},
      {"browser-automation", RobotKind::kLibraryTool},
      {"seo", RobotKind::kSeoMarketing},
      {"advertising", RobotKind::kSeoMarketing},
      {"social-preview", RobotKind::kSeoMarketing},
      {"archiver", RobotKind::kOther},
      {"academic", RobotKind::kOther},
  }};
  for (const auto& [tag, kind] : kTags) {
    std::string_view rest = tags;
    while (!rest.empty()) {
      const std::size_t comma = rest.find(',');
      if (rest.substr(0, comma) == tag) return kind;
      rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    }
  }
  return RobotKind::kOther;
}

const char* RobotKindKey(RobotKind kind) {
  switch (kind) {
    case RobotKind::kNone: return "none";
    case RobotKind::kSearchEngine: return "search_engine";
    case RobotKind::kAiCrawler: return "ai_crawler";
    case RobotKind::kSeoMarketing: return "seo_marketing";
    case RobotKind::kMonitor: return "monitor";
    case RobotKind::kFeedReader: return "feed_reader";
    case RobotKind::kLibraryTool: return "library_tool";
    case RobotKind::kScanner: return "scanner";
    case RobotKind::kOther: break;
  }
  return "other";
}

std::string AgentText(std::string_view logged) {
  std::string text(logged.substr(0, kMaxAgentBytes));
  std::replace(text.begin(), text.end(), '+', ' ');
  return text;
}

RobotClassifier::RobotClassifier() {
  std::string text;
  bool at_start = false;
  for (const ListEntry& entry : kRobotList) {
    const int index = static_cast<int>(patterns_.size());
    patterns_.emplace_back(entry.pattern, KindOfTags(entry.tags));
    if (PlainText(entry.pattern, &text, &at_start)) {
      by_first_two_[FirstTwo(text.data())].push_back(static_cast<std::uint32_t>(texts_.size()));
      texts_.push_back({text, index, at_start});
      continue;
    }
    try {
      expressions_.push_back(Expression{std::regex(entry.pattern, std::regex::ECMAScript), index,
                                        ReadNeededTexts(entry.pattern)});
    } catch (const std::regex_error&) {
      // A pattern this library cannot read is left out (the tests list none).
      patterns_.back().second = RobotKind::kNone;
    }
  }
}

std::pair<RobotKind, int> RobotClassifier::Classify(std::string_view agent) const {
  agent = agent.substr(0, kMaxAgentBytes);
  int best = -1;
  // Plain texts: only those whose first two bytes stand somewhere.
  for (std::size_t at = 0; at + 1 < agent.size(); ++at) {
    const auto found = by_first_two_.find(FirstTwo(agent.data() + at));
    if (found == by_first_two_.end()) continue;
    for (std::uint32_t i : found->second) {
      const Text& t = texts_[i];
      if ((best >= 0 && t.index >= best) || (t.at_start && at != 0)) continue;
      if (agent.substr(at).starts_with(t.text)) best = t.index;
    }
  }
  // The expressions, where the agent holds the texts they need: the
  // library walks a match from every byte, which costs more than the rest.
  std::string lowered;
  for (const Expression& e : expressions_) {
    if (best >= 0 && e.index >= best) break;
    if (lowered.empty()) lowered = LowerAscii(agent);
    if (!e.needed.MayMatch(lowered)) continue;
    if (std::regex_search(agent.begin(), agent.end(), e.regex)) best = e.index;
  }
  if (best < 0) return {RobotKind::kNone, -1};
  return {patterns_[static_cast<std::size_t>(best)].second, best};
}

std::string_view RobotClassifier::Pattern(int index) const {
  return patterns_[static_cast<std::size_t>(index)].first;
}

std::string RobotClassifier::Name(int index, std::string_view agent) const {
  std::string_view found = Pattern(index);
  const auto text = std::find_if(texts_.begin(), texts_.end(),
                                 [&](const Text& t) { return t.index == index; });
  if (text != texts_.end()) {
    const std::size_t at = agent.find(text->text);
    if (at != std::string_view::npos) found = agent.substr(at, text->text.size());
  }
  for (const Expression& e : expressions_) {
    std::match_results<std::string_view::const_iterator> match;
    if (e.index == index && std::regex_search(agent.begin(), agent.end(), match, e.regex)) {
      found = agent.substr(static_cast<std::size_t>(match.position(0)),
                           static_cast<std::size_t>(match.length(0)));
    }
  }
  auto word = [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
  };
  while (!found.empty() && !word(found.front())) found.remove_prefix(1);
  while (!found.empty() && !word(found.back())) found.remove_suffix(1);
  return std::string(found.empty() ? Pattern(index) : found);
}

RobotKind RobotCache::Kind(std::string_view logged) {
  const std::string key(logged.substr(0, kMaxAgentBytes));
  const auto known = known_.find(key);
  if (known != known_.end()) return known->second;
  if (known_.size() >= max_agents_) known_.clear();
  ++lookups_;
  const RobotKind kind = classifier_.Classify(AgentText(logged)).first;
  known_.emplace(key, kind);
  return kind;
}
