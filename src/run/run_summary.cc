#include "run/run_summary.h"

#include <algorithm>
#include <cinttypes>
#include <cstring>

#include "bytes/comma_list.h"
#include "bytes/field_text.h"
#include "bytes/utf8.h"
#include "intake/ip_mask.h"
#include "intake/log_line.h"
#include "platform/local_time.h"
#include "read_summary.h"
#include "texts.h"

std::string ShownText(const SummaryStyle& style, const char* text) {
  return style.utf8 ? TextAsUtf8(text) : std::string(text);
}

SummaryStyle StyleFor(bool norwegian, TextEscape escape, bool utf8) {
  return {norwegian ? &texts::kSummaryNorwegian : &texts::kSummaryEnglish, escape, utf8};
}

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

const char* Files(const SummaryStyle& style, std::int64_t n) {
  return n == 1 ? style.texts->file : style.texts->files;
}

void WriteFilesRead(std::FILE* out, const char* program, const ReadSummary& summary,
                    const SummaryStyle& style) {
  const texts::SummaryTexts& t = *style.texts;
  std::fprintf(out, ShownText(style, t.files_read).c_str(), program, summary.FilesRead(),
               Files(style, summary.FilesRead()));
  const char* const formats[kLogFormatCount] = {t.comma_files, t.w3c_files};
  const char* separator = "";
  for (int format = 0; format < kLogFormatCount; ++format) {
    const auto& by_packing = summary.files_read[format];
    const std::int64_t compressed = by_packing[static_cast<int>(LogPacking::kCompressed)];
    const std::int64_t all = by_packing[static_cast<int>(LogPacking::kPlain)] + compressed;
    if (all == 0) continue;
    std::fputs(separator, out);
    std::fprintf(out, ShownText(style, formats[format]).c_str(), all);
    if (compressed != 0) std::fprintf(out, ShownText(style, t.compressed).c_str(), compressed);
    separator = ", ";
  }
  std::fputc('\n', out);
}

void WriteProblemFiles(std::FILE* out, const char* program, const ReadSummary& summary,
                       const SummaryStyle& style) {
  const texts::SummaryTexts& t = *style.texts;
  for (int problem = 0; problem < kFileProblemCount; ++problem) {
    const std::int64_t n = summary.FilesWith(static_cast<FileProblem>(problem));
    if (n == 0) continue;
    std::fprintf(out, ShownText(style, t.problem_files).c_str(), program, n, Files(style, n),
                 ShownText(style, t.problems[problem]).c_str());
    std::int64_t shown = 0;
    for (const ProblemFile& file : summary.problem_files) {
      if (static_cast<int>(file.problem) != problem) continue;
      if (shown == kNamesShown) {
        std::fprintf(out, ShownText(style, t.more_names).c_str(), n - kNamesShown);
        break;
      }
      std::fprintf(out, "%s%s", shown == 0 ? "" : ", ", FieldText(file.path, style.escape).text);
      ++shown;
    }
    std::fputc('\n', out);
  }
}

// Files a state shows counted to their end: named as the problems are.
void WriteAlreadyCounted(std::FILE* out, const char* program, const ReadSummary& summary,
                         const SummaryStyle& style) {
  const texts::SummaryTexts& t = *style.texts;
  const auto n = static_cast<std::int64_t>(summary.already_counted.size());
  if (n == 0) return;
  std::fprintf(out, ShownText(style, t.problem_files).c_str(), program, n, Files(style, n),
               ShownText(style, t.already_counted).c_str());
  for (std::int64_t shown = 0; shown < n; ++shown) {
    if (shown == kNamesShown) {
      std::fprintf(out, ShownText(style, t.more_names).c_str(), n - kNamesShown);
      break;
    }
    std::fprintf(out, "%s%s", shown == 0 ? "" : ", ",
                 FieldText(summary.already_counted[static_cast<std::size_t>(shown)], style.escape)
                     .text);
  }
  std::fputc('\n', out);
}

