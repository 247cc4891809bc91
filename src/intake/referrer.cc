#include "intake/referrer.h"

#include <algorithm>

#include "bytes/hash.h"

namespace {

bool IsSchemeByte(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         c == '+' || c == '-' || c == '.';
}

std::string_view WithoutWww(std::string_view host) {
  if (host.size() > 4 && EqualFolded(host.substr(0, 4), "www.")) host.remove_prefix(4);
  return host;
}

}  // namespace

ReferrerParts SplitReferrer(std::string_view url) {
  ReferrerParts parts;
  const std::size_t colon = url.find("://");
  if (colon == std::string_view::npos || colon == 0 ||
      !std::all_of(url.begin(), url.begin() + static_cast<std::ptrdiff_t>(colon), IsSchemeByte)) {
    return parts;
  }
  const std::size_t authority = colon + 3;
  const std::size_t end = url.find_first_of("/?#", authority);
  std::string_view host = url.substr(authority, end == std::string_view::npos ? url.npos : end - authority);
  const std::size_t at = host.rfind('@');
  if (at != std::string_view::npos) host.remove_prefix(at + 1);
  host = HostWithoutPort(host);
  if (host.empty()) return parts;
  parts.host = host;
  parts.page = url.substr(0, url.find_first_of("?#", authority));
  return parts;
}

std::string_view HostWithoutPort(std::string_view host) {
  if (host.starts_with('[')) {
    const std::size_t close = host.find(']');
    return close == std::string_view::npos ? host : host.substr(0, close + 1);
  }
  const std::size_t colon = host.rfind(':');
  // More than one colon: an address without brackets, not a port.
  if (colon != std::string_view::npos && host.find(':') == colon) host = host.substr(0, colon);
  return host;
}

bool SameHost(std::string_view a, std::string_view b) {
  return EqualFolded(WithoutWww(HostWithoutPort(a)), WithoutWww(HostWithoutPort(b)));
}

bool IsOwnHost(std::string_view host, std::string_view line_host,
               const std::vector<std::string_view>& own_hosts) {
  if (!line_host.empty() && SameHost(host, line_host)) return true;
  return std::any_of(own_hosts.begin(), own_hosts.end(),
                     [&](std::string_view own) { return SameHost(host, own); });
}
