// Unit tests of the scene extents, the area slopes, the automatic inclination and the
// position, outline and aim of every box of the array.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <numbers>
#include <ostream>
#include <utility>
#include <vector>

#include "geometry/ArrayGeometry.h"
#include "geometry/PlaneVector.h"
#include "model/ProjectData.h"

namespace tarnwick {

// Readable failure messages; found by argument-dependent lookup.
static void PrintTo(const PlaneVector& v, std::ostream* os) {
  *os << "(" << v.X << ", " << v.Y << ")";
}

namespace {

// The landscape main window most tests draw into: 4:3, so the width-based scene height
// of the default areas (width 28) is 21.
constexpr SceneFrame kLandscape{false, 12000.0, 9000.0};

// Scene extents and area slopes of one redraw, in the order the array step expects them.
void PrepareScene(const ProjectData& project, Graphics& g, const SceneFrame& frame = kLandscape) {
  ComputeSceneExtents(project, frame, g);
  for (int i = 0; i < project.AreasAmount; ++i) ComputeAreaSlope(project, i, g);
}

PlaneVector AimOf(const BoxGeometry& box) {
  return {box.Source.X + box.Ray.X, box.Source.Y + box.Ray.Y};
}

bool AllFinite(const BoxGeometry& box) {
  for (const PlaneVector& v :
       {box.TopFront, box.BottomFront, box.BottomBack, box.TopBack, box.Source, box.Ray}) {
    if (!std::isfinite(v.X) || !std::isfinite(v.Y)) return false;
  }
  return true;
}

// A project with the default areas and a straight array hung at a fixed inclination.
ProjectData StraightArrayProject(int boxes, float inclination) {
  ProjectData p = MakeDefaultProject();
  p.BoxesAmount = boxes;
  p.BoxAngle.fill(0.0f);
  p.AutomaticInclCalc = 0;
  p.InclinationAngle = inclination;
  return p;
}

// ---------------------------------------------------------------------------
// Independent reference in double precision: each box is the unrotated module outline
// turned as a whole by its total angle (inclination plus the splays above it) and hung
// from the bottom front corner of the box above.

struct Point {
  double x = 0.0;
  double y = 0.0;
};
Point operator+(Point a, Point b) { return {a.x + b.x, a.y + b.y}; }
Point operator-(Point a, Point b) { return {a.x - b.x, a.y - b.y}; }
Point operator*(double s, Point a) { return {s * a.x, s * a.y}; }

// Clockwise with Y up for a positive angle, like the program's rotations.
Point Turned(Point v, double degrees) {
  const double r = degrees * std::numbers::pi / 180.0;
  const double s = std::sin(r), c = std::cos(r);
  return {c * v.x + s * v.y, c * v.y - s * v.x};
}

struct ReferenceBox {
  Point top_front, bottom_front, bottom_back, top_back, source, axis;
};

double ReferencePinOffset(const ProjectData& p) {
  const double step = (p.FlybarPin - 1) * 0.0254;
  return p.FlybarMounting == 1 ? 0.23 - step : 0.23 + step;
}

std::vector<ReferenceBox> ReferenceArray(const ProjectData& p) {
  const Point mount{1.0, p.FloorDistance};
  const Point front{0.0, -0.3060455}, bottom{-0.4050872, 0.0176869}, back{0.0, 0.2706722};
  double angle = -static_cast<double>(p.InclinationAngle);
  Point top_front = mount + Turned({ReferencePinOffset(p), -0.024}, angle);
  std::vector<ReferenceBox> boxes;
  for (int i = 0; i < p.BoxesAmount; ++i) {
    if (i > 0) {
      top_front = boxes.back().bottom_front;
      if (p.BoxAngle[i - 1] == 5.0f) angle += 5.0;
    }
    const Point f = Turned(front, angle), b = Turned(bottom, angle), k = Turned(back, angle);
    ReferenceBox box;
    box.top_front = top_front;
    box.bottom_front = top_front + f;
    box.bottom_back = box.bottom_front + b;
    box.top_back = box.bottom_back + k;
    box.source = top_front + 0.5 * f;
    box.axis = box.source - (box.bottom_back + 0.5 * k);
    boxes.push_back(box);
  }
  return boxes;
}

// Where the axis from `c` along `d` ends: the nearest crossed area slope, else the right
// end of the scene, clipped to the floor and to the top.
Point ReferenceAim(const ProjectData& p, double scene_width, double scene_height, Point c,
                   Point d) {
  bool crossed = false;
  double best = 0.0;
  for (int j = 0; j < p.AreasAmount; ++j) {
    const double rise = static_cast<double>(p.AreaHeight2[j]) - p.AreaHeight1[j];
    const double run =
        std::sqrt(static_cast<double>(p.AreaLength[j]) * p.AreaLength[j] - rise * rise);
    const Point start{p.AreaDistance[j] + 1.0, p.AreaHeight1[j]};
    const Point along{run, rise};
    const double det = along.x * d.y - d.x * along.y;
    if (det == 0.0) continue;
    const Point w = start - c;
    const double t = (along.x * w.y - along.y * w.x) / det;
    const double u = (d.x * w.y - d.y * w.x) / det;
    if (u < 0.0 || u > 1.0) continue;
    if (!crossed || t < best) best = t;
    crossed = true;
  }
  if (!crossed) {
    best = (scene_width - c.x) / d.x;
    if (c.y + best * d.y < 0.0) best = c.y / std::fabs(d.y);
    if (c.y + best * d.y > scene_height) best = (scene_height - c.y) / d.y;
  }
  return c + best * d;
}

void ExpectNear(PlaneVector actual, Point expected, double tolerance) {
  EXPECT_NEAR(actual.X, expected.x, tolerance);
  EXPECT_NEAR(actual.Y, expected.y, tolerance);
}

// ---------------------------------------------------------------------------
// Automatic inclination.

TEST(AutomaticInclination, DefaultProjectHangsAtAboutThreeDegrees) {
  float angle = -100.0f;
  ASSERT_TRUE(AutomaticInclination(MakeDefaultProject(), angle));
  EXPECT_NEAR(angle, 3.00f, 0.005f);
}

TEST(AutomaticInclination, DowntiltPinsOneToNine) {
  const std::array<float, 9> expected = {3.80f,  3.00f,  2.20f,  1.39f, 0.59f,
                                         -0.21f, -1.02f, -1.82f, -2.62f};
  ProjectData p = MakeDefaultProject();
  p.FlybarMounting = 0;
  for (int pin = 1; pin <= 9; ++pin) {
    SCOPED_TRACE(::testing::Message() << "downtilt pin " << pin);
    p.FlybarPin = pin;
    float angle = 0.0f;
    ASSERT_TRUE(AutomaticInclination(p, angle));
    EXPECT_NEAR(angle, expected[pin - 1], 0.005f);
  }
}

TEST(AutomaticInclination, UptiltPinsOneToNine) {
  const std::array<float, 9> expected = {3.80f, 4.60f, 5.40f, 6.1948f, 6.99f,
                                         7.78f, 8.57f, 9.35f, 10.13f};
  ProjectData p = MakeDefaultProject();
  p.FlybarMounting = 1;
  for (int pin = 1; pin <= 9; ++pin) {
    SCOPED_TRACE(::testing::Message() << "uptilt pin " << pin);
    p.FlybarPin = pin;
    float angle = 0.0f;
    ASSERT_TRUE(AutomaticInclination(p, angle));
    // Pin 4 is known to four decimals; the others to two.
    EXPECT_NEAR(angle, expected[pin - 1], pin == 4 ? 0.0005f : 0.005f);
  }
}

TEST(AutomaticInclination, FirstPinIsTheSameForBothMountings) {
  ProjectData p = MakeDefaultProject();
  p.FlybarPin = 1;
  float downtilt = 0.0f, uptilt = 0.0f;
  p.FlybarMounting = 0;
  ASSERT_TRUE(AutomaticInclination(p, downtilt));
  p.FlybarMounting = 1;
  ASSERT_TRUE(AutomaticInclination(p, uptilt));
  EXPECT_FLOAT_EQ(downtilt, uptilt);
}

TEST(AutomaticInclination, TwoStraightBoxesOnDowntiltPinOneDropTheFront) {
  // The centre of gravity, 0.185 behind the front, lies in front of the pin at 0.23.
  ProjectData p = MakeDefaultProject();
  p.BoxesAmount = 2;
  p.BoxAngle.fill(0.0f);
  p.FlybarMounting = 0;
  p.FlybarPin = 1;
  float angle = 0.0f;
  ASSERT_TRUE(AutomaticInclination(p, angle));
  EXPECT_NEAR(angle, -7.76f, 0.005f);
}

TEST(AutomaticInclination, IgnoresStaleJointsAndSwitchedOffBoxes) {
  ProjectData p = MakeDefaultProject();
  p.BoxesAmount = 2;
  p.BoxAngle.fill(0.0f);
  p.FlybarPin = 1;
  float reference = 0.0f;
  ASSERT_TRUE(AutomaticInclination(p, reference));

  // Joints below the last box in use and box attenuation do not count.
  p.BoxAngle.fill(5.0f);
  p.BoxAngle[0] = 0.0f;
  p.BoxAttenuation.fill(BoxOffAttenuation);
  float angle = 0.0f;
  ASSERT_TRUE(AutomaticInclination(p, angle));
  EXPECT_FLOAT_EQ(angle, reference);
}

TEST(PinOffset, MovesByOnePinSpacingPerPinInOppositeSensesForTheTwoMountings) {
  ProjectData p = MakeDefaultProject();
  p.FlybarMounting = 0;
  p.FlybarPin = 2;
  EXPECT_NEAR(PinOffset(p), 0.2554f, 1e-6f);
  p.FlybarPin = 9;
  EXPECT_NEAR(PinOffset(p), 0.4332f, 1e-6f);
  p.FlybarMounting = 1;
  EXPECT_NEAR(PinOffset(p), 0.0268f, 1e-6f);
  p.FlybarPin = 4;
  EXPECT_NEAR(PinOffset(p), 0.1538f, 1e-6f);
  p.FlybarPin = 1;
  EXPECT_NEAR(PinOffset(p), 0.23f, 1e-6f);
}

// ---------------------------------------------------------------------------
// Scene extents.

TEST(SceneExtents, DefaultAreasGiveWidthTwentyEightAndAWindowShapedHeight) {
  Graphics g;
  ComputeSceneExtents(MakeDefaultProject(), kLandscape, g);
  EXPECT_FLOAT_EQ(g.SceneWidth, 28.0f);
  EXPECT_FLOAT_EQ(g.SceneHeight, 21.0f);  // 28 * 9000 / 12000
}

TEST(SceneExtents, LaterAreaEndingLessThanTheMarginBeyondLeavesWidthUnchanged) {
  ProjectData p = MakeDefaultProject();
  p.AreasAmount = 2;
  p.AreaDistance = {1.0f, 5.0f, 0.0f};
  p.AreaLength = {10.0f, 6.5f, 0.0f};  // area 1 ends at 11.5: beyond 11, short of 12
  Graphics g;
  ComputeSceneExtents(p, kLandscape, g);
  EXPECT_FLOAT_EQ(g.SceneWidth, 12.0f);

  p.AreaLength[1] = 7.5f;  // now ends at 12.5: the margin is added to it
  ComputeSceneExtents(p, kLandscape, g);
  EXPECT_FLOAT_EQ(g.SceneWidth, 13.5f);
}

TEST(SceneExtents, OnlyAreasInUseCount) {
  ProjectData p = MakeDefaultProject();
  p.AreasAmount = 1;
  p.AreaHeight2[2] = 50.0f;  // stale
  Graphics g;
  ComputeSceneExtents(p, kLandscape, g);
  EXPECT_FLOAT_EQ(g.SceneWidth, 12.0f);
  EXPECT_FLOAT_EQ(g.SceneHeight, 9.0f);  // 12 * 9000 / 12000
}

TEST(SceneExtents, FixedHeightIsFloorDistanceTimesOnePointThree) {
  ProjectData p = MakeDefaultProject();
  Graphics g;
  ComputeSceneExtents(p, SceneFrame{true, 12000.0, 9000.0}, g);
  EXPECT_FLOAT_EQ(g.SceneWidth, 28.0f);
  EXPECT_FLOAT_EQ(g.SceneHeight, 6.5f);

  // Neither the window nor the area heights matter then.
  p.FloorDistance = 2.0f;
  p.AreaHeight2 = {30.0f, 40.0f, 50.0f};
  ComputeSceneExtents(p, SceneFrame{true, 1000.0, 90000.0}, g);
  EXPECT_FLOAT_EQ(g.SceneHeight, 2.6f);
}

TEST(SceneExtents, WideWindowHeightIsRaisedToTheHighestAreaEndNotEnlarged) {
  ProjectData p = MakeDefaultProject();
  p.FloorDistance = 2.0f;
  Graphics g;
  // 28 * 1000 / 28000 = 1; raised to the area end heights 2 and then 3.5.
  ComputeSceneExtents(p, SceneFrame{false, 28000.0, 1000.0}, g);
  EXPECT_FLOAT_EQ(g.SceneHeight, 3.5f);

  // The start heights play no role.
  p.AreaHeight1 = {10.0f, 10.0f, 10.0f};
  ComputeSceneExtents(p, SceneFrame{false, 28000.0, 1000.0}, g);
  EXPECT_FLOAT_EQ(g.SceneHeight, 3.5f);

  // Nor do stale areas.
  p.AreasAmount = 2;
  ComputeSceneExtents(p, SceneFrame{false, 23000.0, 1000.0}, g);
  EXPECT_FLOAT_EQ(g.SceneWidth, 23.0f);
  EXPECT_FLOAT_EQ(g.SceneHeight, 2.0f);
}

TEST(SceneExtents, FloorAboveTheSceneGivesFloorDistanceTimesOnePointThree) {
  ProjectData p = MakeDefaultProject();  // floor 5, highest area end 3.5
  Graphics g;
  ComputeSceneExtents(p, SceneFrame{false, 28000.0, 1000.0}, g);
  EXPECT_FLOAT_EQ(g.SceneHeight, 6.5f);

  // A floor just below the width-based height leaves that height alone.
  ComputeSceneExtents(p, SceneFrame{false, 28000.0, 5100.0}, g);
  EXPECT_FLOAT_EQ(g.SceneHeight, 5.1f);
}

// ---------------------------------------------------------------------------
// Area slopes.

TEST(AreaSlope, DefaultAreasRunAlongTheirSlopeLength) {
  const ProjectData p = MakeDefaultProject();
  Graphics g;
  for (int i = 0; i < 3; ++i) ComputeAreaSlope(p, i, g);

  const std::array<PlaneVector, 3> starts = {{{2.0f, 0.0f}, {13.0f, 0.8f}, {24.0f, 1.9f}}};
  const std::array<PlaneVector, 3> ends = {{{11.950f, 1.0f}, {22.928f, 2.0f}, {27.666f, 3.5f}}};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(::testing::Message() << "area " << i);
    const AreaGeometry& a = g.AreaGeom[i];
    EXPECT_FLOAT_EQ(a.Start.X, starts[i].X);
    EXPECT_FLOAT_EQ(a.Start.Y, starts[i].Y);
    EXPECT_NEAR(a.End.X, ends[i].X, 0.0005f);
    EXPECT_FLOAT_EQ(a.End.Y, ends[i].Y);
    EXPECT_NEAR(a.Direction.X, a.End.X - a.Start.X, 1e-5f);
    EXPECT_NEAR(a.Direction.Y, a.End.Y - a.Start.Y, 1e-6f);
    // The slope is as long as the area.
    EXPECT_NEAR(std::hypot(a.Direction.X, a.Direction.Y), p.AreaLength[i], 1e-5f);
  }
}

TEST(AreaSlope, AreaShorterThanItsRiseHasNoHorizontalExtentAndNoNaN) {
  ProjectData p = MakeDefaultProject();
  p.AreasAmount = 2;
  p.AreaDistance[1] = 4.0f;
  p.AreaLength[1] = 1.0f;
  p.AreaHeight1[1] = 0.0f;
  p.AreaHeight2[1] = 3.0f;
  Graphics g;
  ComputeAreaSlope(p, 0, g);
  ComputeAreaSlope(p, 1, g);

  const AreaGeometry& a = g.AreaGeom[1];
  for (const PlaneVector& v : {a.Start, a.End, a.Direction}) {
    EXPECT_TRUE(std::isfinite(v.X) && std::isfinite(v.Y)) << ::testing::PrintToString(v);
  }
  EXPECT_FLOAT_EQ(a.Start.X, 5.0f);
  EXPECT_EQ(a.End.X, a.Start.X);
  EXPECT_EQ(a.Direction.X, 0.0f);

  // The array step still runs over such an area without producing NaN.
  PrepareScene(p, g);
  ComputeArrayGeometry(p, g);
  for (int i = 0; i < p.BoxesAmount; ++i) EXPECT_TRUE(AllFinite(g.BoxGeom[i])) << "box " << i;
}

TEST(AreaSlope, LeavesOtherAreaRecordsAlone) {
  ProjectData p = MakeDefaultProject();
  Graphics g;
  g.AreaGeom[1].Start = {-7.0f, -7.0f};
  g.AreaGeom[2].End = {-9.0f, -9.0f};
  ComputeAreaSlope(p, 0, g);
  EXPECT_EQ(g.AreaGeom[1].Start, (PlaneVector{-7.0f, -7.0f}));
  EXPECT_EQ(g.AreaGeom[2].End, (PlaneVector{-9.0f, -9.0f}));
}

// ---------------------------------------------------------------------------
// The array on the default project.

class DefaultProjectArray : public ::testing::Test {
 protected:
  void SetUp() override {
    project_ = MakeDefaultProject();
    PrepareScene(project_, g_);
    returned_ = ComputeArrayGeometry(project_, g_);
  }

