#include "intake/file_mark.h"

#include <algorithm>

#include "bytes/hash.h"
#include "intake/file_format.h"

namespace {

// The names of the slots as a #Fields: line gives them, in slot order.
constexpr const char* kSlotFieldNames[kFieldCount] = {
    "c-ip",   "cs-username", "date",     "time",      "s-sitename",       "s-computername",
    "s-ip",   "time-taken",  "cs-bytes", "sc-bytes",  "sc-status",        "sc-win32-status",
    "cs-method", "cs-uri-stem",
};

// A fixed seed: a fingerprint must mean the same in every run.
constexpr std::uint64_t kFingerprintSeed = 0x5641'4e54'5249'5801;

}  // namespace

std::uint64_t Fingerprint(std::string_view first_bytes) {
  return HashBytes(first_bytes, kFingerprintSeed);
}

bool SameFirstBytes(const FileMark& mark, std::string_view first_bytes) {
  return first_bytes.size() >= mark.fingerprint_size &&
         Fingerprint(first_bytes.substr(0, mark.fingerprint_size)) == mark.fingerprint;
}

void MarkFormat(const FileFormat& format, FileMark* mark) {
  mark->first_line_seen = format.first_line_seen;
  mark->w3c = format.w3c;
  mark->fields_known = format.layout.known;
  mark->field_count = format.layout.field_count;
  std::copy(format.layout.field_of_slot.begin(), format.layout.field_of_slot.end(),
            mark->field_of_slot.begin());
  mark->directive_date = format.layout.directive_date;
}

bool MarkFormatValid(const FileMark& mark) {
  if (mark.field_count < 0 || mark.field_count > kMaxFieldsInMark) return false;
  if (!mark.fields_known && mark.field_count != 0) return false;
  std::vector<bool> taken(static_cast<std::size_t>(mark.field_count), false);
  for (const std::int32_t field : mark.field_of_slot) {
    if (field == -1) continue;
    if (field < 0 || field >= mark.field_count || taken[static_cast<std::size_t>(field)]) {
      return false;
    }
    taken[static_cast<std::size_t>(field)] = true;
  }
  return mark.directive_date.size() <= kMaxWholeLine;
}

void ResumeFormat(const FileMark& mark, FileFormat* format) {
  format->first_line_seen = mark.first_line_seen;
  format->w3c = mark.w3c;
  format->layout = W3cLayout();
  format->layout.directive_date = mark.directive_date;
  if (!mark.fields_known) return;
  // The layout as the #Fields: line that made it would make it again: each
  // slot's name at its position, and a name of no slot at the others.
  std::vector<std::string_view> names(static_cast<std::size_t>(mark.field_count), "x");
  for (int slot = 0; slot < kFieldCount; ++slot) {
    const std::int32_t field = mark.field_of_slot[static_cast<std::size_t>(slot)];
    if (field >= 0) names[static_cast<std::size_t>(field)] = kSlotFieldNames[slot];
  }
  std::string line = "#Fields:";
  for (std::string_view name : names) {
    line += ' ';
    line += name;
  }
  ParseW3cFields(line, &format->layout, format->read_status);
}
