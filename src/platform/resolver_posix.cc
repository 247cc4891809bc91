#include "platform/resolver.h"

#include <cstring>

#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace {

std::optional<std::string> NameOf(const sockaddr* address, socklen_t size) {
  char host[NI_MAXHOST];
  // NI_NAMEREQD: an address without a name is a failure, never its digits.
  if (getnameinfo(address, size, host, sizeof(host), nullptr, 0, NI_NAMEREQD) != 0) {
    return std::nullopt;
  }
  return std::string(host);
}

}  // namespace

std::optional<std::string> SystemResolver::NameOfIPv4(
    const std::array<std::uint8_t, 4>& address) {
  sockaddr_in in{};
  in.sin_family = AF_INET;
  std::memcpy(&in.sin_addr, address.data(), address.size());
  return NameOf(reinterpret_cast<const sockaddr*>(&in), sizeof(in));
}

std::optional<std::string> SystemResolver::NameOfIPv6(
    const std::array<std::uint8_t, 16>& address) {
  sockaddr_in6 in6{};
  in6.sin6_family = AF_INET6;
  std::memcpy(&in6.sin6_addr, address.data(), address.size());
  return NameOf(reinterpret_cast<const sockaddr*>(&in6), sizeof(in6));
}
