#include "intake/w3c_format.h"

#include <cstdint>
#include <cstring>
#include <type_traits>
#include <utility>

#include "bytes/byte_mask.h"
#include "intake/w3c_text.h"

using w3c_text::BeforeNul;
using w3c_text::IsSeparator;
using w3c_text::kReadSlots;
using w3c_text::kUnnamedText;
using w3c_text::WithoutByteOrderMark;

namespace {

// The slots a header does not name, as a line reads them.
void FillUnnamed(const W3cLayout& layout, LogFields* fields) {
  for (int slot : kReadSlots) {
    if ((layout.unnamed >> slot & 1) != 0) fields->slot[slot] = kUnnamedText[slot];
  }
  if ((layout.unnamed >> kService & 1) != 0 && !layout.folder_site.empty()) {
    fields->slot[kService] = layout.folder_site;
  }
  if ((layout.unnamed >> kDate & 1) != 0 && !layout.directive_date.empty()) {
    fields->slot[kDate] = layout.directive_date;
  }
}

// Empties every slot. An empty view is all zero bytes (no text, no size):
// one sixteen-byte store a slot clears them, where a loop of views takes
// two stores and a count each.
inline void ClearSlots(LogFields* fields) {
#if VANTRIX_VECTOR
  static_assert(std::is_trivially_copyable_v<std::string_view> &&
                sizeof(std::string_view) == sizeof(__m128i));
  auto* const slots = reinterpret_cast<__m128i*>(fields->slot.data());
  // Written out, so that the compiler keeps the stores rather than call a
  // string instruction, which takes longer to start than these to finish.
  [&]<std::size_t... i>(std::index_sequence<i...>) {
    (_mm_storeu_si128(slots + i, _mm_setzero_si128()), ...);
  }(std::make_index_sequence<kSlotCount>());
#else
  fields->slot.fill(std::string_view());
#endif
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
  line = BeforeNul(WithoutByteOrderMark(line));
  ClearSlots(fields);

  const char* p = line.data();
  const char* const end = p + line.size();
  int count = 0;
  int next = 0;  // the next placement to fill
  while (true) {
    while (p < end && IsSeparator(*p)) ++p;
    if (p == end) break;
    const char* start = p;
    while (p < end && !IsSeparator(*p)) ++p;
    if (layout.placements[next].field == count) {
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

// The separators among thirty-two bytes, and the NULs among them: the
// blank alone in most, so the rarer bytes are compared only where a byte
// below the blank shows up.
inline std::uint32_t SeparatorMask(__m128i low, __m128i high, std::uint32_t* nuls) {
  const __m128i blank = _mm_set1_epi8(' ');
  auto at_most_blank = [&](__m128i bytes) {
    return static_cast<unsigned>(
        _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_max_epu8(bytes, blank), blank)));
  };
  const std::uint32_t blanks = MatchByte(low, ' ') | (MatchByte(high, ' ') << 16);
  const std::uint32_t under = at_most_blank(low) | (at_most_blank(high) << 16);
  if (under == blanks) {
    *nuls = 0;
    return blanks;
  }
  *nuls = MatchByte(low, '\0') | (MatchByte(high, '\0') << 16);
  return blanks | MatchByte(low, '\t') | (MatchByte(high, '\t') << 16) |
         MatchByte(low, '\n') | (MatchByte(high, '\n') << 16);
}

}  // namespace

// The same split, thirty-two bytes a step: masks of the separators and of
// the fields' first bytes tell where each field begins, and the separator
// after a wanted field's first byte where it ends. A field the layout does
// not want costs a count.
void TokenizeW3cLine(std::string_view line, const W3cLayout& layout, LogFields* fields) {
  line = WithoutByteOrderMark(line);
  ClearSlots(fields);
  const char* const base = line.data();
  std::size_t size = line.size();
  int count = 0;  // fields begun so far
  int next = 0;   // the next placement to fill
  int wanted = layout.placements[0].field;
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
    wanted = layout.placements[next].field;
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
      separators = SeparatorMask(low, high, &nuls);
    } else if (size >= 32) {
      // The text's last thirty-two bytes, the masks shifted to begin at
      // this step: no copy, and nothing past the text read.
      const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + size - 32));
      const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + size - 16));
      const unsigned shift = static_cast<unsigned>(32 - (size - offset));
      const std::uint32_t outside = ~std::uint32_t{0} << (size - offset);
      separators = (SeparatorMask(low, high, &nuls) >> shift) | outside;
      nuls = (nuls >> shift) & ~outside;
    } else {
      alignas(16) char tail[32] = {};
      std::memcpy(tail, base + offset, size - offset);
      const __m128i low = _mm_load_si128(reinterpret_cast<const __m128i*>(tail));
      const __m128i high = _mm_load_si128(reinterpret_cast<const __m128i*>(tail + 16));
      const std::uint32_t outside = ~std::uint32_t{0} << (size - offset);
      separators = SeparatorMask(low, high, &nuls) | outside;
      nuls &= ~outside;
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
