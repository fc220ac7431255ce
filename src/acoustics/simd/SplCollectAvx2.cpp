#include "acoustics/SplCollect.h"

#if defined(__x86_64__)

#include <immintrin.h>

#include <algorithm>

namespace tarnwick {

// AVX2 and FMA. The file is compiled with -ffp-contract=off: a fused multiply-add would skip
// the roundings of the distance that the plain loop makes; the direction checks use them
// by name.
#define TARNWICK_AVX2_FMA __attribute__((target("avx2,fma")))

// The AVX2 kernel's first step eight points at a time: the same distances as the portable
// kernel's CollectBlock, lane by lane, and OffAxisTracker::Index's two tries as vector checks
// in single precision, the second against the entry ahead (k_ + step_). A lane that neither
// holds, or without a defined level, goes through OffAxisTracker::Index and the plain steps.
//
// Why single-precision checks are exact: the direction (x, y) is the one CollectBlock takes,
// exactly; the aim's sine and cosine, each rounded to single, turn it into (u, v) within
// 4 units of 2^-24 |d|, and the check u cos e - v sin e, divided by |cos e|, is off by at most
// 2^-24 |d| (5 + 6 |slope|), that is by under 11 * 2^-24 radians, 4e-5 degrees, of the
// angle, as |slope cos e| = |sin e| <= 1. A direction that passes both of an entry's checks
// then lies at least EntryEdgeMargin minus that inside it, where OffAxisIndex (within 3e-5
// degrees) names that entry too. Components below 2^-60 or from 2^100 (where products would
// lose their precision or overflow) are left to OffAxisIndex, as are NaNs, which fail every
// check.
struct OffAxisLanes {
  static constexpr int Lanes = 8;

  // EdgeChecks in single precision.
  struct Edges8 {
    std::array<float, EdgeChecks::Size> lowFlip, lowSlope, highFlip, highSlope;
    explicit Edges8(const EdgeChecks& e) {
      for (int i = 0; i < EdgeChecks::Size; ++i) {
        lowFlip[i] = static_cast<float>(e.lowFlip[i]), lowSlope[i] = float(e.lowSlope[i]);
        highFlip[i] = static_cast<float>(e.highFlip[i]), highSlope[i] = float(e.highSlope[i]);
      }
    }
  };

  // EdgeChecks::Past, the flip as a sign bit.
  TARNWICK_AVX2_FMA static __m256 Past(__m256 u, __m256 v, const float& flip, const float& slope) {
    return _mm256_fnmadd_ps(_mm256_broadcast_ss(&slope), v,
                            _mm256_xor_ps(u, _mm256_broadcast_ss(&flip)));
  }

  // EdgeChecks::Holds, a lane's mask all ones where it holds.
  TARNWICK_AVX2_FMA static __m256 Holds(const Edges8& e, int k, __m256 u, __m256 v) {
    const __m256 zero = _mm256_setzero_ps();
    const __m256 low = Past(u, v, e.lowFlip[k + 1], e.lowSlope[k + 1]);
    const __m256 high = Past(u, v, e.highFlip[k + 1], e.highSlope[k + 1]);
    return _mm256_and_ps(_mm256_cmp_ps(low, zero, _CMP_GT_OQ),
                         _mm256_cmp_ps(high, zero, _CMP_LT_OQ));
  }

  // Lanes whose components the checks take in full precision.
  TARNWICK_AVX2_FMA static __m256 Checkable(__m256 x, __m256 y) {
    const __m256 sign = _mm256_set1_ps(-0.0f);
    const __m256 magnitude = _mm256_max_ps(_mm256_andnot_ps(sign, x), _mm256_andnot_ps(sign, y));
    return _mm256_and_ps(_mm256_cmp_ps(magnitude, _mm256_set1_ps(0x1p-60f), _CMP_GE_OQ),
                         _mm256_cmp_ps(magnitude, _mm256_set1_ps(0x1p100f), _CMP_LT_OQ));
  }

