#include "acoustics/simd/Simd.h"

namespace tarnwick::simd {

#if defined(__x86_64__)

bool HasAvx2() {
  static const bool has = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
  }();
  return has;
}

bool HasAvx2Fma() {
  static const bool has = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
  }();
  return has;
}

#else

bool HasAvx2() { return false; }
bool HasAvx2Fma() { return false; }

#endif

}  // namespace tarnwick::simd
