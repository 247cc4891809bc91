#include "stats/hit_batch.h"

#include "bytes/hash.h"

void HitBatch::Add(std::string_view address, std::string_view path, std::int32_t bytes,
                   TimeStamp time) {
  hits_.push_back({address, HashBytes(address, hash_seed_), path,
                   HashFoldedBytes(path, hash_seed_), bytes, time});
}

void CountHits(Statistics* stats, const HitBatch& batch) {
  // The lookups wait on memory more than on anything else: ask for the
  // index slots of a hit a few places ahead while counting this one.
  constexpr std::size_t kAhead = 8;
  const std::vector<HitInput>& hits = batch.hits();
  for (std::size_t i = 0; i < hits.size(); ++i) {
    if (i + kAhead < hits.size()) {
      stats->user_index.Prefetch(hits[i + kAhead].address_hash);
      stats->page_index.Prefetch(hits[i + kAhead].path_hash);
    }
    RecordHit(stats, hits[i]);
  }
}
