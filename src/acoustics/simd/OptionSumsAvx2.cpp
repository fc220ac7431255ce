#include "acoustics/simd/Simd.h"

#if defined(__x86_64__)

#include <cmath>

#include "acoustics/VectorMath.h"

namespace tarnwick::simd {

namespace {

TARNWICK_VECTOR_MATHS __m256d Load(const double* p) { return _mm256_loadu_pd(p); }

}  // namespace

TARNWICK_VECTOR_MATHS std::size_t OffAxisAngles(const double* across, const double* down, float aim,
                                                float* theta, std::size_t count) {
  using namespace vector_maths;
  const __m256d degrees = _mm256_set1_pd(180.0 / Pi), aimed = _mm256_set1_pd(aim);
  const __m128 half = _mm_set1_ps(180.0f), whole = _mm_set1_ps(360.0f);
  std::size_t i = 0;
  for (; i + 4 <= count; i += 4) {
    // The angle from straight down rounded to single, -180 given as +180, then less the aim
    // rounded to single and wrapped once into (-180, 180], as OffAxisAngle has it.
    __m128 angle = _mm256_cvtpd_ps(_mm256_mul_pd(Atan2(Load(&across[i]), Load(&down[i])), degrees));
    angle = _mm_blendv_ps(angle, half,
                          _mm_cmp_ps(angle, _mm_sub_ps(_mm_setzero_ps(), half), _CMP_LE_OQ));
    __m128 t = _mm256_cvtpd_ps(_mm256_sub_pd(_mm256_cvtps_pd(angle), aimed));
    t = _mm_sub_ps(t, _mm_and_ps(_mm_cmp_ps(t, half, _CMP_GT_OQ), whole));
    t = _mm_add_ps(
        t, _mm_and_ps(_mm_cmp_ps(t, _mm_sub_ps(_mm_setzero_ps(), half), _CMP_LE_OQ), whole));
    _mm_storeu_ps(&theta[i], t);
  }
  return i;
}

TARNWICK_VECTOR_MATHS std::size_t AddBox(const BandWaves& w, int level, double half,
                                         const double* before, double* power, std::size_t count) {
  const __m256d h = _mm256_set1_pd(half), inverseHalf = _mm256_set1_pd(1.0 / half);
  const __m256d small = _mm256_set1_pd(1e-2), one = _mm256_set1_pd(1.0);
  const __m256d sixth = _mm256_set1_pd(1.0 / 6.0), twentieth = _mm256_set1_pd(1.0 / 20.0);
  const __m256d sign = _mm256_set1_pd(-0.0);
  const std::size_t row = w.Stride, next = BandWaves::Rows * w.Stride;
  const double* own = w.Waves + std::size_t(level) * next;
  std::size_t i = 0;
  for (; i + 4 <= count; i += 4) {
    const __m256d middleRe = Load(&own[row + i]), middleIm = Load(&own[2 * row + i]);
    const __m256d halfRe = Load(&own[3 * row + i]), halfIm = Load(&own[4 * row + i]);
    __m256d cross = _mm256_setzero_pd();
    const double* other = w.Waves + i;
    const double* gap = w.Gaps + i;
    for (int j = 0; j < level; ++j, other += next, gap += 2 * row) {
      const __m256d cosine = _mm256_fmadd_pd(middleRe, Load(&other[row]),
                                             _mm256_mul_pd(middleIm, Load(&other[2 * row])));
      const __m256d sine = _mm256_fmsub_pd(halfIm, Load(&other[3 * row]),
                                           _mm256_mul_pd(halfRe, Load(&other[4 * row])));
      const __m256d x = _mm256_mul_pd(h, Load(gap)), x2 = _mm256_mul_pd(x, x);
      const __m256d series =
          _mm256_fnmadd_pd(_mm256_mul_pd(x2, sixth), _mm256_fnmadd_pd(x2, twentieth, one), one);
      const __m256d ratio = _mm256_mul_pd(_mm256_mul_pd(sine, Load(&gap[row])), inverseHalf);
      const __m256d near = _mm256_cmp_pd(_mm256_andnot_pd(sign, x), small, _CMP_LT_OQ);
      cross = _mm256_fmadd_pd(_mm256_mul_pd(Load(other), cosine),
                              _mm256_blendv_pd(ratio, series, near), cross);
    }
    const __m256d a = Load(&own[i]);
    _mm256_storeu_pd(&power[i], _mm256_fmadd_pd(a, _mm256_fmadd_pd(_mm256_set1_pd(2.0), cross, a),
                                                Load(&before[i])));
  }
  return i;
}

}  // namespace tarnwick::simd

#else

namespace tarnwick::simd {
std::size_t OffAxisAngles(const double*, const double*, float, float*, std::size_t) { return 0; }
std::size_t AddBox(const BandWaves&, int, double, const double*, double*, std::size_t) { return 0; }
}  // namespace tarnwick::simd

#endif
