// The prediction options' sums hung box by box: what the optimiser relies on when designs
// share their upper boxes.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <tuple>
#include <vector>

#include "acoustics/OptionSums.h"
#include "acoustics/PlainSum.h"
#include "acoustics/simd/Simd.h"
#include "model/ProjectRules.h"

using namespace tarnwick;

namespace {

// A random design with the given options, hung in the first window's frame.
std::pair<ProjectData, Graphics> RandomHung(std::mt19937& random, bool average, bool interpolate,
                                            bool air) {
  ProjectData p = RandomProject(random);
  std::tie(p.Prediction.Average, p.Prediction.Interpolate, p.Prediction.Air) =
      std::tuple(average, interpolate, air);
  Graphics g;
  ComputeScene(p, FirstWindowFrame, g);
  return {p, g};
}

// `count` points all over the section.
std::vector<PlaneVector> PointsAllOver(std::mt19937& random, const Graphics& g, std::size_t count) {
  std::uniform_real_distribution<float> x(-2.0f, g.SceneWidth), y(0.0f, g.SceneHeight);
  std::vector<PlaneVector> points(count);
  for (PlaneVector& point : points) point = {x(random), y(random)};
  return points;
}

}  // namespace

// Re-hanging a box at some level below shared upper boxes gives, at every level, what hanging
// that design afresh gives, to the last bit; with either arithmetic and every set of options.
TEST(OptionSums, RehangingBelowASharedPrefixSumsAsAFreshDesign) {
  std::mt19937 random(7);
  for (const auto& [average, interpolate, air] :
       {std::tuple(true, true, true), std::tuple(true, false, false),
        std::tuple(false, true, true)}) {
    const auto [p, g] = RandomHung(random, average, interpolate, air);
    ProjectData other = p;
    for (float& angle : other.BoxAngle) angle = angle > 2.0f ? 0.0f : 5.0f;
    Graphics otherG = g;
    ComputeArrayGeometry(other, otherG);
    // Some points all over the section, one on the top box's source.
    std::vector<PlaneVector> points = PointsAllOver(random, g, 37);
    points[5] = g.BoxGeom[0].Source;
    for (const auto arithmetic :
         {LevelEngine::Arithmetic::Fastest, LevelEngine::Arithmetic::Portable}) {
      const LevelEngine engine(p, g, ModuleData(), arithmetic);
      const int boxes = BoxesInUse(p), split = boxes / 2;
      OptionSums shared(engine, 0, BandCount - 1), fresh(engine, 0, BandCount - 1);
      shared.SetPoints(points), fresh.SetPoints(points);
      for (int b = 0; b < boxes; ++b) shared.Hang(b, b, LevelEngine::Place(g.BoxGeom[b]));
      for (int b = split; b < boxes; ++b) shared.Hang(b, b, LevelEngine::Place(otherG.BoxGeom[b]));
      for (int b = 0; b < boxes; ++b)
        fresh.Hang(b, b, LevelEngine::Place((b < split ? g : otherG).BoxGeom[b]));
      for (int level = 0; level < boxes; ++level)
        for (int band = 0; band < BandCount; ++band)
          for (std::size_t i = 0; i < points.size(); ++i) {
            const double a = shared.Power(level, band)[i], b = fresh.Power(level, band)[i];
            ASSERT_TRUE(a == b || (std::isnan(a) && std::isnan(b)))
                << "level " << level << " band " << band << " point " << i;
          }
      // No level on a source, a level (a positive power) elsewhere.
      EXPECT_TRUE(std::isnan(fresh.Power(boxes - 1, 10)[5]));
      EXPECT_GT(fresh.Power(boxes - 1, 10)[0], 0.0);
    }
  }
}

// The optimiser hangs a design's last box both ways at once, below the same boxes: each of
// the two has the sums it has when hung alone, within rounding.
TEST(OptionSums, twinsSumAsEachHungAlone) {
  std::mt19937 random(11);
  for (const auto& [average, interpolate, air] :
       {std::tuple(true, true, false), std::tuple(true, false, true),
        std::tuple(false, true, false)}) {
    const auto [p, g] = RandomHung(random, average, interpolate, air);
    Graphics other = g;
    const int boxes = BoxesInUse(p), last = boxes - 1;
    other.BoxGeom[last].Ray = NegateVector(other.BoxGeom[last].Ray);
    other.BoxGeom[last].Source.Y -= 0.3f;
    const std::vector<PlaneVector> points = PointsAllOver(random, g, 45);
    const LevelEngine engine(p, g, ModuleData());
    OptionSums twins(engine, 0, BandCount - 1), alone(engine, 0, BandCount - 1);
    twins.SetPoints(points), alone.SetPoints(points);
    for (int b = 0; b < last; ++b) {
      twins.Hang(b, b, LevelEngine::Place(g.BoxGeom[b]));
      alone.Hang(b, b, LevelEngine::Place(g.BoxGeom[b]));
    }
    twins.HangTwins(last, last, LevelEngine::Place(g.BoxGeom[last]),
                    LevelEngine::Place(other.BoxGeom[last]));
    for (const auto& [level, hung] :
         {std::pair<int, const Graphics*>(last, &g), {twins.Twin(), &other}}) {
      alone.Hang(last, last, LevelEngine::Place(hung->BoxGeom[last]));
      for (int band = 0; band < BandCount; ++band)
        for (std::size_t i = 0; i < points.size(); ++i) {
          const double expected = alone.Power(last, band)[i];
          ASSERT_NEAR(twins.Power(level, band)[i], expected, 1e-12 * expected)
              << average << interpolate << air << " level " << level << " band " << band
              << " point " << i;
        }
    }
  }
}

