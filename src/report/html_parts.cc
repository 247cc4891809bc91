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

std::string IsoDate(int year, int month, int day) {
  char text[32];
  std::snprintf(text, sizeof(text), "%04d-%02d-%02d", year, month, day);
  return text;
}
