#include "acoustics/simd/Simd.h"

#if defined(__x86_64__)

#include <cmath>

#include "acoustics/VectorMath.h"

namespace tarnwick::simd {

namespace {

TARNWICK_VECTOR_MATHS __m256d Load(const double* p) { return _mm256_loadu_pd(p); }

// The steps of the loops below, which must not become calls that pass vectors in memory.
#define TARNWICK_INLINE inline __attribute__((always_inline))

// The polynomial c[0] + c[1] x + ... by Estrin's scheme: pairs of terms, then pairs of
// pairs, so that the additions run side by side rather than one after another.
template <std::size_t N>
TARNWICK_VECTOR_MATHS TARNWICK_INLINE __m256d Polynomial(__m256d x, const double (&c)[N]) {
  __m256d terms[N];
#pragma GCC unroll 16
  for (std::size_t k = 0; k < N; ++k) terms[k] = _mm256_set1_pd(c[k]);
  std::size_t n = N;
  __m256d power = x;
#pragma GCC unroll 8
  while (n > 1) {
#pragma GCC unroll 8
    for (std::size_t k = 0; 2 * k + 1 < n; ++k)
      terms[k] = _mm256_fmadd_pd(terms[2 * k + 1], power, terms[2 * k]);
    if (n % 2 == 1) terms[n / 2] = terms[n - 1];
    n = (n + 1) / 2;
    power = _mm256_mul_pd(power, power);
  }
  return terms[0];
}

// e^x within a few units in the last place, 0 below x = -700 (where the air has taken
// everything): x = n ln 2 + f with |f| <= ln 2 / 2, e^f from its series to f^10 (the next
// term is below 3e-13 of it), times 2^n. A NaN stays NaN.
TARNWICK_VECTOR_MATHS TARNWICK_INLINE __m256d Exp(__m256d x) {
  constexpr double Series[] = {1.0,         1.0,          1.0 / 2,      1.0 / 6,
                               1.0 / 24,    1.0 / 120,    1.0 / 720,    1.0 / 5040,
                               1.0 / 40320, 1.0 / 362880, 1.0 / 3628800};
  __m256d n = _mm256_round_pd(_mm256_mul_pd(x, _mm256_set1_pd(1.4426950408889634)),
                              _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
  n = _mm256_max_pd(_mm256_min_pd(n, _mm256_set1_pd(1023.0)), _mm256_set1_pd(-1022.0));
  // ln 2 in two parts, so that n ln 2 is exact to far below f's last place.
  __m256d f = _mm256_fnmadd_pd(n, _mm256_set1_pd(0.6931471805599453), x);
  f = _mm256_fnmadd_pd(n, _mm256_set1_pd(2.3190468138462996e-17), f);
  const __m256i exponent = _mm256_slli_epi64(
      _mm256_add_epi64(_mm256_cvtepi32_epi64(_mm256_cvtpd_epi32(n)), _mm256_set1_epi64x(1023)), 52);
  const __m256d e = _mm256_mul_pd(Polynomial(f, Series), _mm256_castsi256_pd(exponent));
  return _mm256_blendv_pd(e, _mm256_setzero_pd(),
                          _mm256_cmp_pd(x, _mm256_set1_pd(-700.0), _CMP_LT_OQ));
}

// The cosine and sine of angles within half a turn either way, within 2e-12 of them: those
// of a quarter of the angle from their series (the next terms below 4e-13), doubled twice.
TARNWICK_VECTOR_MATHS TARNWICK_INLINE void CosSin(__m256d angle, __m256d& cosine, __m256d& sine) {
  constexpr double CosineSeries[] = {1.0,         -1.0 / 2,       1.0 / 24,       -1.0 / 720,
                                     1.0 / 40320, -1.0 / 3628800, 1.0 / 479001600};
  constexpr double SineSeries[] = {1.0,          -1.0 / 6,        1.0 / 120,         -1.0 / 5040,
                                   1.0 / 362880, -1.0 / 39916800, 1.0 / 6227020800.0};
  const __m256d y = _mm256_mul_pd(angle, _mm256_set1_pd(0.25)), y2 = _mm256_mul_pd(y, y);
  __m256d c = Polynomial(y2, CosineSeries), s = _mm256_mul_pd(y, Polynomial(y2, SineSeries));
  for (int twice = 0; twice < 2; ++twice) {
    const __m256d doubled = _mm256_add_pd(c, c);
    c = _mm256_fmsub_pd(c, c, _mm256_mul_pd(s, s));
    s = _mm256_mul_pd(doubled, s);
  }
  cosine = c, sine = s;
}

// EntryPressures for the four points from i.
TARNWICK_VECTOR_MATHS TARNWICK_INLINE void FourPressures(const PressuresFrom& from, std::size_t i,
                                                         __m256d scale, __m256d loss) {
  // The four points' entries, one row each, turned into the entries' columns.
  const __m256d e0 = Load(from.Table + 4 * std::size_t(from.Entry[i]));
  const __m256d e1 = Load(from.Table + 4 * std::size_t(from.Entry[i + 1]));
  const __m256d e2 = Load(from.Table + 4 * std::size_t(from.Entry[i + 2]));
  const __m256d e3 = Load(from.Table + 4 * std::size_t(from.Entry[i + 3]));
  const __m256d low01 = _mm256_unpacklo_pd(e0, e1), high01 = _mm256_unpackhi_pd(e0, e1);
  const __m256d low23 = _mm256_unpacklo_pd(e2, e3), high23 = _mm256_unpackhi_pd(e2, e3);
  const __m256d re = _mm256_permute2f128_pd(low01, low23, 0x20);
  const __m256d im = _mm256_permute2f128_pd(high01, high23, 0x20);
  const __m256d zRe = _mm256_permute2f128_pd(low01, low23, 0x31);
  const __m256d zIm = _mm256_permute2f128_pd(high01, high23, 0x31);
  const __m256d t = Load(&from.Fraction[i]), r = Load(&from.Distance[i]);
  __m256d cosine, sine;
  CosSin(_mm256_mul_pd(t, zIm), cosine, sine);
  const __m256d amplitude = _mm256_mul_pd(_mm256_mul_pd(scale, Load(&from.Inverse[i])),
                                          Exp(_mm256_fmsub_pd(t, zRe, _mm256_mul_pd(loss, r))));
  _mm256_storeu_pd(&from.Re[i],
                   _mm256_mul_pd(amplitude, _mm256_fmsub_pd(re, cosine, _mm256_mul_pd(im, sine))));
  _mm256_storeu_pd(&from.Im[i],
                   _mm256_mul_pd(amplitude, _mm256_fmadd_pd(re, sine, _mm256_mul_pd(im, cosine))));
}

}  // namespace

TARNWICK_VECTOR_MATHS std::size_t EntryPressures(const PressuresFrom& from, std::size_t count) {
  const __m256d scale = _mm256_set1_pd(from.Scale), loss = _mm256_set1_pd(from.Loss);
  // Eight points a round, two chains of arithmetic side by side.
  std::size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    FourPressures(from, i, scale, loss);
    FourPressures(from, i + 4, scale, loss);
  }
  if (i + 4 <= count) FourPressures(from, i, scale, loss), i += 4;
  return i;
}

TARNWICK_VECTOR_MATHS std::size_t PlacePaths(const PathsFrom& from, std::size_t count) {
  using namespace vector_maths;
  const __m256d degrees = _mm256_set1_pd(180.0 / Pi), aimed = _mm256_set1_pd(from.Aim);
  const __m256d sourceX = _mm256_set1_pd(from.Source[0]), sourceY = _mm256_set1_pd(from.Source[1]);
  const __m128 singleX = _mm_set1_ps(from.Source[0]), singleY = _mm_set1_ps(from.Source[1]);
  const __m128 half = _mm_set1_ps(180.0f), whole = _mm_set1_ps(360.0f);
  const __m128 minusHalf = _mm_set1_ps(-180.0f);
  const __m256d step = _mm256_set1_pd(1.0 / 5.0), axis = _mm256_set1_pd(36.0);
  const __m256d lastBlend = _mm256_set1_pd(71.0), lastSteps = _mm256_set1_pd(36.5);
  const __m256d sign = _mm256_set1_pd(-0.0), zero = _mm256_setzero_pd();
  std::size_t i = 0;
  for (; i + 4 <= count; i += 4) {
    // Four points' x and y, from (x, y) pairs.
    const __m128 a = _mm_loadu_ps(&from.Points[2 * i]), b = _mm_loadu_ps(&from.Points[2 * i + 4]);
    const __m128 x = _mm_shuffle_ps(a, b, _MM_SHUFFLE(2, 0, 2, 0));
    const __m128 y = _mm_shuffle_ps(a, b, _MM_SHUFFLE(3, 1, 3, 1));
    // The distance in double.
    const __m256d dx = _mm256_sub_pd(_mm256_cvtps_pd(x), sourceX);
    const __m256d dy = _mm256_sub_pd(_mm256_cvtps_pd(y), sourceY);
    const __m256d r = Sqrt(_mm256_fmadd_pd(dx, dx, _mm256_mul_pd(dy, dy)));
    _mm256_storeu_pd(&from.Distance[i], r);
    _mm256_storeu_pd(&from.Inverse[i], _mm256_div_pd(_mm256_set1_pd(1.0), r));
    // The angle from straight down of the single-precision direction, rounded to single,
    // -180 given as +180; less the aim, rounded to single and wrapped once into (-180, 180],
    // as OffAxisAngle has it.
    const __m256d across = _mm256_cvtps_pd(_mm_sub_ps(x, singleX));
    const __m256d down = _mm256_xor_pd(_mm256_cvtps_pd(_mm_sub_ps(y, singleY)), sign);
    __m128 angle = _mm256_cvtpd_ps(_mm256_mul_pd(Atan2(across, down), degrees));
    angle = _mm_blendv_ps(angle, half, _mm_cmp_ps(angle, minusHalf, _CMP_LE_OQ));
    __m128 t = _mm256_cvtpd_ps(_mm256_sub_pd(_mm256_cvtps_pd(angle), aimed));
    t = _mm_sub_ps(t, _mm_and_ps(_mm_cmp_ps(t, half, _CMP_GT_OQ), whole));
    t = _mm_add_ps(t, _mm_and_ps(_mm_cmp_ps(t, minusHalf, _CMP_LE_OQ), whole));
    // The entry, and with Interpolate the fraction of the way to the next (BlendIndex);
    // else the nearest entry, a half to the even one (DirectivityIndex). None (NoEntry)
    // where the angle has none or the point lies on the source.
    const __m256d steps = _mm256_mul_pd(_mm256_cvtps_pd(t), step);
    __m256d entry, fraction = zero, valid;
    if (from.Interpolate) {
      const __m256d u = _mm256_add_pd(steps, axis);
      entry =
          _mm256_min_pd(_mm256_round_pd(u, _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC), lastBlend);
      fraction = _mm256_sub_pd(u, entry);
      valid = _mm256_cmp_pd(_mm256_andnot_pd(sign, _mm256_cvtps_pd(t)), _mm256_set1_pd(180.0),
                            _CMP_LE_OQ);
    } else {
      entry = _mm256_add_pd(_mm256_round_pd(steps, _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC),
                            axis);
      valid = _mm256_cmp_pd(_mm256_andnot_pd(sign, steps), lastSteps, _CMP_LE_OQ);
    }
    valid = _mm256_and_pd(valid, _mm256_cmp_pd(r, zero, _CMP_GT_OQ));
    entry = _mm256_blendv_pd(_mm256_set1_pd(double(from.NoEntry)), entry, valid);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(&from.Entry[i]), _mm256_cvtpd_epi32(entry));
    _mm256_storeu_pd(&from.Fraction[i], _mm256_and_pd(fraction, valid));
  }
  return i;
}

