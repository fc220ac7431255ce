#include "acoustics/SplPrediction.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "acoustics/SplKernel.h"
#include "model/NumberText.h"
#include "model/ProjectRules.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace tarnwick {

float AngleFromDown(PlaneVector v) {
  // Below the horizontal by the tangent's own expression, atan(x / |y|), so that every
  // direction below a box gets that angle to the last bit (docs/model.md, "Picking a
  // directivity entry").
  if (v.Y < 0.0f)
    return static_cast<float>(std::atan(double(v.X) / std::fabs(double(v.Y))) * 180.0 / Pi);
  if (v.Y == 0.0f) return v.X > 0.0f ? 90.0f : (v.X < 0.0f ? -90.0f : 0.0f);
  const auto angle = static_cast<float>(std::atan2(double(v.X), -double(v.Y)) * 180.0 / Pi);
  return angle <= -180.0f ? 180.0f : angle;
}

float OffAxisAngle(float direction, float aim) {
  auto theta = static_cast<float>(double(direction) - aim);
  if (theta > 180.0f) theta -= 360.0f;
  if (theta <= -180.0f) theta += 360.0f;
  return theta;
}

int OffAxisIndex(PlaneVector d, float aim) {
  return DirectivityIndex(OffAxisAngle(AngleFromDown(d), aim));
}

namespace {

// How far inside each edge of its entry, in degrees, a direction must lie for the sign
// checks to name the entry. OffAxisIndex rounds the angle to single precision two or three
// times, some 3e-5 degrees in all, before it picks the entry; the checks err by some 1e-13
// degrees (see OffAxisTracker::Index). Nearer an edge, OffAxisIndex decides.
constexpr double EdgeMargin = 0.005;

// Each entry's two edges, drawn in by the margin: 5 (k - 36) - 2.5 + EdgeMargin and
// 5 (k - 36) + 2.5 - EdgeMargin degrees off the box's axis for entry k, held at k + 1. A
// direction turned back by the aim, (u, v) = |d| (sin, cos) of its off-axis angle psi, lies
// past an edge at angle e (within 180 degrees) when sin(psi - e) > 0, that is when
// u cos e - v sin e > 0, or, divided by |cos e|, when flip u - slope v > 0 with
// slope = sin e / |cos e| and flip = +-0 carrying the sign of cos e: one multiplication, as
// the edges keep 2.5 degrees from +-90, where cos e would vanish. The back entries 0 and 72,
// cut by the wrap at 180 degrees, and one beyond either end hold a NaN slope, which no
// direction passes, so that an entry's neighbours may be tried without a check.
struct EntryEdges {
  static constexpr int Size = DirectivityAngleCount + 2;
  std::array<double, Size> lowFlip, lowSlope, highFlip, highSlope;

  EntryEdges() {
    lowFlip.fill(0.0), highFlip.fill(0.0);
    lowSlope.fill(std::numeric_limits<double>::quiet_NaN());
    highSlope.fill(std::numeric_limits<double>::quiet_NaN());
    const auto set = [](double degrees, double& flip, double& slope) {
      const double c = std::cos(degrees * Pi / 180.0);
      flip = std::copysign(0.0, c);
      slope = std::sin(degrees * Pi / 180.0) / std::fabs(c);
    };
    for (int k = 1; k < DirectivityAngleCount - 1; ++k) {
      const double centre = 5.0 * (k - OnAxisIndex);
      set(centre - 2.5 + EdgeMargin, lowFlip[k + 1], lowSlope[k + 1]);
      set(centre + 2.5 - EdgeMargin, highFlip[k + 1], highSlope[k + 1]);
    }
  }

