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
std::int32_t ReadDecimal(std::string_view text);
