// Text gathered in memory to be written later in one piece: the messages
// of a run of log lines, made on a parsing thread and written in reading
// order.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

class TextBuffer {
 public:
  /// Appends as std::fprintf would write.
  void Printf(const char* format, ...) __attribute__((format(printf, 2, 3)));
  void Append(std::string_view text) { text_.append(text); }

  void Clear() { text_.clear(); }
  bool empty() const { return text_.empty(); }
  const std::string& text() const { return text_; }

  /// Writes the text to `out` and clears it.
  void Flush(std::FILE* out);

 private:
  std::string text_;
};
