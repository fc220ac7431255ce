#include "acoustics/LevelEngine.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <limits>

#include "acoustics/VectorMath.h"
#include "model/ProjectRules.h"

namespace tarnwick {

namespace {

constexpr double DegreesToRadians = Pi / 180.0;
constexpr int SpectrumStride = 24;  // bands in a row of the spectrum tables
constexpr int GroupedBands = 20;    // bands 0 ... 19 go four at a time, band 20 apart

// How close, in degrees, a direction may come to the edge of its directivity entry (a half
// step of 5 degrees, or the back at +-180) for the vector arithmetic to name the entry
// itself. The prediction rounds the angle to single precision two or three times, some
// 3e-5 degrees in all; the vector arctangent and the edges' sines and cosines are good to
// some 1e-13 degrees. Nearer the edge, OffAxisIndex decides.
constexpr double EdgeMargin = 1e-3;

float Decibels(double power) {
  return power > 0.0 && std::isfinite(power) ? float(10.0 * std::log10(power)) : SPLFloor;
}

}  // namespace

LevelEngine::LevelEngine(const ProjectData& project, const Graphics& graphics,
                         const Constants& constants, Arithmetic arithmetic) {
#if defined(__x86_64__)
  vector_ = arithmetic == Arithmetic::Fastest && vector_maths::HasVectorMaths();
#else
  (void)arithmetic;
#endif
  const int boxes = BoxesInUse(project);
  for (int b = 0; b < boxes; ++b) boxes_.push_back(Place(graphics.BoxGeom[b]));
  amplitude_.resize(std::size_t(BandCount) * boxes * DirectivityAngleCount);
  spectrumAmplitude_.assign(std::size_t(boxes) * DirectivityAngleCount * SpectrumStride, 0.0);
  spectrumPhase_.assign(std::size_t(DirectivityAngleCount) * SpectrumStride, 0.0);
  for (int band = 0; band < BandCount; ++band) {
    waveNumber_[band] = 2.0 * Pi * BandCentreFrequency(band) / SpeedOfSound;
    aWeight_[band] = std::pow(10.0, AWeighting(BandCentreFrequency(band)) / 10.0);
    for (int k = 0; k < DirectivityAngleCount; ++k) {
      const DirectivityPoint& entry = constants.Directivity(k, band);
      phase_[band][k] = double(entry.Phase) * DegreesToRadians;
      spectrumPhase_[std::size_t(k) * SpectrumStride + band] = phase_[band][k];
      for (int b = 0; b < boxes; ++b) {
        const double amplitude = std::pow(10.0, (double(constants.BandLevel[band]) -
                                                 entry.LevelDrop - project.BoxAttenuation[b]) /
                                                    20.0);
        amplitude_[(std::size_t(band) * boxes + b) * DirectivityAngleCount + k] = amplitude;
        spectrumAmplitude_[(std::size_t(b) * DirectivityAngleCount + k) * SpectrumStride + band] =
            amplitude;
      }
    }
  }
}

LevelEngine::Placement LevelEngine::Place(const BoxGeometry& box) {
  // Each entry's edges for a box aimed straight down, drawn in by the margin: off-axis
  // angles from 5 (k - 36) - 2.5 to 5 (k - 36) + 2.5 degrees, the back entries cut at
  // +-180 where the angle wraps; as sine and cosine of the lower, then the upper edge.
  static const auto edges = [] {
    std::array<std::array<double, 4>, DirectivityAngleCount> edge{};
    for (int k = 0; k < DirectivityAngleCount; ++k) {
      const double centre = 5.0 * (k - OnAxisIndex);
      const double low = (std::max(centre - 2.5, -180.0) + EdgeMargin) * DegreesToRadians;
      const double high = (std::min(centre + 2.5, 180.0) - EdgeMargin) * DegreesToRadians;
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
  }
  return placed;
}

void LevelEngine::Rehang(const Graphics& graphics) {
  for (std::size_t b = 0; b < boxes_.size(); ++b) boxes_[b] = Place(graphics.BoxGeom[b]);
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

double LevelEngine::BroadbandPower(const double* power, int entry) const {
  // Band by band in order, whichever path summed the bands.
  double total = 0.0;
  for (int band = 0; band < BandCount; ++band)
    total += entry == BroadbandAEntry ? aWeight_[band] * power[band] : power[band];
  return total;
}

void LevelEngine::Levels(int entry, std::span<const PlaneVector> points,
                         std::span<float> levels) const {
  const bool broadband = entry == BroadbandEntry || entry == BroadbandAEntry;
  const int first = broadband ? 0 : entry, last = broadband ? BandCount - 1 : entry;
  points = points.first(std::min(points.size(), levels.size()));
  if (first < 0 || last >= BandCount) {
    std::fill(levels.begin(), levels.begin() + points.size(), SPLFloor);
    return;
  }
#if defined(__x86_64__)
  if (vector_) {
    VectorLevels(entry, points, levels);
    return;
  }
#endif
  std::array<double, BandCount> power{};
  for (std::size_t i = 0; i < points.size(); ++i) {
    levels[i] = SPLFloor;
    if (!BandPowers(points[i], first, last, power.data())) continue;
    levels[i] = Decibels(broadband ? BroadbandPower(power.data(), entry) : power[entry]);
  }
}

float LevelEngine::Level(int entry, PlaneVector point) const {
  float level = SPLFloor;
  Levels(entry, {&point, 1}, {&level, 1});
  return level;
}

void LevelEngine::AddPressures(int box, const Placement& placement, int first, int last,
                               std::span<const PlaneVector> points, double* re, double* im,
                               std::size_t stride) const {
  if (box < 0 || std::size_t(box) >= boxes_.size() || first < 0 || last >= BandCount) return;
#if defined(__x86_64__)
  if (vector_) {
    VectorPressures(box, placement, first, last, points, re, im, stride);
    return;
  }
#endif
  const std::size_t boxes = boxes_.size();
  for (std::size_t i = 0; i < points.size(); ++i) {
    // As BandPowers takes a box's direction and distance.
    const int k =
        OffAxisIndex(AddVectors(points[i], NegateVector(placement.Source)), placement.Aim);
    const double r = std::hypot(double(points[i].X) - placement.Source.X,
                                double(points[i].Y) - placement.Source.Y);
    for (int band = first; band <= last; ++band) {
      const double none = std::numeric_limits<double>::quiet_NaN();
      std::complex<double> p(none, none);
      if (k >= 0 && r > 0.0)
        p = std::polar(amplitude_[(band * boxes + box) * DirectivityAngleCount + k] / r,
                       waveNumber_[band] * r + phase_[band][k]);
      re[(band - first) * stride + i] += p.real();
      im[(band - first) * stride + i] += p.imag();
    }
  }
}

#if defined(__x86_64__)

// Up to 16 points, four to a vector: every box's distance, its inverse and its directivity
// entry at each. A lane whose point has no level (an entry off the table, or the point on
// a source) holds harmless stand-ins: entry 36, distance 1, inverse 0.
struct LevelEngine::Block {
  static constexpr int Vectors = 4;
  static constexpr int Width = 4 * Vectors;
  int vectors = 0;  // in use
  alignas(32) double distance[MaxBoxes][Width];
  alignas(32) double inverse[MaxBoxes][Width];
  alignas(16) std::int32_t entry[MaxBoxes][Width];
  std::array<bool, Width> defined;
};

namespace {

// Lanes whose direction (across, -down) lies inside the sector.
TARNWICK_VECTOR_MATHS inline __m256d Inside(const std::array<double, 4>& s, __m256d across,
                                            __m256d down) {
  const __m256d zero = _mm256_setzero_pd();
  const __m256d afterLow =
      _mm256_fmadd_pd(_mm256_set1_pd(s[0]), down, _mm256_mul_pd(_mm256_set1_pd(s[1]), across));
  const __m256d beforeHigh =
      _mm256_fmadd_pd(_mm256_set1_pd(s[2]), down, _mm256_mul_pd(_mm256_set1_pd(s[3]), across));
  return _mm256_and_pd(_mm256_cmp_pd(afterLow, zero, _CMP_GT_OQ),
                       _mm256_cmp_pd(beforeHigh, zero, _CMP_GT_OQ));
}

// Where one box's distances, their inverses and its directivity entries at some points go;
// following is the entry to try first, mostly that of the point before, and becomes that
// of the last.
struct Row {
  const LevelEngine::Placement* box;
  double* distance;
  double* inverse;
  std::int32_t* entries;
  int* following;
};

// The rows of some boxes at 4 * vectors points (x, y). A lane whose point has no level is
// marked in `defined` and holds stand-ins.
TARNWICK_VECTOR_MATHS void LocateRows(const Row* rows, int count, const double* x, const double* y,
                                      int vectors, bool* defined) {
  using namespace vector_maths;
  constexpr int MostVectors = 4;
  const __m256d sign = _mm256_set1_pd(-0.0);
  // 1. The distance, and the entry where the direction lies well inside the entry the box
  //    followed last or one of its two neighbours, which is mostly so from one point to
  //    the next. The direction is the single-precision one that OffAxisIndex takes. No
  //    branches: which way they went would change unforeseeably, and a wrong guess throws
  //    away the work under way.
  __m256d across[MaxBoxes * MostVectors], down[MaxBoxes * MostVectors];  // (x, -y)
  int pending[MaxBoxes * MostVectors], pendingCount = 0;                 // row * MostVectors + v
  for (int v = 0; v < vectors; ++v) {
    const __m256d px = _mm256_load_pd(&x[4 * v]), py = _mm256_load_pd(&y[4 * v]);
    for (int n = 0; n < count; ++n) {
      const LevelEngine::Placement& box = *rows[n].box;
      double* distance = rows[n].distance;
      const int at = n * MostVectors + v;
      // Differences of two floats, exact in double.
      const __m256d dx = _mm256_sub_pd(px, _mm256_set1_pd(box.Source.X));
      const __m256d dy = _mm256_sub_pd(py, _mm256_set1_pd(box.Source.Y));
      const __m256d r = Sqrt(_mm256_fmadd_pd(dx, dx, _mm256_mul_pd(dy, dy)));
      _mm256_store_pd(&distance[4 * v], r);
      _mm256_store_pd(&rows[n].inverse[4 * v], _mm256_div_pd(_mm256_set1_pd(1.0), r));
      across[at] = _mm256_cvtps_pd(_mm256_cvtpd_ps(dx));
      down[at] = _mm256_xor_pd(_mm256_cvtps_pd(_mm256_cvtpd_ps(dy)), sign);
      int& following = *rows[n].following;
      const int k = following;
      const std::array<double, 4>* sector = &box.Sectors[std::size_t(k) + 1];
      const __m256d before = Inside(sector[-1], across[at], down[at]);
      const __m256d same = Inside(sector[0], across[at], down[at]);
      const __m256d after = Inside(sector[1], across[at], down[at]);
      const __m128i entry = _mm256_cvtpd_epi32(
          _mm256_blendv_pd(_mm256_blendv_pd(_mm256_set1_pd(k), _mm256_set1_pd(k + 1), after),
                           _mm256_set1_pd(k - 1), before));
      _mm_store_si128(reinterpret_cast<__m128i*>(&rows[n].entries[4 * v]), entry);
      const int covered = _mm256_movemask_pd(_mm256_or_pd(_mm256_or_pd(before, same), after));
      following = covered & 8 ? _mm_extract_epi32(entry, 3) : k;
      pending[pendingCount] = at;
      pendingCount += covered != 0xF;
    }
  }
  // 2. The other directions' off-axis angles from the vector arctangent, one call after
  //    another so that they overlap, from straight down, wrapped into (-180, 180].
  __m256d angle[MaxBoxes * MostVectors];
  for (int p = 0; p < pendingCount; ++p) angle[p] = Atan2(across[pending[p]], down[pending[p]]);
  // 3. Their entries, where the angle lies clear of an entry's edge and of the back, else
  //    from OffAxisIndex.
  for (int p = 0; p < pendingCount; ++p) {
    const int n = pending[p] / MostVectors, v = pending[p] % MostVectors;
    const LevelEngine::Placement& box = *rows[n].box;
    double* distance = rows[n].distance;
    __m256d theta =
        _mm256_sub_pd(_mm256_mul_pd(angle[p], _mm256_set1_pd(180.0 / Pi)), _mm256_set1_pd(box.Aim));
    const __m256d turn = _mm256_set1_pd(360.0);
    theta = _mm256_blendv_pd(theta, _mm256_sub_pd(theta, turn),
                             _mm256_cmp_pd(theta, _mm256_set1_pd(180.0), _CMP_GT_OQ));
    theta = _mm256_blendv_pd(theta, _mm256_add_pd(theta, turn),
                             _mm256_cmp_pd(theta, _mm256_set1_pd(-180.0), _CMP_LE_OQ));
    // theta / 5 rounded; the margin covers the product's rounding.
    const __m256d steps = _mm256_mul_pd(theta, _mm256_set1_pd(0.2));
    const __m256d nearest = _mm256_round_pd(steps, _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
    const __m256d clear =
        _mm256_and_pd(_mm256_cmp_pd(_mm256_andnot_pd(sign, _mm256_sub_pd(steps, nearest)),
                                    _mm256_set1_pd(0.5 - EdgeMargin / 5.0), _CMP_LT_OQ),
                      _mm256_cmp_pd(_mm256_andnot_pd(sign, theta),
                                    _mm256_set1_pd(180.0 - EdgeMargin), _CMP_LT_OQ));
    const int cleared = _mm256_movemask_pd(clear);
    std::int32_t* entry = &rows[n].entries[4 * v];
    // Only cleared lanes convert; the others might be NaN.
    _mm_store_si128(reinterpret_cast<__m128i*>(entry),
                    _mm_add_epi32(_mm256_cvtpd_epi32(_mm256_and_pd(nearest, clear)),
                                  _mm_set1_epi32(OnAxisIndex)));
    const int placed = _mm256_movemask_pd(
        _mm256_cmp_pd(_mm256_load_pd(&distance[4 * v]), _mm256_setzero_pd(), _CMP_GT_OQ));
    if (cleared != 0xF || placed != 0xF) {
      alignas(32) double directionX[4], directionY[4];
      _mm256_store_pd(directionX, across[pending[p]]);
      _mm256_store_pd(directionY, _mm256_xor_pd(down[pending[p]], sign));
      for (int i = 0; i < 4; ++i) {
        if (!(cleared >> i & 1))
          entry[i] = OffAxisIndex({float(directionX[i]), float(directionY[i])}, box.Aim);
        if (entry[i] < 0 || !(placed >> i & 1)) {
          defined[4 * v + i] = false;
          entry[i] = OnAxisIndex;
          distance[4 * v + i] = 1.0;
          rows[n].inverse[4 * v + i] = 0.0;
        }
      }
    }
    if (v == vectors - 1) *rows[n].following = entry[3];
  }
}

// The points' coordinates four to a vector, the last repeated to fill.
void Spread(const PlaneVector* points, int count, int vectors, double* x, double* y) {
  for (int i = 0; i < 4 * vectors; ++i) {
    const PlaneVector& p = points[std::min(i, count - 1)];
    x[i] = p.X, y[i] = p.Y;
  }
}

}  // namespace

TARNWICK_VECTOR_MATHS void LevelEngine::Locate(Block& block, const PlaneVector* points, int count,
                                               int* following) const {
  block.vectors = (count + 3) / 4;
  alignas(32) double x[Block::Width], y[Block::Width];
  Spread(points, count, block.vectors, x, y);
  block.defined.fill(true);
  Row rows[MaxBoxes];
  for (std::size_t b = 0; b < boxes_.size(); ++b)
    rows[b] = {&boxes_[b], block.distance[b], block.inverse[b], block.entry[b], &following[b]};
  LocateRows(rows, int(boxes_.size()), x, y, block.vectors, block.defined.data());
}

namespace {

// base[index] for four indices. The masked form: GCC 12 warns of the plain one's
// deliberately undefined start value.
TARNWICK_VECTOR_MATHS inline __m256d Gather(const double* base, __m128i index) {
  return _mm256_mask_i32gather_pd(_mm256_setzero_pd(), base, index,
                                  _mm256_castsi256_pd(_mm256_set1_epi64x(-1)), 8);
}

// 10 log10 of four powers, SPLFloor where a power is 0 or below or not finite.
TARNWICK_VECTOR_MATHS void Decibels(__m256d power, float* level) {
  const __m256d dB = vector_maths::PowerLevel(power);
  const __m256d defined = _mm256_and_pd(_mm256_cmp_pd(power, _mm256_setzero_pd(), _CMP_GT_OQ),
                                        _mm256_cmp_pd(power, _mm256_set1_pd(HUGE_VAL), _CMP_LT_OQ));
  _mm_storeu_ps(level, _mm256_cvtpd_ps(_mm256_blendv_pd(_mm256_set1_pd(SPLFloor), dB, defined)));
}

}  // namespace

TARNWICK_VECTOR_MATHS void LevelEngine::BandLevels(const Block& block, int band,
                                                   float* levels) const {
  using namespace vector_maths;
  constexpr int Vectors = Block::Vectors;
  const int boxes = int(boxes_.size());
  const double* amplitude = &amplitude_[std::size_t(band) * boxes * DirectivityAngleCount];
  const __m256d waveNumber = _mm256_set1_pd(waveNumber_[band]);
  // One function at a time over every box and vector, so that the calls, which do not
  // wait for one another, overlap. The phases' room takes the cosines.
  __m256d phase[MaxBoxes * Vectors], magnitude[MaxBoxes * Vectors], sine[MaxBoxes * Vectors];
  int n = 0;
  for (int v = 0; v < block.vectors; ++v)
    for (int b = 0; b < boxes; ++b, ++n) {
      const double* boxAmplitude = amplitude + b * DirectivityAngleCount;
      const std::int32_t* entry = &block.entry[b][4 * v];
      const __m128i k = _mm_load_si128(reinterpret_cast<const __m128i*>(entry));
      __m256d entryPhase, entryAmplitude;
      // Mostly the four points share the box's entry, and one value serves them all.
      if (_mm_movemask_epi8(_mm_cmpeq_epi32(k, _mm_shuffle_epi32(k, 0))) == 0xFFFF) {
        entryPhase = _mm256_broadcast_sd(&phase_[band][entry[0]]);
        entryAmplitude = _mm256_broadcast_sd(&boxAmplitude[entry[0]]);
      } else {
        entryPhase = Gather(phase_[band].data(), k);
        entryAmplitude = Gather(boxAmplitude, k);
      }
      phase[n] = _mm256_fmadd_pd(waveNumber, _mm256_load_pd(&block.distance[b][4 * v]), entryPhase);
      magnitude[n] = _mm256_mul_pd(entryAmplitude, _mm256_load_pd(&block.inverse[b][4 * v]));
    }
  for (int i = 0; i < n; ++i) sine[i] = Sin(phase[i]);
  for (int i = 0; i < n; ++i) phase[i] = Cos(phase[i]);
  const __m256d* cosine = phase;
  __m256d power[Vectors];
  for (int v = 0; v < block.vectors; ++v) {
    __m256d re = _mm256_setzero_pd(), im = _mm256_setzero_pd();
    for (int b = 0; b < boxes; ++b) {
      re = _mm256_fmadd_pd(magnitude[v * boxes + b], cosine[v * boxes + b], re);
      im = _mm256_fmadd_pd(magnitude[v * boxes + b], sine[v * boxes + b], im);
    }
    power[v] = _mm256_fmadd_pd(re, re, _mm256_mul_pd(im, im));
  }
  for (int v = 0; v < block.vectors; ++v) Decibels(power[v], &levels[4 * v]);
}

TARNWICK_VECTOR_MATHS void LevelEngine::SpectrumPowers(const Block& block, int v,
                                                       double (*power)[BandCount]) const {
  using namespace vector_maths;
  constexpr int Groups = GroupedBands / 4;
  constexpr int PerBox = 4 * Groups + 1;  // vectors of phases a box
  const int boxes = int(boxes_.size());
  const std::int32_t(*entry)[Block::Width] = block.entry;
  // 1. The phases: for each box, bands 0 ... 19 of each point four at a time, then band
  //    20 of the four points. Sines and cosines follow over all of them, a function at a
  //    time; the phases' room takes the cosines.
  __m256d phase[MaxBoxes * PerBox], sine[MaxBoxes * PerBox];
  const double* waveNumber = waveNumber_.data();
  for (int b = 0; b < boxes; ++b) {
    __m256d* at = &phase[b * PerBox];
    for (int i = 4 * v; i < 4 * v + 4; ++i) {
      const double* entryPhase = &spectrumPhase_[std::size_t(entry[b][i]) * SpectrumStride];
      const __m256d r = _mm256_set1_pd(block.distance[b][i]);
      for (int g = 0; g < Groups; ++g)
        *at++ = _mm256_fmadd_pd(_mm256_loadu_pd(waveNumber + 4 * g), r,
                                _mm256_loadu_pd(entryPhase + 4 * g));
    }
    const __m128i row =
        _mm_mullo_epi32(_mm_load_si128(reinterpret_cast<const __m128i*>(&entry[b][4 * v])),
                        _mm_set1_epi32(SpectrumStride));
    *at = _mm256_fmadd_pd(_mm256_set1_pd(waveNumber_[GroupedBands]),
                          _mm256_load_pd(&block.distance[b][4 * v]),
                          Gather(&spectrumPhase_[GroupedBands], row));
  }
  const int vectors = boxes * PerBox;
  for (int i = 0; i < vectors; ++i) sine[i] = Sin(phase[i]);
  for (int i = 0; i < vectors; ++i) phase[i] = Cos(phase[i]);
  const __m256d* cosine = phase;

  // 2. Each point's sums over the boxes, four bands at a time.
  for (int i = 0; i < 4; ++i) {
    __m256d re[Groups], im[Groups];
    for (int g = 0; g < Groups; ++g) re[g] = im[g] = _mm256_setzero_pd();
    for (int b = 0; b < boxes; ++b) {
      const double* amplitude =
          &spectrumAmplitude_[(std::size_t(b) * DirectivityAngleCount + entry[b][4 * v + i]) *
                              SpectrumStride];
      const __m256d inverse = _mm256_set1_pd(block.inverse[b][4 * v + i]);
      const int at = b * PerBox + i * Groups;
      for (int g = 0; g < Groups; ++g) {
        const __m256d magnitude = _mm256_mul_pd(_mm256_loadu_pd(amplitude + 4 * g), inverse);
        re[g] = _mm256_fmadd_pd(magnitude, cosine[at + g], re[g]);
        im[g] = _mm256_fmadd_pd(magnitude, sine[at + g], im[g]);
      }
    }
    for (int g = 0; g < Groups; ++g)
      _mm256_storeu_pd(&power[i][4 * g],
                       _mm256_fmadd_pd(re[g], re[g], _mm256_mul_pd(im[g], im[g])));
  }
  // 3. Band 20's sums, the four points at once.
  __m256d re = _mm256_setzero_pd(), im = _mm256_setzero_pd();
  for (int b = 0; b < boxes; ++b) {
    const __m128i row = _mm_mullo_epi32(
        _mm_add_epi32(_mm_load_si128(reinterpret_cast<const __m128i*>(&entry[b][4 * v])),
                      _mm_set1_epi32(b * DirectivityAngleCount)),
        _mm_set1_epi32(SpectrumStride));
    const __m256d magnitude = _mm256_mul_pd(Gather(&spectrumAmplitude_[GroupedBands], row),
                                            _mm256_load_pd(&block.inverse[b][4 * v]));
    re = _mm256_fmadd_pd(magnitude, cosine[b * PerBox + PerBox - 1], re);
    im = _mm256_fmadd_pd(magnitude, sine[b * PerBox + PerBox - 1], im);
  }
  alignas(32) double last[4];
  _mm256_store_pd(last, _mm256_fmadd_pd(re, re, _mm256_mul_pd(im, im)));
  for (int i = 0; i < 4; ++i) power[i][GroupedBands] = last[i];
}

TARNWICK_VECTOR_MATHS void LevelEngine::VectorPressures(int box, const Placement& placement,
                                                        int first, int last,
                                                        std::span<const PlaneVector> points,
                                                        double* re, double* im,
                                                        std::size_t stride) const {
  using namespace vector_maths;
  constexpr int Width = Block::Width;
  const std::size_t boxes = boxes_.size();
  int following = OnAxisIndex;
  alignas(32) double x[Width], y[Width], distance[Width], inverse[Width];
  alignas(16) std::int32_t entry[Width];
  std::array<bool, Width> defined;
  for (std::size_t start = 0; start < points.size(); start += Width) {
    const int count = int(std::min<std::size_t>(Width, points.size() - start));
    const int vectors = (count + 3) / 4;
    Spread(&points[start], count, vectors, x, y);
    defined.fill(true);
    const Row row{&placement, distance, inverse, entry, &following};
    LocateRows(&row, 1, x, y, vectors, defined.data());
    for (int i = 0; i < count; ++i)
      if (!defined[i]) inverse[i] = std::numeric_limits<double>::quiet_NaN();
    for (int band = first; band <= last; ++band) {
      const double* amplitude = &amplitude_[(band * boxes + box) * DirectivityAngleCount];
      const __m256d waveNumber = _mm256_set1_pd(waveNumber_[band]);
      __m256d phase[Block::Vectors], magnitude[Block::Vectors], sine[Block::Vectors];
      for (int v = 0; v < vectors; ++v) {
        const __m128i k = _mm_load_si128(reinterpret_cast<const __m128i*>(&entry[4 * v]));
        __m256d entryPhase, entryAmplitude;
        // Mostly the four points share the box's entry, and one value serves them all.
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(k, _mm_shuffle_epi32(k, 0))) == 0xFFFF) {
          entryPhase = _mm256_broadcast_sd(&phase_[band][entry[4 * v]]);
          entryAmplitude = _mm256_broadcast_sd(&amplitude[entry[4 * v]]);
        } else {
          entryPhase = Gather(phase_[band].data(), k);
          entryAmplitude = Gather(amplitude, k);
        }
        phase[v] = _mm256_fmadd_pd(waveNumber, _mm256_load_pd(&distance[4 * v]), entryPhase);
        magnitude[v] = _mm256_mul_pd(entryAmplitude, _mm256_load_pd(&inverse[4 * v]));
      }
      for (int v = 0; v < vectors; ++v) sine[v] = Sin(phase[v]);
      for (int v = 0; v < vectors; ++v) phase[v] = Cos(phase[v]);
      double* rowRe = re + (band - first) * stride + start;
      double* rowIm = im + (band - first) * stride + start;
      // Whole vectors straight into the sums; the lanes past the last point stay out.
      for (int v = 0; v < vectors; ++v) {
        const __m256d real = _mm256_mul_pd(magnitude[v], phase[v]);
        const __m256d imaginary = _mm256_mul_pd(magnitude[v], sine[v]);
        if (4 * v + 4 <= count) {
          _mm256_storeu_pd(&rowRe[4 * v], _mm256_add_pd(_mm256_loadu_pd(&rowRe[4 * v]), real));
          _mm256_storeu_pd(&rowIm[4 * v], _mm256_add_pd(_mm256_loadu_pd(&rowIm[4 * v]), imaginary));
          continue;
        }
        alignas(32) double lastRe[4], lastIm[4];
        _mm256_store_pd(lastRe, real);
        _mm256_store_pd(lastIm, imaginary);
        for (int i = 4 * v; i < count; ++i)
          rowRe[i] += lastRe[i - 4 * v], rowIm[i] += lastIm[i - 4 * v];
      }
    }
  }
}

TARNWICK_VECTOR_MATHS void LevelEngine::VectorLevels(int entry, std::span<const PlaneVector> points,
                                                     std::span<float> levels) const {
  const bool broadband = entry == BroadbandEntry || entry == BroadbandAEntry;
  Block block;
  std::array<int, MaxBoxes> following;
  following.fill(OnAxisIndex);  // any entry to start from
  for (std::size_t first = 0; first < points.size(); first += Block::Width) {
    const int count = int(std::min<std::size_t>(Block::Width, points.size() - first));
    Locate(block, &points[first], count, following.data());
    alignas(16) float level[Block::Width];
    if (broadband) {
      for (int v = 0; v < block.vectors; ++v) {
        double power[4][BandCount];
        SpectrumPowers(block, v, power);
        alignas(32) double total[4];
        for (int i = 0; i < 4; ++i) total[i] = BroadbandPower(power[i], entry);
        Decibels(_mm256_load_pd(total), &level[4 * v]);
      }
    } else {
      BandLevels(block, entry, level);
    }
    for (int i = 0; i < count; ++i) levels[first + i] = block.defined[i] ? level[i] : SPLFloor;
  }
}

TARNWICK_VECTOR_MATHS void LevelEngine::VectorSpectrum(
    PlaneVector point, std::array<float, LevelEntryCount>& levels) const {
  // Through the same steps as Levels, so that both give a point's broadband level to the
  // last bit.
  Block block;
  std::array<int, MaxBoxes> following;
  following.fill(OnAxisIndex);
  Locate(block, &point, 1, following.data());
  if (!block.defined[0]) return;
  double bands[4][BandCount];
  SpectrumPowers(block, 0, bands);
  alignas(32) double power[LevelEntryCount + 1] = {};  // to a whole number of vectors
  std::copy_n(bands[0], BandCount, power);
  power[BroadbandEntry] = BroadbandPower(power, BroadbandEntry);
  power[BroadbandAEntry] = BroadbandPower(power, BroadbandAEntry);
  alignas(16) float level[4];
  for (int first = 0; first < LevelEntryCount; first += 4) {
    Decibels(_mm256_load_pd(&power[first]), level);
    std::copy_n(level, std::min(4, LevelEntryCount - first), &levels[first]);
  }
}

#endif

std::array<float, LevelEntryCount> LevelEngine::Spectrum(PlaneVector point) const {
  std::array<float, LevelEntryCount> levels;
  levels.fill(SPLFloor);
#if defined(__x86_64__)
  if (vector_) {
    VectorSpectrum(point, levels);
    return levels;
  }
#endif
  std::array<double, LevelEntryCount> power{};
  if (!BandPowers(point, 0, BandCount - 1, power.data())) return levels;
  power[BroadbandEntry] = BroadbandPower(power.data(), BroadbandEntry);
  power[BroadbandAEntry] = BroadbandPower(power.data(), BroadbandAEntry);
  for (int entry = 0; entry < LevelEntryCount; ++entry) levels[entry] = Decibels(power[entry]);
  return levels;
}

}  // namespace tarnwick
