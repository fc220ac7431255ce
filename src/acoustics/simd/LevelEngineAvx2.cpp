#include "acoustics/LevelEngine.h"

// The level engine's vector paths (see LevelEngine.h, Arithmetic::Fastest): four points,
// or four bands of a point, at a time with glibc's vector maths, for a processor with AVX2
// and FMA. They pick the entries the portable path picks and sum the same pressures.

#if defined(__x86_64__)

#include <algorithm>
#include <cstdint>
#include <limits>

#include "acoustics/VectorMath.h"
#include "model/ProjectRules.h"

namespace tarnwick {

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

constexpr int MostVectors = 4;  // of four points, in one call of LocateRows

// The directions of LocateRows's first step that no sector check settled, for its last two.
struct Pending {
  __m256d across[MaxBoxes * MostVectors], down[MaxBoxes * MostVectors];  // (x, -y)
  int at[MaxBoxes * MostVectors];  // row * MostVectors + vector
  int count = 0;
};

// LocateRows's step 1 (see there) for every row and vector.
TARNWICK_VECTOR_MATHS void TrySectors(const Row* rows, int count, const double* x, const double* y,
                                      int vectors, Pending& pending) {
  const __m256d sign = _mm256_set1_pd(-0.0);
  for (int v = 0; v < vectors; ++v) {
    const __m256d px = _mm256_load_pd(&x[4 * v]), py = _mm256_load_pd(&y[4 * v]);
    for (int n = 0; n < count; ++n) {
      const LevelEngine::Placement& box = *rows[n].box;
      const int at = n * MostVectors + v;
      // Differences of two floats, exact in double.
      const __m256d dx = _mm256_sub_pd(px, _mm256_set1_pd(box.Source.X));
      const __m256d dy = _mm256_sub_pd(py, _mm256_set1_pd(box.Source.Y));
      const __m256d r = vector_maths::Sqrt(_mm256_fmadd_pd(dx, dx, _mm256_mul_pd(dy, dy)));
      _mm256_store_pd(&rows[n].distance[4 * v], r);
      _mm256_store_pd(&rows[n].inverse[4 * v], _mm256_div_pd(_mm256_set1_pd(1.0), r));
      const __m256d across = _mm256_cvtps_pd(_mm256_cvtpd_ps(dx));
      const __m256d down = _mm256_xor_pd(_mm256_cvtps_pd(_mm256_cvtpd_ps(dy)), sign);
      pending.across[at] = across, pending.down[at] = down;
      int& following = *rows[n].following;
      const int k = following;
      const std::array<double, 4>* sector = &box.Sectors[std::size_t(k) + 1];
      const __m256d before = Inside(sector[-1], across, down);
      const __m256d same = Inside(sector[0], across, down);
      const __m256d after = Inside(sector[1], across, down);
      const __m128i entry = _mm256_cvtpd_epi32(
          _mm256_blendv_pd(_mm256_blendv_pd(_mm256_set1_pd(k), _mm256_set1_pd(k + 1), after),
                           _mm256_set1_pd(k - 1), before));
      _mm_store_si128(reinterpret_cast<__m128i*>(&rows[n].entries[4 * v]), entry);
      const int covered = _mm256_movemask_pd(_mm256_or_pd(_mm256_or_pd(before, same), after));
      following = covered & 8 ? _mm_extract_epi32(entry, 3) : k;
      pending.at[pending.count] = at;
      pending.count += covered != 0xF;
    }
  }
}

// LocateRows's step 3 for vector v of one row, its direction (across, -down) at `angle`
// from straight down (radians): the entry where the off-axis angle lies clear of an entry's
// edge and of the back, else from OffAxisIndex; stand-ins where the point has no level.
TARNWICK_VECTOR_MATHS void EntriesByAngle(const Row& row, int v, __m256d angle, __m256d across,
                                          __m256d down, bool* defined) {
  const __m256d sign = _mm256_set1_pd(-0.0);
  const LevelEngine::Placement& box = *row.box;
  // The off-axis angle wrapped into (-180, 180].
  __m256d theta =
      _mm256_sub_pd(_mm256_mul_pd(angle, _mm256_set1_pd(180.0 / Pi)), _mm256_set1_pd(box.Aim));
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
                                  _mm256_set1_pd(0.5 - EntryEdgeMargin / 5.0), _CMP_LT_OQ),
                    _mm256_cmp_pd(_mm256_andnot_pd(sign, theta),
                                  _mm256_set1_pd(180.0 - EntryEdgeMargin), _CMP_LT_OQ));
  const int cleared = _mm256_movemask_pd(clear);
  std::int32_t* entry = &row.entries[4 * v];
  double* distance = row.distance;
  // Only cleared lanes convert; the others might be NaN.
  _mm_store_si128(reinterpret_cast<__m128i*>(entry),
                  _mm_add_epi32(_mm256_cvtpd_epi32(_mm256_and_pd(nearest, clear)),
                                _mm_set1_epi32(OnAxisIndex)));
  const int placed = _mm256_movemask_pd(
      _mm256_cmp_pd(_mm256_load_pd(&distance[4 * v]), _mm256_setzero_pd(), _CMP_GT_OQ));
  if (cleared == 0xF && placed == 0xF) return;
  alignas(32) double directionX[4], directionY[4];
  _mm256_store_pd(directionX, across);
  _mm256_store_pd(directionY, _mm256_xor_pd(down, sign));
  for (int i = 0; i < 4; ++i) {
    if (!(cleared >> i & 1))
      entry[i] = OffAxisIndex({float(directionX[i]), float(directionY[i])}, box.Aim);
    if (entry[i] < 0 || !(placed >> i & 1)) {
      defined[4 * v + i] = false;
      entry[i] = OnAxisIndex;
      distance[4 * v + i] = 1.0;
      row.inverse[4 * v + i] = 0.0;
    }
  }
}

