#include "report/reverse_lookup.h"

#include <arpa/inet.h>

#include <optional>
#include <string>

#include "bytes/ip_address.h"
#include "platform/resolver.h"
#include "options.h"
#include "stats/records.h"
#include "texts.h"

namespace {

// The name service version asked for: 1.1, major version in the low byte.
constexpr std::uint16_t kRequestedVersion = 0x0101;

// An address that begins with four dotted numbers is looked up by their
// low bytes; a valid IPv6 text as that address; anything else not at all.
std::optional<std::string> LookUp(Resolver* resolver, const char* address) {
  IpAddress numbers;
  if (ScanIpAddress(address, &numbers) == 4) {
    std::array<std::uint8_t, 4> bytes;
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<std::uint8_t>(numbers[i] & 0xFF);
    return resolver->NameOfIPv4(bytes);
  }
  std::array<std::uint8_t, 16> bytes6;
  if (::inet_pton(AF_INET6, address, bytes6.data()) == 1) {
    return resolver->NameOfIPv6(bytes6);
  }
  return std::nullopt;
}

}  // namespace

void ResolveTopUsers(const Options& options, Statistics* stats,
                     Resolver* resolver, std::FILE* diag) {
  std::uint16_t granted = 0;
  if (resolver->StartUp(kRequestedVersion, &granted) != 0) {
    if (options.Verbose) std::fprintf(diag, texts::kResolverUnavailable, options.ProgramName);
    return;
  }
  const int major = granted & 0xFF;
  const int minor = granted >> 8;
  if (major != 1 || minor != major) {
    if (options.Verbose) std::fprintf(diag, texts::kResolverUnavailable, options.ProgramName);
    resolver->CleanUp();
    return;
  }

  if (options.Verbose) std::fprintf(diag, texts::kLookupStart, options.NumUsersToShow);
  std::int64_t row = 1;
  for (RecordIndex i = stats->UserList; i != kNoRecord && row <= options.NumUsersToShow;
       i = stats->users[i].Next, ++row) {
    UserRecord& user = stats->users[i];
    if (options.Verbose) std::fprintf(diag, texts::kLookingUp, user.Address);
    if (std::optional<std::string> name = LookUp(resolver, user.Address)) {
      user.HostName = stats->texts.Copy(*name);
    }
    if (options.Verbose) {
      std::fputs(user.HostName != nullptr ? user.HostName : texts::kUnresolved, diag);
      std::fputc('\n', diag);
    }
  }
  resolver->CleanUp();
}
