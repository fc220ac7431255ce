#include "acoustics/SplPrediction.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "model/NumberText.h"

namespace tarnwick {

namespace {

// Working values of one box at one point: first its level in dB, then its linear pressure
// amplitude; and its phase in degrees, not wrapped.
struct BoxContribution {
  float Amplitude = 0.0f;
  float Phase = 0.0f;
};

// Angle of a vector from the vertical towards +X, in degrees. The sign of Y is disregarded:
// a direction and its mirror image in the horizontal are the same angle off any aim. A
// horizontal vector takes the limit, +-90 degrees by the sign of X; the zero vector 0.
float AngleFromVertical(PlaneVector v) {
  if (v.Y == 0.0f) return v.X > 0.0f ? 90.0f : (v.X < 0.0f ? -90.0f : 0.0f);
  return static_cast<float>(std::atan(double(v.X) / std::fabs(double(v.Y))) * 180.0 / Pi);
}

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
  const int boxes = std::clamp(project.BoxesAmount, 0, MaxBoxes);
  std::array<float, MaxBoxes> aim{};
  for (int b = 0; b < boxes; ++b) aim[b] = AngleFromVertical(graphics.BoxGeom[b].Ray);
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
      const auto theta = static_cast<float>(double(AngleFromVertical(d)) - aim[b]);
      const auto r = static_cast<float>(std::sqrt(double(d.Y) * d.Y + double(d.X) * d.X));
      point.Distance = r;
      const int k = DirectivityIndex(theta);
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
    for (int b = 0; b < boxes; ++b)
      contribution[b].Amplitude =
          static_cast<float>(std::pow(10.0, double(contribution[b].Amplitude) / 20.0));
    const float sum = CoherentSum(contribution, boxes);
    point.SPL = sum > 0.0f && std::isfinite(sum)
                    ? static_cast<float>(10.0 * std::log(double(sum)) / ln10)
                    : SPLFloor;
  }
  return true;
}

}  // namespace tarnwick