void WriteLines(std::FILE* out, const char* program, const LineCounts& lines,
                const SummaryStyle& style) {
  const texts::SummaryTexts& t = *style.texts;
  std::fprintf(out, ShownText(style, t.lines_read).c_str(), program, lines.read,
               lines.read == 1 ? t.line : t.lines);
  if (lines.directives != 0) {
    std::fprintf(out, ShownText(style, t.directives).c_str(), lines.directives);
  }
  std::fprintf(out, ShownText(style, t.counted_left_out).c_str(), lines.counted, lines.LeftOut());
  std::fputc('\n', out);

  const int width = std::snprintf(nullptr, 0, "%" PRId64, lines.LeftOut());
  auto reason = [&](std::int64_t count, const char* text) {
    if (count != 0) std::fprintf(out, texts::kSummaryReason, width, count, ShownText(style, text).c_str());
  };
  for (int verdict = 1; verdict < kLineVerdictCount; ++verdict) {
    reason(lines.rejected[verdict], t.rejections[verdict]);
  }
  reason(lines.other_site, t.other_site);
  reason(lines.robots, t.robots);
  reason(lines.bad_dates, t.bad_dates);
  reason(lines.out_of_range, t.out_of_range);
  // The pieces of long lines are no lines, and not among those above.
  if (lines.continuations != 0) {
    std::fprintf(out, ShownText(style, t.continuations).c_str(), program, lines.continuations,
                 lines.continuations == 1 ? t.piece : t.pieces);
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
  if (std::strncmp(arg, "--client=", 9) == 0) notes->client_field = true;
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
                     const ArgumentNotes& notes, const SummaryStyle& style) {
  const texts::SummaryTexts& t = *style.texts;
  const TextEscape escape = style.escape;
  // What was read, set off from the report by an empty line.
  std::fputc('\n', out);
  if (summary.FilesRead() != 0) WriteFilesRead(out, program, summary, style);
  WriteProblemFiles(out, program, summary, style);
  WriteAlreadyCounted(out, program, summary, style);
  for (const std::string& pattern : summary.empty_patterns) {
    if (IsGlued(notes, pattern)) continue;  // the hint tells of it
    std::fprintf(out, ShownText(style, t.empty_pattern).c_str(), program,
                 FieldText(pattern, escape).text);
  }
  if (summary.FilesRead() != 0) WriteLines(out, program, summary.lines, style);

  // What was probably meant.
  for (const ArgumentNotes::GluedValue& glued : notes.glued_values) {
    std::fprintf(out, ShownText(style, t.glued_value).c_str(), program,
                 FieldText(glued.pattern, escape).text, glued.option.c_str(),
                 FieldText(ShellWord(glued.pattern), escape).text);
  }
  for (const std::string& option : notes.filters_after_pattern) {
    if (!notes.pattern_seen) break;
    std::fprintf(out, ShownText(style, t.after_last_pattern).c_str(), program,
                 FieldText(option, escape).text);
  }
  for (const std::string& mask : notes.refused_masks) {
    std::fprintf(out, ShownText(style, t.refused_mask).c_str(), program, FieldText(mask, escape).text);
  }
  if (notes.client_field && summary.files_read[static_cast<int>(LogFormat::kComma)][0] +
                                summary.files_read[static_cast<int>(LogFormat::kComma)][1] !=
                            0) {
    std::fprintf(out, ShownText(style, t.client_in_comma).c_str(), program);
  }
  if (LooksNotIis(summary.lines)) std::fprintf(out, ShownText(style, t.not_iis).c_str(), program);
  if (summary.read_out_of_time_order) {
    std::fprintf(out, ShownText(style, t.out_of_time_order).c_str(), program);
  }
  if (summary.lines.counted == 0 && summary.lines.out_of_range != 0) {
    std::fprintf(out, ShownText(style, t.range_missed).c_str(), program,
                 LocalDateTime(summary.lines.outside_first).c_str(),
                 LocalDateTime(summary.lines.outside_last).c_str());
  }
}
