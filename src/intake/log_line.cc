#include "intake/log_line.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#include "bytes/byte_mask.h"
#include "bytes/comma_list.h"
#include "bytes/decimal.h"
#include "bytes/field_text.h"
#include "bytes/hash.h"
#include "bytes/text_buffer.h"
#include "options.h"
#include "texts.h"

std::string LogFields::ToString() const {
  std::string text = std::to_string(count) + ":";
  for (int i = 0; i < kFieldCount; ++i) {
    if (Present(i)) {
      text += " [";
      text += slot[i];
      text += ']';
    } else {
      text += " ~";
    }
  }
  return text;
}

namespace {

// The slot value of the token [begin, end): its leading white space
// skipped; absent when nothing else, or a lone "-", is left.
inline std::string_view FieldOf(const char* begin, const char* end) {
  // Fields usually follow a comma and one blank: skip that one at once.
  if (*begin == ' ') ++begin;
  while (begin < end && IsCSpace(static_cast<unsigned char>(*begin))) ++begin;
  const std::size_t size = static_cast<std::size_t>(end - begin);
  // cppcheck-suppress knownConditionTrueFalse ; the loop also stops at a non-blank byte
  return size != 0 && !(size == 1 && *begin == '-') ? std::string_view(begin, size)
                                                    : std::string_view();
}

// The slot value of the token [begin, end) when slot `i` is wanted, else
// absent: reading a field costs more than passing it by.
inline std::string_view WantedField(std::uint32_t wanted, int i, const char* begin,
                                    const char* end) {
  return (wanted >> i & 1) != 0 ? FieldOf(begin, end) : std::string_view();
}

// Puts the token [begin, end) into the next slot; true when the line has
// all its slots.
inline bool TakeToken(const char* begin, const char* end, std::uint32_t wanted,
                      LogFields* fields) {
  fields->slot[fields->count] = WantedField(wanted, fields->count, begin, end);
  return ++fields->count == kFieldCount;
}

// Every slot from the count on is absent.
inline void ClearRest(LogFields* fields) {
  for (int i = fields->count; i < kFieldCount; ++i) fields->slot[i] = std::string_view();
}


}  // namespace

// Cut as strtok() with "," cuts: a token is a run of bytes other than the
// comma, so a run of commas is one separator. The text ends at the first NUL.
void TokenizeLinePortable(std::string_view line, LogFields* fields, std::uint32_t wanted) {
  fields->count = 0;
  fields->complete = false;
  const char* base = line.data();
  std::size_t size = line.size();
  if (const void* nul = std::memchr(base, '\0', size)) {
    size = static_cast<const char*>(nul) - base;
  }
  std::size_t token = 0;  // where the current token begins
  for (std::size_t comma = 0; comma < size; ++comma) {
    if (base[comma] != ',') continue;
    if (comma > token && TakeToken(base + token, base + comma, wanted, fields)) {
      fields->complete = true;
      return;
    }
    token = comma + 1;
  }
  if (size > token && TakeToken(base + token, base + size, wanted, fields)) {
    fields->complete = true;
  }
  ClearRest(fields);
}

#if VANTRIX_VECTOR
namespace {

// Thirty-two bytes a step, with the vector instructions every x86-64
// processor has; a line shorter than that sixteen bytes a step.
struct NarrowCommaStep {
  using Mask = std::uint32_t;

  // The commas and the NULs of the step at `offset` (bit i tells of byte
  // offset + i; none past the line), and the step's length.
  static Mask Commas(const char* base, std::size_t size, std::size_t offset, Mask* nuls,
                     std::size_t* step) {
    if (size - offset >= 32) {
      const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + offset));
      const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + offset + 16));
      *nuls = MatchByte(low, '\0') | (MatchByte(high, '\0') << 16);
      *step = 32;
      return MatchByte(low, ',') | (MatchByte(high, ',') << 16);
    }
    if (size >= 32) {
      // The line's last thirty-two bytes, the masks shifted to begin at
      // this step: no copy, and nothing past the line read.
      const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + size - 32));
      const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + size - 16));
      const unsigned shift = static_cast<unsigned>(32 - (size - offset));
      *nuls = (MatchByte(low, '\0') | (MatchByte(high, '\0') << 16)) >> shift;
      *step = 32;
      return (MatchByte(low, ',') | (MatchByte(high, ',') << 16)) >> shift;
    }
    __m128i bytes;
    Mask valid = 0xFFFF;
    if (size - offset >= 16) {
      bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + offset));
    } else {
      alignas(16) char tail[16] = {};
      std::memcpy(tail, base + offset, size - offset);
      bytes = _mm_load_si128(reinterpret_cast<const __m128i*>(tail));
      valid = (Mask{1} << (size - offset)) - 1;
    }
    *nuls = MatchByte(bytes, '\0') & valid;
    *step = 16;
    return MatchByte(bytes, ',') & valid;
  }
};

