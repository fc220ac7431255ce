#pragma once

// What the acoustics tests share: the module's data, designs to predict, and the coherent
// sum written out plainly, a complex pressure per box (see docs/model.md, "One box at a point").

#include <cmath>
#include <complex>
#include <numbers>
#include <random>
#include <utility>

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

// A project and the geometry of its first redraw in the window.
struct Hung {
  ProjectData project;
  Graphics graphics;

  explicit Hung(const ProjectData& p = MakeDefaultProject()) : project(p) {
    ComputeScene(project, FirstWindowFrame, graphics);
  }
};

// A random design: 2 to 12 boxes, splays, attenuations (some boxes turned off), pin,
// mounting, automatic or typed inclination, floor and areas in use.
inline ProjectData RandomProject(std::mt19937& random) {
  auto pick = [&](int low, int high) { return std::uniform_int_distribution(low, high)(random); };
  ProjectData p = MakeDefaultProject();
  p.BoxesAmount = pick(2, 12);
  for (float& splay : p.BoxAngle) splay = float(5 * pick(0, 1));
  for (float& attenuation : p.BoxAttenuation)
    attenuation = pick(0, 7) == 0 ? BoxOffAttenuation : float(pick(0, 2) == 0 ? pick(1, 12) : 0);
  p.FlybarPin = pick(1, 9);
  p.FlybarMounting = pick(0, 1);
  p.AutomaticInclCalc = pick(0, 1);
  p.InclinationAngle = float(pick(-30, 30)) / 2;
  p.FloorDistance = float(pick(20, 120)) / 10;
  p.AreasAmount = pick(1, 3);
  return p;
}

// One band at a point: the boxes' pressures summed, each from the band level less the
// directivity drop, the attenuation and the distance law, turned by its path and the entry's
// phase; and the sum of their powers alone (the incoherent sum).
inline std::pair<std::complex<double>, double> PlainPressure(const ProjectData& p,
                                                             const Graphics& g, int band,
                                                             PlaneVector point) {
  const Constants& c = ModuleData();
  std::complex<double> sum;
  double incoherent = 0;
  for (int b = 0; b < p.BoxesAmount; ++b) {
    const BoxGeometry& box = g.BoxGeom[b];
    const PlaneVector to = AddVectors(point, NegateVector(box.Source));
    const auto entry =
        *LookUpDirectivity(c, band, OffAxisAngle(AngleFromDown(to), AngleFromDown(box.Ray)));
    const double r = std::hypot(double(point.X) - box.Source.X, double(point.Y) - box.Source.Y);
    const double level =
        double(c.BandLevel[band]) - entry.LevelDrop - p.BoxAttenuation[b] - 20 * std::log10(r);
    const double phase = 360 * BandCentreFrequency(band) * r / SpeedOfSound + entry.Phase;
    const auto one = std::polar(std::pow(10.0, level / 20), phase * std::numbers::pi / 180);
    sum += one, incoherent += std::norm(one);
  }
  return {sum, incoherent};
}

// The level of an entry at a point in dB: a band's, or the A-weighted sum of every band's
// power for BroadbandAChoice.
inline double PlainLevel(const ProjectData& p, const Graphics& g, int entry, PlaneVector point) {
  const auto power = [&](int band) { return std::norm(PlainPressure(p, g, band, point).first); };
  if (entry != BroadbandAChoice) return 10 * std::log10(power(entry));
  double sum = 0;
  for (int band = 0; band < BandCount; ++band)
    sum += power(band) * std::pow(10.0, AWeighting(BandCentreFrequency(band)) / 10);
  return 10 * std::log10(sum);
}

}  // namespace tarnwick
