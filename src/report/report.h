// The report text: period, totals, the most visited pages and the most
// active users, in English or Norwegian, written from the report model.
// Only reads.
#pragma once

#include <cstdio>

#include "stats/hit_time.h"

struct ReportModel;

/// The local date of `t` as "%x" writes it in the "C" locale (mm/dd/yy), or
/// "[feil i datoformat]" for a negative or unconvertible time. `out` holds
/// at least 32 bytes.
void FormatReportDate(TimeStamp t, char* out);

/// How the report's fixed texts are written: in Windows-1252, the
/// report's own bytes, or in UTF-8 for a terminal that reads it. In UTF-8
/// the title is underlined with one "-" per character, not per byte.
enum class ReportCharset { kWindows1252, kUtf8 };

/// Writes the whole report to `out`: the model's texts as the bytes they
/// are, the fixed texts in `charset`.
void WriteReport(const ReportModel& model, std::FILE* out,
                 ReportCharset charset = ReportCharset::kWindows1252);
