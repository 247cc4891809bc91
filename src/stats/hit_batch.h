// The hits of one run of log lines, ready to count: parsed on any thread,
// counted in reading order. The statistics choose the hash of each index,
// so the batch computes them as hits are added, where the work can run
// beside other batches.
//
// Each batch is numbered in reading order (NumberBatch) before it is
// counted, and every record a hit makes keeps the stamp of the batch's
// number and the hit's place in it. A batch is counted in one of two ways:
// - CountHits, on one thread: the hits one after another.
// - Shard by shard, once SortIntoShards has run: CountShard for every
//   shard, each in reading order of the batches (every batch's shard 0
//   before the next batch's shard 0, and so on), and FinishBatch, in
//   reading order, which adds the batch to the run totals. Different shards
//   may be counted on different threads at once; one shard is counted on
//   one thread at a time. FinishBatch touches no shard.
// Both ways give the same records, stamps included, and the same totals.
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

  /// Empties the batch; its number stays.
  void Clear() {
    hits_.clear();
    days_.clear();
  }

  /// A hit whose date was read; the texts must live until it is counted.
  void Add(std::string_view address, std::string_view path, std::int32_t bytes, TimeStamp time);
  /// The local day of the hit added last, when days are counted: then
  /// every hit of the batch has one.
  void SetDay(std::int32_t day) { days_.resize(hits_.size(), day); }

  const std::vector<HitInput>& hits() const { return hits_; }

  /// Sorts the hits by the shard of their user and by the shard of their
  /// page, keeping the reading order within each shard.
  void SortIntoShards();

 private:
  friend void NumberBatch(Statistics* stats, HitBatch* batch);
  friend void CountHits(Statistics* stats, const HitBatch& batch);
  friend void CountShard(Statistics* stats, int shard, HitBatch* batch);
  friend void FinishBatch(Statistics* stats, HitBatch* batch);

  // The positions of the hits in shard order, and where each shard's
  // begin: by their users and by their pages.
  struct ShardOrder {
    std::vector<std::uint32_t> positions;
    std::array<std::uint32_t, kShardCount + 1> begin{};
    void Sort(const std::vector<HitInput>& hits, std::uint64_t HitInput::*hash);
  };

  // cppcheck-suppress unusedPrivateFunction ; CountHits and CountShard, friends, call it
  std::int32_t DayAt(std::uint32_t position) const {
    return days_.empty() ? kNoDay : days_[position];
  }

  // The stamp of the hit at `position`.
  // cppcheck-suppress unusedPrivateFunction ; CountHits and CountShard, friends, call it
  FirstSeen SeenAt(std::uint32_t position) const { return FirstSeenAt(number_, position); }

  std::uint64_t hash_seed_;
  std::uint64_t number_ = 0;
  std::vector<HitInput> hits_;
  std::vector<std::int32_t> days_;  // by hit, or empty
  ShardOrder by_user_;
  ShardOrder by_page_;
  std::array<UserTally, kShardCount> tallies_;  // what each shard's users opened
};

/// Gives `batch` the next number in the run's reading order. Batches are
/// numbered one at a time, in the order their lines were read.
void NumberBatch(Statistics* stats, HitBatch* batch);

/// Counts the hits of a batch, in order.
void CountHits(Statistics* stats, const HitBatch& batch);

/// Counts the users and pages of `shard` for every hit of a sorted batch.
void CountShard(Statistics* stats, int shard, HitBatch* batch);

/// Adds the batch to the run totals, once its shards are counted.
void FinishBatch(Statistics* stats, HitBatch* batch);
