#pragma once

#include <vector>

#include "acoustics/ModuleData.h"
#include "acoustics/SplPrediction.h"
#include "geometry/ArrayGeometry.h"
#include "model/ProjectData.h"

namespace tarnwick {

// The arithmetic half of CalculateSPL: from each box's distance and directivity entry at a
// run of neighbouring listener points, the level of each point. CalculateSPL walks the
// geometry (positions, distances, directivity indices) and hands the numbers over one block
// of points at a time; a kernel turns them into levels.
//
// Values are held box by box, point by point ([box][point]), so that one box's values at
// neighbouring points lie side by side for the vector lanes: a kernel works across points,
// keeping each point's own order of operations, so the lanes only run several points' sums
// at once.
struct SplBlock {
  static constexpr int Width = 32;  // points per block; a multiple of 4

  int boxes = 0;           // 0 ... MaxBoxes
  int points = 0;          // in use, 1 ... Width; a kernel may work on to a multiple of 4
  double frequency = 0.0;  // band centre frequency, Hz

  // Inputs. For a box whose level is not defined at a point, and at the lanes from `points`
  // to the next multiple of 4, any finite values with a positive distance (the caller gives
  // such a point the floor level).
  alignas(32) double distance[MaxBoxes][Width];    // r, metres, a single-precision value
  alignas(32) double level[MaxBoxes][Width];       // band level - level drop - attenuation, dB
  alignas(32) double entryPhase[MaxBoxes][Width];  // directivity phase, degrees

  // Working values: each box's pressure amplitude, and the cosine and sine of its phase.
  alignas(32) double amplitude[MaxBoxes][Width];
  alignas(32) double cosine[MaxBoxes][Width];
  alignas(32) double sine[MaxBoxes][Width];

  // Output: the level of each point in dB, SPLFloor where the summed power is 0 or below or
  // not finite.
  alignas(32) float spl[Width];
};

using SplKernel = void (*)(SplBlock& block);

// ln 10, as every kernel divides by it.
extern const double SplLn10;

// Plain C++ with the standard library's functions; runs anywhere.
void PortableSplKernel(SplBlock& block);

// The fastest kernel this processor runs: four points at a time with glibc's vector maths
// where the processor has AVX2 and FMA, else the portable one. Both give the same levels
// to within 1e-4 dB, most of them to the last bit.
SplKernel FastestSplKernel();

// CalculateSPL with a chosen kernel; CalculateSPL passes FastestSplKernel().
bool CalculateSPLWith(SplKernel kernel, const ProjectData& project, const Graphics& graphics,
                      const Constants& constants, int area, int band,
                      std::vector<SPLPoint>& SPLPoints);

}  // namespace tarnwick
