// A text from a log line or a file name as a C string, for the messages and
// the report that print one. The text ends at its first NUL byte, as a C
// string would. Shown on a terminal, its control bytes (0x00 to 0x1F and
// 0x7F) are written as \xHH, so that no log can move the cursor or clear,
// retitle or recolour the terminal; into files and pipes the bytes stay as
// they are.
#pragma once

#include <string>
#include <string_view>

class FieldText {
 public:
  /// `escape`: the text goes to a terminal. `keep_line_end`: a line feed
  /// that ends the text is the end of an echoed line, and stays.
  explicit FieldText(std::string_view field, bool escape = false, bool keep_line_end = false);
  FieldText(const FieldText&) = delete;
  FieldText& operator=(const FieldText&) = delete;

  const char* text;  // in this object

 private:
  char small_[256];
  std::string large_;
};
