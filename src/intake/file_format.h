// The format of one log file as its lines so far tell it: the comma format,
// or the W3C extended format with the layout of its last "#Fields:" line and
// the date of its last "#Date:" line.
#pragma once

#include <string_view>

#include "intake/w3c_format.h"

struct FileFormat {
  bool first_line_seen = false;
  bool w3c = false;
  W3cLayout layout;

  /// Takes note of a piece; true when it is a directive, not a data line.
  bool Note(std::string_view piece) {
    if (!first_line_seen) {
      first_line_seen = true;
      w3c = IsW3cFirstLine(piece);
    }
    if (!w3c || !IsW3cDirective(piece)) return false;
    ReadW3cDirective(piece, &layout);
    return true;
  }
};
