// The report in the format the options chose: the designed text, one JSON
// object, or one web page. Only reads.
#pragma once

#include <cstdio>

struct Options;
struct Statistics;

/// Writes the report of ranked statistics, whose top users are resolved,
/// in Options::Format to `out`.
void WriteChosenReport(const Options& options, const Statistics& stats, std::FILE* out);
