#include "intake/decimal.h"

#include <limits>

bool ScanDecimal(std::string_view text, std::size_t* pos, std::int32_t* value) {
  std::size_t i = *pos;
  while (i < text.size() && IsCSpace(static_cast<unsigned char>(text[i]))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  if (i >= text.size() || text[i] < '0' || text[i] > '9') return false;

  // Accumulate towards the sign's limit, stopping there.
  constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
  const std::int64_t limit = negative ? kMax + 1 : kMax;
  std::int64_t magnitude = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (magnitude < limit) {
      magnitude = magnitude * 10 + (text[i] - '0');
      if (magnitude > limit) magnitude = limit;
    }
  }
  *value = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
  *pos = i;
  return true;
}

std::int32_t ReadDecimal(std::string_view text) {
  std::size_t pos = 0;
  std::int32_t value = 0;
  return ScanDecimal(text, &pos, &value) ? value : 0;
}
