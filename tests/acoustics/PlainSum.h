#pragma once

// What the acoustics tests share: the module's data, and the coherent sum written out the
// plain way, a complex pressure per box (see docs/model.md, "One box at a point").

#include <cmath>
#include <complex>
#include <numbers>

#include "acoustics/SplPrediction.h"

namespace tarnwick {

inline const Constants& ModuleData() {
  static const Constants module = [] {
    Constants c;
    AssignBandLevel(c), FillDirectivity(c);
    return c;
  }();
  return module;
}

// The power of one band at a point: each box's pressure from the band level less the
// directivity drop, the attenuation and the distance law, turned by its path and the
// entry's phase.
inline double PlainPower(const ProjectData& p, const Graphics& g, int band, PlaneVector point) {
  const Constants& c = ModuleData();
  std::complex<double> sum;
  for (int b = 0; b < p.BoxesAmount; ++b) {
    const BoxGeometry& box = g.BoxGeom[b];
    const PlaneVector to = AddVectors(point, NegateVector(box.Source));
    const auto entry =
        *LookUpDirectivity(c, band, OffAxisAngle(AngleFromDown(to), AngleFromDown(box.Ray)));
    const double r = std::hypot(double(point.X) - box.Source.X, double(point.Y) - box.Source.Y);
    const double level =
        c.BandLevel[band] - entry.LevelDrop - p.BoxAttenuation[b] - 20 * std::log10(r);
    const double phase = 360 * BandCentreFrequency(band) * r / SpeedOfSound + entry.Phase;
    sum += std::polar(std::pow(10.0, level / 20), phase * std::numbers::pi / 180);
  }
  return std::norm(sum);
}

// The level of an entry at a point in dB: a band's, or the A-weighted sum of every band's
// power for BroadbandAChoice.
inline double PlainLevel(const ProjectData& p, const Graphics& g, int entry, PlaneVector point) {
  if (entry != BroadbandAChoice) return 10 * std::log10(PlainPower(p, g, entry, point));
  double power = 0;
  for (int band = 0; band < BandCount; ++band)
    power +=
        PlainPower(p, g, band, point) * std::pow(10.0, AWeighting(BandCentreFrequency(band)) / 10);
  return 10 * std::log10(power);
}

}  // namespace tarnwick
