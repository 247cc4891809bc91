// Counted hits by status, by time and the bytes they sent, for the reports
// that show them. Each chunk of lines gathers its hits in a TrafficBatch on
// its own thread; the batch is added to the run's Traffic when the chunk is
// counted. Gathered only when the chosen report shows them. Memory stays
// bounded whatever the logs hold: a thousand codes, a few dozen other
// status texts, and a quarter hour for each one that had a hit.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "bytes/decimal.h"
#include "stats/hit_time.h"

/// Time is kept in UTC quarter hours (t / 900): every zone offset in use, and
/// every change of offset, falls on a quarter hour, so a quarter hour lies
/// within one local hour of one local day, whatever the zone.
inline constexpr TimeStamp kQuarterHour = 900;

/// Status texts that are not three digits are one group; of these, a batch
/// keeps this many distinct texts by name, and the run this many. Hits of a
/// text that finds no room count in the group alone.
inline constexpr std::size_t kBatchStatusTexts = 16;
inline constexpr std::size_t kKeptStatusTexts = 64;

/// A byte field read as an unsigned 64-bit count: white space, an optional
/// "+" and the digits up to the first other byte. A negative or unreadable
/// field, or one past the 64-bit range, counts no bytes.
std::uint64_t ByteCountSlowly(std::string_view field);

/// The same; a field that begins with a digit and is at most nineteen bytes
/// long (nearly every one) is read in place, where it cannot overflow.
inline std::uint64_t ByteCount(std::string_view field) {
  std::uint64_t value;
  return ReadShortDigits(field, 19, &value) ? value : ByteCountSlowly(field);
}

/// The hits of one chunk. Its status texts point into the chunk's lines and
/// live as long as they do.
struct TrafficBatch {
  /// A hit that will be counted, at `t` read in `form`'s clock, with the
  /// status field's text (absent when its data() is nullptr) and the bytes
  /// field's text.
  void Add(TimeStamp t, DateForm form, std::string_view status, std::string_view bytes_field) {
    Add(t, form, status, ByteCount(bytes_field));
  }
  /// The same, with the bytes field read by ByteCount() already.
  void Add(TimeStamp t, DateForm form, std::string_view status, std::uint64_t byte_count);
  void Clear();

  std::uint32_t hits = 0;
  /// Hits by status text of three digits, the usual form, by its value.
  std::array<std::uint32_t, 1000> three_digit{};
  /// Other status texts: the first few distinct ones with their hits, and
  /// the hits of all of them.
  std::vector<std::pair<std::string_view, std::uint32_t>> other_named;
  std::uint32_t other_status = 0;
  std::uint32_t no_status = 0;
  std::uint64_t bytes = 0;  // saturates
  /// Runs of hits in one quarter hour, in reading order, by the form their
  /// times were read in (DateForm's order).
  std::array<std::vector<std::pair<std::int32_t, std::uint32_t>>, 2> quarters;
  std::uint32_t undated = 0;  // hits at a negative time: no local date
};

/// The run's hits by status and by UTC quarter hour, and their bytes.
struct Traffic {
  std::array<std::int64_t, 1000> three_digit{};
  /// At most kKeptStatusTexts texts, each with the hits counted for it.
  std::map<std::string, std::int64_t, std::less<>> other_named;
  std::int64_t other_status = 0;  // every hit whose text is not three digits
  std::int64_t no_status = 0;
  std::uint64_t bytes = 0;  // saturates
  /// Comma-format times were read as the zone's standard time, W3C times as
  /// UTC; the two are kept apart so that each is shown on its own clock.
  std::array<std::map<std::int32_t, std::int64_t>, 2> quarters;
  std::int64_t undated = 0;
};

/// Adds a chunk's hits to the run's.
void AddTraffic(Traffic* traffic, const TrafficBatch& batch);
