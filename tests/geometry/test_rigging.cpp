// The rigging table of a hand-built array, its figures worked out by hand.
#include <gtest/gtest.h>

#include <tuple>

#include "geometry/Rigging.h"

using namespace tarnwick;

namespace {

// Two boxes: the top one aimed 45 degrees down onto area 1, 3 m across and 4 m down from
// the area's start, the second level, aimed at nothing and splayed 5 degrees.
struct TwoBoxes {
  ProjectData project = MakeDefaultProject();
  Graphics graphics;
  TwoBoxes() {
    project.BoxesAmount = 2;
    project.BoxAngle[0] = 5.0f;
    // Top front, bottom front, bottom back, top back, source, ray, aimed area.
    graphics.BoxGeom[0] = {{1, 2}, {}, {}, {}, {1, 7}, {3, -3}, 1};
    graphics.BoxGeom[1] = {{1, 1}, {1, 0.5f}, {0.6f, 0.25f}, {}, {}, {2, 0}, 0};
    graphics.AreaGeom[0].Start = {1.0f, 8.0f};  // the aim point (4, 4) lies 3, -4 from it
  }
};

}  // namespace

TEST(Rigging, givesEachBoxItsSplayAimHeightAndLanding) {
  const TwoBoxes a;
  const RiggingTable table = MakeRiggingTable(a.project, a.graphics);
  EXPECT_EQ(table.Inclination, a.project.InclinationAngle);
  ASSERT_EQ(table.Rows.size(), 2u);
  const RiggingRow &top = table.Rows[0], &second = table.Rows[1];
  EXPECT_EQ(std::tuple(top.Box, top.Splay, top.TopFrontHeight, top.Area),
            std::tuple(1, 0.0f, 2.0f, 1));
  EXPECT_NEAR(top.Aim, -45.0, 1e-12);
  EXPECT_DOUBLE_EQ(top.AlongArea, 5.0);
  EXPECT_EQ(std::pair(second.Splay, second.Area), std::pair(5.0f, 0));
  EXPECT_DOUBLE_EQ(second.Aim, 0.0);
  EXPECT_EQ(table.LowestBottom, 0.25f);  // the lower of the last box's bottom corners

  ProjectData none = a.project;
  none.BoxesAmount = 0;
  const RiggingTable empty = MakeRiggingTable(none, a.graphics);
  EXPECT_EQ(std::pair(empty.Rows.size(), empty.LowestBottom), std::pair(std::size_t{0}, 0.0f));
}

TEST(Rigging, writesTabSeparatedTextInTheProjectsUnitsAndDecimalSeparator) {
  const TwoBoxes a;
  RiggingTable table = MakeRiggingTable(a.project, a.graphics);
  table.Inclination = 5.29f;
  const auto in = [](const std::string& unit) {
    return "Box\tTilt Angle (deg)\tAim (deg)\tTop front height (" + unit +
           ")\tRay lands on\tAlong the area (" + unit + ")\n";
  };
  EXPECT_EQ(RiggingText(table, false, "."),
            "Inclination (deg)\t5.29\n" + in("m") + "1\t\t-45\t2\tArea 1\t5\n" +
                "2\t5\t0\t1\tnone\t\nLowest box bottom (m)\t0.25\n");
  // 3.28095 ft a metre: 2 m is 6.5619 ft, 5 m 16.40475, 1 m 3.28095, 0.25 m 0.8202375.
  EXPECT_EQ(RiggingText(table, true, ","),
            "Inclination (deg)\t5,29\n" + in("ft") + "1\t\t-45\t6,56\tArea 1\t16,4\n" +
                "2\t5\t0\t3,28\tnone\t\nLowest box bottom (ft)\t0,82\n");
}
