// The web page's panels of who is behind the requests: people and robots,
// browsers and systems, the sites and pages that refer visitors, and the
// sites of the logs. A field the logs lack says so instead of an empty
// table.
#pragma once

#include <string>

#include "html_texts.h"

struct ReportModel;

void AppendWhoSections(std::string* out, const ReportModel& model,
                       const texts::HtmlTexts& text);
