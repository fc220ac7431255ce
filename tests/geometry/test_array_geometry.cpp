// Unit tests of the scene extents, the area slopes, the automatic inclination and the
// position, outline and aim of every box of the array.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

#include "geometry/ArrayGeometry.h"
#include "geometry/PlaneVector.h"
#include "model/ProjectData.h"

namespace tarnwick {

namespace {

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

PlaneVector AimOf(const BoxGeometry& b) { return {b.Source.X + b.Ray.X, b.Source.Y + b.Ray.Y}; }

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

// Independent reference in double precision, a point x + iy per complex number: each box is
// the unrotated module outline turned as a whole by its total angle (inclination plus the
// splays above it) and hung from the bottom front corner of the box above.
using Point = std::complex<double>;

// Clockwise with Y up for a positive angle, like the program's rotations.
Point Turned(Point v, double degrees) {
  return v * std::polar(1.0, -degrees * std::numbers::pi / 180.0);
}

// Top front, bottom front, bottom back, top back and source of every box.
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

void ExpectNear(PlaneVector actual, Point expected, double tolerance) {
  EXPECT_NEAR(actual.X, expected.real(), tolerance);
  EXPECT_NEAR(actual.Y, expected.imag(), tolerance);
}

TEST(AutomaticInclination, EveryPinOfBothMountingsAndTwoStraightBoxes) {
  const float expected[2][9] = {
      {3.80f, 3.00f, 2.20f, 1.39f, 0.59f, -0.21f, -1.02f, -1.82f, -2.62f},  // downtilt
      {3.80f, 4.60f, 5.40f, 6.1948f, 6.99f, 7.78f, 8.57f, 9.35f, 10.13f}};  // uptilt
  ProjectData p = MakeDefaultProject();
  for (int mounting : {0, 1}) {
    for (int pin = 1; pin <= 9; ++pin) {
      SCOPED_TRACE(::testing::Message() << "mounting " << mounting << ", pin " << pin);
      p.FlybarMounting = mounting;
      p.FlybarPin = pin;
      float angle = 0.0f;
      ASSERT_TRUE(AutomaticInclination(p, angle));
      // Uptilt pin 4 is known to four decimals, the others to two.
      EXPECT_NEAR(angle, expected[mounting][pin - 1], mounting == 1 && pin == 4 ? 5e-4f : 5e-3f);
    }
  }

  // Two straight boxes on pin 1: the centre of gravity, 0.185 behind the front, lies in
  // front of the pin at 0.23.
  p = MakeDefaultProject();
  p.BoxesAmount = 2;
  p.BoxAngle.fill(0.0f);
  p.FlybarPin = 1;
  float angle = 0.0f;
  ASSERT_TRUE(AutomaticInclination(p, angle));
  EXPECT_NEAR(angle, -7.76f, 0.005f);
  // Joints below the last box in use and box attenuations do not count.
  p.BoxAngle.fill(5.0f);
  p.BoxAngle[0] = 0.0f;
  p.BoxAttenuation.fill(BoxOffAttenuation);
  float again = 0.0f;
  ASSERT_TRUE(AutomaticInclination(p, again));
  EXPECT_FLOAT_EQ(again, angle);
}

TEST(SceneExtents, WidthAndHeightRules) {
  ProjectData p = MakeDefaultProject();
  EXPECT_FLOAT_EQ(Extents(p, kLandscape).SceneWidth, 28.0f);
  // The width reaches 1 beyond the farthest area end; a later area ending less than the margin
  // beyond the width leaves it unchanged.
  p.AreasAmount = 2;
  p.AreaDistance = {1.0f, 5.0f, 0.0f};
  p.AreaLength = {10.0f, 6.5f, 0.0f};  // ends at 11.5: beyond 11, short of 12
  EXPECT_FLOAT_EQ(Extents(p, kLandscape).SceneWidth, 12.0f);
  p.AreaLength[1] = 7.5f;  // ends at 12.5: the margin is added to it
  EXPECT_FLOAT_EQ(Extents(p, kLandscape).SceneWidth, 13.5f);
  p.AreasAmount = 1;  // a stale area does not count
  EXPECT_FLOAT_EQ(Extents(p, kLandscape).SceneWidth, 12.0f);

  // The height follows the window, raised to the area ends and the floor.
  p = MakeDefaultProject();                                    // floor 5, highest area end 3.5
  EXPECT_FLOAT_EQ(Extents(p, kLandscape).SceneHeight, 21.0f);  // 28 * 9000 / 12000
  // A floor above the width-based height gives 1.3 times the floor, one just below leaves it.
  EXPECT_FLOAT_EQ(Extents(p, {false, 28000.0, 1000.0}).SceneHeight, 6.5f);
  EXPECT_FLOAT_EQ(Extents(p, {false, 28000.0, 5100.0}).SceneHeight, 5.1f);
  p.FloorDistance = 2.0f;
  // 28 * 1000 / 28000 = 1 is raised to the highest end of an area in use, not its start.
  p.AreaHeight1 = {10.0f, 10.0f, 10.0f};
  EXPECT_FLOAT_EQ(Extents(p, {false, 28000.0, 1000.0}).SceneHeight, 3.5f);
  p.AreasAmount = 2;  // nor does its height
  EXPECT_FLOAT_EQ(Extents(p, {false, 23000.0, 1000.0}).SceneHeight, 2.0f);
  // The fixed height is 1.3 times the floor, whatever the window and the areas.
  p.AreaHeight2 = {30.0f, 40.0f, 50.0f};
  EXPECT_FLOAT_EQ(Extents(p, {true, 1000.0, 90000.0}).SceneHeight, 2.6f);
}

TEST(AreaSlope, AreaShorterThanItsRiseStandsUprightWithoutNaN) {
  ProjectData p = MakeDefaultProject();
  p.AreasAmount = 2;
  p.AreaLength[1] = 1.0f;  // rises 2.2
  p.AreaHeight2[1] = 3.0f;
  Graphics g;
  g.AreaGeom[2].End = {-9.0f, -9.0f};  // not in use: left alone
  Redraw(p, g);
  const AreaGeometry& a = g.AreaGeom[1];
  EXPECT_FLOAT_EQ(a.Start.X, 13.0f);
  EXPECT_EQ(a.End.X, a.Start.X);
  EXPECT_EQ(a.Direction.X, 0.0f);
  EXPECT_EQ(g.AreaGeom[2].End, (PlaneVector{-9.0f, -9.0f}));
  // The array step still runs over such an area without producing NaN.
  for (int i = 0; i < p.BoxesAmount; ++i) EXPECT_TRUE(AllFinite(g.BoxGeom[i])) << "box " << i;
}

TEST(ArrayGeometry, DefaultProjectAreasHangingAndAims) {
  ProjectData p = MakeDefaultProject();
  Graphics g;
  EXPECT_TRUE(Redraw(p, g));
  // The automatic inclination, unrounded, replaced the typed one.
  float automatic = 0.0f;
  ASSERT_TRUE(AutomaticInclination(MakeDefaultProject(), automatic));
  EXPECT_EQ(p.InclinationAngle, automatic);

  EXPECT_EQ(g.MountingPoint, (PlaneVector{1.0f, 5.0f}));
  ExpectNear(g.BoxGeom[0].TopFront, {1.2563, 4.9894}, 1e-4);
  ExpectNear(g.BoxGeom[0].Source, {1.2643, 4.8366}, 1e-4);

  // Boxes 2, 7 and 11 aim at areas 2, 1 and 0, on the slope between its ends.
  const struct {
    int box, area;
    Point aim;
    double x_tolerance;
  } hits[] = {
      {2, 2, {27.25, 3.318}, 0.005}, {7, 1, {14.847, 1.023}, 5e-4}, {11, 0, {3.561, 0.157}, 5e-4}};
  for (const auto& hit : hits) {
    SCOPED_TRACE(::testing::Message() << "box " << hit.box);
    const PlaneVector aim = AimOf(g.BoxGeom[hit.box]);
    EXPECT_NEAR(aim.X, hit.aim.real(), hit.x_tolerance);
    EXPECT_NEAR(aim.Y, hit.aim.imag(), 5e-4);
    const AreaGeometry& a = g.AreaGeom[hit.area];
    const float u = (aim.X - a.Start.X) / a.Direction.X;
    EXPECT_TRUE(u >= 0.0f && u <= 1.0f) << u;
    EXPECT_NEAR(aim.Y, a.Start.Y + u * a.Direction.Y, 1e-4f);
  }
  // The areas run along their slope length.
  const Point starts[] = {{2.0, 0.0}, {13.0, 0.8}, {24.0, 1.9}};
  const Point ends[] = {{11.950, 1.0}, {22.928, 2.0}, {27.666, 3.5}};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(::testing::Message() << "area " << i);
    const AreaGeometry& a = g.AreaGeom[i];
    ExpectNear(a.Start, starts[i], 1e-6);
    EXPECT_NEAR(a.End.X, ends[i].real(), 0.0005f);
    EXPECT_FLOAT_EQ(a.End.Y, ends[i].imag());
    ExpectNear(a.Direction, {a.End.X - a.Start.X, a.End.Y - a.Start.Y}, 1e-5);
    EXPECT_NEAR(std::hypot(a.Direction.X, a.Direction.Y), p.AreaLength[i], 1e-5f);
  }

