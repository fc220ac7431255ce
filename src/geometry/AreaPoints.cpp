#include "geometry/AreaPoints.h"

#include <cmath>

#include "model/NumberText.h"

namespace tarnwick {

namespace {

// N, or -1 where the area gives no point count.
long long LastPointIndex(const ProjectData& project, int area) {
  if (area < 1 || area > MaxAreas) return -1;
  const double tenths = double(project.AreaLength[area - 1]) * 10.0;
  if (!(std::fabs(tenths) <= double(MaxSPLPointIndex) + 1.0)) return -1;
  const long long last = RoundHalfEven(tenths);
  return last < 0 || last > MaxSPLPointIndex ? -1 : last;
}

}  // namespace

std::vector<AreaPoint> AreaPoints(const ProjectData& project, const Graphics& graphics, int area) {
  const long long last = LastPointIndex(project, area);
  std::vector<AreaPoint> points;
  if (last < 0) return points;
  points.resize(static_cast<std::size_t>(last) + 1);
  // AddVectors(slope.Start, ScaleVector(slope.Direction, single(0.1 i / length))), written
  // out to keep the loop tight; point 0 is the start exactly.
  const AreaGeometry& slope = graphics.AreaGeom[area - 1];
  const float length = project.AreaLength[area - 1];
  points[0].Position = slope.Start;
  for (long long i = 1; i <= last; ++i) {
    AreaPoint& point = points[static_cast<std::size_t>(i)];
    const auto scale = static_cast<float>(SPLPointSpacing * double(i) / length);
    const auto alongX = static_cast<float>(double(slope.Direction.X) * scale);
    const auto alongY = static_cast<float>(double(slope.Direction.Y) * scale);
    point.Position = {static_cast<float>(double(slope.Start.X) + alongX),
                      static_cast<float>(double(slope.Start.Y) + alongY)};
    point.Along = SPLPointSpacing * double(i);
  }
  return points;
}

}  // namespace tarnwick
