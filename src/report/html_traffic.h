// The web page's sections of the page hits over time and by status: the
// chart of the hits per day and by hour of the day, each with a table of
// the same numbers under it (for a phone, a print or a screenshot, where
// no tooltip shows), and the table of the statuses.
#pragma once

#include <string>

#include "html_texts.h"

struct ReportModel;

void AppendDaySection(std::string* out, const ReportModel& model, const texts::HtmlTexts& text);
void AppendHourSection(std::string* out, const ReportModel& model, const texts::HtmlTexts& text);
void AppendStatusSection(std::string* out, const ReportModel& model,
                         const texts::HtmlTexts& text);
