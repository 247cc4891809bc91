// The statistics store of a run: users, their sessions and hits, pages, and
// the run totals. Owns every record and every stored text until
// ReleaseRecords. Records sit in chunked arrays and link to each other by
// index; the two lists are kept newest first, as the ranking expects.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string_view>

#include "stats/hit_time.h"
#include "stats/index_table.h"
#include "stats/storage.h"

/// Counts and sums: 64-bit, so that no log is too large to count.
using Count = std::int64_t;

/// One counted log line. 16 bytes.
///
/// A user's hits form one list, newest first. The hit that opened a session
/// is marked, and its Next leads on to the newest hit of the session before,
/// so a session is the run of hits down to its opening one and needs no
/// record of its own: sessions cost no memory beyond their hits.
struct HitRecord {
  TimeStamp Time = 0;
  std::int32_t Bytes = 0;
  std::uint32_t Page : 31 = 0;        // the page of the hit, not owned
  std::uint32_t OpensSession : 1 = 0;  // the first hit of its session
  RecordIndex Next = kNoRecord;       // the user's hit counted before
};

/// One distinct client address text.
struct UserRecord {
  const char* Address = nullptr;
  std::uint32_t AddressSize = 0;
  TimeStamp SessionStart = 0;  // when the current session began
  const char* HostName = nullptr;  // set by the reverse lookup, if found
  Count Hits = 0;
  Count Sessions = 0;
  Count Bytes = 0;
  RecordIndex HitList = kNoRecord;  // the newest hit: the current session's
  RecordIndex Next = kNoRecord;
};

/// One distinct path, ASCII case ignored; keeps its first spelling.
struct PageRecord {
  const char* Path = nullptr;
  std::uint32_t PathSize = 0;
  Count Hits = 0;
  RecordIndex Next = kNoRecord;
};

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
  ChunkedArray<HitRecord> hits;
  TextArena texts;

  // Heads of the two lists.
  RecordIndex UserList = kNoRecord;
  RecordIndex PageList = kNoRecord;

  RunTotals totals;

  // Lookup aids; the lists above are what counts.
  IndexTable user_index;  // bytes exactly
  IndexTable page_index;  // ASCII case ignored
};

/// A line to be counted, its time known and its lookup hashes computed
/// (HashBytes of the address, HashFoldedBytes of the path).
struct HitInput {
  std::string_view address;
  std::uint64_t address_hash = 0;
  std::string_view path;
  std::uint64_t path_hash = 0;
  std::int32_t bytes = 0;
  TimeStamp time = 0;  // never kRejectedDate
};

/// Counts one hit: its user, session, page and the run totals.
void CountHit(Statistics* stats, const HitInput& hit);

/// Counts one accepted line. A line whose date is rejected is dropped, with
/// "Bad date (...)" on `diag` when `verbose` is set.
void RecordHit(Statistics* stats, bool verbose, std::FILE* diag,
               std::string_view address, std::string_view path,
               std::int32_t bytes, std::string_view date,
               std::string_view time);

/// The page of `path`, created if needed, after adding one hit to it.
RecordIndex CountPage(Statistics* stats, std::string_view path);
RecordIndex CountPage(Statistics* stats, std::string_view path, std::uint64_t path_hash);

/// Releases every record and text; both lists are empty afterwards.
void ReleaseRecords(Statistics* stats);

/// Walks the sessions of a user, newest first, and the hits of each, newest
/// first:
///   for (SessionCursor s(stats, user); s.Valid(); s.Advance())
///     for (RecordIndex h = s.FirstHit(); h != kNoRecord; h = s.NextHit(h)) ...
class SessionCursor {
 public:
  SessionCursor(const Statistics& stats, const UserRecord& user)
      : hits_(stats.hits), head_(user.HitList) {}

  bool Valid() const { return head_ != kNoRecord; }
  RecordIndex FirstHit() const { return head_; }
  RecordIndex NextHit(RecordIndex hit) const {
    return hits_[hit].OpensSession ? kNoRecord : hits_[hit].Next;
  }
  /// The time of the hit that opened the session.
  TimeStamp StartTime() const { return hits_[Opener()].Time; }
  void Advance() { head_ = hits_[Opener()].Next; }

 private:
  RecordIndex Opener() const {
    RecordIndex hit = head_;
    while (!hits_[hit].OpensSession) hit = hits_[hit].Next;
    return hit;
  }

  const ChunkedArray<HitRecord>& hits_;
  RecordIndex head_;
};
