// A time zone written out in the TZ variable's POSIX form, such as
// "CET-1CEST,M3.5.0,M10.5.0/3" or "EST5EDT": the standard time's offset and
// the daylight-saving time's, with the rules of the changes. Pure code, for
// a system whose C library does not read this form.
#pragma once

#include <cstdint>
#include <ctime>
#include <string_view>

struct TzRule {
  // The day of a change: "Jn" (1 to 365, February 29 never counted), "n"
  // (0 to 365, counted) or "Mm.w.d" (day d, Sunday 0, of week w, 5 the
  // last, of month m), and the local time of day of the change in seconds.
  struct Change {
    char form = 'M';  // 'J', 'n' or 'M'
    int month = 0;
    int week = 0;
    int day = 0;
    long seconds = 7200;
  };
  long standard_west = 0;  // seconds west of UTC
  bool has_daylight = false;
  long daylight_west = 0;
  Change start;  // of daylight-saving time, in standard time
  Change end;    // of daylight-saving time, in daylight-saving time
};

/// Reads `text` as a POSIX TZ value; false when it is none (an empty value
/// or a zone database name, which this form cannot give).
bool ParseTzRule(std::string_view text, TzRule* rule);

/// The local broken-down time of `t` under `rule`.
void LocalTimeUnder(const TzRule& rule, std::int64_t t, std::tm* out);

/// The time stamp of the local date and time in `local` under `rule`,
/// fields out of range carried over as mktime does; whether daylight-saving
/// time applies, the rule tells (a time the change to it skips is read in
/// standard time, and one that the change back repeats, too).
std::int64_t TimeStampUnder(const TzRule& rule, const std::tm& local);