// The rows of some boxes at 4 * vectors points (x, y). A lane whose point has no level is
// marked in `defined` and holds stand-ins.
TARNWICK_VECTOR_MATHS void LocateRows(const Row* rows, int count, const double* x, const double* y,
                                      int vectors, bool* defined) {
  // 1. The distance, and the entry where the direction lies well inside the entry the box
  //    followed last or one of its two neighbours, which is mostly so from one point to
  //    the next. The direction is the single-precision one that OffAxisIndex takes. No
  //    branches: which way they went would change unforeseeably, and a wrong guess throws
  //    away the work under way.
  Pending pending;
  TrySectors(rows, count, x, y, vectors, pending);
  // 2. The other directions' off-axis angles from the vector arctangent, one call after
  //    another so that they overlap, from straight down.
  __m256d angle[MaxBoxes * MostVectors];
  for (int p = 0; p < pending.count; ++p)
    angle[p] = vector_maths::Atan2(pending.across[pending.at[p]], pending.down[pending.at[p]]);
  // 3. Their entries (EntriesByAngle); a row's last entry is the one to follow next.
  for (int p = 0; p < pending.count; ++p) {
    const int at = pending.at[p], n = at / MostVectors, v = at % MostVectors;
    EntriesByAngle(rows[n], v, angle[p], pending.across[at], pending.down[at], defined);
    if (v == vectors - 1) *rows[n].following = rows[n].entries[4 * v + 3];
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

// PowerLevel of four powers.
TARNWICK_VECTOR_MATHS void Decibels(__m256d power, float* level) {
  _mm_storeu_ps(level, _mm256_cvtpd_ps(vector_maths::PowerDecibels(power)));
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

namespace {

// LevelEngine::SpectrumPowers's step 3: band 20's powers at the four points of vector v,
// from the spectrum table's band-20 amplitudes and each box's cosines and sines, `stride`
// vectors apart.
TARNWICK_VECTOR_MATHS void LastBandPowers(const LevelEngine::Block& block, int boxes, int v,
                                          const double* amplitude, const __m256d* cosine,
                                          const __m256d* sine, int stride,
                                          double (*power)[BandCount]) {
  constexpr int Stride = LevelEngine::SpectrumStride;
  const std::int32_t(*entry)[LevelEngine::Block::Width] = block.entry;
  __m256d re = _mm256_setzero_pd(), im = _mm256_setzero_pd();
  for (int b = 0; b < boxes; ++b) {
    const __m128i row = _mm_mullo_epi32(
        _mm_add_epi32(_mm_load_si128(reinterpret_cast<const __m128i*>(&entry[b][4 * v])),
                      _mm_set1_epi32(b * DirectivityAngleCount)),
        _mm_set1_epi32(Stride));
    const __m256d magnitude =
        _mm256_mul_pd(Gather(amplitude, row), _mm256_load_pd(&block.inverse[b][4 * v]));
    re = _mm256_fmadd_pd(magnitude, cosine[b * stride], re);
    im = _mm256_fmadd_pd(magnitude, sine[b * stride], im);
  }
  alignas(32) double last[4];
  _mm256_store_pd(last, _mm256_fmadd_pd(re, re, _mm256_mul_pd(im, im)));
  for (int i = 0; i < 4; ++i) power[i][LevelEngine::GroupedBands] = last[i];
}

}  // namespace

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
  LastBandPowers(block, boxes, v, &spectrumAmplitude_[GroupedBands], cosine + PerBox - 1,
                 sine + PerBox - 1, PerBox, power);
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
  const bool broadband = entry == BroadbandChoice || entry == BroadbandAChoice;
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
        for (int i = 0; i < 4; ++i) total[i] = BroadbandPower(entry, power[i]);
        Decibels(_mm256_load_pd(total), &level[4 * v]);
      }
    } else {
      BandLevels(block, entry, level);
    }
    for (int i = 0; i < count; ++i) levels[first + i] = block.defined[i] ? level[i] : SPLFloor;
  }
}

TARNWICK_VECTOR_MATHS void LevelEngine::VectorSpectrum(
    PlaneVector point, std::array<float, BandChoiceCount>& levels) const {
  // Through the same steps as Levels, so that both give a point's broadband level to the
  // last bit.
  Block block;
  std::array<int, MaxBoxes> following;
  following.fill(OnAxisIndex);
  Locate(block, &point, 1, following.data());
  if (!block.defined[0]) return;
  double bands[4][BandCount];
  SpectrumPowers(block, 0, bands);
  alignas(32) double power[BandChoiceCount + 1] = {};  // to a whole number of vectors
  std::copy_n(bands[0], BandCount, power);
  power[BroadbandChoice] = BroadbandPower(BroadbandChoice, power);
  power[BroadbandAChoice] = BroadbandPower(BroadbandAChoice, power);
  alignas(16) float level[4];
  for (int first = 0; first < BandChoiceCount; first += 4) {
    Decibels(_mm256_load_pd(&power[first]), level);
    std::copy_n(level, std::min(4, BandChoiceCount - first), &levels[first]);
  }
}

}  // namespace tarnwick

#else

namespace tarnwick {

// Never called: the engine takes its vector paths only where simd::HasAvx2Fma() holds.
void LevelEngine::VectorLevels(int, std::span<const PlaneVector>, std::span<float>) const {}
void LevelEngine::VectorPressures(int, const Placement&, int, int, std::span<const PlaneVector>,
                                  double*, double*, std::size_t) const {}
void LevelEngine::VectorSpectrum(PlaneVector, std::array<float, BandChoiceCount>&) const {}

}  // namespace tarnwick

#endif
