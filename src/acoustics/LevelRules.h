#pragma once

#include <array>
#include <cmath>

#include "acoustics/ModuleData.h"

namespace tarnwick {

// The rules both level computations share, CalculateSPL with PredictLevels and the level
// engine: which directivity entry an off-axis angle may be named by a quick check, how the
// bands weigh in a broadband sum, and how a power becomes a level. See docs/model.md,
// "Picking a directivity entry", "Broadband sums" and "Where a point has no level".

// What a level curve shows: one of the 21 bands (entries 0 ... 20, as the band index), or
// the power sum over all of them, plain or A-weighted.
inline constexpr int BroadbandChoice = BandCount;
inline constexpr int BroadbandAChoice = BandCount + 1;
inline constexpr int BandChoiceCount = BandCount + 2;
inline constexpr int DefaultBandChoice = 10;  // 1 kHz

// The one "no level" value: given to a point whose level the sum does not define (a box's
// source lies exactly on the point, a box has no directivity entry there, or no sound
// arrives: the summed power is 0 or below, or not finite). Far below anything audible, so
// the graph shows it as a drop-out. Callers that hand levels on elsewhere convert it at
// their edge (an empty field, null in JSON).
inline constexpr float SPLFloor = -200.0f;

// Whether a summed power has a level.
inline bool HasLevel(double power) { return power > 0.0 && std::isfinite(power); }

// A power as a level in dB, 10 log10 power in double, SPLFloor where it has none.
inline double PowerDecibels(double power) {
  return HasLevel(power) ? 10.0 * std::log10(power) : double(SPLFloor);
}
// The same rounded once to single, as the levels are handed on.
inline float PowerLevel(double power) { return static_cast<float>(PowerDecibels(power)); }

// A-weighting in dB at a frequency in Hz (IEC 61672-1), 0 dB at 1 kHz.
double AWeighting(double frequency);

// How band `band` weighs in the sum of level entry `entry`: in dB, the A-weighting at the
// band's centre for BroadbandAChoice and 0 otherwise; as a power factor, 10^(dB / 10), and
// exactly 1 for an unweighted entry.
double BandWeightDecibels(int entry, int band);
double BandWeight(int entry, int band);

// The broadband power of one point from its bands' powers (power[0 ... 20]), each times its
// weight, added band by band in order.
double BroadbandPower(int entry, const double* power);
// The power of band `band` at a point from its level in dB, weighted for `entry`, as
// PredictLevels adds the graph's bands: 10^((level + weight) / 10).
double LevelPower(int entry, int band, float level);

// How far inside each edge of its directivity entry, in degrees, a direction must lie for a
// quick check (sign tests against the edges, or a vector arctangent) to name the entry
// itself; nearer an edge, OffAxisIndex decides. OffAxisIndex rounds the angle to single
// precision two or three times, some 3e-5 degrees in all; the quick checks err by some
// 1e-13 degrees, the level engine's in single precision by some 2e-5. See docs/model.md,
// "Picking a directivity entry".
inline constexpr double EntryEdgeMargin = 1e-3;

// Entry k's off-axis angles, drawn in by the margin: from 5 (k - 36) - 2.5 + margin to
// 5 (k - 36) + 2.5 - margin degrees, the back entries 0 and 72 cut at -180 and +180, where
// the angle wraps.
struct EntryRange {
  double Low = 0.0, High = 0.0;
};
const std::array<EntryRange, DirectivityAngleCount>& DirectivityEntryEdges();

}  // namespace tarnwick
