// What a person at a terminal reads after the report: a few lines on what
// was read and what was left out, and a hint for each common mistake on the
// command line. The run writes them only when standard error is a terminal
// and -d is not given; pipes and files never see them.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "bytes/field_text.h"
#include "texts.h"

struct ReadSummary;

/// What the command line did that is seldom what was meant, noted while the
/// arguments are read.
struct ArgumentNotes {
  /// A pattern that matched nothing right after an option given no value:
  /// most likely that option's value, typed with a blank before it.
  struct GluedValue {
    std::string option;   // as given, "-n"
    std::string pattern;  // "25"
  };
  std::vector<GluedValue> glued_values;
  /// -r, -e, -s and -p options given since the last pattern, as written;
  /// after the last argument, those that applied to no file.
  std::vector<std::string> filters_after_pattern;
  /// Items of -e and -s lists that are no mask, each ending its list.
  std::vector<std::string> refused_masks;

  /// --client was given: the comma format has no such field.
  bool client_field = false;

  /// The option argument just before, when it takes a value and had none.
  std::string option_without_value;
  bool pattern_seen = false;
};

/// Takes note of an option argument (it begins with "-").
void NoteOption(ArgumentNotes* notes, const char* arg);

/// Takes note of a file pattern; `matched_nothing` when no file matched it.
void NotePattern(ArgumentNotes* notes, const char* pattern, bool matched_nothing);

/// How the summary is written: in which language, how names and option
/// values are escaped, and whether the terminal reads UTF-8.
struct SummaryStyle {
  const texts::SummaryTexts* texts = &texts::kSummaryEnglish;
  TextEscape escape = TextEscape::kTerminal;
  bool utf8 = false;
};

/// The style for a run's terminal: Norwegian under -N, and as standard
/// error shows texts.
SummaryStyle StyleFor(bool norwegian, TextEscape escape, bool utf8);

/// Writes the summary and then the hints to `out`, a terminal, each line
/// beginning with `program` and ": ". Files and lines are left out when no
/// file was read.
void WriteRunSummary(std::FILE* out, const char* program, const ReadSummary& summary,
                     const ArgumentNotes& notes, const SummaryStyle& style = SummaryStyle());

/// A fixed text of the style as its terminal reads it.
std::string ShownText(const SummaryStyle& style, const char* text);

/// `value` as it would be typed glued to its option letter: as it is when
/// the shell leaves it so, else in single quotes ("My Shop" gives 'My Shop').
std::string ShellWord(const std::string& value);
