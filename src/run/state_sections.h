// The sections of a state file's body, in the order they are written and
// read: each is its number, its length in eight bytes (little-endian) and
// its bytes, and each has one
// function that writes it and one that reads it. To keep more in the state,
// add a section at the end of kStateSections (with its two functions, in a
// file of its own when it is large) and raise kStateVersion in
// state_file.h: a state of the older version is then refused with a clear
// message rather than read wrong.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "run/state_codec.h"

struct Options;
struct Run;

/// The options that decide which lines count and how their times are read,
/// each as its name and its value as shown in a message. A state keeps them,
/// and a run under it must have the same.
using CountingOptions = std::vector<std::pair<std::string, std::string>>;
CountingOptions CountingOptionsOf(const Options& options);

struct StateSection {
  std::uint32_t number;
  const char* name;  // for the message of a damaged state
  // cppcheck-suppress unusedStructMember ; called through the table
  void (*write)(const Run& run, StateWriter* out);
  /// False when the bytes are damaged; `in` holds the section's bytes alone.
  // cppcheck-suppress unusedStructMember ; called through the table
  bool (*read)(Run* run, StateReader* in);
};

/// Every section, in file order. The first, the counting options, is
/// compared with the run's before the others are taken, so that a state of
/// other filters is named as that and nothing of it is taken.
std::span<const StateSection> StateSections();

/// The counts of the panels beyond the text report: every request's, and
/// the users and sessions by day (state_requests.cc).
void WriteRequests(const Run& run, StateWriter* out);
bool ReadRequests(Run* run, StateReader* in);

/// A count a run could have made: never negative, and far enough from the
/// 64-bit limit that adding a run's own cannot overflow.
inline bool IsCount(std::int64_t n) { return n >= 0 && n <= (std::int64_t{1} << 60); }

/// Who is behind the requests: agents, referrers, sites (state_audience.cc).
void WriteAudience(const Run& run, StateWriter* out);
bool ReadAudience(Run* run, StateReader* in);

/// Reads the counting options section.
bool ReadCountingOptions(StateReader* in, CountingOptions* options);
