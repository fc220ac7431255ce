// The splay search of the default project (12 boxes, three areas) at 1 kHz: every one of
// the 2048 splay sets at the current inclination, on one thread. The baseline predicts the
// same 2048 designs one by one with the level engine, the fastest way it offers: each
// design hung in full, the engine's boxes moved there (its amplitude tables kept), the
// levels of every area point, and their spread. The search shares the boxes above each
// joint between the designs below it, 4,095 box evaluations instead of 24,576, and must
// take at most 0.35 of the baseline's time.
//
// Then the search with the inclination worked out from the pin: the 2048 splay sets at each
// of the 18 pins and mountings, 36,864 designs, at 1 kHz and at Broadband (A), on one thread
// a core, against the same designs predicted one by one as above on as many threads. The
// inclination follows every splay, so the designs of a pin share no box; pin 1 hangs every
// box alike in either mounting and is tried once, and each design is summed first at a few
// points that decided earlier ones, where most lose. The search must take at most 0.9 of
// the baseline's time; the counts of both are printed. Afterwards, once each, the
// typed-inclination searches a user starts, at 1 kHz and broadband, on every core: 61
// inclinations.
//
// Last, the prediction options: the 2048 splay sets at Broadband (A) with the band average
// and interpolated directivity on, on one thread, against the same search on the plain model
// (at most 10 times as long) and against its designs predicted one by one with the options
// (at most 0.35 of that).

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <initializer_list>
#include <string>
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
constexpr double AutomaticTarget = 0.9;
constexpr double OptionsTarget = 10.0;  // the averaged search against the plain one

struct Setup : DefaultDesign {
  ProjectData automatic;            // the default project, its inclination from the pin
  ProjectData averaged;             // with the band average and interpolation on
  std::vector<PlaneVector> points;  // every area point
  int threads = 1;                  // one a core
};

const Setup* setup = nullptr;

SplaySearch OneInclination(int entry = DefaultBandChoice) {
  SplaySearch search;
  search.InclinationReach = 0.0f;
  search.Threads = 1;
  search.Band = entry;
  return search;
}

void Search(benchmark::State& state, const ProjectData& project, int entry) {
  for (auto _ : state) {
    const SplayResult result =
        OptimiseSplay(project, setup->graphics, setup->constants, OneInclination(entry));
    benchmark::DoNotOptimize(result.BestScore.Spread);
  }
}

// The spread of the levels that lie above SPLFloor.
double Spread(const std::vector<float>& levels) {
  float low = 1e30f, high = -1e30f;
  for (const float level : levels)
    if (level > SPLFloor) low = std::min(low, level), high = std::max(high, level);
  return double(high) - low;
}

// Predicts design `splays` of `hanging` with `engine` and gives its spread.
double PredictOne(LevelEngine& engine, const ProjectData& hanging, unsigned splays,
                  std::vector<float>& levels, int entry) {
  const Setup& s = *setup;
  ProjectData p = hanging;
  for (int j = 0; j < JointsInUse(p); ++j) p.BoxAngle[j] = (splays >> j & 1) ? 5.0f : 0.0f;
  Graphics g = s.graphics;
  ComputeArrayGeometry(p, g);
  engine.Rehang(g);
  engine.Levels(entry, s.points, levels);
  return Spread(levels);
}

void OneByOne(benchmark::State& state, const ProjectData& project, int entry) {
  const Setup& s = *setup;
  LevelEngine engine(project, s.graphics, s.constants);
  std::vector<float> levels(s.points.size());
  for (auto _ : state) {
    double best = 1e300;
    for (unsigned splays = 0; splays < 1u << JointsInUse(project); ++splays)
      best = std::min(best, PredictOne(engine, project, splays, levels, entry));
    benchmark::DoNotOptimize(best);
  }
}

SplaySearch EveryPin(int entry) {
  SplaySearch search;
  search.Band = entry;
  search.Threads = setup->threads;
  return search;
}

void AutomaticSearch(benchmark::State& state, int entry) {
  for (auto _ : state) {
    const SplayResult result =
        OptimiseSplay(setup->automatic, setup->graphics, setup->constants, EveryPin(entry));
    benchmark::DoNotOptimize(result.BestScore.Spread);
  }
}

