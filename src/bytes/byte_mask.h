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

// VANTRIX_WIDE is 1 where code may also be built for the 32-byte vectors
// and bit instructions of newer x86-64 processors (AVX2, BMI1, BMI2), to be
// run only when HasWideVectors() says the processor has them. Not on
// Windows, where the compiler cannot keep 32-byte values it stores on the
// stack aligned.
#if VANTRIX_VECTOR && defined(__x86_64__) && !defined(_WIN32)
#define VANTRIX_WIDE 1
#define VANTRIX_WIDE_TARGET gnu::target("avx2,bmi,bmi2")
#include <immintrin.h>

/// True when this processor runs the code built for VANTRIX_WIDE_TARGET.
inline bool HasWideVectors() {
  return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi") &&
         __builtin_cpu_supports("bmi2");
}
#else
#define VANTRIX_WIDE 0
#endif
