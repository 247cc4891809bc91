// Counts by distinct text (user agents, referring hosts and pages), each
// text kept exactly, found by an open-addressing index under the run's key
// as the paths are: a busy site's log has thousands of each, and a lookup
// in a node-based map waits on memory several times in turn.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "bytes/hash.h"
#include "bytes/same_bytes.h"
#include "stats/index_table.h"
#include "stats/storage.h"

template <typename Counts>
class TextTable {
 public:
  struct Entry {
    std::string_view text;  // in the table's own texts
    Counts counts;
  };

  explicit TextTable(std::uint64_t seed = 0) : seed_(seed) {}

  std::uint64_t Hash(std::string_view text) const { return HashBytes(text, seed_); }

  /// The entry of `text`, made (with nothing counted) if there is none;
  /// `hash` = Hash(text).
  RecordIndex Index(std::string_view text, std::uint64_t hash) {
    RecordIndex index = Lookup(text, hash);
    if (index != kNoRecord) return index;
    index = static_cast<RecordIndex>(entries_.size());
    entries_.push_back({{texts_.Copy(text), text.size()}, {}});
    index_.Insert(hash, index);
    return index;
  }
  /// The counts of `text`, made if there are none.
  Counts& Of(std::string_view text) { return entries_[Index(text, Hash(text))].counts; }

  /// Adds `text` with `counts`; false when it is there already.
  bool Add(std::string_view text, const Counts& counts) {
    const std::uint64_t hash = Hash(text);
    if (Lookup(text, hash) != kNoRecord) return false;
    entries_[Index(text, hash)].counts = counts;
    return true;
  }

  /// The counts of `text`; std::out_of_range when it has none.
  const Counts& at(std::string_view text) const {
    const RecordIndex index = Lookup(text, Hash(text));
    if (index == kNoRecord) throw std::out_of_range("no such text");
    return entries_[index].counts;
  }

  /// Starts loading where a lookup of `hash` begins.
  void Prefetch(std::uint64_t hash) const { index_.Prefetch(hash); }
  /// Once Prefetch(hash) has loaded the slot: starts loading the entry.
  void PrefetchEntry(std::uint64_t hash) const {
    const RecordIndex i = index_.Candidate(hash);
    if (i != kNoRecord) __builtin_prefetch(&entries_[i]);
  }
  /// Once PrefetchEntry(hash) has loaded the entry: starts loading its text.
  void PrefetchText(std::uint64_t hash) const {
    const RecordIndex i = index_.Candidate(hash);
    if (i != kNoRecord) __builtin_prefetch(entries_[i].text.data());
  }

  Entry& operator[](RecordIndex i) { return entries_[i]; }
  std::size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  typename std::vector<Entry>::const_iterator begin() const { return entries_.begin(); }
  typename std::vector<Entry>::const_iterator end() const { return entries_.end(); }

 private:
  RecordIndex Lookup(std::string_view text, std::uint64_t hash) const {
    return index_.Find(hash, [&](RecordIndex i) { return SameText(entries_[i].text, text); });
  }

  std::uint64_t seed_;
  std::vector<Entry> entries_;
  IndexTable index_;
  TextArena texts_;
};
