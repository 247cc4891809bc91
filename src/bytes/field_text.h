// A field of a log line as a C string, for the messages that print one.
// Fields lie within one line piece, so they are shorter than 2048 bytes.
#pragma once

#include <cstring>
#include <string_view>

struct FieldText {
  explicit FieldText(std::string_view field) {
    std::size_t size = field.size() < sizeof(text) ? field.size() : sizeof(text) - 1;
    std::memcpy(text, field.data(), size);
    text[size] = '\0';
  }
  char text[2048];
};
