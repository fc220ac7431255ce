#include "acoustics/LevelEngine.h"

// The level engine's vector paths (see LevelEngine.h, Arithmetic::Fastest): four points at
// a time with glibc's vector maths, for a processor with AVX2 and FMA. They pick the
// entries the portable path picks and sum the same pressures.

#if defined(__x86_64__)

#include <algorithm>
#include <cstdint>
#include <limits>

#include "acoustics/VectorMath.h"
#include "model/ProjectRules.h"

namespace tarnwick {

// Up to 16 points, four to a vector: every box's distance and its directivity entry at
// each. A lane whose point has no level (an entry off the table, or the point on a source)
// holds harmless stand-ins: entry 36, distance 1.
struct LevelEngine::Block {
  static constexpr int Vectors = 4;
  static constexpr int Width = 4 * Vectors;
  int vectors = 0;  // in use
  alignas(32) double distance[MaxBoxes][Width];
  alignas(32) std::int32_t entry[MaxBoxes][Width];
  std::array<bool, Width> defined;
};

namespace {

// Where one box's distances and its directivity entries at some points go; following is
// the entry to try first, mostly that of the point before, and becomes that of the last.
struct Row {
  const LevelEngine::Placement* box;
  double* distance;
  std::int32_t* entries;
  int* following;
  double sourceX = 0.0, sourceY = 0.0;  // the box's source
};

constexpr int MostVectors = 4;  // of four points, in one call of LocateRows

// Up to 16 points, four to a vector and eight to a single-precision one: their
// coordinates, the last point repeated to fill.
struct Points {
  int vectors = 0;  // of four points
  alignas(32) double x[4 * MostVectors], y[4 * MostVectors];
  alignas(32) float singleX[4 * MostVectors], singleY[4 * MostVectors];

