// Turning one file pattern into the log files it names, each read in turn.
#pragma once

struct Run;

/// Reads every eligible file that `pattern` matches; returns how many were
/// opened and read, or kLogIsOutputFile (with its message written) when a
/// match is the -o file, which ends the run before that file is opened.
int SelectLogFiles(Run* run, const char* pattern);

/// Reads standard input as a log, for the argument "-": once; a second "-"
/// reads nothing. Returns 1, 0 or kLogIsOutputFile as SelectLogFiles.
int ReadStandardInput(Run* run);
