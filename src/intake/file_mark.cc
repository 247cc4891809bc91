#include "intake/file_mark.h"

#include <algorithm>
#include <tuple>

#include "bytes/hash.h"
#include "intake/file_format.h"
#include "intake/gzip_source.h"
#include "intake/line_reader.h"

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
  static_assert(std::tuple_size_v<decltype(format.layout.field_of_slot)> ==
                std::tuple_size_v<decltype(mark->field_of_slot)>);
  std::copy(format.layout.field_of_slot.begin(), format.layout.field_of_slot.end(),
            mark->field_of_slot.begin());
  mark->substatus_field = format.layout.substatus_field;
  mark->directive_date = format.layout.directive_date;
}

bool MarkFormatValid(const FileMark& mark) {
  if (mark.field_count < 0 || mark.field_count > kMaxFieldsInMark) return false;
  if (!mark.fields_known && mark.field_count != 0) return false;
  if (mark.substatus_field < -1 || mark.substatus_field >= mark.field_count) return false;
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
  std::string folder_site = std::move(format->layout.folder_site);
  format->layout = W3cLayout();
  format->layout.directive_date = mark.directive_date;
  format->layout.folder_site = std::move(folder_site);
  if (!mark.fields_known) return;
  // The layout as the #Fields: line that made it would make it again: each
  // slot's name at its position, and a name of no slot at the others.
  std::vector<std::string_view> names(static_cast<std::size_t>(mark.field_count), "x");
  // The fields beyond the filters' slots by the names the options give.
  for (int slot = 0; slot < kSlotCount; ++slot) {
    const std::int32_t field = mark.field_of_slot[static_cast<std::size_t>(slot)];
    if (field < 0) continue;
    std::string_view name = "x";
    if (slot < kFieldCount) {
      name = kSlotFieldNames[slot];
    } else if (slot == kForwardedFor && !format->extras.client_field.empty()) {
      name = format->extras.client_field;
    } else if (slot == kUserAgent) {
      name = "cs(User-Agent)";
    } else if (slot == kReferrer) {
      name = "cs(Referer)";
    } else if (slot == kHost) {
      name = "cs-host";
    }
    names[static_cast<std::size_t>(field)] = name;
  }
  if (mark.substatus_field >= 0) {
    names[static_cast<std::size_t>(mark.substatus_field)] = "sc-substatus";
  }
  std::string line = "#Fields:";
  for (std::string_view name : names) {
    line += ' ';
    line += name;
  }
  ParseW3cFields(line, &format->layout, format->extras);
}

std::string FirstTextBytes(int fd, bool compressed) {
  std::string bytes(kFingerprintBytes, '\0');
  std::size_t got = 0;
  if (compressed) {
    FileSource file(fd);
    {
      GzipSource gzip(&file);
      long n = 0;
      while (got < bytes.size() && (n = gzip.Read(bytes.data() + got, bytes.size() - got)) > 0) {
        got += static_cast<std::size_t>(n);
      }
    }
    if (!SeekFile(fd, 0)) got = 0;
  } else {
    long n = 0;
    while (got < bytes.size() &&
           (n = ReadAt(fd, bytes.data() + got, bytes.size() - got,
                       static_cast<std::int64_t>(got))) > 0) {
      got += static_cast<std::size_t>(n);
    }
  }
  bytes.resize(got);
  return bytes;
}

BookVerdict Consult(const FileMark* mark, const FileFacts& facts, bool compressed,
                    std::string_view first_bytes) {
  if (mark == nullptr || mark->compressed != compressed || !SameFirstBytes(*mark, first_bytes)) {
    return BookVerdict::kNew;
  }
  if (compressed) return facts.size == mark->size ? BookVerdict::kCounted : BookVerdict::kGrown;
  // A plain file cut shorter than what was counted was written anew.
  if (facts.size < mark->offset) return BookVerdict::kNew;
  return facts.size == mark->offset ? BookVerdict::kCounted : BookVerdict::kGrown;
}
