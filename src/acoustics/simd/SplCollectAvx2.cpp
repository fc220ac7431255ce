#include "acoustics/SplCollect.h"

#if defined(__x86_64__)

#include <immintrin.h>

#include <algorithm>

namespace tarnwick {

// AVX2 alone, without FMA: a fused multiply-add would skip the roundings of the distance
// that the plain loop makes, and this file is compiled with the compiler's default
// contraction.
#define TARNWICK_AVX2_ONLY __attribute__((target("avx2")))

// The AVX2 kernel's first step four points at a time: the same arithmetic as the portable
// kernel's CollectBlock, lane by lane, and OffAxisTracker::Index's two tries as vector checks,
// the second against the entry ahead (k_ + step_). A lane that neither holds, or without a defined
// level, goes through OffAxisTracker::Index and the plain steps.
struct OffAxisLanes {
  // EdgeChecks::Past, the flip as a sign bit.
  TARNWICK_AVX2_ONLY static __m256d Past(__m256d u, __m256d v, const double& flip,
                                         const double& slope) {
    return _mm256_sub_pd(_mm256_xor_pd(u, _mm256_broadcast_sd(&flip)),
                         _mm256_mul_pd(v, _mm256_broadcast_sd(&slope)));
  }

  // EdgeChecks::Holds, a lane's mask all ones where it holds.
  TARNWICK_AVX2_ONLY static __m256d Holds(const EdgeChecks& e, int k, __m256d u, __m256d v) {
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
                     int held, int ahead, SplBlock& block) {
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
        block.defined[n] = false;
        StandIn(block, b, n);
        continue;
      }
      block.level[b][n] = boxes.level[entry + 1] - boxes.attenuation[b];
      block.entryPhase[b][n] = boxes.phase[entry + 1];
    }
  }

  TARNWICK_AVX2_ONLY static void CollectBlock(BoxSet& boxes, SPLPoint* point, int count,
                                              SplBlock& block) {
    // 1. The positions, the lanes past the last point repeating it.
    alignas(16) float px[SplBlock::Width], py[SplBlock::Width];
    for (int n = 0; n < SplBlock::Width; ++n) {
      const PlaneVector at = point[std::min(n, count - 1)].Position;
      px[n] = at.X, py[n] = at.Y;
    }
    std::fill_n(block.defined, count, true);
    // 2. Group by group, box by box, so that the boxes' trackers, each waiting on its own
    //    last group, move side by side.
    const EdgeChecks& edges = Edges();
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
            point[n].DistanceFromLastBox = distance[n - first];
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
        Settle(boxes, b, directionX, directionY, first, count, held, aheadLanes, block);
      }
    }
  }
};

#undef TARNWICK_AVX2_ONLY

void CollectBlockAvx2(BoxSet& boxes, SPLPoint* point, int count, SplBlock& block) {
  OffAxisLanes::CollectBlock(boxes, point, count, block);
}

}  // namespace tarnwick

#else

namespace tarnwick {
void CollectBlockAvx2(BoxSet&, SPLPoint*, int, SplBlock&) {}
}  // namespace tarnwick

#endif
