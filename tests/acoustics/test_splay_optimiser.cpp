// The splay search against a brute force written here: every design of a small array hung
// in full and summed as a sound engineer would sum it, the best one picked by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <stop_token>
#include <tuple>
#include <vector>

#include "acoustics/LevelEngine.h"
#include "acoustics/PlainSum.h"
#include "acoustics/SplayOptimiser.h"

using namespace tarnwick;

namespace {

struct Case {
  ProjectData project = MakeDefaultProject();
  Graphics scene;
  std::vector<PlaneVector> points;  // every area point
};

// Four boxes, so eight splay sets, hung at random over one to three areas.
Case RandomCase(std::mt19937& random, bool automatic) {
  Case c;
  ProjectData& p = c.project = RandomProject(random);
  std::tie(p.BoxesAmount, p.AutomaticInclCalc) = std::pair(4, automatic ? 1 : 0);
  ComputeScene(p, FirstWindowFrame, c.scene);
  for (int area = 1; area <= p.AreasAmount; ++area)
    for (const AreaPoint& point : AreaPoints(p, c.scene, area)) c.points.push_back(point.Position);
  return c;
}

struct Plain {
  ProjectData design;
  double spread = 0, deviation = 0, fallError = 0, mean = 0;
  bool kept = true;  // the top box aims no higher than the back row
};

// Ranked as a sound engineer ranks them: the spread (or fit) to 0.01 dB, then the louder,
// then the smaller deviation; of designs off the audience only when no design keeps to it.
bool Before(const Plain& a, const Plain& b, bool fit) {
  const auto key = [fit](const Plain& p) {
    return std::tuple(!p.kept, std::round((fit ? p.fallError : p.spread) * 100), -p.mean,
                      fit ? p.spread : p.deviation);
  };
  return key(a) < key(b);
}

// One design hung in full and measured: spread and standard deviation of the levels, and
// the root mean square distance from the best-placed fall of `fall` dB per doubling of the
// distance from the mounting point.
Plain Measure(const Case& c, ProjectData design, int entry, double fall) {
  Graphics g = c.scene;
  ComputeArrayGeometry(design, g);
  std::vector<double> levels, aside;
  for (const PlaneVector& point : c.points) {
    levels.push_back(PlainLevel(design, g, entry, point));
    const double r = std::hypot(point.X - 1.0, point.Y - double(design.FloorDistance));
    aside.push_back(levels.back() + fall * std::log2(r));
  }
  auto deviation = [](const std::vector<double>& v) {
    double mean = 0, square = 0;
    for (double x : v) mean += x / double(v.size());
    for (double x : v) square += (x - mean) * (x - mean) / double(v.size());
    return std::sqrt(square);
  };
  const auto [low, high] = std::minmax_element(levels.begin(), levels.end());
  double mean = 0;
  for (double x : levels) mean += x / double(levels.size());
  return {design,           *high - *low, deviation(levels),
          deviation(aside), mean,         AimsAtAudience(design, g)};
}

std::vector<Plain> BruteForce(const Case& c, float reach, int entry, double fall) {
  std::vector<Plain> all;
  const auto everySplaySet = [&](ProjectData design) {
    for (int splays = 0; splays < 8; ++splays) {
      for (int j = 0; j < 3; ++j) design.BoxAngle[j] = splays >> j & 1 ? 5.0f : 0.0f;
      all.push_back(Measure(c, design, entry, fall));
    }
  };
  ProjectData hanging = c.project;
  if (hanging.AutomaticInclCalc == 1)
    for (hanging.FlybarMounting = 0; hanging.FlybarMounting < 2; ++hanging.FlybarMounting)
      for (hanging.FlybarPin = 1; hanging.FlybarPin <= 9; ++hanging.FlybarPin)
        everySplaySet(hanging);
  else
    for (float change = -reach; change <= reach; change += 0.5f) {
      hanging.InclinationAngle = c.project.InclinationAngle + change;
      everySplaySet(hanging);
    }
  return all;
}

void ExpectSameHanging(const ProjectData& a, const ProjectData& b) {
  for (int j = 0; j < 3; ++j) EXPECT_EQ(a.BoxAngle[j], b.BoxAngle[j]) << "joint " << j + 1;
  EXPECT_EQ(a.FlybarPin, b.FlybarPin);
  EXPECT_EQ(a.FlybarMounting, b.FlybarMounting);
  EXPECT_FLOAT_EQ(a.InclinationAngle, b.InclinationAngle);
}

constexpr double Agreement = 1e-4;  // dB

TEST(SplayOptimiser, FindsTheEvenestDesignOfEveryHangingAndSplaySet) {
  std::mt19937 random(17);
  for (int trial = 0; trial < 6; ++trial) {
    const Case c = RandomCase(random, trial % 2 == 1);
    SCOPED_TRACE(::testing::Message() << "trial " << trial << ", " << c.points.size() << " points");
    const SplaySearch search{.InclinationReach = 2.0f};
    const SplayResult result = OptimiseSplay(c.project, c.scene, ModuleData(), search);
    ASSERT_TRUE(result.Found);
    const std::vector<Plain> all = BruteForce(c, 2.0f, search.Band, 0);
    EXPECT_EQ(result.Designs, long(all.size()));
    const Plain& best = *std::ranges::min_element(
        all, [](const Plain& a, const Plain& b) { return Before(a, b, false); });
    EXPECT_EQ(result.BestOnAudience, best.kept);
    EXPECT_NEAR(result.BestScore.Spread, best.spread, Agreement);
    EXPECT_NEAR(result.BestScore.Mean, best.mean, Agreement);
    EXPECT_NEAR(result.BestScore.Deviation, best.deviation, Agreement);
    ExpectSameHanging(result.Best, best.design);  // with the pin, the inclination it hangs at
    EXPECT_NEAR(result.CurrentScore.Spread, Measure(c, c.project, search.Band, 0).spread,
                Agreement);
    EXPECT_EQ(result.CurrentScore.Points, int(c.points.size()));
  }
}

TEST(SplayOptimiser, FitsAFallPerDoublingBroadbandA) {
  std::mt19937 random(5);
  for (int trial = 0; trial < 2; ++trial) {
    const Case c = RandomCase(random, false);
    const SplaySearch search{.Band = BroadbandAChoice,
                             .Goal = SplayGoal::Fall,
                             .FallPerDoubling = 3.0,
                             .InclinationReach = 0.5f};
    const SplayResult result = OptimiseSplay(c.project, c.scene, ModuleData(), search);
    ASSERT_TRUE(result.Found);
    const std::vector<Plain> all = BruteForce(c, 0.5f, BroadbandAChoice, 3.0);
    const Plain& best = *std::ranges::min_element(
        all, [](const Plain& a, const Plain& b) { return Before(a, b, true); });
    EXPECT_NEAR(result.BestScore.FallError, best.fallError, Agreement);
    EXPECT_NEAR(result.BestScore.Spread, best.spread, Agreement);
    ExpectSameHanging(result.Best, best.design);
  }
}

// Areas without a point that has a level: every length below zero (no point at all), or
// the array hung so far above them that no sound reaches them. Such a design has nothing
// to even out: the search refuses it and tries none.
// With prediction options on, the search sums the options' model box by box below shared
// upper boxes; each design's levels from the engine, hung in full, must rank the same.
TEST(SplayOptimiser, SearchesThePredictionOptionsModelAsTheEngineMeasuresIt) {
  std::mt19937 random(29);
  const auto engineMeasure = [](const Case& c, ProjectData design, int entry) {
    Graphics g = c.scene;
    ComputeArrayGeometry(design, g);
    std::vector<float> levels(c.points.size());
    LevelEngine(design, g, ModuleData()).Levels(entry, c.points, levels);
    std::vector<double> heard;
    for (const float level : levels)
      if (level > SPLFloor) heard.push_back(level);
    Plain plain{design, 0, 0, 0, 0, AimsAtAudience(design, g)};
    const auto [low, high] = std::minmax_element(heard.begin(), heard.end());
    plain.spread = *high - *low;
    for (const double x : heard) plain.mean += x / double(heard.size());
    for (const double x : heard) plain.deviation += (x - plain.mean) * (x - plain.mean);
    plain.deviation = std::sqrt(plain.deviation / double(heard.size()));
    return plain;
  };
  const std::tuple<bool, bool, bool, int> options[] = {{true, false, false, BroadbandAChoice},
                                                       {false, true, true, DefaultBandChoice},
                                                       {true, true, true, 15}};
  for (const auto& [average, interpolate, air, entry] : options) {
    Case c = RandomCase(random, false);
    c.project.Prediction.Average = average, c.project.Prediction.Interpolate = interpolate;
    c.project.Prediction.Air = air;
    SCOPED_TRACE(::testing::Message() << average << interpolate << air << " entry " << entry);
    const SplaySearch search{.Band = entry, .InclinationReach = 1.0f};
    const SplayResult result = OptimiseSplay(c.project, c.scene, ModuleData(), search);
    ASSERT_TRUE(result.Found);
    std::vector<Plain> all;
    for (float change = -1.0f; change <= 1.0f; change += 0.5f)
      for (int splays = 0; splays < 8; ++splays) {
        ProjectData design = c.project;
        design.InclinationAngle += change;
        for (int j = 0; j < 3; ++j) design.BoxAngle[j] = splays >> j & 1 ? 5.0f : 0.0f;
        all.push_back(engineMeasure(c, design, entry));
      }
    const Plain& best = *std::ranges::min_element(
        all, [](const Plain& a, const Plain& b) { return Before(a, b, false); });
    ExpectSameHanging(result.Best, best.design);
    // The engine hands levels on as floats.
    EXPECT_NEAR(result.BestScore.Spread, best.spread, 1e-4);
    EXPECT_NEAR(result.BestScore.Mean, best.mean, 1e-4);
    EXPECT_NEAR(result.CurrentScore.Spread, engineMeasure(c, c.project, entry).spread, 1e-4);
  }
}

TEST(SplayOptimiser, RefusesADesignWithoutAnAreaPointThatHasALevel) {
  for (const auto& [length, floorDistance] : {std::pair{-5.0f, 5.0f}, {10.0f, 1e38f}}) {
    SCOPED_TRACE(length);
    Case c;
    ProjectData& p = c.project;  // three areas
    p.BoxesAmount = 4;
    p.FloorDistance = floorDistance;
    p.AreaLength.fill(length);
    ComputeScene(p, FirstWindowFrame, c.scene);
    const SplaySearch search{.Goal = SplayGoal::Fall, .InclinationReach = 1.0f};
    const SplayResult result = OptimiseSplay(p, c.scene, ModuleData(), search);
    EXPECT_EQ(std::tuple(result.Found, result.Cancelled, result.Designs, result.CurrentScore.Points,
                         MeasureDesign(p, c.scene, ModuleData(), search).Points),
              std::tuple(false, false, 0LL, 0, 0));
    EXPECT_EQ(result.Best, p);
  }
}

TEST(SplayOptimiser, SameAnswerOnAnyNumberOfThreadsAndStopsWhenAsked) {
  std::mt19937 random(3);
  Case c = RandomCase(random, false);
  c.project.BoxesAmount = 9;
  SplaySearch search{.Threads = 1};
  const SplayResult one = OptimiseSplay(c.project, c.scene, ModuleData(), search);
  search.Threads = 3;
  std::atomic<long long> done{0};
  const SplayResult three = OptimiseSplay(c.project, c.scene, ModuleData(), search, {}, &done);
  ASSERT_TRUE(one.Found && three.Found);
  EXPECT_EQ(one.Best, three.Best);
  EXPECT_EQ(done.load(), SplayDesignCount(c.project, search));
  EXPECT_EQ(done.load(), 61LL << 8);

  std::stop_source stop;
  stop.request_stop();
  const SplayResult stopped =
      OptimiseSplay(c.project, c.scene, ModuleData(), search, stop.get_token());
  EXPECT_EQ(std::pair(stopped.Cancelled, stopped.Found), std::pair(true, false));
  EXPECT_EQ(stopped.Best, c.project);
}

}  // namespace

