// Decimal number reading shared by the command line, the line reader, the
// address masks and the date parser. Every reading saturates at the signed
// 32-bit limits instead of overflowing.
#pragma once

#include <cstdint>
#include <string_view>

// True for the bytes the C library's isspace() accepts in the "C" locale:
// blank, tab, line feed, vertical tab, form feed and carriage return.
inline bool IsCSpace(unsigned char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

// Reads one number as the "%d" conversion of formatted input does: skips
// white space, takes an optional sign and then at least one digit. On success
// stores the value, moves `pos` past the digits and returns true; with no
// digit it returns false and leaves `pos` and `value` alone.
bool ScanDecimal(std::string_view text, std::size_t* pos, std::int32_t* value);

// Reads a number as atoi() does: like ScanDecimal from the start of `text`,
// but a text without digits gives 0.
std::int32_t ReadDecimalSlowly(std::string_view text);

// The digits that begin `text`, read when the text has 1 to `longest` bytes
// (so few that `Number` cannot overflow) and begins with a digit; false for
// any other text, which the caller reads its own slower way. The short road
// of the readers of every line's numbers.
template <typename Number>
inline bool ReadShortDigits(std::string_view text, std::size_t longest, Number* value) {
  if (text.size() - 1 >= longest) return false;
  Number number = 0;
  std::size_t i = 0;
  for (; i < text.size(); ++i) {
    const unsigned digit = static_cast<unsigned char>(text[i]) - unsigned{'0'};
    if (digit > 9) break;
    number = number * 10 + static_cast<Number>(digit);
  }
  if (i == 0) return false;
  *value = number;
  return true;
}

// The same; a text that begins with a digit and is at most nine bytes long
// (a log's byte counts) is read in place.
inline std::int32_t ReadDecimal(std::string_view text) {
  std::int32_t value;
  return ReadShortDigits(text, 9, &value) ? value : ReadDecimalSlowly(text);
}
