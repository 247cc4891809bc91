#include "intake/name_pattern.h"

#include <cstring>

namespace {

inline unsigned char Fold(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return u >= 'A' && u <= 'Z' ? static_cast<unsigned char>(u + ('a' - 'A')) : u;
}

}  // namespace

int MatchNamePattern(std::string_view name, std::string_view pattern) {
  std::size_t n = 0;
  std::size_t p = 0;
  while (p < pattern.size()) {
    char c = pattern[p];
    if (c == '*') {
      if (p + 1 == pattern.size()) return 1;
      // Jump to the first occurrence of the character after the "*", taken
      // literally, and never reconsider.
      unsigned char wanted = Fold(pattern[p + 1]);
      while (n < name.size() && Fold(name[n]) != wanted) ++n;
      if (n == name.size()) return 0;
      // Past the "*" only: the character after it is handled next, by the
      // usual rules, against the name character just found.
      ++p;
    } else if (c == '?') {
      if (n == name.size()) return 0;
      ++p;
      ++n;
    } else {
      if (n == name.size() || Fold(name[n]) != Fold(c)) return 0;
      ++p;
      ++n;
    }
  }
  return n == name.size() ? 1 : 0;
}

NamePatternList SplitNamePatterns(std::string_view list) {
  NamePatternList split;
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t comma = list.find(',', start);
    if (comma == std::string_view::npos) comma = list.size();
    if (comma > start) {
      const std::string_view pattern = list.substr(start, comma - start);
      split.patterns.push_back(pattern);
      split.leading_star_only.push_back(pattern.size() >= 2 && pattern[0] == '*' &&
                                        pattern.find('*', 1) == std::string_view::npos);
    }
    start = comma + 1;
  }
  return split;
}

namespace {

// MatchNamePattern for "*" d rest, where rest holds no "*": the name must
// reach the first d and from there match d rest to its end.
bool MatchLeadingStar(std::string_view name, std::string_view pattern) {
  const unsigned char wanted = Fold(pattern[1]);
  std::size_t at;
  if (wanted >= 'a' && wanted <= 'z') {
    at = 0;
    while (at < name.size() && Fold(name[at]) != wanted) ++at;
  } else {
    const void* found = std::memchr(name.data(), wanted, name.size());
    at = found ? static_cast<const char*>(found) - name.data() : name.size();
  }
  // What follows must be as long as the rest of the pattern.
  if (at == name.size() || name.size() - at != pattern.size() - 1) return false;
  for (std::size_t i = 2; i < pattern.size(); ++i) {
    if (pattern[i] != '?' && Fold(pattern[i]) != Fold(name[at + i - 1])) return false;
  }
  return true;
}

}  // namespace

bool MatchNamePatternList(std::string_view name, const NamePatternList& list) {
  for (std::size_t i = 0; i < list.patterns.size(); ++i) {
    const bool match = list.leading_star_only[i] ? MatchLeadingStar(name, list.patterns[i])
                                                 : MatchNamePattern(name, list.patterns[i]);
    if (match) return true;
  }
  return false;
}

int MatchNamePatterns(std::string_view name, std::string_view list) {
  return MatchNamePatternList(name, SplitNamePatterns(list)) ? 1 : 0;
}