  ProjectData project_;
  Graphics g_;
  bool returned_ = false;
};

TEST_F(DefaultProjectArray, AutomaticInclinationReplacesTheTypedAngle) {
  EXPECT_TRUE(returned_);
  EXPECT_NEAR(project_.InclinationAngle, 3.00f, 0.005f);
  float automatic = 0.0f;
  ASSERT_TRUE(AutomaticInclination(MakeDefaultProject(), automatic));
  EXPECT_EQ(project_.InclinationAngle, automatic);  // unrounded
}

TEST_F(DefaultProjectArray, FirstBoxHangsBelowAndInFrontOfTheMountingPoint) {
  EXPECT_EQ(g_.MountingPoint, (PlaneVector{1.0f, 5.0f}));
  const BoxGeometry& box = g_.BoxGeom[0];
  EXPECT_NEAR(box.TopFront.X, 1.2563f, 1e-4f);
  EXPECT_NEAR(box.TopFront.Y, 4.9894f, 1e-4f);
  EXPECT_NEAR(box.Source.X, 1.2643f, 1e-4f);
  EXPECT_NEAR(box.Source.Y, 4.8366f, 1e-4f);
}

TEST_F(DefaultProjectArray, BoxesTwoAndSevenAimAtTheFarAreas) {
  const PlaneVector aim2 = AimOf(g_.BoxGeom[2]);
  EXPECT_NEAR(aim2.X, 27.25f, 0.005f);
  EXPECT_NEAR(aim2.Y, 3.318f, 0.0005f);

  const PlaneVector aim7 = AimOf(g_.BoxGeom[7]);
  EXPECT_NEAR(aim7.X, 14.847f, 0.0005f);
  EXPECT_NEAR(aim7.Y, 1.023f, 0.0005f);

  // Each aim point lies on the slope of its area, between its ends.
  for (const auto& [aim, area] : {std::pair{aim2, 2}, std::pair{aim7, 1}}) {
    SCOPED_TRACE(::testing::Message() << "area " << area);
    const AreaGeometry& a = g_.AreaGeom[area];
    const float u = (aim.X - a.Start.X) / a.Direction.X;
    EXPECT_GE(u, 0.0f);
    EXPECT_LE(u, 1.0f);
    EXPECT_NEAR(aim.Y, a.Start.Y + u * a.Direction.Y, 1e-4f);
  }
}

TEST_F(DefaultProjectArray, LowestBoxHangsBackAndAimsAtTheNearArea) {
  const BoxGeometry& box = g_.BoxGeom[11];
  EXPECT_NEAR(box.Source.X, 0.8604f, 1e-4f);
  EXPECT_NEAR(box.Source.Y, 1.5330f, 1e-4f);
  const PlaneVector aim = AimOf(box);
  EXPECT_NEAR(aim.X, 3.561f, 0.0005f);
  EXPECT_NEAR(aim.Y, 0.157f, 0.0005f);
}

TEST_F(DefaultProjectArray, TopTwoBoxesMissEveryAreaAndEndAtTheSceneBorder) {
  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE(::testing::Message() << "box " << i);
    const PlaneVector aim = AimOf(g_.BoxGeom[i]);
    const bool at_right_end = std::fabs(aim.X - g_.SceneWidth) < 1e-4f;
    const bool at_top = std::fabs(aim.Y - g_.SceneHeight) < 1e-4f;
    EXPECT_TRUE(at_right_end || at_top) << ::testing::PrintToString(aim);
    EXPECT_GT(aim.Y, 3.5f);  // above every area
  }
}

