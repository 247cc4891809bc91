// The bytes of a state file, written and read a value at a time: unsigned
// numbers as little-endian groups of seven bits (a byte for most counts),
// signed ones folded so that small negatives stay small, texts as their
// length and their bytes. The reader checks every length against what is
// left, so that no damaged file can make it read past its end or reserve
// memory for counts the file cannot hold.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class StateWriter {
 public:
  void Unsigned(std::uint64_t value) {
    while (value >= 0x80) {
      bytes_.push_back(static_cast<char>((value & 0x7F) | 0x80));
      value >>= 7;
    }
    bytes_.push_back(static_cast<char>(value));
  }
  void Signed(std::int64_t value) {
    const auto bits = static_cast<std::uint64_t>(value);
    Unsigned(bits << 1 ^ (value < 0 ? ~std::uint64_t{0} : 0));
  }
  void Fixed64(std::uint64_t value) {
    for (int i = 0; i < 8; ++i) bytes_.push_back(static_cast<char>(value >> (8 * i) & 0xFF));
  }
  void Text(std::string_view text) {
    Unsigned(text.size());
    bytes_.append(text);
  }
  std::string& bytes() { return bytes_; }

 private:
  std::string bytes_;
};

/// Reads what a StateWriter wrote. Once a read fails, every later one fails
/// too and gives 0 or an empty text: callers check ok() where it matters.
class StateReader {
 public:
  explicit StateReader(std::string_view bytes) : left_(bytes) {}

  std::uint64_t Unsigned() {
    std::uint64_t value = 0;
    for (int shift = 0; shift < 64; shift += 7) {
      if (left_.empty()) return Fail();
      const auto byte = static_cast<unsigned char>(left_.front());
      left_.remove_prefix(1);
      if (shift == 63 && byte > 1) return Fail();
      value |= std::uint64_t{byte & 0x7Fu} << shift;
      if ((byte & 0x80) == 0) return value;
    }
    return Fail();
  }
  std::int64_t Signed() {
    const std::uint64_t folded = Unsigned();
    return static_cast<std::int64_t>(folded >> 1 ^ (~(folded & 1) + 1));
  }
  std::uint64_t Fixed64() {
    if (left_.size() < 8) return Fail();
    std::uint64_t value = 0;
    for (int i = 0; i < 8; ++i) {
      value |= std::uint64_t{static_cast<unsigned char>(left_[static_cast<std::size_t>(i)])}
               << (8 * i);
    }
    left_.remove_prefix(8);
    return value;
  }
  bool Bool() {
    const std::uint64_t value = Unsigned();
    if (value > 1) Fail();
    return value == 1;
  }
  std::string_view Text() { return Bytes(Unsigned()); }
  std::string_view Bytes(std::uint64_t size) {
    if (!ok_ || size > left_.size()) {
      Fail();
      return {};
    }
    const std::string_view bytes = left_.substr(0, size);
    left_.remove_prefix(size);
    return bytes;
  }
  /// A count of items that take at least `least_bytes` each: one the rest
  /// of the bytes cannot hold fails.
  std::uint64_t Count(std::uint64_t least_bytes) {
    const std::uint64_t count = Unsigned();
    if (count > left_.size() / least_bytes) return Fail();
    return count;
  }
  std::uint64_t Fail() {
    ok_ = false;
    left_ = {};
    return 0;
  }
  bool ok() const { return ok_; }
  bool at_end() const { return left_.empty(); }

 private:
  std::string_view left_;
  bool ok_ = true;
};
