#include "acoustics/SplPrediction.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "acoustics/SplKernel.h"
#include "model/NumberText.h"
#include "model/ProjectRules.h"

namespace tarnwick {

float AngleFromDown(PlaneVector v) {
  // Below the horizontal by the tangent's own expression, so that every direction below
  // a box keeps the angle it has always had, to the last bit.
  if (v.Y < 0.0f)
    return static_cast<float>(std::atan(double(v.X) / std::fabs(double(v.Y))) * 180.0 / Pi);
  if (v.Y == 0.0f) return v.X > 0.0f ? 90.0f : (v.X < 0.0f ? -90.0f : 0.0f);
  const auto angle = static_cast<float>(std::atan2(double(v.X), -double(v.Y)) * 180.0 / Pi);
  return angle <= -180.0f ? 180.0f : angle;
}

float OffAxisAngle(float direction, float aim) {
  auto theta = static_cast<float>(double(direction) - aim);
  if (theta > 180.0f) theta -= 360.0f;
  if (theta <= -180.0f) theta += 360.0f;
  return theta;
}

int OffAxisIndex(PlaneVector d, float aim) {
  return DirectivityIndex(OffAxisAngle(AngleFromDown(d), aim));
}

int OffAxisTracker::Index(PlaneVector d) {
  if (d.Y < 0.0f) {
    const double q = double(d.X) / -double(d.Y);
    if (q > low_ && q < high_) return k_;
  }
  const float direction = AngleFromDown(d);
  const int k = DirectivityIndex(OffAxisAngle(direction, aim_));
  // The followed range stays true of its entry whatever lies between, so a direction
  // above the box leaves it in place.
  if (k != k_ && d.Y < 0.0f) Follow(k, direction);
  return k;
}

void OffAxisTracker::Follow(int k, float direction) {
  // 0.005 degrees inside each boundary: far more than the few single-precision roundings
  // of the angle (some 3e-5 degrees), so a direction within the drawn-in range has the
  // entry's index exactly.
  constexpr double Margin = 0.005;
  k_ = k;
  low_ = high_ = 0.0;  // empty until both boundaries are known
  // The two entries at the back are cut by the wrap at 180 degrees: left to the exact angle.
  if (k <= 0 || k >= DirectivityAngleCount - 1 || !std::isfinite(aim_)) return;
  double lower = double(aim_) + 5.0 * (k - OnAxisIndex) - 2.5;
  lower += 360.0 * std::round((double(direction) - (lower + 2.5)) / 360.0);  // its turn
  const double upper = lower + 5.0;
  // Directions below the box lie within +-90 degrees of straight down: a boundary beyond that never
  // limits, and one right at it, or an entry wholly at the edge, is left to the exact angle.
  if (lower >= 89.99 || upper <= -89.99) return;
  const auto tangent = [](double degrees) { return std::tan(degrees * Pi / 180.0); };
  const double infinity = std::numeric_limits<double>::infinity();
  double low = -infinity;
  double high = infinity;
  if (lower > -89.99)
    low = tangent(lower + Margin);
  else if (lower > -90.01)
    return;
  if (upper < 89.99)
    high = tangent(upper - Margin);
  else if (upper < 90.01)
    return;
  low_ = low;
  high_ = high;
}

bool CalculateSPLWith(SplKernel kernel, const ProjectData& project, const Graphics& graphics,
                      const Constants& constants, int area, int band,
                      std::vector<SPLPoint>& SPLPoints) {
  // 1. Arguments and the point count.
  SPLPoints.clear();
  if (area < 1 || area > MaxAreas || band < 0 || band >= BandCount) return false;
  const float length = project.AreaLength[area - 1];
  const double tenths = double(length) * 10.0;
  if (!(std::fabs(tenths) <= double(MaxSPLPointIndex) + 1.0)) return false;
  const long long last = RoundHalfEven(tenths);
  if (last < 0 || last > MaxSPLPointIndex) return false;
  SPLPoints.resize(static_cast<std::size_t>(last) + 1);

  // 2. What stays the same at every point: the boxes in use, their aim angles and the band.
  const int boxes = BoxesInUse(project);
  std::array<OffAxisTracker, MaxBoxes> direction{};
  for (int b = 0; b < boxes; ++b)
    direction[b] = OffAxisTracker(AngleFromDown(graphics.BoxGeom[b].Ray));
  const double bandLevel = constants.BandLevel[band];
  const AreaGeometry& slope = graphics.AreaGeom[area - 1];
  SplBlock block;  // some 18 kB, reused block after block
  block.boxes = boxes;
  block.frequency = BandCentreFrequency(band);

  for (long long first = 0; first <= last; first += SplBlock::Width) {
    const int count = static_cast<int>(std::min<long long>(SplBlock::Width, last - first + 1));
    SPLPoint* const point = &SPLPoints[static_cast<std::size_t>(first)];
    block.points = count;

    // 3. The points, 0.1 * i metres along the area from its start.
    for (int n = 0; n < count; ++n) {
      const long long i = first + n;
      point[n].Position =
          i == 0
              ? slope.Start
              : AddVectors(slope.Start,
                           ScaleVector(slope.Direction,
                                       static_cast<float>(SPLPointSpacing * double(i) / length)));
    }

    // 4. Each box's distance and directivity entry at every point, box by box so that each
    //    tracker follows its points in order. A point is defined when every box has an entry
    //    and no source lies on it; an undefined box gets harmless stand-ins.
    std::array<bool, SplBlock::Width> defined;
    defined.fill(true);
    for (int b = 0; b < boxes; ++b) {
      const PlaneVector source = graphics.BoxGeom[b].Source;
      const double attenuation = project.BoxAttenuation[b];
      for (int n = 0; n < count; ++n) {
        // AddVectors(position, NegateVector(source)), written out to keep this loop tight.
        const PlaneVector d{static_cast<float>(double(point[n].Position.X) - source.X),
                            static_cast<float>(double(point[n].Position.Y) - source.Y)};
        const auto r = static_cast<float>(std::sqrt(double(d.Y) * d.Y + double(d.X) * d.X));
        point[n].Distance = r;  // the last box's stays
        const int k = direction[b].Index(d);
        if (k < 0 || r == 0.0f) {
          defined[n] = false;
          block.distance[b][n] = 1.0;
          block.level[b][n] = block.entryPhase[b][n] = 0.0;
          continue;
        }
        const DirectivityPoint& entry = constants.Directivity(k, band);
        block.distance[b][n] = r;
        block.level[b][n] = bandLevel - entry.LevelDrop - attenuation;
        block.entryPhase[b][n] = entry.Phase;
      }
      // Stand-ins for the lanes a kernel works beyond the last point.
      for (int n = count; n < SplBlock::Width && n % 4 != 0; ++n) {
        block.distance[b][n] = 1.0;
        block.level[b][n] = block.entryPhase[b][n] = 0.0;
      }
    }

    // 5. The levels.
    kernel(block);
    for (int n = 0; n < count; ++n) point[n].SPL = defined[n] ? block.spl[n] : SPLFloor;
  }
  return true;
}

bool CalculateSPL(const ProjectData& project, const Graphics& graphics, const Constants& constants,
                  int area, int band, std::vector<SPLPoint>& SPLPoints) {
  return CalculateSPLWith(FastestSplKernel(), project, graphics, constants, area, band, SPLPoints);
}

}  // namespace tarnwick
