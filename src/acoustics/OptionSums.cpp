#include "acoustics/OptionSums.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "acoustics/LevelRules.h"
#include "acoustics/SplPrediction.h"
#include "acoustics/simd/Simd.h"

namespace tarnwick {

namespace {

constexpr double DegreesToRadians = Pi / 180.0;
constexpr double DecibelsToNepers = 2.302585092994046 / 20.0;  // ln 10 / 20
constexpr std::size_t Lanes = 4;                               // doubles a vector

// The passes over the points, compiled for AVX2 too and picked by the processor at load
// time: plain loops the compiler vectorises either way.
#if defined(__x86_64__) && !defined(__SANITIZE_ADDRESS__)
#define TARNWICK_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define TARNWICK_CLONES
#endif

// e^x of each of `count` values; through the vector maths where `vector` says (the engine's
// arithmetic, LevelEngine::Arithmetic), as every step here.
void Exponentials(bool vector, const double* x, double* y, std::size_t count) {
  std::size_t i = vector ? simd::Exponentials(x, y, count) : 0;
  for (; i < count; ++i) y[i] = std::exp(x[i]);
}

// The sines and cosines of `count` angles in radians. Callers pass whole vectors (the
// points padded), so that a point's sums never depend on where it falls in a query.
void SinesCosines(bool vector, const double* x, double* sine, double* cosine, std::size_t count) {
  std::size_t i = vector ? simd::SinesCosinesWhole(x, sine, cosine, count) : 0;
  for (; i < count; ++i) sine[i] = std::sin(x[i]), cosine[i] = std::cos(x[i]);
}

// The phasors of band b from those of band b - 3, twice its frequency: their squares.
TARNWICK_CLONES void Squares(const double* re, const double* im, double* squareRe, double* squareIm,
                             std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    squareRe[i] = re[i] * re[i] - im[i] * im[i];
    squareIm[i] = 2.0 * re[i] * im[i];
  }
}

// The band's power through the box at `level`: `before`, plus its own power, plus twice its
// cross terms with each box above it. A cross term is the two amplitudes times the average
// over the band of cos(k dr + dphi), which is the cosine at the middle wave number times
// sin x / x, x = dr times half the band's width in wave number (`half`): the real part of
// one pressure times the other's conjugate, times sin x / x. sin x comes from the two boxes'
// half-width phasors; near x = 0, where it is a small difference of two large phases, from
// the series.
void AddBoxTerms(bool vector, const simd::BandWaves& w, int level, double half,
                 const double* before, double* power, std::size_t count) {
  std::size_t i = vector ? simd::AddBox(w, level, half, before, power, count) : 0;
  const std::size_t row = w.Stride, next = simd::BandWaves::Rows * w.Stride;
  const double* own = w.Waves + std::size_t(level) * next;
  for (; i < count; ++i) {
    double cross = 0.0;
    for (int j = 0; j < level; ++j) {
      const double* other = w.Waves + std::size_t(j) * next + i;
      const double* gap = w.Gaps + 2 * std::size_t(j) * row + i;
      const double cosine = own[i] * other[0] + own[row + i] * other[row];
      const double sine = own[3 * row + i] * other[2 * row] - own[2 * row + i] * other[3 * row];
      const double x = half * gap[0], x2 = x * x;
      const double ratio = x2 < 1e-4 ? 1.0 - x2 * (1.0 / 6.0 - x2 / 120.0) : sine * gap[row] / half;
      cross += cosine * ratio;
    }
    power[i] = before[i] + own[i] * own[i] + own[row + i] * own[row + i] + 2.0 * cross;
  }
}

// Each point's level at 1 m in nepers and its phase in radians for one band and box, from
// the band's entries (LevelEngine::OptionEntries) blended by the fraction t.
constexpr int Row = DirectivityAngleCount + 1;  // LevelEngine::OptionEntries' rows

TARNWICK_CLONES void Arguments(const int* __restrict entry, const double* __restrict t,
                               const double* __restrict r, const double* __restrict table,
                               double base, double loss, double wave, double* __restrict exponent,
                               double* __restrict phase, std::size_t count) {
  const double* drop = table;
  const double* dropStep = drop + Row;
  const double* turn = dropStep + Row;
  const double* turnStep = turn + Row;
  for (std::size_t i = 0; i < count; ++i) {
    const int k = entry[i];
    exponent[i] = (base - (drop[k] + t[i] * dropStep[k]) - loss * r[i]) * DecibelsToNepers;
    phase[i] = wave * r[i] + (turn[k] + t[i] * turnStep[k]);
  }
}

// Without the average: the complex sums through the box and their power.
TARNWICK_CLONES void AddPressure(const double* beforeRe, const double* beforeIm, const double* re,
                                 const double* im, double* sumRe, double* sumIm, double* power,
                                 std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    sumRe[i] = beforeRe[i] + re[i];
    sumIm[i] = beforeIm[i] + im[i];
    power[i] = sumRe[i] * sumRe[i] + sumIm[i] * sumIm[i];
  }
}

