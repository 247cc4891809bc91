// The web page's account of what the run read: files by format, files
// skipped or cut short and why, patterns that matched nothing, and lines
// read, counted and left out by reason.
#pragma once

#include <string>

#include "texts.h"

struct ReadSummary;

/// Appends the section, in the language of `text`.
void AppendReadSummary(std::string* out, const ReadSummary& summary,
                       const texts::HtmlTexts& text);