  // Box b at the lanes of the group from point `first` that `held` leaves out, given their
  // directions, in order: a held lane moves the tracker to its entry, k_ or, where `ahead`
  // has its bit, k_ + step_, so that the next lane is tried from there. Lanes with their bit
  // in `further[i]` lie in entry k_ + (i + 2) step_, and the rest go through Index.
  static void Settle(BoxSet& boxes, int b, const float* x, const float* y, int first, int count,
                     int held, int ahead, const int (&further)[2], SplBlock& block) {
    OffAxisTracker& tracker = boxes.direction[b];
    const int k = tracker.k_, step = tracker.step_;
    for (int n = first; n < first + Lanes; ++n) {
      const int lane = n - first;
      if (held >> lane & 1) {
        tracker.k_ = ahead >> lane & 1 ? k + step : k;
        continue;
      }
      if (n >= count) {
        StandIn(block, b, n);
        continue;
      }
      const int steps = further[0] >> lane & 1 ? 2 : further[1] >> lane & 1 ? 3 : 0;
      const int entry = steps ? tracker.k_ = k + steps * step : tracker.Index({x[lane], y[lane]});
      if (entry < 0 || block.distance[b][n] == 0.0) {
        block.defined[n] = false;
        StandIn(block, b, n);
        continue;
      }
      block.level[b][n] = boxes.level[entry + 1] - boxes.attenuation[b];
      block.entryPhase[b][n] = boxes.phase[entry + 1];
    }
  }

  // The lanes of a group in entries k + 2 step and k + 3 step, for a group whose lanes went
  // further than the tries.
  TARNWICK_AVX2_FMA static void Further(const Edges8& edges, int k, int step, __m256 u, __m256 v,
                                        __m256 checkable, int (&further)[2]) {
    for (int i = 0; i < 2; ++i) {
      const int entry = std::clamp(k + (i + 2) * step, -1, DirectivityAngleCount);
      further[i] = _mm256_movemask_ps(_mm256_and_ps(Holds(edges, entry, u, v), checkable));
    }
  }

  // Box b's distances, and its levels and phases at entry k or, where `ahead` has its lanes
  // set, at entry `next`, at the four lanes from point `first`.
  TARNWICK_AVX2_FMA static void Quarter(const BoxSet& boxes, int b, int first, int k, int next,
                                        __m128 x, __m128 y, __m128i ahead, SplBlock& block) {
    const __m256d dx = _mm256_cvtps_pd(x), dy = _mm256_cvtps_pd(y);
    const __m256d r = _mm256_cvtps_pd(_mm256_cvtpd_ps(
        _mm256_sqrt_pd(_mm256_add_pd(_mm256_mul_pd(dy, dy), _mm256_mul_pd(dx, dx)))));
    _mm256_store_pd(&block.distance[b][first], r);
    const __m256d mask = _mm256_castsi256_pd(_mm256_cvtepi32_epi64(ahead));
    const __m256d level = _mm256_blendv_pd(_mm256_broadcast_sd(&boxes.level[k + 1]),
                                           _mm256_broadcast_sd(&boxes.level[next + 1]), mask);
    _mm256_store_pd(&block.level[b][first],
                    _mm256_sub_pd(level, _mm256_broadcast_sd(&boxes.attenuation[b])));
    _mm256_store_pd(&block.entryPhase[b][first],
                    _mm256_blendv_pd(_mm256_broadcast_sd(&boxes.phase[k + 1]),
                                     _mm256_broadcast_sd(&boxes.phase[next + 1]), mask));
  }

