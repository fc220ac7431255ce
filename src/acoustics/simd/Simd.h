#pragma once

#include <cstddef>

#include "acoustics/SplKernel.h"

// The vector forms of the prediction's steps, each in a file of its own in this folder,
// the only place that holds intrinsics. Their callers choose them at run time by the checks
// below, and the scalar code they stand in for reads without them. On a processor other
// than x86-64 the checks are false and the vector forms are never called.
namespace tarnwick::simd {

// Whether this processor runs AVX2, and AVX2 with FMA (which glibc's vector maths needs).
bool HasAvx2();
bool HasAvx2Fma();

// PortableSplKernel four points at a time (SplKernelAvx2.cpp); AVX2 and FMA.
void Avx2SplKernel(BoxSet& boxes, SPLPoint* point, int count, SplBlock& block, SplWork* work);

// The sines and cosines of `count` angles in radians, four at a time (SplKernelAvx2.cpp);
// returns how many lanes it evaluated, `count` rounded up to whole vectors. AVX2 and FMA.
int SinesCosines(const double* radians, double* sine, double* cosine, int count);

// PowerDecibels for the whole groups of four of `count` powers; returns how many it did,
// the rest left to the caller (LevelRulesAvx2.cpp). AVX2 and FMA.
std::size_t PowerDecibels(const double* power, double* level, std::size_t count);

// e^x, and the sines and cosines, of the whole groups of four of `count` values; each returns
// how many it did, the rest left to the caller (LevelRulesAvx2.cpp). AVX2 and FMA.
std::size_t Exponentials(const double* x, double* y, std::size_t count);
std::size_t SinesCosinesWhole(const double* radians, double* sine, double* cosine,
                              std::size_t count);

// The prediction options' steps (OptionSumsAvx2.cpp), each for the whole groups of four of
// `count` points, returning how many it did. AVX2 and FMA. OffAxisAngles: the off-axis angle
// of each direction (across, -down) seen from a box aimed at `aim`, as OffAxisAngle of
// AngleFromDown gives it, from a vector arctangent. AddCross: OptionSums' cross terms of
// `own` with `above`.
std::size_t OffAxisAngles(const double* across, const double* down, float aim, float* theta,
                          std::size_t count);
struct CrossBox {
  const double *Amplitude, *MiddleRe, *MiddleIm, *HalfRe, *HalfIm;
};
std::size_t AddCross(const CrossBox& own, const CrossBox& above, const double* gap,
                     const double* inverseGap, double half, double* cross, std::size_t count);

}  // namespace tarnwick::simd