TARNWICK_VECTOR_MATHS std::size_t AddBox(const BandWaves& w, int level, double half,
                                         const double* before, double* power, std::size_t count) {
  const std::size_t row = w.Stride, next = BandWaves::Rows * w.Stride;
  const double* own = w.Waves + std::size_t(level) * next;
  std::size_t i = 0;
  for (; i + 4 <= count; i += 4) {
    const __m256d re = Load(&own[i]), im = Load(&own[row + i]);
    const __m256d conjugateRe = Load(&own[2 * row + i]), conjugateIm = Load(&own[3 * row + i]);
    // The pair's two sines times its inverse gap, added to `sum`, for the box above whose
    // rows start at `other` (its inverse gaps at `gap`).
    const auto add = [&](const double* other, const double* gap, __m256d sum)
                         TARNWICK_VECTOR_MATHS {
                           __m256d sines = _mm256_mul_pd(im, Load(other));
                           sines = _mm256_fnmadd_pd(re, Load(&other[row]), sines);
                           sines = _mm256_fmadd_pd(conjugateIm, Load(&other[2 * row]), sines);
                           sines = _mm256_fnmadd_pd(conjugateRe, Load(&other[3 * row]), sines);
                           return _mm256_fmadd_pd(sines, Load(gap), sum);
                         };
    // Two sums, the boxes above taken two at a time, so that an addition need not wait for
    // the one before.
    __m256d even = _mm256_setzero_pd(), odd = _mm256_setzero_pd();
    const double* other = w.Waves + i;
    const double* gap = w.Gaps + i;
    int j = 0;
    for (; j + 2 <= level; j += 2, other += 2 * next, gap += 2 * row) {
      even = add(other, gap, even);
      odd = add(other + next, gap + row, odd);
    }
    if (j < level) even = add(other, gap, even);
    const __m256d cross = _mm256_add_pd(even, odd);
    const __m256d own2 = _mm256_fmadd_pd(re, re, _mm256_mul_pd(im, im));
    _mm256_storeu_pd(
        &power[i],
        _mm256_add_pd(Load(&before[i]), _mm256_fmadd_pd(cross, _mm256_set1_pd(1.0 / half), own2)));
  }
  return i;
}

}  // namespace tarnwick::simd

#else

namespace tarnwick::simd {
std::size_t PlacePaths(const PathsFrom&, std::size_t) { return 0; }
std::size_t EntryPressures(const PressuresFrom&, std::size_t) { return 0; }
std::size_t AddBox(const BandWaves&, int, double, const double*, double*, std::size_t) { return 0; }
}  // namespace tarnwick::simd

#endif