  Points(const PlaneVector* points, int count) : vectors((count + 3) / 4) {
    for (int i = 0; i < 4 * MostVectors; ++i) {
      const PlaneVector& p = points[std::min(i, count - 1)];
      x[i] = singleX[i] = p.X, y[i] = singleY[i] = p.Y;
    }
  }
};

// The directions of LocateRows's first step that no sector check settled, for its last two.
struct Pending {
  __m256d across[MaxBoxes * MostVectors], down[MaxBoxes * MostVectors];  // (x, -y)
  int at[MaxBoxes * MostVectors];  // row * MostVectors + vector
  int count = 0;
};

// The eight lanes whose single-precision direction (across, -down) lies inside the sector,
// checked in single precision: it errs by some 2e-5 degrees, well inside EntryEdgeMargin.
TARNWICK_VECTOR_MATHS inline __m256 Inside(const std::array<float, 4>& s, __m256 across,
                                           __m256 down) {
  const __m256 zero = _mm256_setzero_ps();
  const __m256 afterLow =
      _mm256_fmadd_ps(_mm256_set1_ps(s[0]), down, _mm256_mul_ps(_mm256_set1_ps(s[1]), across));
  const __m256 beforeHigh =
      _mm256_fmadd_ps(_mm256_set1_ps(s[2]), down, _mm256_mul_ps(_mm256_set1_ps(s[3]), across));
  return _mm256_and_ps(_mm256_cmp_ps(afterLow, zero, _CMP_GT_OQ),
                       _mm256_cmp_ps(beforeHigh, zero, _CMP_GT_OQ));
}

// The row's distances at vector v of the points. Their inverses come where they are used,
// so that the division need not wait for the square root here.
TARNWICK_VECTOR_MATHS inline void Distances(const Row& row, const Points& at, int v) {
  // Differences of two floats, exact in double.
  const __m256d dx = _mm256_sub_pd(_mm256_load_pd(&at.x[4 * v]), _mm256_set1_pd(row.sourceX));
  const __m256d dy = _mm256_sub_pd(_mm256_load_pd(&at.y[4 * v]), _mm256_set1_pd(row.sourceY));
  const __m256d r = vector_maths::Sqrt(_mm256_fmadd_pd(dx, dx, _mm256_mul_pd(dy, dy)));
  _mm256_store_pd(&row.distance[4 * v], r);
}

// The lower (0) or upper (1) four lanes in double.
TARNWICK_VECTOR_MATHS inline __m256d Half(__m256 lanes, int half) {
  return _mm256_cvtps_pd(half ? _mm256_extractf128_ps(lanes, 1) : _mm256_castps256_ps128(lanes));
}

// The entries of the eight directions (across, -down) that lie in entry k or a neighbour,
// and the mask of those lanes, `same` already known.
struct Neighbours {
  __m256i entry;
  int covered;
};
TARNWICK_VECTOR_MATHS inline Neighbours NearEntry(const LevelEngine::Placement& box, int k,
                                                  __m256 across, __m256 down, __m256 same) {
  const std::array<float, 4>* sector = &box.SingleSectors[std::size_t(k) + 1];
  const __m256 before = Inside(sector[-1], across, down);
  const __m256 after = Inside(sector[1], across, down);
  // A lane's mask is -1 where set: k - 1 before, k + 1 after.
  return {_mm256_sub_epi32(_mm256_add_epi32(_mm256_set1_epi32(k), _mm256_castps_si256(before)),
                           _mm256_castps_si256(after)),
          _mm256_movemask_ps(_mm256_or_ps(_mm256_or_ps(before, same), after))};
}

// TrySectors where some of the eight directions (across, -down) of row n at pair `pair`
// of vectors lie neither in the entry followed nor in a neighbour: those that do take
// that, the upper four after the lower four's last, as if one vector followed the other;
// a vector with others goes to `pending`.
TARNWICK_VECTOR_MATHS void TryNeighbours(const Row& row, int n, int pair, int vectors,
                                         __m256 across, __m256 down, __m256 same,
                                         Pending& pending) {
  int& following = *row.following;
  const int k = following;
  Neighbours near = NearEntry(*row.box, k, across, down, same);
  const int lower = near.covered & 8 ? _mm256_extract_epi32(near.entry, 3) : k;
  if (lower != k && (near.covered & 0xF0) != 0xF0) {
    const __m256 moved = Inside(row.box->SingleSectors[std::size_t(lower) + 1], across, down);
    const Neighbours upper = NearEntry(*row.box, lower, across, down, moved);
    near.entry = _mm256_blend_epi32(near.entry, upper.entry, 0xF0);
    near.covered = (near.covered & 0xF) | (upper.covered & 0xF0);
  }
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(&row.entries[8 * pair]), near.entry);
  following = near.covered & 0x80 ? _mm256_extract_epi32(near.entry, 7) : lower;
  for (int half = 0; half < 2 && 2 * pair + half < vectors; ++half) {
    if ((near.covered >> 4 * half & 0xF) == 0xF) continue;
    const int at = n * MostVectors + 2 * pair + half;
    pending.across[at] = Half(across, half), pending.down[at] = Half(down, half);
    pending.at[pending.count++] = at;
  }
}

// LocateRows's step 1 (see there) for every row and pair of vectors.
TARNWICK_VECTOR_MATHS void TrySectors(const Row* rows, int count, const Points& at,
                                      Pending& pending) {
  for (int pair = 0; 2 * pair < at.vectors; ++pair) {
    const __m256 x = _mm256_load_ps(&at.singleX[8 * pair]);
    const __m256 y = _mm256_load_ps(&at.singleY[8 * pair]);
    const int last = std::min(at.vectors, 2 * pair + 2);
    for (int n = 0; n < count; ++n) {
      const Row& row = rows[n];
      for (int v = 2 * pair; v < last; ++v) Distances(row, at, v);
      // The single-precision direction as OffAxisIndex takes it: -(y - source) = source - y.
      const __m256 across = _mm256_sub_ps(x, _mm256_set1_ps(row.box->Source.X));
      const __m256 down = _mm256_sub_ps(_mm256_set1_ps(row.box->Source.Y), y);
      const int k = *row.following;
      const __m256 same = Inside(row.box->SingleSectors[std::size_t(k) + 1], across, down);
      // Mostly all eight lie in the entry followed or a neighbour. Whether in the entry
      // itself or not changes too often to branch on.
      const Neighbours near = NearEntry(*row.box, k, across, down, same);
      if (near.covered == 0xFF) {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(&row.entries[8 * pair]), near.entry);
        *row.following = _mm256_extract_epi32(near.entry, 7);
      } else {
        TryNeighbours(row, n, pair, at.vectors, across, down, same, pending);
      }
    }
  }
}

