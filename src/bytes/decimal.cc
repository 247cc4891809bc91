#include "bytes/decimal.h"

#include <limits>

bool ScanDecimal(std::string_view text, std::size_t* pos, std::int32_t* value) {
  const char* p = text.data() + *pos;
  const char* const end = text.data() + text.size();
  while (p < end && IsCSpace(static_cast<unsigned char>(*p))) ++p;
  bool negative = false;
  if (p < end && (*p == '+' || *p == '-')) {
    negative = *p == '-';
    ++p;
  }
  if (p == end || static_cast<unsigned char>(*p - '0') > 9) return false;

  // Past ten digits the value only stays beyond the limit; stop growing it
  // there so that it cannot wrap.
  std::uint64_t magnitude = 0;
  for (; p < end && static_cast<unsigned char>(*p - '0') <= 9; ++p) {
    if (magnitude < 10'000'000'000ULL) magnitude = magnitude * 10 + (*p - '0');
  }
  constexpr std::uint64_t kMax = std::numeric_limits<std::int32_t>::max();
  const std::uint64_t limit = negative ? kMax + 1 : kMax;
  if (magnitude > limit) magnitude = limit;
  *value = negative ? static_cast<std::int32_t>(-static_cast<std::int64_t>(magnitude))
                    : static_cast<std::int32_t>(magnitude);
  *pos = static_cast<std::size_t>(p - text.data());
  return true;
}

std::int32_t ReadDecimalSlowly(std::string_view text) {
  std::size_t pos = 0;
  std::int32_t value = 0;
  return ScanDecimal(text, &pos, &value) ? value : 0;
}