  // The flybar, level from the mounting point at downtilt pin 2, is turned with the array.
  const Point level[] = {{1.0454, 5.022}, {1.0454, 4.965}, {1.0014, 4.965},
                         {1.0014, 4.980}, {0.7968, 4.978}, {0.7968, 5.022}};
  for (int i = 0; i < 6; ++i) {
    SCOPED_TRACE(::testing::Message() << "F" << i);
    const Point mount{1.0, 5.0};
    ExpectNear(g.Flybar[i], mount + Turned(level[i] - mount, -p.InclinationAngle), 1e-5);
  }
}

TEST(ArrayGeometry, OutlinesAndSourcesMatchADoublePrecisionReference) {
  // The default array, the same at a typed inclination (which is kept) or on uptilt pin 4,
  // and a straight level one.
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
    for (int i = 0; i < 12; ++i) {
      SCOPED_TRACE(::testing::Message() << "inclination " << p.InclinationAngle << ", box " << i);
      for (int corner = 0; corner < 5; ++corner)
        ExpectNear(Parts(g.BoxGeom[i])[corner], reference[i][corner], 1e-4);
    }
  }
}

TEST(ArrayAim, NearestCrossedAreaWinsWhateverItsIndexEvenBehindTheBox) {
  // Two steep areas crossed by every level axis. The side of the crossing is not checked:
  // an area behind the array, crossed by the axis extended backward, is nearer still.
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
      SCOPED_TRACE(::testing::Message() << "area at " << nearer << ", box " << i);
      const PlaneVector c = g.BoxGeom[i].Source;
      ExpectNear(AimOf(g.BoxGeom[i]), {nearer + 1.0 + run * c.Y / 9.0, c.Y}, 1e-4);
    }
  }
}