// LocateRows's step 3 for vector v of one row, its direction (across, -down) at `angle`
// from straight down (radians): the entry where the off-axis angle lies clear of an entry's
// edge and of the back, else from OffAxisIndex; stand-ins where the point has no level.
TARNWICK_VECTOR_MATHS void EntriesByAngle(const Row& row, int v, __m256d angle, __m256d across,
                                          __m256d down, bool* defined, std::uint64_t& arctangents) {
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
    if (!(cleared >> i & 1)) {
      entry[i] = OffAxisIndex({float(directionX[i]), float(directionY[i])}, box.Aim);
      ++arctangents;
    }
    if (entry[i] < 0 || !(placed >> i & 1)) {
      defined[4 * v + i] = false;
      entry[i] = OnAxisIndex;
      distance[4 * v + i] = 1.0;
    }
  }
}

// The rows of some boxes at the points. A lane whose point has no level is marked in
// `defined` and holds stand-ins.
TARNWICK_VECTOR_MATHS void LocateRows(const Row* rows, int count, const Points& at, bool* defined,
                                      LevelEngine::Work& work) {
  const int vectors = at.vectors;
  // 1. The distance, and the entry where the direction lies well inside the entry the box
  //    followed last or one of its two neighbours, which is mostly so from one point to
  //    the next, eight points at a time. The direction is the single-precision one that
  //    OffAxisIndex takes.
  Pending pending;
  TrySectors(rows, count, at, pending);
  // 2. The other directions' off-axis angles from the vector arctangent, one call after
  //    another so that they overlap, from straight down.
  __m256d angle[MaxBoxes * MostVectors];
  for (int p = 0; p < pending.count; ++p)
    angle[p] = vector_maths::Atan2(pending.across[pending.at[p]], pending.down[pending.at[p]]);
  work.SquareRoots += 4 * std::uint64_t(count) * vectors;
  work.Arctangents += 4 * std::uint64_t(pending.count);
  // 3. Their entries (EntriesByAngle); a row's last entry is the one to follow next.
  for (int p = 0; p < pending.count; ++p) {
    const int at = pending.at[p], n = at / MostVectors, v = at % MostVectors;
    EntriesByAngle(rows[n], v, angle[p], pending.across[at], pending.down[at], defined,
                   work.Arctangents);
    if (v == vectors - 1) *rows[n].following = rows[n].entries[4 * v + 3];
  }
}

}  // namespace

TARNWICK_VECTOR_MATHS void LevelEngine::Locate(Block& block, const PlaneVector* points, int count,
                                               int* following, Work& work) const {
  const Points at(points, count);
  block.vectors = at.vectors;
  block.defined.fill(true);
  Row rows[MaxBoxes];
  for (std::size_t b = 0; b < boxes_.size(); ++b)
    rows[b] = {&boxes_[b],    block.distance[b],  block.entry[b],
               &following[b], boxes_[b].Source.X, boxes_[b].Source.Y};
  LocateRows(rows, int(boxes_.size()), at, block.defined.data(), work);
}

namespace {

// The pairs of doubles at four places, as a vector of their first and one of their
// second: a lane each, without a branch, as the lanes' directivity entries often part.
TARNWICK_VECTOR_MATHS inline void Pairs(const double* const* at, __m256d& first, __m256d& second) {
  const __m256d even =
      _mm256_insertf128_pd(_mm256_castpd128_pd256(_mm_load_pd(at[0])), _mm_load_pd(at[2]), 1);
  const __m256d odd =
      _mm256_insertf128_pd(_mm256_castpd128_pd256(_mm_load_pd(at[1])), _mm_load_pd(at[3]), 1);
  first = _mm256_unpacklo_pd(even, odd);
  second = _mm256_unpackhi_pd(even, odd);
}

// The amplitudes and phases of four lanes' entries, from a box's (amplitude, phase) pairs
// (LevelEngine::Polar).
TARNWICK_VECTOR_MATHS inline void EntryPolar(const double* pairs, const std::int32_t* entry,
                                             __m256d& amplitude, __m256d& phase) {
  const double* at[4] = {&pairs[2 * entry[0]], &pairs[2 * entry[1]], &pairs[2 * entry[2]],
                         &pairs[2 * entry[3]]};
  Pairs(at, amplitude, phase);
}

// PowerLevel of four powers.
TARNWICK_VECTOR_MATHS void Decibels(__m256d power, float* level) {
  _mm_storeu_ps(level, _mm256_cvtpd_ps(vector_maths::PowerDecibels(power)));
}

}  // namespace

