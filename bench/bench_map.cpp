// The coverage map of the default project as the window computes it for a 1600 x 1000 side
// view, one level per 4 x 4 pixels: 400 x 250 = 100,000 points over the section above the
// floor, 12 boxes, at 1 kHz and broadband. Each is held to the floor of its own
// transcendental work: per point and box a square root and an arctangent, and per point,
// box and band a sine and a cosine, all four at a time through the same vector-maths
// wrappers as the engine, over the same argument values collected beforehand, and nothing
// else. Two threads sharing the rows, as the window shares them, must be at least 1.6
// times as fast as one.

#include <immintrin.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <thread>
#include <utility>
#include <vector>

#include "DefaultDesign.h"
#include "RatioReporter.h"
#include "acoustics/BandLevels.h"
#include "acoustics/LevelEngine.h"
#include "acoustics/LevelGrid.h"
#include "acoustics/ModuleData.h"
#include "acoustics/SplPrediction.h"
#include "acoustics/VectorMath.h"
#include "geometry/ArrayGeometry.h"
#include "model/ProjectData.h"
#include "model/ProjectRules.h"

using namespace tarnwick;

namespace {

constexpr int Columns = 1600 / 4, Rows = 1000 / 4;
constexpr int Band = DefaultBandChoice;  // 1 kHz
constexpr double Target = 1.5;           // at most this many times the floor
constexpr double TwoThreadTarget = 1.6;  // at least this many times as fast

struct Setup : DefaultDesign {
  LevelGrid band, broadband;  // the maps, filled again and again
};

Setup* setup = nullptr;

// The floor's arguments, each kind in one array padded to whole vectors of four: the
// squared distances, the arctangent's two arguments (the single-precision direction, as
// the engine takes it), and the phases kr + entry phase in radians whose sine and cosine
// the sums need, at 1 kHz and for all 21 bands.
struct Arguments {
  std::vector<double> square, across, down, bandPhase, spectrumPhase;
};

Arguments Collect(const Setup& s) {
  Arguments a;
  const LevelGrid& grid = s.band;
  for (int j = 0; j < grid.ny; ++j)
    for (int i = 0; i < grid.nx; ++i) {
      const PlaneVector point = grid.Node(i, j);
      for (int b = 0; b < BoxesInUse(s.project); ++b) {
        const BoxGeometry& box = s.graphics.BoxGeom[b];
        const double dx = double(point.X) - box.Source.X, dy = double(point.Y) - box.Source.Y;
        const double r = std::sqrt(dx * dx + dy * dy);
        const PlaneVector d{float(dx), float(dy)};
        a.square.push_back(dx * dx + dy * dy);
        a.across.push_back(d.X);
        a.down.push_back(-double(d.Y));
        // The engine too puts a stand-in entry where a direction has none.
        const int k = std::max(0, OffAxisIndex(d, AngleFromDown(box.Ray)));
        for (int band = 0; band < BandCount; ++band) {
          const double phase = 2.0 * Pi * BandCentreFrequency(band) / SpeedOfSound * r +
                               s.constants.Directivity(k, band).Phase * Pi / 180.0;
          a.spectrumPhase.push_back(phase);
          if (band == Band) a.bandPhase.push_back(phase);
        }
      }
    }
  for (std::vector<double>* v : {&a.square, &a.across, &a.down, &a.bandPhase, &a.spectrumPhase})
    while (v->size() % 4 != 0) v->push_back(1.0);
  return a;
}

const Arguments* arguments = nullptr;

// Every call's result goes into the sum, so that none can be left out.
TARNWICK_VECTOR_MATHS __m256d Floor(const std::vector<double>& phase) {
  using namespace vector_maths;
  const Arguments& a = *arguments;
  __m256d sum = _mm256_setzero_pd();
  for (std::size_t i = 0; i < a.square.size(); i += 4)
    sum = _mm256_add_pd(sum, Sqrt(_mm256_loadu_pd(&a.square[i])));
  for (std::size_t i = 0; i < a.across.size(); i += 4)
    sum = _mm256_add_pd(sum, Atan2(_mm256_loadu_pd(&a.across[i]), _mm256_loadu_pd(&a.down[i])));
  for (std::size_t i = 0; i < phase.size(); i += 4)
    sum = _mm256_add_pd(sum, Sin(_mm256_loadu_pd(&phase[i])));
  for (std::size_t i = 0; i < phase.size(); i += 4)
    sum = _mm256_add_pd(sum, Cos(_mm256_loadu_pd(&phase[i])));
  return sum;
}

const LevelEngine* engine = nullptr;

// The map's rows from `first` in steps of `step`.
void Fill(LevelGrid& grid, int first, int step) {
  grid.FillRows(*engine, first, step, [] { return false; });
}

// Two threads, each every other row, as the window shares the rows out between its cores.
void FillOnTwoThreads(LevelGrid& grid) {
  std::jthread a([&] { Fill(grid, 0, 2); });
  std::jthread b([&] { Fill(grid, 1, 2); });
}

// The whole map, on one thread or on two.
template <LevelGrid Setup::*Map, bool TwoThreads>
void FillMap(benchmark::State& state) {
  LevelGrid& grid = setup->*Map;
  for (auto _ : state) {
    if (TwoThreads)
      FillOnTwoThreads(grid);
    else
      Fill(grid, 0, 1);
    benchmark::DoNotOptimize(grid.nodes.data());
  }
}

TARNWICK_VECTOR_MATHS void FloorBand(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(Floor(arguments->bandPhase));
}

TARNWICK_VECTOR_MATHS void FloorBroadband(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(Floor(arguments->spectrumPhase));
}

}  // namespace

