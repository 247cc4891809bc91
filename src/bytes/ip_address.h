// A client or server address read as four dotted decimal numbers, the way
// the address masks and the reverse lookup see it.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

/// An address read as "%d.%d.%d.%d": the octets not reached stay 0.
using IpAddress = std::array<std::int32_t, 4>;

/// Reads an address text the way the mask filters see it.
IpAddress ReadIpAddress(std::string_view text);

/// The same reading, telling how many of the four numbers were read.
int ScanIpAddress(std::string_view text, IpAddress* address);

/// The four bytes of an IPv4 address, in network order.
using Ipv4Bytes = std::array<std::uint8_t, 4>;

/// Reads the whole of `text` as an IPv4 address: four decimal numbers up
/// to 255 joined by points, none with a leading zero. False for anything
/// else.
bool ParseIpv4Address(std::string_view text, Ipv4Bytes* address);

/// The sixteen bytes of an IPv6 address, in network order.
using Ipv6Bytes = std::array<std::uint8_t, 16>;

/// Reads the whole of `text` as an IPv6 address in its text form: up to
/// eight groups of one to four hex digits, one "::" for a run of zero
/// groups, and the last 32 bits as a dotted quad if so written. False for
/// anything else (a zone suffix included).
bool ParseIpv6Address(std::string_view text, Ipv6Bytes* address);
