// Unit tests of the SPL prediction along an area: the distance law and coherent summation
// on hand-built arrays, the point count and spacing, the mirror symmetry of the angles,
// the points without a defined level, and the default project against an independent
// complex sum of pressures in double precision.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <limits>
#include <numbers>
#include <vector>

#include "acoustics/ModuleData.h"
#include "acoustics/SplPrediction.h"
#include "geometry/ArrayGeometry.h"
#include "model/ProjectData.h"

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

// A project and geometry built by hand: area 1 from `start` along `direction`, no boxes.
struct Scene {
  ProjectData project;
  Graphics graphics;

  Scene(PlaneVector start, PlaneVector direction) {
    project.AreasAmount = 1;
    project.AreaLength[0] = static_cast<float>(std::hypot(direction.X, direction.Y));
    project.BoxesAmount = 0;
    graphics.AreaGeom[0].Start = start;
    graphics.AreaGeom[0].Direction = direction;
  }

  void AddBox(PlaneVector source, PlaneVector ray, float attenuation = 0.0f) {
    const int b = project.BoxesAmount++;
    graphics.BoxGeom[b].Source = source;
    graphics.BoxGeom[b].Ray = ray;
    project.BoxAttenuation[b] = attenuation;
  }

  std::vector<SPLPoint> Predict(int band = 10, int area = 1) const {
    std::vector<SPLPoint> points;
    EXPECT_TRUE(CalculateSPL(project, graphics, ModuleData(), area, band, points));
    return points;
  }
};

// The default project after a redraw of a 4:3 window.
Scene DefaultScene() {
  Scene s({0, 0}, {0, 0});
  s.project = MakeDefaultProject();
  ComputeSceneExtents(s.project, SceneFrame{false, 12000.0, 9000.0}, s.graphics);
  for (int i = 0; i < s.project.AreasAmount; ++i) ComputeAreaSlope(s.project, i, s.graphics);
  ComputeArrayGeometry(s.project, s.graphics);
  return s;
}

// Checks every point against an independent evaluation: each box a complex pressure of
// magnitude 10^(level / 20) and angle phase, summed in double.
//
// Single precision rounds each box's distance and phase to about 2^-24 of their size,
// which moves its phase by up to some 3 * 2^-24 of the phase itself (10 kHz at 25 m is
// 3 * 10^5 degrees); a pair of boxes then moves the power by up to twice that, in radians,
// of the squared sum of the magnitudes. Levels held in single precision and the up to 78
// roundings of the power sum add a few 10^-6 more. A wrong distance, angle, index or
// phase term moves the power by far more.
void ExpectMatchesReference(const Scene& s, int band, const std::vector<SPLPoint>& points) {
  using std::numbers::pi;
  const double frequency = 62.5 * std::exp2((band + 2) / 3.0);
  for (std::size_t i = 0; i < points.size(); ++i) {
    std::complex<double> sum;
    double magnitudes = 0.0, largestPhase = 0.0;
    for (int b = 0; b < s.project.BoxesAmount; ++b) {
      const BoxGeometry& box = s.graphics.BoxGeom[b];
      const double dx = double(points[i].Position.X) - box.Source.X;
      const double dy = double(points[i].Position.Y) - box.Source.Y;
      const double offAxis = (std::atan2(dx, std::fabs(dy)) -
                              std::atan2(double(box.Ray.X), std::fabs(double(box.Ray.Y)))) *
                             180.0 / pi;
      const int k = static_cast<int>(std::nearbyint(offAxis / 5.0)) + 36;
      const DirectivityPoint entry = ModuleData().Directivity(k, band);
      const double r = std::hypot(dx, dy);
      const double magnitude = std::pow(10.0, (ModuleData().BandLevel[band] - entry.LevelDrop -
                                               s.project.BoxAttenuation[b]) /
                                                  20.0) /
                               r;
      const double phase = 360.0 * frequency * r / 340.0 + entry.Phase;
      sum += std::polar(magnitude, phase * pi / 180.0);
      magnitudes += magnitude;
      largestPhase = std::max(largestPhase, std::fabs(phase) * pi / 180.0);
    }
    const double tolerance = (6.0 * std::ldexp(largestPhase, -24) + 1e-5) * magnitudes * magnitudes;
    EXPECT_NEAR(std::pow(10.0, points[i].SPL / 10.0), std::norm(sum), tolerance)
        << "band " << band << ", point " << i;
  }
}

