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
