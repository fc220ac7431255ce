// Directivity look-up and levels along an area: hand-built scenes and tools/make_expected.py.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "acoustics/ModuleData.h"
#include "acoustics/PlainSum.h"
#include "acoustics/SplKernel.h"
#include "acoustics/SplPrediction.h"
#include "geometry/ArrayGeometry.h"
#include "model/ProjectData.h"
#include "support/DataTable.h"

using namespace tarnwick;

namespace {

// Area 1 from `start` along `direction`, and boxes placed by hand.
struct Scene {
  ProjectData project;
  Graphics graphics;

  Scene(PlaneVector start, PlaneVector direction) {
    project.AreaLength[0] = static_cast<float>(std::hypot(direction.X, direction.Y));
    project.BoxesAmount = 0;
    graphics.AreaGeom[0].Start = start;
    graphics.AreaGeom[0].Direction = direction;
  }
  Scene& Box(PlaneVector source, PlaneVector ray, float attenuation = 0.0f) {
    graphics.BoxGeom[project.BoxesAmount].Source = source;
    graphics.BoxGeom[project.BoxesAmount].Ray = ray;
    project.BoxAttenuation[project.BoxesAmount++] = attenuation;
    return *this;
  }
  std::vector<SPLPoint> Predict(int band = 10, int area = 1) const {
    std::vector<SPLPoint> points;
    EXPECT_TRUE(CalculateSPL(project, graphics, ModuleData(), area, band, points));
    return points;
  }
};

// The default project with a table's first eight columns, redrawn.
Scene TableScene(std::istream& in) {
  Scene s({0, 0}, {0, 0});
  s.project = ReadTableProject(in);
  Redraw(s.project, s.graphics);
  return s;
}

// The levels along an area by the steps of docs/model.md, "The coherent sum", written out
// plainly, a cosine for every pair of boxes, with the directivity index from OffAxisIndex:
// what CalculateSPL must give to within 1e-4 dB whichever way it computes.
std::vector<SPLPoint> PlainStepLevels(const Scene& s, int area, int band) {
  const Constants& c = ModuleData();
  const ProjectData& p = s.project;
  const double ln10 = std::log(10.0);
  const float length = p.AreaLength[area - 1];
  const AreaGeometry& slope = s.graphics.AreaGeom[area - 1];
  std::vector<SPLPoint> points(std::size_t(std::nearbyint(double(length) * 10.0)) + 1);
  for (std::size_t i = 0; i < points.size(); ++i) {
    SPLPoint& point = points[i];
    point.Position = i == 0 ? slope.Start
                            : AddVectors(slope.Start, ScaleVector(slope.Direction,
                                                                  float(0.1 * double(i) / length)));
    std::vector<double> amplitude, phase;
    for (int b = 0; b < p.BoxesAmount; ++b) {
      const BoxGeometry& box = s.graphics.BoxGeom[b];
      const PlaneVector d = AddVectors(point.Position, NegateVector(box.Source));
      const auto r = float(std::sqrt(double(d.Y) * d.Y + double(d.X) * d.X));
      const int k = OffAxisIndex(d, AngleFromDown(box.Ray));
      point.DistanceFromLastBox = r;
      if (k < 0 || r == 0.0f) continue;
      const DirectivityPoint& entry = c.Directivity(k, band);
      const auto level = float(double(c.BandLevel[band]) - entry.LevelDrop - p.BoxAttenuation[b] -
                               20.0 * std::log(std::fabs(double(r))) / ln10);
      amplitude.push_back(float(std::exp(double(level) * (ln10 / 20.0))));
      phase.push_back(float(BandCentreFrequency(band) * (double(r) * 360.0) / 340.0 + entry.Phase));
    }
    float sum = 0.0f;
    for (std::size_t j = 0; j < amplitude.size(); ++j) {
      sum = float(sum + amplitude[j] * amplitude[j]);
      for (std::size_t m = j + 1; m < amplitude.size(); ++m)
        sum = float(sum + 2.0 * amplitude[j] * amplitude[m] *
                              std::cos((phase[j] - phase[m]) * 3.14159265358979 / 180.0));
    }
    const bool defined = int(amplitude.size()) == p.BoxesAmount && sum > 0 && std::isfinite(sum);
    point.SPL = defined ? float(10.0 * std::log(double(sum)) / ln10) : SPLFloor;
  }
  return points;
}

}  // namespace