TEST_F(DefaultProjectArray, CornersAndSourcesMatchADoublePrecisionReference) {
  const std::vector<ReferenceBox> reference = ReferenceArray(project_);
  ASSERT_EQ(reference.size(), 12u);
  for (int i = 0; i < 12; ++i) {
    SCOPED_TRACE(::testing::Message() << "box " << i);
    const BoxGeometry& box = g_.BoxGeom[i];
    ExpectNear(box.Source, reference[i].source, 1e-4);
    ExpectNear(box.TopFront, reference[i].top_front, 1e-4);
    ExpectNear(box.BottomFront, reference[i].bottom_front, 1e-4);
    ExpectNear(box.BottomBack, reference[i].bottom_back, 1e-4);
    ExpectNear(box.TopBack, reference[i].top_back, 1e-4);
  }
}

TEST_F(DefaultProjectArray, AimPointsMatchADoublePrecisionReference) {
  const std::vector<ReferenceBox> reference = ReferenceArray(project_);
  for (int i = 0; i < 12; ++i) {
    SCOPED_TRACE(::testing::Message() << "box " << i);
    const Point aim = ReferenceAim(project_, g_.SceneWidth, g_.SceneHeight, reference[i].source,
                                   reference[i].axis);
    // Rays run up to 27 m, several of them at a shallow angle to their area.
    ExpectNear(AimOf(g_.BoxGeom[i]), aim, 2e-3);
  }
}

