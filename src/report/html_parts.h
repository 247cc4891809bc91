// What the web page's sections share: log texts as HTML, printf into a
// string, and numbers in the page's language.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "report/html_numbers.h"
#include "html_texts.h"

/// A text of the model, whose bytes are the log's, as HTML text.
std::string Escaped(std::string_view text);

/// printf into a string, for the texts with "%s" and "%d".
template <typename... Args>
std::string Format(const char* format, Args... args) {
  if constexpr (sizeof...(Args) == 0) {
    return format;
  } else {
    const int size = std::snprintf(nullptr, 0, format, args...);
    std::string text(size > 0 ? static_cast<std::size_t>(size) : 0, '\0');
    std::snprintf(text.data(), text.size() + 1, format, args...);
    return text;
  }
}

inline NumberStyle NumberStyleOf(const texts::HtmlTexts& text) {
  return {text.thousands, text.decimal[0]};
}

/// A cell of a count, right-aligned, its digits grouped.
std::string CountCell(std::int64_t n, const NumberStyle& style);

/// A cell of a byte count in units, the exact count on pointing at it.
std::string BytesCell(std::uint64_t bytes, const NumberStyle& style);

/// A cell of `part` as a percentage of `whole`, one decimal, without the
/// sign (the column's heading is "%"); empty when `whole` is 0.
std::string ShareCell(std::int64_t part, std::int64_t whole, const NumberStyle& style);

/// A date as ISO 8601 writes it, "2001-03-20".
std::string IsoDate(int year, int month, int day);
