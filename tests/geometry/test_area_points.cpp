// Points along an area: how many, where, and which lengths give none.
#include <gtest/gtest.h>

#include <cmath>

#include "geometry/AreaPoints.h"

using namespace tarnwick;

namespace {

// Area 1 from (2, 1) rising 3 m over 4 m: a slope of length 5.
std::vector<AreaPoint> Along(float length, int area = 1) {
  ProjectData p = MakeDefaultProject();
  p.AreaLength[0] = length;
  Graphics g;
  g.AreaGeom[0].Start = {2.0f, 1.0f};
  g.AreaGeom[0].Direction = {4.0f, 3.0f};
  return AreaPoints(p, g, area);
}

}  // namespace

TEST(AreaPoints, placesATenthOfAMetreApartCountingTheLengthHalfToEven) {
  // length -> points: N = 10 * length rounded half to even, plus one.
  const std::pair<float, std::size_t> cases[] = {{10.06f, 102}, {0.25f, 3},  {0.75f, 9},
                                                 {0.0f, 1},     {-0.04f, 1}, {10000.0f, 100001}};
  for (const auto& [length, count] : cases) EXPECT_EQ(Along(length).size(), count) << length;
  // With the length as long as the slope, point i lies 0.1 i m along it: (0.08 i, 0.06 i).
  const auto points = Along(5.0f);
  EXPECT_EQ(points[0].Position, (PlaneVector{2.0f, 1.0f}));  // the start exactly
  for (const std::size_t i : {1u, 7u, 25u, 50u}) {
    EXPECT_NEAR(points[i].Position.X, 2.0 + 0.08 * i, 1e-6) << i;
    EXPECT_NEAR(points[i].Position.Y, 1.0 + 0.06 * i, 1e-6) << i;
    EXPECT_DOUBLE_EQ(points[i].Along, 0.1 * i);
  }
  // Whatever the length, the steps are fractions of the slope and point N lies at its end.
  EXPECT_NEAR(Along(10.0f)[100].Position.X, 6.0, 1e-6);
  EXPECT_NEAR(Along(2.5f).back().Position.Y, 4.0, 1e-6);
}

TEST(AreaPoints, givesNoneForAnAreaOutOfRangeOrALengthWithoutACount) {
  for (const float length : {-0.06f, NAN, 10000.06f, 3e38f})
    EXPECT_TRUE(Along(length).empty()) << length;
  for (const int area : {0, 4, -1}) EXPECT_TRUE(Along(5.0f, area).empty()) << area;
  EXPECT_EQ(Along(5.0f, 3).size(), 41u);  // area 3's own length, 4 m
}
