// Hit time stamps: a line's local date and time text turned into seconds
// since 1970-01-01 00:00:00 UTC, read as local standard time.
#pragma once

#include <cstdint>
#include <string_view>

/// Seconds since 1970-01-01 00:00:00 UTC, signed 32-bit. Two values are
/// special: 0 is a rejected date (the line is dropped) and -1 a date the
/// calendar conversion cannot represent (the line still counts, at -1).
using TimeStamp = std::int32_t;

inline constexpr TimeStamp kRejectedDate = 0;
inline constexpr TimeStamp kFailedConversion = -1;

/// The calendar date of a date text, before the time of day is added.
struct HitDate {
  TimeStamp rejected_or_failed = 0;  // 0 or -1 when `valid` is false
  bool valid = false;
  std::int64_t day_seconds = 0;  // the date's midnight as UTC seconds
};

/// How a log writes its dates: the comma format's local "month/day/year" or
/// "day.month.year", or the W3C format's UTC "YYYY-MM-DD".
enum class DateForm { kComma, kW3c };

/// Reads a comma-format date text, day.month.year or month/day/year. A year
/// of 1900 or more is that year; a two-digit year 00-79 is 2000-2079 and
/// 80-99 is 1980-1999.
HitDate ParseHitDate(std::string_view date);

/// Reads a W3C date "YYYY-MM-DD": all digits, month 1-12 and a day that the
/// month has in the Gregorian calendar; anything else is a rejected date.
HitDate ParseW3cDate(std::string_view date);

/// A time text read as "%d:%d:%d" (hour, minute, second; the parts not
/// reached are 0, none is range-tested), in seconds.
std::int64_t TimeOfDaySeconds(std::string_view time);

/// Adds the time text to a valid date and applies the zone's standard
/// offset (`seconds_west`, as the C library's `timezone`).
/// Days from 1970-01-01 to the given date of the proleptic Gregorian
/// calendar (month 1 to 12). Days past the end of the month carry over into
/// the next one.
std::int64_t DaysFromCivil(std::int64_t year, std::int64_t month, std::int64_t day);

TimeStamp CombineHitTime(const HitDate& date, std::string_view time,
                         long seconds_west);

/// The time stamps of one log's lines, with the last date text remembered:
/// a log holds the same date on thousands of lines in a row. Comma-format
/// dates are local standard time (`seconds_west` of UTC); W3C dates are UTC.
class HitTimeCache {
 public:
  HitTimeCache(DateForm form, long seconds_west)
      : form_(form), seconds_west_(form == DateForm::kW3c ? 0 : seconds_west) {}

  /// The time stamp of a line: 0 for a rejected date, -1 for a failed
  /// conversion.
  TimeStamp ParseHitTime(std::string_view date, std::string_view time);

 private:
  DateForm form_;
  long seconds_west_;
  char last_text_[32] = {};
  std::size_t last_size_ = SIZE_MAX;  // nothing remembered yet
  HitDate last_date_;
};
