// The run-wide settings read from the command line. Texts point into the
// argument vector, which outlives the run; nullptr means absent.
#pragma once

#include <cstdint>

struct Options {
  const char* RootPath = "";        // -r
  const char* ExcludeIP = nullptr;  // -e, comma list of masks
  const char* ServerIP = nullptr;   // -s, comma list of masks
  const char* ExcludePattern;       // -p, comma list of name patterns
  std::int32_t NumPagesToShow = 10;  // -n
  std::int32_t NumUsersToShow = 10;  // -u
  const char* CustomerName = nullptr;  // -c; defaulted after the arguments
  bool Norwegian = false;              // -N
  std::int32_t DebugLevel = 0;         // -d, 1 or more once given
  bool Verbose = false;                // -v

  /// argv[0] without everything up to its last backslash.
  const char* ProgramName = "vantrix";

  Options();
};