// With the inclination worked out from the pin, the search sums most designs at a few
// points only and skips pin 1's second mounting (it hangs every box as the first): it must
// still pick the design that ranks first when each is measured on its own, to the last bit.
TEST(SplayOptimiser, PinSearchPicksWhatMeasuringEachDesignPicks) {
  std::mt19937 random(11);
  Case c = RandomCase(random, true);
  ProjectData& p = c.project;
  p.BoxesAmount = 5;
  for (const int entry : {DefaultBandChoice, BroadbandAChoice}) {
    const SplaySearch search{.Band = entry, .Threads = 1};
    const SplayResult result = OptimiseSplay(p, c.scene, ModuleData(), search);
    ASSERT_TRUE(result.Found);
    EXPECT_GT(result.RuledOut, 0);
    EXPECT_EQ(result.Designs - result.Summed - result.RuledOut, 16);  // pin 1's twin
    std::vector<std::pair<int, ProjectData>> hangings;                // in the search's order
    for (const int mounting : {p.FlybarMounting, 1 - p.FlybarMounting})
      for (int pin = 1; pin <= 9; ++pin) {
        hangings.push_back({std::abs(pin - p.FlybarPin) + 10 * (mounting != p.FlybarMounting), p});
        hangings.back().second.FlybarPin = pin;
        hangings.back().second.FlybarMounting = mounting;
      }
    std::stable_sort(hangings.begin(), hangings.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    ProjectData best;
    Evenness top{.Spread = 1e300};
    for (const auto& [rank, hanging] : hangings)
      for (int splays = 0; splays < 16; ++splays) {
        ProjectData design = hanging;
        for (int j = 0; j < 4; ++j) design.BoxAngle[j] = splays >> j & 1 ? 5.0f : 0.0f;
        const Evenness e = MeasureDesign(design, c.scene, ModuleData(), search);
        if (e.Points > 0 && (e.Spread < top.Spread - 1e-9 ||
                             (e.Spread <= top.Spread + 1e-9 && e.Deviation < top.Deviation)))
          best = design, top = e;
      }
    Graphics g = c.scene;
    ComputeArrayGeometry(best, g);
    EXPECT_EQ(result.Best, best);
    EXPECT_EQ(std::pair(result.BestScore.Spread, result.BestScore.Deviation),
              std::pair(top.Spread, top.Deviation));
  }
}
