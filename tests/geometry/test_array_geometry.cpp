// Plane vectors, scene extents, area slopes, inclination, box outlines, aims and area dragging.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <map>
#include <string>

#include "geometry/AreaDrag.h"
#include "support/DataTable.h"

namespace tarnwick {
namespace {

PlaneVector AimOf(const BoxGeometry& b) { return AddVectors(b.Source, b.Ray); }

std::array<PlaneVector, 6> Parts(const BoxGeometry& b) {
  return {b.TopFront, b.BottomFront, b.BottomBack, b.TopBack, b.Source, b.Ray};
}

TEST(PlaneVector, turnsClockwiseAndRotatesAllOrNothingOnOverflow) {
  EXPECT_FALSE(IsFinite(AddVectors({3e38f, 0.0f}, {3e38f, 0.0f})));
  // (3e38, 3e38) turned by 45 degrees overflows wherever it stands: nothing changes.
  const PlaneVector huge{3e38f, 3e38f}, tiny{1e-30f, -12345.678f}, odd{-0.3060455f, 7e37f};
  for (int position = 0; position < 4; ++position) {
    std::array<PlaneVector, 4> v = {tiny, odd, tiny, odd}, before = v;
    v[position] = before[position] = huge;
    EXPECT_TRUE(position == 3 || !RotateThree(v[0], v[1], v[2], 45.0f)) << position;
    EXPECT_FALSE(RotateFour(v[0], v[1], v[2], v[3], 45.0f)) << position;
    EXPECT_EQ(std::memcmp(before.data(), v.data(), sizeof v), 0) << position;  // bit for bit
  }
  PlaneVector large{3e38f, 0.0f}, a = tiny, b = odd;  // 2.1e38 still fits: all turn
  ASSERT_TRUE(RotateThree(large, a, b, 45.0f));
  EXPECT_NEAR(b.X, 7e37 / std::sqrt(2.0), 1e32);  // clockwise: up turns toward +X
}

TEST(SceneExtents, widthEndsBeyondTheFarthestAreaAndHeightFollowsWindowAreasAndFloor) {
  ProjectData p = MakeDefaultProject();
  p.AreasAmount = 2;
  p.AreaDistance = {1.0f, 5.0f, 30.0f};
  p.AreaLength = {10.0f, 7.5f, 0.0f};  // the second ends at 12.5, the margin is added to it
  Graphics g;
  const auto extents = [&](bool fixed, double width, double height) {
    ComputeSceneExtents(p, {fixed, width, height}, g);
    return std::pair{g.SceneWidth, g.SceneHeight};
  };
  EXPECT_EQ(extents(false, 1, 1), std::pair(13.5f, 13.5f));
  p.AreaLength[1] = 6.5f;  // ends at 11.5: short of the first area's margin
  EXPECT_EQ(extents(false, 1, 1).first, 12.0f);
  // A floor above the window's height gives 1.3 times the floor, one just below leaves it.
  EXPECT_EQ(extents(false, 12000, 1000).second, 6.5f);
  EXPECT_EQ(extents(false, 12000, 5100).second, 5.1f);
  // Raised to the highest end of an area in use, not its start; fixed: 1.3 times the floor.
  p.FloorDistance = 2.0f;
  p.AreaHeight1 = {10.0f, 10.0f, 10.0f};
  p.AreaHeight2 = {3.5f, 2.5f, 50.0f};
  EXPECT_EQ(extents(false, 12000, 1000).second, 3.5f);
  EXPECT_FLOAT_EQ(extents(true, 1000, 90000).second, 2.6f);
}

TEST(ArrayGeometry, everyTabledFigureMatchesTheDoublePrecisionEvaluation) {
  // 30 projects, each drawn twice over the one before: splays never pile up, unused boxes stay.
  ProjectData tabled, p;
  Graphics g;
  int projects = 0, aims = 0;
  ForEachRow("array_geometry.csv", [&](std::istringstream& row) {
    if (const ProjectData read = ReadTableProject(row); projects == 0 || read != tabled) {
      tabled = p = read;
      const auto before = g.BoxGeom;
      EXPECT_EQ(Redraw(p, g), p.AutomaticInclCalc == 1) << row.str();
      EXPECT_EQ(ComputeArrayGeometry(p, g), p.AutomaticInclCalc == 1) << row.str();
      for (int i = p.BoxesAmount; i < MaxBoxes; ++i)
        EXPECT_EQ(Parts(g.BoxGeom[i]), Parts(before[i]));
      ++projects;
    }
    std::string part;
    int i = 0;
    double x = 0, y = 0, tolerance = 0;
    row >> part >> i >> x >> y >> tolerance;
    const BoxGeometry& box = g.BoxGeom[i];
    const std::map<std::string, PlaneVector> parts = {{"Inclination", {p.InclinationAngle, 0.0f}},
                                                      {"Scene", {g.SceneWidth, g.SceneHeight}},
                                                      {"AreaStart", g.AreaGeom[i % 3].Start},
                                                      {"AreaEnd", g.AreaGeom[i % 3].End},
                                                      {"Flybar", g.Flybar[i % 6]},
                                                      {"TopFront", box.TopFront},
                                                      {"BottomFront", box.BottomFront},
                                                      {"BottomBack", box.BottomBack},
                                                      {"TopBack", box.TopBack},
                                                      {"Source", box.Source},
                                                      {"Aim", AimOf(box)}};
    ASSERT_TRUE(row && parts.contains(part)) << row.str();
    EXPECT_NEAR(parts.at(part).X, x, tolerance) << row.str();
    EXPECT_NEAR(parts.at(part).Y, y, tolerance) << row.str();
    aims += part == "Aim";
  });
  EXPECT_EQ(projects, 30);
  EXPECT_GT(aims, 250);
}

TEST(ArrayAim, theSmallestCrossingAlongTheAxisWinsEvenBehindTheArray) {
  // Two areas rising 9 m over 10 m of slope cross every level axis, one behind the array
  // and one 20 m in front: the crossing behind, the smaller along the axis, wins.
  std::istringstream row("0 1 12 00000000000 0 0 5 2");
  ProjectData p = ReadTableProject(row);
  p.AreaDistance = {20.0f, -6.0f, 0.0f};
  p.AreaLength = {10.0f, 10.0f, 0.0f};
  p.AreaHeight1 = {0.0f, 0.0f, 0.0f};
  p.AreaHeight2 = {9.0f, 9.0f, 0.0f};
  Graphics g;
  Redraw(p, g);
  for (const BoxGeometry& box : g.BoxGeom) {
    const double x = -5.0 + std::sqrt(19.0) * box.Source.Y / 9.0;
    EXPECT_LT(std::hypot(AimOf(box).X - x, AimOf(box).Y - box.Source.Y), 1e-4);
  }
}

TEST(ArrayAim, theTopBoxKeepsTheSoundOnTheAudienceUpToTheFarthestBackRow) {
  // The second area ends farthest out, 20 m from the source and 5 m up, over a floor ending
  // just as far out: the top box's line may pass through the higher end but not a
  // centimetre above it; a line aimed straight down keeps the sound there, one rising
  // backwards does not.
  ProjectData p = MakeDefaultProject();
  Graphics g;
  g.AreaGeom[0].End = {15.0f, 8.0f};
  g.AreaGeom[1].Start = {12.0f, 1.0f}, g.AreaGeom[1].End = {21.0f, 5.0f};
  g.AreaGeom[2].Start = {5.0f, 0.0f}, g.AreaGeom[2].End = {21.004f, 0.0f};
  BoxGeometry& top = g.BoxGeom[0];
  top.Source = {1.0f, 9.0f};
  const auto aimedAt = [&](PlaneVector ray) { return top.Ray = ray, AimsAtAudience(p, g); };
  EXPECT_TRUE(aimedAt({20.0f, -4.0f}));
  EXPECT_FALSE(aimedAt({20.0f, -3.99f}));
  EXPECT_TRUE(aimedAt({0.0f, -1.0f}));
  EXPECT_FALSE(aimedAt({-1.0f, 0.5f}));
}

TEST(ArrayGeometry, steepAreasAndVerticalAxesLeaveEveryValueFinite) {
  // An area shorter than its rise stands upright; the area not in use is left alone.
  ProjectData p = MakeDefaultProject();
  p.AreasAmount = 2;
  p.AreaLength[1] = 1.0f;  // rises 2.2
  p.AreaHeight2[1] = 3.0f;
  p.AutomaticInclCalc = 0;
  Graphics g;
  g.AreaGeom[2].End = {-9.0f, -9.0f};
  // Single-precision inclinations 48 steps either side of straight up and down.
  for (float quarter : {90.0f, -90.0f}) {
    float angle = quarter + 48 * (std::nextafter(quarter, 0.0f) - quarter);
    for (int step = 0; step < 96; ++step) {
      p.InclinationAngle = angle = std::nextafter(angle, quarter * 2);
      Redraw(p, g);
      for (const BoxGeometry& box : g.BoxGeom)
        EXPECT_TRUE(std::ranges::all_of(Parts(box), IsFinite)) << angle;
      EXPECT_TRUE(std::ranges::all_of(g.Flybar, IsFinite)) << angle;
    }
  }
  EXPECT_EQ(g.AreaGeom[1].End, (PlaneVector{13.0f, 3.0f}));
  EXPECT_EQ(g.AreaGeom[2].End, (PlaneVector{-9.0f, -9.0f}));
}

TEST(AreaDrag, pressesHitAndPickTheAreasTheTableSays) {
  int presses = 0;  // columns: areas in use, distances, first and second heights, press, hits
  ForEachRow("area_picks.csv", [&](std::istringstream& row) {
    ProjectData p = MakeDefaultProject();
    row >> p.AreasAmount;
    for (auto* column : {&p.AreaDistance, &p.AreaHeight1, &p.AreaHeight2})
      for (float& value : *column) row >> value;
    Graphics g;
    for (int i = 0; i < MaxAreas; ++i) ComputeAreaSlope(p, i, g);
    PlaneVector press;
    std::string hits;
    int picked = -2;
    row >> press.X >> press.Y >> hits >> picked;
    ASSERT_TRUE(row) << row.str();
    for (int i = 0; i < MaxAreas; ++i)
      EXPECT_EQ(HitsArea(g.AreaGeom[i], press), hits.at(i + 1) == '1') << row.str() << " " << i;
    EXPECT_EQ(PickArea(p, g, press), picked) << row.str();
    EXPECT_EQ(g.DragActive, picked < 0 ? 0 : -1);
    for (int i = 0; i < MaxAreas; ++i) EXPECT_EQ(g.AreaGeom[i].Picked, i == picked ? -1 : 0);
    ++presses;
  });
  EXPECT_GT(presses, 300);
}

TEST(AreaDrag, dropMovesTheAreaKeepingItsShape) {
  ProjectData p = MakeDefaultProject();
  Graphics g;
  for (int i = 0; i < MaxAreas; ++i) ComputeAreaSlope(p, i, g);
  const PlaneVector press{24.5f, 2.0f}, release{26.5f, 3.0f};  // area 3 starts at (24, 1.9)
  ASSERT_EQ(PickArea(p, g, press), 2);
  EXPECT_NEAR(g.DragBoxHeight, 1.6f, 1e-6f);
  const PlaneVector origin = DragOrigin(g, release);  // keeps the press's offset
  EXPECT_LT(std::hypot(origin.X - 26.0, origin.Y - 2.9), 1e-5);
  ASSERT_EQ(DropArea(p, g, release), 2);
  for (const auto& [got, want] :
       {std::pair{p.AreaDistance[2], 25.0f}, {p.AreaHeight1[2], 2.9f}, {p.AreaHeight2[2], 4.5f}})
    EXPECT_NEAR(got, want, 1e-5f);
  EXPECT_EQ(p.AreaLength[2], 4.0f);
  EXPECT_TRUE(g.DragActive == 0 && g.AreaGeom[2].Picked == 0);
  EXPECT_EQ(DropArea(p, g, press), -1);  // idle again: nothing to drop
}

}  // namespace
}  // namespace tarnwick