const double kDoubling = 20.0 * std::log10(2.0);  // 6.02 dB

}  // namespace

TEST(CalculateSPL, oneBoxFollowsTheDistanceLawAndItsDirectivity) {
  // Points 1 m to 3 m straight below the source or level with it, the box aimed down or
  // level. A horizontal direction lies 90 degrees from the vertical, so each point is on the
  // axis or 90 degrees off it, where band 10 is 11.44 dB down.
  struct Case {
    PlaneVector start, direction, ray;
    double drop;
  };
  for (const Case c : {Case{{1, 4}, {0, -2}, {0, -3}, 0.0},
                       {{2, 5}, {2, 0}, {8, 0}, 0.0},
                       {{2, 5}, {2, 0}, {0, -1}, 11.44},
                       {{1, 4}, {0, -2}, {1, 0}, 11.44}}) {
    Scene s(c.start, c.direction);
    s.AddBox({1, 5}, c.ray);
    const std::vector<SPLPoint> points = s.Predict();
    ASSERT_EQ(points.size(), 21u);
    EXPECT_NEAR(points[0].SPL, 126.0 - c.drop, 1e-4);
    EXPECT_NEAR(points[10].SPL, 126.0 - c.drop - kDoubling, 1e-4);
    for (std::size_t i = 0; i < points.size(); ++i)
      EXPECT_NEAR(points[i].SPL, 126.0 - c.drop - 20.0 * std::log10(1.0 + 0.1 * i), 1e-4) << i;
    EXPECT_NEAR(points[10].Distance, 2.0f, 1e-6f);
  }
}

TEST(CalculateSPL, addsBoxesAsComplexPressures) {
  // One listener point (length 0) 1 m below box A. Box B sits 0.085 m higher, a quarter
  // wavelength at 1 kHz, and is 20 log10(1.085) dB louder, so both arrive equally loud.
  Scene one({1, 4}, {0, 0});
  one.AddBox({1, 5}, {0, -1});
  Scene inPhase = one;
  inPhase.AddBox({1, 5}, {0, -1});
  Scene quarter({1, 4}, {0, 0});
  quarter.AddBox({1, 5}, {0, -1}, static_cast<float>(20.0 * std::log10(1.085)));
  Scene quarterOne = quarter;
  quarter.AddBox({1, 5.085f}, {0, -1});

  EXPECT_NEAR(inPhase.Predict()[0].SPL - one.Predict()[0].SPL, kDoubling, 1e-4);
  EXPECT_NEAR(quarter.Predict()[0].SPL - quarterOne.Predict()[0].SPL, kDoubling / 2, 1e-3);
  ExpectMatchesReference(quarter, 10, quarter.Predict());
}

TEST(CalculateSPL, placesPointsEveryTenthOfAMetreRoundingTheCountHalfToEven) {
  struct Case {
    float length;
    std::size_t points;
  };
  for (const Case c : {Case{10.0f, 101}, {1.25f, 13}, {0.75f, 9}, {0.0f, 1}, {0.04f, 1}}) {
    // A slope rising 3 in 5: each 0.1 m along it is (0.08, 0.06).
    Scene s({2, 1}, {0.8f * c.length, 0.6f * c.length});
    s.AddBox({1, 5}, {1, -1});
    const std::vector<SPLPoint> points = s.Predict();
    ASSERT_EQ(points.size(), c.points) << c.length;
    EXPECT_EQ(points[0].Position, (PlaneVector{2, 1}));
    for (std::size_t i = 0; i < points.size(); ++i) {
      EXPECT_NEAR(points[i].Position.X, 2 + 0.08 * i, 1e-5) << c.length << ", " << i;
      EXPECT_NEAR(points[i].Position.Y, 1 + 0.06 * i, 1e-5) << c.length << ", " << i;
    }
  }
}

TEST(CalculateSPL, disregardsWhetherAimsAndPointsLieAboveOrBelow) {
  // Mirror images in the horizontal through the first source: same levels everywhere.
  Scene below({3, -1}, {10, -2}), above({3, 1}, {10, 2});
  below.AddBox({1, 0}, {4, -1.5f});
  below.AddBox({1, -0.3f}, {4, -0.5f});
  above.AddBox({1, 0}, {4, 1.5f});
  above.AddBox({1, 0.3f}, {4, 0.5f});
  const std::vector<SPLPoint> a = below.Predict(), b = above.Predict();
  ASSERT_EQ(a.size(), b.size());
  for (std::size_t i = 0; i < a.size(); ++i) {
    EXPECT_EQ(a[i].SPL, b[i].SPL) << i;
    EXPECT_GT(a[i].SPL, 90.0f) << i;
  }
  ExpectMatchesReference(above, 10, b);
}

