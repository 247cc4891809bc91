// Address masks: parse one -s/-e item, and match an address against a comma
// list of them. Owns nothing.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "bytes/ip_address.h"

/// Four octet ranges in address order, the leftmost octet first. A range
/// whose Low exceeds its High contains no value.
struct IpMask {
  struct Range {
    std::int32_t Low = 0;
    std::int32_t High = 0;
  };
  std::array<Range, 4> octets;

  /// "10-10 0-0 0-0 0-255", for tests.
  std::string ToString() const;
};

/// Parses one mask item. Returns 1 and fills `mask` when the text is
/// accepted; returns 0 and leaves `mask` untouched when it is refused.
int ParseIpMask(std::string_view text, IpMask* mask);

/// A comma list of masks parsed once: the masks before the first refused
/// item, in list order. Whatever follows a refused item never takes part.
struct IpMaskList {
  std::vector<IpMask> masks;
};

/// Splits `list` at commas, skipping empty items, and parses the items in
/// order up to the first refused one.
IpMaskList ParseIpMaskList(std::string_view list);

/// 1 when the address text, read as the masks see it, lies within at least
/// one mask of `list`, else 0.
int MatchIpMasks(std::string_view address, const IpMaskList& list);