TEST_F(DefaultProjectArray, FlybarIsTurnedWithTheArrayAboutTheMountingPoint) {
  // Downtilt pin 2 outline at inclination 0, from the mounting point (1, 5).
  const std::array<Point, 6> level = {{{1.0454, 5.022},
                                       {1.0454, 4.965},
                                       {1.0014, 4.965},
                                       {1.0014, 4.980},
                                       {0.7968, 4.978},
                                       {0.7968, 5.022}}};
  const Point mount{1.0, 5.0};
  for (int i = 0; i < 6; ++i) {
    SCOPED_TRACE(::testing::Message() << "F" << i);
    ExpectNear(g_.Flybar[i], mount + Turned(level[i] - mount, -project_.InclinationAngle), 1e-5);
  }
}

// ---------------------------------------------------------------------------
// Aim points in constructed scenes.

TEST(ArrayAim, LevelStraightArrayIsHorizontalAndMissesLowAreasToTheSceneEnd) {
  ProjectData p = StraightArrayProject(12, 0.0f);
  p.FloorDistance = 10.0f;  // every box above the default areas
  Graphics g;
  PrepareScene(p, g);
  EXPECT_FALSE(ComputeArrayGeometry(p, g));
  ASSERT_FLOAT_EQ(g.SceneWidth, 28.0f);

  for (int i = 0; i < 12; ++i) {
    SCOPED_TRACE(::testing::Message() << "box " << i);
    const BoxGeometry& box = g.BoxGeom[i];
    // Upright outline straight below the mounting point's pin offset.
    EXPECT_NEAR(box.TopFront.X, 1.2554f, 1e-6f);
    EXPECT_NEAR(box.TopFront.Y, 9.976f - i * 0.3060455f, 2e-5f);
    EXPECT_NEAR(box.BottomFront.X, box.TopFront.X, 1e-6f);
    EXPECT_NEAR(box.Source.Y, box.TopFront.Y - 0.15302275f, 1e-5f);
    // The axis is horizontal and ends at the right end of the scene.
    const PlaneVector aim = AimOf(box);
    EXPECT_NEAR(aim.X, g.SceneWidth, 1e-4f);
    EXPECT_NEAR(aim.Y, box.Source.Y, 1e-4f);
  }
}

