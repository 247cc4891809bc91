#include "report/html_summary.h"

#include <cstdint>

#include "bytes/utf8.h"
#include "read_summary.h"
#include "report/html_parts.h"
#include "report/html_report.h"

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