#if VANTRIX_WIDE
// Sixty-four bytes a step, with the wider vectors of newer processors.
struct WideCommaStep {
  using Mask = std::uint64_t;

  [[VANTRIX_WIDE_TARGET]] static Mask Half(const char* at, char c) {
    return static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(
        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at)), _mm256_set1_epi8(c))));
  }

  // Bit i is set when byte i of the sixty-four at `at` is `c`.
  [[VANTRIX_WIDE_TARGET]] static Mask Match(const char* at, char c) {
    return Half(at, c) | Half(at + 32, c) << 32;
  }

  // As NarrowCommaStep's.
  [[VANTRIX_WIDE_TARGET]] static Mask Commas(const char* base, std::size_t size,
                                             std::size_t offset, Mask* nuls, std::size_t* step) {
    *step = 64;
    if (size - offset >= 64) {
      *nuls = Match(base + offset, '\0');
      return Match(base + offset, ',');
    }
    if (size >= 64) {
      const unsigned shift = static_cast<unsigned>(64 - (size - offset));
      *nuls = Match(base + size - 64, '\0') >> shift;
      return Match(base + size - 64, ',') >> shift;
    }
    char tail[64] = {};
    std::memcpy(tail, base + offset, size - offset);
    const Mask valid = (Mask{1} << (size - offset)) - 1;
    *nuls = Match(tail, '\0') & valid;
    return Match(tail, ',') & valid;
  }
};
#endif

// The same cut, with the commas and the first NUL found a step of bytes at
// a time: the tokenizer is the busiest code of a run. The slots are built
// in locals, which the compiler keeps in registers.
template <typename Step>
[[gnu::always_inline]] inline void CutByMasks(std::string_view line, LogFields* fields,
                                              std::uint32_t wanted) {
  using Mask = typename Step::Mask;
  const char* const base = line.data();
  std::size_t size = line.size();
  std::string_view* const slot = fields->slot.data();
  int count = 0;
  std::size_t token = 0;  // where the current token begins

  // Puts the token [token, end) into the next slot; true when all are full.
  auto take = [&](std::size_t end) {
    slot[count] = WantedField(wanted, count, base + token, base + end);
    return ++count == kFieldCount;
  };

  for (std::size_t offset = 0; offset < size;) {
    Mask nuls;
    std::size_t step;
    Mask commas = Step::Commas(base, size, offset, &nuls, &step);
    if (nuls != 0) {
      // The text ends at the NUL: no comma from there on counts.
      const unsigned at = static_cast<unsigned>(std::countr_zero(nuls));
      size = offset + at;
      commas &= (Mask{1} << at) - 1;
    }
    for (; commas != 0; commas &= commas - 1) {
      const std::size_t comma = offset + static_cast<unsigned>(std::countr_zero(commas));
      if (comma > token && take(comma)) {
        fields->count = count;
        fields->complete = true;
        return;
      }
      token = comma + 1;
    }
    offset += step;
  }
  const bool complete = size > token && take(size);
  fields->count = count;
  fields->complete = complete;
  ClearRest(fields);
}

void CutNarrow(std::string_view line, LogFields* fields, std::uint32_t wanted) {
  CutByMasks<NarrowCommaStep>(line, fields, wanted);
}

#if VANTRIX_WIDE
[[VANTRIX_WIDE_TARGET, gnu::flatten]] void CutWide(std::string_view line, LogFields* fields,
                                                   std::uint32_t wanted) {
  CutByMasks<WideCommaStep>(line, fields, wanted);
}
#endif

}  // namespace

void TokenizeLine(std::string_view line, LogFields* fields, std::uint32_t wanted) {
#if VANTRIX_WIDE
  if (HasWideVectors()) return CutWide(line, fields, wanted);
#endif
  CutNarrow(line, fields, wanted);
}

std::vector<CommaSplit> CommaVectorSplits() {
  std::vector<CommaSplit> splits = {CutNarrow};
#if VANTRIX_WIDE
  if (HasWideVectors()) splits.push_back(CutWide);
#endif
  return splits;
}
#else
void TokenizeLine(std::string_view line, LogFields* fields, std::uint32_t wanted) {
  TokenizeLinePortable(line, fields, wanted);
}

std::vector<CommaSplit> CommaVectorSplits() { return {}; }
#endif

