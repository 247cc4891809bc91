// Name patterns of the -p list: a single forward pass with "*" and "?" and
// ASCII-only case folding. Owns nothing.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

/// 1 when `name` matches `pattern`, else 0. A "*" jumps to the first
/// following occurrence of the character after it and never reconsiders.
int MatchNamePattern(std::string_view name, std::string_view pattern);

/// The non-empty items of a comma list, kept as views into the list text.
struct NamePatternList {
  struct Pattern {
    std::string_view text;
    /// True when the pattern is a "*" followed by characters none of which
    /// is a "*": then the only choice is where the character after the "*"
    /// first occurs, and the name's last bytes settle most names.
    bool leading_star_only = false;
    /// For such a pattern of at most eight bytes after the "*", a test that
    /// a name of eight bytes or more fails when its last eight bytes, read
    /// as one word w, give ((w | fold) & mask) != value: fold lowers a
    /// letter's case, mask leaves out a "?" and the bytes before the tail.
    /// A zero mask where there is no such test.
    std::uint64_t fold = 0;
    std::uint64_t mask = 0;
    std::uint64_t value = 0;
  };
  std::vector<Pattern> patterns;
};

NamePatternList SplitNamePatterns(std::string_view list);

/// 1 when `name` matches at least one pattern of the list, else 0.
int MatchNamePatterns(std::string_view name, const NamePatternList& list);
