// The web page's panels of every request, beside the page hits: statuses
// with their names, errors by path, client and hour, time taken, bandwidth
// and the requests by hour of the day. A field the logs lack says so
// instead of showing a zero that looks measured.
#pragma once

#include <string>

#include "html_texts.h"

struct ReportModel;

void AppendHealthSections(std::string* out, const ReportModel& model,
                          const texts::HtmlTexts& text);
