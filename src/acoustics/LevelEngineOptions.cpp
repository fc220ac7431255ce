#include "acoustics/LevelEngine.h"

// The level engine's sums with the prediction options on: band average, interpolated
// directivity, air. One point at a time in double precision; see docs/model.md, "Prediction
// options".

#include <cmath>
#include <complex>

#include "acoustics/Air.h"
#include "acoustics/SplPrediction.h"

namespace tarnwick {

namespace {

constexpr double DegreesToRadians = Pi / 180.0;
constexpr double DecibelsToNepers = 2.302585092994046 / 20.0;  // ln 10 / 20

// sin x / x, from its series where x is small: there the sine from the boxes' phasors would
// be a small difference of two large phases.
double SineRatio(double x, double sine) {
  if (std::fabs(x) >= 1e-2) return sine / x;
  const double x2 = x * x;
  return 1.0 - x2 / 6.0 * (1.0 - x2 / 20.0);
}

}  // namespace

void LevelEngine::SetUpOptions(const ProjectData& project, const Constants& constants) {
  prediction_ = project.Prediction;
  options_ = prediction_.AnyOn();
  if (!options_) return;
  directivity_ = constants.Directivity;
  for (std::size_t b = 0; b < boxes_.size(); ++b) attenuation_[b] = project.BoxAttenuation[b];
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
    airLoss_[band] = o.Air ? AirAbsorption(fc, o.Temperature, o.Humidity, o.Pressure) : 0.0;
  }
}

bool LevelEngine::Paths(PlaneVector point, Path* paths, Work& work) const {
  for (std::size_t b = 0; b < boxes_.size(); ++b) {
    // The direction in single precision, as the plain model takes it.
    const PlaneVector d = AddVectors(point, NegateVector(boxes_[b].Source));
    const float theta = OffAxisAngle(AngleFromDown(d), boxes_[b].Aim);
    Path& path = paths[b];
    path.R = std::hypot(double(point.X) - boxes_[b].Source.X, double(point.Y) - boxes_[b].Source.Y);
    if (prediction_.Interpolate) {
      const DirectivityBlend blend = BlendIndex(theta);
      path.K = blend.K, path.T = blend.T;
    } else {
      path.K = DirectivityIndex(theta), path.T = 0.0;
    }
    ++work.SquareRoots, ++work.Arctangents;
    if (path.K < 0 || !(path.R > 0.0)) return false;
  }
  return true;
}

double LevelEngine::OptionsPower(const Path* paths, int band, Work& work) const {
  // 1. Each box's amplitude at the point and its directivity phase: the entry, or the blend
  //    of two, less the attenuation, the air's loss over the path and the distance law.
  const std::size_t boxes = boxes_.size();
  std::array<double, MaxBoxes> amplitude{}, phase{};
  for (std::size_t b = 0; b < boxes; ++b) {
    const Path& path = paths[b];
    const DirectivityPoint& entry = directivity_(path.K, band);
    BlendedDirectivity d{entry.LevelDrop, entry.Phase};
    if (path.T != 0.0) d = Blend(entry, directivity_(path.K + 1, band), path.T);
    const double dB = bandLevel_[band] - d.LevelDrop - attenuation_[b] - airLoss_[band] * path.R;
    amplitude[b] = std::exp(dB * DecibelsToNepers) / path.R;
    phase[b] = d.Phase * DegreesToRadians;
  }
  work.SinesCosines += boxes * (prediction_.Average ? 2 : 1);
  // 2. At the centre frequency: the coherent sum as in the plain model.
  if (!prediction_.Average) {
    std::complex<double> sum;
    for (std::size_t b = 0; b < boxes; ++b)
      sum += std::polar(amplitude[b], centreWave_[band] * paths[b].R + phase[b]);
    return std::norm(sum);
  }
  // 3. Averaged over the band: a pair's cos(k dr + dphi) averages to its value at the middle
  //    wave number times sin x / x, x = dr times half the band's width in wave number. Each
  //    box's phasors at the middle and at the half width give every pair's cosine and sine
  //    by complex products, written out (std::complex's product checks for NaNs).
  std::array<double, MaxBoxes> middleRe, middleIm, halfRe, halfIm;
  double power = 0.0;
  for (std::size_t b = 0; b < boxes; ++b) {
    const double middle = middleWave_[band] * paths[b].R + phase[b];
    const double half = halfWave_[band] * paths[b].R;
    middleRe[b] = std::cos(middle), middleIm[b] = std::sin(middle);
    halfRe[b] = std::cos(half), halfIm[b] = std::sin(half);
    power += amplitude[b] * amplitude[b];
  }
  for (std::size_t i = 0; i < boxes; ++i) {
    double pairs = 0.0;
    for (std::size_t j = i + 1; j < boxes; ++j) {
      const double x = halfWave_[band] * (paths[i].R - paths[j].R);
      const double cosine = middleRe[i] * middleRe[j] + middleIm[i] * middleIm[j];
      const double sine = halfIm[i] * halfRe[j] - halfRe[i] * halfIm[j];
      pairs += amplitude[j] * cosine * SineRatio(x, sine);
    }
    power += 2.0 * amplitude[i] * pairs;
  }
  return power;
}

void LevelEngine::OptionsLevels(int entry, std::span<const PlaneVector> points,
                                std::span<float> levels, Work& work) const {
  const bool broadband = entry == BroadbandChoice || entry == BroadbandAChoice;
  const int first = broadband ? 0 : entry, last = broadband ? BandCount - 1 : entry;
  std::array<Path, MaxBoxes> paths;
  std::array<double, BandCount> power{};
  for (std::size_t i = 0; i < points.size(); ++i) {
    levels[i] = SPLFloor;
    if (!Paths(points[i], paths.data(), work)) continue;
    for (int band = first; band <= last; ++band)
      power[band] = OptionsPower(paths.data(), band, work);
    levels[i] = PowerLevel(broadband ? BroadbandPower(entry, power.data()) : power[entry]);
    ++work.Logarithms;
  }
}

std::array<float, BandChoiceCount> LevelEngine::OptionsSpectrum(PlaneVector point) const {
  std::array<float, BandChoiceCount> levels;
  levels.fill(SPLFloor);
  std::array<Path, MaxBoxes> paths;
  std::array<double, BandChoiceCount> power{};
  Work work;
  if (!Paths(point, paths.data(), work)) return levels;
  for (int band = 0; band < BandCount; ++band) power[band] = OptionsPower(paths.data(), band, work);
  power[BroadbandChoice] = BroadbandPower(BroadbandChoice, power.data());
  power[BroadbandAChoice] = BroadbandPower(BroadbandAChoice, power.data());
  for (int entry = 0; entry < BandChoiceCount; ++entry) levels[entry] = PowerLevel(power[entry]);
  return levels;
}

}  // namespace tarnwick
