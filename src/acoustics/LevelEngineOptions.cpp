#include "acoustics/LevelEngine.h"

// The level engine's sums with the prediction options on: band average, interpolated
// directivity, air, taken by OptionSums in double precision; see docs/model.md, "Prediction
// options".

#include <algorithm>
#include <cmath>
#include <complex>
#include <limits>

#include "acoustics/Air.h"
#include "acoustics/OptionSums.h"

namespace tarnwick {

namespace {
constexpr double DecibelsToNepers = 2.302585092994046 / 20.0;  // ln 10 / 20
}  // namespace

void LevelEngine::SetUpOptions(const ProjectData& project, const Constants& constants) {
  prediction_ = project.Prediction;
  options_ = prediction_.AnyOn();
  if (!options_) return;
  directivity_ = constants.Directivity;
  for (std::size_t b = 0; b < boxes_.size(); ++b)
    boxGain_[b] = std::pow(10.0, -double(project.BoxAttenuation[b]) / 20.0);
  const PredictionOptions& o = prediction_;
  const double speed = o.Air ? SpeedOfSoundInAir(o.Temperature) : SpeedOfSound;
  // A band runs from fc 2^(-1/6) to fc 2^(1/6): its middle and half width as fractions of fc.
  const double low = std::pow(2.0, -1.0 / 6.0), high = std::pow(2.0, 1.0 / 6.0);
  for (int band = 0; band < BandCount; ++band) {
    const double fc = BandCentreFrequency(band), wave = 2.0 * Pi * fc / speed;
    bandLevel_[band] = constants.BandLevel[band];
    centreWave_[band] = wave;
    middleWave_[band] = wave * (high + low) / 2.0;
    halfWave_[band] = wave * (high - low) / 2.0;
    airLoss_[band] =
        o.Air ? AirAbsorption(fc, o.Temperature, o.Humidity, o.Pressure) * DecibelsToNepers : 0.0;
  }
  // Blending entry k toward k + 1 by t gives drop + t step, phase + t turn (Blend's rule):
  // the entry's pressure times e^(t z), z = (-step in nepers, turn in radians).
  optionEntries_.assign(std::size_t(BandCount) * 4 * OptionRow,
                        std::numeric_limits<double>::quiet_NaN());
  for (int band = 0; band < BandCount; ++band)
    for (int k = 0; k < DirectivityAngleCount; ++k) {
      const DirectivityPoint& from = directivity_(k, band);
      const DirectivityPoint& to = directivity_(std::min(k + 1, DirectivityAngleCount - 1), band);
      const BlendedDirectivity end = Blend(from, to, 1.0);
      double turn = end.Phase - from.Phase;  // along the shorter arc, +180 for a half turn
      if (turn > 180.0) turn -= 360.0;
      if (turn <= -180.0) turn += 360.0;
      const std::complex<double> pressure =
          std::polar(std::exp((bandLevel_[band] - from.LevelDrop) * DecibelsToNepers),
                     from.Phase * Pi / 180.0);
      double* entry = &optionEntries_[(std::size_t(band) * OptionRow + k) * 4];
      entry[0] = pressure.real(), entry[1] = pressure.imag();
      entry[2] = -(double(to.LevelDrop) - from.LevelDrop) * DecibelsToNepers;
      entry[3] = turn * Pi / 180.0;
    }
  // The blends step by step, each the last times e^(z / steps): 64 products round off far
  // less than the 0.01 dB the options answer for.
  blendSteps_ = o.Interpolate ? BlendSteps : 0;
  const std::size_t steps = std::size_t(blendSteps_) + 1;
  optionBlends_.assign(std::size_t(BandCount) * OptionRow * steps * 2,
                       std::numeric_limits<double>::quiet_NaN());
  for (int band = 0; band < BandCount; ++band)
    for (int k = 0; k < DirectivityAngleCount; ++k) {
      const double* entry = &optionEntries_[(std::size_t(band) * OptionRow + k) * 4];
      const std::complex<double> step =
          blendSteps_ > 0 ? std::exp(std::complex(entry[2], entry[3]) / double(blendSteps_)) : 1.0;
      std::complex<double> blend(entry[0], entry[1]);
      double* blends = &optionBlends_[(std::size_t(band) * OptionRow + k) * steps * 2];
      for (std::size_t j = 0; j < steps; ++j, blend *= step)
        blends[2 * j] = blend.real(), blends[2 * j + 1] = blend.imag();
    }
}

LevelEngine::Scratch::Scratch() = default;
LevelEngine::Scratch::~Scratch() = default;

void LevelEngine::OptionsLevels(int entry, std::span<const PlaneVector> points,
                                std::span<float> levels, Work& work, Scratch* scratch) const {
  const bool broadband = entry == BroadbandChoice || entry == BroadbandAChoice;
  const int first = broadband ? 0 : entry, last = broadband ? BandCount - 1 : entry;
  // Blocks of points small enough that one band's data for every box (the waves, the gaps
  // between paths, the phasors: some 60 KB for 12 boxes) stay in the nearest cache.
  constexpr std::size_t Block = 32;
  std::unique_ptr<OptionSums> own;
  std::unique_ptr<OptionSums>& kept = scratch != nullptr ? scratch->sums_ : own;
  if (!kept || !kept->Serves(*this, first, last))
    kept = std::make_unique<OptionSums>(*this, first, last);
  OptionSums& sums = *kept;
  std::array<double, Block> power;
  const int bottom = int(boxes_.size()) - 1;
  for (std::size_t start = 0; start < points.size(); start += Block) {
    const std::size_t count = std::min(Block, points.size() - start);
    std::fill_n(&levels[start], count, SPLFloor);
    if (bottom < 0) continue;
    sums.SetPoints(points.subspan(start, count));
    sums.HangDesign(boxes_, &work);
    sums.EntryPowers(entry, bottom, power.data());
    for (std::size_t i = 0; i < count; ++i) levels[start + i] = PowerLevel(power[i]);
    work.Logarithms += count;
  }
}

std::array<float, BandChoiceCount> LevelEngine::OptionsSpectrum(PlaneVector point) const {
  std::array<float, BandChoiceCount> levels;
  levels.fill(SPLFloor);
  if (boxes_.empty()) return levels;
  OptionSums sums(*this, 0, BandCount - 1);
  sums.SetPoints({&point, 1});
  const int bottom = int(boxes_.size()) - 1;
  sums.HangDesign(boxes_);
  std::array<double, BandChoiceCount> power{};
  for (int band = 0; band < BandCount; ++band) power[band] = *sums.Power(bottom, band);
  power[BroadbandChoice] = BroadbandPower(BroadbandChoice, power.data());
  power[BroadbandAChoice] = BroadbandPower(BroadbandAChoice, power.data());
  for (int entry = 0; entry < BandChoiceCount; ++entry) levels[entry] = PowerLevel(power[entry]);
  return levels;
}

}  // namespace tarnwick