TARNWICK_VECTOR_MATHS void LevelEngine::BandLevels(const Block& block, int band, float* levels,
                                                   Work& work) const {
  using namespace vector_maths;
  constexpr int Vectors = Block::Vectors;
  const int boxes = int(boxes_.size());
  const __m256d waveNumber = _mm256_set1_pd(waveNumber_[band]);
  // One function at a time over every box and vector, so that the calls, which do not
  // wait for one another, overlap. The phases' room takes the cosines.
  __m256d phase[MaxBoxes * Vectors], magnitude[MaxBoxes * Vectors], sine[MaxBoxes * Vectors];
  int n = 0;
  for (int v = 0; v < block.vectors; ++v)
    for (int b = 0; b < boxes; ++b, ++n) {
      __m256d entryPhase, entryAmplitude;
      EntryPolar(Polar(b, 0, band), &block.entry[b][4 * v], entryAmplitude, entryPhase);
      phase[n] = _mm256_fmadd_pd(waveNumber, _mm256_load_pd(&block.distance[b][4 * v]), entryPhase);
      magnitude[n] = _mm256_div_pd(entryAmplitude, _mm256_load_pd(&block.distance[b][4 * v]));
    }
  for (int i = 0; i < n; ++i) sine[i] = Sin(phase[i]);
  for (int i = 0; i < n; ++i) phase[i] = Cos(phase[i]);
  work.SinesCosines += 4 * std::uint64_t(n);
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
  work.Logarithms += 4 * std::uint64_t(block.vectors);
}

namespace {

// One box's complex pressures at 1 m at four points, band after band, where the four share
// their directivity entry, as they mostly do: one row of the pressure table
// (LevelEngine::PressureRow) for all four.
struct SharedRow {
  const double* row;
  TARNWICK_VECTOR_MATHS void At(int band, __m256d& re, __m256d& im) const {
    re = _mm256_broadcast_sd(&row[2 * band]);
    im = _mm256_broadcast_sd(&row[2 * band + 1]);
  }
};

// The same where their entries part: each lane's own row.
struct LaneRows {
  const double* row[4];
  TARNWICK_VECTOR_MATHS void At(int band, __m256d& re, __m256d& im) const {
    const double* at[4] = {&row[0][2 * band], &row[1][2 * band], &row[2][2 * band],
                           &row[3][2 * band]};
    Pairs(at, re, im);
  }
};

// f(rows) with a box's rows for four lanes' entries, from the box's table at entry 0.
template <typename F>
TARNWICK_VECTOR_MATHS inline void WithRows(const double* table, const std::int32_t* entry, F f) {
  constexpr int Row = LevelEngine::PressureRow;
  if (entry[1] == entry[0] && entry[2] == entry[0] && entry[3] == entry[0])
    f(SharedRow{table + entry[0] * Row});
  else
    f(LaneRows{{table + entry[0] * Row, table + entry[1] * Row, table + entry[2] * Row,
                table + entry[3] * Row}});
}

// (re, im) squared.
TARNWICK_VECTOR_MATHS inline void Square(__m256d& re, __m256d& im) {
  const __m256d real = _mm256_fmsub_pd(re, re, _mm256_mul_pd(im, im));
  im = _mm256_mul_pd(_mm256_add_pd(re, re), im);
  re = real;
}

// One box's pressures at 1 m (SharedRow or LaneRows), each times its travel-time phasor, at
// four points in `count` (3 or more) bands, into add(n, re, im) for band n. Band j + 3m's
// phasor is (cosine[j], sine[j]) squared m times (see LevelEngine::Octave).
template <typename Rows, typename Add>
TARNWICK_VECTOR_MATHS inline void BoxBands(const Rows& pressure, int count, const __m256d* cosine,
                                           const __m256d* sine, Add add) {
  constexpr int Octave = LevelEngine::Octave;
  __m256d re[Octave], im[Octave];
  auto product = [&](int band, int j) TARNWICK_VECTOR_MATHS {
    __m256d pr, pi;
    pressure.At(band, pr, pi);
    add(band, _mm256_fmsub_pd(pr, re[j], _mm256_mul_pd(pi, im[j])),
        _mm256_fmadd_pd(pr, im[j], _mm256_mul_pd(pi, re[j])));
  };
  for (int j = 0; j < Octave; ++j) re[j] = cosine[j], im[j] = sine[j], product(j, j);
  for (int n = Octave; n < count; n += Octave)
    for (int j = 0; j < Octave && n + j < count; ++j) Square(re[j], im[j]), product(n + j, j);
}

}  // namespace

