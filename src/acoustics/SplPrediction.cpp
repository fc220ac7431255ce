#include "acoustics/SplPrediction.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "acoustics/SplCollect.h"
#include "acoustics/simd/Simd.h"
#include "model/ProjectRules.h"

namespace tarnwick {

float AngleFromDown(PlaneVector v) {
  // Below the horizontal by the tangent's own expression, atan(x / |y|), so that every
  // direction below a box gets that angle to the last bit (docs/model.md, "Picking a
  // directivity entry").
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

const EdgeChecks& Edges() {
  static const EdgeChecks edges;
  return edges;
}

OffAxisTracker::OffAxisTracker(float aim, int entry)
    : aim_(aim), k_(std::clamp(entry, 0, DirectivityAngleCount - 1)) {
  // Beyond +-180 degrees, OffAxisAngle's single wrap leaves some angles off the table, which
  // the checks do not know: such an aim leaves every direction to OffAxisIndex (NaN fails
  // every check).
  const double radians = std::fabs(aim) <= 180.0f ? double(aim) * Pi / 180.0
                                                  : std::numeric_limits<double>::quiet_NaN();
  sine_ = std::sin(radians);
  cosine_ = std::cos(radians);
}

int OffAxisTracker::Index(PlaneVector d) {
  // Why the checks are exact: the turned direction (u, v) and the edges' slopes (at most 23)
  // are each within a few units in the 16th digit, so a check errs by some 1e-13 degrees,
  // and a direction that passes both of an entry's lies at least EntryEdgeMargin minus that inside
  // it, where OffAxisIndex, within 3e-5 degrees of the true angle, names that entry too. Both
  // measure degrees as radians * 180 / Pi with the same Pi. Single-precision components do
  // not overflow u and v. A zero direction checks 0 and a NaN one NaN, and both fail; an
  // infinite component makes u or v NaN, or both infinite, when an entry's two checks could
  // only come out opposite if its edges lay on either side of 90 degrees and of 0 or 180 at
  // once.
  const EdgeChecks& edges = Edges();
  const double u = double(d.X) * cosine_ + double(d.Y) * sine_;
  const double v = double(d.X) * sine_ - double(d.Y) * cosine_;
  if (edges.Holds(k_, u, v)) return k_;
  const int next = edges.Above(k_, u, v) ? k_ + 1 : k_ - 1;
  if (edges.Holds(next, u, v)) {
    step_ = next - k_;
    k_ = next;
    return k_;
  }
  const int k = OffAxisIndex(d, aim_);
  if (k >= 0 && k != k_) {
    step_ = k > k_ ? 1 : -1;
    k_ = k;
  }
  return k;
}

namespace {

// Step 3 of CalculateSPLWith in plain C++: each box's distance and directivity entry at the
// block's points, box by box so that each tracker follows its points in order.
void CollectBlock(BoxSet& boxes, SPLPoint* point, int count, SplBlock& block, bool* defined) {
  for (int b = 0; b < boxes.count; ++b) {
    for (int n = 0; n < count; ++n) {
      // AddVectors(position, NegateVector(source)), written out to keep this loop tight.
      const PlaneVector d{static_cast<float>(double(point[n].Position.X) - boxes.sourceX[b]),
                          static_cast<float>(double(point[n].Position.Y) - boxes.sourceY[b])};
      const auto r = static_cast<float>(std::sqrt(double(d.Y) * d.Y + double(d.X) * d.X));
      point[n].DistanceFromLastBox = r;  // the last box's stays
      const int k = boxes.direction[b].Index(d);
      if (k < 0 || r == 0.0f) {
        defined[n] = false;
        StandIn(block, b, n);
        continue;
      }
      block.distance[b][n] = r;
      block.level[b][n] = boxes.level[k + 1] - boxes.attenuation[b];
      block.entryPhase[b][n] = boxes.phase[k + 1];
    }
    for (int n = count; n < SplBlock::Width && n % 4 != 0; ++n) StandIn(block, b, n);
  }
}

}  // namespace

namespace {

// Step 2 of CalculateSPLWith: what stays the same at every point, the boxes in use, their
// aim angles and the band. Each tracker starts from the entry of the area's start, tried
// first where the box above found it, turned by the difference of their aims: neighbouring
// boxes see the start within a few degrees of each other, so that mostly no fresh angle is
// needed.
void SetUpBoxes(const ProjectData& project, const Graphics& graphics, const Constants& constants,
                PlaneVector start, int band, BoxSet& boxes) {
  boxes.count = BoxesInUse(project);
  float aboveAim = 0.0f;
  int aboveEntry = 0;
  for (int b = 0; b < boxes.count; ++b) {
    const PlaneVector source = graphics.BoxGeom[b].Source;
    boxes.sourceX[b] = source.X;
    boxes.sourceY[b] = source.Y;
    boxes.attenuation[b] = project.BoxAttenuation[b];
    const float aim = AngleFromDown(graphics.BoxGeom[b].Ray);
    const double turn = (double(aboveAim) - aim) / 5.0;
    const int guess =
        aboveEntry > 0 && std::fabs(turn) < 72.0 ? aboveEntry + int(std::lround(turn)) : 0;
    boxes.direction[b] = OffAxisTracker(aim, guess);
    aboveEntry = boxes.direction[b].Index(AddVectors(start, NegateVector(source)));
    aboveAim = aim;
  }
  const double bandLevel = constants.BandLevel[band];
  for (int k = 0; k < DirectivityAngleCount; ++k) {
    const DirectivityPoint& entry = constants.Directivity(k, band);
    boxes.level[k + 1] = bandLevel - entry.LevelDrop;
    boxes.phase[k + 1] = entry.Phase;
  }
}

}  // namespace

bool CalculateSPLWith(SplKernel kernel, const ProjectData& project, const Graphics& graphics,
                      const Constants& constants, int area, int band,
                      std::vector<SPLPoint>& SPLPoints) {
  // 1. The points, 0.1 * i metres along the area from its start (AreaPoints).
  SPLPoints.clear();
  if (band < 0 || band >= BandCount) return false;
  const std::vector<AreaPoint> along = AreaPoints(project, graphics, area);
  if (along.empty()) return false;
  SPLPoints.resize(along.size());
  for (std::size_t i = 0; i < along.size(); ++i) SPLPoints[i].Position = along[i].Position;

  // 2. What stays the same at every point.
  BoxSet boxes;
  SetUpBoxes(project, graphics, constants, graphics.AreaGeom[area - 1].Start, band, boxes);
  const auto collect = simd::HasAvx2() ? &CollectBlockAvx2 : &CollectBlock;
  SplBlock block;  // some 18 kB, reused block after block
  block.boxes = boxes.count;
  block.frequency = BandCentreFrequency(band);

  const std::size_t total = SPLPoints.size();
  for (std::size_t first = 0; first < total; first += SplBlock::Width) {
    const int count = static_cast<int>(std::min<std::size_t>(SplBlock::Width, total - first));
    SPLPoint* const point = &SPLPoints[first];
    block.points = count;

    // 3. Each box's distance and directivity entry at every point. A point is defined when
    //    every box has an entry and no source lies on it; an undefined box gets harmless
    //    stand-ins.
    std::array<bool, SplBlock::Width> defined;
    defined.fill(true);
    collect(boxes, point, count, block, defined.data());

    // 4. The levels.
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
