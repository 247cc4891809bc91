#include "bytes/hash.h"

#include <cstring>

// The hash is the busiest code after the tokenizer: compiled in here, from
// the library's header.
#define XXH_INLINE_ALL
#include <xxhash.h>

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

inline void Store(char* p, std::uint64_t v) { std::memcpy(p, &v, 8); }

// Copies `size` bytes of `text` to `out` with the letters lower-cased,
// eight at a time.
inline void FoldInto(char* out, const char* text, std::size_t size) {
  std::size_t i = 0;
  for (; i + 8 <= size; i += 8) Store(out + i, FoldWord(Load(text + i, 8)));
  if (i == size) return;
  if (size >= 8) {
    // The last eight bytes again: folding a byte twice changes nothing.
    Store(out + size - 8, FoldWord(Load(text + size - 8, 8)));
    return;
  }
  for (; i < size; ++i) {
    const char c = text[i];
    out[i] = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  }
}

}  // namespace

std::uint64_t HashBytes(std::string_view text, std::uint64_t seed) {
  return XXH3_64bits_withSeed(text.data(), text.size(), seed);
}

std::uint64_t HashFoldedBytes(std::string_view text, std::uint64_t seed) {
  // Most paths fold into one block on the stack; longer ones are hashed a
  // block at a time, which gives the same hash.
  constexpr std::size_t kBlock = 256;
  char folded[kBlock];
  const std::size_t size = text.size();
  if (size <= kBlock) {
    FoldInto(folded, text.data(), size);
    return XXH3_64bits_withSeed(folded, size, seed);
  }
  XXH3_state_t state;
  XXH3_INITSTATE(&state);
  XXH3_64bits_reset_withSeed(&state, seed);
  for (std::size_t i = 0; i < size; i += kBlock) {
    const std::size_t block = size - i < kBlock ? size - i : kBlock;
    FoldInto(folded, text.data() + i, block);
    XXH3_64bits_update(&state, folded, block);
  }
  return XXH3_64bits_digest(&state);
}

// Texts of one size whose bytes differ.
bool EqualFoldedSlowly(std::string_view a, std::string_view b) {
  std::size_t i = 0;
  for (; i + 8 <= a.size(); i += 8) {
    if (FoldWord(Load(a.data() + i, 8)) != FoldWord(Load(b.data() + i, 8))) return false;
  }
  std::size_t rest = a.size() - i;
  return rest == 0 ||
         FoldWord(Load(a.data() + i, rest)) == FoldWord(Load(b.data() + i, rest));
}
