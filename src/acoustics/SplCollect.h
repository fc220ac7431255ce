#pragma once

#include <array>

#include "acoustics/SplKernel.h"
#include "acoustics/SplPrediction.h"

// What CalculateSPL's kernels share (SplPrediction.cpp, SplKernel.cpp, simd/): the edges
// OffAxisTracker checks and what stays the same at every point of one prediction. Not for
// use elsewhere.

namespace tarnwick {

// Each entry's two edges from DirectivityEntryEdges, drawn in by EntryEdgeMargin, held at
// k + 1. A
// direction turned back by the aim, (u, v) = |d| (sin, cos) of its off-axis angle psi, lies
// past an edge at angle e (within 180 degrees) when sin(psi - e) > 0, that is when
// u cos e - v sin e > 0, or, divided by |cos e|, when flip u - slope v > 0 with
// slope = sin e / |cos e| and flip = +-0 carrying the sign of cos e: one multiplication, as
// the edges keep 2.5 degrees from +-90, where cos e would vanish. The back entries 0 and 72,
// which a box's directions seldom reach from one point to the next, and one beyond either
// end hold a NaN slope, which no
// direction passes, so that an entry's neighbours may be tried without a check.
struct EdgeChecks {
  static constexpr int Size = DirectivityAngleCount + 2;
  std::array<double, Size> lowFlip, lowSlope, highFlip, highSlope;

  EdgeChecks() {
    lowFlip.fill(0.0), highFlip.fill(0.0);
    lowSlope.fill(std::numeric_limits<double>::quiet_NaN());
    highSlope.fill(std::numeric_limits<double>::quiet_NaN());
    const auto set = [](double degrees, double& flip, double& slope) {
      const double c = std::cos(degrees * Pi / 180.0);
      flip = std::copysign(0.0, c);
      slope = std::sin(degrees * Pi / 180.0) / std::fabs(c);
    };
    for (int k = 1; k < DirectivityAngleCount - 1; ++k) {
      const auto& [low, high] = DirectivityEntryEdges()[k];
      set(low, lowFlip[k + 1], lowSlope[k + 1]);
      set(high, highFlip[k + 1], highSlope[k + 1]);
    }
  }

  static double Past(double u, double v, double flip, double slope) {
    return (std::signbit(flip) ? -u : u) - slope * v;
  }
  // Whether entry k holds the turned direction: past its low edge and not past its high
  // one, one sign each, since an entry is narrower than 180 degrees.
  bool Holds(int k, double u, double v) const {
    return Past(u, v, lowFlip[k + 1], lowSlope[k + 1]) > 0.0 &&
           Past(u, v, highFlip[k + 1], highSlope[k + 1]) < 0.0;
  }
  // Whether the turned direction lies past entry k's high edge.
  bool Above(int k, double u, double v) const {
    return Past(u, v, highFlip[k + 1], highSlope[k + 1]) >= 0.0;
  }
};

const EdgeChecks& Edges();

// What stays the same at every point of one prediction: the boxes in use and, for the band,
// each entry's level before a box's attenuation (band level - level drop, dB) and phase
// (degrees), held at k + 1 with zeros beyond either end.
struct BoxSet {
  int count = 0;
  // Set for the boxes in use, and the tables in full, by CalculateSPL (left uninitialised
  // here: the prediction sets a BoxSet up for every call).
  std::array<float, MaxBoxes> sourceX, sourceY;
  std::array<double, MaxBoxes> attenuation;
  std::array<OffAxisTracker, MaxBoxes> direction;
  std::array<double, DirectivityAngleCount + 2> level, phase;
};

// Stand-ins for a box whose level is not defined at lane n, or for a lane past the last point.
inline void StandIn(SplBlock& block, int b, int n) {
  block.distance[b][n] = 1.0;
  block.level[b][n] = block.entryPhase[b][n] = 0.0;
}

// Each box's distance, level and entry phase at the block's points, and whether each point
// is defined, eight points at a time, for the AVX2 kernel (simd/SplCollectAvx2.cpp).
void CollectBlockAvx2(BoxSet& boxes, SPLPoint* point, int count, SplBlock& block);

}  // namespace tarnwick
