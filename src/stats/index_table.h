// A hash index from texts to record indexes. The texts live in the records;
// the table keeps only the index and the hash of each, so a lookup of a known
// text allocates nothing. Callers supply the hash and the equality test,
// which lets one table compare bytes exactly and another ignore ASCII case.
#pragma once

#include <cstdint>
#include <vector>

#include "stats/storage.h"

class IndexTable {
 public:
  IndexTable() : slots_(kInitialSlots) {}

  /// The index of the record for which `equal(index)` holds, or kNoRecord.
  template <typename Equal>
  RecordIndex Find(std::uint64_t hash, Equal equal) const {
    std::uint32_t tag = Tag(hash);
    std::size_t mask = slots_.size() - 1;
    for (std::size_t i = tag & mask;; i = (i + 1) & mask) {
      const Slot& slot = slots_[i];
      if (slot.index == kNoRecord) return kNoRecord;
      if (slot.tag == tag && equal(slot.index)) return slot.index;
      ++probes_;  // on to the next slot
    }
  }

  /// Starts loading the slot where a lookup of `hash` begins, so that a
  /// Find() a little later need not wait for memory.
  void Prefetch(std::uint64_t hash) const {
    __builtin_prefetch(&slots_[Tag(hash) & (slots_.size() - 1)]);
  }

  /// The record a lookup of `hash` would compare first, or kNoRecord when
  /// the slots it would look at hold none of that hash's tag: for loading
  /// the record ahead of the lookup. Reads only the slots Prefetch() loads.
  RecordIndex Candidate(std::uint64_t hash) const {
    std::uint32_t tag = Tag(hash);
    std::size_t mask = slots_.size() - 1;
    for (std::size_t i = tag & mask, tries = 0; tries < 4; i = (i + 1) & mask, ++tries) {
      const Slot& slot = slots_[i];
      if (slot.index == kNoRecord) return kNoRecord;
      if (slot.tag == tag) return slot.index;
    }
    return kNoRecord;
  }

  /// Adds a record that Find() did not find.
  void Insert(std::uint64_t hash, RecordIndex index) {
    if ((used_ + 1) * 4 > slots_.size() * 3) Grow();
    Place(hash, index);
    ++used_;
  }

  /// Makes room for `count` records in all, so that adding them grows
  /// nothing: for a table filled from a saved state.
  void Reserve(std::size_t count) {
    std::size_t size = slots_.size();
    while ((count + 1) * 4 > size * 3) size *= 2;
    if (size != slots_.size()) Rehash(size);
  }

  void Clear() {
    slots_.assign(kInitialSlots, Slot{});
    used_ = 0;
  }

  /// Slots that Find() has looked at past the first of each lookup: the
  /// work that texts hashing alike cause, which tests read.
  std::uint64_t probes() const { return probes_; }

 private:
  struct Slot {
    std::uint32_t tag = 0;
    RecordIndex index = kNoRecord;
  };
  static constexpr std::size_t kInitialSlots = 1024;

  // A slot keeps the low 32 bits of the hash: they choose the position and
  // spare most text comparisons, and growing needs no second hash of a text.
  static std::uint32_t Tag(std::uint64_t hash) {
    return static_cast<std::uint32_t>(hash);
  }

  void Place(std::uint64_t hash, RecordIndex index) {
    std::uint32_t tag = Tag(hash);
    std::size_t mask = slots_.size() - 1;
    std::size_t i = tag & mask;
    while (slots_[i].index != kNoRecord) i = (i + 1) & mask;
    slots_[i] = Slot{tag, index};
  }

  void Grow() { Rehash(slots_.size() * 2); }

  void Rehash(std::size_t size) {
    std::vector<Slot> old;
    old.swap(slots_);
    slots_.assign(size, Slot{});
    for (const Slot& slot : old) {
      if (slot.index != kNoRecord) Place(slot.tag, slot.index);
    }
  }

  std::vector<Slot> slots_;
  std::size_t used_ = 0;
  mutable std::uint64_t probes_ = 0;
};
