#include "intake/w3c_format.h"

#include <cstdint>
#include <cstring>


#include "bytes/byte_mask.h"
#include "bytes/decimal.h"
#include "bytes/hash.h"

namespace {

using namespace std::string_view_literals;

// The names of the fields that fill the 14 slots, in slot order.
constexpr std::array<std::string_view, kFieldCount> kSlotNames = {
    "c-ip"sv,       "cs-username"sv, "date"sv,     "time"sv,
    "s-sitename"sv, "s-computername"sv, "s-ip"sv,  "time-taken"sv,
    "cs-bytes"sv,   "sc-bytes"sv,    "sc-status"sv, "sc-win32-status"sv,
    "cs-method"sv,  "cs-uri-stem"sv,
};

// The slots the filter chain and the statistics read.
constexpr int kReadSlots[] = {kClientIp, kDate,        kTime,   kService,
                              kServerIp, kServerBytes, kMethod, kTarget};

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kFieldsDirective = "#Fields:";
constexpr std::string_view kDateDirective = "#Date:";

// What a line reads for a read slot its header does not name; absent for
// the client address and the target, which nothing can stand for. A log
// without a site field is one web site's; without the bytes field a hit
// sends 0 bytes; without the method every line is a GET; without the time
// a hit is at midnight, as an unreadable time reads. An empty server
// address passes unless -s is given, and then matches no mask. The date
// comes from the "#Date:" directive instead.
constexpr std::array<std::string_view, kFieldCount> kUnnamedText = [] {
  std::array<std::string_view, kFieldCount> text{};
  text[kService] = "W3SVC"sv;
  text[kServerBytes] = "0"sv;
  text[kMethod] = "GET"sv;
  text[kTime] = "0:00:00"sv;
  text[kServerIp] = ""sv;
  return text;
}();

// Blanks between fields and names. A carriage return or line feed can only
// end a line, so it ends the last field there.
bool IsSeparator(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

std::string_view WithoutByteOrderMark(std::string_view line) {
  if (line.starts_with(kByteOrderMark)) line.remove_prefix(kByteOrderMark.size());
  return line;
}

// The text of a line ends at its first NUL byte, if it has one.
std::string_view BeforeNul(std::string_view line) {
  if (const void* nul = std::memchr(line.data(), '\0', line.size())) {
    line = line.substr(0, static_cast<const char*>(nul) - line.data());
  }
  return line;
}

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

void ParseW3cFields(std::string_view line, W3cLayout* layout) {
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
    const int slot = SlotOfName(line.substr(start, pos - start));
    if (slot >= 0 && fresh.field_of_slot[slot] < 0) fresh.field_of_slot[slot] = position;
    ++position;
  }
  fresh.field_count = position;
  fresh.known = position > 0;
  fresh.directive_date = std::move(layout->directive_date);

  // The slots the filter chain reads, by rising position; a position fills
  // at most one slot. The others are never read, so a line leaves them
  // absent and costs nothing for them.
  for (int slot : kReadSlots) {
    const int field = fresh.field_of_slot[slot];
    if (field < 0) continue;
    int i = fresh.placement_count++;
    while (i > 0 && fresh.placements[i - 1].field > field) {
      fresh.placements[i] = fresh.placements[i - 1];
      --i;
    }
    fresh.placements[i] = {field, slot};
  }
  if (fresh.known) {
    for (int slot : kReadSlots) {
      if (fresh.field_of_slot[slot] < 0) fresh.unnamed |= std::uint32_t{1} << slot;
    }
  }
  *layout = std::move(fresh);
}

void ReadW3cDirective(std::string_view line, W3cLayout* layout) {
  line = BeforeNul(WithoutByteOrderMark(line));
  if (line.starts_with(kFieldsDirective)) {
    ParseW3cFields(line, layout);
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

namespace {

// The slots a header does not name, as a line reads them.
void FillUnnamed(const W3cLayout& layout, LogFields* fields) {
  for (int slot : kReadSlots) {
    if ((layout.unnamed >> slot & 1) != 0) fields->slot[slot] = kUnnamedText[slot];
  }
  if ((layout.unnamed >> kDate & 1) != 0 && !layout.directive_date.empty()) {
    fields->slot[kDate] = layout.directive_date;
  }
}

// Sets what every split of a line ends with: the count, whether the line is
// complete, and the slots the header does not name.
inline void FinishLine(const W3cLayout& layout, int count, LogFields* fields) {
  fields->count = count;
  fields->complete = layout.known && count >= layout.field_count;
  if (layout.unnamed != 0) FillUnnamed(layout, fields);
}


}  // namespace

void TokenizeW3cLinePortable(std::string_view line, const W3cLayout& layout,
                             LogFields* fields) {
  line = BeforeNul(line);
  fields->slot.fill(std::string_view());

  const char* p = line.data();
  const char* const end = p + line.size();
  int count = 0;
  int next = 0;  // the next placement to fill
  while (true) {
    while (p < end && IsSeparator(*p)) ++p;
    if (p == end) break;
    const char* start = p;
    while (p < end && !IsSeparator(*p)) ++p;
    if (next < layout.placement_count && layout.placements[next].field == count) {
      const std::size_t size = static_cast<std::size_t>(p - start);
      // "-" is how the format writes an empty field.
      if (!(size == 1 && *start == '-')) {
        fields->slot[layout.placements[next].slot] = std::string_view(start, size);
      }
      ++next;
    }
    ++count;
  }
  FinishLine(layout, count, fields);
}

#if VANTRIX_VECTOR
namespace {

// Separators among sixteen bytes: the blank alone in most, so the rarer
// ones are compared only where a byte below the blank shows up.
inline unsigned SeparatorMask(__m128i bytes) {
  const unsigned blanks = MatchByte(bytes, ' ');
  const unsigned low =
      static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(
          _mm_max_epu8(bytes, _mm_set1_epi8(' ')), _mm_set1_epi8(' ')))) & ~blanks;
  if (low == 0) return blanks;
  return blanks | MatchByte(bytes, '\t') | MatchByte(bytes, '\r') | MatchByte(bytes, '\n');
}

}  // namespace

// The same split, thirty-two bytes a step: masks of the separators and of
// the fields' first bytes tell where each field begins, and the separator
// after a wanted field's first byte where it ends. A field the layout does
// not want costs a count.
void TokenizeW3cLine(std::string_view line, const W3cLayout& layout, LogFields* fields) {
  fields->slot.fill(std::string_view());
  const char* const base = line.data();
  std::size_t size = line.size();
  int count = 0;  // fields begun so far
  int next = 0;   // the next placement to fill
  int wanted = layout.placement_count > 0 ? layout.placements[0].field : -1;
  bool in_field = false;  // the byte before this step is part of a field
  bool open = false;      // a wanted field began and has not ended yet
  std::size_t start = 0;  // where it began

  // The wanted field [start, end) is complete: place it.
  auto place = [&](std::size_t end) {
    const std::size_t length = end - start;
    // "-" is how the format writes an empty field.
    if (!(length == 1 && base[start] == '-')) {
      fields->slot[layout.placements[next].slot] = std::string_view(base + start, length);
    }
    ++next;
    wanted = next < layout.placement_count ? layout.placements[next].field : -1;
    open = false;
  };

  for (std::size_t offset = 0; offset < size; offset += 32) {
    // Bit i of each mask tells of byte offset + i; bytes past the text read
    // as separators.
    std::uint32_t separators;
    std::uint32_t nuls;
    if (size - offset >= 32) {
      const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + offset));
      const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + offset + 16));
      separators = SeparatorMask(low) | (SeparatorMask(high) << 16);
      nuls = MatchByte(low, '\0') | (MatchByte(high, '\0') << 16);
    } else {
      alignas(16) char tail[32] = {};
      std::memcpy(tail, base + offset, size - offset);
      const __m128i low = _mm_load_si128(reinterpret_cast<const __m128i*>(tail));
      const __m128i high = _mm_load_si128(reinterpret_cast<const __m128i*>(tail + 16));
      const std::uint32_t outside = ~std::uint32_t{0} << (size - offset);
      separators = SeparatorMask(low) | (SeparatorMask(high) << 16) | outside;
      nuls = (MatchByte(low, '\0') | (MatchByte(high, '\0') << 16)) & ~outside;
    }
    if (nuls != 0) {
      // The text ends at its first NUL.
      const unsigned at = static_cast<unsigned>(__builtin_ctz(nuls));
      size = offset + at;
      separators |= ~std::uint32_t{0} << at;
    }
    // A wanted field from the step before ends at the first separator.
    if (open && separators != 0) place(offset + static_cast<unsigned>(__builtin_ctz(separators)));
    // A field's first byte is no separator, and follows one.
    std::uint32_t starts = ~separators & ((separators << 1) | (in_field ? 0u : 1u));
    for (; starts != 0; starts &= starts - 1) {
      if (count++ != wanted) continue;
      const unsigned first = static_cast<unsigned>(__builtin_ctz(starts));
      start = offset + first;
      open = true;
      const std::uint32_t after = first == 31 ? 0 : separators & (~std::uint32_t{1} << first);
      if (after != 0) place(offset + static_cast<unsigned>(__builtin_ctz(after)));
    }
    in_field = (separators >> 31) == 0;
  }
  // The last field runs to the end of the text.
  if (open) place(size);
  FinishLine(layout, count, fields);
}
#else
void TokenizeW3cLine(std::string_view line, const W3cLayout& layout, LogFields* fields) {
  TokenizeW3cLinePortable(line, layout, fields);
}
#endif
