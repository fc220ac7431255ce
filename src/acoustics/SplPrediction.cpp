#include "acoustics/SplPrediction.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "model/NumberText.h"
#include "model/ProjectRules.h"

namespace tarnwick {

namespace {

// Working values of one box at one point: first its level in dB, then its linear pressure
// amplitude; and its phase in degrees, not wrapped.
struct BoxContribution {
  float Amplitude = 0.0f;
  float Phase = 0.0f;
};

// Squared magnitude of the sum of the boxes' pressures, accumulated pair by pair in single
// precision.
float CoherentSum(const std::array<BoxContribution, MaxBoxes>& boxes, int count) {
  float sum = 0.0f;
  for (int j = 0; j < count; ++j) {
    const double a = boxes[j].Amplitude;
    const double phase = boxes[j].Phase;
    sum = static_cast<float>(sum + a * a);
    for (int m = j + 1; m < count; ++m)
      sum = static_cast<float>(sum + 2.0 * a * boxes[m].Amplitude *
                                         std::cos((phase - boxes[m].Phase) * Pi / 180.0));
  }
  return sum;
}

}  // namespace

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

bool CalculateSPL(const ProjectData& project, const Graphics& graphics, const Constants& constants,
                  int area, int band, std::vector<SPLPoint>& SPLPoints) {
  const double ln10 = std::log(10.0);

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
  const double frequency = BandCentreFrequency(band);
  const double bandLevel = constants.BandLevel[band];
  const AreaGeometry& slope = graphics.AreaGeom[area - 1];
  std::array<BoxContribution, MaxBoxes> contribution{};

  for (long long i = 0; i <= last; ++i) {
    SPLPoint& point = SPLPoints[static_cast<std::size_t>(i)];
    // 3. The point, 0.1 * i metres along the area from its start.
    point.Position =
        i == 0 ? slope.Start
               : AddVectors(slope.Start,
                            ScaleVector(slope.Direction,
                                        static_cast<float>(SPLPointSpacing * double(i) / length)));

    // 4. Level and phase of every box at the point.
    bool defined = true;
    for (int b = 0; b < boxes; ++b) {
      const PlaneVector d = AddVectors(point.Position, NegateVector(graphics.BoxGeom[b].Source));
      const auto r = static_cast<float>(std::sqrt(double(d.Y) * d.Y + double(d.X) * d.X));
      point.Distance = r;
      const int k = direction[b].Index(d);
      if (k < 0 || r == 0.0f) {
        defined = false;
        continue;
      }
      const DirectivityPoint& entry = constants.Directivity(k, band);
      contribution[b].Amplitude =
          static_cast<float>(bandLevel - entry.LevelDrop - project.BoxAttenuation[b] -
                             20.0 * std::log(std::fabs(double(r))) / ln10);
      contribution[b].Phase =
          static_cast<float>(frequency * (double(r) * 360.0) / SpeedOfSound + entry.Phase);
    }
    if (!defined) {
      point.SPL = SPLFloor;
      continue;
    }

    // 5. Levels to pressure amplitudes, then the coherent sum in dB.
    //    10^(L / 20) as exp(L * ln 10 / 20), equal to within double rounding and about half
    //    the cost of pow.
    for (int b = 0; b < boxes; ++b)
      contribution[b].Amplitude =
          static_cast<float>(std::exp(double(contribution[b].Amplitude) * (ln10 / 20.0)));
    const float sum = CoherentSum(contribution, boxes);
    point.SPL = sum > 0.0f && std::isfinite(sum)
                    ? static_cast<float>(10.0 * std::log(double(sum)) / ln10)
                    : SPLFloor;
  }
  return true;
}

}  // namespace tarnwick
