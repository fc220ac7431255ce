#include "acoustics/LevelEngine.h"

#include <cmath>
#include <complex>

#include "model/ProjectRules.h"

namespace tarnwick {

namespace {

constexpr double DegreesToRadians = Pi / 180.0;

}  // namespace

LevelEngine::LevelEngine(const ProjectData& project, const Graphics& graphics,
                         const Constants& constants) {
  const int boxes = BoxesInUse(project);
  for (int b = 0; b < boxes; ++b)
    boxes_.push_back({graphics.BoxGeom[b].Source, AngleFromDown(graphics.BoxGeom[b].Ray)});
  amplitude_.resize(std::size_t(BandCount) * boxes * DirectivityAngleCount);
  for (int band = 0; band < BandCount; ++band) {
    waveNumber_[band] = 2.0 * Pi * BandCentreFrequency(band) / SpeedOfSound;
    aWeight_[band] = std::pow(10.0, AWeighting(BandCentreFrequency(band)) / 10.0);
    for (int k = 0; k < DirectivityAngleCount; ++k) {
      const DirectivityPoint& entry = constants.Directivity(k, band);
      phase_[band][k] = double(entry.Phase) * DegreesToRadians;
      for (int b = 0; b < boxes; ++b)
        amplitude_[(std::size_t(band) * boxes + b) * DirectivityAngleCount + k] = std::pow(
            10.0,
            (double(constants.BandLevel[band]) - entry.LevelDrop - project.BoxAttenuation[b]) /
                20.0);
    }
  }
}

bool LevelEngine::BandPowers(PlaneVector point, int first, int last, double* power) const {
  const std::size_t boxes = boxes_.size();
  std::array<int, MaxBoxes> k{};
  std::array<double, MaxBoxes> r{};
  for (std::size_t b = 0; b < boxes; ++b) {
    // The direction in single precision, as CalculateSPL forms it, so that both pick the
    // same directivity entry at an area's points.
    const PlaneVector d = AddVectors(point, NegateVector(boxes_[b].Source));
    k[b] = OffAxisIndex(d, boxes_[b].Aim);
    r[b] = std::hypot(double(point.X) - boxes_[b].Source.X, double(point.Y) - boxes_[b].Source.Y);
    if (k[b] < 0 || !(r[b] > 0.0)) return false;
  }
  for (int band = first; band <= last; ++band) {
    std::complex<double> sum;
    const double* amplitude = &amplitude_[std::size_t(band) * boxes * DirectivityAngleCount];
    for (std::size_t b = 0; b < boxes; ++b)
      sum += std::polar(amplitude[b * DirectivityAngleCount + k[b]] / r[b],
                        waveNumber_[band] * r[b] + phase_[band][k[b]]);
    power[band] = std::norm(sum);
  }
  return true;
}

void LevelEngine::Levels(int entry, std::span<const PlaneVector> points,
                         std::span<float> levels) const {
  const bool broadband = entry == BroadbandEntry || entry == BroadbandAEntry;
  const int first = broadband ? 0 : entry, last = broadband ? BandCount - 1 : entry;
  std::array<double, BandCount> power{};
  for (std::size_t i = 0; i < points.size() && i < levels.size(); ++i) {
    levels[i] = SPLFloor;
    if (first < 0 || last >= BandCount || !BandPowers(points[i], first, last, power.data()))
      continue;
    double total = 0.0;
    for (int band = first; band <= last; ++band)
      total += entry == BroadbandAEntry ? aWeight_[band] * power[band] : power[band];
    if (total > 0.0 && std::isfinite(total))
      levels[i] = static_cast<float>(10.0 * std::log10(total));
  }
}

float LevelEngine::Level(int entry, PlaneVector point) const {
  float level = SPLFloor;
  Levels(entry, {&point, 1}, {&level, 1});
  return level;
}

std::array<float, LevelEntryCount> LevelEngine::Spectrum(PlaneVector point) const {
  std::array<float, LevelEntryCount> levels;
  levels.fill(SPLFloor);
  std::array<double, BandCount> power{};
  if (!BandPowers(point, 0, BandCount - 1, power.data())) return levels;
  double flat = 0.0, weighted = 0.0;
  const auto dB = [](double p) {
    return p > 0.0 && std::isfinite(p) ? float(10.0 * std::log10(p)) : SPLFloor;
  };
  for (int band = 0; band < BandCount; ++band) {
    levels[band] = dB(power[band]);
    flat += power[band];
    weighted += aWeight_[band] * power[band];
  }
  levels[BroadbandEntry] = dB(flat);
  levels[BroadbandAEntry] = dB(weighted);
  return levels;
}

}  // namespace tarnwick
