// Unit tests of the module data: band centres and levels, the directivity lookup with its
// rounding and bounds, and the properties of the whole built-in directivity table.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <span>

#include "acoustics/ModuleData.h"

using namespace tarnwick;

namespace {

const Constants& ModuleData() {
  static const Constants constants = [] {
    Constants c;
    AssignBandLevel(c);
    FillDirectivity(c);
    return c;
  }();
  return constants;
}

constexpr std::array<int, 11> kReferenceAngles = {0, 5, 10, 15, 30, 45, 60, 90, 120, 150, 180};

struct ReferenceRow {
  int band;
  std::array<float, 11> values;
};

// The module's reference values, which the table must hold exactly.
constexpr ReferenceRow kLevelDrops[] = {
    {0, {0, -0.38f, -0.21f, -0.28f, 0.07f, 0.38f, 0.61f, 1.48f, 1.69f, 1.61f, 1.91f}},
    {5, {0, 0.49f, 0.67f, 0.93f, 1.56f, 2.31f, 3.33f, 5.11f, 9.19f, 10.88f, 8.09f}},
    {10, {0, 0.18f, 0.51f, 0.89f, 2.64f, 5.02f, 7.7f, 11.44f, 15.21f, 16.36f, 12.74f}},
    {15, {0, 0.73f, 4.58f, 8.68f, 11.4f, 15.79f, 14.17f, 18.43f, 22.84f, 24.32f, 22.14f}},
    {20, {0, 8, 16.32f, 13.24f, 17.8f, 23.38f, 21.88f, 25.51f, 32.72f, 36.88f, 39.69f}}};
constexpr ReferenceRow kPhases[] = {
    {0, {0, 87.7f, 88.5f, 89.1f, 84.4f, 81.9f, 76.2f, 67.2f, 54.8f, 45.6f, 43.4f}},
    {10, {0, -25.9f, -28.9f, -31.6f, -44.9f, -65.1f, -82, -137.8f, 154.7f, 89.3f, 21.9f}},
    {20, {0, 66.3f, 122.1f, -70.5f, 56, -159.2f, -115.9f, -5.5f, 41.3f, -98.1f, 41.2f}}};

int AngleOf(int k) { return (k - OnAxisIndex) * 5; }

}  // namespace

TEST(BandCentreFrequency, stepsByAThirdOctaveFrom100HzTo10kHz) {
  EXPECT_DOUBLE_EQ(BandCentreFrequency(7), 500.0);
  EXPECT_DOUBLE_EQ(BandCentreFrequency(10), 1000.0);
  EXPECT_DOUBLE_EQ(BandCentreFrequency(19), 8000.0);
  EXPECT_NEAR(BandCentreFrequency(0), 99.2, 0.05);
  EXPECT_NEAR(BandCentreFrequency(14), 2519.8, 0.05);
  EXPECT_NEAR(BandCentreFrequency(20), 10079.4, 0.05);
  for (int band = 0; band + 1 < BandCount; ++band)
    EXPECT_NEAR(BandCentreFrequency(band + 1) / BandCentreFrequency(band), std::cbrt(2.0), 1e-12);
}

TEST(AssignBandLevel, setsTheOnAxisLevelOfEveryBand) {
  const std::array<float, BandCount> expected = {122,    122, 122.5f, 123, 123.5f, 123.5f, 124.5f,
                                                 126,    126, 126,    126, 127,    128,    128,
                                                 129.5f, 131, 132.5f, 133, 133,    133.5f, 134};
  EXPECT_EQ(ModuleData().BandLevel, expected);
}

TEST(DirectivityIndex, roundsHalfStepsToEvenAndRejectsIndicesOutsideTheTable) {
  constexpr float nan = std::numeric_limits<float>::quiet_NaN();
  constexpr float inf = std::numeric_limits<float>::infinity();
  // 36.5 steps (182.5 degrees) still round to index 72; 182.6 degrees no longer does.
  for (const auto& [theta, k] :
       {std::pair{0.0f, 36}, {2.5f, 36},   {-2.5f, 36},  {2.6f, 37},   {7.4f, 37},   {7.5f, 38},
        {12.5f, 38},         {-7.5f, 34},  {-12.5f, 34}, {17.5f, 40},  {-17.5f, 32}, {177.6f, 72},
        {-180.0f, 0},        {180.0f, 72}, {182.5f, 72}, {-182.5f, 0}, {182.6f, -1}, {-187.5f, -1},
        {1e30f, -1},         {inf, -1},    {nan, -1}})
    EXPECT_EQ(DirectivityIndex(theta), k) << theta;
}

