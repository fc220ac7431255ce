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

}  // namespace tarnwick::simd
