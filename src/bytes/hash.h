// Keyed hashes of texts for the lookup indexes, and the case-blind equality
// that the page index pairs with its hash. Each run hashes with a seed of
// its own from the system's random source, so that no texts chosen in
// advance hash alike more often than chance allows and no log can make
// counting slower than linear. Owns nothing.
#pragma once

#include <cstdint>
#include <string_view>

#include "bytes/same_bytes.h"

/// The hash of the bytes of `text` under `seed`.
std::uint64_t HashBytes(std::string_view text, std::uint64_t seed);

/// The hash of `text` with the ASCII letters A-Z taken as a-z, and every
/// other byte as it is: texts that EqualFolded calls equal hash alike.
std::uint64_t HashFoldedBytes(std::string_view text, std::uint64_t seed);

/// Equality of texts with the ASCII letters A-Z taken as a-z.
bool EqualFoldedSlowly(std::string_view a, std::string_view b);
inline bool EqualFolded(std::string_view a, std::string_view b) {
  // Most texts found are spelled as the one kept: the bytes alone settle
  // it, without folding.
  return SameText(a, b) || (a.size() == b.size() && EqualFoldedSlowly(a, b));
}
