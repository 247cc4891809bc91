// Counted hits by status and by time, for the reports that show them. Each
// chunk of lines gathers its hits in a TrafficBatch on its own thread; the
// batch is added to the run's Traffic when the chunk is counted; after the
// last file the quarter hours become local days and hours of the day.
// Gathered only when the chosen report shows them.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "stats/hit_time.h"

/// Time is kept in UTC quarter hours (t / 900): every zone offset in use, and
/// every change of offset, falls on a quarter hour, so a quarter hour lies
/// within one local hour of one local day, whatever the zone.
inline constexpr TimeStamp kQuarterHour = 900;

/// The hits of one chunk. Its status texts point into the chunk's lines and
/// live as long as they do.
struct TrafficBatch {
  /// A hit that will be counted, at `t`, with the status field's text
  /// (absent when its data() is nullptr).
  void Add(TimeStamp t, std::string_view status);
  void Clear();

  std::uint32_t hits = 0;
  /// Hits by status text of three digits, the usual form, by its value.
  std::array<std::uint32_t, 1000> three_digit{};
  std::vector<std::string_view> other_status;  // one per hit
  std::uint32_t no_status = 0;
  /// Runs of hits in one quarter hour, in reading order.
  std::vector<std::pair<std::int32_t, std::uint32_t>> quarters;
  std::uint32_t undated = 0;  // hits at a negative time: no local date
};

/// The run's hits by status and by UTC quarter hour.
struct Traffic {
  std::array<std::int64_t, 1000> three_digit{};
  std::map<std::string, std::int64_t, std::less<>> other_status;
  std::int64_t no_status = 0;
  std::map<std::int32_t, std::int64_t> quarters;
  std::int64_t undated = 0;
};

/// Adds a chunk's hits to the run's.
void AddTraffic(Traffic* traffic, const TrafficBatch& batch);

/// Hits of one status text; an absent status is its own row.
struct StatusHits {
  bool present = true;
  std::string text;
  std::int64_t hits = 0;
};

/// Every status that has hits, by text in byte order, the absent one last.
std::vector<StatusHits> StatusRows(const Traffic& traffic);

/// Hits of one local calendar day.
struct DayHits {
  int year = 0;
  int month = 0;  // 1-12
  int day = 0;    // 1-31
  std::int64_t hits = 0;
};

struct LocalTraffic {
  std::vector<DayHits> days;  // the days with hits, in date order
  std::array<std::int64_t, 24> hours{};  // by local hour of the day
  std::int64_t undated = 0;  // hits without a local date, in no day or hour
};

/// The quarter hours as local days and hours, in the process's time zone
/// (with its daylight saving time), as the report's dates are shown.
LocalTraffic ByLocalTime(const Traffic& traffic);
