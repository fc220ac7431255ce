#include "acoustics/OptionSums.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <complex>
#include <cstdint>
#include <limits>
#include <utility>

#include "acoustics/LevelRules.h"
#include "acoustics/SplPrediction.h"
#include "acoustics/simd/Simd.h"

namespace tarnwick {

namespace {

constexpr std::size_t Lanes = 4;  // doubles a vector

// The passes over the points, compiled for AVX2 too and picked by the processor at load
// time: plain loops the compiler vectorises either way.
#if defined(__x86_64__) && !defined(__SANITIZE_ADDRESS__)
#define TARNWICK_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define TARNWICK_CLONES
#endif

// The travel phasors e^(i wave r) of `count` distances r. Callers pass whole vectors (the
// points padded), so that a point's sums never depend on where it falls in a query.
void TravelPhasors(bool vector, const double* distance, double wave, double* re, double* im,
                   std::size_t count) {
  std::size_t i = vector ? simd::TravelPhasors(distance, wave, re, im, count) : 0;
  for (; i < count; ++i) {
    const double phase = wave * distance[i];
    re[i] = std::cos(phase), im[i] = std::sin(phase);
  }
}

// The band's power through the box at `level`: `before`, plus its own power, plus twice its
// cross terms with each box above it. A cross term is the two amplitudes times the average
// over the band of cos(k dr + dphi): with a = p_i conj(p_j) at the band's middle and x = dr
// times half the band's width in wave number (`half`), Re(a) sin x / x. As 2 Re(a) sin x =
// Im(a b) + Im(conj(a) b), b = e^(i x), it is the sum of the imaginary parts of the two rows'
// products (OptionSums::Row), over half dr: two products a pair. Pairs whose gap is too
// small for sin x from the phasors to hold are left out here (inverse gap 0) and added by
// AddTinyGaps.
void AddBoxTerms(bool vector, const simd::BandWaves& w, int level, const double* own, double half,
                 const double* before, double* power, std::size_t count, std::size_t i = 0) {
  if (vector) i = simd::AddBox(w, level, own, half, before, power, count);
  const std::size_t row = w.Stride, next = simd::BandWaves::Rows * w.Stride;
  for (; i < count; ++i) {
    double cross = 0.0;
    for (int j = 0; j < level; ++j) {
      const double* other = w.Waves + std::size_t(j) * next + i;
      const double sines = own[row + i] * other[0] - own[i] * other[row] +
                           own[3 * row + i] * other[2 * row] - own[2 * row + i] * other[3 * row];
      cross += sines * w.Gaps[std::size_t(j) * row + i];
    }
    power[i] = before[i] + own[i] * own[i] + own[row + i] * own[row + i] + cross / half;
  }
}

// AddBoxTerms for two boxes hung below the same boxes, the rows of each box above read once
// for both.
void AddTwinTerms(bool vector, const simd::BandWaves& w, int level,
                  const simd::BandWaves::Twin (&twins)[2], double half, const double* before,
                  std::size_t count) {
  const std::size_t i = vector ? simd::AddTwins(w, level, twins, half, before, count) : 0;
  for (const simd::BandWaves::Twin& twin : twins)
    AddBoxTerms(false, {w.Waves, twin.Gaps, w.Stride}, level, twin.Own, half, before, twin.Power,
                count, i);
}

// AddBoxTerms for a whole design at once: the power through the last of `levels` boxes,
// every box's own and every pair's cross term, with no sum through the boxes between.
void AddDesignTerms(bool vector, const simd::BandWaves& w, int levels, std::size_t levelGaps,
                    double half, double* power, std::size_t count) {
  std::size_t i = vector ? simd::AddDesign(w, levels, levelGaps, half, power, count) : 0;
  const std::size_t row = w.Stride, next = simd::BandWaves::Rows * w.Stride;
  for (; i < count; ++i) {
    double own2 = 0.0, cross = 0.0;
    for (int level = 0; level < levels; ++level) {
      const double* own = w.Waves + std::size_t(level) * next + i;
      own2 += own[0] * own[0] + own[row] * own[row];
      for (int j = 0; j < level; ++j) {
        const double* other = w.Waves + std::size_t(j) * next + i;
        const double sines = own[row] * other[0] - own[0] * other[row] +
                             own[3 * row] * other[2 * row] - own[2 * row] * other[3 * row];
        cross += sines * w.Gaps[(std::size_t(level) * levelGaps + std::size_t(j)) * row + i];
      }
    }
    power[i] = own2 + cross / half;
  }
}

// Each point's pressure without the travel time, y = the entry's (or the blend of two)
// amplitude at 1 m and phase, less the air's loss over the path, over the distance
// (LevelEngine::OptionEntries), the blend being the entry times e^(t z); times the travel
// phasors as simd::PressuresFrom says.
void EntryPressures(bool vector, const simd::PressuresFrom& from, std::size_t count) {
  std::size_t i = vector ? simd::EntryPressures(from, count) : 0;
  for (; i < count; ++i) {
    if (from.SquareUpper) {
      const double re = from.UpperRe[i], im = from.UpperIm[i];
      from.UpperRe[i] = re * re - im * im, from.UpperIm[i] = 2.0 * re * im;
    }
    const double* row = from.Table + 4 * std::size_t(from.Entry[i]);
    const double t = from.Fraction[i], r = from.Distance[i];
    const double a = from.Inverse[i] * std::exp(t * row[2] - from.Loss * r);
    const std::complex<double> y = a * std::complex(row[0], row[1]) * std::polar(1.0, t * row[3]);
    const std::complex<double> upper = y * std::complex(from.UpperRe[i], from.UpperIm[i]);
    from.Re[i] = upper.real(), from.Im[i] = upper.imag();
    if (from.LowerRe == nullptr) continue;
    const std::complex<double> lower = y * std::complex(from.LowerRe[i], from.LowerIm[i]);
    from.ConjugateRe[i] = lower.real(), from.ConjugateIm[i] = -lower.imag();
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

// Each point's nearest blend (LevelEngine::OptionBlends) of its entry k and fraction t,
// j = t `steps` rounded, and the rest of the way, t - j / steps; the same in every band. The
// blend's place in its table, in doubles: 2 (k (steps + 1) + j).
TARNWICK_CLONES void NearestBlends(const int* __restrict entry, const double* __restrict t,
                                   int steps, std::uint32_t* __restrict blend,
                                   double* __restrict rest, std::size_t count) {
  const double inverse = steps > 0 ? 1.0 / steps : 0.0;
  for (std::size_t i = 0; i < count; ++i) {
    const double j = std::floor(t[i] * steps + 0.5);
    blend[i] = std::uint32_t(2 * (entry[i] * (steps + 1) + int(j)));
    rest[i] = t[i] - j * inverse;
  }
}

// Path length gaps below this (in metres) are too small for the sine of the gap times half
// a band's width to be taken from the two paths' phasors: at the top band that sine is
// 3e-5, and the phasors' rounding about 1e-13.
constexpr double TinyGap = 1e-6;

// The inverses of the gaps between the box's paths and another's; 0 for a tiny gap.
// Returns whether any gap was tiny; those are left for the caller. (Two plain loops, each
// of which vectorises.)
TARNWICK_CLONES bool InverseGaps(const double* __restrict own, const double* __restrict other,
                                 double* __restrict inverse, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) inverse[i] = 1.0 / (own[i] - other[i]);
  std::int64_t tiny = 0;
  for (std::size_t i = 0; i < count; ++i) tiny |= std::abs(own[i] - other[i]) < TinyGap;
  return tiny != 0;
}

}  // namespace

OptionSums::OptionSums(const LevelEngine& engine, int first, int last)
    : engine_(engine), first_(first), bands_(last - first + 1) {}

void OptionSums::SetPoints(std::span<const PlaneVector> points) {
  count_ = points.size();
  stride_ = (count_ + Lanes - 1) / Lanes * Lanes;
  points_.assign(points.begin(), points.end());
  points_.resize(stride_, points.empty() ? PlaneVector{} : points.back());
  // Every box's level, and a spare for a twin (HangTwins).
  const std::size_t levels = levels_ = engine_.boxes_.size() + 1;
  const std::size_t planes = levels * std::size_t(bands_) * stride_;
  distance_.Resize(levels * stride_);
  inverse_.Resize(levels * stride_);
  fraction_.Resize(levels * stride_);
  entry_.Resize(levels * stride_);
  blend_.Resize(levels * stride_);
  rest_.Resize(levels * stride_);
  waves_.Resize(planes * Rows);
  phasors_.Resize(levels * LevelEngine::Octave * Phasors * stride_);
  power_.Resize(planes);
  if (!engine_.prediction_.Average) re_.Resize(planes), im_.Resize(planes);
  gaps_.Resize(levels * levels * stride_);
  tiny_.resize(levels);
  zeros_.Resize(stride_);
  std::fill_n(zeros_.data(), stride_, 0.0);
}

void OptionSums::Hang(int level, int box, const LevelEngine::Placement& placement,
                      LevelEngine::Work* work) {
  HangAt(level, level, box, placement, work);
}

void OptionSums::HangAt(int slot, int level, int box, const LevelEngine::Placement& placement,
                        LevelEngine::Work* work) {
  assert(level == 0 || !wholeDesign_);
  wholeDesign_ = false;
  LevelEngine::Work own;
  LevelEngine::Work& w = work != nullptr ? *work : own;
  Place(slot, level, box, placement, w);
  for (int band = first_; band < first_ + bands_; ++band) {
    Band(slot, band, w);
    Sum(slot, level, band - first_);
  }
}

void OptionSums::HangTwins(int level, int box, const LevelEngine::Placement& placement,
                           const LevelEngine::Placement& twin, LevelEngine::Work* work) {
  if (!engine_.prediction_.Average) {
    // Without the average a box's sums take one pass of their own anyway.
    Hang(level, box, placement, work);
    HangAt(Twin(), level, box, twin, work);
    return;
  }
  assert(level == 0 || !wholeDesign_);
  wholeDesign_ = false;
  LevelEngine::Work own;
  LevelEngine::Work& w = work != nullptr ? *work : own;
  const int spare = Twin();
  Place(level, level, box, placement, w);
  Place(spare, level, box, twin, w);
  for (int band = first_; band < first_ + bands_; ++band) {
    const int b = band - first_;
    Band(level, band, w), Band(spare, band, w);
    const double* before = level > 0 ? &power_[SumPlane(level - 1, b)] : zeros_.data();
    const simd::BandWaves::Twin twins[2] = {
        {Wave(level, b, WaveRe), GapRow(level, 0), &power_[SumPlane(level, b)]},
        {Wave(spare, b, WaveRe), GapRow(spare, 0), &power_[SumPlane(spare, b)]}};
    AddTwinTerms(engine_.vector_, {Wave(0, b, WaveRe), nullptr, stride_}, level, twins,
                 engine_.halfWave_[band], before, stride_);
    AddTinyGaps(level, b, &power_[SumPlane(level, b)]);
    AddTinyGaps(spare, b, &power_[SumPlane(spare, b)]);
  }
}

void OptionSums::HangDesign(std::span<const LevelEngine::Placement> placed,
                            LevelEngine::Work* work) {
  LevelEngine::Work own;
  LevelEngine::Work& w = work != nullptr ? *work : own;
  const int levels = int(placed.size());
  wholeDesign_ = true;
  for (int level = 0; level < levels; ++level)
    Place(level, level, level, placed[std::size_t(level)], w);
  for (int band = first_; band < first_ + bands_; ++band) {
    for (int level = 0; level < levels; ++level) Band(level, band, w);
    if (!engine_.prediction_.Average || levels == 0) {
      for (int level = 0; level < levels; ++level) Sum(level, level, band - first_);
      continue;
    }
    const int b = band - first_;
    double* power = &power_[SumPlane(levels - 1, b)];
    const simd::BandWaves waves{Wave(0, b, WaveRe), gaps_.data(), stride_};
    AddDesignTerms(engine_.vector_, waves, levels, levels_, engine_.halfWave_[band], power,
                   stride_);
    for (int level = 1; level < levels; ++level) AddTinyGaps(level, b, power);
  }
}

void OptionSums::EntryPowers(int entry, int level, double* power) const {
  std::fill_n(power, count_, 0.0);
  for (int band = first_; band < first_ + bands_; ++band) {
    const double weight = BandWeight(entry, band);
    const double* p = Power(level, band);
    for (std::size_t i = 0; i < count_; ++i) power[i] += weight * p[i];
  }
}

void OptionSums::Place(int slot, int level, int box, const LevelEngine::Placement& placement,
                       LevelEngine::Work& work) {
  const std::size_t n = count_, at = std::size_t(slot) * stride_;
  const bool interpolate = engine_.prediction_.Interpolate;
  const double gain = engine_.boxGain_[box];
  const simd::PathsFrom from{&points_[0].X,         {placement.Source.X, placement.Source.Y},
                             placement.Aim,         interpolate,
                             DirectivityAngleCount, gain,
                             &distance_[at],        &inverse_[at],
                             &fraction_[at],        &entry_[at]};
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
    distance_[at + i] = r, inverse_[at + i] = gain / r;
    entry_[at + i] = blend.K, fraction_[at + i] = blend.T;
  }
  work.SquareRoots += n, work.Arctangents += n;
  if (engine_.vector_)
    NearestBlends(&entry_[at], &fraction_[at], engine_.blendSteps_, &blend_[at], &rest_[at],
                  stride_);
  if (!engine_.prediction_.Average) return;
  // Every path's gap to the paths of the boxes above, for all bands at once; the tiny ones
  // noted for AddTinyGaps.
  std::vector<Tiny>& tiny = tiny_[std::size_t(slot)];
  tiny.clear();
  for (int above = 0; above < level; ++above) {
    const double* other = &distance_[std::size_t(above) * stride_];
    double* inverse = GapRow(slot, above);
    if (!InverseGaps(&distance_[at], other, inverse, stride_)) continue;
    for (std::size_t i = 0; i < stride_; ++i) {
      const double gap = distance_[at + i] - other[i];
      if (!(std::abs(gap) < TinyGap)) continue;
      inverse[i] = 0.0;
      if (i < n) tiny.push_back({i, above, gap});
    }
  }
}

void OptionSums::Band(int slot, int band, LevelEngine::Work& work) {
  const LevelEngine& e = engine_;
  const std::size_t at = std::size_t(slot) * stride_;
  const int b = band - first_;
  const bool average = e.prediction_.Average;
  // The travel-time phasors n (an edge, or a centre without Average), from a sine and a
  // cosine for the lowest three, the rest squared.
  const auto travel = [&](int n, double wave) {
    if (n >= LevelEngine::Octave) {  // squared as the pressures are taken
      work.ComplexSquares += count_;
      return;
    }
    TravelPhasors(e.vector_, &distance_[at], wave, Travel(slot, n, TravelRe),
                  Travel(slot, n, TravelIm), stride_);
    work.SinesCosines += count_;
  };
  // The bands' edges: edge n is the lower edge of band first + n, and the last band's upper.
  const auto edge = [&](int n) {
    const int lower = first_ + std::min(n, bands_ - 1);
    return e.middleWave_[lower] + (n < bands_ ? -1.0 : 1.0) * e.halfWave_[lower];
  };
  if (!average)
    travel(b, e.centreWave_[band]);
  else if (b == 0)
    travel(0, edge(0)), travel(1, edge(1));
  else
    travel(b + 1, edge(b + 1));
  // The pressure: the entry, or the blend of two, less the attenuation and the air's loss
  // over the path, times the travel phasors (at the upper edge, and the lower one's
  // conjugate, with Average).
  const int upper = average ? b + 1 : b;
  const simd::PressuresFrom from{&entry_[at],
                                 &blend_[at],
                                 &rest_[at],
                                 &fraction_[at],
                                 &distance_[at],
                                 &inverse_[at],
                                 e.OptionEntries(band),
                                 e.OptionBlends(band),
                                 e.airLoss_[band],
                                 upper >= LevelEngine::Octave,
                                 Travel(slot, upper, TravelRe),
                                 Travel(slot, upper, TravelIm),
                                 average ? Travel(slot, b, TravelRe) : nullptr,
                                 average ? Travel(slot, b, TravelIm) : nullptr,
                                 Wave(slot, b, WaveRe),
                                 Wave(slot, b, WaveIm),
                                 Wave(slot, b, ConjugateRe),
                                 Wave(slot, b, ConjugateIm)};
  EntryPressures(e.vector_, from, stride_);
}

void OptionSums::Sum(int slot, int level, int b) {
  const double* none = zeros_.data();
  double* power = &power_[SumPlane(slot, b)];
  if (!engine_.prediction_.Average) {
    const std::size_t above = level > 0 ? SumPlane(level - 1, b) : 0;
    AddPressure(level > 0 ? &re_[above] : none, level > 0 ? &im_[above] : none,
                Wave(slot, b, WaveRe), Wave(slot, b, WaveIm), &re_[SumPlane(slot, b)],
                &im_[SumPlane(slot, b)], power, stride_);
    return;
  }
  const simd::BandWaves waves{Wave(0, b, WaveRe), GapRow(slot, 0), stride_};
  AddBoxTerms(engine_.vector_, waves, level, Wave(slot, b, WaveRe), engine_.halfWave_[first_ + b],
              level > 0 ? &power_[SumPlane(level - 1, b)] : none, power, stride_);
  AddTinyGaps(slot, b, power);
}

void OptionSums::AddTinyGaps(int slot, int b, double* power) const {
  // Twice Re(a) sin x / x. The two products of the rows give a b + conj(a) b = 2 Re(a) e^(i x),
  // whose real part is 2 Re(a) cos x; and tan x / x is 1 + x^2 / 3 for x below 3.4e-5.
  const double half = engine_.halfWave_[first_ + b];
  const std::size_t row = stride_;
  const double* own = Wave(slot, b, WaveRe);
  for (const Tiny& pair : tiny_[std::size_t(slot)]) {
    const std::size_t i = pair.Point;
    const double* other = Wave(pair.Above, b, WaveRe) + i;
    const double* mine = own + i;
    const double cosines = mine[0] * other[0] + mine[row] * other[row] +
                           mine[2 * row] * other[2 * row] + mine[3 * row] * other[3 * row];
    const double x = half * pair.Gap;
    power[i] += cosines * (1.0 + x * x / 3.0);
  }
}

}  // namespace tarnwick
