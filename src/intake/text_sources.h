// Byte sources that stand between a log's bytes and the line reader: a
// stream's first bytes read ahead (to tell a compressed one) and handed out
// again, and a text whose first bytes, counted before, are left out.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "intake/line_reader.h"

// The bytes of a stream that cannot be read twice, its first few read
// ahead to tell a compressed one, and handed out again first.
class PeekedSource : public ByteSource {
 public:
  explicit PeekedSource(ByteSource* source) : source_(source) {
    while (peeked_ < sizeof(head_)) {
      const long n = source_->Read(head_ + peeked_, sizeof(head_) - peeked_);
      if (n <= 0) {
        failed_ = n < 0;
        break;
      }
      peeked_ += static_cast<std::size_t>(n);
    }
  }
  bool HasGzipSignature() const {
    return peeked_ == 2 && static_cast<unsigned char>(head_[0]) == 0x1F &&
           static_cast<unsigned char>(head_[1]) == 0x8B;
  }
  long Read(char* buffer, std::size_t size) override {
    if (served_ < peeked_ && size > 0) {
      const std::size_t n = std::min(size, peeked_ - served_);
      std::copy_n(head_ + served_, n, buffer);
      served_ += n;
      return static_cast<long>(n);
    }
    if (failed_) return -1;
    return source_->Read(buffer, size);
  }

 private:
  ByteSource* source_;
  char head_[2] = {};
  std::size_t peeked_ = 0;
  std::size_t served_ = 0;
  bool failed_ = false;
};

// Decompressed text with its first bytes, counted before, left out.
class SkippingSource : public ByteSource {
 public:
  SkippingSource(ByteSource* text, std::int64_t skip) : text_(text), skip_(skip) {}
  long Read(char* buffer, std::size_t size) override {
    while (skip_ > 0) {
      const std::size_t want = skip_ < static_cast<std::int64_t>(size)
                                   ? static_cast<std::size_t>(skip_) : size;
      const long n = text_->Read(buffer, want);
      if (n <= 0) return n;
      skip_ -= n;
    }
    return text_->Read(buffer, size);
  }

 private:
  ByteSource* text_;
  std::int64_t skip_;
};
