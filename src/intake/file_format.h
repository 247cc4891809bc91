// The format of one log file as its lines so far tell it: the comma format,
// or the W3C extended format with the layout of its last "#Fields:" line and
// the date of its last "#Date:" line.
#pragma once

#include <string_view>

#include "intake/line_reader.h"
#include "intake/w3c_format.h"

struct FileFormat {
  bool first_line_seen = false;
  bool w3c = false;
  W3cExtras extras;  // what a W3C layout places besides the filters' slots
  W3cLayout layout;

  /// Takes note of a piece; true when it is a directive, not a data line.
  /// Lines of this format are read whole, so a directive can only begin a
  /// physical line; a line too long to read is no directive.
  bool Note(const LinePiece& piece) {
    if (!first_line_seen) {
      first_line_seen = true;
      w3c = IsW3cFirstLine(piece.text);
    }
    if (!w3c || piece.kind != PieceKind::kLine || !IsW3cDirective(piece.text)) return false;
    ReadW3cDirective(piece.text, &layout, extras);
    return true;
  }
};
