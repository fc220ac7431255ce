#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

namespace tarnwick {

// The 21 third-octave bands, 0 ... 20, from about 100 Hz to about 10 kHz.
inline constexpr int BandCount = 21;

// Directivity is held every 5 degrees over the full circle: angle index k = 0 ... 72 stands
// for (k - 36) * 5 degrees, so k = 36 is the box's axis and k = 0 and 72 are both the back.
inline constexpr int DirectivityAngleCount = 73;
inline constexpr int OnAxisIndex = 36;
inline constexpr int DirectivityEntryCount = DirectivityAngleCount * BandCount;  // 1533

// Centre frequency of a band in Hz: 62.5 * 2^((band + 2) / 3), so band 10 is 1000 Hz.
double BandCentreFrequency(int band);

// How the module sounds in one direction of the vertical plane, relative to its axis.
struct DirectivityPoint {
  float LevelDrop = 0.0f;  // dB below the band's on-axis level; positive is quieter
  float Phase = 0.0f;      // degrees relative to the on-axis output, -180 ... +180
};

// Vertical directivity for every band and every 5 degrees. Entry (k, band) is stored at
// 73 * band + k, so the angle index varies fastest.
struct DirectivityTable {
  std::array<DirectivityPoint, DirectivityEntryCount> Entries{};

  // Unchecked: k must lie in 0 ... 72 and band in 0 ... 20 (LookUpDirectivity checks both).
  DirectivityPoint& operator()(int k, int band) {
    return Entries[DirectivityAngleCount * band + k];
  }
  const DirectivityPoint& operator()(int k, int band) const {
    return Entries[DirectivityAngleCount * band + k];
  }
};

// Acoustic data of the one module model, owned by the window. Filled once at start-up by
// AssignBandLevel and FillDirectivity and read-only afterwards; nothing else writes it.
struct Constants {
  std::array<float, BandCount> BandLevel{};  // on-axis level at 1 m per band, dB
  DirectivityTable Directivity;
};

// Sets the on-axis level of every band.
void AssignBandLevel(Constants& constants);

// Copies the built-in directivity into the table, band 0 first.
void FillDirectivity(Constants& constants);

// Angle index of the entry that serves an off-axis angle in degrees: theta / 5 rounded to
// the nearest integer, an exact half to the even one, plus 36. So 2.5 degrees is served by
// the axis, 7.5 and 12.5 degrees both by 10 degrees. Returns -1 when the index would fall
// outside 0 ... 72 or theta is not a number.
int DirectivityIndex(float theta);

// Where an off-axis angle in degrees lies between the entries, for the Interpolate option
// (see docs/model.md, "Prediction options"): u = theta / 5 + 36, entry K = min(floor u, 71)
// and the fraction T = u - K (0 ... 1) of the way to entry K + 1. An angle exactly on an
// entry's own angle, (k - 36) * 5 degrees, gives K = k and T = 0 (180 degrees: K = 71 and
// T = 1, entry 72), so there it names the entry DirectivityIndex names. K is -1 outside
// -180 ... 180 degrees or for NaN.
struct DirectivityBlend {
  int K = -1;
  double T = 0.0;
};
inline DirectivityBlend BlendIndex(float theta) {
  if (!(std::fabs(theta) <= 180.0f)) return {};
  const double u = double(theta) / 5.0 + OnAxisIndex;
  const int k = std::min(static_cast<int>(std::floor(u)), DirectivityAngleCount - 2);
  return {k, u - k};
}

// Entries `from` and `to` mixed by t: the level drop (1 - t) from + t to in dB, the phase in
// degrees moved from `from`'s by t of the way to `to`'s along the shorter arc (+180 for a
// difference of exactly 180) and given within (-180, 180].
struct BlendedDirectivity {
  double LevelDrop = 0.0, Phase = 0.0;
};
BlendedDirectivity Blend(const DirectivityPoint& from, const DirectivityPoint& to, double t);

// The entry for a band and an off-axis angle in degrees, as it stands: there is no
// interpolation between angles or bands. Empty when band lies outside 0 ... 20 or the
// angle index outside 0 ... 72.
std::optional<DirectivityPoint> LookUpDirectivity(const Constants& constants, int band,
                                                  float theta);

}  // namespace tarnwick
