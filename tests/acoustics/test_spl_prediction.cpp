// Directivity look-up and levels along an area: hand-built scenes and tools/make_expected.py.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <tuple>
#include <utility>
#include <vector>

#include "acoustics/PlainSum.h"
#include "acoustics/SplKernel.h"
#include "support/DataTable.h"

using namespace tarnwick;

namespace {

// A project redrawn, or area 1 from `start` along `direction` and boxes placed by hand.
struct Scene : Hung {
  using Hung::Hung;
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

// The levels along an area by the steps of docs/model.md, "The coherent sum", written out
// plainly, a cosine for every pair of boxes, with the directivity index from OffAxisIndex:
// what CalculateSPL must give to within 1e-4 dB whichever way it computes.
std::vector<SPLPoint> PlainStepLevels(const Scene& s, int area, int band) {
  const Constants& c = ModuleData();
  const ProjectData& p = s.project;
  const double ln10 = std::log(10.0);
  std::vector<SPLPoint> points;
  for (const AreaPoint& at : AreaPoints(p, s.graphics, area)) {
    SPLPoint& point = points.emplace_back(SPLPoint{at.Position, 0.0f, 0.0f});
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
                              std::cos((phase[j] - phase[m]) * Pi / 180.0));
    }
    const bool defined = int(amplitude.size()) == p.BoxesAmount && sum > 0 && std::isfinite(sum);
    point.SPL = defined ? float(10.0 * std::log(double(sum)) / ln10) : SPLFloor;
  }
  return points;
}

}  // namespace

TEST(ModuleData, directivityLookUpRoundsHalfStepsToEvenWithinTheTable) {
  // 36.5 steps (182.5 degrees) still round to index 72; 182.6 degrees no longer does.
  const std::pair<float, int> indices[] = {{2.5f, 36},    {-2.5f, 36},  {2.6f, 37},   {7.5f, 38},
                                           {-17.5f, 32},  {182.5f, 72}, {-182.5f, 0}, {182.6f, -1},
                                           {-187.5f, -1}, {1e30f, -1},  {NAN, -1}};
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
  for (int line = 0; line < 300; ++line) {
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
      ASSERT_EQ(follower.Index(d), OffAxisIndex(d, aim)) << d.X << ", " << d.Y << " aim " << aim;
    }
  }
  // Level directions and ones no area gives, tried first against every few entries, and
  // aims the table cannot follow round (beyond +-180 degrees, or none).
  const float big = 3e38f, tiny = 1e-45f;
  const PlaneVector odd[] = {{0, 0},      {3, 0},        {-3, 0},
                             {NAN, 1},    {tiny, -tiny}, {-tiny, 0},
                             {big, -big}, {INFINITY, 1}, {-INFINITY, INFINITY}};
  for (const float aim : {0.0f, 90.0f, -90.0f, 180.0f, 37.5f, 400.0f, NAN})
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
    const Scene s(ReadTableProject(row));
    int area = 0, band = 0, i = 0;
    double level = 0, tolerance = 0;
    row >> area >> band >> i >> level >> tolerance;
    const std::vector<SPLPoint> points = s.Predict(band, area);
    EXPECT_NEAR(points.at(i).SPL, level, tolerance) << row.str();
    ++checked;
  });
  EXPECT_GT(checked, 500);
}

TEST(OffAxisIndex, keepsTheTangentAngleOfEveryDirectionBelowABoxToTheLastBit) {
  // Below the horizontal the angle is the tangent's arc, the difference of two singles.
  const auto tangentAngle = [](PlaneVector v) {
    return static_cast<float>(std::atan(double(v.X) / std::fabs(double(v.Y))) * 180.0 / Pi);
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
  // Above, the angle runs on round to the back, which is 180 degrees, not -180; a level
  // direction lies 90 degrees from the vertical.
  const std::pair<PlaneVector, float> angles[] = {{{1, 1}, 135},     {{-1, 1}, -135}, {{0, 1}, 180},
                                                  {{-0.0f, 1}, 180}, {{-1, 0}, -90},  {{1, 0}, 90}};
  for (const auto& [v, angle] : angles) EXPECT_EQ(AngleFromDown(v), angle) << v.X << ", " << v.Y;
  EXPECT_EQ(OffAxisAngle(-170, 20), 170.0f);
  EXPECT_EQ(OffAxisAngle(170, -10), 180.0f);
}

TEST(CalculateSPL, givesTheFloorLevelWhereNoLevelIsDefinedAndRefusesWhatItCannotSample) {
  // Point 0 is on box 2's source; at point 1 both are on axis, 1.1 m and 0.1 m away (1 m lag).
  const auto points = Scene({1, 5}, {0, -2}).Box({1, 6}, {0, -1}).Box({1, 5}, {0, -1}).Predict();
  EXPECT_EQ(points[0].SPL, SPLFloor);
  const double lag = 2 * std::numbers::pi * 1000 / 340.0;
  EXPECT_NEAR(points[1].SPL, 146 + 10 * std::log10(1 + 1 / 121.0 + 2 / 11.0 * std::cos(lag)), 0.01);
  // Bands, and areas AreaPoints gives no points for, are refused with none.
  const Scene s = Scene({3, 1}, {2, 0}).Box({1, 5}, {1, -1});
  for (const auto& [area, band] : {std::pair{4, 10}, {1, -1}, {1, BandCount}}) {
    std::vector<SPLPoint> points(5);
    EXPECT_FALSE(CalculateSPL(s.project, s.graphics, ModuleData(), area, band, points));
    EXPECT_TRUE(points.empty()) << area << ", " << band;
  }
}

TEST(CalculateSPL, sumsABoxTurnedOffButNoBoxBeyondTwelve) {
  std::istringstream row("0 9 12 05000055555 1 0 5 3");
  const Scene all(ReadTableProject(row));
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
  // Every band along every area of random projects (fixed seed) and of scenes with undefined
  // points, by the fastest kernel this processor runs and by the portable one.
  long long compared = 0, identical = 0;
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
        ASSERT_NEAR(got.SPL, want.SPL, 1e-4)
            << "area " << area << " band " << band << " point " << i;
        identical += got.SPL == want.SPL;
      }
      compared += points.size();
    }
  };
  std::mt19937 random(2027);
  auto next = [&](float lo, float hi) { return std::uniform_real_distribution(lo, hi)(random); };
  for (int n = 0; n < 24; ++n) {
    ProjectData p = RandomProject(random);
    for (int a = 0; a < MaxAreas; ++a)
      std::tie(p.AreaDistance[a], p.AreaLength[a], p.AreaHeight1[a], p.AreaHeight2[a]) =
          std::tuple{next(0, 25), next(1, 15), next(-1, 4), next(-1, 8)};
    const Scene s(p);
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
  EXPECT_GT(compared, 100000);
  EXPECT_GT(identical, compared * 9 / 10);
}

TEST(CalculateSPL, countsWhatEachKernelEvaluatesOnlyWhenAsked) {
  // 21 points and 2 boxes: per box and point a square root, a logarithm, an exponential, a
  // sine and a cosine, per point 3 additions to its sum and the logarithm of it (the vector kernel
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
    EXPECT_EQ(std::tuple(work.logarithms, work.exponentials, work.squareRoots, work.sumTerms),
              std::tuple(3 * lanes, 2 * lanes, 2 * lanes, 3 * lanes));
    for (const long long aims : {work.sines - 2 * lanes, work.cosines - 2 * lanes})
      EXPECT_TRUE(aims == 2 || aims == 4) << aims;
    EXPECT_GE(work.arctangents, 2);
  }
}
