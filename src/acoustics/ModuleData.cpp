#include "acoustics/ModuleData.h"

#include <algorithm>
#include <cmath>

#include "acoustics/DirectivityTable.h"
#include "model/NumberText.h"

namespace tarnwick {

double BandCentreFrequency(int band) { return 62.5 * std::pow(2.0, (band + 2) / 3.0); }

void AssignBandLevel(Constants& constants) {
  constants.BandLevel = {122.0f, 122.0f, 122.5f, 123.0f, 123.5f, 123.5f, 124.5f,
                         126.0f, 126.0f, 126.0f, 126.0f, 127.0f, 128.0f, 128.0f,
                         129.5f, 131.0f, 132.5f, 133.0f, 133.0f, 133.5f, 134.0f};
}

void FillDirectivity(Constants& constants) { constants.Directivity.Entries = ModuleDirectivity; }

int DirectivityIndex(float theta) {
  // Beyond +-36.5 steps the rounded index leaves 0 ... 72 whatever the tie rule; checking
  // first also keeps NaN and huge angles away from the rounding.
  const double steps = double(theta) / 5.0;
  if (!(std::fabs(steps) <= 36.5)) return -1;
  return static_cast<int>(RoundHalfEven(steps)) + OnAxisIndex;
}

BlendedDirectivity Blend(const DirectivityPoint& from, const DirectivityPoint& to, double t) {
  double turn = double(to.Phase) - from.Phase;
  if (turn > 180.0) turn -= 360.0;
  if (turn <= -180.0) turn += 360.0;
  double phase = from.Phase + t * turn;
  if (phase > 180.0) phase -= 360.0;
  if (phase <= -180.0) phase += 360.0;
  return {(1.0 - t) * from.LevelDrop + t * to.LevelDrop, phase};
}

std::optional<DirectivityPoint> LookUpDirectivity(const Constants& constants, int band,
                                                  float theta) {
  const int k = DirectivityIndex(theta);
  if (k < 0 || band < 0 || band >= BandCount) return std::nullopt;
  return constants.Directivity(k, band);
}

}  // namespace tarnwick