TEST(ModuleData, directivityLookUpRoundsHalfStepsToEvenWithinTheTable) {
  // 36.5 steps (182.5 degrees) still round to index 72; 182.6 degrees no longer does.
  const std::pair<float, int> indices[] = {{2.5f, 36},   {-2.5f, 36},  {2.6f, 37},   {7.5f, 38},
                                           {12.5f, 38},  {-12.5f, 34}, {-17.5f, 32}, {177.6f, 72},
                                           {182.5f, 72}, {-182.5f, 0}, {182.6f, -1}, {-187.5f, -1},
                                           {1e30f, -1},  {NAN, -1}};
  for (const auto& [theta, k] : indices) EXPECT_EQ(DirectivityIndex(theta), k) << theta;
  const Constants& c = ModuleData();
  EXPECT_EQ(LookUpDirectivity(c, 20, -12.5f)->Phase, 122.1f);  // served by -10 degrees
  for (const auto& [band, theta] : {std::pair{-1, 0.0f}, {BandCount, 0.0f}, {10, 190.0f}})
    EXPECT_FALSE(LookUpDirectivity(c, band, theta).has_value()) << band << " " << theta;
}

TEST(OffAxisIndex, followedEntriesMatchTheExactAngleEvenAHairFromABoundary) {
  // Random lines of points (fixed seed) with jumps; every fifth direction a hair from a boundary.
  std::mt19937_64 random(42);
  auto next = [&](double lo, double hi) { return std::uniform_real_distribution(lo, hi)(random); };
  int kept = 0;
  for (int line = 0, previous = -2; line < 300; ++line) {
    const auto aim = float(line % 10 ? next(-180, 180) : line % 20 ? -87.5 : 92.5);
    OffAxisTracker follower(aim);
    const PlaneVector start{float(next(-5, 40)), float(next(-15, 15))};
    const PlaneVector step{float(next(-0.1, 0.1)), float(next(-0.1, 0.1))};
    for (int i = 0; i < 2000; ++i) {
      PlaneVector d = AddVectors(start, ScaleVector(step, float(i % 7 == 6 ? 2000 - i : i)));
      const double boundary = 5 * std::floor(next(-18, 18)) + 2.5 + aim + next(-1e-5, 1e-5);
      if (i % 5 == 4)
        d = {float(10 * std::sin(boundary * std::numbers::pi / 180)),
             float((i % 2 ? 10 : -10) * std::cos(boundary * std::numbers::pi / 180))};
      const int k = follower.Index(d);
      ASSERT_EQ(k, OffAxisIndex(d, aim)) << d.X << ", " << d.Y << " aim " << aim;
      kept += k == std::exchange(previous, k);
    }
  }
  EXPECT_GT(kept, 200000);  // most steps stay in their entry
  for (PlaneVector d : {PlaneVector{3, 0}, {-3, 0}, {0, 0}, {NAN, 1}}) {  // after near horizontal
    OffAxisTracker primed(10.0f);
    primed.Index({3, 0.1f});
    EXPECT_EQ(primed.Index(d), OffAxisIndex(d, 10.0f));
  }
  // Directions no area gives, tried first against every few entries, and aims the table
  // cannot follow round (beyond +-180 degrees, or none).
  const float big = 3e38f, tiny = 1e-45f;
  const PlaneVector odd[] = {{INFINITY, 1}, {1, -INFINITY}, {-INFINITY, INFINITY},
                             {big, big},    {big, -big},    {tiny, -tiny},
                             {-tiny, 0},    {0, 0},         {NAN, 1},
                             {2, -1},       {-1, 2}};
  for (const float aim :
       {0.0f, 90.0f, -90.0f, 180.0f, -180.0f, 37.5f, 400.0f, -1e30f, INFINITY, NAN})
    for (int entry = -1; entry <= DirectivityAngleCount; entry += 2)
      for (PlaneVector d : odd) {
        OffAxisTracker follower(aim, entry);
        EXPECT_EQ(follower.Index(d), OffAxisIndex(d, aim))
            << d.X << ", " << d.Y << " aim " << aim << " from " << entry;
      }
}

TEST(CalculateSPL, everyTabledLevelMatchesTheDoublePrecisionEvaluation) {
  int checked = 0;  // columns after the project: area, band, point, level, tolerance (dB)
  ForEachRow("spl_levels.csv", [&](std::istringstream& row) {
    const Scene s = TableScene(row);
    int area = 0, band = 0, i = 0;
    double level = 0, tolerance = 0;
    row >> area >> band >> i >> level >> tolerance;
    const std::vector<SPLPoint> points = s.Predict(band, area);
    ASSERT_EQ(points.size(), std::size_t(10 * s.project.AreaLength[area - 1] + 1)) << row.str();
    EXPECT_NEAR(points.at(i).SPL, level, tolerance) << row.str();
    ++checked;
  });
  EXPECT_GT(checked, 500);
}

