// Plane vectors, scene extents, area slopes, automatic inclination, box outlines and aims,
// and moving an area with the mouse.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <complex>
#include <cstdint>
#include <numbers>
#include <vector>

#include "geometry/AreaDrag.h"
#include "geometry/ArrayGeometry.h"
#include "geometry/PlaneVector.h"
#include "model/ProjectData.h"

namespace tarnwick {

namespace {

using Point = std::complex<double>;  // double-precision reference point x + iy

// Clockwise with Y up for a positive angle, like the program's rotations.
Point Turned(Point v, double degrees) {
  return v * std::polar(1.0, -degrees * std::numbers::pi / 180.0);
}

void ExpectNear(PlaneVector actual, Point expected, double tolerance) {
  EXPECT_NEAR(actual.X, expected.real(), tolerance);
  EXPECT_NEAR(actual.Y, expected.imag(), tolerance);
}

// "Unchanged" means the same bits, not merely close.
bool SameBits(PlaneVector a, PlaneVector b) {
  return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

TEST(PlaneVector, TurnsClockwiseExactlyNotAtAllAtZeroAndAllOrNothingOnOverflow) {
  // A downward front face turned by +5 degrees swings its lower end backward.
  ExpectNear(Rotated({0.0f, -1.0f}, TurnFor(5.0f)), {-0.0871557, -0.9961947}, 1e-6);
  // The arithmetic runs in double; results beyond single precision are not finite.
  EXPECT_FALSE(IsFinite(AddVectors({3e38f, 0.0f}, {3e38f, 0.0f})));
  EXPECT_TRUE(IsFinite(AddVectors({1e38f, -1e38f}, {1e38f, -1e38f})));
  // (3e38, 3e38) turned by 45 degrees overflows: no argument changes. By 0 degrees nothing does.
  const PlaneVector huge{3e38f, 3e38f}, tiny{1e-30f, -12345.678f}, odd{-0.3060455f, 7e37f};
  for (int position = 0; position < 4; ++position) {
    std::array<PlaneVector, 4> v = {tiny, odd, tiny, odd}, before = v;
    v[position] = before[position] = huge;
    EXPECT_TRUE(position == 3 || !RotateThree(v[0], v[1], v[2], 45.0f)) << position;
    EXPECT_FALSE(RotateFour(v[0], v[1], v[2], v[3], 45.0f)) << position;
    EXPECT_TRUE(RotateFour(v[0], v[1], v[2], v[3], 0.0f) && RotateThree(v[0], v[1], v[2], 0.0f));
    for (int i = 0; i < 4; ++i) EXPECT_PRED2(SameBits, before[i], v[i]) << position;
  }
  PlaneVector large{3e38f, 0.0f}, a = tiny, b = odd;  // 2.1e38 by 45 degrees still fits
  EXPECT_TRUE(RotateThree(large, a, b, 45.0f));
}

// A 4:3 main window: the width-based scene height of the default areas (width 28) is 21.
constexpr SceneFrame kLandscape{false, 12000.0, 9000.0};

// One redraw: the scene extents, the area slopes, then the array step, whose result it returns.
bool Redraw(ProjectData& p, Graphics& g, const SceneFrame& frame = kLandscape) {
  ComputeSceneExtents(p, frame, g);
  for (int i = 0; i < p.AreasAmount; ++i) ComputeAreaSlope(p, i, g);
  return ComputeArrayGeometry(p, g);
}

Graphics Extents(const ProjectData& project, SceneFrame frame) {
  Graphics g;
  ComputeSceneExtents(project, frame, g);
  return g;
}

PlaneVector AimOf(const BoxGeometry& b) { return AddVectors(b.Source, b.Ray); }

std::array<PlaneVector, 6> Parts(const BoxGeometry& b) {
  return {b.TopFront, b.BottomFront, b.BottomBack, b.TopBack, b.Source, b.Ray};
}

bool AllFinite(const BoxGeometry& box) { return std::ranges::all_of(Parts(box), IsFinite); }

// A project with the default areas and a straight array hung at a fixed inclination.
ProjectData StraightArrayProject(int boxes, float inclination) {
  ProjectData p = MakeDefaultProject();
  p.BoxesAmount = boxes;
  p.BoxAngle.fill(0.0f);
  p.AutomaticInclCalc = 0;
  p.InclinationAngle = inclination;
  return p;
}

// Top front, bottom front, bottom back, top back and source of every box: the module outline
// turned by inclination plus the splays above it, hung from the box above's bottom front.
std::vector<std::array<Point, 5>> ReferenceArray(const ProjectData& p) {
  const double step = (p.FlybarPin - 1) * 0.0254;
  const double pin = p.FlybarMounting == 1 ? 0.23 - step : 0.23 + step;
  double angle = -static_cast<double>(p.InclinationAngle);
  Point top_front = Point{1.0, p.FloorDistance} + Turned({pin, -0.024}, angle);
  std::vector<std::array<Point, 5>> boxes;
  for (int i = 0; i < p.BoxesAmount; ++i) {
    if (i > 0 && p.BoxAngle[i - 1] == 5.0f) angle += 5.0;
    const Point f = Turned({0.0, -0.3060455}, angle);
    const Point bottom_back = top_front + f + Turned({-0.4050872, 0.0176869}, angle);
    boxes.push_back({top_front, top_front + f, bottom_back,
                     bottom_back + Turned({0.0, 0.2706722}, angle), top_front + 0.5 * f});
    top_front += f;
  }
  return boxes;
}

TEST(AutomaticInclination, EveryPinOfBothMountingsAndTwoStraightBoxes) {
  const float expected[2][9] = {
      {3.80f, 3.00f, 2.20f, 1.39f, 0.59f, -0.21f, -1.02f, -1.82f, -2.62f},  // downtilt
      {3.80f, 4.60f, 5.40f, 6.1948f, 6.99f, 7.78f, 8.57f, 9.35f, 10.13f}};  // uptilt
  ProjectData p = MakeDefaultProject();
  float angle = 0.0f;
  for (int mounting : {0, 1})
    for (int pin = 1; pin <= 9; ++pin) {
      p.FlybarMounting = mounting;
      p.FlybarPin = pin;
      ASSERT_TRUE(AutomaticInclination(p, angle));
      // Uptilt pin 4 is known to four decimals, the others to two.
      EXPECT_NEAR(angle, expected[mounting][pin - 1], mounting == 1 && pin == 4 ? 5e-4f : 5e-3f)
          << "mounting " << mounting << ", pin " << pin;
    }
  // Two straight boxes on pin 1; joints below the last box and attenuations do not count.
  p = StraightArrayProject(2, 0.0f);
  p.BoxAngle.fill(5.0f);
  p.BoxAngle[0] = 0.0f;
  p.BoxAttenuation.fill(BoxOffAttenuation);
  p.FlybarPin = 1;
  ASSERT_TRUE(AutomaticInclination(p, angle));
  EXPECT_NEAR(angle, -7.76f, 0.005f);
}

TEST(SceneExtents, WidthAndHeightRules) {
  ProjectData p = MakeDefaultProject();
  EXPECT_FLOAT_EQ(Extents(p, kLandscape).SceneWidth, 28.0f);
  // 1 beyond the farthest area end in use; an end short of the margin leaves it unchanged.
  p.AreasAmount = 2;
  p.AreaDistance = {1.0f, 5.0f, 0.0f};
  p.AreaLength = {10.0f, 6.5f, 0.0f};  // ends at 11.5: beyond 11, short of 12
  EXPECT_FLOAT_EQ(Extents(p, kLandscape).SceneWidth, 12.0f);
  p.AreaLength[1] = 7.5f;  // ends at 12.5: the margin is added to it
  EXPECT_FLOAT_EQ(Extents(p, kLandscape).SceneWidth, 13.5f);
  p.AreasAmount = 1;
  EXPECT_FLOAT_EQ(Extents(p, kLandscape).SceneWidth, 12.0f);

  // The height follows the window, raised to the area ends and the floor.
  p = MakeDefaultProject();
  EXPECT_FLOAT_EQ(Extents(p, kLandscape).SceneHeight, 21.0f);  // 28 * 9000 / 12000
  // A floor above the width-based height gives 1.3 times the floor, one just below leaves it.
  EXPECT_FLOAT_EQ(Extents(p, {false, 28000.0, 1000.0}).SceneHeight, 6.5f);
  EXPECT_FLOAT_EQ(Extents(p, {false, 28000.0, 5100.0}).SceneHeight, 5.1f);
  p.FloorDistance = 2.0f;
  // 28 * 1000 / 28000 = 1 is raised to the highest end of an area in use, not its start.
  p.AreaHeight1 = {10.0f, 10.0f, 10.0f};
  EXPECT_FLOAT_EQ(Extents(p, {false, 28000.0, 1000.0}).SceneHeight, 3.5f);
  p.AreasAmount = 2;
  EXPECT_FLOAT_EQ(Extents(p, {false, 23000.0, 1000.0}).SceneHeight, 2.0f);
  // The fixed height is 1.3 times the floor, whatever the window and the areas.
  p.AreaHeight2 = {30.0f, 40.0f, 50.0f};
  EXPECT_FLOAT_EQ(Extents(p, {true, 1000.0, 90000.0}).SceneHeight, 2.6f);
}

TEST(ArrayGeometry, DefaultProjectAreasFlybarAndAims) {
  ProjectData p = MakeDefaultProject();
  Graphics g;
  EXPECT_TRUE(Redraw(p, g));
  float automatic = 0.0f;  // unrounded, it replaced the typed one
  ASSERT_TRUE(AutomaticInclination(MakeDefaultProject(), automatic));
  EXPECT_EQ(p.InclinationAngle, automatic);
  // The areas run along their slope length.
  const Point ends[3][2] = {
      {{2.0, 0.0}, {11.950, 1.0}}, {{13.0, 0.8}, {22.928, 2.0}}, {{24.0, 1.9}, {27.666, 3.5}}};
  for (int i = 0; i < 3; ++i) {
    ExpectNear(g.AreaGeom[i].Start, ends[i][0], 1e-6);
    ExpectNear(g.AreaGeom[i].End, ends[i][1], 5e-4);
    ExpectNear(g.AreaGeom[i].Direction, ends[i][1] - ends[i][0], 5e-4);
  }
  // Boxes 2, 7 and 11 aim at areas 2, 1 and 0.
  ExpectNear(AimOf(g.BoxGeom[2]), {27.25, 3.318}, 5e-3);
  ExpectNear(AimOf(g.BoxGeom[7]), {14.847, 1.023}, 5e-4);
  ExpectNear(AimOf(g.BoxGeom[11]), {3.561, 0.157}, 5e-4);
  // The flybar, level from the mounting point at downtilt pin 2, is turned with the array.
  EXPECT_EQ(g.MountingPoint, (PlaneVector{1.0f, 5.0f}));
  const Point mount{1.0, 5.0}, level[] = {{1.0454, 5.022}, {1.0454, 4.965}, {1.0014, 4.965},
                                          {1.0014, 4.980}, {0.7968, 4.978}, {0.7968, 5.022}};
  for (int i = 0; i < 6; ++i)
    ExpectNear(g.Flybar[i], mount + Turned(level[i] - mount, -p.InclinationAngle), 1e-5);
}

TEST(ArrayGeometry, OutlinesAndSourcesMatchADoublePrecisionReference) {
  // The default array, at a typed inclination (kept), on uptilt pin 4, and straight and level.
  ProjectData typed = MakeDefaultProject(), uptilt = typed;
  typed.AutomaticInclCalc = 0;
  typed.InclinationAngle = 5.29f;
  uptilt.FlybarMounting = 1;
  uptilt.FlybarPin = 4;
  for (ProjectData p : {MakeDefaultProject(), typed, uptilt, StraightArrayProject(12, 0.0f)}) {
    const float typed_angle = p.InclinationAngle;
    Graphics g;
    EXPECT_EQ(Redraw(p, g), p.AutomaticInclCalc == 1);
    EXPECT_TRUE(p.AutomaticInclCalc == 1 || p.InclinationAngle == typed_angle);
    const auto reference = ReferenceArray(p);
    for (int i = 0; i < 12; ++i)
      for (int corner = 0; corner < 5; ++corner) {
        SCOPED_TRACE(::testing::Message() << p.InclinationAngle << " deg, " << i << "." << corner);
        ExpectNear(Parts(g.BoxGeom[i])[corner], reference[i][corner], 1e-4);
      }
  }
}

TEST(ArrayAim, NearestCrossedAreaWins) {
  // Two steep areas crossed by every level axis; one behind the array counts too.
  const double run = std::sqrt(100.0 - 81.0);
  for (float nearer : {5.0f, -6.0f}) {
    ProjectData p = StraightArrayProject(12, 0.0f);
    p.AreasAmount = 2;
    p.AreaDistance = {20.0f, nearer, 0.0f};
    p.AreaLength = {10.0f, 10.0f, 0.0f};
    p.AreaHeight1 = {0.0f, 0.0f, 0.0f};
    p.AreaHeight2 = {9.0f, 9.0f, 0.0f};
    Graphics g;
    Redraw(p, g);
    for (int i = 0; i < 12; ++i) {
      const PlaneVector c = g.BoxGeom[i].Source;
      SCOPED_TRACE(::testing::Message() << "area at " << nearer << ", box " << i);
      ExpectNear(AimOf(g.BoxGeom[i]), {nearer + 1.0 + run * c.Y / 9.0, c.Y}, 1e-4);
    }
  }
}

TEST(ArrayGeometry, RepeatedRunsAgreeAndRecordsBeyondTheCountStay) {
  ProjectData p = MakeDefaultProject();
  Graphics g;
  ASSERT_TRUE(Redraw(p, g));
  const auto before = g.BoxGeom;
  // The shape vectors are rebuilt every time: splays never pile up between redraws.
  ASSERT_TRUE(ComputeArrayGeometry(p, g));
  for (int i = 0; i < 12; ++i) EXPECT_EQ(Parts(g.BoxGeom[i]), Parts(before[i])) << i;
  p.BoxesAmount = 4;
  ASSERT_TRUE(Redraw(p, g));
  // The four boxes in use hang differently; the others were left alone.
  EXPECT_NE(g.BoxGeom[0].TopFront, before[0].TopFront);
  for (int i = 4; i < MaxBoxes; ++i) EXPECT_EQ(Parts(g.BoxGeom[i]), Parts(before[i])) << i;
}

TEST(ArrayGeometry, SteepAreasAndVerticalAxesLeaveEveryValueFinite) {
  // An area shorter than its rise stands upright; the area not in use is left alone.
  ProjectData p = MakeDefaultProject();
  p.AreasAmount = 2;
  p.AreaLength[1] = 1.0f;  // rises 2.2
  p.AreaHeight2[1] = 3.0f;
  Graphics g;
  g.AreaGeom[2].End = {-9.0f, -9.0f};
  Redraw(p, g);
  ExpectNear(g.AreaGeom[1].End, {13.0, 3.0}, 0.0);
  EXPECT_EQ(g.AreaGeom[2].End, (PlaneVector{-9.0f, -9.0f}));
  for (int i = 0; i < p.BoxesAmount; ++i) EXPECT_TRUE(AllFinite(g.BoxGeom[i])) << "box " << i;
  // Single-precision inclinations around straight up and down.
  for (float quarter : {90.0f, -90.0f}) {
    float angle = quarter;
    for (int step = 0; step < 48; ++step) angle = std::nextafter(angle, 0.0f);
    for (int step = 0; step < 96; ++step) {
      angle = std::nextafter(angle, 2.0f * quarter);
      p = StraightArrayProject(2, angle);
      p.FlybarPin = 1;
      Redraw(p, g);
      for (int box = 0; box < 2; ++box) EXPECT_TRUE(AllFinite(g.BoxGeom[box])) << angle;
      for (const PlaneVector& point : g.Flybar) EXPECT_TRUE(IsFinite(point)) << angle;
    }
  }
}

// The default scene's area slopes; OnSlope gives a point `above` metres over area i at x.
struct DragScene {
  ProjectData project = MakeDefaultProject();
  Graphics g;
  DragScene() {
    for (int i = 0; i < MaxAreas; ++i) ComputeAreaSlope(project, i, g);
  }
  PlaneVector OnSlope(int i, float x, float above) const {
    const AreaGeometry& a = g.AreaGeom[i];
    return {x, a.Start.Y + (x - a.Start.X) / a.Direction.X * a.Direction.Y + above};
  }
};

TEST(AreaDrag, RisingAreasAreHitBelowAndJustAboveTheirSlopeOthersNearIt) {
  DragScene s;  // area 2 rises from (24, 1.9) to about (27.666, 3.5)
  const AreaGeometry& rising = s.g.AreaGeom[2];
  EXPECT_TRUE(HitsArea(rising, s.OnSlope(2, 25, 0.29f)));
  EXPECT_FALSE(HitsArea(rising, s.OnSlope(2, 25, 0.31f)));
  EXPECT_TRUE(HitsArea(rising, s.OnSlope(2, 25, -0.4f)));  // below, inside the box
  EXPECT_FALSE(HitsArea(rising, {23.9f, 2.5f}));           // left of the box
  EXPECT_FALSE(HitsArea(rising, {27.0f, 1.8f}));           // below the box
  // A flat and a falling area.
  s.project.AreaHeight1[0] = s.project.AreaHeight2[0] = 0;
  s.project.AreaHeight1[1] = 2;
  s.project.AreaHeight2[1] = 0.5f;
  for (int i : {0, 1}) {
    ComputeAreaSlope(s.project, i, s.g);
    const float x = s.g.AreaGeom[i].Start.X + 3;
    for (float above : {0.25f, -0.25f, 0.35f, -0.35f})
      EXPECT_EQ(HitsArea(s.g.AreaGeom[i], s.OnSlope(i, x, above)), std::fabs(above) < 0.3f)
          << i << " " << above;
  }
  // Of two areas hit, the lower index is picked; areas not in use and misses pick nothing.
  s.project.AreaDistance[1] = s.project.AreaDistance[0];
  s.project.AreaHeight1[1] = s.project.AreaHeight2[1] = 0;
  ComputeAreaSlope(s.project, 1, s.g);
  EXPECT_EQ(PickArea(s.project, s.g, s.OnSlope(0, 5, 0.1f)), 0);
  EXPECT_EQ(s.g.AreaGeom[1].Picked, 0);
  DragScene idle;
  idle.project.AreasAmount = 2;
  EXPECT_EQ(PickArea(idle.project, idle.g, idle.OnSlope(2, 25, 0.1f)), -1);
  EXPECT_EQ(PickArea(idle.project, idle.g, {8, 15}), -1);
  EXPECT_EQ(idle.g.DragActive, 0);
}

TEST(AreaDrag, DropMovesTheAreaKeepingItsShape) {
  DragScene s;
  const PlaneVector press = s.OnSlope(2, 25, 0.1f), release{press.X + 2, press.Y + 1};
  ASSERT_EQ(PickArea(s.project, s.g, press), 2);
  EXPECT_EQ(s.g.DragActive, -1);
  EXPECT_EQ(s.g.AreaGeom[2].Picked, -1);
  EXPECT_NEAR(s.g.DragBoxHeight, 1.6f, 1e-6f);
  // The rectangle keeps the press's offset from the mouse.
  ExpectNear(DragOrigin(s.g, release), {26.0, 2.9}, 1e-5);
  ASSERT_EQ(DropArea(s.project, s.g, release), 2);
  EXPECT_NEAR(s.project.AreaDistance[2], 25.0f, 1e-5f);
  EXPECT_NEAR(s.project.AreaHeight1[2], 2.9f, 1e-5f);
  EXPECT_NEAR(s.project.AreaHeight2[2], 4.5f, 1e-5f);
  EXPECT_EQ(s.project.AreaLength[2], 4.0f);
  EXPECT_EQ(s.g.DragActive, 0);
  EXPECT_EQ(s.g.AreaGeom[2].Picked, 0);
  EXPECT_EQ(DropArea(s.project, s.g, press), -1);  // idle again: nothing to drop
}

}  // namespace
}  // namespace tarnwick
