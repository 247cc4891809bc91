// Hashing and comparing the texts that the statistics index: client
// addresses byte for byte, paths with the ASCII letters A-Z taken as a-z.
#pragma once

#include <cstdint>
#include <string_view>

/// Hash of the bytes of `text`.
std::uint64_t HashBytes(std::string_view text);

/// Hash of `text` that two texts equal under EqualFolded share.
std::uint64_t HashFoldedBytes(std::string_view text);

/// Equality of texts with the ASCII letters A-Z taken as a-z.
bool EqualFolded(std::string_view a, std::string_view b);
