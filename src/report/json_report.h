// The report as one JSON object, for scripts: the layout the manual page
// documents, with its version in "version". Only reads.
#pragma once

#include <cstdio>

struct ReportModel;

/// The layout's version: raised when a field changes meaning or goes away,
/// not when one is added.
inline constexpr int kJsonLayoutVersion = 2;

/// Writes the model as one UTF-8 JSON object and a line end.
void WriteJsonReport(const ReportModel& model, std::FILE* out);
