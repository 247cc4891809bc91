#include "bytes/text_buffer.h"

#include <cstdarg>

// NOLINTNEXTLINE(cert-dcl50-cpp): a printf-style function, its calls checked by the format attribute
void TextBuffer::Printf(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  std::va_list again;
  va_copy(again, args);
  const int size = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  if (size > 0) {
    const std::size_t at = text_.size();
    text_.resize(at + static_cast<std::size_t>(size) + 1);
    std::vsnprintf(text_.data() + at, static_cast<std::size_t>(size) + 1, format, again);
    text_.resize(at + static_cast<std::size_t>(size));
  }
  va_end(again);
}

void TextBuffer::Flush(std::FILE* out) {
  if (!text_.empty()) std::fwrite(text_.data(), 1, text_.size(), out);
  text_.clear();
}