// The automatic search's designs one by one, shared out between the threads a few at a
// time, each thread with an engine of its own (made before the clock starts).
void AutomaticOneByOne(benchmark::State& state, int entry) {
  const Setup& s = *setup;
  const int joints = JointsInUse(s.automatic);
  const long long designs = SplayDesignCount(s.automatic, EveryPin(entry));
  std::vector<LevelEngine> engines(s.threads, LevelEngine(s.project, s.graphics, s.constants));
  constexpr long long Chunk = 64;
  for (auto _ : state) {
    std::atomic<long long> next{0};
    std::vector<double> best(s.threads, 1e300);
    const auto work = [&](int t) {
      std::vector<float> levels(s.points.size());
      ProjectData hanging = s.automatic;
      double mine = 1e300;
      for (long long d = next.fetch_add(Chunk); d < designs; d = next.fetch_add(Chunk))
        for (long long design = d; design < std::min(d + Chunk, designs); ++design) {
          const long long at = design >> joints;  // 0 ... 17
          hanging.FlybarMounting = int(at / FlybarPins);
          hanging.FlybarPin = int(at % FlybarPins) + 1;
          const unsigned splays = unsigned(design & ((1LL << joints) - 1));
          mine = std::min(mine, PredictOne(engines[t], hanging, splays, levels, entry));
        }
      best[t] = mine;
    };
    {
      std::vector<std::jthread> helpers;
      for (int t = 1; t < s.threads; ++t) helpers.emplace_back(work, t);
      work(0);
    }
    benchmark::DoNotOptimize(*std::min_element(best.begin(), best.end()));
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

// What the search with the inclination from the pin did, against the baseline's designs.
void PrintCounts(const char* name, int entry) {
  const Setup& s = *setup;
  const SplayResult result = OptimiseSplay(s.automatic, s.graphics, s.constants, EveryPin(entry));
  const long long designs = SplayDesignCount(s.automatic, EveryPin(entry));
  std::printf(
      "%s: %lld designs, %lld summed at all %zu points, %lld ruled out at a few, %lld "
      "tied with a twin hanging's; one by one: %lld designs at all points\n",
      name, result.Designs, result.Summed, s.points.size(), result.RuledOut,
      result.Designs - result.Summed - result.RuledOut, designs);
}

struct Verdict {
  const char* what;
  double ratio, target;
};

// The verdict over every comparison as the last line; main's exit code, 0 when all are met.
int PrintVerdicts(std::initializer_list<Verdict> verdicts) {
  bool met = true;
  std::string line;
  for (const Verdict& v : verdicts) {
    met = met && v.ratio <= v.target;
    char part[96];
    std::snprintf(part, sizeof part, "%s%s %.2f %s %.2f", line.empty() ? "" : ", ", v.what, v.ratio,
                  v.ratio <= v.target ? "<=" : ">", v.target);
    line += part;
  }
  std::printf("%s: %s\n", met ? "PASS" : "FAIL", line.c_str());
  std::fflush(stdout);
  return met ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  Setup s;
  // The inclination the pin gave, typed in: the search keeps it.
  s.automatic = s.project;
  s.project.AutomaticInclCalc = 0;
  s.threads = std::max(1, int(std::thread::hardware_concurrency()));
  s.averaged = s.project;
  s.averaged.Prediction.Average = s.averaged.Prediction.Interpolate = true;
  const LevelEngine engine(s.project, s.graphics, s.constants);
  for (const auto& area : AreaLevels(engine, DefaultBandChoice, s.project, s.graphics))
    for (const SPLPoint& p : area) s.points.push_back(p.Position);
  setup = &s;
  std::printf(
      "%zu area points, %d boxes, %lld splay sets at one inclination, %lld designs of "
      "every pin and mounting on %d threads\n",
      s.points.size(), BoxesInUse(s.project), SplayDesignCount(s.project, OneInclination()),
      SplayDesignCount(s.automatic, EveryPin(DefaultBandChoice)), s.threads);

  benchmark::Initialize(&argc, argv);
  const auto search = [](const ProjectData* project, int entry, auto run) {
    return [=](benchmark::State& state) { run(state, *project, entry); };
  };
  for (int round = 0; round < 5; ++round) {
    RegisterFastest("Search", search(&s.project, DefaultBandChoice, Search), 3,
                    benchmark::kMillisecond);
    RegisterFastest("OneByOne", search(&s.project, DefaultBandChoice, OneByOne), 3,
                    benchmark::kMillisecond);
  }
  const auto at = [](int entry) {
    return [entry](benchmark::State& state) { AutomaticSearch(state, entry); };
  };
  const auto oneByOneAt = [](int entry) {
    return [entry](benchmark::State& state) { AutomaticOneByOne(state, entry); };
  };
  for (int round = 0; round < 3; ++round) {
    RegisterFastest("PinSearch1kHz", at(DefaultBandChoice), 2, benchmark::kMillisecond);
    RegisterFastest("PinOneByOne1kHz", oneByOneAt(DefaultBandChoice), 2, benchmark::kMillisecond);
  }
  for (int round = 0; round < 3; ++round) {
    RegisterFastest("PinSearchA", at(BroadbandAChoice), 2, benchmark::kMillisecond);
    RegisterFastest("PinOneByOneA", oneByOneAt(BroadbandAChoice), 2, benchmark::kMillisecond);
  }
  for (int round = 0; round < 3; ++round) {
    RegisterFastest("SearchA", search(&s.project, BroadbandAChoice, Search), 2,
                    benchmark::kMillisecond);
    RegisterFastest("AveragedSearchA", search(&s.averaged, BroadbandAChoice, Search), 2,
                    benchmark::kMillisecond);
    RegisterFastest("AveragedOneByOneA", search(&s.averaged, BroadbandAChoice, OneByOne), 2,
                    benchmark::kMillisecond);
  }
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double ratio = reporter.PrintRatio("Search", "OneByOne");
  const double pin1kHz = reporter.PrintRatio("PinSearch1kHz", "PinOneByOne1kHz");
  const double pinA = reporter.PrintRatio("PinSearchA", "PinOneByOneA");
  const double averaged = reporter.PrintRatio("AveragedSearchA", "SearchA");
  const double averagedShared = reporter.PrintRatio("AveragedSearchA", "AveragedOneByOneA");
  std::printf("\n");
  PrintCounts("By pin, 1 kHz", DefaultBandChoice);
  PrintCounts("By pin, Broadband (A)", BroadbandAChoice);
  TimeWholeSearch("61 inclinations, 1 kHz", s.project, DefaultBandChoice);
  TimeWholeSearch("61 inclinations, broadband", s.project, BroadbandChoice);
  return PrintVerdicts({{"one inclination", ratio, Target},
                        {"by pin 1 kHz", pin1kHz, AutomaticTarget},
                        {"by pin Broadband (A)", pinA, AutomaticTarget},
                        {"averaged / plain Broadband (A)", averaged, OptionsTarget},
                        {"averaged / one by one", averagedShared, Target}});
}
