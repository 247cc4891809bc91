#include "stats/hit_batch.h"

#include "bytes/hash.h"

namespace {

// The lookups wait on memory more than on anything else: ask for the index
// slots of a hit a few places ahead while counting this one.
constexpr std::size_t kAhead = 8;

}  // namespace

void HitBatch::Add(std::string_view address, std::string_view path, std::int32_t bytes,
                   TimeStamp time) {
  hits_.push_back({address, HashBytes(address, hash_seed_), path,
                   HashFoldedBytes(path, hash_seed_), bytes, time});
}

void HitBatch::ShardOrder::Sort(const std::vector<HitInput>& hits,
                                std::uint64_t HitInput::*hash) {
  std::array<std::uint32_t, kShardCount + 1> end{};
  for (const HitInput& hit : hits) ++end[ShardOf(hit.*hash) + 1];
  for (int s = 0; s < kShardCount; ++s) end[s + 1] += end[s];
  begin = end;
  positions.resize(hits.size());
  for (std::uint32_t i = 0; i < hits.size(); ++i) {
    positions[end[ShardOf(hits[i].*hash)]++] = i;
  }
}

void HitBatch::SortIntoShards() {
  by_user_.Sort(hits_, &HitInput::address_hash);
  by_page_.Sort(hits_, &HitInput::path_hash);
}

void NumberBatch(Statistics* stats, HitBatch* batch) { batch->number_ = stats->batches++; }

// A stage of the read, kept out of line so that profiles tell it apart.
[[gnu::noinline]] void CountHits(Statistics* stats, const HitBatch& batch) {
  const std::vector<HitInput>& hits = batch.hits_;
  for (std::uint32_t i = 0; i < hits.size(); ++i) {
    if (i + kAhead < hits.size()) {
      const HitInput& ahead = hits[i + kAhead];
      stats->shards[ShardOf(ahead.address_hash)].user_index.Prefetch(ahead.address_hash);
      stats->shards[ShardOf(ahead.path_hash)].page_index.Prefetch(ahead.path_hash);
    }
    RecordHit(stats, hits[i], batch.SeenAt(i), batch.DayAt(i));
  }
}

// A stage of the read, kept out of line so that profiles tell it apart.
[[gnu::noinline]] void CountShard(Statistics* stats, int shard, HitBatch* batch) {
  const std::vector<HitInput>& hits = batch->hits_;
  const RecordShard& tables = stats->shards[shard];
  UserTally& tally = batch->tallies_[shard];
  tally = {};

  const std::uint32_t* users = batch->by_user_.positions.data();
  const std::uint32_t user_end = batch->by_user_.begin[shard + 1];
  for (std::uint32_t i = batch->by_user_.begin[shard]; i < user_end; ++i) {
    if (i + kAhead < user_end) tables.user_index.Prefetch(hits[users[i + kAhead]].address_hash);
    CountUserPart(stats, hits[users[i]], batch->SeenAt(users[i]), &tally,
                  batch->DayAt(users[i]));
  }

  const std::uint32_t* pages = batch->by_page_.positions.data();
  const std::uint32_t page_end = batch->by_page_.begin[shard + 1];
  for (std::uint32_t i = batch->by_page_.begin[shard]; i < page_end; ++i) {
    if (i + kAhead < page_end) tables.page_index.Prefetch(hits[pages[i + kAhead]].path_hash);
    const HitInput& hit = hits[pages[i]];
    CountPagePart(stats, hit.path, hit.path_hash, batch->SeenAt(pages[i]));
  }
}

// A stage of the read, kept out of line so that profiles tell it apart.
[[gnu::noinline]] void FinishBatch(Statistics* stats, HitBatch* batch) {
  for (const HitInput& hit : batch->hits_) AddToTotals(&stats->totals, hit.time, hit.bytes);
  for (const UserTally& tally : batch->tallies_) AddToTotals(&stats->totals, tally);
}
