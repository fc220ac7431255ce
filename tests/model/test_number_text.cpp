// The number texts typed and shown (tests/data/number_texts.txt), and the project's lists
// and units.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <string>

#include "model/NumberText.h"
#include "model/ProjectData.h"
#include "support/DataTable.h"

using namespace tarnwick;

TEST(NumberText, readsAndWritesEachTextAsTheTableSays) {
  const int rows = ForEachCase("number_texts.txt", [](const std::string& row) {
    const auto [given, expected] = ArgumentsAndExpected(row);
    const std::string& routine = given.at(0);
    const std::string want = Words(expected).at(0);
    if (routine == "TextToNumber")
      EXPECT_DOUBLE_EQ(TextToNumber(given.at(1)), std::stod(want)) << row;
    else if (routine == "Stored")
      EXPECT_EQ(ToStoredSingle(TextToNumber(given.at(1))), std::stof(want)) << row;
    else if (routine == "RoundHalfEven")
      EXPECT_EQ(RoundHalfEven(std::stod(given.at(1))), std::stoll(want)) << row;
    else if (routine == "TwoDecimalText")
      EXPECT_EQ(TwoDecimalText(std::stod(given.at(1)), given.at(2)), want) << row;
    else if (routine == "NumberToText")
      EXPECT_EQ(NumberToText(std::stod(given.at(1)), given.at(2), given.at(3)), want) << row;
    else
      ADD_FAILURE() << "no routine " << routine;
  });
  EXPECT_GE(rows, 40);
  EXPECT_DOUBLE_EQ(TextToNumber("\t-\n3 . 5"), -3.5);  // a tab and a line break are blanks too
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
  EXPECT_NEAR(16.4 * FeetToMetres, 4.9985557, 1e-6);
}
