#include <gtest/gtest.h>

#include "geometry/AreaDrag.h"

using namespace tarnwick;

namespace {

// Scene of the default project with area i's slope computed.
struct Scene {
  ProjectData project = MakeDefaultProject();
  Graphics g;
  Scene() {
    for (int i = 0; i < MaxAreas; ++i) ComputeAreaSlope(project, i, g);
  }
  PlaneVector OnSlope(int i, float x, float above) const {
    const AreaGeometry& a = g.AreaGeom[i];
    const float y = a.Start.Y + (x - a.Start.X) / a.Direction.X * a.Direction.Y;
    return {x, y + above};
  }
};

}  // namespace

TEST(AreaPick, risingAreasAreHitBelowAndJustAboveTheirSlope) {
  Scene s;  // area 2 rises from (24, 1.9) to about (27.666, 3.5)
  EXPECT_TRUE(HitsArea(s.g.AreaGeom[2], s.OnSlope(2, 25, 0.29f)));
  EXPECT_FALSE(HitsArea(s.g.AreaGeom[2], s.OnSlope(2, 25, 0.31f)));
  EXPECT_TRUE(HitsArea(s.g.AreaGeom[2], s.OnSlope(2, 25, -0.4f)));  // below, inside the box
  EXPECT_FALSE(HitsArea(s.g.AreaGeom[2], {23.9f, 2.5f}));           // left of the box
  EXPECT_FALSE(HitsArea(s.g.AreaGeom[2], {27.0f, 1.8f}));           // below the box
  EXPECT_TRUE(HitsArea(s.g.AreaGeom[2], s.g.AreaGeom[2].Start));    // start is inside
}

TEST(AreaPick, flatAndFallingAreasAreHitNearTheirSlope) {
  Scene s;
  s.project.AreaHeight1[0] = s.project.AreaHeight2[0] = 0;  // a flat floor
  s.project.AreaHeight1[1] = 2;
  s.project.AreaHeight2[1] = 0.5f;  // falling
  ComputeAreaSlope(s.project, 0, s.g);
  ComputeAreaSlope(s.project, 1, s.g);
  for (int i : {0, 1}) {
    const float x = s.g.AreaGeom[i].Start.X + 3;
    EXPECT_TRUE(HitsArea(s.g.AreaGeom[i], s.OnSlope(i, x, 0.25f))) << i;
    EXPECT_TRUE(HitsArea(s.g.AreaGeom[i], s.OnSlope(i, x, -0.25f))) << i;
    EXPECT_FALSE(HitsArea(s.g.AreaGeom[i], s.OnSlope(i, x, 0.35f))) << i;
    EXPECT_FALSE(HitsArea(s.g.AreaGeom[i], s.OnSlope(i, x, -0.35f))) << i;
  }
}

TEST(AreaDragCycle, dropMovesTheAreaKeepingItsShape) {
  Scene s;
  const PlaneVector press = s.OnSlope(2, 25, 0.1f);
  ASSERT_EQ(PickArea(s.project, s.g, press), 2);
  EXPECT_EQ(s.g.DragActive, -1);
  EXPECT_NEAR(s.g.DragBoxHeight, 1.6f, 1e-6f);
  // The rectangle keeps the press's offset from the mouse.
  const PlaneVector origin = DragOrigin(s.g, {press.X + 2, press.Y + 1});
  EXPECT_NEAR(origin.X, 26.0f, 1e-5f);
  EXPECT_NEAR(origin.Y, 2.9f, 1e-5f);
  ASSERT_EQ(DropArea(s.project, s.g, {press.X + 2, press.Y + 1}), 2);
  EXPECT_NEAR(s.project.AreaDistance[2], 25.0f, 1e-5f);
  EXPECT_NEAR(s.project.AreaHeight1[2], 2.9f, 1e-5f);
  EXPECT_NEAR(s.project.AreaHeight2[2], 4.5f, 1e-5f);
  EXPECT_EQ(s.project.AreaLength[2], 4.0f);
  EXPECT_EQ(s.g.DragActive, 0);
  EXPECT_EQ(s.g.AreaGeom[2].Picked, 0);
  // Idle again: a release finds nothing to drop.
  EXPECT_EQ(DropArea(s.project, s.g, press), -1);
}

TEST(AreaDragCycle, lowerIndexWinsAndMissesChangeNothing) {
  Scene s;
  s.project.AreaDistance[1] = s.project.AreaDistance[0];
  s.project.AreaHeight1[1] = s.project.AreaHeight1[0];
  s.project.AreaHeight2[1] = s.project.AreaHeight2[0];
  ComputeAreaSlope(s.project, 1, s.g);
  EXPECT_EQ(PickArea(s.project, s.g, s.OnSlope(0, 5, 0.1f)), 0);
  EXPECT_EQ(s.g.AreaGeom[1].Picked, 0);
  Scene idle;
  EXPECT_EQ(PickArea(idle.project, idle.g, {8, 15}), -1);
  EXPECT_EQ(idle.g.DragActive, 0);
  // Areas not in use cannot be picked.
  idle.project.AreasAmount = 1;
  EXPECT_EQ(PickArea(idle.project, idle.g, idle.OnSlope(2, 25, 0.1f)), -1);
}
