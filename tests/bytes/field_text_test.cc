#include "bytes/field_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::string_literals;

TEST(FieldTextTest, ControlBytesEscapedOnlyForATerminal) {
  struct Case {
    std::string text;
    bool escape;
    bool keep_line_end;
    std::string shown;
  };
  const Case cases[] = {
      // Into files and pipes the bytes stay, up to the first NUL.
      {"/a\x1B[2J\x07.htm", false, false, "/a\x1B[2J\x07.htm"},
      {"ab\0\x1B"s, false, false, "ab"},
      {"a\nb\n", false, true, "a\nb\n"},
      // On a terminal: 0x00-0x1F and 0x7F as \xHH, other bytes as they are.
      {"/a\x1B]0;owned\x07.htm", true, false, "/a\\x1B]0;owned\\x07.htm"},
      {"\r\t\x7F\x80\xC5 ~", true, false, "\\x0D\\x09\\x7F\x80\xC5 ~"},
      {"ab\0\x1B"s, true, false, "ab"},
      // The line feed that ends an echoed line is the line's end.
      {"a\nb\n", true, false, "a\\x0Ab\\x0A"},
      {"a\nb\n", true, true, "a\\x0Ab\n"},
      {std::string(300, '\x1B'), false, false, std::string(300, '\x1B')},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.shown, FieldText(c.text, c.escape, c.keep_line_end).text) << c.shown;
  }

  std::string many;
  for (int i = 0; i < 300; ++i) many += "\\x1B";
  EXPECT_EQ(many, FieldText(std::string(300, '\x1B'), true).text);
}

}  // namespace
