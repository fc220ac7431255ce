// The module data and the level predicted along an area, checked on hand-built arrays and
// against an independent double-precision complex sum of pressures.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <cstdint>
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

const DirectivityTable& Table() { return ModuleData().Directivity; }

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

// Each box a complex pressure of magnitude 10^(level / 20) and angle phase, summed in double.
// The tolerance covers single-precision rounding of distances, phases and levels only.
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
      const DirectivityPoint entry = Table()(k, band);
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

TEST(ModuleData, bandsStepByAThirdOctaveFrom100HzTo10kHzWithTheirOnAxisLevels) {
  EXPECT_DOUBLE_EQ(BandCentreFrequency(10), 1000.0);
  EXPECT_NEAR(BandCentreFrequency(0), 99.2, 0.05);
  for (int band = 0; band + 1 < BandCount; ++band)
    EXPECT_NEAR(BandCentreFrequency(band + 1) / BandCentreFrequency(band), std::cbrt(2.0), 1e-12);
  const std::array<float, BandCount> levels = {122,    122, 122.5f, 123, 123.5f, 123.5f, 124.5f,
                                               126,    126, 126,    126, 127,    128,    128,
                                               129.5f, 131, 132.5f, 133, 133,    133.5f, 134};
  EXPECT_EQ(ModuleData().BandLevel, levels);
}

TEST(ModuleData, directivityLookUpRoundsHalfStepsToEvenWithinTheTable) {
  // 36.5 steps (182.5 degrees) still round to index 72; 182.6 degrees no longer does.
  const std::pair<float, int> indices[] = {{2.5f, 36},   {-2.5f, 36},  {2.6f, 37},   {7.5f, 38},
                                           {12.5f, 38},  {-12.5f, 34}, {-17.5f, 32}, {177.6f, 72},
                                           {182.5f, 72}, {-182.5f, 0}, {182.6f, -1}, {-187.5f, -1},
                                           {1e30f, -1},  {NAN, -1}};
  for (const auto& [theta, k] : indices) EXPECT_EQ(DirectivityIndex(theta), k) << theta;
  const Constants& c = ModuleData();
  EXPECT_EQ(LookUpDirectivity(c, 10, -90.0f)->LevelDrop, 11.44f);
  EXPECT_EQ(LookUpDirectivity(c, 20, -12.5f)->Phase, 122.1f);  // served by -10 degrees
  EXPECT_EQ(LookUpDirectivity(c, 20, 2.5f)->Phase, 0.0f);
  EXPECT_FALSE(LookUpDirectivity(c, -1, 0.0f).has_value());
  EXPECT_FALSE(LookUpDirectivity(c, BandCount, 0.0f).has_value());
  EXPECT_FALSE(LookUpDirectivity(c, 10, 190.0f).has_value());
}

TEST(ModuleData, directivityHoldsTheReferenceValuesSymmetrically) {
  // Band, angle, level drop and phase of a few entries; every entry's mirror holds the same.
  const struct {
    int band, degrees;
    float drop, phase;
  } rows[] = {{0, 0, 0, 0},
              {0, 45, 0.38f, 81.9f},
              {0, 180, 1.91f, 43.4f},
              {10, 5, 0.18f, -25.9f},
              {10, 90, 11.44f, -137.8f},
              {10, 120, 15.21f, 154.7f},
              {20, 10, 16.32f, 122.1f},
              {20, 60, 21.88f, -115.9f},
              {20, 180, 39.69f, 41.2f}};
  for (const auto& r : rows) {
    const DirectivityPoint& e = Table()(OnAxisIndex + r.degrees / 5, r.band);
    EXPECT_EQ(e.LevelDrop, r.drop) << r.band << " at " << r.degrees;
    EXPECT_EQ(e.Phase, r.phase) << r.band << " at " << r.degrees;
  }
  for (int band = 0; band < BandCount; ++band)
    for (int m = 1; m <= 36; ++m) {
      const DirectivityPoint &below = Table()(OnAxisIndex - m, band),
                             &above = Table()(OnAxisIndex + m, band);
      EXPECT_TRUE(below.LevelDrop == above.LevelDrop && below.Phase == above.Phase) << band;
    }
}

