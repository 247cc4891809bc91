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

void CountHits(Statistics* stats, const HitBatch& batch) {
  const std::vector<HitInput>& hits = batch.hits();
  for (std::size_t i = 0; i < hits.size(); ++i) {
    if (i + kAhead < hits.size()) {
      const HitInput& ahead = hits[i + kAhead];
      stats->shards[ShardOf(ahead.address_hash)].user_index.Prefetch(ahead.address_hash);
      stats->shards[ShardOf(ahead.path_hash)].page_index.Prefetch(ahead.path_hash);
    }
    RecordHit(stats, hits[i]);
  }
}

void CountShard(Statistics* stats, int shard, HitBatch* batch) {
  const std::vector<HitInput>& hits = batch->hits_;
  const RecordShard& tables = stats->shards[shard];
  HitBatch::ShardResult& result = batch->results_[shard];
  result.tally = {};
  result.users.clear();
  result.pages.clear();

  const std::uint32_t* users = batch->by_user_.positions.data();
  const std::uint32_t user_end = batch->by_user_.begin[shard + 1];
  for (std::uint32_t i = batch->by_user_.begin[shard]; i < user_end; ++i) {
    if (i + kAhead < user_end) tables.user_index.Prefetch(hits[users[i + kAhead]].address_hash);
    const RecordIndex made = CountUserPart(stats, hits[users[i]], &result.tally);
    if (made != kNoRecord) result.users.push_back({users[i], made});
  }

  const std::uint32_t* pages = batch->by_page_.positions.data();
  const std::uint32_t page_end = batch->by_page_.begin[shard + 1];
  for (std::uint32_t i = batch->by_page_.begin[shard]; i < page_end; ++i) {
    if (i + kAhead < page_end) tables.page_index.Prefetch(hits[pages[i + kAhead]].path_hash);
    const HitInput& hit = hits[pages[i]];
    const RecordIndex made = CountPagePart(stats, hit.path, hit.path_hash);
    if (made != kNoRecord) result.pages.push_back({pages[i], made});
  }
}

// The shards' stores may be growing on other threads meanwhile, counting
// the next batches; a record never moves, and the chunk that holds it was
// found before any record in it was made.
template <typename Record>
void HitBatch::LinkInHitOrder(std::vector<MadeRecord> ShardResult::*made,
                              ShardedRecords<Record>* records, RecordIndex* head) {
  bool any = false;
  for (const ShardResult& result : results_) any = any || !(result.*made).empty();
  if (!any) return;
  made_at_.assign(hits_.size(), nullptr);
  for (const ShardResult& result : results_) {
    for (const MadeRecord& record : result.*made) made_at_[record.position] = &record;
  }
  for (const MadeRecord* record : made_at_) {
    if (record == nullptr) continue;
    (*records)[record->index].Next = *head;
    *head = record->index;
  }
}

void FinishBatch(Statistics* stats, HitBatch* batch) {
  batch->LinkInHitOrder(&HitBatch::ShardResult::users, &stats->users, &stats->UserList);
  batch->LinkInHitOrder(&HitBatch::ShardResult::pages, &stats->pages, &stats->PageList);
  for (const HitInput& hit : batch->hits_) AddToTotals(&stats->totals, hit.time, hit.bytes);
  for (const HitBatch::ShardResult& result : batch->results_) {
    AddToTotals(&stats->totals, result.tally);
  }
}