TEST(ArrayAim, NearestCrossedAreaWinsWhateverItsIndex) {
  // Two steep areas both crossed by every level axis; the later one is nearer.
  ProjectData p = StraightArrayProject(12, 0.0f);
  p.AreasAmount = 2;
  p.AreaDistance = {20.0f, 5.0f, 0.0f};
  p.AreaLength = {10.0f, 10.0f, 0.0f};
  p.AreaHeight1 = {0.0f, 0.0f, 0.0f};
  p.AreaHeight2 = {9.0f, 9.0f, 0.0f};
  Graphics g;
  PrepareScene(p, g);
  ComputeArrayGeometry(p, g);

  const double run = std::sqrt(100.0 - 81.0);
  for (int i = 0; i < 12; ++i) {
    SCOPED_TRACE(::testing::Message() << "box " << i);
    const PlaneVector c = g.BoxGeom[i].Source;
    const PlaneVector aim = AimOf(g.BoxGeom[i]);
    EXPECT_NEAR(aim.X, 6.0 + run * c.Y / 9.0, 1e-4);
    EXPECT_NEAR(aim.Y, c.Y, 1e-4);
  }
}

TEST(ArrayAim, AreaCrossedBehindTheBoxCountsAsCrossed) {
  // The side of the crossing is not checked: an area behind the array, crossed by the
  // backward extension of the axis, is nearer along the axis than one in front.
  ProjectData p = StraightArrayProject(2, 0.0f);
  p.AreasAmount = 2;
  p.AreaDistance = {5.0f, -6.0f, 0.0f};
  p.AreaLength = {10.0f, 10.0f, 0.0f};
  p.AreaHeight1 = {0.0f, 0.0f, 0.0f};
  p.AreaHeight2 = {9.0f, 9.0f, 0.0f};
  Graphics g;
  PrepareScene(p, g);
  ComputeArrayGeometry(p, g);

  const double run = std::sqrt(100.0 - 81.0);
  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE(::testing::Message() << "box " << i);
    const PlaneVector c = g.BoxGeom[i].Source;
    const PlaneVector aim = AimOf(g.BoxGeom[i]);
    EXPECT_NEAR(aim.X, -5.0 + run * c.Y / 9.0, 1e-4);
    EXPECT_NEAR(aim.Y, c.Y, 1e-4);
    EXPECT_LT(g.BoxGeom[i].Ray.X, 0.0f);
  }
}

