// The hits of one run of log lines, ready to count: parsed on any thread,
// counted in reading order. The statistics choose the hash of each index,
// so the batch computes them as hits are added, where the work can run
// beside other batches.
//
// A batch is counted in one of two ways:
// - CountHits, on one thread: the hits one after another.
// - Shard by shard, once SortIntoShards has run: CountShard for every
//   shard, each in reading order of the batches (every batch's shard 0
//   before the next batch's shard 0, and so on), and then FinishBatch, in
//   reading order, after the batch's last shard. Different shards may be
//   counted on different threads at once; one shard is counted on one
//   thread at a time.
// Both ways give the same statistics.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "stats/records.h"

class HitBatch {
 public:
  /// `hash_seed`: the statistics' that will count the hits.
  explicit HitBatch(std::uint64_t hash_seed) : hash_seed_(hash_seed) {}

  void Clear() { hits_.clear(); }

  /// A hit whose date was read; the texts must live until it is counted.
  void Add(std::string_view address, std::string_view path, std::int32_t bytes, TimeStamp time);

  const std::vector<HitInput>& hits() const { return hits_; }

  /// Sorts the hits by the shard of their user and by the shard of their
  /// page, keeping the reading order within each shard.
  void SortIntoShards();

 private:
  friend void CountShard(Statistics* stats, int shard, HitBatch* batch);
  friend void FinishBatch(Statistics* stats, HitBatch* batch);

  // A record that counting a shard made, and the hit that made it.
  struct MadeRecord {
    std::uint32_t position;  // in hits_
    RecordIndex index;
  };

  // The positions of the hits in shard order, and where each shard's
  // begin: by their users and by their pages.
  struct ShardOrder {
    std::vector<std::uint32_t> positions;
    std::array<std::uint32_t, kShardCount + 1> begin{};
    void Sort(const std::vector<HitInput>& hits, std::uint64_t HitInput::*hash);
  };

  // What counting one shard of the batch made.
  struct ShardResult {
    UserTally tally;
    std::vector<MadeRecord> users;
    std::vector<MadeRecord> pages;
  };

  // Links the records of one kind that the shards made onto their list, in
  // the order of the hits that made them.
  template <typename Record>
  // cppcheck-suppress unusedPrivateFunction ; FinishBatch, a friend, calls it
  void LinkInHitOrder(std::vector<MadeRecord> ShardResult::*made, ShardedRecords<Record>* records,
                      RecordIndex* head);

  std::uint64_t hash_seed_;
  std::vector<HitInput> hits_;
  ShardOrder by_user_;
  ShardOrder by_page_;
  std::array<ShardResult, kShardCount> results_;
  std::vector<const MadeRecord*> made_at_;  // by position, while finishing
};

/// Counts the hits of a batch, in order.
void CountHits(Statistics* stats, const HitBatch& batch);

/// Counts the users and pages of `shard` for every hit of a sorted batch.
void CountShard(Statistics* stats, int shard, HitBatch* batch);

/// Puts the records that the batch's shards made on their lists in the
/// order of their first hits, and adds the batch to the run totals.
void FinishBatch(Statistics* stats, HitBatch* batch);
