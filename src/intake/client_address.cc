#include "intake/client_address.h"

#include <cstdio>

#include "bytes/comma_list.h"
#include "bytes/decimal.h"
#include "bytes/hash.h"

namespace {

// The longest text of an address ("ffff:ffff:...:255.255.255.255"); a
// longer item is none, and costs no parsing.
constexpr std::size_t kLongestAddress = 45;

bool Ipv4Covered(const Ipv4Bytes& address, const IpMaskList& masks) {
  for (const IpMask& mask : masks.masks) {
    bool inside = true;
    for (int i = 0; i < 4 && inside; ++i) {
      inside = mask.octets[i].Low <= address[i] && address[i] <= mask.octets[i].High;
    }
    if (inside) return true;
  }
  return false;
}

bool Ipv6Covered(const Ipv6Bytes& address, const std::vector<Ipv6Prefix>& prefixes) {
  for (const Ipv6Prefix& prefix : prefixes) {
    int bits = prefix.bits;
    std::size_t i = 0;
    for (; bits >= 8; bits -= 8, ++i) {
      if (address[i] != prefix.address[i]) break;
    }
    if (bits >= 8) continue;
    const unsigned mask = (0xFF00u >> bits) & 0xFFu;
    if (bits == 0 || ((address[i] ^ prefix.address[i]) & mask) == 0) return true;
  }
  return false;
}

// An IPv4 address written as IPv6 (::ffff:a.b.c.d) is that IPv4 address.
bool MappedIpv4(const Ipv6Bytes& address, Ipv4Bytes* ipv4) {
  for (int i = 0; i < 10; ++i) {
    if (address[i] != 0) return false;
  }
  if (address[10] != 0xFF || address[11] != 0xFF) return false;
  for (int i = 0; i < 4; ++i) (*ipv4)[i] = address[12 + i];
  return true;
}

enum class Item { kNone, kClient, kTrusted };

Item Classify(std::string_view address, const TrustedProxies& trusted) {
  if (address.empty() || address.size() > kLongestAddress) return Item::kNone;
  Ipv4Bytes ipv4;
  if (ParseIpv4Address(address, &ipv4)) {
    return Ipv4Covered(ipv4, trusted.ipv4) ? Item::kTrusted : Item::kClient;
  }
  Ipv6Bytes ipv6;
  if (!ParseIpv6Address(address, &ipv6)) return Item::kNone;
  if (Ipv6Covered(ipv6, trusted.ipv6)) return Item::kTrusted;
  if (MappedIpv4(ipv6, &ipv4) && Ipv4Covered(ipv4, trusted.ipv4)) return Item::kTrusted;
  return Item::kClient;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '+'; }

}  // namespace

std::string TrustedProxies::ToString() const {
  std::string text;
  for (const IpMask& mask : ipv4.masks) text += (text.empty() ? "" : "; ") + mask.ToString();
  for (const Ipv6Prefix& prefix : ipv6) {
    char hex[3];
    text += text.empty() ? "" : "; ";
    for (std::uint8_t byte : prefix.address) {
      std::snprintf(hex, sizeof(hex), "%02x", byte);
      text += hex;
    }
    text += '/' + std::to_string(prefix.bits);
  }
  return text;
}

bool ParseTrustedProxies(std::string_view list, TrustedProxies* proxies) {
  TrustedProxies parsed;
  CommaList items(list);
  std::string_view item;
  while (items.Next(&item)) {
    if (item.find(':') == std::string_view::npos) {
      IpMask mask;
      if (!ParseIpMask(item, &mask)) return false;
      parsed.ipv4.masks.push_back(mask);
      continue;
    }
    Ipv6Prefix prefix;
    const std::size_t slash = item.find('/');
    if (slash != std::string_view::npos) {
      const std::string_view bits = item.substr(slash + 1);
      if (bits.empty() || bits.size() > 3 ||
          bits.find_first_not_of("0123456789") != std::string_view::npos) {
        return false;
      }
      prefix.bits = ReadDecimal(bits);
      if (prefix.bits > 128) return false;
    }
    if (!ParseIpv6Address(item.substr(0, slash), &prefix.address)) return false;
    parsed.ipv6.push_back(prefix);
  }
  *proxies = std::move(parsed);
  return true;
}

std::string_view AddressOfItem(std::string_view item) {
  while (!item.empty() && IsBlank(item.front())) item.remove_prefix(1);
  while (!item.empty() && IsBlank(item.back())) item.remove_suffix(1);
  if (item.starts_with('[')) {
    const std::size_t close = item.find(']');
    // "[address]" or "[address]:port"; anything else is no address.
    if (close == std::string_view::npos ||
        (close + 1 != item.size() && item[close + 1] != ':')) {
      return {};
    }
    return item.substr(1, close - 1);
  }
  // One colon: an IPv4 address and its port. More: IPv6 without a port.
  const std::size_t colon = item.find(':');
  if (colon != std::string_view::npos && item.find(':', colon + 1) == std::string_view::npos) {
    return item.substr(0, colon);
  }
  return item;
}

std::string_view RealClient(std::string_view forwarded, const TrustedProxies& trusted) {
  std::string_view leftmost;
  std::size_t end = forwarded.size();
  while (true) {
    const std::size_t comma =
        end == 0 ? std::string_view::npos : forwarded.rfind(',', end - 1);
    const std::size_t start = comma == std::string_view::npos ? 0 : comma + 1;
    const std::string_view item = forwarded.substr(start, end - start);
    // Empty items ("a,,b", a blank between commas) are no items.
    if (item.find_first_not_of(" \t+") != std::string_view::npos) {
      const std::string_view address = AddressOfItem(item);
      switch (Classify(address, trusted)) {
        case Item::kNone:
          return {};
        case Item::kClient:
          return address;
        case Item::kTrusted:
          leftmost = address;
          break;
      }
    }
    if (comma == std::string_view::npos) break;
    end = comma;
  }
  return leftmost;
}

bool IsClientField(std::string_view name, std::string_view wanted) {
  auto bare = [](std::string_view field) {
    if (field.size() > 4 && EqualFolded(field.substr(0, 3), "cs(") && field.back() == ')') {
      return field.substr(3, field.size() - 4);
    }
    return field;
  };
  return EqualFolded(bare(name), bare(wanted));
}
