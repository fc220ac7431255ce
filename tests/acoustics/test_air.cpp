// The atmosphere's absorption and speed of sound against ISO 9613-1's own figures.
#include <gtest/gtest.h>

#include <utility>

#include "acoustics/Air.h"

using namespace tarnwick;

TEST(Air, absorbsAsTheStandardsTableAndCarriesSoundAtItsSpeed) {
  // 20 C, 50 % relative humidity, 101.325 kPa: dB per km, within 0.5 %.
  for (const auto& [frequency, perKilometre] :
       {std::pair{1000.0, 4.66}, {4000.0, 29.7}, {8000.0, 105.3}})
    EXPECT_NEAR(AirAbsorption(frequency, 20.0, 50.0, 101.325) * 1e3, perKilometre,
                perKilometre * 5e-3)
        << frequency;
  EXPECT_NEAR(SpeedOfSoundInAir(20.0), 343.2, 0.05);
  EXPECT_NEAR(SpeedOfSoundInAir(0.0), 331.3, 1e-12);
}