TEST(ArrayAim, AxisAimedBelowTheFloorMissingAllAreasStopsAtTheFloor) {
  // Front turned 60 degrees down; the only area lies far beyond where the axes reach the
  // floor, and the backward extensions rise away behind the array.
  ProjectData p = StraightArrayProject(4, -60.0f);
  p.AreasAmount = 1;
  p.AreaDistance[0] = 20.0f;
  p.AreaLength[0] = 5.0f;
  p.AreaHeight1[0] = 0.0f;
  p.AreaHeight2[0] = 1.0f;
  Graphics g;
  PrepareScene(p, g);
  ComputeArrayGeometry(p, g);

  const double run_per_drop = 1.0 / std::tan(60.0 * std::numbers::pi / 180.0);
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(::testing::Message() << "box " << i);
    const PlaneVector c = g.BoxGeom[i].Source;
    const PlaneVector aim = AimOf(g.BoxGeom[i]);
    EXPECT_NEAR(aim.Y, 0.0f, 1e-5f);
    EXPECT_NEAR(aim.X, c.X + c.Y * run_per_drop, 1e-4);
  }
}

TEST(ArrayAim, AxisAimedAboveTheSceneMissingAllAreasStopsAtTheTop) {
  // Front turned 60 degrees up under a fixed scene height of 6.5.
  ProjectData p = StraightArrayProject(4, 60.0f);
  p.AreasAmount = 1;
  p.AreaDistance[0] = 20.0f;
  p.AreaLength[0] = 5.0f;
  p.AreaHeight1[0] = 0.0f;
  p.AreaHeight2[0] = 1.0f;
  Graphics g;
  PrepareScene(p, g, SceneFrame{true, 12000.0, 9000.0});
  ASSERT_FLOAT_EQ(g.SceneHeight, 6.5f);
  ComputeArrayGeometry(p, g);

  const double run_per_rise = 1.0 / std::tan(60.0 * std::numbers::pi / 180.0);
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(::testing::Message() << "box " << i);
    const PlaneVector c = g.BoxGeom[i].Source;
    const PlaneVector aim = AimOf(g.BoxGeom[i]);
    EXPECT_NEAR(aim.Y, 6.5f, 1e-5f);
    EXPECT_NEAR(aim.X, c.X + (6.5 - c.Y) * run_per_rise, 1e-4);
  }
}

