#include "acoustics/SplKernel.h"

#include <algorithm>
#include <cmath>

#include "acoustics/SplCollect.h"
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
float LevelOfPower(float power, SplWork* work) {
  if (!(power > 0.0f && std::isfinite(power))) return SPLFloor;
  if (work) ++work->logarithms;
  return static_cast<float>(10.0 * std::log(double(power)) / SplLn10);
}

// Each box's distance and directivity entry at the block's points, box by box so that each
// tracker follows its points in order.
void CollectBlock(BoxSet& boxes, SPLPoint* point, int count, SplBlock& block) {
  for (int b = 0; b < boxes.count; ++b)
    for (int n = 0; n < count; ++n) {
      // AddVectors(position, NegateVector(source)), written out to keep this loop tight.
      const PlaneVector d{static_cast<float>(double(point[n].Position.X) - boxes.sourceX[b]),
                          static_cast<float>(double(point[n].Position.Y) - boxes.sourceY[b])};
      const auto r = static_cast<float>(std::sqrt(double(d.Y) * d.Y + double(d.X) * d.X));
      point[n].DistanceFromLastBox = r;  // the last box's stays
      const int k = boxes.direction[b].Index(d);
      if (k < 0 || r == 0.0f) {
        block.defined[n] = false;
        StandIn(block, b, n);
        continue;
      }
      block.distance[b][n] = r;
      block.level[b][n] = boxes.level[k + 1] - boxes.attenuation[b];
      block.entryPhase[b][n] = boxes.phase[k + 1];
    }
}

}  // namespace

void PortableSplKernel(BoxSet& boxes, SPLPoint* point, int count, SplBlock& k, SplWork* work) {
  std::fill_n(k.defined, count, true);
  CollectBlock(boxes, point, count, k);
  for (int b = 0; b < k.boxes; ++b)
    for (int i = 0; i < count; ++i) {
      const double r = k.distance[b][i];
      const auto level = static_cast<float>(k.level[b][i] - 20.0 * std::log(r) / SplLn10);
      k.amplitude[b][i] = static_cast<float>(std::exp(double(level) * (SplLn10 / 20.0)));
      const auto phase =
          static_cast<float>(k.frequency * (r * 360.0) / SpeedOfSound + k.entryPhase[b][i]);
      const double radians = double(phase) * (Pi / 180.0);
      k.cosine[b][i] = std::cos(radians);
      k.sine[b][i] = std::sin(radians);
    }
  if (work) {
    const long long values = static_cast<long long>(k.boxes) * count;
    work->logarithms += values, work->exponentials += values, work->squareRoots += values;
    work->cosines += values, work->sines += values;
    work->sumTerms += values * (k.boxes + 1) / 2;
  }
  for (int i = 0; i < count; ++i) {
    float power = 0.0f;
    for (int j = 0; j < k.boxes; ++j) {
      const double a = k.amplitude[j][i];
      power = static_cast<float>(power + a * a);
      for (int m = j + 1; m < k.boxes; ++m)
        power = static_cast<float>(
            power + 2.0 * a * k.amplitude[m][i] *
                        (k.cosine[j][i] * k.cosine[m][i] + k.sine[j][i] * k.sine[m][i]));
    }
    point[i].SPL = k.defined[i] ? LevelOfPower(power, work) : SPLFloor;
  }
}

SplKernel FastestSplKernel() {
  static const SplKernel kernel = simd::HasAvx2Fma() ? simd::Avx2SplKernel : PortableSplKernel;
  return kernel;
}

}  // namespace tarnwick
