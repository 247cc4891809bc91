// Storage for millions of records: arrays in fixed-size chunks, so that
// growing never copies what is stored and never needs twice the memory, and
// an arena for the texts the records keep.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <string_view>
#include <vector>

/// Index of a record in its store; kNoRecord ends a list.
using RecordIndex = std::uint32_t;
inline constexpr RecordIndex kNoRecord = UINT32_MAX;

/// An array of T in chunks of 2^kChunkBits elements; elements never move.
/// Holds at most `kLimit` elements.
template <typename T, int kChunkBits = 16, std::size_t kLimit = kNoRecord>
class ChunkedArray {
 public:
  static constexpr std::size_t kChunkSize = std::size_t{1} << kChunkBits;

  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }

  T& operator[](RecordIndex i) {
    return chunks_[i >> kChunkBits][i & (kChunkSize - 1)];
  }
  const T& operator[](RecordIndex i) const {
    return chunks_[i >> kChunkBits][i & (kChunkSize - 1)];
  }

  /// Appends a value-initialised element and returns its index.
  RecordIndex Add() {
    if (size_ >= kLimit) throw std::bad_alloc();
    if ((size_ & (kChunkSize - 1)) == 0) {
      chunks_.push_back(std::make_unique<T[]>(kChunkSize));
    }
    return static_cast<RecordIndex>(size_++);
  }

  void Clear() {
    chunks_.clear();
    size_ = 0;
  }

 private:
  std::vector<std::unique_ptr<T[]>> chunks_;
  std::size_t size_ = 0;
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