  static double Past(double u, double v, double flip, double slope) {
    return (std::signbit(flip) ? -u : u) - slope * v;
  }
  // Whether entry k holds the turned direction: past its low edge and not past its high
  // one, one sign each, since an entry is narrower than 180 degrees.
  bool Holds(int k, double u, double v) const {
    return Past(u, v, lowFlip[k + 1], lowSlope[k + 1]) > 0.0 &&
           Past(u, v, highFlip[k + 1], highSlope[k + 1]) < 0.0;
  }
  // Whether the turned direction lies past entry k's high edge.
  bool Above(int k, double u, double v) const {
    return Past(u, v, highFlip[k + 1], highSlope[k + 1]) >= 0.0;
  }
};

const EntryEdges& Edges() {
  static const EntryEdges edges;
  return edges;
}

}  // namespace

OffAxisTracker::OffAxisTracker(float aim, int entry)
    : aim_(aim), k_(std::clamp(entry, 0, DirectivityAngleCount - 1)) {
  // Beyond +-180 degrees, OffAxisAngle's single wrap leaves some angles off the table, which
  // the checks do not know: such an aim leaves every direction to OffAxisIndex (NaN fails
  // every check).
  const double radians = std::fabs(aim) <= 180.0f ? double(aim) * Pi / 180.0
                                                  : std::numeric_limits<double>::quiet_NaN();
  sine_ = std::sin(radians);
  cosine_ = std::cos(radians);
}

int OffAxisTracker::Index(PlaneVector d) {
  // Why the checks are exact: the turned direction (u, v) and the edges' slopes (at most 23)
  // are each within a few units in the 16th digit, so a check errs by some 1e-13 degrees,
  // and a direction that passes both of an entry's lies at least EdgeMargin minus that inside
  // it, where OffAxisIndex, within 3e-5 degrees of the true angle, names that entry too. Both
  // measure degrees as radians * 180 / Pi with the same Pi. Single-precision components do
  // not overflow u and v. A zero direction checks 0 and a NaN one NaN, and both fail; an
  // infinite component makes u or v NaN, or both infinite, when an entry's two checks could
  // only come out opposite if its edges lay on either side of 90 degrees and of 0 or 180 at
  // once.
  const EntryEdges& edges = Edges();
  const double u = double(d.X) * cosine_ + double(d.Y) * sine_;
  const double v = double(d.X) * sine_ - double(d.Y) * cosine_;
  if (edges.Holds(k_, u, v)) return k_;
  const int next = edges.Above(k_, u, v) ? k_ + 1 : k_ - 1;
  if (edges.Holds(next, u, v)) {
    step_ = next - k_;
    k_ = next;
    return k_;
  }
  const int k = OffAxisIndex(d, aim_);
  if (k >= 0 && k != k_) {
    step_ = k > k_ ? 1 : -1;
    k_ = k;
  }
  return k;
}

namespace {

// What stays the same at every point of one prediction: the boxes in use and, for the band,
// each entry's level before a box's attenuation (band level - level drop, dB) and phase
// (degrees), held at k + 1 with zeros beyond either end.
struct BoxSet {
  int count = 0;
  std::array<float, MaxBoxes> sourceX{}, sourceY{};
  std::array<double, MaxBoxes> attenuation{};
  std::array<OffAxisTracker, MaxBoxes> direction{};
  std::array<double, DirectivityAngleCount + 2> level{}, phase{};
};

// Stand-ins for a box whose level is not defined at lane n, or for a lane past the last point.
void StandIn(SplBlock& block, int b, int n) {
  block.distance[b][n] = 1.0;
  block.level[b][n] = block.entryPhase[b][n] = 0.0;
}

// Step 4 of CalculateSPLWith in plain C++: each box's distance and directivity entry at the
// block's points, box by box so that each tracker follows its points in order.
void CollectBlock(BoxSet& boxes, SPLPoint* point, int count, SplBlock& block, bool* defined) {
  for (int b = 0; b < boxes.count; ++b) {
    for (int n = 0; n < count; ++n) {
      // AddVectors(position, NegateVector(source)), written out to keep this loop tight.
      const PlaneVector d{static_cast<float>(double(point[n].Position.X) - boxes.sourceX[b]),
                          static_cast<float>(double(point[n].Position.Y) - boxes.sourceY[b])};
      const auto r = static_cast<float>(std::sqrt(double(d.Y) * d.Y + double(d.X) * d.X));
      point[n].Distance = r;  // the last box's stays
      const int k = boxes.direction[b].Index(d);
      if (k < 0 || r == 0.0f) {
        defined[n] = false;
        StandIn(block, b, n);
        continue;
      }
      block.distance[b][n] = r;
      block.level[b][n] = boxes.level[k + 1] - boxes.attenuation[b];
      block.entryPhase[b][n] = boxes.phase[k + 1];
    }
    for (int n = count; n < SplBlock::Width && n % 4 != 0; ++n) StandIn(block, b, n);
  }
}

}  // namespace

