// Byte masks of sixteen bytes at a time, for the splitters of log lines.
// VANTRIX_VECTOR is 1 where the vector instructions are there and wanted
// (a build with VANTRIX_NO_VECTOR takes the portable code everywhere); the
// code that uses these keeps a portable twin for the other case.
#pragma once

#if defined(__SSE2__) && !defined(VANTRIX_NO_VECTOR)
#define VANTRIX_VECTOR 1
#include <emmintrin.h>

/// Bit i is set when byte i of `bytes` equals `c`.
inline unsigned MatchByte(__m128i bytes, char c) {
  return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(c))));
}
#else
#define VANTRIX_VECTOR 0
#endif
