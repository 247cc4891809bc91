// The statistics store of a run: users with their counts and sessions,
// pages, and the run totals. Owns every record and every stored text until
// ReleaseRecords. Records sit in shards of fixed chunks (stats/storage.h);
// each carries the moment it was first seen, so that the ranking can order
// equal counts newest first whatever shard a record sits in.
// Nothing is kept per hit: memory grows with distinct users and pages only.
#pragma once

#include <array>
#include <climits>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "bytes/hash.h"
#include "platform/random.h"
#include "stats/hit_time.h"
#include "stats/index_table.h"
#include "stats/key_set.h"
#include "stats/robots.h"
#include "stats/storage.h"
#include "stats/requests.h"
#include "stats/traffic.h"

/// Counts and sums: 64-bit, so that no log is too large to count.
using Count = std::int64_t;

/// When a record was first seen, over the whole run: the number of the
/// batch of hits that made it, in reading order, above the place of the
/// hit in its batch. A record first seen later has a greater stamp.
using FirstSeen = std::uint64_t;

/// The stamp of the hit at `position` in the batch numbered `batch`.
inline FirstSeen FirstSeenAt(std::uint64_t batch, std::uint32_t position) {
  return batch << 32 | position;
}

/// A local day, counted from 1970-01-01, or none.
inline constexpr std::int32_t kNoDay = INT32_MIN;

/// One distinct client address text. A session is known by its start
/// alone: only the current one decides where the next hit goes, so the
/// older ones are only counted.
struct UserRecord {
  /// The address text, NUL-terminated.
  const char* Address() const {
    if (AddressSize < sizeof(AddressStore)) return AddressStore;
    const char* text;
    std::memcpy(&text, AddressStore, sizeof(text));
    return text;
  }
  /// Keeps `address`: in the record when it fits with its NUL (every IPv4
  /// address in digits does), so that finding the user reads no text of
  /// its own; else a copy in `texts`.
  void SetAddress(std::string_view address, TextArena* texts) {
    AddressSize = static_cast<std::uint32_t>(address.size());
    if (address.size() < sizeof(AddressStore)) {
      if (!address.empty()) std::memcpy(AddressStore, address.data(), address.size());
      AddressStore[address.size()] = '\0';
      return;
    }
    const char* text = texts->Copy(address);
    std::memcpy(AddressStore, &text, sizeof(text));
  }

  char AddressStore[16] = {};  // the text, or where it is kept
  std::uint32_t AddressSize = 0;
  TimeStamp SessionStart = 0;  // when the current session began
  Count Hits = 0;
  Count Sessions = 0;  // 0 until the first hit opens one
  Count Bytes = 0;
  FirstSeen first_seen = 0;
  RecordIndex Next = kNoRecord;  // in rank order, once ranked
  std::int32_t last_day = kNoDay;  // of its last hit counted by day
};

/// One distinct path, ASCII case ignored; keeps its first spelling.
struct PageRecord {
  const char* Path = nullptr;
  std::uint32_t PathSize = 0;
  RecordIndex Next = kNoRecord;  // in rank order, once ranked
  Count Hits = 0;
  FirstSeen first_seen = 0;
};

// The memory figures of a run rest on these sizes (with 64-bit pointers):
// a distinct user costs its record and an index slot, and its text when it
// is 16 bytes or more; a distinct page its record, an index slot and its
// text. Check bench/run.sh's memory table before letting them grow.
// The stamp costs each 8 bytes; a user's Next sits in what was padding, so
// once the lists give way to ranked arrays a user would be 56 bytes again.
static_assert(sizeof(UserRecord) <= 64, "a user record grew");
static_assert(sizeof(PageRecord) <= 32, "a page record grew");

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

/// Users and sessions opened by local day, for the hits that carry their
/// day (only when the report shows days).
struct DayTally {
  Count users = 0;
  Count sessions = 0;
};

/// The days of one shard's users: each (user, day) pair once.
///
/// While every user's days come in order, as they do in a log read from its
/// start, a day after the user's last is a new pair for sure: the pairs
/// are only listed (8 bytes a pair, written in order). The first day before
/// a user's last, or a pair of a saved state, makes the set of the pairs
/// (16 to 32 bytes a pair), which answers from then on.
class ShardDays {
 public:
  std::map<std::int32_t, DayTally> days;

  /// Notes that `user`, whose last day so far was `last` (kNoDay: none),
  /// was seen on `day`; true when it was not before. `seed` is the run's
  /// key, which the set is placed by.
  bool AddUserDay(std::uint64_t seed, RecordIndex user, std::int32_t day, std::int32_t last) {
    const std::uint64_t pair = Pair(user, day);
    if (!made_ && day > last) {
      listed_.push_back(pair);
      return true;
    }
    MakeSet(seed);
    return set_.Insert(pair);
  }

  /// A pair of a saved state; false when the shard had it already.
  bool AddSavedPair(std::uint64_t seed, RecordIndex user, std::int32_t day) {
    MakeSet(seed);
    return set_.Insert(Pair(user, day));
  }

  std::size_t pair_count() const { return made_ ? set_.size() : listed_.size(); }

