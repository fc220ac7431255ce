#include <gtest/gtest.h>

#include <cfloat>
#include <clocale>
#include <cmath>
#include <string>

#include "model/NumberText.h"

using namespace tarnwick;

TEST(TextToNumber, readsCommaOrPointAndIgnoresBlanksAnywhere) {
  EXPECT_DOUBLE_EQ(TextToNumber("1,5"), 1.5);
  EXPECT_DOUBLE_EQ(TextToNumber("1.5"), 1.5);
  EXPECT_DOUBLE_EQ(TextToNumber("2,5m"), 2.5);
  // Only the first comma is a decimal point; the second stops reading.
  EXPECT_DOUBLE_EQ(TextToNumber("1,2,3"), 1.2);
  EXPECT_DOUBLE_EQ(TextToNumber("1 000"), 1000.0);
  EXPECT_DOUBLE_EQ(TextToNumber("\t-\n3 . 5"), -3.5);
}

TEST(TextToNumber, readsSignsAndExponentsAndGivesZeroWithoutALeadingNumber) {
  EXPECT_DOUBLE_EQ(TextToNumber("+7"), 7.0);
  EXPECT_DOUBLE_EQ(TextToNumber(".5"), 0.5);
  EXPECT_DOUBLE_EQ(TextToNumber("1.5E2"), 150.0);
  EXPECT_DOUBLE_EQ(TextToNumber("1.5D-1"), 0.15);
  EXPECT_DOUBLE_EQ(TextToNumber("2e+3x"), 2000.0);
  // An exponent marker without digits is not part of the number.
  EXPECT_DOUBLE_EQ(TextToNumber("3e"), 3.0);
  EXPECT_DOUBLE_EQ(TextToNumber("3e+"), 3.0);
  for (const char* text : {"", "abc", "-", ".", "x12"}) EXPECT_EQ(TextToNumber(text), 0.0) << text;
}

TEST(TextToNumber, readsHexadecimalAndOctalIntegers) {
  EXPECT_EQ(TextToNumber("&HFF"), 255.0);
  EXPECT_EQ(TextToNumber("&h1a"), 26.0);
  EXPECT_EQ(TextToNumber("&O17"), 15.0);
  EXPECT_EQ(TextToNumber("&O19"), 1.0);
  EXPECT_EQ(TextToNumber("&X1"), 0.0);
}

TEST(NumberText, readsAndWritesThePointWhateverTheProcessLocale) {
  // The toolkit installs the user's locale; a comma locale must not change
  // how a point is read.
  const char* previous = std::setlocale(LC_NUMERIC, nullptr);
  const std::string saved = previous ? previous : "C";
  if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr &&
      std::setlocale(LC_NUMERIC, "fr_FR.UTF-8") == nullptr)
    GTEST_SKIP() << "no comma locale installed";
  const double read = TextToNumber("2.75");
  const std::string shown = TwoDecimalText(-1234.5, ".");
  std::setlocale(LC_NUMERIC, saved.c_str());
  EXPECT_DOUBLE_EQ(read, 2.75);
  EXPECT_EQ(shown, "-1234.5");
}

TEST(ToStoredSingle, turnsNumbersBeyondSingleRangeIntoZero) {
  EXPECT_EQ(ToStoredSingle(TextToNumber("1e39")), 0.0f);
  EXPECT_EQ(ToStoredSingle(TextToNumber("-1e39")), 0.0f);
  EXPECT_EQ(ToStoredSingle(TextToNumber("1e400")), 0.0f);
  EXPECT_EQ(ToStoredSingle(3e38), 3e38f);
  EXPECT_EQ(ToStoredSingle(1.25), 1.25f);
}

TEST(TwoDecimalText, roundsExactTiesToEvenAndDropsTrailingZeros) {
  EXPECT_EQ(TwoDecimalText(0.125, "."), "0.12");
  EXPECT_EQ(TwoDecimalText(0.375, "."), "0.38");
  // 1.005 is stored slightly below the tie, so it rounds down.
  EXPECT_EQ(TwoDecimalText(1.005, "."), "1");
  EXPECT_EQ(TwoDecimalText(1.5, "."), "1.5");
  EXPECT_EQ(TwoDecimalText(32.8095, "."), "32.81");
  EXPECT_EQ(TwoDecimalText(double(16.40475f), "."), "16.4");
  EXPECT_EQ(TwoDecimalText(-3.0, "."), "-3");
  EXPECT_EQ(TwoDecimalText(-0.001, "."), "0");
  EXPECT_EQ(RoundHalfEven(1.5), 2);
  EXPECT_EQ(RoundHalfEven(2.5), 2);
  EXPECT_EQ(RoundHalfEven(-0.5), 0);
  EXPECT_EQ(RoundHalfEven(0.51), 1);
}

TEST(TwoDecimalText, usesTheGivenSeparatorAndShowsHugeAndNonFiniteValuesSafely) {
  EXPECT_EQ(TwoDecimalText(2.5, ","), "2,5");
  EXPECT_EQ(TwoDecimalText(1234.567, ","), "1234,57");
  EXPECT_EQ(TwoDecimalText(double(FLT_MAX), ".").size(), 39u);
  EXPECT_EQ(TwoDecimalText(INFINITY, "."), "0");
  EXPECT_EQ(TwoDecimalText(NAN, "."), "0");
}

TEST(NumberToText, laysLabelsOutByThePatternWithTiesAwayFromZero) {
  EXPECT_EQ(NumberToText(5, "0.0", "."), "5.0");
  EXPECT_EQ(NumberToText(12.25, "0.0", "."), "12.3");
  EXPECT_EQ(NumberToText(-0.25, "0.0", "."), "-0.3");
  EXPECT_EQ(NumberToText(-3, "0.0", "."), "-3.0");
  EXPECT_EQ(NumberToText(-0.04, "0.0", "."), "0.0");
  EXPECT_EQ(NumberToText(99.96, "0.0", "."), "100.0");
  // 0.35 is stored slightly below the tie.
  EXPECT_EQ(NumberToText(0.35, "0.0", "."), "0.3");
  EXPECT_EQ(NumberToText(2.5, "0", "."), "3");
}

TEST(NumberToText, turnsACommaIntoAPointAndPadsToThePattern) {
  EXPECT_EQ(NumberToText(1.5, "0.0", ","), "1.5");
  EXPECT_EQ(NumberToText(1.5, "000.00", "."), "001.50");
  EXPECT_EQ(NumberToText(7, "##0.0", "."), "  7.0");
  EXPECT_EQ(NumberToText(123456.7, "0.0", "."), "123456.7");
  // Optional places: a whole number loses its point.
  EXPECT_EQ(NumberToText(5, "#.#", "."), "  5");
  EXPECT_EQ(NumberToText(0.5, "#.0", "."), " .5");
}
