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

}  // namespace tarnwick::simd

#else

namespace tarnwick::simd {
std::size_t PowerDecibels(const double*, double*, std::size_t) { return 0; }
}  // namespace tarnwick::simd

#endif
