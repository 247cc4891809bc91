#include "bytes/field_text.h"

FieldText::FieldText(std::string_view field, bool escape, bool keep_line_end) {
  field = field.substr(0, field.find('\0'));
  const bool line_end = escape && keep_line_end && field.ends_with('\n');
  if (line_end) field.remove_suffix(1);

  // An escaped byte takes four.
  const std::size_t need = (escape ? 4 * field.size() : field.size()) + 2;
  char* out = small_;
  if (need > sizeof(small_)) {
    large_.resize(need);
    out = large_.data();
  }
  char* p = out;
  for (const char c : field) {
    const auto byte = static_cast<unsigned char>(c);
    if (escape && (byte < 0x20 || byte == 0x7F)) {
      constexpr char kHex[] = "0123456789ABCDEF";
      *p++ = '\\';
      *p++ = 'x';
      *p++ = kHex[byte >> 4];
      *p++ = kHex[byte & 0xF];
    } else {
      *p++ = c;
    }
  }
  if (line_end) *p++ = '\n';
  *p = '\0';
  text = out;
}
