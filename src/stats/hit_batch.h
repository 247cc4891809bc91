// The hits of one run of log lines, ready to count: parsed on any thread,
// counted in reading order on one at a time. The statistics choose the hash
// of each index, so the batch computes them as hits are added, where the
// work can run beside other batches.
#pragma once

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

 private:
  std::uint64_t hash_seed_;
  std::vector<HitInput> hits_;
};

/// Counts the hits of a batch, in order.
void CountHits(Statistics* stats, const HitBatch& batch);
