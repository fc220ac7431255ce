#include <gtest/gtest.h>

#include "model/ProjectData.h"

using namespace tarnwick;

TEST(DefaultProject, holdsTheStartValues) {
  const ProjectData p = MakeDefaultProject();
  EXPECT_EQ(p.ProjectTitle, "Your Project");
  EXPECT_EQ(p.Author, "Your Name");
  EXPECT_EQ(p.Units, "Metres");
  EXPECT_EQ(p.AreasAmount, 3);
  EXPECT_EQ(p.AreaDistance, (std::array<float, 3>{1, 12, 23}));
  EXPECT_EQ(p.AreaLength, (std::array<float, 3>{10, 10, 4}));
  EXPECT_EQ(p.AreaHeight1, (std::array<float, 3>{0.0f, 0.8f, 1.9f}));
  EXPECT_EQ(p.AreaHeight2, (std::array<float, 3>{1.0f, 2.0f, 3.5f}));
  EXPECT_EQ(p.BoxesAmount, 12);
  EXPECT_EQ(p.BoxAngle, (std::array<float, 11>{0, 5, 0, 0, 0, 0, 5, 5, 5, 5, 5}));
  EXPECT_EQ(p.BoxAttenuation, (std::array<float, 12>{}));
  EXPECT_EQ(p.FloorDistance, 5.0f);
  EXPECT_EQ(p.InclinationAngle, 5.29f);
  EXPECT_EQ(p.FlybarMounting, 0);
  EXPECT_EQ(p.FlybarPin, 2);
  EXPECT_EQ(p.AutomaticInclCalc, 1);
}

TEST(SelectionLists, holdTheirEntriesInOrder) {
  const auto boxes = BoxesAmountEntries();
  EXPECT_EQ(boxes.front(), "2");
  EXPECT_EQ(boxes.back(), "12");
  const auto attenuations = AttenuationEntries();
  EXPECT_EQ(attenuations[0], "0dB");
  EXPECT_EQ(attenuations[12], "12dB");
  EXPECT_EQ(attenuations[13], "99dB");
  EXPECT_EQ(AngleEntries()[1], "5\xC2\xB0");  // degree sign U+00B0 in UTF-8
  EXPECT_EQ(FlybarPinEntries().back(), "9");
  EXPECT_EQ(AreasAmountEntries().back(), "3");
}

TEST(Attenuation, entriesMapBothWaysAndOtherValuesShowAsZeroDecibels) {
  const auto entries = AttenuationEntries();
  for (int index = 0; index < 14; ++index)
    EXPECT_EQ(AttenuationIndex(AttenuationFromText(entries[index])), index) << entries[index];
  EXPECT_EQ(AttenuationFromText("99dB"), 99.0f);
  EXPECT_EQ(AttenuationFromText("13dB"), 0.0f);
  EXPECT_EQ(AttenuationFromText(""), 0.0f);
  for (float value : {7.5f, -1.0f, 13.0f}) EXPECT_EQ(AttenuationIndex(value), 0) << value;
}

TEST(Units, onlyExactFeetCountsAndTheFactorsAreAMatchedPair) {
  EXPECT_TRUE(IsFeet("Feet"));
  EXPECT_FALSE(IsFeet("feet"));
  EXPECT_FALSE(IsFeet("Metres"));
  // Metres shown in feet and read back stay within a part per million.
  EXPECT_NEAR(double(FeetToMetres) * double(MetresToFeet), 1.0, 1e-6);
  EXPECT_NEAR(16.4 * FeetToMetres, 4.9985557, 1e-6);
}
