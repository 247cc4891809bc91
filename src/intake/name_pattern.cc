#include "intake/name_pattern.h"

#include <cstdint>
#include <cstring>

#include "bytes/comma_list.h"

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

namespace {

// The word test of a "*" pattern's tail (the bytes after the "*"): its first
// byte taken literally, as the "*" seeks it, then "?" any byte and a letter
// in either case. Built as bytes, so that the words hold them in the order
// a name's bytes load on any machine.
void SetTailWord(std::string_view tail, NamePatternList::Pattern* pattern) {
  if (tail.size() > sizeof(std::uint64_t)) return;
  unsigned char fold[sizeof(std::uint64_t)] = {};
  unsigned char mask[sizeof(std::uint64_t)] = {};
  unsigned char value[sizeof(std::uint64_t)] = {};
  const std::size_t first = sizeof(std::uint64_t) - tail.size();
  for (std::size_t i = 0; i < tail.size(); ++i) {
    const unsigned char c = Fold(tail[i]);
    if (i > 0 && c == '?') continue;
    fold[first + i] = c >= 'a' && c <= 'z' ? 'a' - 'A' : 0;
    mask[first + i] = 0xFF;
    value[first + i] = c;
  }
  std::memcpy(&pattern->fold, fold, sizeof fold);
  std::memcpy(&pattern->mask, mask, sizeof mask);
  std::memcpy(&pattern->value, value, sizeof value);
}

}  // namespace

NamePatternList SplitNamePatterns(std::string_view list) {
  NamePatternList split;
  CommaList items(list);
  std::string_view text;
  while (items.Next(&text)) {
    NamePatternList::Pattern& pattern = split.patterns.emplace_back();
    pattern.text = text;
    pattern.leading_star_only =
        text.size() >= 2 && text[0] == '*' && text.find('*', 1) == std::string_view::npos;
    if (pattern.leading_star_only) SetTailWord(text.substr(1), &pattern);
  }
  return split;
}

namespace {

// The first position of `wanted` (case folded) in `name`, or its size.
std::size_t FindFolded(std::string_view name, unsigned char wanted) {
  if (wanted >= 'a' && wanted <= 'z') {
    std::size_t at = 0;
    while (at < name.size() && Fold(name[at]) != wanted) ++at;
    return at;
  }
  const void* found = std::memchr(name.data(), wanted, name.size());
  return found ? static_cast<std::size_t>(static_cast<const char*>(found) - name.data())
               : name.size();
}

// MatchNamePattern for "*" d rest, where neither d nor rest holds a "*":
// the name must reach the first d and from there match d rest to its end.
// So the name's tail as long as d rest must match it, and then no d may
// stand before that tail: tested in that order, most names (the pages of
// a list of image types) are settled by their last few bytes, unscanned.
bool MatchLeadingStar(std::string_view name, std::string_view pattern) {
  const std::size_t tail = pattern.size() - 1;
  if (name.size() < tail) return false;
  const std::size_t at = name.size() - tail;
  // d is taken literally, as the "*" seeks it.
  const unsigned char wanted = Fold(pattern[1]);
  if (Fold(name[at]) != wanted) return false;
  for (std::size_t i = 2; i < pattern.size(); ++i) {
    if (pattern[i] != '?' && Fold(pattern[i]) != Fold(name[at + i - 1])) return false;
  }
  return FindFolded(name.substr(0, at), wanted) == at;
}

}  // namespace

int MatchNamePatterns(std::string_view name, const NamePatternList& list) {
  for (const NamePatternList::Pattern& pattern : list.patterns) {
    if (!pattern.leading_star_only) {
      if (MatchNamePattern(name, pattern.text) != 0) return 1;
      continue;
    }
    // Most names fail on their last eight bytes, in one word.
    if (pattern.mask != 0 && name.size() >= sizeof(std::uint64_t)) {
      std::uint64_t last;
      std::memcpy(&last, name.data() + name.size() - sizeof last, sizeof last);
      if (((last | pattern.fold) & pattern.mask) != pattern.value) continue;
    }
    if (MatchLeadingStar(name, pattern.text)) return 1;
  }
  return 0;
}
