// Local time of the process's time zone (TZ, else the system setting).
#pragma once

#include <cstdint>
#include <ctime>

/// Seconds west of UTC of the zone's standard time, as the C library's
/// `timezone` after tzset().
long StandardSecondsWest();

/// The local broken-down time of `t`; false when the platform has none.
bool ToLocalTime(std::int64_t t, std::tm* out);

/// The offset from UTC, in seconds east, of `local`, the local time that
/// ToLocalTime gave for `t`.
long SecondsEastOf(const std::tm& local, std::int64_t t);

/// The time a report is made: the clock's, or SOURCE_DATE_EPOCH's when that
/// is set to a number of seconds, so that a report can be made again the
/// same, byte for byte.
std::int64_t ReportTime();

/// The time stamp of a local date and time (`tm_isdst` is ignored: the
/// zone's rules tell whether summer time applies); false when the platform
/// cannot represent it.
bool FromLocalTime(const std::tm& local, std::int64_t* t);