// The vector arithmetic takes each box's blend of two entries from a table and a short
// series, and the band edges' phasors squared octave by octave; the portable one takes
// them from the exponential, sine and cosine of the library. Both give the same powers to
// within 1e-9, at every level and band, with every set of options: far finer than anything
// the options show.
TEST(OptionSums, vectorAndPortableArithmeticGiveTheSamePowers) {
  std::mt19937 random(31);
  for (const auto& [average, interpolate, air] :
       {std::tuple(true, true, true), std::tuple(true, true, false), std::tuple(false, true, true),
        std::tuple(true, false, false)}) {
    const auto [p, g] = RandomHung(random, average, interpolate, air);
    const std::vector<PlaneVector> points = PointsAllOver(random, g, 61);
    const LevelEngine fast(p, g, ModuleData(), LevelEngine::Arithmetic::Fastest);
    const LevelEngine portable(p, g, ModuleData(), LevelEngine::Arithmetic::Portable);
    OptionSums a(fast, 0, BandCount - 1), b(portable, 0, BandCount - 1);
    a.SetPoints(points), b.SetPoints(points);
    const int boxes = BoxesInUse(p);
    std::vector<LevelEngine::Placement> placed;
    for (int box = 0; box < boxes; ++box) {
      placed.push_back(LevelEngine::Place(g.BoxGeom[box]));
      a.Hang(box, box, placed.back());
      b.Hang(box, box, placed.back());
      for (int band = 0; band < BandCount; ++band)
        for (std::size_t i = 0; i < points.size(); ++i)
          ASSERT_NEAR(a.Power(box, band)[i], b.Power(box, band)[i], 1e-9 * b.Power(box, band)[i])
              << average << interpolate << air << " box " << box << " band " << band << " point "
              << i;
    }
    // A whole design at once (every pair's cross term in one sum, in either arithmetic)
    // gives what hanging it box by box gives, within rounding.
    for (const LevelEngine* engine : {&fast, &portable}) {
      OptionSums whole(*engine, 0, BandCount - 1), byBox(*engine, 0, BandCount - 1);
      whole.SetPoints(points), byBox.SetPoints(points);
      whole.HangDesign(placed);
      for (int box = 0; box < boxes; ++box) byBox.Hang(box, box, placed[std::size_t(box)]);
      for (int band = 0; band < BandCount; ++band)
        for (std::size_t i = 0; i < points.size(); ++i) {
          const double expected = byBox.Power(boxes - 1, band)[i];
          ASSERT_NEAR(whole.Power(boxes - 1, band)[i], expected, 1e-12 * expected)
              << average << interpolate << air << " band " << band << " point " << i;
        }
    }
  }
}

// The vector arithmetic's travel phasors e^(i k r) come from one reduction for both the sine
// and the cosine: they hold to the library's within a few units of 1e-16, from a metre's
// fraction to a path of kilometres at the top band, through every quadrant's edge.
TEST(OptionSums, travelPhasorsHoldToTheLibrarysSineAndCosine) {
  if (!simd::HasAvx2Fma()) GTEST_SKIP() << "no vector arithmetic here";
  std::mt19937 random(3);
  std::uniform_real_distribution<double> wave(0.1, 420.0), distance(0.0, 2500.0);
  std::vector<double> r(4096), re(r.size()), im(r.size());
  const double w = wave(random);
  for (std::size_t i = 0; i < r.size(); ++i)
    // Some at the quadrants' edges, where the reduced angle is near 0 and the sign flips.
    r[i] = i % 4 == 0 ? std::round(distance(random) * w / (M_PI / 2)) * (M_PI / 2) / w
                      : distance(random);
  r[1] = 0.0;
  ASSERT_EQ(simd::TravelPhasors(r.data(), w, re.data(), im.data(), r.size()), r.size());
  for (std::size_t i = 0; i < r.size(); ++i) {
    const double x = w * r[i];
    ASSERT_NEAR(re[i], std::cos(x), 1e-15) << "x " << x;
    ASSERT_NEAR(im[i], std::sin(x), 1e-15) << "x " << x;
  }
  const double nan = std::nan("");
  ASSERT_EQ(simd::TravelPhasors(std::vector<double>(4, nan).data(), w, re.data(), im.data(), 4),
            4u);
  EXPECT_TRUE(std::isnan(re[0]) && std::isnan(im[3]));
}

// Where two boxes' paths are of the same length, sin x / x cannot come from their phasors
// (0 / 0 on the line between them): those pairs are summed apart, and the level there lies
// half way between the levels a hair to either side, as on a smooth curve.
TEST(OptionSums, aPointAsFarFromTwoBoxesHasTheLevelOfItsNeighbours) {
  std::mt19937 random(5);
  auto [p, g] = RandomHung(random, true, true, false);
  // The two top boxes half a metre either side of y = 4, so that a point at y = 4 lies at
  // exactly the same distance from both.
  g.BoxGeom[0].Source = {0.0f, 4.5f}, g.BoxGeom[1].Source = {0.0f, 3.5f};
  const PlaneVector on{7.25f, 4.0f};
  for (const auto arithmetic :
       {LevelEngine::Arithmetic::Fastest, LevelEngine::Arithmetic::Portable}) {
    const LevelEngine engine(p, g, ModuleData(), arithmetic);
    for (const int entry : {2, 17, int(BroadbandAChoice)}) {
      const float below = engine.Level(entry, {on.X, on.Y - 2e-4f});
      const float above = engine.Level(entry, {on.X, on.Y + 2e-4f});
      EXPECT_NEAR(engine.Level(entry, on), (below + above) / 2, 1e-4) << "entry " << entry;
    }
  }
}
