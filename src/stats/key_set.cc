#include "stats/key_set.h"

std::size_t KeyMix::operator()(std::uint64_t key) const {
  // A multiply and a shift (the finaliser of splitmix64) over the key and
  // the run's seed.
  std::uint64_t x = key ^ seed;
  x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9;
  x = (x ^ (x >> 27)) * 0x94d049bb133111eb;
  return static_cast<std::size_t>(x ^ (x >> 31));
}

bool KeySet::Insert(std::uint64_t key) {
  if (key == 0) {
    const bool fresh = !has_zero_;
    has_zero_ = true;
    return fresh;
  }
  if (2 * (size_ + 1) > slots_.size()) Reserve(size_ + 1);
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t i = mix_(key) & mask;; i = (i + 1) & mask) {
    if (slots_[i] == key) return false;
    if (slots_[i] == 0) {
      slots_[i] = key;
      ++size_;
      return true;
    }
  }
}

void KeySet::Reserve(std::size_t keys) {
  if (2 * keys <= slots_.size()) return;
  std::size_t capacity = 16;
  while (capacity < 2 * keys) capacity *= 2;
  std::vector<std::uint64_t> old(capacity, 0);
  old.swap(slots_);
  for (const std::uint64_t key : old) {
    if (key != 0) Place(key);
  }
}

void KeySet::Place(std::uint64_t key) {
  const std::size_t mask = slots_.size() - 1;
  std::size_t i = mix_(key) & mask;
  while (slots_[i] != 0) i = (i + 1) & mask;
  slots_[i] = key;
}