TEST(CalculateSPL, givesTheFloorLevelWhereNoLevelIsDefined) {
  // The first point lies on the source of the second box.
  Scene onSource({1, 5}, {0, -2});
  onSource.AddBox({1, 6}, {0, -1});
  onSource.AddBox({1, 5}, {0, -1});
  const std::vector<SPLPoint> points = onSource.Predict();
  EXPECT_EQ(points[0].SPL, SPLFloor);
  EXPECT_EQ(points[0].Distance, 0.0f);
  EXPECT_TRUE(std::isfinite(points[1].SPL) && points[1].SPL > 100.0f);

  // Boxes so far down that their pressures underflow to 0, and no boxes at all.
  Scene silent({3, 1}, {2, 0});
  silent.AddBox({1, 5}, {1, -1}, 1000.0f);
  silent.AddBox({1, 4.7f}, {1, -1}, 1000.0f);
  Scene empty({3, 1}, {2, 0});
  for (const Scene* s : {&silent, &empty})
    for (const SPLPoint& p : s->Predict()) EXPECT_EQ(p.SPL, SPLFloor);
}

TEST(CalculateSPL, rejectsAreasBandsAndLengthsItCannotSample) {
  Scene s({3, 1}, {2, 0});
  s.AddBox({1, 5}, {1, -1});
  auto rejects = [&](int area, int band) {
    std::vector<SPLPoint> points(5);
    return !CalculateSPL(s.project, s.graphics, ModuleData(), area, band, points) && points.empty();
  };
  EXPECT_TRUE(rejects(0, 10));
  EXPECT_TRUE(rejects(4, 10));
  EXPECT_TRUE(rejects(1, -1));
  EXPECT_TRUE(rejects(1, BandCount));
  EXPECT_FALSE(rejects(1, 10));
  for (float length : {-1.0f, 10001.0f, std::numeric_limits<float>::quiet_NaN(),
                       std::numeric_limits<float>::infinity()}) {
    s.project.AreaLength[0] = length;
    EXPECT_TRUE(rejects(1, 10)) << length;
  }
}

TEST(CalculateSPL, matchesTheComplexSumOfPressuresAtEveryPoint) {
  const Scene s = DefaultScene();
  // Points under, before and behind three boxes aimed every way: off-axis angles all round.
  Scene wide({-10, 0}, {20, 3});
  wide.AddBox({0, 5}, {1, -0.3f});
  wide.AddBox({0.2f, 4}, {0.5f, 1}, 6);
  wide.AddBox({-0.3f, 6}, {-1, -0.2f}, 99);
  for (int band : {0, 10, 20}) {
    const std::vector<SPLPoint> points = s.Predict(band);
    ASSERT_EQ(points.size(), 101u);
    const PlaneVector last = s.graphics.BoxGeom[11].Source;
    EXPECT_NEAR(points[100].Distance,
                std::hypot(points[100].Position.X - last.X, points[100].Position.Y - last.Y), 1e-5);
    ExpectMatchesReference(s, band, points);
    ExpectMatchesReference(wide, band, wide.Predict(band));
  }
  const std::vector<SPLPoint> third = s.Predict(10, 3);
  ASSERT_EQ(third.size(), 41u);
  EXPECT_EQ(third[0].Position, s.graphics.AreaGeom[2].Start);
  ExpectMatchesReference(s, 10, third);

  // More than 12 boxes in use reads no further than the 12 there are.
  Scene many = s;
  many.project.BoxesAmount = 40;
  const std::vector<SPLPoint> a = s.Predict(), b = many.Predict();
  for (std::size_t i = 0; i < a.size(); ++i) EXPECT_EQ(a[i].SPL, b[i].SPL);
}

TEST(CalculateSPL, stillSumsABoxTurnedOff) {
  Scene off = DefaultScene(), without = off;
  off.project.BoxAttenuation[11] = BoxOffAttenuation;
  without.project.BoxesAmount = 11;
  const std::vector<SPLPoint> a = off.Predict(), b = without.Predict();
  int changed = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    EXPECT_NEAR(a[i].SPL, b[i].SPL, 0.01) << i;
    changed += a[i].SPL != b[i].SPL;
  }
  EXPECT_GT(changed, 50);
}
