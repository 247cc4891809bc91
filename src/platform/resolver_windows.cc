#include "platform/resolver.h"

#include <cstring>

#include <winsock.h>

#include "bytes/ip_address.h"

namespace {

// The official name of the host entry, copied at once (the entry belongs to
// the calling thread's sockets state); never the address's digits.
std::optional<std::string> NameOf(const void* address, int size, int family) {
  const hostent* entry = gethostbyaddr(static_cast<const char*>(address), size, family);
  if (entry == nullptr || entry->h_name == nullptr) return std::nullopt;
  std::string name(entry->h_name);
  IpAddress numbers;
  Ipv6Bytes bytes;
  const bool digits = name.find_first_not_of("0123456789.") == std::string::npos &&
                      ScanIpAddress(name, &numbers) == 4;
  if (name.empty() || digits || ParseIpv6Address(name, &bytes)) return std::nullopt;
  return name;
}

}  // namespace

int SystemResolver::StartUp(std::uint16_t requested, std::uint16_t* granted) {
  WSADATA data;
  const int status = WSAStartup(requested, &data);
  if (status == 0) *granted = data.wVersion;
  return status;
}

void SystemResolver::CleanUp() { WSACleanup(); }

std::optional<std::string> SystemResolver::NameOfIPv4(
    const std::array<std::uint8_t, 4>& address) {
  return NameOf(address.data(), 4, AF_INET);
}

std::optional<std::string> SystemResolver::NameOfIPv6(
    const std::array<std::uint8_t, 16>& address) {
  // AF_INET6 (23) is not in the 1.1 headers; gethostbyaddr takes it all
  // the same.
  constexpr int kInet6 = 23;
  return NameOf(address.data(), 16, kInet6);
}
