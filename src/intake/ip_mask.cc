#include "intake/ip_mask.h"

#include <cstdio>
#include <limits>

#include "bytes/comma_list.h"
#include "bytes/decimal.h"

std::string IpMask::ToString() const {
  std::string text;
  for (const Range& range : octets) {
    if (!text.empty()) text += ' ';
    text += std::to_string(range.Low) + '-' + std::to_string(range.High);
  }
  return text;
}

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Folds a digit into a bound, stopping at the 32-bit limit instead of
// overflowing; any bound past 255 is refused later all the same.
void FoldDigit(std::int32_t* bound, char digit) {
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  std::int64_t value = std::int64_t{*bound} * 10 + (digit - '0');
  *bound = value > kMax ? kMax : static_cast<std::int32_t>(value);
}

}  // namespace

int ParseIpMask(std::string_view text, IpMask* mask) {
  if (text.empty()) return 0;

  IpMask work;
  int part = 0;
  bool range = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    // The end of the text reads as a character of its own.
    char next = i + 1 < text.size() ? text[i + 1] : '\0';
    IpMask::Range& bounds = work.octets[part];
    switch (c) {
      case '*':
        if (bounds.Low != 0) return 0;
        bounds.Low = 0;
        bounds.High = 255;
        range = true;
        if (next != '.' && next != '\0') return 0;
        break;
      case ' ':
        break;
      case '-':
        if (range || !IsDigit(next)) return 0;
        range = true;
        break;
      case '.':
        if (!range) bounds.High = bounds.Low;
        if (!IsDigit(next) && next != '*') return 0;
        if (bounds.Low > 255 || bounds.High > 255) return 0;
        if (part == 3) return 0;
        ++part;
        range = false;
        break;
      default:
        if (!IsDigit(c)) return 0;
        FoldDigit(range ? &bounds.High : &bounds.Low, c);
        if (next == '*') return 0;
        break;
    }
  }
  if (part != 3) return 0;
  IpMask::Range& last = work.octets[3];
  if (!range) last.High = last.Low;
  if (last.Low > 255 || last.High > 255) return 0;
  *mask = work;
  return 1;
}

IpMaskList ParseIpMaskList(std::string_view list) {
  IpMaskList parsed;
  CommaList items(list);
  std::string_view item;
  while (items.Next(&item)) {
    IpMask mask;
    if (!ParseIpMask(item, &mask)) break;  // a refused mask ends the list
    parsed.masks.push_back(mask);
  }
  return parsed;
}

int MatchIpMasks(std::string_view address_text, const IpMaskList& list) {
  const IpAddress address = ReadIpAddress(address_text);
  for (const IpMask& mask : list.masks) {
    bool inside = true;
    for (int i = 0; i < 4 && inside; ++i) {
      inside = mask.octets[i].Low <= address[i] && address[i] <= mask.octets[i].High;
    }
    if (inside) return 1;
  }
  return 0;
}
