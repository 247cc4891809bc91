#include "stats/user_agents.h"

#include <algorithm>

namespace {

enum Which : std::uint8_t { kBrowser, kSystem };

struct ListEntry {
  Which which;
  bool ignore_case;
  const char* regex;   // ECMAScript
  const char* needed;  // texts in lower case one of which every match holds
                       // (one per line), or ""
  const char* prefix;  // the text every match begins with, or ""
  const char* name;    // the list's replacement for the name, or nullptr
  const char* major;   // for the major version, or nullptr
};

constexpr ListEntry kAgentList[] = {
#include "agent_patterns.inc"
};

std::uint16_t FirstTwo(const char* bytes) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[0]) << 8 |
                                    static_cast<unsigned char>(bytes[1]));
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The list's template with "$1".."$9" made the groups of the match (an
// unmatched or missing group gives nothing), blanks at either end cut.
std::string Fill(std::string_view pattern, const std::cmatch& match) {
  std::string out;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '$' && i + 1 < pattern.size() && pattern[i + 1] >= '1' &&
        pattern[i + 1] <= '9') {
      const auto group = static_cast<std::size_t>(pattern[++i] - '0');
      if (group < match.size() && match[group].matched) out += match[group].str();
    } else {
      out += pattern[i];
    }
  }
  const auto first = std::find_if_not(out.begin(), out.end(), IsBlank);
  const auto last = std::find_if_not(out.rbegin(), out.rend(), IsBlank).base();
  return first < last ? std::string(first, last) : std::string();
}

}  // namespace

AgentParser::AgentParser() {
  std::unordered_map<std::string_view, std::uint32_t> needed_at;
  for (const ListEntry& entry : kAgentList) {
    auto flags = std::regex::ECMAScript;
    if (entry.ignore_case) flags |= std::regex::icase;
    const auto index = static_cast<std::uint32_t>(expressions_.size());
    std::string_view needed = entry.needed;
    expressions_.push_back(Expression{entry.regex, flags, entry.prefix, entry.name, entry.major,
                                      entry.which == kBrowser, !needed.empty(),
                                      ReadNeededTexts(entry.regex), nullptr, false});
    // The refresh script gives texts of two bytes or more.
    while (!needed.empty()) {
      const std::size_t end = std::min(needed.find('\n'), needed.size());
      const std::string_view text = needed.substr(0, end);
      needed.remove_prefix(std::min(end + 1, needed.size()));
      auto [at, fresh] = needed_at.emplace(text, static_cast<std::uint32_t>(needed_.size()));
      if (fresh) {
        by_first_two_[FirstTwo(text.data())].push_back(at->second);
        needed_.push_back({text, {}});
      }
      needed_[at->second].expressions.push_back(index);
    }
  }
}

AgentFamily AgentParser::Parse(std::string_view agent) const {
  agent = agent.substr(0, kMaxParsedBytes);
  // The expressions one of whose needed texts stands in the agent (in
  // lower case: no byte of them is missed, whatever the expression's case).
  const std::string lowered = LowerAscii(agent);
  std::vector<bool> possible(expressions_.size(), false);
  for (std::size_t at = 0; at + 1 < lowered.size(); ++at) {
    const auto found = by_first_two_.find(FirstTwo(lowered.data() + at));
    if (found == by_first_two_.end()) continue;
    for (std::uint32_t i : found->second) {
      const Needed& n = needed_[i];
      if (!std::string_view(lowered).substr(at).starts_with(n.text)) continue;
      for (std::uint32_t e : n.expressions) possible[e] = true;
    }
  }
  AgentFamily family;
  bool browser_found = false;
  std::cmatch match;
  for (std::size_t i = 0; i < expressions_.size(); ++i) {
    const Expression& e = expressions_[i];
    if ((e.browser && browser_found) || (e.needs_text && !possible[i])) continue;
    if (!e.needed.MayMatch(lowered)) continue;
    if (!Search(agent, e, &match)) continue;
    std::string name = Fill(e.name != nullptr ? e.name : "$1", match);
    std::string major = Fill(e.major != nullptr ? e.major : "$2", match);
    if (name.empty()) name = "Other";
    if (e.browser) {
      family.browser = std::move(name);
      family.browser_major = std::move(major);
      browser_found = true;
    } else {
      family.system = std::move(name);
      family.system_major = std::move(major);
      break;  // the systems come last
    }
  }
  return family;
}

std::size_t AgentParser::expression_count() const {
  return static_cast<std::size_t>(
      std::count_if(expressions_.begin(), expressions_.end(),
                    [](const Expression& e) { return Compiled(e) != nullptr; }));
}

const std::regex* AgentParser::Compiled(const Expression& e) {
  if (!e.regex && !e.unreadable) {
    try {
      e.regex = std::make_unique<std::regex>(e.source, e.flags);
    } catch (const std::regex_error&) {
      e.unreadable = true;  // left out (the tests list none)
    }
  }
  return e.regex.get();
}

bool AgentParser::Search(std::string_view agent, const Expression& e, std::cmatch* match) {
  const std::regex* regex = Compiled(e);
  if (regex == nullptr) return false;
  const char* end = agent.data() + agent.size();
  if (e.prefix.empty()) return std::regex_search(agent.data(), end, *match, *regex);
  // A match begins where the prefix stands: the leftmost of those tried
  // from there is the leftmost match.
  for (std::size_t at = agent.find(e.prefix); at != std::string_view::npos;
       at = agent.find(e.prefix, at + 1)) {
    auto flags = std::regex_constants::match_continuous;
    if (at > 0) flags |= std::regex_constants::match_prev_avail;
    if (std::regex_search(agent.data() + at, end, *match, *regex, flags)) return true;
  }
  return false;
}
