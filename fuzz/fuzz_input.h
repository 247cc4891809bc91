// Cuts one fuzz input into what a target needs: small numbers from single
// bytes, and texts that each end at a NUL byte (the way command-line texts
// end), the last one at the end of the input. Plus the check that stops a
// target when a property fails.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

class FuzzInput {
 public:
  FuzzInput(const std::uint8_t* data, std::size_t size)
      : text_(reinterpret_cast<const char*>(data), size) {}

  /// The next byte, 0 once the input is used up.
  std::uint8_t Byte() {
    if (text_.empty()) return 0;
    const auto byte = static_cast<std::uint8_t>(text_.front());
    text_.remove_prefix(1);
    return byte;
  }

  /// The bytes up to the next NUL, which is consumed, or up to the end.
  std::string_view Text() {
    const std::size_t nul = text_.find('\0');
    const std::string_view text = text_.substr(0, nul);
    text_.remove_prefix(nul == std::string_view::npos ? text_.size() : nul + 1);
    return text;
  }

  /// Whatever is left, NUL bytes included.
  std::string_view Rest() {
    const std::string_view rest = text_;
    text_ = std::string_view();
    return rest;
  }

  bool empty() const { return text_.empty(); }

 private:
  std::string_view text_;
};

/// Stops the run with the failed property when `holds` is false; libFuzzer
/// then saves the input that broke it.
#define FUZZ_CHECK(holds)                                                   \
  do {                                                                      \
    if (!(holds)) {                                                         \
      std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__,        \
                   __LINE__, #holds);                                       \
      std::abort();                                                         \
    }                                                                       \
  } while (false)

/// The items of a comma list as the options are split: empty items skipped,
/// nothing trimmed. Written apart from the program's own splitting so that
/// the targets check it.
template <typename Visit>
void ForEachListItem(std::string_view list, Visit visit) {
  std::string_view rest = list;
  for (;;) {
    const std::size_t comma = rest.find(',');
    const std::string_view item = rest.substr(0, comma);
    if (!item.empty() && !visit(item)) return;
    if (comma == std::string_view::npos) return;
    rest.remove_prefix(comma + 1);
  }
}

/// True when no run of decimal digits in `text` is longer than `digits`:
/// the C library's formatted input is then free of overflow and can serve
/// as the reference.
inline bool DigitRunsAtMost(std::string_view text, std::size_t digits) {
  std::size_t run = 0;
  for (const char c : text) {
    run = (c >= '0' && c <= '9') ? run + 1 : 0;
    if (run > digits) return false;
  }
  return true;
}
