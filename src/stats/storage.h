// Storage for millions of records: records in shards of fixed-size chunks,
// so that growing never copies what is stored and never needs twice the
// memory, and an arena for the texts the records keep.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <numeric>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/memory.h"

/// Index of a record in its store; kNoRecord ends a list.
using RecordIndex = std::uint32_t;
inline constexpr RecordIndex kNoRecord = UINT32_MAX;

/// Users and pages live in shards chosen by the top bits of their text's
/// hash, so that several threads can count one run of hits side by side,
/// each shard on one thread at a time. The shards change nothing else: a
/// shard holds each of its users' hits in reading order, and each record
/// carries the moment it was first seen, which orders records across shards.
inline constexpr int kShardBits = 4;
inline constexpr int kShardCount = 1 << kShardBits;

/// The shard of the text whose hash is `hash`.
inline int ShardOf(std::uint64_t hash) {
  return static_cast<int>(hash >> (64 - kShardBits));
}

/// A fixed table of `count` entries whose pages take memory only once an
/// entry in them is written: the system hands out zeroed pages on first
/// touch, so a large table that is mostly unused costs nothing.
template <typename T>
class SparseTable {
 public:
  // NOLINTNEXTLINE(bugprone-sizeof-expression): T may be a pointer; the table holds Ts
  explicit SparseTable(std::size_t count) : bytes_(count * sizeof(T)) {
    void* pages = ReserveZeroedPages(bytes_);
    if (pages == nullptr) throw std::bad_alloc();
    entries_ = static_cast<T*>(pages);
  }
  SparseTable(SparseTable&& other) noexcept
      : entries_(std::exchange(other.entries_, nullptr)), bytes_(other.bytes_) {}
  SparseTable& operator=(SparseTable&& other) noexcept {
    std::swap(entries_, other.entries_);
    std::swap(bytes_, other.bytes_);
    return *this;
  }
  SparseTable(const SparseTable&) = delete;
  SparseTable& operator=(const SparseTable&) = delete;
  ~SparseTable() {
    if (entries_ != nullptr) ReleasePages(entries_, bytes_);
  }

  T& operator[](std::size_t i) { return entries_[i]; }
  const T& operator[](std::size_t i) const { return entries_[i]; }

 private:
  T* entries_;
  std::size_t bytes_;
};

/// The records of one kind, shard by shard. An index keeps the record's
/// shard above its place in the shard, so that it names the record across
/// the run. Records sit in chunks that never move; one table finds the
/// chunk of any index, so a lookup costs what it would in a single array.
template <typename Record>
class ShardedRecords {
 public:
  // A shard holds fewer than 2^kLocalBits records: a billion over all,
  // more than any memory holds. The shard sits above them in the index.
  static constexpr int kLocalBits = 26;

  ShardedRecords() : chunk_of_(std::size_t{kShardCount} << kChunksBits) {}

  Record& operator[](RecordIndex i) { return chunk_of_[i >> kChunkBits][i & kChunkMask]; }
  const Record& operator[](RecordIndex i) const {
    return chunk_of_[i >> kChunkBits][i & kChunkMask];
  }

  /// Appends a value-initialised record to `shard` and returns its index.
  RecordIndex Add(int shard) {
    Shard& at = shards_[shard];
    if (at.size >= kShardLimit) throw std::bad_alloc();
    const RecordIndex index = static_cast<RecordIndex>(shard) << kLocalBits | at.size;
    if ((at.size & kChunkMask) == 0) {
      at.chunks.push_back(std::make_unique<Record[]>(kChunkSize));
      chunk_of_[index >> kChunkBits] = at.chunks.back().get();
    }
    ++at.size;
    return index;
  }

  std::size_t size() const {
    return std::accumulate(shards_.begin(), shards_.end(), std::size_t{0},
                           [](std::size_t total, const Shard& shard) { return total + shard.size; });
  }

  /// Calls `visit(index)` for every record: shard by shard, each shard's in
  /// the order they were added.
  template <typename Visit>
  void ForEach(Visit visit) const {
    for (RecordIndex shard = 0; shard < kShardCount; ++shard) {
      const RecordIndex first = shard << kLocalBits;
      for (RecordIndex i = 0; i < shards_[shard].size; ++i) visit(first | i);
    }
  }

  /// Releases every record; the chunk table forgets the released chunks.
  void Clear() {
    for (RecordIndex shard = 0; shard < kShardCount; ++shard) {
      const std::size_t first = std::size_t{shard} << kChunksBits;
      for (std::size_t c = 0; c < shards_[shard].chunks.size(); ++c) chunk_of_[first + c] = nullptr;
    }
    shards_ = {};
  }

 private:
  // Small chunks: sixteen shards of a small run cost little.
  static constexpr int kChunkBits = 12;
  static constexpr int kChunksBits = kLocalBits - kChunkBits;  // chunks a shard may have
  static constexpr RecordIndex kChunkSize = RecordIndex{1} << kChunkBits;
  static constexpr RecordIndex kChunkMask = kChunkSize - 1;
  static constexpr RecordIndex kShardLimit = RecordIndex{1} << kLocalBits;
  static_assert(kShardBits + kLocalBits < 32, "an index could be kNoRecord");

  struct Shard {
    std::vector<std::unique_ptr<Record[]>> chunks;
    RecordIndex size = 0;
  };

  // The chunk of each index's top bits, written when the chunk is made.
  SparseTable<Record*> chunk_of_;
  std::array<Shard, kShardCount> shards_;
};


/// Keeps copies of texts, each ended by a zero byte so that it can be
/// printed as a C string. Copies never move. Blocks grow from small to
/// large, so that an arena that keeps few texts costs little.
class TextArena {
 public:
  const char* Copy(std::string_view text) {
    std::size_t need = text.size() + 1;
    if (need > left_) {
      std::size_t size = kBlockSize;
      if (blocks_.size() < kGrowingBlocks) size = kFirstBlockSize << blocks_.size();
      std::size_t block = need > size / 4 ? need : size;
      blocks_.push_back(std::make_unique<char[]>(block));
      next_ = blocks_.back().get();
      left_ = block;
    }
    char* copy = next_;
    if (!text.empty()) std::memcpy(copy, text.data(), text.size());
    copy[text.size()] = '\0';
    next_ += need;
    left_ -= need;
    return copy;
  }

  void Clear() {
    blocks_.clear();
    next_ = nullptr;
    left_ = 0;
  }

 private:
  static constexpr std::size_t kFirstBlockSize = std::size_t{1} << 14;
  static constexpr std::size_t kGrowingBlocks = 6;  // to kBlockSize
  static constexpr std::size_t kBlockSize = std::size_t{1} << 20;
  std::vector<std::unique_ptr<char[]>> blocks_;
  char* next_ = nullptr;
  std::size_t left_ = 0;
};
