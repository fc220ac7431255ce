#pragma once

// glibc's vector maths (libmvec) on x86-64: four doubles a call, AVX2 variants, for the
// prediction's kernels and the benchmarks that hold them to their floor. Code that calls
// these must itself be compiled for AVX2 and FMA (TARNWICK_VECTOR_MATHS on the function)
// and must run only where HasVectorMaths() is true.

#if defined(__x86_64__)

#include <immintrin.h>

#include <cmath>

#include "acoustics/LevelRules.h"
#include "acoustics/simd/Simd.h"

#define TARNWICK_VECTOR_MATHS __attribute__((target("avx2,fma")))

// By their x86-64 vector-ABI names: 'd' for AVX2, 'N4' for four lanes without a mask, one
// 'v' per vector argument.
extern "C" {
TARNWICK_VECTOR_MATHS __m256d _ZGVdN4v_log(__m256d x);
TARNWICK_VECTOR_MATHS __m256d _ZGVdN4v_exp(__m256d x);
TARNWICK_VECTOR_MATHS __m256d _ZGVdN4v_cos(__m256d x);
TARNWICK_VECTOR_MATHS __m256d _ZGVdN4v_sin(__m256d x);
TARNWICK_VECTOR_MATHS __m256d _ZGVdN4vv_atan2(__m256d y, __m256d x);
}

namespace tarnwick::vector_maths {

// True where the processor runs AVX2 and FMA, so that the functions here may be called.
inline bool HasVectorMaths() { return simd::HasAvx2Fma(); }

// Each within a few units in the last place of the exact value. Sine and cosine are two
// calls: glibc's vector sincos writes through a vector of pointers and costs more than both.
TARNWICK_VECTOR_MATHS inline __m256d Sqrt(__m256d x) { return _mm256_sqrt_pd(x); }
TARNWICK_VECTOR_MATHS inline __m256d Atan2(__m256d y, __m256d x) { return _ZGVdN4vv_atan2(y, x); }
TARNWICK_VECTOR_MATHS inline __m256d Sin(__m256d x) { return _ZGVdN4v_sin(x); }
TARNWICK_VECTOR_MATHS inline __m256d Cos(__m256d x) { return _ZGVdN4v_cos(x); }
TARNWICK_VECTOR_MATHS inline __m256d Log(__m256d x) { return _ZGVdN4v_log(x); }
// 10 log10 of four powers; what a power of 0 or below gives is for the caller to mask.
TARNWICK_VECTOR_MATHS inline __m256d PowerLevel(__m256d power) {
  return _mm256_mul_pd(Log(power), _mm256_set1_pd(10.0 / std::log(10.0)));
}
// PowerDecibels four at a time: the level where a power has one (HasLevel: above 0 and
// finite), else SPLFloor.
TARNWICK_VECTOR_MATHS inline __m256d PowerDecibels(__m256d power) {
  const __m256d has = _mm256_and_pd(_mm256_cmp_pd(power, _mm256_setzero_pd(), _CMP_GT_OQ),
                                    _mm256_cmp_pd(power, _mm256_set1_pd(HUGE_VAL), _CMP_LT_OQ));
  return _mm256_blendv_pd(_mm256_set1_pd(SPLFloor), PowerLevel(power), has);
}

}  // namespace tarnwick::vector_maths

#endif
