// Name patterns: MatchNamePattern and MatchNamePatterns on a fuzzed name and
// list.
//
// Input: the name, NUL, the list.
//
// Properties:
// - the list matches exactly when one of its items matches (empty items
//   skipped, nothing trimmed);
// - ASCII letter case never matters, on either side, and bytes from 128 up
//   are never folded;
// - a pattern without "*" and "?" matches exactly the names equal to it
//   with ASCII case ignored;
// - every result is 0 or 1.
#include <string>

#include "fuzz_input.h"
#include "intake/name_pattern.h"

namespace {

unsigned char FoldAscii(unsigned char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

// Swaps the case of the ASCII letters only.
std::string SwapAsciiCase(std::string_view text) {
  std::string swapped(text);
  for (char& c : swapped) {
    if (c >= 'a' && c <= 'z') {
      c = static_cast<char>(c - 'a' + 'A');
    } else if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    }
  }
  return swapped;
}

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(static_cast<unsigned char>(a[i])) !=
        FoldAscii(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  const std::string_view name = input.Text();
  const std::string_view list = input.Text();
  const std::string swapped_name = SwapAsciiCase(name);

  bool any = false;
  ForEachListItem(list, [&](std::string_view pattern) {
    const int result = MatchNamePattern(name, pattern);
    FUZZ_CHECK(result == 0 || result == 1);
    FUZZ_CHECK(MatchNamePattern(swapped_name, pattern) == result);
    FUZZ_CHECK(MatchNamePattern(name, SwapAsciiCase(pattern)) == result);
    if (pattern.find_first_of("*?") == std::string_view::npos) {
      FUZZ_CHECK(result == (EqualIgnoringAsciiCase(name, pattern) ? 1 : 0));
    }
    any = any || result == 1;
    return true;
  });

  const int listed = MatchNamePatterns(name, SplitNamePatterns(list));
  FUZZ_CHECK(listed == (any ? 1 : 0));
  FUZZ_CHECK(MatchNamePatterns(swapped_name, SplitNamePatterns(list)) == listed);

  // A name always matches itself written as a pattern when it holds no
  // wildcard, and "*" matches every name.
  if (name.find_first_of("*?") == std::string_view::npos) {
    FUZZ_CHECK(MatchNamePattern(name, name) == 1);
  }
  FUZZ_CHECK(MatchNamePattern(name, "*") == 1);
  return 0;
}
