// The run's traffic as the reports show it: the rows of the status panel,
// and the hits by local day and hour of the day.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "stats/traffic.h"

/// The status texts that are not three digits and are named under their
/// group's row, at most.
inline constexpr std::size_t kNamedStatusTexts = 5;

/// One row of the status panel: a three-digit code, the group of texts
/// that are not three digits, or the hits without a status field.
struct StatusHits {
  enum class Kind { kCode, kOther, kAbsent };
  struct Named {
    std::string_view text;  // the log's bytes
    std::int64_t hits = 0;
  };
  Kind kind = Kind::kCode;
  std::string text;  // the code's three digits; empty for the other kinds
  std::int64_t hits = 0;
  /// For the group: its most frequent texts, most hits first (ties in byte
  /// order), at most kNamedStatusTexts.
  std::vector<Named> named;
};

/// The codes with hits in order, then the group of other texts, then the
/// absent status; each only when it has hits. The named texts are views of
/// `traffic`'s.
std::vector<StatusHits> StatusRows(const Traffic& traffic);

/// Hits of one local calendar day.
struct DayHits {
  int year = 0;
  int month = 0;  // 1-12
  int day = 0;    // 1-31
  std::int64_t hits = 0;
};

/// The proleptic Gregorian date (year, month 1-12, day) of a count of days
/// since 1970-01-01.
std::tuple<int, int, int> CivilFromDays(std::int64_t days);

struct LocalTraffic {
  std::vector<DayHits> days;  // the days with hits, in date order
  std::array<std::int64_t, 24> hours{};  // by local hour of the day
  std::int64_t undated = 0;  // hits without a local date, in no day or hour
};

/// The local date and hour of the clock a log of `form` was written on,
/// for a UTC quarter hour; false when it has no local date.
struct LocalSlot {
  int year = 0, month = 0, day = 0, hour = 0;
};
bool LocalSlotOf(DateForm form, std::int32_t quarter, long seconds_west, LocalSlot* slot);

/// The quarter hours as the days and hours of the clock each log was
/// written on: W3C times (UTC) in the process's time zone with its summer
/// time, as the report's dates are shown; comma-format times back on the
/// zone's standard time they were read as (`seconds_west` of UTC), so that
/// 12:00 in such a log is 12:00 in the panels all year.
LocalTraffic ByLocalTime(const Traffic& traffic, long seconds_west);
