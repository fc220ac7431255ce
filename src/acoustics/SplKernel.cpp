#include "acoustics/SplKernel.h"

#include <cmath>

#include "acoustics/simd/Simd.h"

// Every kernel follows the same steps, each point on its own and in the same order, with a
// rounding to single precision wherever the prediction rounds:
//   1. per box: its level L = single(level - 20 ln r / ln 10), its pressure amplitude
//      A = single(e^(L ln 10 / 20)), its phase single(f r 360 / c + entry phase) in degrees,
//      and the cosine and sine of that phase;
//   2. the summed power S in single precision: for every box j, S += A_j^2, then for every
//      later box m, S += 2 A_j A_m cos(phase_j - phase_m), each term in double and S rounded
//      after every addition;
//   3. the level 10 log10 S, or SPLFloor where S is 0 or below or not finite.
// The cosine of a difference comes from the cosines and sines of the two phases,
// cos(pj - pm) = cos pj cos pm + sin pj sin pm, so a point costs one sine and one cosine a
// box instead of one cosine a pair (66 for 12 boxes). That form differs from the cosine of
// the difference by a few units in the 16th digit, far below the single-precision rounding
// of S that follows, so the sums come out the same but for rare last-bit ties.
//
// The AVX2 kernel, the same steps four points at a time, is simd/SplKernelAvx2.cpp. Both
// files are compiled with -ffp-contract=off: a fused multiply-add would skip roundings
// the steps above make.

namespace tarnwick {

const double SplLn10 = std::log(10.0);

namespace {

// Single-precision steps of their own, not the shared PowerLevel: the power and the level
// are rounded where the graph has always rounded them (docs/model.md, "The coherent sum").
float LevelOfPower(float power) {
  return power > 0.0f && std::isfinite(power)
             ? static_cast<float>(10.0 * std::log(double(power)) / SplLn10)
             : SPLFloor;
}

}  // namespace

void PortableSplKernel(SplBlock& k) {
  for (int b = 0; b < k.boxes; ++b)
    for (int i = 0; i < k.points; ++i) {
      const double r = k.distance[b][i];
      const auto level = static_cast<float>(k.level[b][i] - 20.0 * std::log(r) / SplLn10);
      k.amplitude[b][i] = static_cast<float>(std::exp(double(level) * (SplLn10 / 20.0)));
      const auto phase =
          static_cast<float>(k.frequency * (r * 360.0) / SpeedOfSound + k.entryPhase[b][i]);
      const double radians = double(phase) * (Pi / 180.0);
      k.cosine[b][i] = std::cos(radians);
      k.sine[b][i] = std::sin(radians);
    }
  for (int i = 0; i < k.points; ++i) {
    float power = 0.0f;
    for (int j = 0; j < k.boxes; ++j) {
      const double a = k.amplitude[j][i];
      power = static_cast<float>(power + a * a);
      for (int m = j + 1; m < k.boxes; ++m)
        power = static_cast<float>(
            power + 2.0 * a * k.amplitude[m][i] *
                        (k.cosine[j][i] * k.cosine[m][i] + k.sine[j][i] * k.sine[m][i]));
    }
    k.spl[i] = LevelOfPower(power);
  }
}

SplKernel FastestSplKernel() {
  static const SplKernel kernel = simd::HasAvx2Fma() ? simd::Avx2SplKernel : PortableSplKernel;
  return kernel;
}

}  // namespace tarnwick
