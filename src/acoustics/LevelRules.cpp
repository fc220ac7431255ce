#include "acoustics/LevelRules.h"

#include <algorithm>

namespace tarnwick {

double AWeighting(double frequency) {
  const double f2 = frequency * frequency;
  const auto square = [](double x) { return x * x; };
  const double response =
      square(12194.0) * f2 * f2 /
      ((f2 + square(20.6)) * std::sqrt((f2 + square(107.7)) * (f2 + square(737.9))) *
       (f2 + square(12194.0)));
  return 20.0 * std::log10(response) + 2.0;
}

namespace {

struct Weights {
  std::array<double, BandCount> decibels{}, power{};
  Weights() {
    for (int band = 0; band < BandCount; ++band) {
      decibels[band] = AWeighting(BandCentreFrequency(band));
      power[band] = std::pow(10.0, decibels[band] / 10.0);
    }
  }
};

const Weights& AWeights() {
  static const Weights weights;
  return weights;
}

}  // namespace

double BandWeightDecibels(int entry, int band) {
  return entry == BroadbandAChoice ? AWeights().decibels[band] : 0.0;
}

double BandWeight(int entry, int band) {
  return entry == BroadbandAChoice ? AWeights().power[band] : 1.0;
}

double BroadbandPower(int entry, const double* power) {
  double total = 0.0;
  for (int band = 0; band < BandCount; ++band) total += BandWeight(entry, band) * power[band];
  return total;
}

double LevelPower(int entry, int band, float level) {
  return std::pow(10.0, (level + BandWeightDecibels(entry, band)) / 10.0);
}

const std::array<EntryRange, DirectivityAngleCount>& DirectivityEntryEdges() {
  static const auto edges = [] {
    std::array<EntryRange, DirectivityAngleCount> edge{};
    for (int k = 0; k < DirectivityAngleCount; ++k) {
      const double centre = 5.0 * (k - OnAxisIndex);
      edge[k] = {std::max(centre - 2.5, -180.0) + EntryEdgeMargin,
                 std::min(centre + 2.5, 180.0) - EntryEdgeMargin};
    }
    return edge;
  }();
  return edges;
}

}  // namespace tarnwick
