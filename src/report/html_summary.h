// The web page's account of what the run read (files by format, files
// skipped or cut short and why, patterns that matched nothing, and lines
// read, counted and left out by reason) and of what made the report: the
// filters of the command line, the time zone and the formats of the logs.
#pragma once

#include <string>

#include "html_texts.h"

struct ReadSummary;
struct ReportModel;

/// Appends the section, in the language of `text`.
void AppendReadSummary(std::string* out, const ReadSummary& summary,
                       const texts::HtmlTexts& text);

/// Appends the section of the filters, zone and formats that made the
/// report.
void AppendMadeSection(std::string* out, const ReportModel& model, const texts::HtmlTexts& text);
