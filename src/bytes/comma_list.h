// The comma lists of the -e, -s and -p options: split at ",", empty items
// skipped, items kept as written (a blank after a comma belongs to the next
// item).
#pragma once

#include <string_view>

/// The non-empty items of `list` in order, as views into it.
class CommaList {
 public:
  explicit CommaList(std::string_view list) : rest_(list) {}

  /// The next item; false when none is left.
  bool Next(std::string_view* item) {
    while (!done_) {
      const std::size_t comma = rest_.find(',');
      *item = rest_.substr(0, comma);
      if (comma == std::string_view::npos) {
        done_ = true;
      } else {
        rest_.remove_prefix(comma + 1);
      }
      if (!item->empty()) return true;
    }
    return false;
  }

 private:
  std::string_view rest_;
  bool done_ = false;
};
