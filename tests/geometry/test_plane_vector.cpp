// Unit tests of the plane vector arithmetic and the in-place rotations.

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <ostream>
#include <utility>
#include <vector>

#include "geometry/PlaneVector.h"

namespace tarnwick {

// Readable failure messages; found by argument-dependent lookup.
static void PrintTo(const PlaneVector& v, std::ostream* os) {
  *os << "(" << v.X << ", " << v.Y << ")";
}

namespace {

// Exact bit patterns, so that "unchanged" means unchanged and not merely close.
bool SameBits(PlaneVector a, PlaneVector b) {
  return std::bit_cast<std::uint32_t>(a.X) == std::bit_cast<std::uint32_t>(b.X) &&
         std::bit_cast<std::uint32_t>(a.Y) == std::bit_cast<std::uint32_t>(b.Y);
}

// Clockwise rotation (Y up) computed in double from the exact value of pi.
struct Exact {
  double x;
  double y;
};
Exact RotatedExactly(PlaneVector v, double degrees) {
  const double r = degrees * std::numbers::pi / 180.0;
  return {std::cos(r) * v.X + std::sin(r) * v.Y, std::cos(r) * v.Y - std::sin(r) * v.X};
}

// A few ordinary values of very different sizes, none of them a signed zero.
const std::vector<PlaneVector>& SampleVectors() {
  static const std::vector<PlaneVector> samples = {
      {0.1f, -3.7f}, {1e-30f, 12345.678f},  {-0.3060455f, 0.0176869f}, {7e37f, -2.5e-37f},
      {-1.0f, 1.0f}, {0.4050872f, 4.9894f}, {-123.456f, -0.001f},      {3.0f, 0.0f},
  };
  return samples;
}

constexpr float kFloatMax = std::numeric_limits<float>::max();
constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// ---------------------------------------------------------------------------
// Addition, negation, scaling and the finiteness test.

TEST(PlaneVectorArithmetic, AddsComponentwise) {
  const PlaneVector sum = AddVectors({1.5f, -2.0f}, {0.25f, 4.0f});
  EXPECT_FLOAT_EQ(sum.X, 1.75f);
  EXPECT_FLOAT_EQ(sum.Y, 2.0f);
}

TEST(PlaneVectorArithmetic, NegatesBothComponents) {
  const PlaneVector n = NegateVector({0.3f, -7.25f});
  EXPECT_EQ(n.X, -0.3f);
  EXPECT_EQ(n.Y, 7.25f);
}

TEST(PlaneVectorArithmetic, DifferenceIsSumWithNegation) {
  const PlaneVector p{4.9894f, 1.2563f};
  const PlaneVector q{4.8366f, 1.2643f};
  const PlaneVector d = AddVectors(p, NegateVector(q));
  EXPECT_NEAR(d.X, 0.1528f, 1e-6f);
  EXPECT_NEAR(d.Y, -0.008f, 1e-6f);
  EXPECT_PRED2(SameBits, (PlaneVector{0.0f, 0.0f}), AddVectors(p, NegateVector(p)));
}

TEST(PlaneVectorArithmetic, ScalesBothComponents) {
  const PlaneVector s = ScaleVector({2.0f, -3.0f}, 0.5f);
  EXPECT_FLOAT_EQ(s.X, 1.0f);
  EXPECT_FLOAT_EQ(s.Y, -1.5f);
  const PlaneVector t = ScaleVector({0.0f, -0.3060455f}, 0.5f);
  EXPECT_FLOAT_EQ(t.X, 0.0f);
  EXPECT_FLOAT_EQ(t.Y, -0.15302275f);
}

TEST(PlaneVectorArithmetic, ResultsBeyondSinglePrecisionAreNotFinite) {
  EXPECT_FALSE(IsFinite(AddVectors({3e38f, 0.0f}, {3e38f, 0.0f})));
  EXPECT_FALSE(IsFinite(ScaleVector({1.0f, 2e38f}, 4.0f)));
  EXPECT_TRUE(IsFinite(AddVectors({1e38f, -1e38f}, {1e38f, -1e38f})));
}

TEST(PlaneVectorArithmetic, IsFiniteRejectsInfinityAndNaNInEitherComponent) {
  EXPECT_TRUE(IsFinite({0.0f, 0.0f}));
  EXPECT_TRUE(IsFinite({kFloatMax, -kFloatMax}));
  EXPECT_FALSE(IsFinite({kInf, 0.0f}));
  EXPECT_FALSE(IsFinite({0.0f, -kInf}));
  EXPECT_FALSE(IsFinite({kNaN, 1.0f}));
  EXPECT_FALSE(IsFinite({1.0f, kNaN}));
}

// ---------------------------------------------------------------------------
// Sine and cosine of a turn.

TEST(PlaneVectorTurn, ZeroDegreesGivesSineZeroAndCosineOne) {
  const Turn t = TurnFor(0.0f);
  EXPECT_EQ(t.s, 0.0f);
  EXPECT_EQ(t.c, 1.0f);
}

TEST(PlaneVectorTurn, SineAndCosineAreRoundedToSinglePrecision) {
  for (float degrees : {5.0f, -5.0f, 37.5f, -3.0f, 120.0f}) {
    SCOPED_TRACE(degrees);
    const double r = static_cast<double>(degrees) * Pi / 180.0;
    const Turn t = TurnFor(degrees);
    EXPECT_FLOAT_EQ(t.s, static_cast<float>(std::sin(r)));
    EXPECT_FLOAT_EQ(t.c, static_cast<float>(std::cos(r)));
  }
}

TEST(PlaneVectorTurn, QuarterTurnCosineIsTinyButNotZero) {
  // The 15-digit pi stops just short of the exact quarter turn.
  const Turn t = TurnFor(90.0f);
  EXPECT_FLOAT_EQ(t.s, 1.0f);
  EXPECT_NE(t.c, 0.0f);
  EXPECT_LT(std::fabs(t.c), 1e-12f);
}

// ---------------------------------------------------------------------------
// Rotations.

TEST(PlaneVectorRotation, ByZeroDegreesLeavesEveryVectorBitForBitUnchanged) {
  const Turn none = TurnFor(0.0f);
  for (const PlaneVector& v : SampleVectors()) {
    SCOPED_TRACE(::testing::Message() << "(" << v.X << ", " << v.Y << ")");
    EXPECT_PRED2(SameBits, v, Rotated(v, none));
  }

  const auto& s = SampleVectors();
  PlaneVector a = s[0], b = s[1], c = s[2], d = s[3];
  ASSERT_TRUE(RotateFour(a, b, c, d, 0.0f));
  EXPECT_PRED2(SameBits, s[0], a);
  EXPECT_PRED2(SameBits, s[1], b);
  EXPECT_PRED2(SameBits, s[2], c);
  EXPECT_PRED2(SameBits, s[3], d);

  PlaneVector e = s[4], f = s[5], g = s[6];
  ASSERT_TRUE(RotateThree(e, f, g, 0.0f));
  EXPECT_PRED2(SameBits, s[4], e);
  EXPECT_PRED2(SameBits, s[5], f);
  EXPECT_PRED2(SameBits, s[6], g);
}

TEST(PlaneVectorRotation, PositiveAngleTurnsClockwise) {
  // (1, 0) turned by +5 degrees points slightly downward.
  const PlaneVector v = Rotated({1.0f, 0.0f}, TurnFor(5.0f));
  EXPECT_GT(v.X, 0.99f);
  EXPECT_LT(v.Y, 0.0f);
  EXPECT_NEAR(v.Y, -0.0871557f, 1e-6f);

  // A negative angle turns the other way.
  const PlaneVector w = Rotated({1.0f, 0.0f}, TurnFor(-5.0f));
  EXPECT_NEAR(w.Y, 0.0871557f, 1e-6f);
}

TEST(PlaneVectorRotation, DownwardVectorByFiveDegreesMovesItsLowerEndBackward) {
  const PlaneVector v = Rotated({0.0f, -1.0f}, TurnFor(5.0f));
  EXPECT_NEAR(v.X, -0.0871557f, 1e-6f);
  EXPECT_NEAR(v.Y, -0.9961947f, 1e-6f);

  PlaneVector a{0.0f, -1.0f}, b{0.0f, -1.0f}, c{0.0f, -1.0f};
  ASSERT_TRUE(RotateThree(a, b, c, 5.0f));
  for (const PlaneVector& r : {a, b, c}) {
    EXPECT_NEAR(r.X, -0.0871557f, 1e-6f);
    EXPECT_NEAR(r.Y, -0.9961947f, 1e-6f);
  }
}

TEST(PlaneVectorRotation, QuarterTurnMapsUnitXToMinusUnitYWithTinyNonZeroX) {
  const PlaneVector v = Rotated({1.0f, 0.0f}, TurnFor(90.0f));
  EXPECT_FLOAT_EQ(v.Y, -1.0f);
  EXPECT_NE(v.X, 0.0f);
  EXPECT_LT(std::fabs(v.X), 1e-6f);

  PlaneVector a{1.0f, 0.0f}, b{0.0f, 1.0f}, c{-1.0f, 0.0f}, d{0.0f, -1.0f};
  ASSERT_TRUE(RotateFour(a, b, c, d, 90.0f));
  EXPECT_PRED2(SameBits, v, a);
  EXPECT_NE(a.X, 0.0f);
  EXPECT_NEAR(b.X, 1.0f, 1e-6f);
  EXPECT_NEAR(b.Y, 0.0f, 1e-6f);
  EXPECT_NEAR(c.X, 0.0f, 1e-6f);
  EXPECT_NEAR(c.Y, 1.0f, 1e-6f);
  EXPECT_NEAR(d.X, -1.0f, 1e-6f);
  EXPECT_NEAR(d.Y, 0.0f, 1e-6f);
}

TEST(PlaneVectorRotation, MatchesDoublePrecisionRotationWithinSinglePrecision) {
  for (float degrees : {5.0f, -5.0f, 2.9998798f, -37.5f, 179.0f}) {
    for (const PlaneVector& v : SampleVectors()) {
      SCOPED_TRACE(::testing::Message() << degrees << " deg, (" << v.X << ", " << v.Y << ")");
      const PlaneVector r = Rotated(v, TurnFor(degrees));
      const Exact e = RotatedExactly(v, degrees);
      const double scale = std::fabs(v.X) + std::fabs(v.Y);
      EXPECT_NEAR(r.X, e.x, 1e-6 * scale);
      EXPECT_NEAR(r.Y, e.y, 1e-6 * scale);
    }
  }
}

TEST(PlaneVectorRotation, TurningBackByTheNegatedAngleRestoresVectorsWithinRounding) {
  for (float degrees : {5.0f, 37.5f, -61.25f, 3.0f, 90.0f}) {
    SCOPED_TRACE(degrees);
    const PlaneVector a0{1.2563f, 4.9894f}, b0{-0.4050872f, 0.0176869f}, c0{100.0f, -50.0f},
        d0{0.0f, -0.3060455f};
    PlaneVector a = a0, b = b0, c = c0, d = d0;
    ASSERT_TRUE(RotateFour(a, b, c, d, degrees));
    ASSERT_TRUE(RotateFour(a, b, c, d, -degrees));
    for (const auto& [before, after] :
         {std::pair{a0, a}, std::pair{b0, b}, std::pair{c0, c}, std::pair{d0, d}}) {
      const float tolerance = 1e-6f * (std::fabs(before.X) + std::fabs(before.Y));
      EXPECT_NEAR(after.X, before.X, tolerance);
      EXPECT_NEAR(after.Y, before.Y, tolerance);
    }
    PlaneVector e = a0, f = b0, g = c0;
    ASSERT_TRUE(RotateThree(e, f, g, degrees));
    ASSERT_TRUE(RotateThree(e, f, g, -degrees));
    EXPECT_NEAR(e.X, a0.X, 1e-5f);
    EXPECT_NEAR(e.Y, a0.Y, 1e-5f);
    EXPECT_NEAR(f.X, b0.X, 1e-6f);
    EXPECT_NEAR(f.Y, b0.Y, 1e-6f);
    EXPECT_NEAR(g.X, c0.X, 2e-4f);
    EXPECT_NEAR(g.Y, c0.Y, 2e-4f);
  }
}

TEST(PlaneVectorRotation, RotateThreeTurnsEachVectorOnItsOwn) {
  const PlaneVector a0{0.0f, -0.3060455f}, b0{-0.4050872f, 0.0176869f}, c0{0.0f, 0.2706722f};
  for (float degrees : {5.0f, -2.9998798f, 45.0f}) {
    SCOPED_TRACE(degrees);
    const Turn t = TurnFor(degrees);
    PlaneVector a = a0, b = b0, c = c0;
    ASSERT_TRUE(RotateThree(a, b, c, degrees));
    // The same as turning each alone, and each result depends on its own input only.
    EXPECT_PRED2(SameBits, Rotated(a0, t), a);
    EXPECT_PRED2(SameBits, Rotated(b0, t), b);
    EXPECT_PRED2(SameBits, Rotated(c0, t), c);
    const Exact eb = RotatedExactly(b0, degrees);
    EXPECT_NEAR(b.X, eb.x, 1e-6);
    EXPECT_NEAR(b.Y, eb.y, 1e-6);
  }
}

TEST(PlaneVectorRotation, RotateFourTurnsEachVectorOnItsOwn) {
  const PlaneVector a0{0.2554f, -0.024f}, b0{0.2554f, -0.3300455f}, c0{-0.1496872f, -0.3123586f},
      d0{-0.1496872f, -0.0416864f};
  for (float degrees : {-5.29f, 5.0f, 120.0f}) {
    SCOPED_TRACE(degrees);
    const Turn t = TurnFor(degrees);
    PlaneVector a = a0, b = b0, c = c0, d = d0;
    ASSERT_TRUE(RotateFour(a, b, c, d, degrees));
    EXPECT_PRED2(SameBits, Rotated(a0, t), a);
    EXPECT_PRED2(SameBits, Rotated(b0, t), b);
    EXPECT_PRED2(SameBits, Rotated(c0, t), c);
    EXPECT_PRED2(SameBits, Rotated(d0, t), d);
    const Exact ec = RotatedExactly(c0, degrees);
    EXPECT_NEAR(c.X, ec.x, 1e-6);
    EXPECT_NEAR(c.Y, ec.y, 1e-6);
  }

  // Equal inputs give equal outputs wherever they stand.
  PlaneVector a{1.0f, 2.0f}, b{1.0f, 2.0f}, c{1.0f, 2.0f}, d{1.0f, 2.0f};
  ASSERT_TRUE(RotateFour(a, b, c, d, 33.0f));
  EXPECT_PRED2(SameBits, a, b);
  EXPECT_PRED2(SameBits, a, c);
  EXPECT_PRED2(SameBits, a, d);
}

// ---------------------------------------------------------------------------
// All-or-nothing failure of the in-place rotations.

// (3e38, 3e38) turned by 45 degrees has an X of about 4.2e38, beyond single precision.
constexpr PlaneVector kOverflowing{3e38f, 3e38f};

TEST(PlaneVectorRotationFailure, OverflowingResultIsNotFinite) {
  EXPECT_FALSE(IsFinite(Rotated(kOverflowing, TurnFor(45.0f))));
}

TEST(PlaneVectorRotationFailure, RotateThreeChangesNothingWhenAnyResultOverflows) {
  const PlaneVector ordinary0{1.0f, 2.0f}, ordinary1{-0.5f, 0.25f};
  for (int position = 0; position < 3; ++position) {
    SCOPED_TRACE(::testing::Message() << "overflowing vector at argument " << position);
    std::array<PlaneVector, 3> before = {ordinary0, ordinary1, ordinary0};
    before[position] = kOverflowing;
    std::array<PlaneVector, 3> v = before;
    EXPECT_FALSE(RotateThree(v[0], v[1], v[2], 45.0f));
    for (int i = 0; i < 3; ++i) EXPECT_PRED2(SameBits, before[i], v[i]);
  }
}

TEST(PlaneVectorRotationFailure, RotateFourChangesNothingWhenAnyResultOverflows) {
  const PlaneVector ordinary0{1.0f, 2.0f}, ordinary1{-0.5f, 0.25f};
  for (int position = 0; position < 4; ++position) {
    SCOPED_TRACE(::testing::Message() << "overflowing vector at argument " << position);
    std::array<PlaneVector, 4> before = {ordinary0, ordinary1, ordinary0, ordinary1};
    before[position] = kOverflowing;
    std::array<PlaneVector, 4> v = before;
    EXPECT_FALSE(RotateFour(v[0], v[1], v[2], v[3], 45.0f));
    for (int i = 0; i < 4; ++i) EXPECT_PRED2(SameBits, before[i], v[i]);
  }
}

TEST(PlaneVectorRotationFailure, LargeButRepresentableResultsStillSucceed) {
  // (3e38, 0) by 45 degrees stays near 2.1e38 in each component.
  PlaneVector a{3e38f, 0.0f}, b{1.0f, 0.0f}, c{0.0f, 1.0f};
  ASSERT_TRUE(RotateThree(a, b, c, 45.0f));
  EXPECT_NEAR(a.X / 2.1213203e38f, 1.0f, 1e-6f);
  EXPECT_NEAR(a.Y / -2.1213203e38f, 1.0f, 1e-6f);
  EXPECT_NEAR(b.X, 0.70710678f, 1e-6f);

  // The huge vector itself turned by zero stays where it is.
  PlaneVector d = kOverflowing, e{1.0f, 1.0f}, f{2.0f, 2.0f}, g{3.0f, 3.0f};
  ASSERT_TRUE(RotateFour(d, e, f, g, 0.0f));
  EXPECT_PRED2(SameBits, kOverflowing, d);
}

}  // namespace
}  // namespace tarnwick
