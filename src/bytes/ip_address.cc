#include "bytes/ip_address.h"

#include <algorithm>

#include "bytes/decimal.h"

int ScanIpAddress(std::string_view text, IpAddress* address) {
  // As "%d.%d.%d.%d": each point must follow its number directly, and the
  // reading stops at the first thing that does not fit.
  *address = {0, 0, 0, 0};
  std::size_t pos = 0;
  for (int i = 0; i < 4; ++i) {
    if (i > 0) {
      if (pos >= text.size() || text[pos] != '.') return i;
      ++pos;
    }
    if (!ScanDecimal(text, &pos, &(*address)[i])) return i;
  }
  return 4;
}

IpAddress ReadIpAddress(std::string_view text) {
  IpAddress address;
  ScanIpAddress(text, &address);
  return address;
}

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The whole of `text` as four decimal numbers up to 255 joined by points,
// none with a leading zero, into `out`.
bool ParseDottedQuad(std::string_view text, std::uint8_t* out) {
  std::size_t pos = 0;
  for (int i = 0; i < 4; ++i) {
    if (i > 0 && (pos >= text.size() || text[pos++] != '.')) return false;
    const std::size_t start = pos;
    int value = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
      if (pos > start && text[start] == '0') return false;
      value = value * 10 + (text[pos++] - '0');
      if (value > 255) return false;
    }
    if (pos == start) return false;
    out[i] = static_cast<std::uint8_t>(value);
  }
  return pos == text.size();
}

}  // namespace

bool ParseIpv6Address(std::string_view text, Ipv6Bytes* address) {
  Ipv6Bytes bytes{};
  std::size_t filled = 0;                    // bytes read so far
  std::size_t gap = std::string_view::npos;  // where "::" stands among them
  std::size_t pos = 0;
  if (text.starts_with("::")) {
    gap = 0;
    pos = 2;
  }
  while (pos < text.size()) {
    const std::size_t start = pos;
    unsigned value = 0;
    int digits = 0;
    for (int v; pos < text.size() && (v = HexValue(text[pos])) >= 0; ++pos, ++digits) {
      value = value << 4 | static_cast<unsigned>(v);
    }
    if (pos < text.size() && text[pos] == '.') {
      // The last 32 bits as an IPv4 address ends the text.
      if (filled + 4 > bytes.size() || !ParseDottedQuad(text.substr(start), &bytes[filled])) {
        return false;
      }
      filled += 4;
      break;
    }
    if (digits == 0 || digits > 4 || filled + 2 > bytes.size()) return false;
    bytes[filled++] = static_cast<std::uint8_t>(value >> 8);
    bytes[filled++] = static_cast<std::uint8_t>(value & 0xFF);
    if (pos == text.size()) break;
    if (text[pos++] != ':' || pos == text.size()) return false;
    if (text[pos] == ':') {
      if (gap != std::string_view::npos) return false;
      gap = filled;
      ++pos;
    }
  }
  if (gap == std::string_view::npos) {
    if (filled != bytes.size()) return false;
  } else {
    // The zero groups "::" stands for: what follows it moves to the end.
    if (filled == bytes.size()) return false;
    const auto at = [&bytes](std::size_t i) { return bytes.begin() + static_cast<std::ptrdiff_t>(i); };
    std::copy_backward(at(gap), at(filled), bytes.end());
    std::fill(at(gap), at(gap + bytes.size() - filled), std::uint8_t{0});
  }
  *address = bytes;
  return true;
}

bool ParseIpv4Address(std::string_view text, Ipv4Bytes* address) {
  return ParseDottedQuad(text, address->data());
}
