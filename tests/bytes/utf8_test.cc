#include "bytes/utf8.h"

#include <gtest/gtest.h>

namespace {

TEST(Utf8Test, Validity) {
  struct Case {
    std::string_view text;
    bool valid;
  };
  using namespace std::string_view_literals;
  const Case cases[] = {
      {""sv, true},
      {"plain /index.htm"sv, true},
      {"caf\xC3\xA9"sv, true},
      {"\xE2\x82\xAC \xF0\x9F\x98\x80"sv, true},  // euro sign, an emoji
      {"\x01\x7F"sv, true},                     // controls are valid UTF-8
      {"caf\xE9"sv, false},                     // Windows-1252 e acute
      {"\xC3"sv, false},                        // cut short
      {"\xC0\xAF"sv, false},                    // overlong "/"
      {"\xE0\x80\xAF"sv, false},                // overlong, three bytes
      {"\xED\xA0\x80"sv, false},                // a surrogate
      {"\xF4\x90\x80\x80"sv, false},            // past U+10FFFF
      {"\xF5\x80\x80\x80"sv, false},
      {"\x80"sv, false},                        // a stray continuation byte
      {"\xE2\x82x"sv, false},
  };
  for (const Case& c : cases) EXPECT_EQ(c.valid, IsValidUtf8(c.text)) << c.text;
}

// A text that is not UTF-8 is read as Windows-1252, all of it; the five
// unassigned bytes become the control characters of their value.
TEST(Utf8Test, Windows1252) {
  EXPECT_EQ("caf\xC3\xA9", TextAsUtf8("caf\xC3\xA9"));
  EXPECT_EQ("caf\xC3\xA9 \xC3\x83\xC2\xA9", TextAsUtf8("caf\xE9 \xC3\xA9"));
  EXPECT_EQ("\xE2\x82\xAC\xC2\x81\xE2\x80\x9C\xC5\xB8\xC3\xBF", TextAsUtf8("\x80\x81\x93\x9F\xFF"));
  EXPECT_EQ("Bes\xC3\xB8k", TextAsUtf8("Bes\xF8k"));
}

}  // namespace