#if defined(__x86_64__)

// AVX2 alone, without FMA: a fused multiply-add would skip the roundings of the distance
// that the plain loop makes, and this file is compiled with the compiler's default
// contraction.
#define TARNWICK_AVX2_ONLY __attribute__((target("avx2")))

// Step 4 four points at a time: the same arithmetic as CollectBlock, lane by lane, and
// OffAxisTracker::Index's two tries as vector checks, the second against the entry ahead
// (k_ + step_). A lane that neither holds, or without a defined level, goes through
// OffAxisTracker::Index and the plain steps.
struct OffAxisLanes {
  // EntryEdges::Past, the flip as a sign bit.
  TARNWICK_AVX2_ONLY static __m256d Past(__m256d u, __m256d v, const double& flip,
                                         const double& slope) {
    return _mm256_sub_pd(_mm256_xor_pd(u, _mm256_broadcast_sd(&flip)),
                         _mm256_mul_pd(v, _mm256_broadcast_sd(&slope)));
  }

  // EntryEdges::Holds, a lane's mask all ones where it holds.
  TARNWICK_AVX2_ONLY static __m256d Holds(const EntryEdges& e, int k, __m256d u, __m256d v) {
    const __m256d zero = _mm256_setzero_pd();
    const __m256d low = Past(u, v, e.lowFlip[k + 1], e.lowSlope[k + 1]);
    const __m256d high = Past(u, v, e.highFlip[k + 1], e.highSlope[k + 1]);
    return _mm256_and_pd(_mm256_cmp_pd(low, zero, _CMP_GT_OQ),
                         _mm256_cmp_pd(high, zero, _CMP_LT_OQ));
  }

  // Box b at the lanes of the group from point `first` that `held` leaves out, given their
  // directions, in order: a held lane moves the tracker to its entry, k_ or, where `ahead`
  // has its bit, k_ + step_, so that the next lane is tried from there.
  static void Settle(BoxSet& boxes, int b, const float* x, const float* y, int first, int count,
                     int held, int ahead, SplBlock& block, bool* defined) {
    OffAxisTracker& tracker = boxes.direction[b];
    const int k = tracker.k_, next = k + tracker.step_;
    for (int n = first; n < first + 4; ++n) {
      const int lane = n - first;
      if (held >> lane & 1) {
        tracker.k_ = ahead >> lane & 1 ? next : k;
        continue;
      }
      if (n >= count) {
        StandIn(block, b, n);
        continue;
      }
      const int entry = tracker.Index({x[lane], y[lane]});
      if (entry < 0 || block.distance[b][n] == 0.0) {
        defined[n] = false;
        StandIn(block, b, n);
        continue;
      }
      block.level[b][n] = boxes.level[entry + 1] - boxes.attenuation[b];
      block.entryPhase[b][n] = boxes.phase[entry + 1];
    }
  }