TEST(CalculateSPL, placesPointsEveryTenthOfAMetreRoundingTheCountHalfToEven) {
  for (const auto& [length, count] :
       {std::pair{10.0f, 101u}, {1.25f, 13u}, {0.75f, 9u}, {0.0f, 1u}, {0.04f, 1u}}) {
    // A slope rising 3 in 5: each 0.1 m along it is (0.08, 0.06).
    const auto points =
        Scene({2, 1}, {0.8f * length, 0.6f * length}).Box({1, 5}, {1, -1}).Predict();
    ASSERT_EQ(points.size(), count) << length;
    for (std::size_t i = 0; i < points.size(); ++i) {
      const PlaneVector at{float(2 + 0.08 * i), float(1 + 0.06 * i)};
      EXPECT_LT(std::hypot(points[i].Position.X - at.X, points[i].Position.Y - at.Y), 1e-5) << i;
      EXPECT_NEAR(points[i].DistanceFromLastBox, std::hypot(at.X - 1.0, at.Y - 5.0), 1e-5);
    }
  }
}

TEST(CalculateSPL, takesLevelDirectionsAsNinetyDegreesFromTheVertical) {
  // Below a level box and level with a downward one: 90 degrees off axis, 11.44 dB down at 1 kHz.
  for (const auto& [start, direction, ray, drop] :
       {std::tuple{PlaneVector{1, 4}, PlaneVector{0, -2}, PlaneVector{1, 0}, 11.44},
        {{2, 5}, {2, 0}, {0, -1}, 11.44},
        {{2, 5}, {2, 0}, {8, 0}, 0.0}}) {
    const auto points = Scene(start, direction).Box({1, 5}, ray).Predict();
    for (std::size_t i = 0; i < points.size(); ++i)
      EXPECT_NEAR(points[i].SPL, 126 - drop - 20 * std::log10(1 + 0.1 * i), 1e-4) << i;
  }
  // Mirrored in the horizontal, a scene sounds the same; a box aimed 45 degrees up hears a
  // point 45 degrees below it 90 degrees off its axis, not on it.
  const auto a =
      Scene({3, -1}, {10, -2}).Box({1, 0}, {4, -1.5f}).Box({1, -0.3f}, {4, -0.5f}).Predict();
  const auto b = Scene({3, 1}, {10, 2}).Box({1, 0}, {4, 1.5f}).Box({1, 0.3f}, {4, 0.5f}).Predict();
  ASSERT_EQ(a.size(), b.size());
  for (std::size_t i = 0; i < a.size(); ++i)
    EXPECT_TRUE(a[i].SPL == b[i].SPL && a[i].SPL > 90.0f) << i << ": " << a[i].SPL << b[i].SPL;
  const auto up = Scene({2, 4}, {0.3f, -0.3f}).Box({1, 5}, {1, 1}).Predict();
  for (std::size_t i = 0; i < up.size(); ++i)
    EXPECT_NEAR(up[i].SPL, 126 - 11.44 - 20 * std::log10(std::sqrt(2.0) + 0.1 * i), 1e-4);
}

TEST(OffAxisIndex, keepsTheTangentAngleOfEveryDirectionBelowABoxToTheLastBit) {
  // Below the horizontal the angle is the tangent's arc, the difference of two singles.
  const auto tangentAngle = [](PlaneVector v) {
    return static_cast<float>(std::atan(double(v.X) / std::fabs(double(v.Y))) * 180.0 /
                              3.14159265358979);
  };
  std::mt19937_64 random(7);
  std::uniform_real_distribution<float> x(-60, 60), y(-30, -1e-3f);
  for (int i = 0; i < 1000000; ++i) {
    const PlaneVector d{x(random), y(random)}, ray{x(random), y(random)};
    const float aim = tangentAngle(ray);
    ASSERT_EQ(AngleFromDown(ray), aim);
    ASSERT_EQ(OffAxisIndex(d, aim),
              DirectivityIndex(static_cast<float>(double(tangentAngle(d)) - aim)));
  }
  // Above, the angle runs on round to the back, which is 180 degrees, not -180.
  for (const auto& [v, angle] : {std::pair{PlaneVector{1, 1}, 135.0f},
                                 {{-1, 1}, -135.0f},
                                 {{0, 1}, 180.0f},
                                 {{-0.0f, 1}, 180.0f},
                                 {{-1, 0}, -90.0f}})
    EXPECT_EQ(AngleFromDown(v), angle) << v.X << ", " << v.Y;
  EXPECT_EQ(OffAxisAngle(-170, 20), 170.0f);
  EXPECT_EQ(OffAxisAngle(170, -10), 180.0f);
}

