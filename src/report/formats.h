// The report in the format the options chose: the designed text, one JSON
// object, or one web page. Only reads.
#pragma once

#include <cstdint>
#include <cstdio>

#include "report/report.h"

struct Options;
struct ReadSummary;
struct Statistics;

/// Writes the report of ranked statistics, whose top users are resolved,
/// in Options::Format to `out`: the text in `charset`; JSON and HTML, which
/// are UTF-8, with what `summary` says was read and `generated`, the time
/// the report is made.
void WriteChosenReport(const Options& options, const Statistics& stats,
                       const ReadSummary& summary, std::FILE* out, ReportCharset charset,
                       std::int64_t generated = 0);