  TARNWICK_AVX2_ONLY static void CollectBlock(BoxSet& boxes, SPLPoint* point, int count,
                                              SplBlock& block, bool* defined) {
    // 1. The positions, the lanes past the last point repeating it.
    alignas(16) float px[SplBlock::Width], py[SplBlock::Width];
    for (int n = 0; n < SplBlock::Width; ++n) {
      const PlaneVector at = point[std::min(n, count - 1)].Position;
      px[n] = at.X, py[n] = at.Y;
    }
    // 2. Group by group, box by box, so that the boxes' trackers, each waiting on its own
    //    last group, move side by side.
    const EntryEdges& edges = Edges();
    for (int first = 0; first < count; first += 4) {
      const __m128 positionX = _mm_load_ps(&px[first]), positionY = _mm_load_ps(&py[first]);
      for (int b = 0; b < boxes.count; ++b) {
        OffAxisTracker& tracker = boxes.direction[b];
        // The direction and distance as CollectBlock rounds them. The difference of two
        // singles, rounded once to single, is the one CollectBlock's double difference rounds
        // to: the double holds it exactly unless the two are so far apart that both round to
        // the larger.
        const __m128 singleX = _mm_sub_ps(positionX, _mm_broadcast_ss(&boxes.sourceX[b]));
        const __m128 singleY = _mm_sub_ps(positionY, _mm_broadcast_ss(&boxes.sourceY[b]));
        const __m256d x = _mm256_cvtps_pd(singleX), y = _mm256_cvtps_pd(singleY);
        const __m128 r = _mm256_cvtpd_ps(
            _mm256_sqrt_pd(_mm256_add_pd(_mm256_mul_pd(y, y), _mm256_mul_pd(x, x))));
        _mm256_store_pd(&block.distance[b][first], _mm256_cvtps_pd(r));
        if (b == boxes.count - 1) {
          alignas(16) float distance[4];
          _mm_store_ps(distance, r);
          for (int n = first; n < std::min(first + 4, count); ++n)
            point[n].Distance = distance[n - first];
        }
        // The two tries; a zero direction passes neither.
        const __m256d sine = _mm256_set1_pd(tracker.sine_),
                      cosine = _mm256_set1_pd(tracker.cosine_);
        const __m256d u = _mm256_add_pd(_mm256_mul_pd(x, cosine), _mm256_mul_pd(y, sine));
        const __m256d v = _mm256_sub_pd(_mm256_mul_pd(x, sine), _mm256_mul_pd(y, cosine));
        const int k = tracker.k_, ahead = k + tracker.step_;
        const __m256d inK = Holds(edges, k, u, v), inAhead = Holds(edges, ahead, u, v);
        const __m256d level =
            _mm256_blendv_pd(_mm256_broadcast_sd(&boxes.level[k + 1]),
                             _mm256_broadcast_sd(&boxes.level[ahead + 1]), inAhead);
        _mm256_store_pd(&block.level[b][first],
                        _mm256_sub_pd(level, _mm256_broadcast_sd(&boxes.attenuation[b])));
        _mm256_store_pd(&block.entryPhase[b][first],
                        _mm256_blendv_pd(_mm256_broadcast_sd(&boxes.phase[k + 1]),
                                         _mm256_broadcast_sd(&boxes.phase[ahead + 1]), inAhead));
        const int held = _mm256_movemask_pd(_mm256_or_pd(inK, inAhead));
        const int aheadLanes = _mm256_movemask_pd(inAhead);
        if (held == 15) {
          tracker.k_ = aheadLanes & 8 ? ahead : k;
          continue;
        }
        alignas(16) float directionX[4], directionY[4];
        _mm_store_ps(directionX, singleX);
        _mm_store_ps(directionY, singleY);
        Settle(boxes, b, directionX, directionY, first, count, held, aheadLanes, block, defined);
      }
    }
  }
};

#undef TARNWICK_AVX2_ONLY

#endif

