// The report as one web page, for a browser: totals, charts of the hits per
// day and by hour with their tables, the status table and the top lists,
// the panels of every request (statuses, errors, time taken, bandwidth),
// what was read and what made the report, in the language of -N. One
// self-contained file: inline style and SVG, no script, no link to anything
// outside it. Only reads.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

struct ReportModel;

/// Appends UTF-8 `text` as HTML text: "&", "<", ">", '"' and "'" as
/// character references, control characters as visible pictures of them
/// (U+2400 on) or, for C1 controls, U+FFFD.
void AppendHtmlText(std::string* out, std::string_view text);

/// Writes the model as one HTML page.
void WriteHtmlReport(const ReportModel& model, std::FILE* out);
