#include "report/html_summary.h"

#include <cstdint>

#include "bytes/utf8.h"
#include "read_summary.h"
#include "report/html_parts.h"
#include "report/html_report.h"
#include "report/report_model.h"

namespace {

// A row of a label and its count, indented `depth` steps under the row it
// tells more of.
void AppendRow(std::string* out, const char* label, std::int64_t count, const NumberStyle& style,
               int depth = 0) {
  *out += depth == 0 ? "<tr><td>" : depth == 1 ? "<tr class=\"sub\"><td>" : "<tr class=\"sub2\"><td>";
  *out += label;
  *out += "</td>" + CountCell(count, style) + "</tr>\n";
}

// A file or pattern, as given, and what became of it.
void AppendName(std::string* out, const std::string& name, const char* what) {
  *out += "<li><span class=\"name\">";
  AppendHtmlText(out, TextAsUtf8(name));
  *out += "</span>: ";
  *out += what;
  *out += "</li>\n";
}

}  // namespace

void AppendReadSummary(std::string* out, const ReadSummary& summary,
                       const texts::HtmlTexts& text) {
  const NumberStyle style = NumberStyleOf(text);
  *out += "<section>\n<h2>";
  *out += text.read_heading;
  *out += "</h2>\n<table>\n";
  std::int64_t compressed = 0;
  for (const auto& by_packing : summary.files_read) {
    // cppcheck-suppress useStlAlgorithm ; two sums in one loop
    compressed += by_packing[static_cast<int>(LogPacking::kCompressed)];
  }
  auto files_of = [&](LogFormat format) {
    const auto& by_packing = summary.files_read[static_cast<int>(format)];
    return by_packing[0] + by_packing[1];
  };
  AppendRow(out, text.files_read, summary.FilesRead(), style);
  AppendRow(out, text.comma_files, files_of(LogFormat::kComma), style, 1);
  AppendRow(out, text.w3c_files, files_of(LogFormat::kW3c), style, 1);
  AppendRow(out, text.compressed, compressed, style, 1);

  const LineCounts& lines = summary.lines;
  AppendRow(out, text.lines_read, lines.read, style);
  if (lines.continuations != 0) {
    AppendRow(out, text.left_out_reasons[kContinuationVerdict], lines.continuations, style, 1);
  }
  if (lines.directives != 0) AppendRow(out, text.directives, lines.directives, style, 1);
  AppendRow(out, text.counted, lines.counted, style, 1);
  AppendRow(out, text.left_out, lines.LeftOut(), style, 1);
  // The reasons that left some line out, in filter order.
  for (int verdict = 1; verdict < kLineVerdictCount; ++verdict) {
    const std::int64_t count = lines.rejected[static_cast<std::size_t>(verdict)];
    if (count != 0) AppendRow(out, text.left_out_reasons[verdict], count, style, 2);
  }
  if (lines.other_site != 0) AppendRow(out, text.other_site, lines.other_site, style, 2);
  if (lines.robots != 0) AppendRow(out, text.robots, lines.robots, style, 2);
  if (lines.bad_dates != 0) AppendRow(out, text.bad_dates, lines.bad_dates, style, 2);
  if (lines.out_of_range != 0) AppendRow(out, text.out_of_range, lines.out_of_range, style, 2);
  *out += "</table>\n";

  if (!summary.problem_files.empty() || !summary.empty_patterns.empty()) {
    *out += "<ul class=\"files\">\n";
    for (const ProblemFile& file : summary.problem_files) {
      AppendName(out, file.path, text.problems[static_cast<int>(file.problem)]);
    }
    for (const std::string& pattern : summary.empty_patterns) {
      AppendName(out, pattern, text.empty_pattern);
    }
    *out += "</ul>\n";
  }
  *out += "</section>\n";
}

void AppendMadeSection(std::string* out, const ReportModel& model, const texts::HtmlTexts& text) {
  auto row = [&](const char* label, const std::string& value) {
    *out += Format("<dt>%s</dt><dd>", label) + value + "</dd>\n";
  };
  // An option's text as given, or what its absence means.
  auto given = [](const char* value, const char* absent) {
    return value == nullptr || *value == '\0' ? std::string(absent) : Escaped(value);
  };
  *out += Format("<section class=\"made\">\n<h2>%s</h2>\n<dl>\n", text.made_heading);
  row(text.root_path, given(model.root_path, text.all));
  row(text.exclude_ip, given(model.exclude_ip, text.none));
  row(text.server_ip, given(model.server_ip, text.all));
  row(text.exclude_pattern, given(model.exclude_pattern, text.none));
  std::string range;
  if (model.range_from != nullptr) range = Format(text.range_from, Escaped(model.range_from).c_str());
  if (model.range_to != nullptr) {
    if (!range.empty()) range += ", ";
    range += Format(text.range_to, Escaped(model.range_to).c_str());
  }
  row(text.range, range.empty() ? text.all : range);
  // The zone's standard offset: summer time moves the W3C logs' times, but
  // comma logs are read on standard time all year.
  const long east = -model.seconds_west / 60;
  row(text.time_zone, Format("UTC%c%02ld:%02ld (%s)", east < 0 ? '-' : '+',
                             (east < 0 ? -east : east) / 60, (east < 0 ? -east : east) % 60,
                             text.standard_time));
  std::string formats;
  auto format = [&](LogFormat kind, const char* name) {
    const auto& by_packing = model.summary.files_read[static_cast<int>(kind)];
    if (by_packing[0] + by_packing[1] == 0) return;
    if (!formats.empty()) formats += ", ";
    formats += name;
  };
  format(LogFormat::kComma, text.comma_files);
  format(LogFormat::kW3c, text.w3c_files);
  row(text.log_formats, formats.empty() ? text.none : formats);
  // "2001-03-20 07:00:00 +01:00", the local time the report was made.
  if (const std::optional<std::string> made = IsoLocalTime(model.generated); made.has_value()) {
    row(text.made_at, made->substr(0, 10) + " " + made->substr(11, 8) + " " + made->substr(19));
  }
  *out += "</dl>\n</section>\n";
}
