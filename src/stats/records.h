// The statistics store of a run: users with their counts and sessions,
// pages, and the run totals. Owns every record and every stored text until
// ReleaseRecords. Records sit in chunked arrays and link to each other by
// index; the two lists are kept newest first, as the ranking expects.
// Nothing is kept per hit: memory grows with distinct users and pages only.
#pragma once

#include <cstdint>
#include <string_view>

#include "bytes/hash.h"
#include "stats/hit_time.h"
#include "stats/index_table.h"
#include "stats/storage.h"
#include "stats/traffic.h"

/// Counts and sums: 64-bit, so that no log is too large to count.
using Count = std::int64_t;

/// One distinct client address text. A session is known by its start
/// alone: only the current one decides where the next hit goes, so the
/// older ones are only counted.
struct UserRecord {
  const char* Address = nullptr;
  std::uint32_t AddressSize = 0;
  TimeStamp SessionStart = 0;  // when the current session began
  const char* HostName = nullptr;  // set by the reverse lookup, if found
  Count Hits = 0;
  Count Sessions = 0;  // 0 until the first hit opens one
  Count Bytes = 0;
  RecordIndex Next = kNoRecord;
};

/// One distinct path, ASCII case ignored; keeps its first spelling.
struct PageRecord {
  const char* Path = nullptr;
  std::uint32_t PathSize = 0;
  RecordIndex Next = kNoRecord;
  Count Hits = 0;
};

// The memory figures of a run rest on these sizes (with 64-bit pointers):
// a distinct user costs its record, an index slot and its text; so does a
// distinct page. Check bench/run.sh's memory table before letting them grow.
static_assert(sizeof(UserRecord) <= 56, "a user record grew");
static_assert(sizeof(PageRecord) <= 24, "a page record grew");

struct RunTotals {
  TimeStamp PeriodStart = 0;  // the first counted hit, in reading order
  TimeStamp PeriodEnd = 0;    // the last counted hit, in reading order
  Count TotalHits = 0;
  Count TotalBytes = 0;
  Count TotalSessions = 0;
  Count UserCount = 0;
  Count FilesProcessed = 0;
};

/// A hit more than this many seconds after its session's first hit opens a
/// new session.
inline constexpr TimeStamp SessionSpan = 900;

struct Statistics {
  ChunkedArray<UserRecord> users;
  ChunkedArray<PageRecord> pages;
  TextArena texts;

  // Heads of the two lists.
  RecordIndex UserList = kNoRecord;
  RecordIndex PageList = kNoRecord;

  RunTotals totals;

  // Hits by status and time; gathered only when the report shows them.
  Traffic traffic;

  // Lookup aids; the lists above are what counts.
  std::uint64_t hash_seed = NewHashSeed();  // keys both; a test may fix it first
  IndexTable user_index;  // bytes exactly
  IndexTable page_index;  // ASCII case ignored
};

/// A line to be counted, its time known and its lookup hashes computed
/// (HashBytes of the address, HashFoldedBytes of the path, both with the
/// statistics' hash_seed).
struct HitInput {
  std::string_view address;
  std::uint64_t address_hash = 0;
  std::string_view path;
  std::uint64_t path_hash = 0;
  std::int32_t bytes = 0;
  TimeStamp time = 0;  // never kRejectedDate
};

/// Counts one hit: its user, session, page and the run totals.
void RecordHit(Statistics* stats, const HitInput& hit);

/// The page of `path` (whose HashFoldedBytes is `path_hash`), created if
/// needed, after adding one hit to it.
RecordIndex CountPage(Statistics* stats, std::string_view path, std::uint64_t path_hash);

/// Releases every record and text; both lists are empty afterwards.
void ReleaseRecords(Statistics* stats);
