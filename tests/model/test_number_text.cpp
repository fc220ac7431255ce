// The number texts typed and shown, and the project's lists and units.
#include <gtest/gtest.h>

#include <cfloat>
#include <clocale>
#include <cmath>
#include <string>
#include <tuple>

#include "model/NumberText.h"
#include "model/ProjectData.h"

using namespace tarnwick;

TEST(TextToNumber, readsTheLeadingNumberOfAnyTextAndGivesZeroWithoutOne) {
  // Blanks are ignored anywhere and only the first comma is a decimal point.
  const std::pair<const char*, double> cases[] = {
      {"1,2,3", 1.2},   {"\t-\n3 . 5", -3.5}, {"+7", 7},    {".5", 0.5}, {"1.5E2", 150},
      {"1.5D-1", 0.15}, {"2e+3x", 2e3},       {"3e+", 3},   {"abc", 0},  {"-", 0},
      {"&HFF", 255},    {"&h1a", 26},         {"&O17", 15}, {"&O19", 1}, {"&X1", 0}};
  for (const auto& [text, value] : cases) EXPECT_DOUBLE_EQ(TextToNumber(text), value) << text;
  // Beyond single precision, or beyond double, a typed value is stored as 0.
  for (const char* text : {"1e39", "-1e39", "1e400"})
    EXPECT_EQ(ToStoredSingle(TextToNumber(text)), 0.0f) << text;
  EXPECT_EQ(ToStoredSingle(3e38), 3e38f);
}

TEST(NumberText, readsAndWritesThePointWhateverTheProcessLocale) {
  // The toolkit installs the user's locale; a comma locale must not change how a point is read.
  const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
  if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && !std::setlocale(LC_NUMERIC, "fr_FR.UTF-8"))
    GTEST_SKIP() << "no comma locale installed";
  const double read = TextToNumber("2.75");
  const std::string shown = TwoDecimalText(-1234.5, ".");
  std::setlocale(LC_NUMERIC, saved.c_str());
  EXPECT_DOUBLE_EQ(read, 2.75);
  EXPECT_EQ(shown, "-1234.5");
}

TEST(NumberText, roundsTwoDecimalsHalfToEvenAndLabelsHalfAwayFromZero) {
  // 1.005 and 0.35 are stored slightly below the tie.
  const std::tuple<double, const char*, const char*> decimals[] = {
      {0.125, ".", "0.12"}, {0.375, ".", "0.38"}, {1.005, ".", "1"}, {32.8095, ".", "32.81"},
      {-3.0, ".", "-3"},    {-0.001, ".", "0"},   {2.5, ",", "2,5"}, {INFINITY, ".", "0"}};
  for (const auto& [value, separator, text] : decimals)
    EXPECT_EQ(TwoDecimalText(value, separator), text) << value;
  EXPECT_EQ(TwoDecimalText(double(16.40475f), "."), "16.4");
  EXPECT_EQ(TwoDecimalText(double(FLT_MAX), ".").size(), 39u);
  for (const auto& [value, rounded] : {std::pair{1.5, 2LL}, {2.5, 2LL}, {-0.5, 0LL}, {0.51, 1LL}})
    EXPECT_EQ(RoundHalfEven(value), rounded) << value;
  const std::tuple<double, const char*, const char*> labels[] = {
      {12.25, "0.0", "12.3"},    {-0.25, "0.0", "-0.3"},       {-0.04, "0.0", "0.0"},
      {99.96, "0.0", "100.0"},   {0.35, "0.0", "0.3"},         {2.5, "0", "3"},
      {1.5, "000.00", "001.50"}, {7, "##0.0", "  7.0"},        {5, "#.#", "  5"},
      {0.5, "#.0", " .5"},       {123456.7, "0.0", "123456.7"}};
  for (const auto& [value, pattern, text] : labels)
    EXPECT_EQ(NumberToText(value, pattern, "."), text) << value << " " << pattern;
  EXPECT_EQ(NumberToText(1.5, "0.0", ","), "1.5");  // a decimal comma becomes a point
}

TEST(ProjectLists, entriesMapBothWaysOtherValuesShowAsZeroDecibelsAndOnlyFeetIsFeet) {
  const auto entries = AttenuationItems();
  for (int index = 0; index < 14; ++index)
    EXPECT_EQ(AttenuationIndex(AttenuationFromText(entries[index])), index) << entries[index];
  EXPECT_EQ(AttenuationFromText("99dB"), BoxOffAttenuation);
  for (const char* text : {"13dB", "", "5"}) EXPECT_EQ(AttenuationFromText(text), 0.0f) << text;
  for (float value : {7.5f, -1.0f, 13.0f}) EXPECT_EQ(AttenuationIndex(value), 0) << value;
  EXPECT_EQ(BoxesAmountItems().front() + AreasAmountItems().back() + FlybarPinItems().back(),
            "239");
  EXPECT_TRUE(IsFeet("Feet") && !IsFeet("feet"));
  EXPECT_NEAR(double(FeetToMetres) * double(MetresToFeet), 1.0, 1e-6);  // a ppm round trip
  EXPECT_NEAR(16.4 * FeetToMetres, 4.9985557, 1e-6);
}
