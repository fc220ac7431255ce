#include "acoustics/simd/Simd.h"

#if defined(__x86_64__)

#include <cmath>
#include <cstdint>
#include <utility>

#include "acoustics/VectorMath.h"

namespace tarnwick::simd {

namespace {

TARNWICK_VECTOR_MATHS __m256d Load(const double* p) { return _mm256_loadu_pd(p); }

// The steps of the loops below, which must not become calls that pass vectors in memory.
#define TARNWICK_INLINE inline __attribute__((always_inline))

// The polynomial c[0] + c[1] x + ... by Horner's rule: the fewest operations, as the loops
// below are held up by how many there are, not by how long each chain takes.
template <std::size_t N>
TARNWICK_VECTOR_MATHS TARNWICK_INLINE __m256d Polynomial(__m256d x, const double (&c)[N]) {
  __m256d sum = _mm256_set1_pd(c[N - 1]);
#pragma GCC unroll 16
  for (std::size_t k = N - 1; k > 0; --k) sum = _mm256_fmadd_pd(sum, x, _mm256_set1_pd(c[k - 1]));
  return sum;
}

// e^x within a few units in the last place, 0 below x = -700 (where the air has taken
// everything): x = n ln 2 + f with |f| <= ln 2 / 2, e^f from its series to f^10 (the next
// term is below 3e-13 of it), times 2^n. A NaN stays NaN. Glibc's vector exponential made
// the map with the air a tenth slower.
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

// The sine and cosine of x within about an ulp for |x| up to 1e6 radians (a path of some
// 3 km at the top band's upper edge); NaN stays NaN. x = n pi/2 + f with |f| <= pi/4, pi/2
// in two parts so that f keeps its last bits; the series in f to f^15 and f^16 (the next
// terms are below 5e-17); then the quadrant n mod 4 swaps and signs them. One pass for both,
// where glibc's vector sine and cosine each reduce x on their own.
TARNWICK_VECTOR_MATHS TARNWICK_INLINE void SineCosine(__m256d x, __m256d& sine, __m256d& cosine) {
  constexpr double Sine[] = {1.0,          -1.0 / 6,        1.0 / 120,        -1.0 / 5040,
                             1.0 / 362880, -1.0 / 39916800, 1.0 / 6227020800, -1.0 / 1307674368000};
  constexpr double Cosine[] = {1.0,
                               -1.0 / 2,
                               1.0 / 24,
                               -1.0 / 720,
                               1.0 / 40320,
                               -1.0 / 3628800,
                               1.0 / 479001600,
                               -1.0 / 87178291200,
                               1.0 / 20922789888000};
  const __m256d n = _mm256_round_pd(_mm256_mul_pd(x, _mm256_set1_pd(0.63661977236758138)),
                                    _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
  __m256d f = _mm256_fnmadd_pd(n, _mm256_set1_pd(1.5707963267948966), x);
  f = _mm256_fnmadd_pd(n, _mm256_set1_pd(6.123233995736766e-17), f);
  const __m256d f2 = _mm256_mul_pd(f, f);
  const __m256d s = _mm256_mul_pd(f, Polynomial(f2, Sine)), c = Polynomial(f2, Cosine);
  // Quadrant q: sin x = s, c, -s, -c and cos x = c, -s, -c, s; bit 0 of q to the sign bit
  // picks, bit 1 (of q, and of q + 1) negates.
  const __m256i q = _mm256_cvtepi32_epi64(_mm256_cvtpd_epi32(n));
  const __m256d swap = _mm256_castsi256_pd(_mm256_slli_epi64(q, 63));
  const __m256d sign = _mm256_set1_pd(-0.0);
  const __m256d sineSign = _mm256_and_pd(_mm256_castsi256_pd(_mm256_slli_epi64(q, 62)), sign);
  const __m256d cosineSign = _mm256_and_pd(
      _mm256_castsi256_pd(_mm256_slli_epi64(_mm256_add_epi64(q, _mm256_set1_epi64x(1)), 62)), sign);
  sine = _mm256_xor_pd(_mm256_blendv_pd(s, c, swap), sineSign);
  cosine = _mm256_xor_pd(_mm256_blendv_pd(c, s, swap), cosineSign);
}

// EntryPressures for the four points from i, with the air's loss or without, with the
// average's conjugate or without.
template <bool Air, bool Average>
TARNWICK_VECTOR_MATHS TARNWICK_INLINE void FourPressures(const PressuresFrom& from, std::size_t i) {
  const std::uint32_t* blend = &from.Blend[i];
  const int* entry = &from.Entry[i];
  const __m256d d = Load(&from.Rest[i]);
  // Two values of each of the four points' rows, turned into columns.
  const auto columns = [](const double* a, const double* b, const double* c, const double* e,
                          __m256d& re, __m256d& im) TARNWICK_VECTOR_MATHS {
    const __m256d ac =
        _mm256_insertf128_pd(_mm256_castpd128_pd256(_mm_loadu_pd(a)), _mm_loadu_pd(c), 1);
    const __m256d be =
        _mm256_insertf128_pd(_mm256_castpd128_pd256(_mm_loadu_pd(b)), _mm_loadu_pd(e), 1);
    re = _mm256_unpacklo_pd(ac, be), im = _mm256_unpackhi_pd(ac, be);
  };
  __m256d re, im, zRe, zIm;
  columns(from.Blends + blend[0], from.Blends + blend[1], from.Blends + blend[2],
          from.Blends + blend[3], re, im);
  const auto z = [&](int lane) { return from.Table + 4 * std::size_t(entry[lane]) + 2; };
  columns(z(0), z(1), z(2), z(3), zRe, zIm);
  // e^(d z): d is at most half a step, so that |d z| stays below 0.03 for every entry of the
  // module's (and below 0.06 for a level step of 60 dB): e^x to x^4, cos and sin to x^4 and
  // x^5 hold to 1e-10.
  constexpr double Exponential[] = {1.0, 1.0, 1.0 / 2, 1.0 / 6, 1.0 / 24};
  constexpr double Cosine[] = {1.0, -1.0 / 2, 1.0 / 24};
  constexpr double Sine[] = {1.0, -1.0 / 6, 1.0 / 120};
  const __m256d x = _mm256_mul_pd(d, zRe), y = _mm256_mul_pd(d, zIm), y2 = _mm256_mul_pd(y, y);
  // The amplitude, taken into the cosine and the sine.
  __m256d amplitude = _mm256_mul_pd(Load(&from.Inverse[i]), Polynomial(x, Exponential));
  if constexpr (Air)
    amplitude = _mm256_mul_pd(
        amplitude, Exp(_mm256_mul_pd(_mm256_set1_pd(-from.Loss), Load(&from.Distance[i]))));
  const __m256d cosine = _mm256_mul_pd(amplitude, Polynomial(y2, Cosine));
  const __m256d sine = _mm256_mul_pd(_mm256_mul_pd(amplitude, y), Polynomial(y2, Sine));
  const __m256d yRe = _mm256_fmsub_pd(re, cosine, _mm256_mul_pd(im, sine));
  const __m256d yIm = _mm256_fmadd_pd(re, sine, _mm256_mul_pd(im, cosine));
  // Times the travel phasors.
  __m256d upperRe = Load(&from.UpperRe[i]), upperIm = Load(&from.UpperIm[i]);
  if (from.SquareUpper) {
    const __m256d re2 = _mm256_add_pd(upperRe, upperRe);
    upperRe = _mm256_fmsub_pd(upperRe, upperRe, _mm256_mul_pd(upperIm, upperIm));
    upperIm = _mm256_mul_pd(re2, upperIm);
    _mm256_storeu_pd(&from.UpperRe[i], upperRe), _mm256_storeu_pd(&from.UpperIm[i], upperIm);
  }
  _mm256_storeu_pd(&from.Re[i], _mm256_fmsub_pd(yRe, upperRe, _mm256_mul_pd(yIm, upperIm)));
  _mm256_storeu_pd(&from.Im[i], _mm256_fmadd_pd(yRe, upperIm, _mm256_mul_pd(yIm, upperRe)));
  if constexpr (Average) {
    const __m256d lowerRe = Load(&from.LowerRe[i]), lowerIm = Load(&from.LowerIm[i]);
    _mm256_storeu_pd(&from.ConjugateRe[i],
                     _mm256_fmsub_pd(yRe, lowerRe, _mm256_mul_pd(yIm, lowerIm)));
    _mm256_storeu_pd(&from.ConjugateIm[i],
                     _mm256_fnmsub_pd(yRe, lowerIm, _mm256_mul_pd(yIm, lowerRe)));
  }
}

template <bool Air, bool Average>
TARNWICK_VECTOR_MATHS std::size_t AllPressures(const PressuresFrom& from, std::size_t count) {
  // A copy, which the stores cannot touch, so that its pointers stay in registers.
  const PressuresFrom own = from;
  std::size_t i = 0;
  for (; i + 4 <= count; i += 4) FourPressures<Air, Average>(own, i);
  return i;
}

}  // namespace

TARNWICK_VECTOR_MATHS std::size_t EntryPressures(const PressuresFrom& from, std::size_t count) {
  if (from.LowerRe != nullptr)
    return from.Loss > 0.0 ? AllPressures<true, true>(from, count)
                           : AllPressures<false, true>(from, count);
  return from.Loss > 0.0 ? AllPressures<true, false>(from, count)
                         : AllPressures<false, false>(from, count);
}

TARNWICK_VECTOR_MATHS std::size_t TravelPhasors(const double* distance, double wave, double* re,
                                                double* im, std::size_t count) {
  std::size_t i = 0;
  for (; i + 4 <= count; i += 4) {
    __m256d sine, cosine;
    SineCosine(_mm256_mul_pd(_mm256_set1_pd(wave), Load(&distance[i])), sine, cosine);
    _mm256_storeu_pd(&re[i], cosine), _mm256_storeu_pd(&im[i], sine);
  }
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
    _mm256_storeu_pd(&from.Inverse[i], _mm256_div_pd(_mm256_set1_pd(from.Gain), r));
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

TARNWICK_VECTOR_MATHS std::size_t AddBox(const BandWaves& w, int level, const double* own,
                                         double half, const double* before, double* power,
                                         std::size_t count) {
  const std::size_t row = w.Stride, next = BandWaves::Rows * w.Stride;
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

// The sums over the boxes above of each row times the pair's inverse gap, for two boxes at
// once (`first` for the upper, `second` for the lower), the rows of each box above loaded
// once for both: the boxes 0 ... above - 1 for both, and the upper for the lower.
struct PairSums {
  __m256d First[BandWaves::Rows], Second[BandWaves::Rows];

  // The rows of a box above from `other`, times the first box's inverse gap to it `a` and
  // the second's `b`.
  TARNWICK_VECTOR_MATHS TARNWICK_INLINE void Add(const double* other, std::size_t row, __m256d a,
                                                 __m256d b) {
#pragma GCC unroll 4
    for (std::size_t r = 0; r < BandWaves::Rows; ++r) {
      // Loaded once into a register for both sums: the compiler would rather load it into
      // each, and the loads are what the sums wait for.
      __m256d x = Load(&other[r * row]);
      __asm__("" : "+x"(x));
      First[r] = _mm256_fmadd_pd(a, x, First[r]);
      Second[r] = _mm256_fmadd_pd(b, x, Second[r]);
    }
  }
};

// The cross terms of a box's rows `own` with the sums of the rows above, `sums`: with w the
// upper edge's row and c the lower's conjugate, Im(w conj(sum w)) + Im(c conj(sum c)).
TARNWICK_VECTOR_MATHS TARNWICK_INLINE __m256d Cross(const double* own, std::size_t row,
                                                    const __m256d (&sums)[BandWaves::Rows],
                                                    __m256d cross) {
  cross = _mm256_fmadd_pd(Load(&own[row]), sums[0], cross);
  cross = _mm256_fnmadd_pd(Load(own), sums[1], cross);
  cross = _mm256_fmadd_pd(Load(&own[3 * row]), sums[2], cross);
  return _mm256_fnmadd_pd(Load(&own[2 * row]), sums[3], cross);
}

TARNWICK_VECTOR_MATHS TARNWICK_INLINE __m256d Own(const double* own, std::size_t row,
                                                  __m256d power) {
  const __m256d re = Load(own), im = Load(&own[row]);
  return _mm256_fmadd_pd(re, re, _mm256_fmadd_pd(im, im, power));
}

TARNWICK_VECTOR_MATHS std::size_t AddTwins(const BandWaves& w, int level,
                                           const BandWaves::Twin (&twins)[2], double half,
                                           const double* before, std::size_t count) {
  constexpr int Rows = BandWaves::Rows;
  const std::size_t row = w.Stride, next = Rows * w.Stride;
  const __m256d inverseHalf = _mm256_set1_pd(1.0 / half);
  std::size_t i = 0;
  for (; i + 4 <= count; i += 4) {
    PairSums sums;
    for (int r = 0; r < Rows; ++r)
      sums.First[r] = _mm256_setzero_pd(), sums.Second[r] = _mm256_setzero_pd();
    const double* other = w.Waves + i;
    for (int j = 0; j < level; ++j, other += next) {
      const __m256d a = Load(&twins[0].Gaps[std::size_t(j) * row + i]);
      const __m256d b = Load(&twins[1].Gaps[std::size_t(j) * row + i]);
      sums.Add(other, row, a, b);
    }
    const __m256d above = Load(&before[i]);
    const __m256d first = Cross(twins[0].Own + i, row, sums.First, _mm256_setzero_pd());
    const __m256d second = Cross(twins[1].Own + i, row, sums.Second, _mm256_setzero_pd());
    _mm256_storeu_pd(
        &twins[0].Power[i],
        _mm256_add_pd(above, _mm256_fmadd_pd(first, inverseHalf,
                                             Own(twins[0].Own + i, row, _mm256_setzero_pd()))));
    _mm256_storeu_pd(
        &twins[1].Power[i],
        _mm256_add_pd(above, _mm256_fmadd_pd(second, inverseHalf,
                                             Own(twins[1].Own + i, row, _mm256_setzero_pd()))));
  }
  return i;
}

TARNWICK_VECTOR_MATHS std::size_t AddDesign(const BandWaves& w, int levels, std::size_t levelGaps,
                                            double half, double* power, std::size_t count) {
  constexpr int Rows = BandWaves::Rows;
  const std::size_t row = w.Stride, next = Rows * w.Stride, gaps = levelGaps * row;
  std::size_t i = 0;
  for (; i + 4 <= count; i += 4) {
    // Two sums of the cross terms and the own powers, the upper and the lower box's, so that
    // an addition need not wait for the one before.
    __m256d upper = _mm256_setzero_pd(), lower = _mm256_setzero_pd(), own2 = _mm256_setzero_pd();
    for (int level = 0; level < levels; level += 2) {
      const bool both = level + 1 < levels;
      const double* first = w.Waves + std::size_t(level) * next + i;
      const double* firstGap = w.Gaps + std::size_t(level) * gaps + i;
      const double* secondGap = both ? firstGap + gaps : firstGap;
      PairSums sums;
      for (int r = 0; r < Rows; ++r)
        sums.First[r] = _mm256_setzero_pd(), sums.Second[r] = _mm256_setzero_pd();
      const double* other = w.Waves + i;
      for (int j = 0; j < level; ++j, other += next) {
        const __m256d a = Load(&firstGap[std::size_t(j) * row]);
        const __m256d b = Load(&secondGap[std::size_t(j) * row]);
        sums.Add(other, row, a, b);
      }
      upper = Cross(first, row, sums.First, upper);
      own2 = Own(first, row, own2);
      if (!both) break;
      // The lower box's pair with the upper.
      const __m256d b = Load(&secondGap[std::size_t(level) * row]);
#pragma GCC unroll 4
      for (int r = 0; r < Rows; ++r)
        sums.Second[r] = _mm256_fmadd_pd(b, Load(&first[std::size_t(r) * row]), sums.Second[r]);
      lower = Cross(first + next, row, sums.Second, lower);
      own2 = Own(first + next, row, own2);
    }
    const __m256d cross = _mm256_add_pd(upper, lower);
    _mm256_storeu_pd(&power[i], _mm256_fmadd_pd(cross, _mm256_set1_pd(1.0 / half), own2));
  }
  return i;
}

}  // namespace tarnwick::simd

#else

namespace tarnwick::simd {
std::size_t PlacePaths(const PathsFrom&, std::size_t) { return 0; }
std::size_t EntryPressures(const PressuresFrom&, std::size_t) { return 0; }
std::size_t TravelPhasors(const double*, double, double*, double*, std::size_t) { return 0; }
std::size_t AddBox(const BandWaves&, int, const double*, double, const double*, double*,
                   std::size_t) {
  return 0;
}
std::size_t AddTwins(const BandWaves&, int, const BandWaves::Twin (&)[2], double, const double*,
                     std::size_t) {
  return 0;
}
std::size_t AddDesign(const BandWaves&, int, std::size_t, double, double*, std::size_t) {
  return 0;
}
}  // namespace tarnwick::simd

#endif
