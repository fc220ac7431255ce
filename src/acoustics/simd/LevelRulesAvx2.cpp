#include "acoustics/simd/Simd.h"

#if defined(__x86_64__)

#include "acoustics/VectorMath.h"

namespace tarnwick::simd {

TARNWICK_VECTOR_MATHS std::size_t PowerDecibels(const double* power, double* level,
                                                std::size_t count) {
  std::size_t i = 0;
  for (; i + 4 <= count; i += 4)
    _mm256_storeu_pd(&level[i], vector_maths::PowerDecibels(_mm256_loadu_pd(&power[i])));
  return i;
}

TARNWICK_VECTOR_MATHS std::size_t SinesCosinesWhole(const double* radians, double* sine,
                                                    double* cosine, std::size_t count) {
  std::size_t i = 0;
  for (; i + 4 <= count; i += 4) {
    const __m256d x = _mm256_loadu_pd(&radians[i]);
    _mm256_storeu_pd(&sine[i], vector_maths::Sin(x));
    _mm256_storeu_pd(&cosine[i], vector_maths::Cos(x));
  }
  return i;
}

}  // namespace tarnwick::simd

#else

namespace tarnwick::simd {
std::size_t PowerDecibels(const double*, double*, std::size_t) { return 0; }
std::size_t SinesCosinesWhole(const double*, double*, double*, std::size_t) { return 0; }
}  // namespace tarnwick::simd

#endif
