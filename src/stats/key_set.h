// A set of 64-bit keys: the distinct users of a site, the (user, day)
// pairs of the days panel.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

/// Places keys in the set's buckets by a key of the run, so that addresses
/// chosen to share buckets do not.
struct KeyMix {
  std::uint64_t seed = 0;
  std::size_t operator()(std::uint64_t key) const;
};

/// A set of 64-bit keys by open addressing: 8 bytes a slot, at most half
/// of them full, placed by the run's key.
class KeySet {
 public:
  KeySet() = default;
  explicit KeySet(std::uint64_t seed) : mix_{seed} {}
  /// True when `key` was not in the set.
  bool Insert(std::uint64_t key);
  std::size_t size() const { return size_ + (has_zero_ ? 1 : 0); }
  void Reserve(std::size_t keys);
  /// Starts loading the slot where Insert(key) begins.
  void Prefetch(std::uint64_t key) const {
    if (!slots_.empty()) __builtin_prefetch(&slots_[mix_(key) & (slots_.size() - 1)]);
  }
  /// Calls f(key) for each key, in no order.
  template <class F>
  void ForEach(F f) const {
    if (has_zero_) f(std::uint64_t{0});
    for (const std::uint64_t key : slots_) {
      if (key != 0) f(key);
    }
  }

 private:
  void Place(std::uint64_t key);
  KeyMix mix_;
  std::vector<std::uint64_t> slots_;  // 0: empty; the key 0 is kept apart
  std::size_t size_ = 0;
  bool has_zero_ = false;
};
