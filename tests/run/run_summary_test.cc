#include "run/run_summary.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "intake/log_line.h"
#include "read_summary.h"
#include "test_util.h"

namespace {

std::string Summary(const ReadSummary& summary, const ArgumentNotes& notes) {
  CapturedStream out;
  WriteRunSummary(out.file(), "vantrix", summary, notes);
  return out.Text();
}

TEST(RunSummaryTest, WhatWasRead) {
  ReadSummary summary;
  summary.files_read[0][0] = 2;  // comma-separated, plain
  summary.files_read[1][1] = 1;  // W3C extended, compressed
  for (const char* dir : {"d1", "d2", "d3", "d4", "d5"}) {
    summary.problem_files.push_back({dir, FileProblem::kNotRegular});
  }
  summary.problem_files.push_back({"gone.log", FileProblem::kMissing});
  summary.problem_files.push_back({"secret.log", FileProblem::kUnreadable});
  summary.problem_files.push_back({"disk.log", FileProblem::kReadError});
  summary.problem_files.push_back({"cut.log.gz", FileProblem::kDamaged});
  summary.empty_patterns = {"ex02*.log"};
  summary.lines.read = 1012;
  summary.lines.directives = 2;
  summary.lines.counted = 900;
  summary.lines.rejected[static_cast<int>(LineVerdict::kIncomplete)] = 100;
  summary.lines.rejected[static_cast<int>(LineVerdict::kExcludedPattern)] = 9;
  summary.lines.bad_dates = 1;
  EXPECT_EQ(
      "\n"
      "vantrix: 3 files read: 2 comma-separated, 1 W3C extended (1 compressed)\n"
      "vantrix: 1 file skipped as missing: gone.log\n"
      "vantrix: 1 file skipped as unreadable: secret.log\n"
      "vantrix: 5 files skipped as not a regular file: d1, d2, d3 and 2 more\n"
      "vantrix: 1 file damaged, read up to the damage: cut.log.gz\n"
      "vantrix: 1 file cut short by a read error: disk.log\n"
      "vantrix: 'ex02*.log' matched no file\n"
      "vantrix: 1012 lines read (2 W3C directives), 900 counted, 110 left out\n"
      "  100 incomplete data\n"
      "    9 file on the exclude list\n"
      "    1 bad date\n",
      Summary(summary, ArgumentNotes()));
}

// With no file read, the usage text has said so: only the patterns and the
// hints remain, and a pattern explained by a hint is not told twice.
TEST(RunSummaryTest, NoFileRead) {
  ReadSummary summary;
  summary.empty_patterns = {"25", "My Shop", "acess.log"};
  ArgumentNotes notes;
  notes.glued_values = {{"-n", "25"}, {"-c", "My Shop"}};
  notes.filters_after_pattern = {"-r/shop/"};  // no pattern came before it
  EXPECT_EQ(
      "\n"
      "vantrix: 'acess.log' matched no file\n"
      "vantrix: '25' matched no file: values are glued to their option, as in -n25\n"
      "vantrix: 'My Shop' matched no file: values are glued to their option, as in "
      "-c'My Shop'\n",
      Summary(summary, notes));
}

TEST(RunSummaryTest, NotesFromArguments) {
  // Each argument with whether it is a pattern that matched nothing.
  using Args = std::vector<std::pair<const char*, bool>>;
  struct Case {
    Args args;
    std::string notes;  // glued | after | refused
  };
  const Case cases[] = {
      {{{"-n", false}, {"25", true}}, "-n 25 | |"},
      {{{"-n", false}, {"a.log", false}}, " | |"},  // it matched: a pattern after all
      {{{"-v", false}, {"25", true}}, " | |"},      // -v takes no value
      {{{"a.log", false}, {"-r/shop/", false}, {"-v", false}, {"-e1.2.3.4", false}},
       " | -r/shop/ -e1.2.3.4 |"},
      {{{"-r/shop/", false}, {"a.log", false}, {"-n5", false}}, " | |"},
      {{{"-e10.0.0.0/8,1.2.3.4", false}, {"-s1.2.3.4,216.*,10.0.0.0/8", false},
        {"-e10.0.0.0/8", false}, {"-p10.0.0.0/8", false}, {"a.log", false}},
       " | | 10.0.0.0/8 216.*"},
  };
  for (const Case& c : cases) {
    ArgumentNotes notes;
    for (const auto& [arg, matched_nothing] : c.args) {
      if (arg[0] == '-') {
        NoteOption(&notes, arg);
      } else {
        NotePattern(&notes, arg, matched_nothing);
      }
    }
    std::string text;
    for (const auto& g : notes.glued_values) text += g.option + " " + g.pattern;
    text += " |";
    for (const auto& f : notes.filters_after_pattern) text += " " + f;
    text += " |";
    for (const auto& m : notes.refused_masks) text += " " + m;
    EXPECT_EQ(c.notes, text) << c.args.front().first;
  }
}

// Zero hits from lines nearly all too short: the log is of another kind.
TEST(RunSummaryTest, NotAnIisLog) {
  // read, of which directives, incomplete, counted; and whether to hint.
  const std::array<std::int64_t, 5> cases[] = {
      {14, 4, 9, 0, 1}, {10, 0, 8, 0, 0}, {10, 0, 9, 1, 0}, {0, 0, 0, 0, 0}};
  for (const auto& [read, directives, incomplete, counted, hint] : cases) {
    ReadSummary summary;
    summary.files_read[0][0] = 1;
    summary.lines = {read, 0, directives, counted, {}, 0};
    summary.lines.rejected[static_cast<int>(LineVerdict::kIncomplete)] = incomplete;
    EXPECT_EQ(hint != 0, Summary(summary, ArgumentNotes()).find("IIS log?") != std::string::npos)
        << read << " " << incomplete << " " << counted;
  }
}

}  // namespace