// The unit phasors (re, im) times each amplitude at 1 m over the distance.
TARNWICK_CLONES void Scale(const double* __restrict amplitude, const double* __restrict inverse,
                           double* __restrict re, double* __restrict im, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    const double a = amplitude[i] * inverse[i];
    re[i] *= a, im[i] *= a;
  }
}

// The gaps between the box's paths and another's, and their inverses.
TARNWICK_CLONES void Gaps(const double* own, const double* other, double* gap, double* inverse,
                          std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    gap[i] = own[i] - other[i];
    inverse[i] = 1.0 / gap[i];
  }
}

}  // namespace

OptionSums::OptionSums(const LevelEngine& engine, int first, int last)
    : engine_(engine), first_(first), bands_(last - first + 1) {}

void OptionSums::SetPoints(std::span<const PlaneVector> points) {
  count_ = points.size();
  stride_ = (count_ + Lanes - 1) / Lanes * Lanes;
  points_.assign(points.begin(), points.end());
  points_.resize(stride_, points.empty() ? PlaneVector{} : points.back());
  const std::size_t levels = levels_ = std::max<std::size_t>(engine_.boxes_.size(), 1);
  const std::size_t planes = levels * std::size_t(bands_) * stride_;
  // Every value is written before it is read, but for the padding of whole vectors, which
  // only needs to be some number: sizes change, contents are kept.
  distance_.resize(levels * stride_);
  inverse_.resize(levels * stride_);
  fraction_.resize(levels * stride_);
  entry_.resize(levels * stride_);
  waves_.resize(planes * Rows);
  power_.resize(planes);
  if (!engine_.prediction_.Average) re_.resize(planes), im_.resize(planes);
  gaps_.resize(2 * levels * stride_);
  for (std::vector<double>& s : scratch_) s.resize(stride_);
  std::fill(scratch_[3].begin(), scratch_[3].end(), 0.0);
}

void OptionSums::Hang(int level, int box, const LevelEngine::Placement& placement,
                      LevelEngine::Work* work) {
  LevelEngine::Work own;
  LevelEngine::Work& w = work != nullptr ? *work : own;
  Place(level, placement, w);
  for (int band = first_; band < first_ + bands_; ++band) {
    Band(level, box, band, w);
    Sum(level, band - first_);
  }
}

void OptionSums::HangDesign(std::span<const LevelEngine::Placement> placed,
                            LevelEngine::Work* work) {
  for (std::size_t b = 0; b < placed.size(); ++b) Hang(int(b), int(b), placed[b], work);
}

void OptionSums::EntryPowers(int entry, int level, double* power) const {
  std::fill_n(power, count_, 0.0);
  for (int band = first_; band < first_ + bands_; ++band) {
    const double weight = BandWeight(entry, band);
    const double* p = Power(level, band);
    for (std::size_t i = 0; i < count_; ++i) power[i] += weight * p[i];
  }
}

