#include "stats/records.h"

#include "bytes/hash.h"
#include "bytes/same_bytes.h"

namespace {

bool EqualBytes(const char* stored, std::uint32_t stored_size, std::string_view text) {
  return SameText(std::string_view(stored, stored_size), text);
}

std::uint32_t SizeOf(std::string_view text) {
  return static_cast<std::uint32_t>(text.size());
}

}  // namespace

namespace {

// Making a record is rare beside finding one: kept out of line, so that the
// finding inlines where it is called.
[[gnu::noinline]] RecordIndex AddPage(Statistics* stats, std::string_view path,
                                      std::uint64_t hash, FirstSeen seen) {
  const int shard_number = ShardOf(hash);
  RecordShard& shard = stats->shards[shard_number];
  RecordIndex index = stats->pages.Add(shard_number);
  PageRecord& page = stats->pages[index];
  page.Path = shard.texts.Copy(path);
  page.PathSize = SizeOf(path);
  page.Hits = 1;
  page.first_seen = seen;
  shard.page_index.Insert(hash, index);
  return index;
}

}  // namespace

void CountPagePart(Statistics* stats, std::string_view path, std::uint64_t hash,
                   FirstSeen seen) {
  const RecordIndex found =
      stats->shards[ShardOf(hash)].page_index.Find(hash, [&](RecordIndex i) {
        const PageRecord& page = stats->pages[i];
        return EqualFolded(std::string_view(page.Path, page.PathSize), path);
      });
  if (found == kNoRecord) {
    AddPage(stats, path, hash, seen);
  } else {
    ++stats->pages[found].Hits;
  }
}

namespace {

// A user's first hit opens a session, and so does a hit more than
// SessionSpan seconds after the start of the user's current session;
// earlier hits join the current one.
bool OpensSession(const UserRecord& user, TimeStamp t) {
  if (user.Sessions == 0) return true;
  return std::int64_t{t} - SessionSpan > user.SessionStart;
}

}  // namespace

namespace {

[[gnu::noinline]] RecordIndex AddUser(Statistics* stats, const HitInput& hit, FirstSeen seen) {
  const int shard_number = ShardOf(hit.address_hash);
  RecordShard& shard = stats->shards[shard_number];
  RecordIndex index = stats->users.Add(shard_number);
  UserRecord& user = stats->users[index];
  user.SetAddress(hit.address, &shard.texts);
  user.first_seen = seen;
  shard.user_index.Insert(hit.address_hash, index);
  return index;
}

}  // namespace

namespace {

// A user's hit on `day`: the user counts once that day, and a session it
// opens counts on the day it opens. Hits of one day mostly follow each
// other, so the user's last day spares most lookups.
void CountUserDay(ShardDays* days, std::uint64_t seed, RecordIndex index, UserRecord* user,
                  std::int32_t day, bool opens) {
  if (opens) ++days->days[day].sessions;
  if (user->last_day == day) return;
  const std::int32_t last = user->last_day;
  user->last_day = day;
  if (days->AddUserDay(seed, index, day, last)) ++days->days[day].users;
}

}  // namespace

void CountUserPart(Statistics* stats, const HitInput& hit, FirstSeen seen, UserTally* tally,
                   std::int32_t day) {
  RecordShard& shard = stats->shards[ShardOf(hit.address_hash)];
  RecordIndex index = shard.user_index.Find(
      hit.address_hash, [&](RecordIndex i) {
        const UserRecord& user = stats->users[i];
        return EqualBytes(user.Address(), user.AddressSize, hit.address);
      });
  if (index == kNoRecord) {
    index = AddUser(stats, hit, seen);
    ++tally->users;
  }
  UserRecord& user = stats->users[index];
  const bool opens = OpensSession(user, hit.time);
  if (opens) {
    user.SessionStart = hit.time;
    ++user.Sessions;
    ++tally->sessions;
  }
  ++user.Hits;
  user.Bytes += hit.bytes;
  if (day != kNoDay) CountUserDay(&shard.days, stats->hash_seed, index, &user, day, opens);
}

// The period runs from the first counted hit to the last, in the order the
// lines were read.
void AddToTotals(RunTotals* totals, TimeStamp time, std::int32_t bytes) {
  if (totals->TotalHits == 0) totals->PeriodStart = time;
  totals->PeriodEnd = time;
  totals->TotalBytes += bytes;
  ++totals->TotalHits;
}

void AddToTotals(RunTotals* totals, const UserTally& tally) {
  totals->UserCount += tally.users;
  totals->TotalSessions += tally.sessions;
}

void RecordHit(Statistics* stats, const HitInput& hit, FirstSeen seen, std::int32_t day) {
  UserTally tally;
  CountUserPart(stats, hit, seen, &tally, day);
  CountPagePart(stats, hit.path, hit.path_hash, seen);
  AddToTotals(&stats->totals, hit.time, hit.bytes);
  AddToTotals(&stats->totals, tally);
}

void ReserveRecords(Statistics* stats, std::size_t users, std::size_t pages) {
  // A shard gets its share and an eighth more, for the spread of the hashes.
  auto share = [](std::size_t count) { return count / kShardCount + count / kShardCount / 8 + 16; };
  for (RecordShard& shard : stats->shards) {
    if (users != 0) shard.user_index.Reserve(share(users));
    if (pages != 0) shard.page_index.Reserve(share(pages));
  }
}

bool RestoreUser(Statistics* stats, std::string_view address, std::uint64_t hash,
                 const UserRecord& saved, RecordIndex* index) {
  HitInput hit;
  hit.address = address;
  hit.address_hash = hash;
  const RecordIndex found = stats->shards[ShardOf(hit.address_hash)].user_index.Find(
      hit.address_hash, [&](RecordIndex i) {
        const UserRecord& user = stats->users[i];
        return EqualBytes(user.Address(), user.AddressSize, address);
      });
  if (found != kNoRecord) return false;
  const RecordIndex made = AddUser(stats, hit, saved.first_seen);
  if (index != nullptr) *index = made;
  UserRecord& user = stats->users[made];
  user.SessionStart = saved.SessionStart;
  user.Hits = saved.Hits;
  user.Sessions = saved.Sessions;
  user.Bytes = saved.Bytes;
  return true;
}

bool RestorePage(Statistics* stats, std::string_view path, std::uint64_t hash, Count hits,
                 FirstSeen seen) {
  const RecordIndex found = stats->shards[ShardOf(hash)].page_index.Find(hash, [&](RecordIndex i) {
    const PageRecord& page = stats->pages[i];
    return EqualFolded(std::string_view(page.Path, page.PathSize), path);
  });
  if (found != kNoRecord) return false;
  stats->pages[AddPage(stats, path, hash, seen)].Hits = hits;
  return true;
}

void ReleaseRecords(Statistics* stats) {
  stats->PageList = kNoRecord;
  stats->UserList = kNoRecord;
  stats->pages.Clear();
  stats->users.Clear();
  stats->texts.Clear();
  stats->shards = {};
  stats->batches = 0;
  stats->traffic = Traffic();
  stats->requests = Requests(stats->hash_seed);
}
