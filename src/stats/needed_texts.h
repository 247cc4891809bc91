// The texts a regular expression cannot match without, read from its
// source: a cheap test that spares running the library's matcher on texts
// it cannot match. The robot and agent lists hold a few hundred expressions
// and a log tens of thousands of distinct agents; most expressions are
// settled by a search for a word or two. Pure; owns nothing.
#pragma once

#include <string>
#include <string_view>
#include <vector>

/// Of each alternative at the top of an expression, the texts (in lower
/// case) that every match of it holds; a match of the expression holds all
/// the texts of one alternative. Empty when some alternative needs no text,
/// or the expression is beyond this reading: it must then always be tried.
struct NeededTexts {
  std::vector<std::vector<std::string>> alternatives;

  /// False only when `lowered` (a text in lower case) cannot match.
  bool MayMatch(std::string_view lowered) const;
};

/// The needed texts of `pattern`, an ECMAScript expression.
NeededTexts ReadNeededTexts(std::string_view pattern);

/// `text` with the ASCII letters in lower case.
std::string LowerAscii(std::string_view text);