TEST(ArrayAim, AxisMissingEveryAreaEndsAtTheRightEndTheFloorOrTheTop) {
  // Level, or the fronts turned 60 degrees down or up under a fixed scene height of 6.5;
  // the only area lies beyond where the axes leave the scene.
  for (float inclination : {0.0f, -60.0f, 60.0f}) {
    ProjectData p = StraightArrayProject(4, inclination);
    p.AreasAmount = 1;
    p.AreaDistance[0] = 20.0f;  // rising from 0 to 1 over a length of 5
    p.AreaLength[0] = 5.0f;
    Graphics g;
    Redraw(p, g, {true, 12000.0, 9000.0});
    const double slope = std::tan(inclination * std::numbers::pi / 180.0);
    for (int i = 0; i < 4; ++i) {
      SCOPED_TRACE(::testing::Message() << "inclination " << inclination << ", box " << i);
      const PlaneVector c = g.BoxGeom[i].Source;
      const double end_y = inclination == 0.0f ? c.Y : inclination < 0.0f ? 0.0 : g.SceneHeight;
      const double end_x = inclination == 0.0f ? g.SceneWidth : c.X + (end_y - c.Y) / slope;
      ExpectNear(AimOf(g.BoxGeom[i]), {end_x, end_y}, 1e-4);
    }
  }
}

