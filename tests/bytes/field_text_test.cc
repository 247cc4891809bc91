#include "bytes/field_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::string_literals;

constexpr TextEscape kNone = TextEscape::kNone;
constexpr TextEscape kTerminal = TextEscape::kTerminal;
constexpr TextEscape kUtf8 = TextEscape::kUtf8Terminal;

TEST(FieldTextTest, ControlBytesEscapedOnlyForATerminal) {
  struct Case {
    std::string text;
    TextEscape escape;
    bool keep_line_end;
    std::string shown;
  };
  const Case cases[] = {
      // Into files and pipes the bytes stay, up to the first NUL.
      {"/a\x1B[2J\x07.htm", kNone, false, "/a\x1B[2J\x07.htm"},
      {"/a\xC2\x9B" "2J\x9B.htm", kNone, false, "/a\xC2\x9B" "2J\x9B.htm"},
      {"ab\0\x1B"s, kNone, false, "ab"},
      {"a\nb\n", kNone, true, "a\nb\n"},
      // On a terminal: 0x00-0x1F and 0x7F as \xHH, printable bytes as they are.
      {"/a\x1B]0;owned\x07.htm", kTerminal, false, "/a\\x1B]0;owned\\x07.htm"},
      {"\r\t\x7F\xA0\xC5 ~", kTerminal, false, "\\x0D\\x09\\x7F\xA0\xC5 ~"},
      {"\r\x7F", kUtf8, false, "\\x0D\\x7F"},
      {"ab\0\x1B"s, kTerminal, false, "ab"},
      // Not UTF-8: every byte 0x80-0x9F is a C1 control, 0xA0 and up print.
      {"\x7F\x80\x9B\x9F\xA0\xFF", kTerminal, false, "\\x7F\\x80\\x9B\\x9F\xA0\xFF"},
      {"\xC2\x9B" "2J", kTerminal, false, "\xC2\\x9B" "2J"},
      // UTF-8: U+0080-U+009F (C2 80 to C2 9F) escaped whole; other
      // characters whose bytes hold 0x80-0x9F print.
      {"/a\xC2\x9B" "2J", kUtf8, false, "/a\\xC2\\x9B" "2J"},
      {"\xC2\x80\xC2\x9F\xC2\xA0\xC2\x7F", kUtf8, false, "\\xC2\\x80\\xC2\\x9F\xC2\xA0\xC2\\x7F"},
      {"\xC3\x9B\xE2\x82\xAC\xF0\x9F\x98\x80", kUtf8, false, "\xC3\x9B\xE2\x82\xAC\xF0\x9F\x98\x80"},
      // ... but a byte 0x80-0x9F outside a well-formed character does not.
      {"\x9B" "2J\xE2\x82", kUtf8, false, "\\x9B" "2J\xE2\\x82"},
      {"\xC2", kUtf8, false, "\xC2"},
      {"\xC1\x9B\xFF", kUtf8, false, "\xC1\\x9B\xFF"},
      // The line feed that ends an echoed line is the line's end.
      {"a\nb\n", kTerminal, false, "a\\x0Ab\\x0A"},
      {"a\nb\n", kUtf8, true, "a\\x0Ab\n"},
      {std::string(300, '\x1B'), kNone, false, std::string(300, '\x1B')},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.shown, FieldText(c.text, c.escape, c.keep_line_end).text) << c.shown;
  }

  // The longest escape: four bytes for each, past the inline buffer.
  std::string many;
  for (int i = 0; i < 300; ++i) many += "\\x9B";
  EXPECT_EQ(many, FieldText(std::string(300, '\x9B'), kTerminal).text);
  EXPECT_EQ(many, FieldText(std::string(300, '\x9B'), kUtf8).text);
}

}  // namespace
