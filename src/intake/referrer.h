// The parts of a referring URL that the referrer panels count, and whether
// a referrer is the site's own.
#pragma once

#include <string_view>
#include <vector>

struct ReferrerParts {
  std::string_view host;  // without user, port or brackets' port; empty: no URL
  std::string_view page;  // the URL up to its query or fragment
};

/// "https://user@www.Example.com:8080/a/b?q=1#x" gives the host
/// "www.Example.com" and the page "https://user@www.Example.com:8080/a/b".
/// A text that is not an absolute URL with a host ("-", "/local", junk)
/// gives an empty host.
ReferrerParts SplitReferrer(std::string_view url);

/// A host name as cs-host or --own-host writes it, without its port.
std::string_view HostWithoutPort(std::string_view host);

/// True when `a` and `b` name the same host: ASCII case ignored, a leading
/// "www." of either ignored, ports ignored.
bool SameHost(std::string_view a, std::string_view b);

/// True when `host` (a referrer's) is the line's own (`line_host`, its
/// cs-host, empty when unknown) or one of `own_hosts`.
bool IsOwnHost(std::string_view host, std::string_view line_host,
               const std::vector<std::string_view>& own_hosts);