TEST(ArrayGeometryState, RepeatedRunsAgreeAndRecordsBeyondTheCountStay) {
  ProjectData p = MakeDefaultProject();
  Graphics g;
  ASSERT_TRUE(Redraw(p, g));
  const auto before = g.BoxGeom;
  // The shape vectors are rebuilt every time: splays never pile up between redraws.
  Graphics again = g;
  ASSERT_TRUE(ComputeArrayGeometry(p, again));
  for (int i = 0; i < 12; ++i) EXPECT_EQ(Parts(again.BoxGeom[i]), Parts(before[i])) << i;

  const float twelve_box_inclination = p.InclinationAngle;
  p.BoxesAmount = 4;
  ASSERT_TRUE(Redraw(p, g));
  // The four boxes in use were recomputed: the shorter array hangs differently.
  EXPECT_GT(std::fabs(p.InclinationAngle - twelve_box_inclination), 0.1f);
  EXPECT_NE(g.BoxGeom[0].TopFront, before[0].TopFront);
  for (int i = 4; i < MaxBoxes; ++i) EXPECT_EQ(Parts(g.BoxGeom[i]), Parts(before[i])) << i;
}

// Axis of the first box of a straight array, built from the vector primitives as the array
// is. Only picks the inclinations at which it is exactly vertical in single precision.
PlaneVector FirstBoxAxis(const ProjectData& p) {
  PlaneVector f{0.0f, -BoxFrontHeight}, b{-BoxDepth, BoxBottomRise}, k{0.0f, BoxBackHeight};
  PlaneVector top_front{PinOffset(p), -0.024f}, bottom_front = AddVectors(top_front, f);
  PlaneVector bottom_back = AddVectors(bottom_front, b), top_back = AddVectors(bottom_back, k);
  RotateFour(top_front, bottom_front, bottom_back, top_back, -p.InclinationAngle);
  RotateThree(f, b, k, -p.InclinationAngle);
  const PlaneVector mount{MountingPointX, p.FloorDistance};
  const PlaneVector source = AddVectors(AddVectors(top_front, mount), ScaleVector(f, 0.5f));
  const PlaneVector back = AddVectors(AddVectors(bottom_back, mount), ScaleVector(k, 0.5f));
  return AddVectors(source, NegateVector(back));
}

TEST(ArrayVerticalAxis, StraightUpOrDownLeavesEveryValueFinite) {
  int exactly_vertical = 0;
  for (float quarter : {90.0f, -90.0f}) {
    // The single-precision angles around the quarter turn, where the axes swing through
    // the vertical.
    float angle = quarter;
    for (int step = 0; step < 48; ++step) angle = std::nextafter(angle, 0.0f);
    for (int step = 0; step < 96; ++step) {
      angle = std::nextafter(angle, 2.0f * quarter);
      ProjectData p = StraightArrayProject(2, angle);
      p.FlybarPin = 1;
      if (FirstBoxAxis(p).X == 0.0f) ++exactly_vertical;
      Graphics g;
      Redraw(p, g);
      SCOPED_TRACE(::testing::Message() << "inclination " << angle);
      for (int box = 0; box < 2; ++box) EXPECT_TRUE(AllFinite(g.BoxGeom[box])) << "box " << box;
      for (const PlaneVector& point : g.Flybar) EXPECT_TRUE(IsFinite(point));
    }
  }
  // The sweep really passed through an exactly vertical axis.
  EXPECT_GT(exactly_vertical, 0);
}

}  // namespace
}  // namespace tarnwick