LineFilters CompileFilters(const Options& options) {
  LineFilters filters;
  filters.root_path = options.RootPath;
  if (options.ServerIP != nullptr) {
    filters.has_server_ip = true;
    filters.server_ip = ParseIpMaskList(options.ServerIP);
  }
  if (options.ExcludeIP != nullptr) {
    filters.has_exclude_ip = true;
    filters.exclude_ip = ParseIpMaskList(options.ExcludeIP);
  }
  filters.exclude_pattern = SplitNamePatterns(options.ExcludePattern);
  // Read when the option was given, and refused there when bad.
  if (options.trusted_proxies != nullptr) {
    ParseTrustedProxies(options.trusted_proxies, &filters.trusted_proxies);
  }
  if (options.sites != nullptr) {
    filters.has_sites = true;
    CommaList items(options.sites);
    std::string_view site;
    while (items.Next(&site)) filters.sites.push_back(site);
  }
  if (options.own_hosts != nullptr) {
    CommaList items(options.own_hosts);
    std::string_view host;
    while (items.Next(&host)) filters.own_hosts.push_back(host);
  }
  return filters;
}

bool LineFilters::CountsSite(std::string_view site) const {
  return std::any_of(sites.begin(), sites.end(),
                     [&](std::string_view name) { return EqualFolded(site, name); });
}

LineVerdict FilterLine(const LogFields& fields, const LineFilters& filters) {
  // Every field the tests below read was found.
  if (!fields.complete) return LineVerdict::kIncomplete;

  // Only the web service counts.
  if (!fields.Present(kService) || !fields.slot[kService].starts_with("W3SVC"))
    return LineVerdict::kWrongService;

  // Only page requests count.
  if (fields.slot[kMethod] != "GET") return LineVerdict::kWrongMethod;

  // The server the request reached. An empty address, of a log that does
  // not record it, is in no mask.
  if (!fields.Present(kServerIp) ||
      (filters.has_server_ip &&
       (fields.slot[kServerIp].empty() || !MatchIpMasks(fields.slot[kServerIp], filters.server_ip))))
    return LineVerdict::kWrongServerIp;

  // The part of the site reported on.
  if (!fields.Present(kTarget) || !fields.slot[kTarget].starts_with(filters.root_path))
    return LineVerdict::kWrongRootPath;

  // Clients left out of the statistics.
  if (!fields.Present(kClientIp) ||
      (filters.has_exclude_ip &&
       MatchIpMasks(fields.slot[kClientIp], filters.exclude_ip)))
    return LineVerdict::kExcludedClientIp;

  // Files that are not pages.
  if (MatchNamePatterns(fields.slot[kTarget], filters.exclude_pattern))
    return LineVerdict::kExcludedPattern;

  // What the statistics need.
  if (!fields.Present(kServerBytes) || !fields.Present(kDate) || !fields.Present(kTime))
    return LineVerdict::kMissingParameter;

  return LineVerdict::kAccepted;
}

bool IsCountedRequest(const LogFields& fields, const LineFilters& filters) {
  return fields.complete && fields.Present(kService) && fields.slot[kService].starts_with("W3SVC") &&
         fields.Present(kServerIp) &&
         !(filters.has_server_ip && (fields.slot[kServerIp].empty() ||
                                     !MatchIpMasks(fields.slot[kServerIp], filters.server_ip))) &&
         fields.Present(kTarget) && fields.slot[kTarget].starts_with(filters.root_path) &&
         fields.Present(kClientIp) &&
         !(filters.has_exclude_ip && MatchIpMasks(fields.slot[kClientIp], filters.exclude_ip)) &&
         fields.Present(kDate) && fields.Present(kTime);
}

void WriteRejection(TextBuffer* out, LineVerdict verdict, const LogFields& fields,
                    const Options& options) {
  const TextEscape escape = options.message_escape;
  switch (verdict) {
    case LineVerdict::kAccepted:
      break;
    case LineVerdict::kIncomplete:
      out->Printf(texts::kRejectIncomplete, fields.count);
      break;
    case LineVerdict::kTooManyFields:
      out->Append(texts::kRejectTooManyFields);
      break;
    case LineVerdict::kWrongService:
      out->Append(texts::kRejectService);
      break;
    case LineVerdict::kWrongMethod:
      out->Append(texts::kRejectMethod);
      break;
    case LineVerdict::kWrongServerIp:
      out->Append(texts::kRejectServerIp);
      break;
    case LineVerdict::kWrongRootPath:
      out->Printf(texts::kRejectRootPath, FieldText(options.RootPath, escape).text);
      break;
    case LineVerdict::kExcludedClientIp:
      if (fields.Present(kClientIp)) {
        out->Printf(texts::kRejectClientIp, FieldText(fields.slot[kClientIp], escape).text);
      } else {
        out->Printf(texts::kRejectClientIp, texts::kUndefinedIp);
      }
      break;
    case LineVerdict::kExcludedPattern:
      out->Printf(texts::kRejectPattern, FieldText(fields.slot[kTarget], escape).text);
      break;
    case LineVerdict::kMissingParameter:
      out->Append(texts::kRejectMissing);
      break;
    case LineVerdict::kContinuation:
      out->Append(texts::kRejectContinuation);
      break;
    case LineVerdict::kTooLong:
      out->Append(texts::kRejectTooLong);
      break;
  }
}
