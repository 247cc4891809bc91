// Equality of short byte runs without a call: the texts the counting
// compares on every line (addresses, paths, dates) are mostly a few dozen
// bytes, where the C library's memcmp costs more in its call and its
// choice of method than in comparing.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

/// True when the `size` bytes at `a` and `b` are the same. Reads nothing
/// outside them: runs of 4 to 32 bytes are compared as words that overlap
/// where the size is not a multiple of the word.
inline bool SameBytes(const char* a, const char* b, std::size_t size) {
  const auto word = [](const char* p) {
    std::uint64_t v;
    std::memcpy(&v, p, sizeof(v));
    return v;
  };
  const auto half = [](const char* p) {
    std::uint32_t v;
    std::memcpy(&v, p, sizeof(v));
    return v;
  };
  if (size >= 8) {
    if (size <= 16) {
      return ((word(a) ^ word(b)) | (word(a + size - 8) ^ word(b + size - 8))) == 0;
    }
    if (size <= 32) {
      return ((word(a) ^ word(b)) | (word(a + 8) ^ word(b + 8)) |
              (word(a + size - 16) ^ word(b + size - 16)) |
              (word(a + size - 8) ^ word(b + size - 8))) == 0;
    }
    return std::memcmp(a, b, size) == 0;
  }
  if (size >= 4) return ((half(a) ^ half(b)) | (half(a + size - 4) ^ half(b + size - 4))) == 0;
  for (std::size_t i = 0; i < size; ++i) {
    if (a[i] != b[i]) return false;
  }
  return true;
}

/// True when `a` and `b` hold the same bytes.
inline bool SameText(std::string_view a, std::string_view b) {
  return a.size() == b.size() && SameBytes(a.data(), b.data(), a.size());
}