TARNWICK_VECTOR_MATHS void LevelEngine::SpectrumPowers(const Block& block, int v,
                                                       double (*power)[4], Work& work) const {
  using namespace vector_maths;
  const int boxes = int(boxes_.size());
  // 1. The lowest three bands' travel-time phasors at every box, the sines and cosines a
  //    function at a time so that the calls overlap; the phases' room takes the cosines.
  __m256d phase[MaxBoxes * Octave], sine[MaxBoxes * Octave];
  for (int b = 0; b < boxes; ++b) {
    const __m256d r = _mm256_load_pd(&block.distance[b][4 * v]);
    for (int j = 0; j < Octave; ++j)
      phase[b * Octave + j] = _mm256_mul_pd(_mm256_set1_pd(waveNumber_[j]), r);
  }
  const int phases = boxes * Octave;
  for (int i = 0; i < phases; ++i) sine[i] = Sin(phase[i]);
  for (int i = 0; i < phases; ++i) phase[i] = Cos(phase[i]);
  // 2. Each box's pressures in every band, over its distance, into the bands' sums, which
  //    the first box starts.
  __m256d re[BandCount], im[BandCount];
  for (int b = 0; b < boxes; ++b) {
    const __m256d inverse =
        _mm256_div_pd(_mm256_set1_pd(1.0), _mm256_load_pd(&block.distance[b][4 * v]));
    auto add = [&](const auto& rows) TARNWICK_VECTOR_MATHS {
      auto start = [&](int band, __m256d pr, __m256d pi) TARNWICK_VECTOR_MATHS {
        re[band] = _mm256_mul_pd(inverse, pr), im[band] = _mm256_mul_pd(inverse, pi);
      };
      auto more = [&](int band, __m256d pr, __m256d pi) TARNWICK_VECTOR_MATHS {
        re[band] = _mm256_fmadd_pd(inverse, pr, re[band]);
        im[band] = _mm256_fmadd_pd(inverse, pi, im[band]);
      };
      if (b == 0)
        BoxBands(rows, BandCount, &phase[b * Octave], &sine[b * Octave], start);
      else
        BoxBands(rows, BandCount, &phase[b * Octave], &sine[b * Octave], more);
    };
    WithRows(&pressure_[std::size_t(b) * DirectivityAngleCount * PressureRow],
             &block.entry[b][4 * v], add);
  }
  // 3. Each band's power at the four points.
  for (int band = 0; band < BandCount; ++band)
    _mm256_store_pd(power[band], boxes == 0 ? _mm256_setzero_pd()
                                            : _mm256_fmadd_pd(re[band], re[band],
                                                              _mm256_mul_pd(im[band], im[band])));
  work.SinesCosines += 4 * std::uint64_t(phases);
  work.ComplexSquares += 4 * std::uint64_t(boxes) * (BandCount - Octave);
  work.ComplexProducts += 4 * std::uint64_t(boxes) * BandCount;
}

