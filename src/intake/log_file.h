// Reading one log file: its lines through the filter chain into the
// statistics.
#pragma once

#include <cstdio>
#include <string_view>

struct Options;
struct Statistics;

/// Reads every line of the file at `path`. Returns 1 when the file was
/// opened (whatever it held), 0 when it could not be opened.
int ReadLogFile(const Options& options, Statistics* stats, std::FILE* diag,
                const char* path);

/// Reads `text` as the whole content of one log file: the same lines, in
/// the same pieces, as a file holding these bytes.
void ReadLogText(const Options& options, Statistics* stats, std::FILE* diag,
                 std::string_view text);
