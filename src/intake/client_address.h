// The real client behind proxies and load balancers: the right-most address
// of a forwarded-for field (X-Forwarded-For, say) that no trusted proxy
// covers. Owns nothing; the address found is a view into the field.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "bytes/ip_address.h"
#include "intake/ip_mask.h"

/// An IPv6 address and how many of its leading bits a proxy must share.
struct Ipv6Prefix {
  Ipv6Bytes address{};
  int bits = 128;
};

/// The --trusted-proxy list: IPv4 masks as -e and -s write them, IPv6
/// addresses with an optional "/bits".
struct TrustedProxies {
  IpMaskList ipv4;
  std::vector<Ipv6Prefix> ipv6;

  /// "10-10 0-0 0-0 0-255; 2001:db8::/32" style dump (IPv6 as 32 hex
  /// digits), for tests.
  std::string ToString() const;
};

/// Reads a comma list of proxy masks (empty items skipped); false when any
/// item is neither an IPv4 mask nor an IPv6 address or prefix.
bool ParseTrustedProxies(std::string_view list, TrustedProxies* proxies);

/// One item of a forwarded-for list without what surrounds the address:
/// blanks and the "+" that W3C logs write for them, the brackets of an
/// IPv6 address and a port ("1.2.3.4:5678", "[2001:db8::1]:443").
std::string_view AddressOfItem(std::string_view item);

/// The client address a forwarded-for value names: walking from its right
/// end, the first address no trusted proxy covers; the left-most address
/// when all are trusted. Empty when the value holds no address, or when the
/// walk meets an item that is no IPv4 or IPv6 address: then the connection's
/// own address stands. Linear in the value's length.
std::string_view RealClient(std::string_view forwarded, const TrustedProxies& trusted);

/// True when a forwarded-for field called `wanted` (from --client) is the
/// field `name` of a W3C header: ASCII case ignored, and "cs(NAME)", IIS's
/// name for a request header, the same as NAME.
bool IsClientField(std::string_view name, std::string_view wanted);