bool CalculateSPLWith(SplKernel kernel, const ProjectData& project, const Graphics& graphics,
                      const Constants& constants, int area, int band,
                      std::vector<SPLPoint>& SPLPoints) {
  // 1. Arguments and the point count.
  SPLPoints.clear();
  if (area < 1 || area > MaxAreas || band < 0 || band >= BandCount) return false;
  const float length = project.AreaLength[area - 1];
  const double tenths = double(length) * 10.0;
  if (!(std::fabs(tenths) <= double(MaxSPLPointIndex) + 1.0)) return false;
  const long long last = RoundHalfEven(tenths);
  if (last < 0 || last > MaxSPLPointIndex) return false;
  SPLPoints.resize(static_cast<std::size_t>(last) + 1);

  // 2. What stays the same at every point: the boxes in use, their aim angles and the band.
  //    Each tracker starts from the entry of the area's start, tried first where the box
  //    above found it, turned by the difference of their aims: neighbouring boxes see the
  //    start within a few degrees of each other, so that mostly no fresh angle is needed.
  const AreaGeometry& slope = graphics.AreaGeom[area - 1];
  BoxSet boxes;
  boxes.count = BoxesInUse(project);
  float aboveAim = 0.0f;
  int aboveEntry = 0;
  for (int b = 0; b < boxes.count; ++b) {
    const PlaneVector source = graphics.BoxGeom[b].Source;
    boxes.sourceX[b] = source.X;
    boxes.sourceY[b] = source.Y;
    boxes.attenuation[b] = project.BoxAttenuation[b];
    const float aim = AngleFromDown(graphics.BoxGeom[b].Ray);
    const double turn = (double(aboveAim) - aim) / 5.0;
    const int guess =
        aboveEntry > 0 && std::fabs(turn) < 72.0 ? aboveEntry + int(std::lround(turn)) : 0;
    boxes.direction[b] = OffAxisTracker(aim, guess);
    aboveEntry = boxes.direction[b].Index(AddVectors(slope.Start, NegateVector(source)));
    aboveAim = aim;
  }
  const double bandLevel = constants.BandLevel[band];
  for (int k = 0; k < DirectivityAngleCount; ++k) {
    const DirectivityPoint& entry = constants.Directivity(k, band);
    boxes.level[k + 1] = bandLevel - entry.LevelDrop;
    boxes.phase[k + 1] = entry.Phase;
  }
#if defined(__x86_64__)
  static const bool avx2 = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
  }();
  const auto collect = avx2 ? &OffAxisLanes::CollectBlock : &CollectBlock;
#else
  const auto collect = &CollectBlock;
#endif
  SplBlock block;  // some 18 kB, reused block after block
  block.boxes = boxes.count;
  block.frequency = BandCentreFrequency(band);

  for (long long first = 0; first <= last; first += SplBlock::Width) {
    const int count = static_cast<int>(std::min<long long>(SplBlock::Width, last - first + 1));
    SPLPoint* const point = &SPLPoints[static_cast<std::size_t>(first)];
    block.points = count;

    // 3. The points, 0.1 * i metres along the area from its start: AddVectors(slope.Start,
    //    ScaleVector(slope.Direction, single(0.1 i / length))), written out to keep this
    //    loop tight.
    for (int n = 0; n < count; ++n) {
      const long long i = first + n;
      if (i == 0) {
        point[n].Position = slope.Start;
        continue;
      }
      const auto scale = static_cast<float>(SPLPointSpacing * double(i) / length);
      const auto alongX = static_cast<float>(double(slope.Direction.X) * scale);
      const auto alongY = static_cast<float>(double(slope.Direction.Y) * scale);
      point[n].Position = {static_cast<float>(double(slope.Start.X) + alongX),
                           static_cast<float>(double(slope.Start.Y) + alongY)};
    }

    // 4. Each box's distance and directivity entry at every point. A point is defined when
    //    every box has an entry and no source lies on it; an undefined box gets harmless
    //    stand-ins.
    std::array<bool, SplBlock::Width> defined;
    defined.fill(true);
    collect(boxes, point, count, block, defined.data());

    // 5. The levels.
    kernel(block);
    for (int n = 0; n < count; ++n) point[n].SPL = defined[n] ? block.spl[n] : SPLFloor;
  }
  return true;
}

bool CalculateSPL(const ProjectData& project, const Graphics& graphics, const Constants& constants,
                  int area, int band, std::vector<SPLPoint>& SPLPoints) {
  return CalculateSPLWith(FastestSplKernel(), project, graphics, constants, area, band, SPLPoints);
}

}  // namespace tarnwick
