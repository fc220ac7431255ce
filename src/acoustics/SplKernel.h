#pragma once

#include <vector>

#include "acoustics/ModuleData.h"
#include "acoustics/SplPrediction.h"
#include "geometry/ArrayGeometry.h"
#include "model/ProjectData.h"

namespace tarnwick {

struct BoxSet;  // what stays the same at every point of one prediction (SplCollect.h)

// The working half of CalculateSPL: from the boxes and a run of neighbouring listener points,
// each box's distance and directivity entry at every point and from them the level of each
// point. CalculateSPL sets up the boxes and hands the points over one block at a time; a
// kernel fills in each point's DistanceFromLastBox and SPL.
//
// Values are held box by box, point by point ([box][point]), so that one box's values at
// neighbouring points lie side by side for the vector lanes: a kernel works across points,
// keeping each point's own order of operations, so the lanes only run several points' sums
// at once.
struct SplBlock {
  static constexpr int Width = 32;  // points per block at most; a multiple of 4

  int boxes = 0;           // 0 ... MaxBoxes
  double frequency = 0.0;  // band centre frequency, Hz

  // Each box's distance r (metres, a single-precision value), level (band level - level drop
  // - attenuation, dB) and directivity phase (degrees). For a box whose level is not defined
  // at a point, and at the lanes past the last point to the next multiple of 4, any finite
  // values with a positive distance (the point gets the floor level).
  alignas(32) double distance[MaxBoxes][Width];
  alignas(32) double level[MaxBoxes][Width];
  alignas(32) double entryPhase[MaxBoxes][Width];

  // Working values: each box's pressure amplitude, and the cosine and sine of its phase.
  alignas(32) double amplitude[MaxBoxes][Width];
  alignas(32) double cosine[MaxBoxes][Width];
  alignas(32) double sine[MaxBoxes][Width];

  // The level of each point in dB, SPLFloor where the summed power is 0 or below or not
  // finite, and whether every box has a level there.
  alignas(32) float spl[Width];
  bool defined[Width];
};

// Predicts `count` points (1 ... SplBlock::Width) from `point` on, following each box's
// directivity entry on from the last block, with `block` as room to work in; adds what it
// evaluated to `work` unless that is null.
using SplKernel = void (*)(BoxSet& boxes, SPLPoint* point, int count, SplBlock& block,
                           SplWork* work);

// ln 10, as every kernel divides by it.
extern const double SplLn10;

// Plain C++ with the standard library's functions; runs anywhere.
void PortableSplKernel(BoxSet& boxes, SPLPoint* point, int count, SplBlock& block, SplWork* work);

// The fastest kernel this processor runs: four points at a time with glibc's vector maths
// where the processor has AVX2 and FMA, else the portable one. Both give the same levels
// to within 1e-4 dB, most of them to the last bit.
SplKernel FastestSplKernel();

// CalculateSPL with a chosen kernel; CalculateSPL passes FastestSplKernel().
bool CalculateSPLWith(SplKernel kernel, const ProjectData& project, const Graphics& graphics,
                      const Constants& constants, int area, int band,
                      std::vector<SPLPoint>& SPLPoints, SplWork* work = nullptr);

}  // namespace tarnwick
