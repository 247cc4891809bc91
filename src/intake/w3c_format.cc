#include "intake/w3c_format.h"

#include <cstdint>
#include <cstring>


#include "bytes/decimal.h"
#include "bytes/hash.h"
#include "intake/client_address.h"
#include "intake/w3c_text.h"

using w3c_text::BeforeNul;
using w3c_text::IsSeparator;
using w3c_text::kReadSlots;
using w3c_text::WithoutByteOrderMark;

namespace {

using namespace std::string_view_literals;

// The names of the fields that fill the 14 slots, in slot order.
constexpr std::array<std::string_view, kFieldCount> kSlotNames = {
    "c-ip"sv,       "cs-username"sv, "date"sv,     "time"sv,
    "s-sitename"sv, "s-computername"sv, "s-ip"sv,  "time-taken"sv,
    "cs-bytes"sv,   "sc-bytes"sv,    "sc-status"sv, "sc-win32-status"sv,
    "cs-method"sv,  "cs-uri-stem"sv,
};

constexpr std::string_view kFieldsDirective = "#Fields:";
constexpr std::string_view kDateDirective = "#Date:";

int SlotOfName(std::string_view name) {
  for (int slot = 0; slot < kFieldCount; ++slot) {
    if (EqualFolded(name, kSlotNames[slot])) return slot;
  }
  return -1;
}

}  // namespace

bool IsW3cFirstLine(std::string_view line) {
  line = WithoutByteOrderMark(line);
  return line.starts_with("#Software:") || line.starts_with("#Version:") ||
         line.starts_with("#Date:") || line.starts_with(kFieldsDirective);
}

bool IsW3cDirective(std::string_view line) {
  return WithoutByteOrderMark(line).starts_with('#');
}

std::string W3cLayout::ToString() const {
  if (!known) return "no layout";
  std::string text = std::to_string(field_count) + ":";
  for (int slot = 0; slot < kFieldCount; ++slot) {
    if (field_of_slot[slot] < 0) continue;
    text += ' ';
    text += kSlotNames[slot];
    text += '=';
    text += std::to_string(field_of_slot[slot]);
  }
  return text;
}

void ParseW3cFields(std::string_view line, W3cLayout* layout, const W3cExtras& extras) {
  line = BeforeNul(WithoutByteOrderMark(line));
  if (!line.starts_with(kFieldsDirective)) return;
  line.remove_prefix(kFieldsDirective.size());

  // A new directive starts a new layout: nothing of the old one is kept.
  W3cLayout fresh;
  int position = 0;
  std::size_t pos = 0;
  while (true) {
    while (pos < line.size() && IsSeparator(line[pos])) ++pos;
    if (pos == line.size()) break;
    const std::size_t start = pos;
    while (pos < line.size() && !IsSeparator(line[pos])) ++pos;
    const std::string_view name = line.substr(start, pos - start);
    int slot = SlotOfName(name);
    if (slot < 0 && !extras.client_field.empty() && IsClientField(name, extras.client_field)) {
      slot = kForwardedFor;
    }
    if (slot < 0 && extras.user_agent && EqualFolded(name, "cs(User-Agent)")) slot = kUserAgent;
    if (slot < 0 && extras.referrer && EqualFolded(name, "cs(Referer)")) slot = kReferrer;
    if (slot < 0 && extras.referrer && EqualFolded(name, "cs-host")) slot = kHost;
    if (slot >= 0 && fresh.field_of_slot[slot] < 0) fresh.field_of_slot[slot] = position;
    if (fresh.substatus_field < 0 && EqualFolded(line.substr(start, pos - start), "sc-substatus"sv)) {
      fresh.substatus_field = position;
    }
    ++position;
  }
  // One that names no field is a header all the same, under which no line
  // can count: it names no cs-uri-stem.
  fresh.field_count = position;
  fresh.known = true;
  fresh.directive_date = std::move(layout->directive_date);
  fresh.folder_site = std::move(layout->folder_site);

  // The slots the filter chain reads, by rising position; a position fills
  // at most one slot. The others are never read, so a line leaves them
  // absent and costs nothing for them.
  // The status slot only when the report shows the hits by status.
  auto place_at = [&](int field, int slot) {
    if (field < 0) return;
    int i = fresh.placement_count++;
    while (i > 0 && fresh.placements[i - 1].field > field) {
      fresh.placements[i] = fresh.placements[i - 1];
      --i;
    }
    fresh.placements[i] = {field, slot};
  };
  auto place = [&](int slot) { place_at(fresh.field_of_slot[slot], slot); };
  for (int slot : kReadSlots) place(slot);
  if (extras.status) {
    // Also what the health panels read of every request.
    place(kStatus);
    place(kTimeTaken);
    place(kWin32Status);
    place_at(fresh.substatus_field, kW3cSubstatus);
  }
  place(kForwardedFor);
  place(kUserAgent);
  place(kReferrer);
  place(kHost);
  if (fresh.known) {
    for (int slot : kReadSlots) {
      if (fresh.field_of_slot[slot] < 0) fresh.unnamed |= std::uint32_t{1} << slot;
    }
  }
  *layout = std::move(fresh);
}

void ReadW3cDirective(std::string_view line, W3cLayout* layout, const W3cExtras& extras) {
  line = BeforeNul(WithoutByteOrderMark(line));
  if (line.starts_with(kFieldsDirective)) {
    ParseW3cFields(line, layout, extras);
    return;
  }
  if (!line.starts_with(kDateDirective)) return;
  // "#Date: 2024-03-20 00:00:00": the date is the first word.
  std::size_t pos = kDateDirective.size();
  while (pos < line.size() && IsSeparator(line[pos])) ++pos;
  std::size_t end = pos;
  while (end < line.size() && !IsSeparator(line[end])) ++end;
  layout->directive_date.assign(line.substr(pos, end - pos));
}

bool IsW3cFieldsDirective(std::string_view line) {
  return WithoutByteOrderMark(line).starts_with(kFieldsDirective);
}

const char* UncountedW3cField(const W3cLayout& layout, bool server_ip_given) {
  if (!layout.known) return nullptr;
  // In the order of the filters that would refuse the lines.
  auto unnamed = [&](int slot) { return (layout.unnamed >> slot & 1) != 0; };
  if (server_ip_given && unnamed(kServerIp)) return kSlotNames[kServerIp].data();
  if (unnamed(kTarget)) return kSlotNames[kTarget].data();
  if (unnamed(kClientIp)) return kSlotNames[kClientIp].data();
  if (unnamed(kDate) && layout.directive_date.empty()) return kSlotNames[kDate].data();
  return nullptr;
}

std::string_view FolderSite(std::string_view path) {
  std::size_t end = path.find_last_of("/\\");
  while (end != std::string_view::npos && end > 0) {
    const std::size_t separator = path.find_last_of("/\\", end - 1);
    const std::size_t start = separator == std::string_view::npos ? 0 : separator + 1;
    const std::string_view folder = path.substr(start, end - start);
    if (folder.size() > 5 && EqualFolded(folder.substr(0, 5), "W3SVC") &&
        folder.find_first_not_of("0123456789", 5) == std::string_view::npos) {
      return folder;
    }
    if (separator == std::string_view::npos) break;
    end = separator;
  }
  return {};
}
