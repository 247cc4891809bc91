// Name patterns of the -p list: a single forward pass with "*" and "?" and
// ASCII-only case folding. Owns nothing.
#pragma once

#include <string_view>
#include <vector>

/// 1 when `name` matches `pattern`, else 0. A "*" jumps to the first
/// following occurrence of the character after it and never reconsiders.
int MatchNamePattern(std::string_view name, std::string_view pattern);

/// The non-empty items of a comma list, kept as views into the list text.
struct NamePatternList {
  std::vector<std::string_view> patterns;
  /// For each pattern, true when it is a "*" followed by characters none of
  /// which is a "*": then the only choice is where the character after the
  /// "*" first occurs, and the name's last bytes settle most names.
  std::vector<unsigned char> leading_star_only;
};

NamePatternList SplitNamePatterns(std::string_view list);

/// 1 when `name` matches at least one pattern of the list, else 0.
int MatchNamePatterns(std::string_view name, const NamePatternList& list);
