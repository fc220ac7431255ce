// The splay search of the default project (12 boxes, three areas) at 1 kHz: every one of
// the 2048 splay sets at the current inclination, on one thread. The baseline predicts the
// same 2048 designs one by one with the level engine, the fastest way it offers: each
// design hung in full, the engine's boxes moved there (its amplitude tables kept), the
// levels of every area point, and their spread. The search shares the boxes above each
// joint between the designs below it, 4,095 box evaluations instead of 24,576, and must
// take at most 0.35 of the baseline's time. Afterwards, once each, the whole searches a
// user starts, at 1 kHz and broadband, on every core: 61 inclinations, and 18 pins and
// mountings with the inclination worked out from the pin.

#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "DefaultDesign.h"
#include "RatioReporter.h"
#include "acoustics/LevelEngine.h"
#include "acoustics/LevelGrid.h"
#include "acoustics/ModuleData.h"
#include "acoustics/SplayOptimiser.h"
#include "model/ProjectRules.h"

using namespace tarnwick;

namespace {

constexpr double Target = 0.35;

struct Setup : DefaultDesign {
  std::vector<PlaneVector> points;  // every area point
};

const Setup* setup = nullptr;

SplaySearch OneInclination() {
  SplaySearch search;
  search.InclinationReach = 0.0f;
  search.Threads = 1;
  return search;
}

void Search(benchmark::State& state) {
  for (auto _ : state) {
    const SplayResult result =
        OptimiseSplay(setup->project, setup->graphics, setup->constants, OneInclination());
    benchmark::DoNotOptimize(result.BestScore.Spread);
  }
}

void OneByOne(benchmark::State& state) {
  const Setup& s = *setup;
  const int joints = JointsInUse(s.project);
  LevelEngine engine(s.project, s.graphics, s.constants);
  std::vector<float> levels(s.points.size());
  for (auto _ : state) {
    double best = 1e300;
    for (unsigned splays = 0; splays < 1u << joints; ++splays) {
      ProjectData p = s.project;
      for (int j = 0; j < joints; ++j) p.BoxAngle[j] = (splays >> j & 1) ? 5.0f : 0.0f;
      Graphics g = s.graphics;
      ComputeArrayGeometry(p, g);
      engine.Rehang(g);
      engine.Levels(DefaultBandChoice, s.points, levels);
      float low = 1e30f, high = -1e30f;
      for (const float level : levels)
        if (level > SPLFloor) low = std::min(low, level), high = std::max(high, level);
      best = std::min(best, double(high) - low);
    }
    benchmark::DoNotOptimize(best);
  }
}

// One whole search as the window runs it, timed once.
void TimeWholeSearch(const char* name, const ProjectData& project, int entry) {
  SplaySearch search;
  search.Band = entry;
  const auto start = std::chrono::steady_clock::now();
  const SplayResult result = OptimiseSplay(project, setup->graphics, setup->constants, search);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%s: %lld designs in %.2f s on %u threads, spread %.2f dB -> %.2f dB\n", name,
              result.Designs, seconds, std::thread::hardware_concurrency(),
              result.CurrentScore.Spread, result.BestScore.Spread);
}

}  // namespace

int main(int argc, char** argv) {
  Setup s;
  // The inclination the pin gave, typed in: the search keeps it.
  ProjectData automatic = s.project;
  s.project.AutomaticInclCalc = 0;
  const LevelEngine engine(s.project, s.graphics, s.constants);
  for (const auto& area : AreaLevels(engine, DefaultBandChoice, s.project, s.graphics))
    for (const SPLPoint& p : area) s.points.push_back(p.Position);
  setup = &s;
  std::printf("%zu area points, %d boxes, %lld splay sets at one inclination\n", s.points.size(),
              BoxesInUse(s.project), SplayDesignCount(s.project, OneInclination()));

  benchmark::Initialize(&argc, argv);
  for (int round = 0; round < 5; ++round) {
    RegisterFastest("Search", Search, 3, benchmark::kMillisecond);
    RegisterFastest("OneByOne", OneByOne, 3, benchmark::kMillisecond);
  }
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double ratio = reporter.PrintRatio("Search", "OneByOne");
  std::printf("\n");
  TimeWholeSearch("61 inclinations, 1 kHz", s.project, DefaultBandChoice);
  TimeWholeSearch("61 inclinations, broadband", s.project, BroadbandChoice);
  TimeWholeSearch("9 pins x 2 mountings, 1 kHz", automatic, DefaultBandChoice);
  TimeWholeSearch("9 pins x 2 mountings, broadband", automatic, BroadbandChoice);
  return PrintVerdict(ratio, Target);
}
