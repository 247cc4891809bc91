// The W3C extended log format: recognising a file by its first line, reading
// the field layout of a "#Fields:" directive, splitting a data line into the
// 14 slots of the comma format by that layout. Owns nothing; the slots are
// views into the caller's line. Its dates are read by stats/hit_time.
//
// Reading rules:
// - A file is in this format when its first line begins with "#Software:",
//   "#Version:", "#Date:" or "#Fields:" (directive names in this exact
//   case), after an optional UTF-8 byte order mark.
// - "#Fields:" names the fields of the lines after it, separated by runs of
//   spaces and tabs; a trailing carriage return or line feed is no part of
//   the last name. Names are matched ignoring ASCII case ("C-IP" is c-ip);
//   unknown names are ignored but keep their position; when a name comes
//   twice, its first position fills the slot. A later "#Fields:" replaces
//   the layout; one that names no field is a layout under which no line
//   can count.
// - A field the header does not name is absent, except: without s-sitename
//   a line is the web service's, without sc-bytes it sends 0 bytes, without
//   cs-method it is a GET, without time it is at midnight, without s-ip its
//   server address is empty (it passes unless -s is given), and without
//   date it takes the date of the file's last "#Date:" directive before it
//   (the first word after "#Date:"; absent when there is none).
// - A data line is split at runs of spaces and tabs (and the line feed that
//   ends it); a carriage return inside it is part of its field. Its text
//   ends at its first NUL. "+" stays as written and "-" alone is an absent
//   field. Fields past the layout's are counted but not read; the reader
//   leaves out a line that has any.
// - A UTF-8 byte order mark at the start of any line is no part of it. A
//   line that begins with "#" is a directive, never a data line.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "intake/log_line.h"

/// True when a file whose first line is `line` is in the W3C extended format:
/// it begins with "#Software:", "#Version:", "#Date:" or "#Fields:".
bool IsW3cFirstLine(std::string_view line);

/// True when `line` is a directive of the W3C extended format: it begins
/// with "#", after an optional UTF-8 byte order mark.
bool IsW3cDirective(std::string_view line);

/// The field layout announced by the last "#Fields:" directive, and the
/// date of the last "#Date:" directive.
struct W3cLayout {
  bool known = false;  // a #Fields: directive has been seen
  int field_count = 0;  // names in the directive
  /// For each of the 14 slots, the field position that fills it, or -1.
  std::array<int, kSlotCount> field_of_slot;
  /// Bit 1 << slot for each slot the filters read that a known layout does
  /// not name; 0 when the header names them all, and then a line costs
  /// nothing for them.
  std::uint32_t unnamed = 0;
  /// The position of "sc-substatus", or -1. Comma-format logs have no such
  /// field; a W3C line that is read for its status puts it in the slot of
  /// the bytes received, which nothing reads (kW3cSubstatus).
  int substatus_field = -1;
  /// The date of the file's last "#Date:" directive ("2024-03-20"), or
  /// empty: the date of a line when the header names no date. A new
  /// "#Fields:" keeps it.
  std::string directive_date;
  /// The site of the file's folder ("W3SVC2" of ".../W3SVC2/u_ex1.log"), or
  /// empty: the site of a line when the header names no s-sitename. A new
  /// "#Fields:" keeps it.
  std::string folder_site;

  /// The slots that some field fills, by rising field position: what the
  /// splitter walks along a line, so that a line costs no lookup per field.
  /// The one after the last is always unplaced (field -1), so the splitter
  /// needs no test of the count to know that no field is wanted.
  struct Placement {
    int field = -1;
    int slot = 0;
  };
  std::array<Placement, kSlotCount + 1> placements;
  int placement_count = 0;

  W3cLayout() { field_of_slot.fill(-1); }

  /// "18: c-ip=10 cs-username=9 ...": the field count, then the filled
  /// slots in slot order; or "no layout". For tests.
  std::string ToString() const;
};

/// What a layout places besides the slots the filter chain reads: the
/// status slot (10), which only the JSON and HTML reports read, the
/// forwarded-for field named by --client, when not empty, and the user
/// agent.
struct W3cExtras {
  bool status = false;
  std::string_view client_field;
  bool user_agent = false;  // cs(User-Agent), for --robots and the panels
  bool referrer = false;    // cs(Referer) and cs-host, for the panels
};

/// Reads a "#Fields:" directive line (its line feed may still be on it) into
/// `layout`, replacing what it held but the directive date and the folder
/// site. Any other line leaves `layout` alone.
void ParseW3cFields(std::string_view line, W3cLayout* layout, const W3cExtras& extras = {});

/// Takes note of a directive line: "#Fields:" as ParseW3cFields, "#Date:"
/// sets the directive date; any other line leaves `layout` alone.
void ReadW3cDirective(std::string_view line, W3cLayout* layout, const W3cExtras& extras = {});

/// The site of a log by the folder it lies in: the last folder of `path`
/// named "W3SVC" and digits (ASCII case ignored), as IIS names a site's
/// log folder; empty when there is none.
std::string_view FolderSite(std::string_view path);

/// True when `line` is a "#Fields:" directive.
bool IsW3cFieldsDirective(std::string_view line);

/// The field whose absence from the header means that no line under it can
/// count ("c-ip", say), or nullptr when lines can count or no header has
/// been read. `server_ip_given` tells whether -s is in effect.
const char* UncountedW3cField(const W3cLayout& layout, bool server_ip_given);

/// Splits a data line into the 14 slots by the layout, filling the slots the
/// filter chain reads (0, 2, 3, 4, 6, 9, 12 and 13, and 10 when the layout
/// was read with the status; the others stay absent).
/// A field that is "-" is absent; one the layout does not name is read by
/// the rules above. `count` is the number of fields on the line; `complete`
/// is true only when the layout is known and the line holds at least its
/// field_count fields. The date slot may be a view into `layout`.
void TokenizeW3cLine(std::string_view line, const W3cLayout& layout,
                     LogFields* fields);

/// The same split without vector instructions: where the platform has none,
/// and to check the fast one against.
void TokenizeW3cLinePortable(std::string_view line, const W3cLayout& layout,
                             LogFields* fields);

/// The vector splits that this build has and this processor can run, the
/// one TokenizeW3cLine takes last; none in a build without vector code. For
/// tests, to check each against the portable split.
using W3cSplit = void (*)(std::string_view, const W3cLayout&, LogFields*);
std::vector<W3cSplit> W3cVectorSplits();
