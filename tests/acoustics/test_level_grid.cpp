// The coverage map's grid, the levels along the areas and the highest of them.
#include <gtest/gtest.h>

#include <tuple>

#include "acoustics/LevelGrid.h"
#include "acoustics/PlainSum.h"

using namespace tarnwick;

TEST(LevelGrid, spansTheRectangleCornerToCornerAndHasAtLeastOneNode) {
  const LevelGrid grid = MakeLevelGrid(BroadbandChoice, -1.0, 8.0, 19.0, 0.0, 5, 3);
  EXPECT_EQ(grid.nodes, std::vector<float>(15, SPLFloor));
  EXPECT_EQ(grid.Node(0, 0), (PlaneVector{-1.0f, 8.0f}));
  EXPECT_EQ(grid.Node(4, 2), (PlaneVector{19.0f, 0.0f}));
  EXPECT_EQ(grid.Node(1, 1), (PlaneVector{4.0f, 4.0f}));  // a quarter across, half down
  const LevelGrid one = MakeLevelGrid(3, -1.0, 8.0, 19.0, 0.0, 0, -2);
  EXPECT_EQ(std::tuple(one.nx, one.ny, one.nodes.size()), std::tuple(1, 1, 1u));
  EXPECT_EQ(one.Node(0, 0), (PlaneVector{-1.0f, 8.0f}));
}

TEST(LevelGrid, fillsTheRowsItIsGivenWithTheEnginesLevelsAndStopsWhenAsked) {
  const Hung d;
  const LevelEngine engine(d.project, d.graphics, ModuleData());
  LevelGrid grid = MakeLevelGrid(10, 0.0, 9.0, 20.0, 0.0, 6, 5);
  EXPECT_TRUE(grid.FillRows(engine, 1, 2, [] { return false; }));  // rows 1 and 3
  for (int j = 0; j < grid.ny; ++j)
    for (int i = 0; i < grid.nx; ++i)
      EXPECT_EQ(grid.nodes[j * grid.nx + i], j % 2 ? engine.Level(10, grid.Node(i, j)) : SPLFloor)
          << i << ", " << j;
  int asked = 0;
  LevelGrid stopped = MakeLevelGrid(10, 0.0, 9.0, 20.0, 0.0, 6, 5);
  EXPECT_FALSE(stopped.FillRows(engine, 0, 1, [&] { return ++asked > 2; }));
  EXPECT_EQ(asked, 3);  // asked before each row: two rows filled
  EXPECT_NE(stopped.nodes[grid.nx], SPLFloor);
  EXPECT_EQ(stopped.nodes[2 * grid.nx], SPLFloor);
}

TEST(LevelGrid, coloursTheAreasWithTheEnginesLevelsAtTheirPoints) {
  Hung d;
  const LevelEngine engine(d.project, d.graphics, ModuleData());
  const auto areas = AreaLevels(engine, BroadbandAChoice, d.project, d.graphics);
  ASSERT_EQ(areas.size(), 3u);
  float highest = SPLFloor;
  for (int a = 0; a < 3; ++a) {
    const auto points = AreaPoints(d.project, d.graphics, a + 1);
    ASSERT_EQ(areas[a].size(), points.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
      EXPECT_EQ(areas[a][i].Position, points[i].Position);
      EXPECT_EQ(areas[a][i].SPL, engine.Level(BroadbandAChoice, points[i].Position));
      highest = std::max(highest, areas[a][i].SPL);
    }
  }
  EXPECT_EQ(HighestLevel(areas), highest);
  EXPECT_GT(highest, 90.0f);
  EXPECT_EQ(HighestLevel({{}, {SPLPoint{{}, 0.0f, SPLFloor}}}), SPLFloor);
  d.project.AreasAmount = 1;
  EXPECT_EQ(AreaLevels(engine, 10, d.project, d.graphics).size(), 1u);
}