  /// Calls f(user, day) for each pair, in no order.
  template <class F>
  void ForEachPair(F f) const {
    auto split = [&](std::uint64_t pair) {
      f(static_cast<RecordIndex>(pair >> 32),
        static_cast<std::int32_t>(static_cast<std::uint32_t>(pair)));
    };
    if (made_) {
      set_.ForEach(split);
    } else {
      for (const std::uint64_t pair : listed_) split(pair);
    }
  }

 private:
  static std::uint64_t Pair(RecordIndex user, std::int32_t day) {
    return std::uint64_t{user} << 32 | static_cast<std::uint32_t>(day);
  }

  void MakeSet(std::uint64_t seed) {
    if (made_) return;
    made_ = true;
    set_ = KeySet(seed);
    set_.Reserve(listed_.size() + 1);
    for (const std::uint64_t pair : listed_) set_.Insert(pair);
    listed_ = {};
  }

  bool made_ = false;
  std::vector<std::uint64_t> listed_;
  KeySet set_;  // placed by the run's key
};

/// The texts and the lookup aids of one shard.
struct RecordShard {
  TextArena texts;        // the addresses and paths of the shard's records
  IndexTable user_index;  // bytes exactly
  IndexTable page_index;  // ASCII case ignored
  ShardDays days;
};

struct Statistics {
  // Keys the hashes of every kind of text; a test may fix it first.
  std::uint64_t hash_seed = RandomSeed();

  ShardedRecords<UserRecord> users;
  ShardedRecords<PageRecord> pages;
  std::array<RecordShard, kShardCount> shards;
  TextArena texts;  // host names
  /// The host names the reverse lookup found, by user.
  std::unordered_map<RecordIndex, const char*> host_names;

  // Heads of the two lists, which RankByHits makes: empty until then.
  RecordIndex UserList = kNoRecord;
  RecordIndex PageList = kNoRecord;

  // Batches of hits numbered so far, in reading order (NumberBatch).
  std::uint64_t batches = 0;

  RunTotals totals;

  // Hits by status and time; gathered only when the report shows them.
  Traffic traffic;
  Requests requests{hash_seed};  // every request the panels beyond hits count; likewise

  // The robot list compiled, when --robots asks for it: read-only while
  // the files are read.
  std::unique_ptr<RobotClassifier> robots;
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

/// Counts one hit: its user, session, page and the run totals. `seen` is
/// the hit's stamp, which a record that the hit makes keeps.
/// `day`: the hit's local day, when days are counted, or kNoDay.
void RecordHit(Statistics* stats, const HitInput& hit, FirstSeen seen,
               std::int32_t day = kNoDay);

// RecordHit in parts, for counting shard by shard: the user's part and
// the page's part touch only their own shard; the totals are added apart.

/// What the user's parts of some hits opened: sessions and users.
struct UserTally {
  Count sessions = 0;
  Count users = 0;
};

/// Counts a hit for its user, in the user's shard; `seen` as for RecordHit.
void CountUserPart(Statistics* stats, const HitInput& hit, FirstSeen seen, UserTally* tally,
                   std::int32_t day = kNoDay);

/// Counts a hit for its page, in the page's shard; `seen` as for RecordHit.
void CountPagePart(Statistics* stats, std::string_view path, std::uint64_t path_hash,
                   FirstSeen seen);

/// Adds a hit at `time` of `bytes` to the period, hits and bytes of the
/// run totals, in reading order.
void AddToTotals(RunTotals* totals, TimeStamp time, std::int32_t bytes);

/// Adds the users and sessions that user parts opened to the run totals.
void AddToTotals(RunTotals* totals, const UserTally& tally);

/// Makes room in the indexes for about `users` more users and `pages` more
/// pages, spread over the shards as hashes spread them.
void ReserveRecords(Statistics* stats, std::size_t users, std::size_t pages);

/// Adds a user as a saved state holds it: `saved`'s counts, session start
/// and stamp, under `address`, whose HashBytes with the statistics' seed is
/// `hash`. False, and nothing added, when the address is there already.
/// `index`, when given, receives the record's index.
bool RestoreUser(Statistics* stats, std::string_view address, std::uint64_t hash,
                 const UserRecord& saved, RecordIndex* index = nullptr);

/// Adds a page as a saved state holds it (`hash` its HashFoldedBytes);
/// false when a page of that path, ASCII case ignored, is there already.
bool RestorePage(Statistics* stats, std::string_view path, std::uint64_t hash, Count hits,
                 FirstSeen seen);

/// Starts loading where RestoreUser or RestorePage of `hash` will look, so
/// that a restore a few records later need not wait for memory.
inline void PrefetchUser(const Statistics& stats, std::uint64_t hash) {
  stats.shards[ShardOf(hash)].user_index.Prefetch(hash);
}
inline void PrefetchPage(const Statistics& stats, std::uint64_t hash) {
  stats.shards[ShardOf(hash)].page_index.Prefetch(hash);
}

/// Releases every record and text; both lists are empty afterwards.
void ReleaseRecords(Statistics* stats);
