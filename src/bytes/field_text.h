// A text from a log line, a file name, a host name or an option value as a C
// string, for the messages and the report that print one. The text ends at
// its first NUL byte, as a C string would. Shown on a terminal, its control
// characters are written as \xHH, a byte at a time, so that no log can move
// the cursor or clear, retitle or recolour the terminal; into files and
// pipes the bytes stay as they are.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

/// Where a text is shown, which decides what is escaped.
enum class TextEscape : std::uint8_t {
  /// A file or a pipe: the bytes as they are.
  kNone,
  /// A terminal whose character set is not UTF-8: the bytes 0x00-0x1F,
  /// 0x7F and 0x80-0x9F (the C1 controls of the ISO 8859 sets).
  kTerminal,
  /// A UTF-8 terminal: the bytes 0x00-0x1F and 0x7F, the characters
  /// U+0080-U+009F (C2 80 to C2 9F), and any byte 0x80-0x9F that is no
  /// part of a well-formed character, lest the terminal read it alone.
  kUtf8Terminal,
};

class FieldText {
 public:
  /// `escape`: where the text is shown. `keep_line_end`: a line feed that
  /// ends the text is the end of an echoed line, and stays.
  explicit FieldText(std::string_view field, TextEscape escape = TextEscape::kNone,
                     bool keep_line_end = false);
  FieldText(const FieldText&) = delete;
  FieldText& operator=(const FieldText&) = delete;

  const char* text;  // in this object

 private:
  char small_[256];
  std::string large_;
};
