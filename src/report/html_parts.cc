#include "report/html_parts.h"

#include "bytes/utf8.h"
#include "report/html_report.h"

std::string Escaped(std::string_view text) {
  std::string out;
  AppendHtmlText(&out, TextAsUtf8(text));
  return out;
}

std::string CountCell(std::int64_t n, const NumberStyle& style) {
  return "<td class=\"n\">" + GroupedNumber(n, style) + "</td>";
}

std::string BytesCell(std::uint64_t bytes, const NumberStyle& style) {
  return "<td class=\"n\" title=\"" + GroupedNumber(bytes, style) + " B\">" +
         ByteSize(bytes, style) + "</td>";
}

std::string ShareCell(std::int64_t part, std::int64_t whole, const NumberStyle& style) {
  if (whole == 0) return "<td class=\"n\"></td>";
  std::string share = Format("%.1f", 100.0 * static_cast<double>(part) / static_cast<double>(whole));
  for (char& c : share) {
    // cppcheck-suppress useStlAlgorithm ; one character replaced in place
    if (c == '.') c = style.decimal;
  }
  return "<td class=\"n\">" + share + "</td>";
}

std::string IsoDate(int year, int month, int day) {
  char text[32];
  std::snprintf(text, sizeof(text), "%04d-%02d-%02d", year, month, day);
  return text;
}
