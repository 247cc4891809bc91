// Numbers as the web page writes them for a person: digits in groups of
// three, byte counts in binary units, and the round steps of a chart's
// scale.
#pragma once

#include <cstdint>
#include <string>

/// How a language writes numbers: what goes between groups of three digits
/// (HTML) and the decimal mark.
struct NumberStyle {
  const char* thousands = ",";
  char decimal = '.';
};

/// 92446 as "92,446"; negative numbers with their sign.
std::string GroupedNumber(std::int64_t n, const NumberStyle& style);
std::string GroupedNumber(std::uint64_t n, const NumberStyle& style);

/// A byte count in the largest binary unit that leaves at least 1 of it,
/// one decimal below 100 of the unit, none above: "512 B", "7.3 GiB",
/// "118 MiB".
std::string ByteSize(std::uint64_t bytes, const NumberStyle& style);

/// The scale of a chart whose largest value is `largest`: grid lines every
/// `step` from 0 to `top`, which is the least multiple of the step not
/// below the largest value (and at least one step). The step is 1, 2 or 5
/// times a power of ten, the least that leaves at most five intervals.
struct ChartScale {
  std::int64_t step = 1;
  std::int64_t top = 1;
};
ChartScale ScaleFor(std::int64_t largest);
