#include "run/run_summary.h"

#include <algorithm>
#include <cinttypes>
#include <cstring>

#include "bytes/comma_list.h"
#include "bytes/field_text.h"
#include "intake/ip_mask.h"
#include "intake/log_line.h"
#include "platform/local_time.h"
#include "read_summary.h"
#include "texts.h"

namespace {

// Lines that were nearly all cut into too few fields tell of another format.
constexpr std::int64_t kNotIisPercent = 90;

// Names of skipped files shown per reason; the rest are counted.
constexpr std::int64_t kNamesShown = 3;

bool TakesValue(char letter) { return letter != '\0' && std::strchr("cdenoprsu", letter); }
bool IsFilter(const char* arg) {
  if (arg[1] == '-') return std::strncmp(arg, "--from=", 7) == 0 || std::strncmp(arg, "--to=", 5) == 0;
  return arg[1] != '\0' && std::strchr("eprs", arg[1]);
}

// A time stamp as the local "YYYY-MM-DD HH:MM:SS" that --from and --to take
// (with a T), or "?" where the platform has no local time for it.
std::string LocalDateTime(std::int64_t t) {
  std::tm local{};
  if (!ToLocalTime(t, &local)) return "?";
  char text[80];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", local.tm_year + 1900,
                local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
  return text;
}

const char* Files(std::int64_t n) { return n == 1 ? "file" : "files"; }
const char* Lines(std::int64_t n) { return n == 1 ? "line" : "lines"; }

void WriteFilesRead(std::FILE* out, const char* program, const ReadSummary& summary) {
  std::fprintf(out, texts::kSummaryFilesRead, program, summary.FilesRead(),
               Files(summary.FilesRead()));
  const char* const formats[kLogFormatCount] = {texts::kSummaryCommaFiles, texts::kSummaryW3cFiles};
  const char* separator = "";
  for (int format = 0; format < kLogFormatCount; ++format) {
    const auto& by_packing = summary.files_read[format];
    const std::int64_t compressed = by_packing[static_cast<int>(LogPacking::kCompressed)];
    const std::int64_t all = by_packing[static_cast<int>(LogPacking::kPlain)] + compressed;
    if (all == 0) continue;
    std::fputs(separator, out);
    std::fprintf(out, formats[format], all);
    if (compressed != 0) std::fprintf(out, texts::kSummaryCompressed, compressed);
    separator = ", ";
  }
  std::fputc('\n', out);
}

void WriteProblemFiles(std::FILE* out, const char* program, const ReadSummary& summary) {
  for (int problem = 0; problem < kFileProblemCount; ++problem) {
    const std::int64_t n = summary.FilesWith(static_cast<FileProblem>(problem));
    if (n == 0) continue;
    std::fprintf(out, texts::kSummaryProblemFiles, program, n, Files(n),
                 texts::kSummaryProblems[problem]);
    std::int64_t shown = 0;
    for (const ProblemFile& file : summary.problem_files) {
      if (static_cast<int>(file.problem) != problem) continue;
      if (shown == kNamesShown) {
        std::fprintf(out, texts::kSummaryMoreNames, n - kNamesShown);
        break;
      }
      // The summary is only ever on a terminal: a file name's control bytes
      // are escaped.
      std::fprintf(out, "%s%s", shown == 0 ? "" : ", ", FieldText(file.path, true).text);
      ++shown;
    }
    std::fputc('\n', out);
  }
}

void WriteLines(std::FILE* out, const char* program, const LineCounts& lines) {
  std::fprintf(out, texts::kSummaryLines, program, lines.read, Lines(lines.read));
  if (lines.directives != 0) {
    std::fprintf(out, texts::kSummaryDirectives, lines.directives);
  }
  std::fprintf(out, texts::kSummaryCountedLeftOut, lines.counted, lines.LeftOut());
  std::fputc('\n', out);

  const int width = std::snprintf(nullptr, 0, "%" PRId64, lines.LeftOut());
  for (int verdict = 1; verdict < kLineVerdictCount; ++verdict) {
    if (lines.rejected[verdict] == 0) continue;
    std::fprintf(out, texts::kSummaryReason, width, lines.rejected[verdict],
                 texts::kSummaryRejections[verdict]);
  }
  if (lines.bad_dates != 0) {
    std::fprintf(out, texts::kSummaryReason, width, lines.bad_dates,
                 texts::kSummaryBadDates);
  }
  if (lines.out_of_range != 0) {
    std::fprintf(out, texts::kSummaryReason, width, lines.out_of_range,
                 texts::kSummaryOutOfRange);
  }
}

// True when nothing was counted and nearly every data line had too few
// fields: a log of some other kind.
bool LooksNotIis(const LineCounts& lines) {
  const std::int64_t data = lines.read - lines.directives;
  const std::int64_t incomplete = lines.rejected[static_cast<int>(LineVerdict::kIncomplete)];
  return lines.counted == 0 && incomplete > 0 && incomplete * 100 >= data * kNotIisPercent;
}

bool IsGlued(const ArgumentNotes& notes, const std::string& pattern) {
  return std::any_of(notes.glued_values.begin(), notes.glued_values.end(),
                     [&](const ArgumentNotes::GluedValue& g) { return g.pattern == pattern; });
}

}  // namespace

