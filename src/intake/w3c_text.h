// What the W3C format's directive reader and its line splitters share: the
// slots they read, what a slot the header does not name reads as, and the
// separators and end of a line's text.
#pragma once

#include <array>
#include <cstring>
#include <string_view>

#include "intake/log_line.h"

namespace w3c_text {

using namespace std::string_view_literals;

// The slots the filter chain and the statistics read.
inline constexpr int kReadSlots[] = {kClientIp, kDate,        kTime,   kService,
                              kServerIp, kServerBytes, kMethod, kTarget};

// What a line reads for a read slot its header does not name; absent for
// the client address and the target, which nothing can stand for. A log
// without a site field is one web site's; without the bytes field a hit
// sends 0 bytes; without the method every line is a GET; without the time
// a hit is at midnight, as an unreadable time reads. An empty server
// address passes unless -s is given, and then matches no mask. The date
// comes from the "#Date:" directive instead.
inline constexpr std::array<std::string_view, kFieldCount> kUnnamedText = [] {
  std::array<std::string_view, kFieldCount> text{};
  text[kService] = "W3SVC"sv;
  text[kServerBytes] = "0"sv;
  text[kMethod] = "GET"sv;
  text[kTime] = "0:00:00"sv;
  text[kServerIp] = ""sv;
  return text;
}();

// Blanks between fields and names. A line feed can only end a line, so it
// ends the last field there; the carriage return before it is gone already,
// and any other is part of its field.
inline bool IsSeparator(char c) { return c == ' ' || c == '\t' || c == '\n'; }

// A UTF-8 byte order mark may begin any line: the first of a file, and the
// first of each file that cat joined to it. It is no part of the line.
inline constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

inline std::string_view WithoutByteOrderMark(std::string_view line) {
  if (line.starts_with(kByteOrderMark)) line.remove_prefix(kByteOrderMark.size());
  return line;
}

// The text of a line ends at its first NUL byte, if it has one.
inline std::string_view BeforeNul(std::string_view line) {
  if (const void* nul = std::memchr(line.data(), '\0', line.size())) {
    line = line.substr(0, static_cast<const char*>(nul) - line.data());
  }
  return line;
}

}  // namespace w3c_text
