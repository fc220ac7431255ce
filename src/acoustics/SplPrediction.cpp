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

double OffAxisTracker::AimRadians(float aim) {
  return std::fabs(aim) <= 180.0f ? double(aim) * Pi / 180.0
                                  : std::numeric_limits<double>::quiet_NaN();
}

OffAxisTracker::OffAxisTracker(float aim, int entry)
    : OffAxisTracker(aim, entry, std::sin(AimRadians(aim)), std::cos(AimRadians(aim))) {}

OffAxisTracker::OffAxisTracker(float aim, int entry, double sine, double cosine)
    : aim_(aim),
      sine_(sine),
      cosine_(cosine),
      k_(std::clamp(entry, 0, DirectivityAngleCount - 1)) {}

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
  arctangents_ += !(d.Y == 0.0f);  // AngleFromDown's, but for a level direction
  if (k >= 0 && k != k_) {
    step_ = k > k_ ? 1 : -1;
    k_ = k;
  }
  return k;
}

namespace {

// Step 2 of CalculateSPLWith: what stays the same at every point, the boxes in use, their
// aim angles and the band. Each tracker starts from the entry of the area's start, tried
// first where the box above found it, turned by the difference of their aims: neighbouring
// boxes see the start within a few degrees of each other, so that mostly no fresh angle is
// needed.
void SetUpBoxes(const ProjectData& project, const Graphics& graphics, const Constants& constants,
                PlaneVector start, int band, BoxSet& boxes, SplWork* work) {
  boxes.count = BoxesInUse(project);
  std::array<float, MaxBoxes> aim;
  std::array<double, MaxBoxes> radians, sine, cosine;
  for (int b = 0; b < boxes.count; ++b) {
    boxes.sourceX[b] = graphics.BoxGeom[b].Source.X;
    boxes.sourceY[b] = graphics.BoxGeom[b].Source.Y;
    boxes.attenuation[b] = project.BoxAttenuation[b];
    aim[b] = AngleFromDown(graphics.BoxGeom[b].Ray);
    radians[b] = OffAxisTracker::AimRadians(aim[b]);
  }
  // The aims' sines and cosines, four at a time where the vector maths runs.
  int lanes = boxes.count;
  if (simd::HasAvx2Fma())
    lanes = simd::SinesCosines(radians.data(), sine.data(), cosine.data(), boxes.count);
  else
    for (int b = 0; b < boxes.count; ++b)
      sine[b] = std::sin(radians[b]), cosine[b] = std::cos(radians[b]);
  int aboveEntry = 0;
  for (int b = 0; b < boxes.count; ++b) {
    const double turn = b > 0 ? (double(aim[b - 1]) - aim[b]) / 5.0 : 0.0;
    const int guess =
        aboveEntry > 0 && std::fabs(turn) < 72.0 ? aboveEntry + int(std::lround(turn)) : 0;
    boxes.direction[b] = OffAxisTracker(aim[b], guess, sine[b], cosine[b]);
    aboveEntry =
        boxes.direction[b].Index(AddVectors(start, NegateVector(graphics.BoxGeom[b].Source)));
    if (work) work->arctangents += !(graphics.BoxGeom[b].Ray.Y == 0.0f);  // AngleFromDown's
  }
  if (work) work->sines += lanes, work->cosines += lanes;
  const double bandLevel = constants.BandLevel[band];
  boxes.level.front() = boxes.level.back() = boxes.phase.front() = boxes.phase.back() = 0.0;
  for (int k = 0; k < DirectivityAngleCount; ++k) {
    const DirectivityPoint& entry = constants.Directivity(k, band);
    boxes.level[k + 1] = bandLevel - entry.LevelDrop;
    boxes.phase[k + 1] = entry.Phase;
  }
}

}  // namespace

bool CalculateSPLWith(SplKernel kernel, const ProjectData& project, const Graphics& graphics,
                      const Constants& constants, int area, int band,
                      std::vector<SPLPoint>& SPLPoints, SplWork* work) {
  // 1. The points, 0.1 * i metres along the area from its start (AreaPoints).
  SPLPoints.clear();
  if (band < 0 || band >= BandCount) return false;
  const std::vector<AreaPoint> along = AreaPoints(project, graphics, area);
  if (along.empty()) return false;
  SPLPoints.resize(along.size());
  for (std::size_t i = 0; i < along.size(); ++i) SPLPoints[i].Position = along[i].Position;

  // 2. What stays the same at every point.
  BoxSet boxes;
  SetUpBoxes(project, graphics, constants, graphics.AreaGeom[area - 1].Start, band, boxes, work);
  SplBlock block;  // some 18 kB, reused block after block
  block.boxes = boxes.count;
  block.frequency = BandCentreFrequency(band);

  // 3. The levels, block by block: as few blocks as SplBlock::Width allows, each as many
  //    whole groups of four points as the next, so that no block is left a short one. A
  //    point is defined when every box has an entry and no source lies on it; an undefined
  //    box gets harmless stand-ins.
  const int total = static_cast<int>(SPLPoints.size());
  const int groups = (total + 3) / 4,
            blocks = (groups + SplBlock::Width / 4 - 1) / (SplBlock::Width / 4);
  for (int i = 0, first = 0; i < blocks; ++i) {
    const int size = 4 * ((groups * (i + 1)) / blocks - (groups * i) / blocks);
    const int count = std::min(size, total - first);
    kernel(boxes, &SPLPoints[std::size_t(first)], count, block, work);
    first += count;
  }
  if (work)
    for (int b = 0; b < boxes.count; ++b) work->arctangents += boxes.direction[b].Arctangents();
  return true;
}

bool CalculateSPL(const ProjectData& project, const Graphics& graphics, const Constants& constants,
                  int area, int band, std::vector<SPLPoint>& SPLPoints, SplWork* work) {
  return CalculateSPLWith(FastestSplKernel(), project, graphics, constants, area, band, SPLPoints,
                          work);
}

}  // namespace tarnwick
