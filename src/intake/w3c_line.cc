#include "intake/w3c_format.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <utility>
#include <vector>

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

// Thirty-two bytes a step, with the vector instructions every x86-64
// processor has.
struct NarrowStep {
  using Mask = std::uint32_t;

  // The separators of the step at `offset`, and its NULs: bit i tells of
  // byte offset + i; bytes past the text read as separators, never NULs.
  static Mask Separators(const char* base, std::size_t size, std::size_t offset, Mask* nuls) {
    if (size - offset >= 32) {
      const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + offset));
      const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + offset + 16));
      return SeparatorMask(low, high, nuls);
    }
    const Mask outside = ~Mask{0} << (size - offset);
    if (size >= 32) {
      // The text's last thirty-two bytes, the masks shifted to begin at
      // this step: no copy, and nothing past the text read.
      const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + size - 32));
      const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + size - 16));
      const unsigned shift = static_cast<unsigned>(32 - (size - offset));
      const Mask separators = (SeparatorMask(low, high, nuls) >> shift) | outside;
      *nuls = (*nuls >> shift) & ~outside;
      return separators;
    }
    alignas(16) char tail[32] = {};
    std::memcpy(tail, base + offset, size - offset);
    const __m128i low = _mm_load_si128(reinterpret_cast<const __m128i*>(tail));
    const __m128i high = _mm_load_si128(reinterpret_cast<const __m128i*>(tail + 16));
    const Mask separators = SeparatorMask(low, high, nuls) | outside;
    *nuls &= ~outside;
    return separators;
  }
};

#if VANTRIX_WIDE
// Sixty-four bytes a step, with the wider vectors of newer processors.
struct WideStep {
  using Mask = std::uint64_t;

  [[VANTRIX_WIDE_TARGET]] static __m256i Load(const char* at) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
  }

  [[VANTRIX_WIDE_TARGET]] static Mask Match(__m256i bytes, char c) {
    return static_cast<std::uint32_t>(
        _mm256_movemask_epi8(_mm256_cmpeq_epi8(bytes, _mm256_set1_epi8(c))));
  }

  [[VANTRIX_WIDE_TARGET]] static Mask AtMostBlank(__m256i bytes) {
    const __m256i blank = _mm256_set1_epi8(' ');
    return static_cast<std::uint32_t>(
        _mm256_movemask_epi8(_mm256_cmpeq_epi8(_mm256_max_epu8(bytes, blank), blank)));
  }

  // The separators among sixty-four bytes, and the NULs, as SeparatorMask.
  [[VANTRIX_WIDE_TARGET]] static Mask Of(const char* at, Mask* nuls) {
    const __m256i low = Load(at);
    const __m256i high = Load(at + 32);
    const Mask blanks = Match(low, ' ') | Match(high, ' ') << 32;
    if ((AtMostBlank(low) | AtMostBlank(high) << 32) == blanks) {
      *nuls = 0;
      return blanks;
    }
    *nuls = Match(low, '\0') | Match(high, '\0') << 32;
    return blanks | Match(low, '\t') | Match(high, '\t') << 32 | Match(low, '\n') |
           Match(high, '\n') << 32;
  }

  // As NarrowStep's.
  [[VANTRIX_WIDE_TARGET]] static Mask Separators(const char* base, std::size_t size,
                                                 std::size_t offset, Mask* nuls) {
    if (size - offset >= 64) return Of(base + offset, nuls);
    const Mask outside = ~Mask{0} << (size - offset);
    if (size >= 64) {
      const unsigned shift = static_cast<unsigned>(64 - (size - offset));
      const Mask separators = (Of(base + size - 64, nuls) >> shift) | outside;
      *nuls = (*nuls >> shift) & ~outside;
      return separators;
    }
    char tail[64] = {};
    std::memcpy(tail, base + offset, size - offset);
    const Mask separators = Of(tail, nuls) | outside;
    *nuls &= ~outside;
    return separators;
  }
};
#endif

// The split a step at a time: masks of the separators and of the fields'
// first bytes tell where each field begins, and the separator after a
// wanted field's first byte where it ends. A field the layout does not want
// costs a count.
template <typename Step>
[[gnu::always_inline]] inline void SplitByMasks(std::string_view line, const W3cLayout& layout,
                                                LogFields* fields) {
  using Mask = typename Step::Mask;
  constexpr unsigned kWidth = sizeof(Mask) * 8;
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

  for (std::size_t offset = 0; offset < size; offset += kWidth) {
    Mask nuls;
    Mask separators = Step::Separators(base, size, offset, &nuls);
    if (nuls != 0) {
      // The text ends at its first NUL.
      const unsigned at = static_cast<unsigned>(std::countr_zero(nuls));
      size = offset + at;
      separators |= ~Mask{0} << at;
    }
    // A wanted field from the step before ends at the first separator.
    if (open && separators != 0) place(offset + static_cast<unsigned>(std::countr_zero(separators)));
    // A field's first byte is no separator, and follows one.
    Mask starts = ~separators & ((separators << 1) | (in_field ? 0u : 1u));
    for (; starts != 0; starts &= starts - 1) {
      if (count++ != wanted) continue;
      const unsigned first = static_cast<unsigned>(std::countr_zero(starts));
      start = offset + first;
      open = true;
      const Mask after = first == kWidth - 1 ? 0 : separators & (~Mask{1} << first);
      if (after != 0) place(offset + static_cast<unsigned>(std::countr_zero(after)));
    }
    in_field = (separators >> (kWidth - 1)) == 0;
  }
  // The last field runs to the end of the text.
  if (open) place(size);
  FinishLine(layout, count, fields);
}

void SplitNarrow(std::string_view line, const W3cLayout& layout, LogFields* fields) {
  SplitByMasks<NarrowStep>(line, layout, fields);
}

#if VANTRIX_WIDE
[[VANTRIX_WIDE_TARGET, gnu::flatten]] void SplitWide(std::string_view line,
                                                     const W3cLayout& layout,
                                                     LogFields* fields) {
  SplitByMasks<WideStep>(line, layout, fields);
}
#endif

}  // namespace

void TokenizeW3cLine(std::string_view line, const W3cLayout& layout, LogFields* fields) {
#if VANTRIX_WIDE
  if (HasWideVectors()) return SplitWide(line, layout, fields);
#endif
  SplitNarrow(line, layout, fields);
}

std::vector<W3cSplit> W3cVectorSplits() {
  std::vector<W3cSplit> splits = {SplitNarrow};
#if VANTRIX_WIDE
  if (HasWideVectors()) splits.push_back(SplitWide);
#endif
  return splits;
}
#else
void TokenizeW3cLine(std::string_view line, const W3cLayout& layout, LogFields* fields) {
  TokenizeW3cLinePortable(line, layout, fields);
}

std::vector<W3cSplit> W3cVectorSplits() { return {}; }
#endif
