// Rows in use, list entries and the names of changes, against figures worked out by hand
// (some in tests/data/project_rules.txt).
#include <gtest/gtest.h>

#include <sstream>

#include "model/ProjectRules.h"
#include "support/DataTable.h"

using namespace tarnwick;

TEST(ProjectRules, countsRowsInUseAndShowsSplaysAsTheTableSays) {
  const int rows = ForEachCase("project_rules.txt", [](const std::string& row) {
    const auto [given, expected] = ArgumentsAndExpected(row);
    std::ostringstream got;
    if (given.at(0) == "InUse") {
      ProjectData p = MakeDefaultProject();
      p.AreasAmount = p.BoxesAmount = std::stoi(given.at(1));
      got << AreasInUse(p) << ' ' << BoxesInUse(p) << ' ' << JointsInUse(p);
    } else if (given.at(0) == "SplayIndex") {
      got << SplayIndex(std::stof(given.at(1)));
    } else {
      ADD_FAILURE() << "no rule " << given.at(0);
    }
    EXPECT_EQ(got.str(), expected) << row;
  });
  EXPECT_GE(rows, 17);
}

TEST(ProjectRules, hasListEntriesOnlyForCountsSplaysPinAndFlagTheListsShow) {
  EXPECT_TRUE(HasListItems(MakeDefaultProject()));
  const auto with = [](auto change) {
    ProjectData p = MakeDefaultProject();
    change(p);
    return HasListItems(p);
  };
  EXPECT_FALSE(with([](ProjectData& p) { p.AreasAmount = 0; }));
  EXPECT_FALSE(with([](ProjectData& p) { p.BoxesAmount = 1; }));
  EXPECT_FALSE(with([](ProjectData& p) { p.BoxesAmount = 13; }));
  EXPECT_FALSE(with([](ProjectData& p) { p.BoxAngle[10] = 7.5f; }));
  EXPECT_TRUE(with([](ProjectData& p) { p.BoxAngle[10] = 6.0f; }));                    // shows as 5
  EXPECT_TRUE(with([](ProjectData& p) { p.BoxesAmount = 2, p.BoxAngle[1] = 7.5f; }));  // unused
  EXPECT_FALSE(with([](ProjectData& p) { p.FlybarPin = 0; }));
  EXPECT_FALSE(with([](ProjectData& p) { p.FlybarPin = 10; }));
  EXPECT_FALSE(with([](ProjectData& p) { p.AutomaticInclCalc = 2; }));
  EXPECT_TRUE(with([](ProjectData& p) { p.FloorDistance = -1e30f, p.BoxAttenuation[0] = 99; }));
}

TEST(ProjectRules, namesWhatTheUserChangedAndNotWhatTheProgramWorkedOut) {
  ProjectData before = MakeDefaultProject();  // automatic inclination
  const auto expect = [&](auto edit, bool differs, const std::string& name) {
    ProjectData after = before;
    edit(after);
    EXPECT_EQ(DiffersByUser(before, after), differs) << name;
    EXPECT_EQ(DescribeChange(before, after), name);
  };
  expect([](ProjectData& p) { p.InclinationAngle += 1; }, false, "Changes");
  expect([](ProjectData& p) { p.AutomaticInclCalc = 0, p.InclinationAngle = 2; }, true,
         "Automatic Inclination");
  expect([](ProjectData& p) { p.BoxAngle[4] = 5; }, true, "Splay of Box 6");
  expect([](ProjectData& p) { p.BoxAngle[2] = p.BoxAngle[3] = 5; }, true, "Splay Angles");
  expect([](ProjectData& p) { p.BoxAttenuation[1] = 3; }, true, "Attenuation of Box 2");
  expect([](ProjectData& p) { p.AreaHeight2[2] = 9; }, true, "Height 2 of Area 3");
  expect([](ProjectData& p) { p.AreaDistance[0] = 2, p.AreaHeight1[0] = 1; }, true,
         "Move of Area 1");
  expect([](ProjectData& p) { p.ProjectTitle.push_back('A'), p.Author.push_back('B'); }, true,
         "Changes");
  before.AutomaticInclCalc = 0;  // typed: the inclination is the user's
  expect([](ProjectData& p) { p.InclinationAngle += 0.5f; }, true, "Inclination");
}