void OptionSums::Place(int level, const LevelEngine::Placement& placement,
                       LevelEngine::Work& work) {
  const std::size_t n = count_, at = std::size_t(level) * stride_;
  const bool interpolate = engine_.prediction_.Interpolate;
  const simd::PathsFrom from{&points_[0].X,
                             {placement.Source.X, placement.Source.Y},
                             placement.Aim,
                             interpolate,
                             DirectivityAngleCount,
                             &distance_[at],
                             &inverse_[at],
                             &fraction_[at],
                             &entry_[at]};
  static_assert(sizeof(PlaneVector) == 2 * sizeof(float));
  std::size_t i = engine_.vector_ ? simd::PlacePaths(from, stride_) : 0;
  for (; i < stride_; ++i) {
    const PlaneVector p = points_[i];
    const double dx = double(p.X) - placement.Source.X, dy = double(p.Y) - placement.Source.Y;
    const double r = std::sqrt(dx * dx + dy * dy);
    const float theta =
        OffAxisAngle(AngleFromDown(AddVectors(p, NegateVector(placement.Source))), placement.Aim);
    DirectivityBlend blend{-1, 0.0};
    if (interpolate)
      blend = BlendIndex(theta);
    else
      blend.K = DirectivityIndex(theta);
    // No level where the box has no entry or the point is on its source.
    if (blend.K < 0 || !(r > 0.0)) blend = {DirectivityAngleCount, 0.0};  // NaN in OptionEntries
    distance_[at + i] = r, inverse_[at + i] = 1.0 / r;
    entry_[at + i] = blend.K, fraction_[at + i] = blend.T;
  }
  work.SquareRoots += n, work.Arctangents += n;
  if (!engine_.prediction_.Average) return;
  // Every path's gap to the paths of the boxes above, for all bands at once.
  for (int above = 0; above < level; ++above)
    Gaps(&distance_[at], &distance_[std::size_t(above) * stride_],
         &gaps_[2 * std::size_t(above) * stride_], &gaps_[(2 * std::size_t(above) + 1) * stride_],
         n);
}

void OptionSums::Band(int level, int box, int band, LevelEngine::Work& work) {
  const LevelEngine& e = engine_;
  const std::size_t n = count_, at = std::size_t(level) * stride_;
  const int b = band - first_;
  const bool average = e.prediction_.Average;
  // The box's level at 1 m and the phase of its wave: the entry, or the blend of two, less
  // the attenuation and the air's loss over the path.
  double* exponent = scratch_[0].data();
  double* phase = scratch_[1].data();
  Arguments(&entry_[at], &fraction_[at], &distance_[at], e.OptionEntries(band),
            e.bandLevel_[band] - e.attenuation_[box], e.airLoss_[band],
            average ? e.middleWave_[band] : e.centreWave_[band], exponent, phase, n);
  double* amplitude = scratch_[2].data();
  Exponentials(e.vector_, exponent, amplitude, stride_);
  double* re = Wave(level, b, PressureRe);
  double* im = Wave(level, b, PressureIm);
  SinesCosines(e.vector_, phase, im, re, stride_);
  Scale(amplitude, &inverse_[at], re, im, stride_);
  work.SinesCosines += n;
  if (!average) return;
  // Half the band's width in wave number doubles every three bands: the lowest three's
  // phasors from a sine and a cosine, the rest squared.
  if (b >= LevelEngine::Octave) {
    Squares(Wave(level, b - LevelEngine::Octave, HalfRe),
            Wave(level, b - LevelEngine::Octave, HalfIm), Wave(level, b, HalfRe),
            Wave(level, b, HalfIm), n);
    work.ComplexSquares += n;
    return;
  }
  for (std::size_t i = 0; i < n; ++i) phase[i] = e.halfWave_[band] * distance_[at + i];
  SinesCosines(e.vector_, phase, Wave(level, b, HalfIm), Wave(level, b, HalfRe), stride_);
  work.SinesCosines += n;
}

void OptionSums::Sum(int level, int b) {
  const std::size_t n = count_;
  const double* none = scratch_[3].data();
  double* power = &power_[Plane(level, b)];
  if (!engine_.prediction_.Average) {
    const std::size_t above = level > 0 ? Plane(level - 1, b) : 0;
    AddPressure(level > 0 ? &re_[above] : none, level > 0 ? &im_[above] : none,
                Wave(level, b, PressureRe), Wave(level, b, PressureIm), &re_[Plane(level, b)],
                &im_[Plane(level, b)], power, n);
    return;
  }
  const simd::BandWaves waves{Wave(0, b, PressureRe), gaps_.data(), stride_};
  AddBoxTerms(engine_.vector_, waves, level, engine_.halfWave_[first_ + b],
              level > 0 ? &power_[Plane(level - 1, b)] : none, power, stride_);
}

}  // namespace tarnwick
