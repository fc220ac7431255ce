// The directivity look-up and the level predicted along an area, checked on hand-built
// scenes and against the double-precision figures of tools/make_expected.py.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <numbers>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "acoustics/ModuleData.h"
#include "acoustics/SplPrediction.h"
#include "geometry/ArrayGeometry.h"
#include "model/ProjectData.h"

using namespace tarnwick;

namespace {

// Calls `read` with each row of a table written by tools/make_expected.py, its commas
// turned into blanks; the comment and the column names are left out.
template <typename Read>
void ForEachRow(const std::string& name, Read read) {
  std::ifstream in(std::string(TARNWICK_SOURCE_DIR) + "/tests/data/" + name);
  std::string line;
  while (std::getline(in, line) && line[0] == '#') continue;
  while (std::getline(in, line)) {
    std::ranges::replace(line, ',', ' ');
    std::istringstream row(line);
    read(row);
  }
}

const Constants& ModuleData() {
  static const Constants constants = [] {
    Constants c;
    AssignBandLevel(c);
    FillDirectivity(c);
    return c;
  }();
  return constants;
}

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

// The default project changed by a table's first eight columns (mounting, pin, boxes,
// splays as one digit a joint, automatic, inclination, floor distance, areas in use),
// after a redraw of a 4:3 window.
Scene TableScene(std::istream& in) {
  Scene s({0, 0}, {0, 0});
  ProjectData& p = s.project = MakeDefaultProject();
  std::string splays;
  in >> p.FlybarMounting >> p.FlybarPin >> p.BoxesAmount >> splays >> p.AutomaticInclCalc >>
      p.InclinationAngle >> p.FloorDistance >> p.AreasAmount;
  for (int j = 0; j < MaxJoints; ++j) p.BoxAngle[j] = float(splays.at(j) - '0');
  ComputeSceneExtents(p, SceneFrame{false, 12000.0, 9000.0}, s.graphics);
  for (int i = 0; i < p.AreasAmount; ++i) ComputeAreaSlope(p, i, s.graphics);
  ComputeArrayGeometry(p, s.graphics);
  return s;
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
  // Lines of points as along an area, from random aims (a fixed sequence), with jumps
  // back and forth and every fifth direction within 1e-5 degrees of an entry boundary.
  std::uint64_t state = 42;
  auto next = [&state](double lo, double hi) {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return lo + (hi - lo) * double(state >> 11) / double(1ull << 53);
  };
  int kept = 0;
  for (int line = 0, previous = -2; line < 300; ++line) {
    const auto aim = float(line % 10 ? next(-90, 90) : line % 20 ? -87.5 : 92.5);
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
  // Horizontal, zero and undefined directions after a nearly horizontal one.
  for (PlaneVector d : {PlaneVector{3, 0}, {-3, 0}, {0, 0}, {NAN, 1}}) {
    OffAxisTracker primed(10.0f);
    primed.Index({3, 0.1f});
    EXPECT_EQ(primed.Index(d), OffAxisIndex(d, 10.0f));
  }
}

TEST(CalculateSPL, everyTabledLevelMatchesTheDoublePrecisionEvaluation) {
  int checked = 0;  // columns after the project: area, band, point, level, tolerance (dB)
  ForEachRow("spl_levels.csv", [&](std::istringstream& row) {
    const Scene s = TableScene(row);
    int area = 0, band = 0;
    std::size_t i = 0;
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
    EXPECT_EQ(points[0].Position, (PlaneVector{2, 1}));
    for (std::size_t i = 0; i < points.size(); ++i) {
      const PlaneVector at{float(2 + 0.08 * i), float(1 + 0.06 * i)};
      EXPECT_NEAR(points[i].Position.X, at.X, 1e-5) << length << ", " << i;
      EXPECT_NEAR(points[i].Position.Y, at.Y, 1e-5) << length << ", " << i;
      EXPECT_NEAR(points[i].Distance, std::hypot(at.X - 1.0, at.Y - 5.0), 1e-5);
    }
  }
}

TEST(CalculateSPL, takesLevelDirectionsAsNinetyDegreesFromTheVertical) {
  // Points below a box aimed level, and level with a box aimed down: 90 degrees off its
  // axis, 11.44 dB down at 1 kHz; level with a box aimed level: on its axis.
  for (const auto& [start, direction, ray, drop] :
       {std::tuple{PlaneVector{1, 4}, PlaneVector{0, -2}, PlaneVector{1, 0}, 11.44},
        {{2, 5}, {2, 0}, {0, -1}, 11.44},
        {{2, 5}, {2, 0}, {8, 0}, 0.0}}) {
    const auto points = Scene(start, direction).Box({1, 5}, ray).Predict();
    for (std::size_t i = 0; i < points.size(); ++i)
      EXPECT_NEAR(points[i].SPL, 126 - drop - 20 * std::log10(1 + 0.1 * i), 1e-4) << i;
  }
}

TEST(CalculateSPL, disregardsWhetherAimsAndPointsLieAboveOrBelow) {
  const auto a =
      Scene({3, -1}, {10, -2}).Box({1, 0}, {4, -1.5f}).Box({1, -0.3f}, {4, -0.5f}).Predict();
  const auto b = Scene({3, 1}, {10, 2}).Box({1, 0}, {4, 1.5f}).Box({1, 0.3f}, {4, 0.5f}).Predict();
  ASSERT_EQ(a.size(), b.size());
  for (std::size_t i = 0; i < a.size(); ++i) {
    EXPECT_EQ(a[i].SPL, b[i].SPL) << i;
    EXPECT_GT(a[i].SPL, 90.0f) << i;
  }
}

TEST(CalculateSPL, givesTheFloorLevelWhereNoLevelIsDefined) {
  // The first point lies on the second box's source; at the next both are on their axes,
  // 1.1 m and 0.1 m away: a path 1 m longer at 1 kHz.
  const auto points = Scene({1, 5}, {0, -2}).Box({1, 6}, {0, -1}).Box({1, 5}, {0, -1}).Predict();
  EXPECT_EQ(points[0].SPL, SPLFloor);
  const double lag = 2 * std::numbers::pi * 1000 / 340.0;
  EXPECT_NEAR(points[1].SPL, 146 + 10 * std::log10(1 + 1 / 121.0 + 2 / 11.0 * std::cos(lag)), 0.01);
  // Boxes so far down that their pressures underflow to 0, and no boxes at all.
  for (const Scene& s :
       {Scene({3, 1}, {2, 0}).Box({1, 5}, {1, -1}, 1e3f).Box({1, 4.7f}, {1, -1}, 1e3f),
        Scene({3, 1}, {2, 0})})
    for (const SPLPoint& p : s.Predict()) EXPECT_EQ(p.SPL, SPLFloor);
}

TEST(CalculateSPL, rejectsAreasBandsAndLengthsItCannotSample) {
  Scene s = Scene({3, 1}, {2, 0}).Box({1, 5}, {1, -1});
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

TEST(CalculateSPL, sumsABoxTurnedOffButNoBoxBeyondTwelve) {
  std::istringstream row("0 9 12 05000055555 1 0 5 3");
  const Scene all = TableScene(row);
  Scene off = all, without = all, many = all;
  off.project.BoxAttenuation[11] = BoxOffAttenuation;
  without.project.BoxesAmount = 11;
  many.project.BoxesAmount = 40;
  const auto a = off.Predict(), b = without.Predict(), c = all.Predict(), d = many.Predict();
  int changed = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    EXPECT_NEAR(a[i].SPL, b[i].SPL, 0.01) << i;
    changed += a[i].SPL != b[i].SPL;
    EXPECT_EQ(c[i].SPL, d[i].SPL) << i;
  }
  EXPECT_GT(changed, 50);
}