TEST(CalculateSPL, givesTheFloorLevelWhereNoLevelIsDefinedAndRefusesWhatItCannotSample) {
  // Point 0 is on box 2's source; at point 1 both are on axis, 1.1 m and 0.1 m away (1 m lag).
  const auto points = Scene({1, 5}, {0, -2}).Box({1, 6}, {0, -1}).Box({1, 5}, {0, -1}).Predict();
  EXPECT_EQ(points[0].SPL, SPLFloor);
  const double lag = 2 * std::numbers::pi * 1000 / 340.0;
  EXPECT_NEAR(points[1].SPL, 146 + 10 * std::log10(1 + 1 / 121.0 + 2 / 11.0 * std::cos(lag)), 0.01);
  // Boxes so far down that their pressures underflow to 0, and no boxes at all.
  for (const Scene& s :
       {Scene({3, 1}, {2, 0}).Box({1, 5}, {1, -1}, 1e3f).Box({1, 4.7f}, {1, -1}, 1e3f),
        Scene({3, 1}, {2, 0})})
    for (const SPLPoint& p : s.Predict()) EXPECT_EQ(p.SPL, SPLFloor);
  // Areas, bands and lengths it cannot sample are refused with no points.
  Scene s = Scene({3, 1}, {2, 0}).Box({1, 5}, {1, -1});
  auto rejects = [&](int area, int band, float length = 2) {
    std::vector<SPLPoint> points(5);
    s.project.AreaLength[0] = length;
    return !CalculateSPL(s.project, s.graphics, ModuleData(), area, band, points) && points.empty();
  };
  for (const auto& [area, band] : {std::pair{0, 10}, {4, 10}, {1, -1}, {1, BandCount}})
    EXPECT_TRUE(rejects(area, band)) << area << ", " << band;
  for (float length : {-1.0f, 10001.0f, NAN, INFINITY})
    EXPECT_TRUE(rejects(1, 10, length)) << length;
}

TEST(CalculateSPL, sumsABoxTurnedOffButNoBoxBeyondTwelve) {
  std::istringstream row("0 9 12 05000055555 1 0 5 3");
  const Scene all = TableScene(row);
  Scene off = all, without = all, many = all;
  std::tie(off.project.BoxAttenuation[11], without.project.BoxesAmount, many.project.BoxesAmount) =
      std::tuple(BoxOffAttenuation, 11, 40);
  const auto a = off.Predict(), b = without.Predict(), c = all.Predict(), d = many.Predict();
  int changed = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    EXPECT_NEAR(a[i].SPL, b[i].SPL, 0.01) << i;
    changed += a[i].SPL != b[i].SPL;
    EXPECT_EQ(c[i].SPL, d[i].SPL) << i;
  }
  EXPECT_GT(changed, 50);
}