namespace {

// value's first `count` lanes (1 ... 4) added to row[0 ... count - 1].
TARNWICK_VECTOR_MATHS inline void AddToRow(double* row, int count, __m256d value) {
  if (count == 4) {
    _mm256_storeu_pd(row, _mm256_add_pd(_mm256_loadu_pd(row), value));
    return;
  }
  alignas(32) double lanes[4];
  _mm256_store_pd(lanes, value);
  for (int i = 0; i < count; ++i) row[i] += lanes[i];
}

// Where LevelEngine::VectorPressures's sums go, and the box's data they take: `count`
// points' distances, their inverses (NaN where the box defines no level) and entries.
struct PressureRows {
  double* re;
  double* im;
  std::size_t stride;  // from one band's row to the next
  int count;
  const double* distance;
  const double* inverse;
  const std::int32_t* entry;
};

// VectorPressures for fewer bands than an octave: each band's phase kr + entry phase
// straight into its cosine and sine. polar[band] is the box's (amplitude, phase) pairs in
// the band (LevelEngine::Polar).
TARNWICK_VECTOR_MATHS void PhaseBands(const PressureRows& rows, int bands,
                                      const double* const* polar, const double* waveNumber,
                                      LevelEngine::Work& work) {
  using namespace vector_maths;
  constexpr int Vectors = LevelEngine::Block::Vectors;
  const int vectors = (rows.count + 3) / 4;
  for (int band = 0; band < bands; ++band) {
    __m256d angle[Vectors], magnitude[Vectors], sine[Vectors];
    for (int v = 0; v < vectors; ++v) {
      __m256d entryPhase, entryAmplitude;
      EntryPolar(polar[band], &rows.entry[4 * v], entryAmplitude, entryPhase);
      angle[v] = _mm256_fmadd_pd(_mm256_set1_pd(waveNumber[band]),
                                 _mm256_load_pd(&rows.distance[4 * v]), entryPhase);
      magnitude[v] = _mm256_mul_pd(entryAmplitude, _mm256_load_pd(&rows.inverse[4 * v]));
    }
    for (int v = 0; v < vectors; ++v) sine[v] = Sin(angle[v]);
    for (int v = 0; v < vectors; ++v) angle[v] = Cos(angle[v]);
    for (int v = 0; v < vectors; ++v) {
      const int lanes = std::min(4, rows.count - 4 * v);
      AddToRow(&rows.re[band * rows.stride + 4 * v], lanes, _mm256_mul_pd(magnitude[v], angle[v]));
      AddToRow(&rows.im[band * rows.stride + 4 * v], lanes, _mm256_mul_pd(magnitude[v], sine[v]));
    }
    work.SinesCosines += 4 * std::uint64_t(vectors);
  }
}

// VectorPressures for an octave of bands or more: the lowest three bands' phasors from
// cosines and sines, the others squared (BoxBands). `pressure` is the box's pressure table
// at entry 0 and band `first`.
TARNWICK_VECTOR_MATHS void SquaredBands(const PressureRows& rows, int bands, const double* pressure,
                                        const double* waveNumber, LevelEngine::Work& work) {
  using namespace vector_maths;
  constexpr int Octave = LevelEngine::Octave, Vectors = LevelEngine::Block::Vectors;
  const int vectors = (rows.count + 3) / 4;
  __m256d phase[Vectors * Octave], sine[Vectors * Octave];
  for (int v = 0; v < vectors; ++v)
    for (int j = 0; j < Octave; ++j)
      phase[v * Octave + j] =
          _mm256_mul_pd(_mm256_set1_pd(waveNumber[j]), _mm256_load_pd(&rows.distance[4 * v]));
  for (int i = 0; i < vectors * Octave; ++i) sine[i] = Sin(phase[i]);
  for (int i = 0; i < vectors * Octave; ++i) phase[i] = Cos(phase[i]);
  for (int v = 0; v < vectors; ++v) {
    const __m256d inverse = _mm256_load_pd(&rows.inverse[4 * v]);
    const int lanes = std::min(4, rows.count - 4 * v);
    auto add = [&](int band, __m256d pr, __m256d pi) TARNWICK_VECTOR_MATHS {
      AddToRow(&rows.re[band * rows.stride + 4 * v], lanes, _mm256_mul_pd(inverse, pr));
      AddToRow(&rows.im[band * rows.stride + 4 * v], lanes, _mm256_mul_pd(inverse, pi));
    };
    WithRows(pressure, &rows.entry[4 * v], [&](const auto& rowsOf) TARNWICK_VECTOR_MATHS {
      BoxBands(rowsOf, bands, &phase[v * Octave], &sine[v * Octave], add);
    });
  }
  work.SinesCosines += 4 * std::uint64_t(vectors) * Octave;
  work.ComplexSquares += 4 * std::uint64_t(vectors) * (bands - Octave);
  work.ComplexProducts += 4 * std::uint64_t(vectors) * bands;
}

}  // namespace

