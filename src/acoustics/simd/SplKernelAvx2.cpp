#include "acoustics/SplKernel.h"
#include "acoustics/simd/Simd.h"

// PortableSplKernel's steps (see SplKernel.cpp) four points at a time with glibc's vector
// maths. Compiled, as SplKernel.cpp, with -ffp-contract=off: a fused multiply-add would
// skip roundings the steps make.

#if defined(__x86_64__)

#include "acoustics/VectorMath.h"

#define TARNWICK_AVX2 __attribute__((target("avx2,fma")))

namespace tarnwick::simd {

namespace {

// Rounds four doubles to single precision, as a static_cast<float> would, and widens them
// back.
TARNWICK_AVX2 inline __m256d Single(__m256d x) { return _mm256_cvtps_pd(_mm256_cvtpd_ps(x)); }

// Step 1 for every box at the first `lanes` points (a multiple of 4), one function at a time
// over all of them: a vector call's result comes long after the next independent call can
// start, so calls that do not wait for one another overlap, where a box's log, then exp,
// in a row would each wait for the one before. Until their own pass, `amplitude` holds
// the exponent and `sine` the phase in radians.
TARNWICK_AVX2 void BoxValuesAvx2(SplBlock& k, int lanes) {
  const __m256d ln10 = _mm256_set1_pd(SplLn10);
  for (int b = 0; b < k.boxes; ++b)
    for (int i = 0; i < lanes; i += 4) {
      const __m256d logR = _ZGVdN4v_log(_mm256_load_pd(&k.distance[b][i]));
      const __m256d drop = _mm256_div_pd(_mm256_mul_pd(_mm256_set1_pd(20.0), logR), ln10);
      const __m256d level = Single(_mm256_sub_pd(_mm256_load_pd(&k.level[b][i]), drop));
      _mm256_store_pd(&k.amplitude[b][i], _mm256_mul_pd(level, _mm256_set1_pd(SplLn10 / 20.0)));
    }
  for (int b = 0; b < k.boxes; ++b)
    for (int i = 0; i < lanes; i += 4)
      _mm256_store_pd(&k.amplitude[b][i], Single(_ZGVdN4v_exp(_mm256_load_pd(&k.amplitude[b][i]))));
  for (int b = 0; b < k.boxes; ++b)
    for (int i = 0; i < lanes; i += 4) {
      const __m256d r = _mm256_load_pd(&k.distance[b][i]);
      const __m256d travel = _mm256_div_pd(
          _mm256_mul_pd(_mm256_set1_pd(k.frequency), _mm256_mul_pd(r, _mm256_set1_pd(360.0))),
          _mm256_set1_pd(SpeedOfSound));
      const __m256d phase = Single(_mm256_add_pd(travel, _mm256_load_pd(&k.entryPhase[b][i])));
      _mm256_store_pd(&k.sine[b][i], _mm256_mul_pd(phase, _mm256_set1_pd(Pi / 180.0)));
    }
  for (int b = 0; b < k.boxes; ++b)
    for (int i = 0; i < lanes; i += 4)
      _mm256_store_pd(&k.cosine[b][i], _ZGVdN4v_cos(_mm256_load_pd(&k.sine[b][i])));
  for (int b = 0; b < k.boxes; ++b)
    for (int i = 0; i < lanes; i += 4)
      _mm256_store_pd(&k.sine[b][i], _ZGVdN4v_sin(_mm256_load_pd(&k.sine[b][i])));
}

// Steps 2 and 3 for V groups of four points from lane `first`. Each addition to a sum waits
// for the one before (some 15 cycles for the add and the two conversions), so V
// independent sums run interleaved to keep the processor busy meanwhile.
template <int V>
TARNWICK_AVX2 void SumAvx2(SplBlock& k, int first) {
  __m256d power[V];
  for (int v = 0; v < V; ++v) power[v] = _mm256_setzero_pd();
  for (int j = 0; j < k.boxes; ++j) {
    __m256d twice[V];  // 2 A_j
    for (int v = 0; v < V; ++v) {
      const __m256d a = _mm256_load_pd(&k.amplitude[j][first + 4 * v]);
      power[v] = Single(_mm256_add_pd(power[v], _mm256_mul_pd(a, a)));
      twice[v] = _mm256_mul_pd(_mm256_set1_pd(2.0), a);
    }
    for (int m = j + 1; m < k.boxes; ++m)
      for (int v = 0; v < V; ++v) {
        const int i = first + 4 * v;
        const __m256d cosine = _mm256_add_pd(
            _mm256_mul_pd(_mm256_load_pd(&k.cosine[j][i]), _mm256_load_pd(&k.cosine[m][i])),
            _mm256_mul_pd(_mm256_load_pd(&k.sine[j][i]), _mm256_load_pd(&k.sine[m][i])));
        const __m256d term =
            _mm256_mul_pd(_mm256_mul_pd(twice[v], _mm256_load_pd(&k.amplitude[m][i])), cosine);
        power[v] = Single(_mm256_add_pd(power[v], term));
      }
  }
  const __m256d zero = _mm256_setzero_pd();
  const __m256d infinity = _mm256_set1_pd(HUGE_VAL);
  for (int v = 0; v < V; ++v) {
    const __m256d level = _mm256_div_pd(_mm256_mul_pd(_mm256_set1_pd(10.0), _ZGVdN4v_log(power[v])),
                                        _mm256_set1_pd(SplLn10));
    // 0 < S < infinity, false for a NaN.
    const __m256d defined = _mm256_and_pd(_mm256_cmp_pd(power[v], zero, _CMP_GT_OQ),
                                          _mm256_cmp_pd(power[v], infinity, _CMP_LT_OQ));
    const __m256d spl = _mm256_blendv_pd(_mm256_set1_pd(SPLFloor), level, defined);
    _mm_store_ps(&k.spl[first + 4 * v], _mm256_cvtpd_ps(spl));
  }
}

}  // namespace

TARNWICK_AVX2 void Avx2SplKernel(SplBlock& k) {
  const int vectors = (k.points + 3) / 4;
  BoxValuesAvx2(k, 4 * vectors);
  // Eight sums side by side keep the processor's vector units about full; what is left
  // over goes four, two and one at a time.
  int v = 0;
  for (; v + 8 <= vectors; v += 8) SumAvx2<8>(k, 4 * v);
  if (vectors - v >= 4) SumAvx2<4>(k, 4 * v), v += 4;
  if (vectors - v >= 2) SumAvx2<2>(k, 4 * v), v += 2;
  if (vectors - v >= 1) SumAvx2<1>(k, 4 * v);
}

}  // namespace tarnwick::simd

#undef TARNWICK_AVX2

#else

namespace tarnwick::simd {
void Avx2SplKernel(SplBlock&) {}
}  // namespace tarnwick::simd

#endif
