#include "report/html_numbers.h"

#include <cstdio>

std::string GroupedNumber(std::uint64_t n, const NumberStyle& style) {
  const std::string digits = std::to_string(n);
  std::string out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i != 0 && (digits.size() - i) % 3 == 0) out += style.thousands;
    out += digits[i];
  }
  return out;
}

std::string GroupedNumber(std::int64_t n, const NumberStyle& style) {
  if (n >= 0) return GroupedNumber(static_cast<std::uint64_t>(n), style);
  // The magnitude of INT64_MIN is not an int64_t.
  std::string text = "-";
  text += GroupedNumber(0 - static_cast<std::uint64_t>(n), style);
  return text;
}

std::string ByteSize(std::uint64_t bytes, const NumberStyle& style) {
  static constexpr const char* kUnits[] = {"B", "KiB", "MiB", "GiB", "TiB", "PiB", "EiB"};
  if (bytes < 1024) return std::to_string(bytes) + " B";
  double value = static_cast<double>(bytes);
  int unit = 0;
  while (value >= 1024 && unit + 1 < static_cast<int>(std::size(kUnits))) {
    value /= 1024;
    ++unit;
  }
  char text[32];
  // Rounding may reach the next unit's 1024: "1024 KiB" reads as "1.0 MiB".
  if (value < 99.95) {
    std::snprintf(text, sizeof(text), "%.1f", value);
  } else if (value < 1023.5 || unit + 1 == static_cast<int>(std::size(kUnits))) {
    std::snprintf(text, sizeof(text), "%.0f", value);
  } else {
    std::snprintf(text, sizeof(text), "1.0");
    ++unit;
  }
  std::string out = text;
  for (char& c : out) {
    // cppcheck-suppress useStlAlgorithm ; one character replaced in place
    if (c == '.') c = style.decimal;
  }
  return out + " " + kUnits[unit];
}

ChartScale ScaleFor(std::int64_t largest) {
  constexpr std::int64_t kMostIntervals = 5;
  // Past 10^18 (no count of this program's gets there) the top is the
  // value itself, so that no step times five leaves 64 bits.
  constexpr std::int64_t kLargestRounded = 1'000'000'000'000'000'000;
  if (largest > kLargestRounded) return {largest, largest};
  if (largest < 1) largest = 1;
  for (std::int64_t power = 1;; power *= 10) {
    for (std::int64_t times : {1, 2, 5}) {
      const std::int64_t step = times * power;
      const std::int64_t intervals = largest / step + (largest % step != 0 ? 1 : 0);
      if (intervals <= kMostIntervals) return {step, intervals * step};
    }
  }
}
