#include "bytes/field_text.h"

namespace {

bool IsC0(unsigned char byte) { return byte < 0x20 || byte == 0x7F; }
bool IsC1Byte(unsigned char byte) { return byte >= 0x80 && byte <= 0x9F; }
bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The bytes of the UTF-8 character that begins at `p`, or 0 when no
// well-formed one does (the lead byte is a continuation byte, out of range,
// or too few continuation bytes follow).
std::size_t Utf8Length(const unsigned char* p, const unsigned char* end) {
  const unsigned char lead = *p;
  std::size_t length = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
  } else {
    return 0;
  }
  if (static_cast<std::size_t>(end - p) < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if (!IsContinuation(p[i])) return 0;
  }
  return length;
}

char* Escaped(unsigned char byte, char* p) {
  constexpr char kHex[] = "0123456789ABCDEF";
  *p++ = '\\';
  *p++ = 'x';
  *p++ = kHex[byte >> 4];
  *p++ = kHex[byte & 0xF];
  return p;
}

}  // namespace

FieldText::FieldText(std::string_view field, TextEscape escape, bool keep_line_end) {
  field = field.substr(0, field.find('\0'));
  const bool escaping = escape != TextEscape::kNone;
  const bool line_end = escaping && keep_line_end && field.ends_with('\n');
  if (line_end) field.remove_suffix(1);

  // An escaped byte takes four.
  const std::size_t need = (escaping ? 4 * field.size() : field.size()) + 2;
  char* out = small_;
  if (need > sizeof(small_)) {
    large_.resize(need);
    out = large_.data();
  }
  char* p = out;
  const auto* in = reinterpret_cast<const unsigned char*>(field.data());
  const unsigned char* const end = in + field.size();
  while (in < end) {
    const unsigned char byte = *in;
    std::size_t length = 1;
    bool control = false;
    if (escape == TextEscape::kUtf8Terminal && byte >= 0x80) {
      // Whole characters: U+0080-U+009F is C2 80 to C2 9F.
      length = Utf8Length(in, end);
      control = length == 0 ? IsC1Byte(byte) : byte == 0xC2 && IsC1Byte(in[1]);
      if (length == 0) length = 1;
    } else if (escape != TextEscape::kNone) {
      control = IsC0(byte) || IsC1Byte(byte);
    }
    for (; length > 0; --length, ++in) {
      if (control) {
        p = Escaped(*in, p);
      } else {
        *p++ = static_cast<char>(*in);
      }
    }
  }
  if (line_end) *p++ = '\n';
  *p = '\0';
  text = out;
}