void NoteOption(ArgumentNotes* notes, const char* arg) {
  const char letter = arg[1];
  notes->option_without_value = TakesValue(letter) && arg[2] == '\0' ? arg : "";
  if (IsFilter(arg)) notes->filters_after_pattern.emplace_back(arg);
  if (letter == 'e' || letter == 's') {
    // A list is read up to its first refused item.
    CommaList items(arg + 2);
    std::string_view item;
    IpMask mask;
    while (items.Next(&item)) {
      if (ParseIpMask(item, &mask)) continue;
      if (std::find(notes->refused_masks.begin(), notes->refused_masks.end(), item) ==
          notes->refused_masks.end()) {
        notes->refused_masks.emplace_back(item);
      }
      break;
    }
  }
}

void NotePattern(ArgumentNotes* notes, const char* pattern, bool matched_nothing) {
  if (matched_nothing && !notes->option_without_value.empty()) {
    notes->glued_values.push_back({notes->option_without_value, pattern});
  }
  notes->option_without_value.clear();
  notes->filters_after_pattern.clear();
  notes->pattern_seen = true;
}

std::string ShellWord(const std::string& value) {
  constexpr char kPlain[] =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789._/,:+-=@%";
  if (!value.empty() && value.find_first_not_of(kPlain) == std::string::npos) return value;
  std::string word = "'";
  for (char c : value) word += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return word + "'";
}

void WriteRunSummary(std::FILE* out, const char* program, const ReadSummary& summary,
                     const ArgumentNotes& notes) {
  // What was read, set off from the report by an empty line.
  std::fputc('\n', out);
  if (summary.FilesRead() != 0) WriteFilesRead(out, program, summary);
  WriteProblemFiles(out, program, summary);
  for (const std::string& pattern : summary.empty_patterns) {
    if (IsGlued(notes, pattern)) continue;  // the hint tells of it
    std::fprintf(out, texts::kSummaryEmptyPattern, program, FieldText(pattern, true).text);
  }
  if (summary.FilesRead() != 0) WriteLines(out, program, summary.lines);

  // What was probably meant.
  for (const ArgumentNotes::GluedValue& glued : notes.glued_values) {
    std::fprintf(out, texts::kHintGluedValue, program, FieldText(glued.pattern, true).text,
                 glued.option.c_str(), FieldText(ShellWord(glued.pattern), true).text);
  }
  for (const std::string& option : notes.filters_after_pattern) {
    if (!notes.pattern_seen) break;
    std::fprintf(out, texts::kHintAfterLastPattern, program, option.c_str());
  }
  for (const std::string& mask : notes.refused_masks) {
    std::fprintf(out, texts::kHintRefusedMask, program, mask.c_str());
  }
  if (LooksNotIis(summary.lines)) std::fprintf(out, texts::kHintNotIis, program);
  if (summary.lines.counted == 0 && summary.lines.out_of_range != 0) {
    std::fprintf(out, texts::kHintRangeMissed, program,
                 LocalDateTime(summary.lines.outside_first).c_str(),
                 LocalDateTime(summary.lines.outside_last).c_str());
  }
}
