#include "intake/name_pattern.h"

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
    if (comma > start) split.patterns.push_back(list.substr(start, comma - start));
    start = comma + 1;
  }
  return split;
}

bool MatchNamePatternList(std::string_view name, const NamePatternList& list) {
  for (std::string_view pattern : list.patterns) {
    if (MatchNamePattern(name, pattern)) return true;
  }
  return false;
}

int MatchNamePatterns(std::string_view name, std::string_view list) {
  return MatchNamePatternList(name, SplitNamePatterns(list)) ? 1 : 0;
}