TARNWICK_VECTOR_MATHS void LevelEngine::VectorPressures(int box, const Placement& placement,
                                                        int first, int last,
                                                        std::span<const PlaneVector> points,
                                                        double* re, double* im, std::size_t stride,
                                                        Work& work) const {
  constexpr int Width = Block::Width;
  const int bands = last - first + 1;
  const double* polar[BandCount];
  for (int band = first; band <= last; ++band) polar[band - first] = Polar(box, 0, band);
  const double* pressure =
      &pressure_[std::size_t(box) * DirectivityAngleCount * PressureRow + 2 * first];
  int following = OnAxisIndex;
  alignas(32) double distance[Width], inverse[Width];
  alignas(32) std::int32_t entry[Width];
  std::array<bool, Width> defined;
  for (std::size_t start = 0; start < points.size(); start += Width) {
    const int count = int(std::min<std::size_t>(Width, points.size() - start));
    const Points at(&points[start], count);
    defined.fill(true);
    const Row row{&placement, distance, entry, &following, placement.Source.X, placement.Source.Y};
    LocateRows(&row, 1, at, defined.data(), work);
    for (int v = 0; v < at.vectors; ++v)
      _mm256_store_pd(&inverse[4 * v],
                      _mm256_div_pd(_mm256_set1_pd(1.0), _mm256_load_pd(&distance[4 * v])));
    for (int i = 0; i < count; ++i)
      if (!defined[i]) inverse[i] = std::numeric_limits<double>::quiet_NaN();
    const PressureRows rows{re + start, im + start, stride, count, distance, inverse, entry};
    if (bands > Octave)
      SquaredBands(rows, bands, pressure, &waveNumber_[first], work);
    else
      PhaseBands(rows, bands, polar, &waveNumber_[first], work);
  }
}

namespace {

// BroadbandPower at four points from their bands' powers power[band][lane], in the same
// order: each band times its weight, added band after band.
TARNWICK_VECTOR_MATHS __m256d Broadband(const double (*power)[4], const double* weight) {
  __m256d total = _mm256_setzero_pd();
  for (int band = 0; band < BandCount; ++band)
    total = _mm256_add_pd(total,
                          _mm256_mul_pd(_mm256_set1_pd(weight[band]), _mm256_load_pd(power[band])));
  return total;
}

}  // namespace

TARNWICK_VECTOR_MATHS void LevelEngine::VectorLevels(int entry, std::span<const PlaneVector> points,
                                                     std::span<float> levels, Work& work) const {
  const bool broadband = entry == BroadbandChoice || entry == BroadbandAChoice;
  double weight[BandCount];
  for (int band = 0; band < BandCount; ++band) weight[band] = BandWeight(entry, band);
  Block block;
  std::array<int, MaxBoxes> following;
  following.fill(OnAxisIndex);  // any entry to start from
  for (std::size_t first = 0; first < points.size(); first += Block::Width) {
    const int count = int(std::min<std::size_t>(Block::Width, points.size() - first));
    Locate(block, &points[first], count, following.data(), work);
    alignas(16) float level[Block::Width];
    if (broadband) {
      for (int v = 0; v < block.vectors; ++v) {
        alignas(32) double power[BandCount][4];
        SpectrumPowers(block, v, power, work);
        Decibels(Broadband(power, weight), &level[4 * v]);
        work.Logarithms += 4;
      }
    } else {
      BandLevels(block, entry, level, work);
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
  Work work;
  Locate(block, &point, 1, following.data(), work);
  if (!block.defined[0]) return;
  alignas(32) double bands[BandCount][4];
  SpectrumPowers(block, 0, bands, work);
  alignas(32) double power[BandChoiceCount + 1] = {};  // to a whole number of vectors
  for (int band = 0; band < BandCount; ++band) power[band] = bands[band][0];
  for (const int entry : {BroadbandChoice, BroadbandAChoice}) {
    double weight[BandCount];
    for (int band = 0; band < BandCount; ++band) weight[band] = BandWeight(entry, band);
    alignas(32) double total[4];
    _mm256_store_pd(total, Broadband(bands, weight));
    power[entry] = total[0];
  }
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
void LevelEngine::VectorLevels(int, std::span<const PlaneVector>, std::span<float>, Work&) const {}
void LevelEngine::VectorPressures(int, const Placement&, int, int, std::span<const PlaneVector>,
                                  double*, double*, std::size_t, Work&) const {}
void LevelEngine::VectorSpectrum(PlaneVector, std::array<float, BandChoiceCount>&) const {}

}  // namespace tarnwick

#endif
