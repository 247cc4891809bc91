// Reading the options of the command line into the run, one function an
// option. A value is glued to its letter ("-n25"); a later option overrides
// an earlier one.
#pragma once

#include <cstdint>

struct Run;

enum class OptionRead {
  kDone,     // the option took effect
  kUnknown,  // no such option: the usage text follows
  kFailed,   // the option could not take effect; its message is written
};

/// Reads `arg`, which begins with "-", into the run.
OptionRead ReadOption(Run* run, const char* arg);

/// A --from or --to value as time stamps: of the local time it names, and
/// of the same clock time in the zone's standard time.
struct RangeTime {
  std::int64_t local = 0;
  std::int64_t standard = 0;
};

/// Reads a --from or --to value, "YYYY-MM-DD" with "THH:MM" or "THH:MM:SS"
/// after it, in the process's zone, `seconds_west` of UTC in standard time;
/// false when the text is not of that form or not a time of the calendar.
bool ReadRangeTime(const char* text, long seconds_west, RangeTime* t);

/// Whether any -f among the arguments after the first names a format other
/// than text. The format acts after all arguments are read, but what it
/// shows is gathered while the files are read, before a later -f is met.
bool AnyFormatBeyondText(int argc, char** argv);

/// Whether a --state option is among the arguments: the state keeps the
/// hits by status and time for any later report, so they are gathered.
bool AnyStateOption(int argc, char** argv);