  TARNWICK_AVX2_FMA static void CollectBlock(BoxSet& boxes, SPLPoint* point, int count,
                                             SplBlock& block) {
    static const Edges8 edges(Edges());
    // 1. The positions, the lanes past the last point repeating it, and the aims' sines and
    //    cosines in single precision.
    alignas(32) float px[SplBlock::Width], py[SplBlock::Width];
    for (int n = 0; n < SplBlock::Width; ++n) {
      const PlaneVector at = point[std::min(n, count - 1)].Position;
      px[n] = at.X, py[n] = at.Y;
    }
    std::array<float, MaxBoxes> sine, cosine;
    for (int b = 0; b < boxes.count; ++b) {
      sine[b] = static_cast<float>(boxes.direction[b].sine_);
      cosine[b] = static_cast<float>(boxes.direction[b].cosine_);
    }
    std::fill_n(block.defined, count, true);
    // 2. Group by group, box by box, so that the boxes' trackers, each waiting on its own
    //    last group, move side by side.
    for (int first = 0; first < count; first += Lanes) {
      const __m256 positionX = _mm256_load_ps(&px[first]), positionY = _mm256_load_ps(&py[first]);
      for (int b = 0; b < boxes.count; ++b) {
        OffAxisTracker& tracker = boxes.direction[b];
        // The direction as CollectBlock rounds it. The difference of two singles, rounded
        // once to single, is the one CollectBlock's double difference rounds to: the double
        // holds it exactly unless the two are so far apart that both round to the larger.
        const __m256 x = _mm256_sub_ps(positionX, _mm256_broadcast_ss(&boxes.sourceX[b]));
        const __m256 y = _mm256_sub_ps(positionY, _mm256_broadcast_ss(&boxes.sourceY[b]));
        // The two tries; a zero direction passes neither.
        const __m256 s = _mm256_broadcast_ss(&sine[b]), c = _mm256_broadcast_ss(&cosine[b]);
        const __m256 u = _mm256_fmadd_ps(x, c, _mm256_mul_ps(y, s));
        const __m256 v = _mm256_fmsub_ps(x, s, _mm256_mul_ps(y, c));
        const int k = tracker.k_, ahead = k + tracker.step_;
        const __m256 inK = Holds(edges, k, u, v), inAhead = Holds(edges, ahead, u, v);
        const __m256 checkable = Checkable(x, y);
        const int held = _mm256_movemask_ps(_mm256_and_ps(_mm256_or_ps(inK, inAhead), checkable));
        const int aheadLanes = _mm256_movemask_ps(inAhead);
        const __m256i aheadMask = _mm256_castps_si256(inAhead);
        Quarter(boxes, b, first, k, ahead, _mm256_castps256_ps128(x), _mm256_castps256_ps128(y),
                _mm256_castsi256_si128(aheadMask), block);
        if (first + 4 < count)
          Quarter(boxes, b, first + 4, k, ahead, _mm256_extractf128_ps(x, 1),
                  _mm256_extractf128_ps(y, 1), _mm256_extracti128_si256(aheadMask, 1), block);
        if (b == boxes.count - 1)
          for (int n = first; n < std::min(first + Lanes, count); ++n)
            point[n].DistanceFromLastBox = static_cast<float>(block.distance[b][n]);
        if (held == 0xff) {
          tracker.k_ = aheadLanes & 0x80 ? ahead : k;
          continue;
        }
        alignas(32) float directionX[Lanes], directionY[Lanes];
        _mm256_store_ps(directionX, x);
        _mm256_store_ps(directionY, y);
        int further[2];
        Further(edges, k, tracker.step_, u, v, checkable, further);
        Settle(boxes, b, directionX, directionY, first, count, held, aheadLanes, further, block);
      }
    }
  }
};

#undef TARNWICK_AVX2_FMA

void CollectBlockAvx2(BoxSet& boxes, SPLPoint* point, int count, SplBlock& block) {
  OffAxisLanes::CollectBlock(boxes, point, count, block);
}

}  // namespace tarnwick

#else

namespace tarnwick {
void CollectBlockAvx2(BoxSet&, SPLPoint*, int, SplBlock&) {}
}  // namespace tarnwick

#endif
