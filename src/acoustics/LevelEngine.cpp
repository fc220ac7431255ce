#include "acoustics/LevelEngine.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <limits>

#include "acoustics/simd/Simd.h"
#include "model/ProjectRules.h"

namespace tarnwick {

namespace {

constexpr double DegreesToRadians = Pi / 180.0;

}  // namespace

LevelEngine::LevelEngine(const ProjectData& project, const Graphics& graphics,
                         const Constants& constants, Arithmetic arithmetic) {
  vector_ = arithmetic == Arithmetic::Fastest && simd::HasAvx2Fma();
  const int boxes = BoxesInUse(project);
  for (int b = 0; b < boxes; ++b) boxes_.push_back(Place(graphics.BoxGeom[b]));
  SetUpOptions(project, constants);
  // The options take their sums from tables of their own (OptionSums); the graph makes a few
  // engines after every change, and these tables would be most of their cost.
  if (options_) return;
  polar_.resize(std::size_t(BandCount) * boxes * DirectivityAngleCount * 2);
  pressure_.assign(std::size_t(boxes) * DirectivityAngleCount * PressureRow, 0.0);
  for (int band = 0; band < BandCount; ++band) {
    waveNumber_[band] = 2.0 * Pi * BandCentreFrequency(band) / SpeedOfSound;
    for (int k = 0; k < DirectivityAngleCount; ++k) {
      const DirectivityPoint& entry = constants.Directivity(k, band);
      const double phase = double(entry.Phase) * DegreesToRadians;
      for (int b = 0; b < boxes; ++b) {
        const double amplitude = std::pow(10.0, (double(constants.BandLevel[band]) -
                                                 entry.LevelDrop - project.BoxAttenuation[b]) /
                                                    20.0);
        double* polar = &polar_[((std::size_t(band) * boxes + b) * DirectivityAngleCount + k) * 2];
        polar[0] = amplitude, polar[1] = phase;
        double* pressure =
            &pressure_[(std::size_t(b) * DirectivityAngleCount + k) * PressureRow + 2 * band];
        pressure[0] = amplitude * std::cos(phase);
        pressure[1] = amplitude * std::sin(phase);
      }
    }
  }
}

LevelEngine::Work& LevelEngine::Work::operator+=(const Work& other) {
  SquareRoots += other.SquareRoots;
  SinesCosines += other.SinesCosines;
  Arctangents += other.Arctangents;
  ComplexSquares += other.ComplexSquares;
  ComplexProducts += other.ComplexProducts;
  Logarithms += other.Logarithms;
  return *this;
}

LevelEngine::Placement LevelEngine::Place(const BoxGeometry& box) {
  // Each entry's edges (DirectivityEntryEdges) for a box aimed straight down, as sine and
  // cosine of the lower, then the upper edge.
  static const auto edges = [] {
    std::array<std::array<double, 4>, DirectivityAngleCount> edge{};
    for (int k = 0; k < DirectivityAngleCount; ++k) {
      const double low = DirectivityEntryEdges()[k].Low * DegreesToRadians;
      const double high = DirectivityEntryEdges()[k].High * DegreesToRadians;
      edge[k] = {std::sin(low), std::cos(low), std::sin(high), std::cos(high)};
    }
    return edge;
  }();
  // Turned by the aim; a search places thousands of boxes, so two sines here rather than
  // 146. The unit direction at angle a from straight down is (sin a, -cos a).
  Placement placed{box.Source, AngleFromDown(box.Ray), {}};
  const double s = std::sin(placed.Aim * DegreesToRadians);
  const double c = std::cos(placed.Aim * DegreesToRadians);
  for (int k = 0; k < DirectivityAngleCount; ++k) {
    const auto& [sinLow, cosLow, sinHigh, cosHigh] = edges[k];
    placed.Sectors[k + 1] = {-(sinLow * c + cosLow * s), cosLow * c - sinLow * s,
                             sinHigh * c + cosHigh * s, -(cosHigh * c - sinHigh * s)};
    for (int i = 0; i < 4; ++i) placed.SingleSectors[k + 1][i] = float(placed.Sectors[k + 1][i]);
  }
  return placed;
}

void LevelEngine::Rehang(const Graphics& graphics) {
  for (std::size_t b = 0; b < boxes_.size(); ++b) boxes_[b] = Place(graphics.BoxGeom[b]);
}

void LevelEngine::Phasors(double r, int first, int last, std::complex<double>* phasor,
                          Work& work) const {
  const int count = last - first + 1, direct = std::min(count, Octave);
  for (int j = 0; j < direct; ++j) phasor[j] = std::polar(1.0, waveNumber_[first + j] * r);
  for (int j = Octave; j < count; ++j) phasor[j] = phasor[j - Octave] * phasor[j - Octave];
  work.SinesCosines += direct;
  work.ComplexSquares += count - direct;
}

bool LevelEngine::BandPowers(PlaneVector point, int first, int last, double* power,
                             Work& work) const {
  const std::size_t boxes = boxes_.size();
  std::array<int, MaxBoxes> k{};
  std::array<double, MaxBoxes> r{};
  for (std::size_t b = 0; b < boxes; ++b) {
    // The direction in single precision, as CalculateSPL forms it, so that both pick the
    // same directivity entry at an area's points.
    const PlaneVector d = AddVectors(point, NegateVector(boxes_[b].Source));
    k[b] = OffAxisIndex(d, boxes_[b].Aim);
    r[b] = std::hypot(double(point.X) - boxes_[b].Source.X, double(point.Y) - boxes_[b].Source.Y);
    ++work.SquareRoots, ++work.Arctangents;
    if (k[b] < 0 || !(r[b] > 0.0)) return false;
  }
  if (last - first < Octave) {
    // Too few bands to square: each band's phase straight into its sine and cosine.
    for (int band = first; band <= last; ++band) {
      std::complex<double> sum;
      for (std::size_t b = 0; b < boxes; ++b) {
        const double* polar = Polar(int(b), k[b], band);
        sum += std::polar(polar[0] / r[b], waveNumber_[band] * r[b] + polar[1]);
      }
      power[band] = std::norm(sum);
    }
    work.SinesCosines += boxes * std::size_t(last - first + 1);
    return true;
  }
  std::array<std::complex<double>, BandCount> sum{}, phasor;
  for (std::size_t b = 0; b < boxes; ++b) {
    Phasors(r[b], first, last, phasor.data(), work);
    for (int band = first; band <= last; ++band)
      sum[band - first] += Pressure(int(b), k[b], band) * phasor[band - first] / r[b];
    work.ComplexProducts += last - first + 1;
  }
  for (int band = first; band <= last; ++band) power[band] = std::norm(sum[band - first]);
  return true;
}

void LevelEngine::Levels(int entry, std::span<const PlaneVector> points, std::span<float> levels,
                         Work* work, Scratch* scratch) const {
  const bool broadband = entry == BroadbandChoice || entry == BroadbandAChoice;
  const int first = broadband ? 0 : entry, last = broadband ? BandCount - 1 : entry;
  points = points.first(std::min(points.size(), levels.size()));
  if (first < 0 || last >= BandCount) {
    std::fill(levels.begin(), levels.begin() + points.size(), SPLFloor);
    return;
  }
  Work done;
  if (options_) {
    OptionsLevels(entry, points, levels, done, scratch);
  } else if (vector_) {
    VectorLevels(entry, points, levels, done);
  } else {
    std::array<double, BandCount> power{};
    for (std::size_t i = 0; i < points.size(); ++i) {
      levels[i] = SPLFloor;
      if (!BandPowers(points[i], first, last, power.data(), done)) continue;
      levels[i] = PowerLevel(broadband ? BroadbandPower(entry, power.data()) : power[entry]);
      ++done.Logarithms;
    }
  }
  if (work) *work += done;
}

float LevelEngine::Level(int entry, PlaneVector point) const {
  float level = SPLFloor;
  Levels(entry, {&point, 1}, {&level, 1});
  return level;
}

void LevelEngine::AddPressures(int box, const Placement& placement, int first, int last,
                               std::span<const PlaneVector> points, double* re, double* im,
                               std::size_t stride, Work* work) const {
  if (box < 0 || std::size_t(box) >= boxes_.size() || first < 0 || last >= BandCount || options_)
    return;
  Work done;
  if (vector_) {
    VectorPressures(box, placement, first, last, points, re, im, stride, done);
    if (work) *work += done;
    return;
  }
  const bool square = last - first >= Octave;
  std::array<std::complex<double>, BandCount> phasor;
  for (std::size_t i = 0; i < points.size(); ++i) {
    // As BandPowers takes a box's direction and distance.
    const int k =
        OffAxisIndex(AddVectors(points[i], NegateVector(placement.Source)), placement.Aim);
    const double r = std::hypot(double(points[i].X) - placement.Source.X,
                                double(points[i].Y) - placement.Source.Y);
    ++done.SquareRoots, ++done.Arctangents;
    const bool defined = k >= 0 && r > 0.0;
    if (defined && square) {
      Phasors(r, first, last, phasor.data(), done);
      done.ComplexProducts += last - first + 1;
    }
    for (int band = first; band <= last; ++band) {
      const double none = std::numeric_limits<double>::quiet_NaN();
      std::complex<double> p(none, none);
      if (defined && square) {
        p = Pressure(box, k, band) * phasor[band - first] / r;
      } else if (defined) {
        const double* polar = Polar(box, k, band);
        p = std::polar(polar[0] / r, waveNumber_[band] * r + polar[1]);
        ++done.SinesCosines;
      }
      re[(band - first) * stride + i] += p.real();
      im[(band - first) * stride + i] += p.imag();
    }
  }
  if (work) *work += done;
}

std::array<float, BandChoiceCount> LevelEngine::Spectrum(PlaneVector point) const {
  if (options_) return OptionsSpectrum(point);
  std::array<float, BandChoiceCount> levels;
  levels.fill(SPLFloor);
  if (vector_) {
    VectorSpectrum(point, levels);
    return levels;
  }
  std::array<double, BandChoiceCount> power{};
  Work work;
  if (!BandPowers(point, 0, BandCount - 1, power.data(), work)) return levels;
  power[BroadbandChoice] = BroadbandPower(BroadbandChoice, power.data());
  power[BroadbandAChoice] = BroadbandPower(BroadbandAChoice, power.data());
  for (int entry = 0; entry < BandChoiceCount; ++entry) levels[entry] = PowerLevel(power[entry]);
  return levels;
}

}  // namespace tarnwick