// ---------------------------------------------------------------------------
// What the array step leaves alone.

TEST(ArrayGeometryState, TypedInclinationIsKeptWhenAutomaticIsOff) {
  ProjectData p = MakeDefaultProject();
  p.AutomaticInclCalc = 0;
  p.InclinationAngle = 5.29f;
  Graphics g;
  PrepareScene(p, g);
  EXPECT_FALSE(ComputeArrayGeometry(p, g));
  EXPECT_EQ(p.InclinationAngle, 5.29f);

  // And the array hangs at the typed angle, not at the automatic one.
  const std::vector<ReferenceBox> reference = ReferenceArray(p);
  for (int i = 0; i < 12; ++i) {
    SCOPED_TRACE(::testing::Message() << "box " << i);
    ExpectNear(g.BoxGeom[i].Source, reference[i].source, 1e-4);
    ExpectNear(g.BoxGeom[i].BottomBack, reference[i].bottom_back, 1e-4);
  }
}

TEST(ArrayGeometryState, FewerBoxesLeaveTheRecordsBeyondTheCountUntouched) {
  ProjectData p = MakeDefaultProject();
  Graphics g;
  PrepareScene(p, g);
  ASSERT_TRUE(ComputeArrayGeometry(p, g));
  const std::array<BoxGeometry, MaxBoxes> before = g.BoxGeom;
  const float twelve_box_inclination = p.InclinationAngle;

  p.BoxesAmount = 4;
  PrepareScene(p, g);
  ASSERT_TRUE(ComputeArrayGeometry(p, g));

  // The four boxes in use were recomputed: the shorter array hangs differently.
  EXPECT_GT(std::fabs(p.InclinationAngle - twelve_box_inclination), 0.1f);
  EXPECT_NE(g.BoxGeom[0].TopFront, before[0].TopFront);
  for (int i = 4; i < MaxBoxes; ++i) {
    SCOPED_TRACE(::testing::Message() << "box " << i);
    const BoxGeometry& now = g.BoxGeom[i];
    EXPECT_EQ(now.TopFront, before[i].TopFront);
    EXPECT_EQ(now.BottomFront, before[i].BottomFront);
    EXPECT_EQ(now.BottomBack, before[i].BottomBack);
    EXPECT_EQ(now.TopBack, before[i].TopBack);
    EXPECT_EQ(now.Source, before[i].Source);
    EXPECT_EQ(now.Ray, before[i].Ray);
  }
}

