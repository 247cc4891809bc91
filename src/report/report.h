// The report text: period, totals, the most visited pages and the most
// active users, in English or Norwegian. Only reads.
#pragma once

#include <cstdio>

#include "stats/hit_time.h"

struct Options;
struct Statistics;

/// The local date of `t` as "%x" writes it in the "C" locale (mm/dd/yy), or
/// "[feil i datoformat]" for a negative or unconvertible time. `out` holds
/// at least 32 bytes.
void FormatReportDate(TimeStamp t, char* out);

/// Writes the whole report to `out`.
void WriteReport(const Options& options, const Statistics& stats,
                 std::FILE* out);