TEST(CalculateSPL, staysWithinATenThousandthOfADecibelOfTheDesignedStepsOnEveryKernel) {
  // Every band along every area in use of random projects (fixed seed) and of a few scenes
  // with points where no level is defined, by the fastest kernel this processor runs and
  // by the portable one.
  long long compared = 0, identical = 0, outside = 0;
  double worst = 0.0;
  auto compare = [&](const Scene& s, int area, int band) {
    const std::vector<SPLPoint> plain = PlainStepLevels(s, area, band);
    for (const SplKernel kernel : {FastestSplKernel(), &PortableSplKernel}) {
      std::vector<SPLPoint> points;
      ASSERT_TRUE(
          CalculateSPLWith(kernel, s.project, s.graphics, ModuleData(), area, band, points));
      ASSERT_EQ(points.size(), plain.size());
      for (std::size_t i = 0; i < points.size(); ++i) {
        const SPLPoint &got = points[i], &want = plain[i];
        ASSERT_TRUE(got.Position == want.Position &&
                    got.DistanceFromLastBox == want.DistanceFromLastBox)
            << i;
        const double difference = std::fabs(double(got.SPL) - want.SPL);
        worst = std::max(worst, difference);
        ++compared;
        identical += got.SPL == want.SPL;
        if (!(difference <= 1e-4) && ++outside <= 5)
          ADD_FAILURE() << "area " << area << " band " << band << " point " << i << ": " << got.SPL
                        << " against " << want.SPL;
      }
    }
  };
  std::mt19937_64 random(2027);
  auto next = [&](double lo, double hi) { return std::uniform_real_distribution(lo, hi)(random); };
  for (int n = 0; n < 24; ++n) {
    Scene s({0, 0}, {0, 0});
    ProjectData& p = s.project = MakeDefaultProject();
    p.BoxesAmount = 2 + int(random() % 11);
    for (float& splay : p.BoxAngle) splay = random() % 2 ? 5.0f : 0.0f;
    for (float& attenuation : p.BoxAttenuation)
      attenuation = random() % 8 ? float(random() % 13) : BoxOffAttenuation;
    p.FlybarPin = 1 + int(random() % 9);
    p.FlybarMounting = int(random() % 2);
    p.AutomaticInclCalc = int(random() % 2);
    p.InclinationAngle = float(next(-15, 15));
    p.FloorDistance = float(next(2, 15));
    p.AreasAmount = 1 + n % 3;
    for (int a = 0; a < MaxAreas; ++a) {
      p.AreaDistance[a] = float(next(0, 25));
      p.AreaLength[a] = float(next(1, 15));
      p.AreaHeight1[a] = float(next(-1, 4));
      p.AreaHeight2[a] = float(next(-1, 8));
    }
    ComputeScene(p, FirstWindowFrame, s.graphics);
    for (int area = 1; area <= p.AreasAmount; ++area)
      for (int band = 0; band < BandCount; ++band) compare(s, area, band);
  }
  // A point on a source, pressures that underflow, no boxes, and an area from above two
  // boxes to below them.
  for (const Scene& s :
       {Scene({1, 5}, {0, -2}).Box({1, 6}, {0, -1}).Box({1, 5}, {0, -1}),
        Scene({3, 1}, {2, 0}).Box({1, 5}, {1, -1}, 1e3f).Box({1, 4.7f}, {1, -1}, 1e3f),
        Scene({3, 1}, {2, 0}),
        Scene({2, 8}, {0, -9}).Box({1, 4}, {1, -0.2f}).Box({1, 3.7f}, {1, 0})})
    for (int band = 0; band < BandCount; ++band) compare(s, 1, band);
  std::printf("%lld levels compared, %lld identical to the last bit, largest difference %.3g dB\n",
              compared, identical, worst);
  EXPECT_EQ(outside, 0);
  EXPECT_GT(compared, 100000);
  EXPECT_GT(identical, compared * 9 / 10);
}

TEST(CalculateSPL, countsWhatEachKernelEvaluatesOnlyWhenAsked) {
  // 21 points and 2 boxes: per box and point a logarithm, an exponential, a sine and a
  // cosine, per point 3 additions to its sum and the logarithm of it (the vector kernel
  // evaluates 24 lanes); per box its aim's arctangent, sine and cosine (as many lanes).
  const Scene s = Scene({3, 1}, {2, 0}).Box({1, 5}, {1, -1}).Box({1, 4.7f}, {1, -1});
  for (const SplKernel kernel : {FastestSplKernel(), &PortableSplKernel}) {
    SplWork work;
    std::vector<SPLPoint> counted, plain;
    ASSERT_TRUE(
        CalculateSPLWith(kernel, s.project, s.graphics, ModuleData(), 1, 10, counted, &work));
    ASSERT_TRUE(CalculateSPLWith(kernel, s.project, s.graphics, ModuleData(), 1, 10, plain));
    ASSERT_EQ(counted.size(), 21u);
    for (std::size_t i = 0; i < plain.size(); ++i) EXPECT_EQ(counted[i].SPL, plain[i].SPL) << i;
    const long long lanes = kernel == &PortableSplKernel ? 21 : 24;
    EXPECT_EQ(work.logarithms, 3 * lanes);
    EXPECT_EQ(work.exponentials, 2 * lanes);
    EXPECT_EQ(work.sumTerms, 3 * lanes);
    for (const long long aims : {work.sines - 2 * lanes, work.cosines - 2 * lanes})
      EXPECT_TRUE(aims == 2 || aims == 4) << aims;
    EXPECT_GE(work.arctangents, 2);
  }
}