TEST(ArrayGeometryState, RepeatedRunsGiveIdenticalResults) {
  // The shape vectors are rebuilt every time: splays never pile up between redraws.
  ProjectData p = MakeDefaultProject();
  Graphics first;
  PrepareScene(p, first);
  ASSERT_TRUE(ComputeArrayGeometry(p, first));
  Graphics second = first;
  ASSERT_TRUE(ComputeArrayGeometry(p, second));
  for (int i = 0; i < 12; ++i) {
    SCOPED_TRACE(::testing::Message() << "box " << i);
    EXPECT_EQ(second.BoxGeom[i].BottomBack, first.BoxGeom[i].BottomBack);
    EXPECT_EQ(second.BoxGeom[i].Source, first.BoxGeom[i].Source);
    EXPECT_EQ(second.BoxGeom[i].Ray, first.BoxGeom[i].Ray);
  }
}

// ---------------------------------------------------------------------------
// A box axis standing straight up or down.

// Axis of box `index` of a straight array, assembled from the vector primitives step by
// step as the array is built. Used only to pick inclinations at which an axis is exactly
// vertical in single precision; the expectations below do not depend on it.
PlaneVector StraightArrayAxis(const ProjectData& p, int index) {
  PlaneVector f{0.0f, -BoxFrontHeight}, b{-BoxDepth, BoxBottomRise}, k{0.0f, BoxBackHeight};
  PlaneVector top_front{PinOffset(p), -0.024f};
  PlaneVector bottom_front = AddVectors(top_front, f);
  PlaneVector bottom_back = AddVectors(bottom_front, b);
  PlaneVector top_back = AddVectors(bottom_back, k);
  RotateFour(top_front, bottom_front, bottom_back, top_back, -p.InclinationAngle);
  RotateThree(f, b, k, -p.InclinationAngle);
  const PlaneVector mount{MountingPointX, p.FloorDistance};
  top_front = AddVectors(top_front, mount);
  bottom_front = AddVectors(bottom_front, mount);
  bottom_back = AddVectors(bottom_back, mount);
  for (int i = 1; i <= index; ++i) {
    top_front = bottom_front;
    bottom_front = AddVectors(top_front, f);
    bottom_back = AddVectors(bottom_front, b);
  }
  const PlaneVector source = AddVectors(top_front, ScaleVector(f, 0.5f));
  return AddVectors(source, NegateVector(AddVectors(bottom_back, ScaleVector(k, 0.5f))));
}

TEST(ArrayVerticalAxis, StraightUpOrDownLeavesEveryValueFinite) {
  int exactly_vertical = 0;
  for (float quarter : {90.0f, -90.0f}) {
    // The single-precision angles around the quarter turn, where the box axes swing
    // through the vertical.
    float angle = quarter;
    for (int step = 0; step < 48; ++step) angle = std::nextafter(angle, 0.0f);
    for (int step = 0; step < 96; ++step) {
      angle = std::nextafter(angle, 2.0f * quarter);
      ProjectData p = StraightArrayProject(2, angle);
      p.FlybarPin = 1;
      for (int box = 0; box < 2; ++box) {
        if (StraightArrayAxis(p, box).X == 0.0f) ++exactly_vertical;
      }

      Graphics g;
      PrepareScene(p, g);
      ComputeArrayGeometry(p, g);
      SCOPED_TRACE(::testing::Message() << "inclination " << angle);
      EXPECT_EQ(p.InclinationAngle, angle);
      for (int box = 0; box < 2; ++box) {
        EXPECT_TRUE(AllFinite(g.BoxGeom[box])) << "box " << box;
      }
      for (const PlaneVector& point : g.Flybar) {
        EXPECT_TRUE(std::isfinite(point.X) && std::isfinite(point.Y));
      }
    }
  }
  // The sweep really passed through an exactly vertical axis.
  EXPECT_GT(exactly_vertical, 0);
}

TEST(ArrayVerticalAxis, RoundQuarterTurnsLeaveEveryValueFinite) {
  for (float angle : {90.0f, -90.0f, 270.0f}) {
    SCOPED_TRACE(::testing::Message() << "inclination " << angle);
    ProjectData p = StraightArrayProject(12, angle);
    Graphics g;
    PrepareScene(p, g);
    ComputeArrayGeometry(p, g);
    for (int box = 0; box < 12; ++box) EXPECT_TRUE(AllFinite(g.BoxGeom[box])) << "box " << box;
  }
}

}  // namespace
}  // namespace tarnwick