int main(int argc, char** argv) {
  if (!VectorMathsAvailable()) return 1;
  Setup s;
  setup = &s;
  const LevelEngine levels(s.project, s.graphics, s.constants);
  engine = &levels;
  // The section above the floor, from 2 m behind the array to the scene's far end.
  const double left = -2.0, right = s.graphics.SceneWidth, top = s.graphics.SceneHeight;
  s.band = MakeLevelGrid(Band, left, top, right, 0.0, Columns, Rows);
  s.broadband = MakeLevelGrid(BroadbandChoice, left, top, right, 0.0, Columns, Rows);
  const Arguments a = Collect(s);
  arguments = &a;
  const long points = long(Columns) * Rows, boxes = BoxesInUse(s.project);
  std::printf(
      "%d x %d = %ld points x %ld boxes, x %.2f ... %.2f m, y 0 ... %.2f m: %ld square roots "
      "and arctangents; sines and cosines %ld each at 1 kHz, %ld each broadband\n",
      Columns, Rows, points, boxes, left, right, top, points * boxes, points * boxes,
      points * boxes * BandCount);

  benchmark::Initialize(&argc, argv);
  const std::pair<const char*, void (*)(benchmark::State&)> runs[] = {
      {"Map1kHz", FillMap<&Setup::band, false>},
      {"Floor1kHz", FloorBand},
      {"Map1kHzTwoThreads", FillMap<&Setup::band, true>},
      {"MapBroadband", FillMap<&Setup::broadband, false>},
      {"FloorBroadband", FloorBroadband},
      {"MapBroadbandTwoThreads", FillMap<&Setup::broadband, true>}};
  // Alternately, ten short rounds, each the fastest of three repetitions of wall time: on a
  // shared machine one core or the other slows down for tens of seconds at a time, and
  // short rounds give each benchmark its chance at a quiet spell.
  for (int round = 0; round < 10; ++round)
    for (const auto& [name, run] : runs) RegisterFastest(name, run, 3, benchmark::kMillisecond);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);

  const double band = reporter.PrintRatio("Map1kHz", "Floor1kHz");
  const double broadband = reporter.PrintRatio("MapBroadband", "FloorBroadband");
  const double bandThreads = 1.0 / reporter.PrintRatio("Map1kHzTwoThreads", "Map1kHz");
  const double broadbandThreads =
      1.0 / reporter.PrintRatio("MapBroadbandTwoThreads", "MapBroadband");
  std::printf("\ntwo threads: %.2fx as fast at 1 kHz, %.2fx broadband\n", bandThreads,
              broadbandThreads);
  const bool met = band <= Target && broadband <= Target && bandThreads >= TwoThreadTarget &&
                   broadbandThreads >= TwoThreadTarget;
  std::printf(
      "%s: map / floor %.2f at 1 kHz, %.2f broadband (target <= %.2f); two threads %.2fx, "
      "%.2fx (target >= %.2f)\n",
      met ? "PASS" : "FAIL", band, broadband, Target, bandThreads, broadbandThreads,
      TwoThreadTarget);
  std::fflush(stdout);
  return met ? 0 : 1;
}
