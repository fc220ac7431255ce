#include "acoustics/SplCollect.h"
#include "acoustics/simd/Simd.h"

// PortableSplKernel's steps (see SplKernel.cpp) four points at a time with glibc's vector
// maths. Compiled, as SplKernel.cpp, with -ffp-contract=off: a fused multiply-add would
// skip roundings the steps make.

#if defined(__x86_64__)

#include <algorithm>

#include "acoustics/VectorMath.h"

#define TARNWICK_AVX2 __attribute__((target("avx2,fma")))

namespace tarnwick::simd {

namespace {

// Rounds four doubles to single precision, as a static_cast<float> would, and widens them
// back.
TARNWICK_AVX2 inline __m256d Single(__m256d x) { return _mm256_cvtps_pd(_mm256_cvtpd_ps(x)); }

// a / b as the division rounds it, given y = 1 / b rounded to double: the quotient a y,
// within an ulp, corrected by its remainder a - q b, which the fused multiply-add gives
// exactly (Markstein's correction). It runs beside the one division a box value still makes,
// which takes the divider alone. Checked against the division for a = 20 ln r, b = ln 10 at
// every positive single-precision r (and for a = f r 360, b = 340 at every band's frequency
// f): equal but at r = infinity, where it gives NaN for infinity; that box's amplitude is 0
// and its cosine NaN either way, so the point's summed power is NaN and its level the floor
// (a lone box's power 0 or NaN, the floor too).
TARNWICK_AVX2 inline __m256d Quotient(__m256d a, __m256d b, __m256d y) {
  const __m256d q = _mm256_mul_pd(a, y);
  return _mm256_fmadd_pd(_mm256_fnmadd_pd(q, b, a), y, q);
}

// Step 1 for every box at the first `lanes` points (a multiple of 4), from the distances,
// levels and entry phases CollectBlockAvx2 collects: one function at a time over all of
// them, as a vector call's result comes long after the next independent call can start, so
// calls that do not wait for one another overlap. The arithmetic between the calls runs in
// a pass of its own: after each call it would hold up the next, and in the geometry's loop
// it would wait on the directivity checks.
TARNWICK_AVX2 void BoxValuesAvx2(SplBlock& k, int lanes) {
  const __m256d ln10 = _mm256_set1_pd(SplLn10), inverseLn10 = _mm256_set1_pd(1.0 / SplLn10);
  const __m256d twenty = _mm256_set1_pd(20.0), exponent = _mm256_set1_pd(SplLn10 / 20.0);
  const __m256d frequency = _mm256_set1_pd(k.frequency), speed = _mm256_set1_pd(SpeedOfSound);
  for (int b = 0; b < k.boxes; ++b)
    for (int i = 0; i < lanes; i += 4)
      _mm256_store_pd(&k.amplitude[b][i], _ZGVdN4v_log(_mm256_load_pd(&k.distance[b][i])));
  // The exponent of the amplitude, single(level - 20 ln r / ln 10) ln 10 / 20, and the phase
  // in radians, single(f r 360 / c + entry phase) pi / 180.
  for (int b = 0; b < k.boxes; ++b)
    for (int i = 0; i < lanes; i += 4) {
      const __m256d drop =
          Quotient(_mm256_mul_pd(twenty, _mm256_load_pd(&k.amplitude[b][i])), ln10, inverseLn10);
      const __m256d level = Single(_mm256_sub_pd(_mm256_load_pd(&k.level[b][i]), drop));
      _mm256_store_pd(&k.amplitude[b][i], _mm256_mul_pd(level, exponent));
      const __m256d travel = _mm256_div_pd(
          _mm256_mul_pd(frequency,
                        _mm256_mul_pd(_mm256_load_pd(&k.distance[b][i]), _mm256_set1_pd(360.0))),
          speed);
      _mm256_store_pd(
          &k.sine[b][i],
          _mm256_mul_pd(Single(_mm256_add_pd(travel, _mm256_load_pd(&k.entryPhase[b][i]))),
                        _mm256_set1_pd(Pi / 180.0)));
    }
  for (int b = 0; b < k.boxes; ++b)
    for (int i = 0; i < lanes; i += 4)
      _mm256_store_pd(&k.amplitude[b][i], Single(_ZGVdN4v_exp(_mm256_load_pd(&k.amplitude[b][i]))));
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

// Steps 2 and 3 for the block's `vectors` groups of four (1 ... SplBlock::Width / 4) side by
// side, as many as CalculateSPL's even blocks give.
TARNWICK_AVX2 void Sum(SplBlock& k, int vectors) {
  switch (vectors) {
    case 1:
      return SumAvx2<1>(k, 0);
    case 2:
      return SumAvx2<2>(k, 0);
    case 3:
      return SumAvx2<3>(k, 0);
    case 4:
      return SumAvx2<4>(k, 0);
    case 5:
      return SumAvx2<5>(k, 0);
    case 6:
      return SumAvx2<6>(k, 0);
    case 7:
      return SumAvx2<7>(k, 0);
    default:
      return SumAvx2<8>(k, 0);
  }
}

}  // namespace

TARNWICK_AVX2 void Avx2SplKernel(BoxSet& boxes, SPLPoint* point, int count, SplBlock& k,
                                 SplWork* work) {
  static_assert(SplBlock::Width == 32, "Sum takes up to eight groups of four");
  const int vectors = (count + 3) / 4;
  CollectBlockAvx2(boxes, point, count, k);
  BoxValuesAvx2(k, 4 * vectors);
  Sum(k, vectors);
  for (int n = 0; n < count; ++n) point[n].SPL = k.defined[n] ? k.spl[n] : SPLFloor;
  if (work) {
    const long long lanes = 4 * vectors, values = lanes * k.boxes;
    work->logarithms += values + lanes, work->exponentials += values, work->squareRoots += values;
    work->cosines += values, work->sines += values;
    work->sumTerms += values * (k.boxes + 1) / 2;
  }
}

TARNWICK_AVX2 int SinesCosines(const double* radians, double* sine, double* cosine, int count) {
  int first = 0;
  for (; first < count; first += 4) {
    alignas(32) double x[4] = {}, s[4], c[4];
    const int lanes = std::min(4, count - first);
    std::copy_n(radians + first, lanes, x);
    _mm256_store_pd(s, _ZGVdN4v_sin(_mm256_load_pd(x)));
    _mm256_store_pd(c, _ZGVdN4v_cos(_mm256_load_pd(x)));
    std::copy_n(s, lanes, sine + first), std::copy_n(c, lanes, cosine + first);
  }
  return first;
}

}  // namespace tarnwick::simd

#undef TARNWICK_AVX2

#else

namespace tarnwick::simd {
void Avx2SplKernel(BoxSet&, SPLPoint*, int, SplBlock&, SplWork*) {}
int SinesCosines(const double*, double*, double*, int count) { return count; }
}  // namespace tarnwick::simd

#endif
