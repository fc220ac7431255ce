// Unit tests of the finiteness test, the turns and the in-place rotations.

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <ostream>

#include "geometry/PlaneVector.h"

namespace tarnwick {

// Readable failure messages; found by argument-dependent lookup.
static void PrintTo(const PlaneVector& v, std::ostream* os) {
  *os << "(" << v.X << ", " << v.Y << ")";
}

namespace {

// Exact bit patterns, so that "unchanged" means unchanged and not merely close.
bool SameBits(PlaneVector a, PlaneVector b) {
  return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

void ExpectNear(PlaneVector v, double x, double y, double tolerance) {
  EXPECT_NEAR(v.X, x, tolerance);
  EXPECT_NEAR(v.Y, y, tolerance);
}

double Size(PlaneVector v) { return std::fabs(v.X) + std::fabs(v.Y); }

// Ordinary values of very different sizes, none of them a signed zero.
constexpr PlaneVector kSamples[] = {
    {0.1f, -3.7f},      {1e-30f, 12345.678f}, {-0.3060455f, 0.0176869f},
    {7e37f, -2.5e-37f}, {-123.456f, -0.001f}, {0.4050872f, 4.9894f},
    {3.0f, 0.0f}};

// (3e38, 3e38) turned by 45 degrees has an X of about 4.2e38, beyond single precision.
constexpr PlaneVector kOverflowing{3e38f, 3e38f};

TEST(PlaneVector, NonFiniteComponentsAndSinglePrecisionOverflowAreNotFinite) {
  constexpr float inf = std::numeric_limits<float>::infinity();
  constexpr float nan = std::numeric_limits<float>::quiet_NaN();
  constexpr float max = std::numeric_limits<float>::max();
  EXPECT_TRUE(IsFinite({max, -max}));
  for (const PlaneVector& v : {PlaneVector{inf, 0.0f}, {0.0f, -inf}, {nan, 1.0f}, {1.0f, nan}})
    EXPECT_FALSE(IsFinite(v)) << ::testing::PrintToString(v);
  // The arithmetic runs in double; results beyond single precision are not finite.
  EXPECT_FALSE(IsFinite(AddVectors({3e38f, 0.0f}, {3e38f, 0.0f})));
  EXPECT_FALSE(IsFinite(ScaleVector({1.0f, 2e38f}, 4.0f)));
  EXPECT_TRUE(IsFinite(AddVectors({1e38f, -1e38f}, {1e38f, -1e38f})));
  EXPECT_FALSE(IsFinite(Rotated(kOverflowing, TurnFor(45.0f))));
}

TEST(PlaneVectorRotation, ZeroDegreesLeavesEveryVectorBitForBitUnchanged) {
  for (const PlaneVector& v : kSamples) EXPECT_PRED2(SameBits, v, Rotated(v, TurnFor(0.0f)));
  // The in-place rotations too, even of a vector that other turns would overflow.
  std::array<PlaneVector, 7> v = std::to_array(kSamples);
  v[6] = kOverflowing;
  const std::array<PlaneVector, 7> before = v;
  ASSERT_TRUE(RotateFour(v[0], v[1], v[2], v[3], 0.0f));
  ASSERT_TRUE(RotateThree(v[4], v[5], v[6], 0.0f));
  for (int i = 0; i < 7; ++i) EXPECT_PRED2(SameBits, before[i], v[i]);
}

TEST(PlaneVectorRotation, PositiveAngleTurnsClockwise) {
  // (1, 0) turned by +5 degrees points slightly downward, by -5 slightly upward.
  EXPECT_NEAR(Rotated({1.0f, 0.0f}, TurnFor(5.0f)).Y, -0.0871557f, 1e-6f);
  EXPECT_NEAR(Rotated({1.0f, 0.0f}, TurnFor(-5.0f)).Y, 0.0871557f, 1e-6f);

  // The 15-digit pi stops just short of the exact quarter turn: its cosine is not zero.
  EXPECT_FLOAT_EQ(TurnFor(90.0f).s, 1.0f);
  EXPECT_NE(TurnFor(90.0f).c, 0.0f);
  EXPECT_LT(std::fabs(TurnFor(90.0f).c), 1e-12f);

  // A downward front face turned by +5 degrees swings its lower end backward.
  PlaneVector a{0.0f, -1.0f}, b = a, c = a;
  ASSERT_TRUE(RotateThree(a, b, c, 5.0f));
  for (const PlaneVector& r : {a, b, c}) ExpectNear(r, -0.0871557, -0.9961947, 1e-6);
}

TEST(PlaneVectorRotation, EachVectorMatchesADoublePrecisionTurnAndTurnsBack) {
  for (float degrees : {5.0f, -2.9998798f, -37.5f, 90.0f, 179.0f}) {
    const Turn turn = TurnFor(degrees);
    const double r = degrees * std::numbers::pi / 180.0;
    std::array<PlaneVector, 7> v = std::to_array(kSamples);
    ASSERT_TRUE(RotateFour(v[0], v[1], v[2], v[3], degrees));
    ASSERT_TRUE(RotateThree(v[4], v[5], v[6], degrees));
    for (int i = 0; i < 7; ++i) {
      SCOPED_TRACE(::testing::Message() << degrees << " deg, vector " << i);
      const PlaneVector s = kSamples[i];
      // Each result depends on its own input only, as if turned alone.
      EXPECT_PRED2(SameBits, Rotated(s, turn), v[i]);
      ExpectNear(v[i], std::cos(r) * s.X + std::sin(r) * s.Y, std::cos(r) * s.Y - std::sin(r) * s.X,
                 1e-6 * Size(s));
    }
    ASSERT_TRUE(RotateFour(v[0], v[1], v[2], v[3], -degrees));
    ASSERT_TRUE(RotateThree(v[4], v[5], v[6], -degrees));
    for (int i = 0; i < 7; ++i)
      ExpectNear(v[i], kSamples[i].X, kSamples[i].Y, 1e-6 * Size(kSamples[i]));
  }
}

TEST(PlaneVectorRotation, OverflowInAnyArgumentChangesNothing) {
  for (int position = 0; position < 4; ++position) {
    SCOPED_TRACE(::testing::Message() << "overflowing vector at argument " << position);
    std::array<PlaneVector, 4> before = {
        {{1.0f, 2.0f}, {-0.5f, 0.25f}, {1.0f, 2.0f}, {3.0f, 0.0f}}};
    before[position] = kOverflowing;
    std::array<PlaneVector, 4> v = before;
    EXPECT_TRUE(position == 3 || !RotateThree(v[0], v[1], v[2], 45.0f));
    EXPECT_FALSE(RotateFour(v[0], v[1], v[2], v[3], 45.0f));
    for (int i = 0; i < 4; ++i) EXPECT_PRED2(SameBits, before[i], v[i]);
  }
  // Large but representable results still succeed: (3e38, 0) by 45 degrees.
  PlaneVector a{3e38f, 0.0f}, b{1.0f, 0.0f}, c{0.0f, 1.0f};
  ASSERT_TRUE(RotateThree(a, b, c, 45.0f));
  EXPECT_NEAR(a.X / 2.1213203e38f, 1.0f, 1e-6f);
  EXPECT_NEAR(a.Y / -2.1213203e38f, 1.0f, 1e-6f);
  EXPECT_NEAR(b.X, 0.70710678f, 1e-6f);
}

}  // namespace
}  // namespace tarnwick
