// The -o file: opened at once, but emptied only when the report goes in, so
// that a run that ends without a report leaves yesterday's report as it
// was; and told apart from the logs, so that no log is overwritten.
#pragma once

#include <cstdio>
#include <string>

#include "platform/file.h"

/// A log that was read, as its pattern matched it.
struct ReadLog {
  FileIdentity identity;
  std::string path;
};

/// Opens `path` for writing the report, creating it when missing and
/// keeping what it holds; nullptr on failure.
std::FILE* OpenOutputFile(const char* path, FileIdentity* identity);

/// Empties an output file just before the report is written to it, and
/// writes from its start. Streams that cannot be emptied (a terminal, a
/// pipe, a device) are left as they are. False when a regular file could
/// not be emptied.
bool EmptyForReport(std::FILE* out);