TEST(LookUpDirectivity, readsTheEntryOfTheRoundedAngleAsItStandsWithinTheTable) {
  const Constants& c = ModuleData();
  for (int band = 0; band < BandCount; ++band) {
    for (float onAxis : {0.0f, 2.5f, -2.5f}) {
      EXPECT_EQ(LookUpDirectivity(c, band, onAxis)->LevelDrop, 0.0f) << band;
      EXPECT_EQ(LookUpDirectivity(c, band, onAxis)->Phase, 0.0f) << band;
    }
    for (float sign : {1.0f, -1.0f}) {
      const float ten = LookUpDirectivity(c, band, sign * 10)->Phase;
      const float twenty = LookUpDirectivity(c, band, sign * 20)->Phase;
      EXPECT_EQ(LookUpDirectivity(c, band, sign * 7.5f)->Phase, ten) << band;
      EXPECT_EQ(LookUpDirectivity(c, band, sign * 12.5f)->Phase, ten) << band;
      EXPECT_EQ(LookUpDirectivity(c, band, sign * 17.5f)->Phase, twenty) << band;
    }
  }
  for (float angle : {90.0f, -90.0f}) {
    EXPECT_EQ(LookUpDirectivity(c, 10, angle)->LevelDrop, 11.44f);
    EXPECT_EQ(LookUpDirectivity(c, 10, angle)->Phase, -137.8f);
  }
  for (float angle : {180.0f, -180.0f, 177.6f}) {
    EXPECT_EQ(LookUpDirectivity(c, 0, angle)->LevelDrop, 1.91f);
    EXPECT_EQ(LookUpDirectivity(c, 0, angle)->Phase, 43.4f);
  }
  EXPECT_FALSE(LookUpDirectivity(c, -1, 0.0f).has_value());
  EXPECT_FALSE(LookUpDirectivity(c, BandCount, 0.0f).has_value());
  EXPECT_FALSE(LookUpDirectivity(c, 10, 190.0f).has_value());
}

TEST(ModuleDirectivity, holdsEveryReferenceValueExactlyOnBothSides) {
  const DirectivityTable& d = ModuleData().Directivity;
  auto check = [&](std::span<const ReferenceRow> rows, float DirectivityPoint::*field) {
    for (const ReferenceRow& row : rows)
      for (std::size_t i = 0; i < kReferenceAngles.size(); ++i)
        for (int side : {1, -1}) {
          const int k = OnAxisIndex + side * kReferenceAngles[i] / 5;
          EXPECT_EQ(d(k, row.band).*field, row.values[i])
              << "band " << row.band << " at " << AngleOf(k) << " degrees";
        }
  };
  check(kLevelDrops, &DirectivityPoint::LevelDrop);
  check(kPhases, &DirectivityPoint::Phase);
}

TEST(ModuleDirectivity, isZeroOnTheAxisSymmetricAndTwoDecimalWithinItsRanges) {
  const DirectivityTable& d = ModuleData().Directivity;
  for (int band = 0; band < BandCount; ++band) {
    EXPECT_EQ(d(OnAxisIndex, band).LevelDrop, 0.0f);
    EXPECT_EQ(d(OnAxisIndex, band).Phase, 0.0f);
    for (int m = 1; m <= 36; ++m) {
      EXPECT_EQ(d(OnAxisIndex - m, band).LevelDrop, d(OnAxisIndex + m, band).LevelDrop);
      EXPECT_EQ(d(OnAxisIndex - m, band).Phase, d(OnAxisIndex + m, band).Phase);
    }
  }
  for (const DirectivityPoint& e : d.Entries) {
    for (float v : {e.LevelDrop, e.Phase})
      EXPECT_EQ(v, static_cast<float>(std::round(double(v) * 100.0) / 100.0)) << v;
    EXPECT_TRUE(e.LevelDrop >= -0.38f && e.LevelDrop <= 39.69f) << e.LevelDrop;
    EXPECT_TRUE(e.Phase >= -179.8f && e.Phase <= 179.9f) << e.Phase;
  }
}

TEST(ModuleDirectivity, isLouderThanOnAxisOnlyNearTheAxisOfLowBandsAndTheCrossover) {
  const DirectivityTable& d = ModuleData().Directivity;
  std::array<bool, BandCount> lifted{};
  for (int band = 0; band < BandCount; ++band)
    for (int k = 0; k < DirectivityAngleCount; ++k) {
      if (d(k, band).LevelDrop >= 0.0f) continue;
      const int angle = std::abs(AngleOf(k));
      EXPECT_TRUE((band <= 3 && angle <= 35) || ((band == 11 || band == 12) && angle == 5))
          << "band " << band << " at " << AngleOf(k) << " degrees";
      lifted[band] = true;
    }
  for (int band : {0, 1, 2, 3, 11, 12}) EXPECT_TRUE(lifted[band]) << band;
}

TEST(ModuleDirectivity, beamNarrowsAsFrequencyRises) {
  // Half-width of the beam: the first angle off the axis at which the level is 6 dB down.
  const DirectivityTable& d = ModuleData().Directivity;
  auto halfWidth = [&](int band) {
    for (int k = OnAxisIndex; k < DirectivityAngleCount; ++k)
      if (d(k, band).LevelDrop >= 6.0f) return AngleOf(k);
    return 360;  // never 6 dB down: no beam at all
  };
  EXPECT_EQ(halfWidth(0), 360);
  EXPECT_EQ(halfWidth(20), 5);
  for (int band = 0; band + 1 < BandCount; ++band)
    EXPECT_LE(halfWidth(band + 1), halfWidth(band)) << "band " << band + 1;
}
