// The run: everything one invocation owns, and the fixed order in which it
// reads the command line, the logs, and writes the report.
#pragma once

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "intake/file_mark.h"
#include "intake/log_file.h"
#include "options.h"
#include "read_summary.h"
#include "run/output_file.h"
#include "run/progress.h"
#include "run/run_summary.h"
#include "stats/records.h"

class DirectorySearch;
class Resolver;

/// What --state=FILE keeps for the run: the file, the marks of the logs
/// read under it, and the counting options it was made with.
struct RunState {
  const char* path = nullptr;  // no state when nullptr
  bool taken = false;          // loaded, or found missing: logs may be read
  FileBook book;
  std::vector<std::pair<std::string, std::string>> filters;
  /// The users a loaded state made, in its order: the index of each.
  std::vector<RecordIndex> restored_users;
  /// The state file as it was when taken, which no pattern reads as a log.
  bool exists = false;
  FileIdentity identity;
};

struct Run {
  Run(DirectorySearch* directory_search, Resolver* name_resolver, long seconds_west)
      : directories(directory_search), resolver(name_resolver) {
    options.seconds_west = seconds_west;
  }
  /// A run that ends without its report leaves the -o file as it was.
  ~Run() {
    if (output_opened) AbandonOutputFile(&output);
  }
  Run(const Run&) = delete;
  Run& operator=(const Run&) = delete;

  Options options;
  Statistics stats;
  DirectorySearch* directories;
  Resolver* resolver;
  std::FILE* out = stdout;  // the report; -o replaces it
  std::FILE* err = stderr;  // diagnostics
  std::FILE* standard_out = stdout;  // --help and --version, whatever -o says
  bool output_opened = false;  // out is a file that -o opened
  OutputFile output;           // ... and this is it
  std::vector<ReadLog> logs_read;  // for a -o given after them
  bool standard_input_read = false;  // "-" was read
  Progress progress{stderr, false, SteadySeconds, [] { return 80; }};  // off unless on a terminal

  RunState state;
  /// How the logs are read; the result never depends on it.
  ReadTuning tuning;

  /// What was read, and what the command line did, for the summary.
  ReadSummary summary;
  ArgumentNotes notes;
  /// Standard error is a terminal: the summary and hints go there after the
  /// report (not under -d, which says it all line by line).
  bool tell_terminal = false;
  /// The user's locale reads UTF-8: a report shown on a terminal writes its
  /// fixed texts in UTF-8.
  bool utf8_locale = false;
};

/// Exit statuses. A status of -1 reaches the shell as 255.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 255;

/// SelectLogFiles' result when a matched log is the -o file: the run ends.
inline constexpr int kLogIsOutputFile = -1;

/// Runs the program over the argument vector; returns the exit status.
int RunMain(Run* run, int argc, char** argv);

/// The program name used in messages: argv[0] without everything up to its
/// last backslash.
const char* ProgramNameOf(const char* argv0);