namespace {

// Under -N the summary is Norwegian: its letters in Windows-1252, as the
// report's, or in UTF-8 for a terminal that reads it; names stay as given.
TEST(RunSummaryTest, NorwegianAsTheTerminalReadsIt) {
  ReadSummary summary;
  summary.files_read[0][0] = 1;
  summary.lines.read = 3;
  summary.lines.counted = 3;
  summary.read_out_of_time_order = true;
  ArgumentNotes notes;
  notes.refused_masks = {"m\xF8"};
  const struct {
    bool utf8;
    std::string text;
  } cases[] = {
      {false,
       "\nvantrix: 1 fil lest: 1 kommaseparerte\n"
       "vantrix: 3 linjer lest, 3 talt, 0 utelatt\n"
       "vantrix: masken 'm\xF8' ble ikke forst\xE5tt: skriv hver av de fire delene som n, n-m "
       "eller *\n"
       "vantrix: perioden slutter f\xF8r den begynner: filene ble lest i feil "
       "tidsrekkef\xF8lge; oppgi de eldste f\xF8rst\n"},
      {true,
       "\nvantrix: 1 fil lest: 1 kommaseparerte\n"
       "vantrix: 3 linjer lest, 3 talt, 0 utelatt\n"
       "vantrix: masken 'm\xF8' ble ikke forst\xC3\xA5tt: skriv hver av de fire delene som n, "
       "n-m eller *\n"
       "vantrix: perioden slutter f\xC3\xB8r den begynner: filene ble lest i feil "
       "tidsrekkef\xC3\xB8lge; oppgi de eldste f\xC3\xB8rst\n"},
  };
  for (const auto& c : cases) {
    CapturedStream out;
    WriteRunSummary(out.file(), "vantrix", summary, notes,
                    StyleFor(true, TextEscape::kTerminal, c.utf8));
    EXPECT_EQ(c.text, out.Text()) << c.utf8;
  }
}

}  // namespace
