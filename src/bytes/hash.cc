#include "bytes/hash.h"

#include <cstring>

namespace {

inline std::uint64_t Load(const char* p, std::size_t n) {
  std::uint64_t v = 0;
  std::memcpy(&v, p, n);
  return v;
}

// Lower-cases the ASCII letters of eight bytes at once.
inline std::uint64_t FoldWord(std::uint64_t v) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
  const std::uint64_t low7 = v & (0x7F * kOnes);
  const std::uint64_t at_least_a = low7 + (0x80 - 'A') * kOnes;
  const std::uint64_t past_z = low7 + (0x80 - 'Z' - 1) * kOnes;
  const std::uint64_t upper = at_least_a & ~past_z & ~v & (0x80 * kOnes);
  return v | (upper >> 2);
}

inline std::uint64_t Mix(std::uint64_t h, std::uint64_t v) {
  h = (h ^ v) * 0xBF58476D1CE4E5B9ULL;
  return h ^ (h >> 31);
}

inline std::uint64_t Finish(std::uint64_t h) {
  h ^= h >> 33;
  h *= 0x94D049BB133111EBULL;
  return h ^ (h >> 29);
}

// With kFold, every byte gets the 0x20 bit set first: that maps each
// capital letter onto its small one (and a few other bytes onto each
// other, which costs a comparison now and then, never a wrong answer).
template <bool kFold>
std::uint64_t Hash(std::string_view text) {
  constexpr std::uint64_t kCaseBits = 0x2020202020202020ULL;
  const char* p = text.data();
  std::size_t n = text.size();
  std::uint64_t h = 0x243F6A8885A308D3ULL ^ n;
  for (; n >= 8; p += 8, n -= 8) {
    std::uint64_t v = Load(p, 8);
    h = Mix(h, kFold ? v | kCaseBits : v);
  }
  if (n != 0) {
    std::uint64_t v = Load(p, n);
    h = Mix(h, kFold ? v | kCaseBits : v);
  }
  return Finish(h);
}

}  // namespace

std::uint64_t HashBytes(std::string_view text) { return Hash<false>(text); }
std::uint64_t HashFoldedBytes(std::string_view text) { return Hash<true>(text); }

bool EqualFolded(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  std::size_t i = 0;
  for (; i + 8 <= a.size(); i += 8) {
    if (FoldWord(Load(a.data() + i, 8)) != FoldWord(Load(b.data() + i, 8))) return false;
  }
  std::size_t rest = a.size() - i;
  return rest == 0 ||
         FoldWord(Load(a.data() + i, rest)) == FoldWord(Load(b.data() + i, rest));
}

