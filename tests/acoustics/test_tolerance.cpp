// Rigging variations and the level spread over them.
#include <gtest/gtest.h>

#include <algorithm>
#include <ranges>

#include "acoustics/PlainSum.h"
#include "acoustics/Tolerance.h"

using namespace tarnwick;

namespace {

ProjectData WithPin(int automatic, int pin) {
  ProjectData p = MakeDefaultProject();
  p.AutomaticInclCalc = automatic, p.FlybarPin = pin, p.InclinationAngle = 5.0f;
  return p;
}

}  // namespace

TEST(Tolerance, variesTheTypedInclinationOrThePinsThatExist) {
  // typed or automatic, pin -> the variations' inclinations and pins, in order.
  const std::tuple<int, int, std::vector<std::pair<float, int>>> cases[] = {
      {0, 4, {{5.5f, 4}, {4.5f, 4}}},
      {1, 5, {{5.0f, 4}, {5.0f, 6}}},
      {1, 1, {{5.0f, 2}}},
      {1, 9, {{5.0f, 8}}}};
  for (const auto& [automatic, pin, want] : cases) {
    const ProjectData p = WithPin(automatic, pin);
    const auto variations = RiggingVariations(p);
    ASSERT_EQ(variations.size(), want.size()) << pin;
    for (std::size_t i = 0; i < variations.size(); ++i) {
      ProjectData expected = p;
      std::tie(expected.InclinationAngle, expected.FlybarPin) = want[i];
      EXPECT_EQ(variations[i], expected) << pin << " variation " << i;  // nothing else moves
    }
  }
}

TEST(Tolerance, spreadsFromTheLowestToTheHighestLevelOfTheDesignAndItsVariations) {
  for (const int automatic : {0, 1}) {
    const Hung d(WithPin(automatic, 5));
    const LevelSpread spread =
        PredictSpread(d.project, d.graphics, ModuleData(), 1, BroadbandAChoice);
    // Each design predicted on its own, hung anew in a scene of its own.
    std::vector<Hung> designs{d};
    for (const ProjectData& v : RiggingVariations(d.project)) designs.emplace_back(v);
    std::vector<std::vector<SPLPoint>> curves;
    for (const Hung& own : designs)
      ASSERT_TRUE(PredictLevels(own.project, own.graphics, ModuleData(), 1, BroadbandAChoice,
                                curves.emplace_back()));
    ASSERT_EQ(spread.Low.size(), curves[0].size());
    int apart = 0;
    for (std::size_t i = 0; i < spread.Low.size(); ++i) {
      const auto [low, high] = std::ranges::minmax(
          curves | std::views::transform([i](const auto& curve) { return curve[i].SPL; }));
      EXPECT_EQ(std::pair(spread.Low[i], spread.High[i]), std::pair(low, high)) << i;
      apart += high - low > 0.1f;
    }
    EXPECT_GT(apart, 10) << automatic;  // a variation moves the levels
  }
  EXPECT_TRUE(PredictSpread(MakeDefaultProject(), Graphics{}, Constants{}, 4, 10).Low.empty());
}
