#include "acoustics/simd/Simd.h"

#if defined(__x86_64__)

#include <cmath>
#include <utility>

#include "acoustics/VectorMath.h"

namespace tarnwick::simd {

namespace {

TARNWICK_VECTOR_MATHS __m256d Load(const double* p) { return _mm256_loadu_pd(p); }

}  // namespace

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
  // Few constants, so that the loop keeps everything in registers: the series is
  // 1 - x^2 (1/6 - x^2 / 120), near where x^2 < 1e-4, and half the width's inverse is
  // applied once to the sum (the series is taken times `half` to match).
  const __m256d h = _mm256_set1_pd(half), near = _mm256_set1_pd(1e-4);
  const __m256d sixth = _mm256_set1_pd(1.0 / 6.0), hundredTwentieth = _mm256_set1_pd(1.0 / 120.0);
  const std::size_t row = w.Stride, next = BandWaves::Rows * w.Stride;
  const double* own = w.Waves + std::size_t(level) * next;
  std::size_t i = 0;
  for (; i + 4 <= count; i += 4) {
    const __m256d re = Load(&own[i]), im = Load(&own[row + i]);
    const __m256d halfRe = Load(&own[2 * row + i]), halfIm = Load(&own[3 * row + i]);
    // The term of the box above whose data start at `other` (its gaps at `gap`).
    const auto term = [&](const double* other, const double* gap) TARNWICK_VECTOR_MATHS {
      const __m256d cosine = _mm256_fmadd_pd(re, Load(other), _mm256_mul_pd(im, Load(&other[row])));
      const __m256d sine = _mm256_fmsub_pd(halfIm, Load(&other[2 * row]),
                                           _mm256_mul_pd(halfRe, Load(&other[3 * row])));
      const __m256d x = _mm256_mul_pd(h, Load(gap)), x2 = _mm256_mul_pd(x, x);
      const __m256d series = _mm256_mul_pd(
          h,
          _mm256_fnmadd_pd(x2, _mm256_fnmadd_pd(x2, hundredTwentieth, sixth), _mm256_set1_pd(1.0)));
      const __m256d ratio = _mm256_blendv_pd(_mm256_mul_pd(sine, Load(&gap[row])), series,
                                             _mm256_cmp_pd(x2, near, _CMP_LT_OQ));
      return std::pair(cosine, ratio);
    };
    // Two sums, the boxes above taken two at a time, so that an addition need not wait for
    // the one before.
    __m256d even = _mm256_setzero_pd(), odd = _mm256_setzero_pd();
    const double* other = w.Waves + i;
    const double* gap = w.Gaps + i;
    int j = 0;
    for (; j + 2 <= level; j += 2, other += 2 * next, gap += 4 * row) {
      const auto [a0, r0] = term(other, gap);
      even = _mm256_fmadd_pd(a0, r0, even);
      const auto [a1, r1] = term(other + next, gap + 2 * row);
      odd = _mm256_fmadd_pd(a1, r1, odd);
    }
    if (j < level) {
      const auto [a0, r0] = term(other, gap);
      even = _mm256_fmadd_pd(a0, r0, even);
    }
    const __m256d cross = _mm256_add_pd(even, odd);
    const __m256d own2 = _mm256_fmadd_pd(re, re, _mm256_mul_pd(im, im));
    _mm256_storeu_pd(
        &power[i],
        _mm256_add_pd(Load(&before[i]), _mm256_fmadd_pd(cross, _mm256_set1_pd(2.0 / half), own2)));
  }
  return i;
}

}  // namespace tarnwick::simd

#else

namespace tarnwick::simd {
std::size_t PlacePaths(const PathsFrom&, std::size_t) { return 0; }
std::size_t AddBox(const BandWaves&, int, double, const double*, double*, std::size_t) { return 0; }
}  // namespace tarnwick::simd

#endif