TEST(OffAxisIndex, picksTheEntryOfTheExactAngleEvenNextToABoundaryAndWhenFollowed) {
  // Random directions and aims (a fixed sequence), and directions placed on and a hair
  // either side of the boundaries between entries, where a shortcut could round wrongly.
  std::uint64_t state = 42;
  auto next = [&state](double lo, double hi) {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return lo + (hi - lo) * double(state >> 11) / double(1ull << 53);
  };
  auto exact = [](PlaneVector d, float aim) {
    return DirectivityIndex(static_cast<float>(double(AngleFromVertical(d)) - aim));
  };
  int nearBoundary = 0;
  float aim = 0.0f;
  OffAxisTracker tracker;
  for (int i = 0; i < 400000; ++i) {
    if (i % 200 == 0) tracker = OffAxisTracker(aim = static_cast<float>(next(-90, 90)));
    PlaneVector d;
    if (i % 2 == 0) {
      d = {static_cast<float>(next(-50, 50)), static_cast<float>(next(-20, 20))};
    } else {
      const double boundary = 5.0 * std::floor(next(-18, 18)) + 2.5 + aim;
      if (std::fabs(boundary) >= 90) continue;
      const double angle = (boundary + next(-1e-5, 1e-5)) * std::numbers::pi / 180;
      const double r = next(0.5, 40);
      d = {static_cast<float>(r * std::sin(angle)),
           static_cast<float>(r * std::cos(angle) * (i % 4 == 1 ? 1 : -1))};
      ++nearBoundary;
    }
    ASSERT_EQ(tracker.Index(d), exact(d, aim)) << d.X << ", " << d.Y << " aim " << aim;
  }
  EXPECT_GT(nearBoundary, 100000);
  // Followed from point to point along lines, as along an area, with jumps back and forth
  // and points on the boundaries between entries.
  int kept = 0;
  for (int line = 0; line < 300; ++line) {
    aim = static_cast<float>(line % 10 == 0 ? 90 * (line % 20 == 0 ? 1 : -1) + 2.5 : next(-90, 90));
    OffAxisTracker follower(aim);
    const PlaneVector start{static_cast<float>(next(-5, 40)), static_cast<float>(next(-15, 15))};
    const PlaneVector step{static_cast<float>(next(-0.1, 0.1)),
                           static_cast<float>(next(-0.1, 0.1))};
    int previous = -2;
    for (int i = 0; i < 2000; ++i) {
      PlaneVector d = AddVectors(start, ScaleVector(step, float(i % 7 == 6 ? 2000 - i : i)));
      if (i % 5 == 4) {
        const double boundary = 5.0 * std::floor(next(-18, 18)) + 2.5 + aim;
        const double angle = (boundary + next(-1e-5, 1e-5)) * std::numbers::pi / 180;
        d = {static_cast<float>(10 * std::sin(angle)), static_cast<float>(10 * std::cos(angle))};
      }
      const int k = follower.Index(d);
      ASSERT_EQ(k, exact(d, aim)) << d.X << ", " << d.Y << " aim " << aim;
      kept += k == previous;
      previous = k;
    }
  }
  EXPECT_GT(kept, 200000);  // most steps stay in their entry, as along an area
  // Horizontal directions, the zero vector and a direction without a number, each after
  // a nearly horizontal one has set the entry followed.
  for (PlaneVector d : {PlaneVector{3, 0}, PlaneVector{-3, 0}, PlaneVector{0, 0},
                        PlaneVector{std::numeric_limits<float>::quiet_NaN(), 1}}) {
    OffAxisTracker primed(10.0f);
    primed.Index({3, 0.1f});
    EXPECT_EQ(primed.Index(d), exact(d, 10.0f));
  }
}

TEST(CalculateSPL, oneBoxFollowsTheDistanceLawAndItsDirectivity) {
  // Points 1 m to 3 m below or level with the source, aimed down or level: on the axis or
  // 90 degrees off it, where band 10 is 11.44 dB down.
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
  // One point 1 m below box A; box B 0.085 m higher (a quarter wavelength at 1 kHz) and
  // 20 log10(1.085) dB louder arrives equally loud.
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
  for (const auto& [length, count] :
       {std::pair{10.0f, 101u}, {1.25f, 13u}, {0.75f, 9u}, {0.0f, 1u}, {0.04f, 1u}}) {
    // A slope rising 3 in 5: each 0.1 m along it is (0.08, 0.06).
    Scene s({2, 1}, {0.8f * length, 0.6f * length});
    s.AddBox({1, 5}, {1, -1});
    const std::vector<SPLPoint> points = s.Predict();
    ASSERT_EQ(points.size(), count) << length;
    EXPECT_EQ(points[0].Position, (PlaneVector{2, 1}));
    for (std::size_t i = 0; i < points.size(); ++i) {
      EXPECT_NEAR(points[i].Position.X, 2 + 0.08 * i, 1e-5) << length << ", " << i;
      EXPECT_NEAR(points[i].Position.Y, 1 + 0.06 * i, 1e-5) << length << ", " << i;
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
  EXPECT_FALSE(rejects(1, 10));
  for (const auto& [area, band] : {std::pair{0, 10}, {4, 10}, {1, -1}, {1, BandCount}})
    EXPECT_TRUE(rejects(area, band)) << area << ", " << band;
  for (float length : {-1.0f, 10001.0f, NAN, INFINITY}) {
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
