#include "bytes/ip_address.h"

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
