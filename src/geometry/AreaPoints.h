#pragma once

#include <vector>

#include "geometry/ArrayGeometry.h"
#include "model/ProjectData.h"

namespace tarnwick {

inline constexpr double SPLPointSpacing = 0.1;         // metres between points along an area
inline constexpr long long MaxSPLPointIndex = 100000;  // 10 km of area

// One listener point along an area.
struct AreaPoint {
  PlaneVector Position;  // scene coordinates, metres
  double Along = 0.0;    // metres along the area from its start, 0.1 * i: the graph's distance
};

// The listener points along area `area` (1 ... 3) as the slope of the last redraw lays it:
// point i (i = 0 ... N) at the fraction 0.1 i / AreaLength of the way along the slope from
// its start, N being AreaLength * 10 rounded half to even, each step rounded to single
// precision (see docs/model.md, "Points along an area"). Empty for an area outside 1 ... 3
// or a length whose N is negative, not a number or beyond MaxSPLPointIndex.
std::vector<AreaPoint> AreaPoints(const ProjectData& project, const Graphics& graphics, int area);

}  // namespace tarnwick
