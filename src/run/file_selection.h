// Turning one file pattern into the log files it names, each read in turn.
#pragma once

struct Run;

/// Reads every eligible file that `pattern` matches; returns how many were
/// opened and read, or kLogIsOutputFile (with its message written) when a
/// match is the -o file, which ends the run before that file is opened.
int SelectLogFiles(Run* run, const char* pattern);
