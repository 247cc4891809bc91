// The -o file: opened at once, so that a name that cannot be written ends
// the run before any log is read; replaced whole only when the report is
// complete, so that a run that ends without a report, or fails while
// writing it, leaves yesterday's report as it was; and told apart from the
// logs, so that no log is overwritten.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "platform/file.h"

/// A log that was read, as its pattern matched it.
struct ReadLog {
  FileIdentity identity;
  std::string path;
};

/// The report's file, opened (and created when missing) at once, so that a
/// name that cannot be written ends the run before any log is read. When
/// the report is ready, a regular file is replaced: the report goes into a
/// new file beside it, which takes its place when the report is whole. A
/// link is followed, so that its target is replaced and the link stays. A
/// pipe, a terminal or a device is written directly, and so is a file in a
/// folder where no new file can be made.
struct OutputFile {
  std::FILE* stream = nullptr;  // the report goes here
  std::string target;           // the file that the report replaces
  std::string temporary;        // the new file, while the report is written
  /// The file that -o opened: no log may be it.
  std::vector<FileIdentity> identities;
};

/// Opens the -o file `path`. False on failure, with the C library's error
/// number in `*error`.
bool OpenOutputFile(const char* path, OutputFile* output, int* error);

/// True when `identity` is a file the report would be written over.
bool IsOutputFile(const OutputFile& output, const FileIdentity& identity);

/// Gets the file ready for the report, just before it is written: a new
/// file beside a regular one, or else the regular file itself emptied and
/// written from its start. False when it could not be made ready.
bool StartReport(OutputFile* output);

/// Ends the file once the report is written: the stream flushed and
/// closed, and a new file made durable and put in the target's place.
/// False when any of it failed; the target is then as it was (unless it
/// was written directly) and the new file is gone.
bool FinishOutputFile(OutputFile* output);

/// Ends the file without a report: the stream closed, a new file removed,
/// the target as it was.
void AbandonOutputFile(OutputFile* output);
