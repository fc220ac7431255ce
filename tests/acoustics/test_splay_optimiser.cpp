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

// A design hung in its scene, and every point of its areas in use.
struct Case : Hung {
  using Hung::Hung;
  std::vector<PlaneVector> points;
};

// Four boxes, so eight splay sets, hung at random over one to three areas.
Case RandomCase(std::mt19937& random, bool automatic) {
  ProjectData p = RandomProject(random);
  std::tie(p.BoxesAmount, p.AutomaticInclCalc) = std::pair(4, automatic ? 1 : 0);
  Case c(p);
  for (int area = 1; area <= p.AreasAmount; ++area)
    for (const AreaPoint& point : AreaPoints(p, c.graphics, area))
      c.points.push_back(point.Position);
  return c;
}

struct Plain {
  ProjectData design;
  double spread = 0, deviation = 0, fallError = 0, mean = 0;
  bool kept = true;  // the top box aims no higher than the back row
  int points = 0;    // with a level
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

// One design hung in full and measured at the points with a level, summed plainly or, with
// prediction options on, by the level engine: spread and standard deviation of the levels,
// and the root mean square distance from the best-placed fall of `fall` dB per doubling of
// the distance from the mounting point.
Plain Measure(const Case& c, ProjectData design, int entry, double fall) {
  Graphics g = c.graphics;
  ComputeArrayGeometry(design, g);
  std::vector<float> engine(c.points.size());
  if (design.Prediction.AnyOn())
    LevelEngine(design, g, ModuleData()).Levels(entry, c.points, engine);
  std::vector<double> levels, aside;
  for (std::size_t i = 0; i < c.points.size(); ++i) {
    const PlaneVector at = c.points[i];
    const double level = design.Prediction.AnyOn() ? engine[i] : PlainLevel(design, g, entry, at);
    if (level <= SPLFloor) continue;
    levels.push_back(level);
    aside.push_back(level + fall * std::log2(std::hypot(at.X - 1.0, at.Y - design.FloorDistance)));
  }
  const auto meanAndDeviation = [](const std::vector<double>& v) {
    double mean = 0, square = 0;
    for (double x : v) mean += x / double(v.size());
    for (double x : v) square += (x - mean) * (x - mean) / double(v.size());
    return std::pair(mean, std::sqrt(square));
  };
  const auto [low, high] = std::ranges::minmax(levels);
  const auto [mean, deviation] = meanAndDeviation(levels);
  return {design,
          high - low,
          deviation,
          meanAndDeviation(aside).second,
          mean,
          AimsAtAudience(design, g),
          int(levels.size())};
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
  const auto hanging = [](const ProjectData& p) {
    return std::tuple(p.BoxAngle[0], p.BoxAngle[1], p.BoxAngle[2], p.FlybarPin, p.FlybarMounting);
  };
  EXPECT_EQ(hanging(a), hanging(b));
  EXPECT_FLOAT_EQ(a.InclinationAngle, b.InclinationAngle);
}

// Each search against every design it may try: the evenest level in a band at every pin and
// mounting or typed inclination within reach; the closest fall per doubling broadband A; and
// with prediction options on, where the search sums the options' model box by box below
// shared upper boxes, each design as the engine measures it (its levels floats, hence 1e-4 dB).
TEST(SplayOptimiser, PicksWhatMeasuringEveryDesignInFullPicks) {
  const SplaySearch even{.InclinationReach = 2.0f};
  const SplaySearch fit{
      .Band = BroadbandAChoice, .Goal = SplayGoal::Fall, .InclinationReach = 0.5f};
  std::vector<std::tuple<bool, SplaySearch, PredictionOptions>> trials;
  for (int i = 0; i < 6; ++i) trials.push_back({i % 2 == 1, even, {}});  // typed, or by the pin
  trials.insert(
      trials.end(),
      {{false, fit, {}},
       {false, fit, {}},
       {false, {.Band = BroadbandAChoice, .InclinationReach = 1.0f}, {true, false, false}},
       {false, {.InclinationReach = 1.0f}, {false, true, true}},
       {false, {.Band = 15, .InclinationReach = 1.0f}, {true, true, true}}});
  std::mt19937 random(17);
  int trial = 0;
  for (const auto& [automatic, search, options] : trials) {
    Case c = RandomCase(random, automatic);
    c.project.Prediction = options;
    SCOPED_TRACE(::testing::Message()
                 << "trial " << trial++ << ", " << c.points.size() << " points");
    const SplayResult result = OptimiseSplay(c.project, c.graphics, ModuleData(), search);
    ASSERT_TRUE(result.Found);
    const double fall = search.Goal == SplayGoal::Fall ? search.FallPerDoubling : 0;
    const std::vector<Plain> all = BruteForce(c, search.InclinationReach, search.Band, fall);
    const Plain& best = *std::ranges::min_element(
        all, [fall](const Plain& a, const Plain& b) { return Before(a, b, fall != 0); });
    const Plain current = Measure(c, c.project, search.Band, fall);
    EXPECT_EQ(result.Designs, long(all.size()));
    EXPECT_EQ(result.BestOnAudience, best.kept);
    ExpectSameHanging(result.Best, best.design);  // with the pin, the inclination it hangs at
    for (const auto& [got, want] : {std::pair{result.BestScore.Spread, best.spread},
                                    {result.BestScore.Mean, best.mean},
                                    {result.BestScore.Deviation, best.deviation},
                                    {result.CurrentScore.Spread, current.spread}})
      EXPECT_NEAR(got, want, 1e-4);
    if (fall != 0) {
      EXPECT_NEAR(result.BestScore.FallError, best.fallError, 1e-4);
    }
    EXPECT_EQ(result.CurrentScore.Points, current.points);
  }
}

// Areas without a point that has a level: every length below zero (no point at all), or
// the array hung so far above them that no sound reaches them. Such a design has nothing
// to even out: the search refuses it and tries none.
TEST(SplayOptimiser, RefusesADesignWithoutAnAreaPointThatHasALevel) {
  for (const auto& [length, floorDistance] : {std::pair{-5.0f, 5.0f}, {10.0f, 1e38f}}) {
    SCOPED_TRACE(length);
    ProjectData p = MakeDefaultProject();  // three areas
    p.BoxesAmount = 4;
    p.FloorDistance = floorDistance;
    p.AreaLength.fill(length);
    const Hung c(p);
    const SplaySearch search{.Goal = SplayGoal::Fall, .InclinationReach = 1.0f};
    const SplayResult result = OptimiseSplay(p, c.graphics, ModuleData(), search);
    EXPECT_EQ(std::tuple(result.Found, result.Cancelled, result.Designs, result.CurrentScore.Points,
                         MeasureDesign(p, c.graphics, ModuleData(), search).Points),
              std::tuple(false, false, 0LL, 0, 0));
    EXPECT_EQ(result.Best, p);
  }
}

TEST(SplayOptimiser, SameAnswerOnAnyNumberOfThreadsAndStopsWhenAsked) {
  std::mt19937 random(3);
  Case c = RandomCase(random, false);
  c.project.BoxesAmount = 9;
  SplaySearch search{.Threads = 1};
  const SplayResult one = OptimiseSplay(c.project, c.graphics, ModuleData(), search);
  search.Threads = 3;
  std::atomic<long long> done{0};
  const SplayResult three = OptimiseSplay(c.project, c.graphics, ModuleData(), search, {}, &done);
  ASSERT_TRUE(one.Found && three.Found);
  EXPECT_EQ(one.Best, three.Best);
  EXPECT_EQ(done.load(), SplayDesignCount(c.project, search));
  EXPECT_EQ(done.load(), 61LL << 8);

  std::stop_source stop;
  stop.request_stop();
  const SplayResult stopped =
      OptimiseSplay(c.project, c.graphics, ModuleData(), search, stop.get_token());
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
    const SplayResult result = OptimiseSplay(p, c.graphics, ModuleData(), search);
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
        const Evenness e = MeasureDesign(design, c.graphics, ModuleData(), search);
        if (e.Points > 0 && (e.Spread < top.Spread - 1e-9 ||
                             (e.Spread <= top.Spread + 1e-9 && e.Deviation < top.Deviation)))
          best = design, top = e;
      }
    Graphics hung = c.graphics;  // hung, the best design works its inclination out
    ComputeArrayGeometry(best, hung);
    EXPECT_EQ(result.Best, best);
    EXPECT_EQ(std::pair(result.BestScore.Spread, result.BestScore.Deviation),
              std::pair(top.Spread, top.Deviation));
  }
}
