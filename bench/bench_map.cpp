// The coverage map of the default project as the window computes it for a 1600 x 1000 side
// view, one level per 4 x 4 pixels: 400 x 250 = 100,000 points over the section above the
// floor, 12 boxes, at 1 kHz and at Broadband (A). Each is held to the floor of the work the
// engine counts while it fills the same map in this run: a square root per point and box,
// the arctangents the entry follower left over, the sines and cosines (after octave
// squaring, the lowest three bands' only), the complex squares and products that give the
// other bands' pressures, and a logarithm per point for its level, all four at a time
// through the same vector-maths wrappers as the engine, over the map's own arguments
// collected beforehand, and nothing else. Two threads sharing the rows, as the window
// shares them, must be at least 1.6 times as fast as one.

#include <immintrin.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
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
constexpr int MostPhasors = 3;           // sines and cosines a point and box, at most

constexpr double OptionsTarget = 6.0;  // averaged maps: at most this many times the plain ones

struct Setup : DefaultDesign {
  LevelGrid band, broadband;  // the maps, filled again and again
};

Setup* setup = nullptr;
const LevelEngine* engine = nullptr;
// The same design with the band average and interpolated directivity on, and with the air too.
const LevelEngine* averaged = nullptr;
const LevelEngine* aired = nullptr;

// The work the engine counted on one map, as the floor does it: per vector of four box-
// points (each point with each box), a square root, `phasors` sines and cosines, then
// `products` complex products, every one after the first `phasors` taking a phasor
// squared, as many squares as the engine made; over all of it, `arctangents` vectors of
// arctangent and `logarithms` vectors of logarithm, one a point.
struct Plan {
  LevelEngine::Work counted;  // by the engine
  std::size_t vectors = 0;    // of four box-points
  int phasors = 0, products = 0;
  std::size_t arctangents = 0, logarithms = 0;
  // What the floor does with this plan, counted as the engine counts.
  LevelEngine::Work Floor() const {
    const std::uint64_t lanes = 4 * vectors;
    return {lanes,
            lanes * phasors,
            4 * arctangents,
            lanes * std::max(0, products - phasors),
            lanes * products,
            4 * logarithms};
  }
};

Plan MakePlan(const LevelEngine::Work& w) {
  Plan p{w, w.SquareRoots / 4};
  p.phasors = int(w.SinesCosines / std::max<std::uint64_t>(w.SquareRoots, 1));
  p.products = int(w.ComplexProducts / std::max<std::uint64_t>(w.SquareRoots, 1));
  p.arctangents = (w.Arctangents + 3) / 4;
  p.logarithms = (w.Logarithms + 3) / 4;
  return p;
}

// The work of filling a map once, as the engine counts it.
LevelEngine::Work Count(const LevelGrid& grid) {
  LevelEngine::Work work;
  std::vector<PlaneVector> at(std::size_t(grid.nx));
  std::vector<float> levels(at.size());
  for (int j = 0; j < grid.ny; ++j) {
    for (int i = 0; i < grid.nx; ++i) at[i] = grid.Node(i, j);
    engine->Levels(grid.entry, at, levels, &work);
  }
  return work;
}

// The floor's arguments, each kind in one array, box-point after box-point: the squared
// distances, the arctangent's two arguments (the single-precision direction, as the engine
// takes it), and the phases whose sines and cosines the sums need, kr + entry phase at 1 kHz
// and kr for the lowest three bands; and, for the products, each band's complex pressure at
// 1 m on the axis.
struct Arguments {
  std::vector<double> square, across, down, bandPhase, lowPhase[MostPhasors];
  double pressure[BandCount][2];
};

Arguments Collect(const Setup& s) {
  Arguments a;
  auto waveNumber = [](int band) { return 2.0 * Pi * BandCentreFrequency(band) / SpeedOfSound; };
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
        a.bandPhase.push_back(waveNumber(Band) * r +
                              s.constants.Directivity(k, Band).Phase * Pi / 180.0);
        for (int band = 0; band < MostPhasors; ++band)
          a.lowPhase[band].push_back(waveNumber(band) * r);
      }
    }
  for (std::vector<double>* v : {&a.square, &a.across, &a.down, &a.bandPhase, &a.lowPhase[0],
                                 &a.lowPhase[1], &a.lowPhase[2]})
    while (v->size() % 4 != 0) v->push_back(1.0);
  for (int band = 0; band < BandCount; ++band) {
    const DirectivityPoint& entry = s.constants.Directivity(OnAxisIndex, band);
    const double amplitude = std::pow(10.0, (s.constants.BandLevel[band] - entry.LevelDrop) / 20);
    a.pressure[band][0] = amplitude * std::cos(entry.Phase * Pi / 180.0);
    a.pressure[band][1] = amplitude * std::sin(entry.Phase * Pi / 180.0);
  }
  return a;
}

const Arguments* arguments = nullptr;
Plan bandPlan, broadbandPlan;

// Vector i of an argument array.
TARNWICK_VECTOR_MATHS __m256d Lanes(const std::vector<double>& v, std::size_t i) {
  return _mm256_loadu_pd(&v[4 * i]);
}

// Sums that every result goes into, so that none can be left out: one a band, so that the
// additions do not wait for one another.
struct Sums {
  __m256d re[BandCount], im[BandCount];
};

// The plan's sines and cosines for `count` (up to Batch) vectors of box-points from vector
// v on, then its squares and products. Phasors is a template argument so that the squared
// ones stay in registers; Batch, the vectors whose sines, then cosines, are taken one after
// another, the fastest found for each plan.
template <int Phasors, int Batch>
TARNWICK_VECTOR_MATHS void Products(const Arguments& a, const Plan& plan, std::size_t v, int count,
                                    Sums& sums) {
  using namespace vector_maths;
  const std::vector<double>* phase = plan.products == 0 ? &a.bandPhase : a.lowPhase;
  __m256d sine[Batch][Phasors], cosine[Batch][Phasors];
  for (int i = 0; i < count; ++i)
    for (int j = 0; j < Phasors; ++j) sine[i][j] = Sin(Lanes(phase[j], v + i));
  for (int i = 0; i < count; ++i)
    for (int j = 0; j < Phasors; ++j) cosine[i][j] = Cos(Lanes(phase[j], v + i));
  for (int i = 0; i < count; ++i) {
    __m256d zr[Phasors], zi[Phasors];
    auto product = [&](int band, int j) TARNWICK_VECTOR_MATHS {
      const __m256d pr = _mm256_broadcast_sd(&a.pressure[band][0]);
      const __m256d pi = _mm256_broadcast_sd(&a.pressure[band][1]);
      sums.re[band] =
          _mm256_add_pd(sums.re[band], _mm256_fmsub_pd(pr, zr[j], _mm256_mul_pd(pi, zi[j])));
      sums.im[band] =
          _mm256_add_pd(sums.im[band], _mm256_fmadd_pd(pr, zi[j], _mm256_mul_pd(pi, zr[j])));
    };
    for (int j = 0; j < Phasors; ++j) {
      zr[j] = cosine[i][j], zi[j] = sine[i][j];
      if (plan.products == 0)
        sums.re[j] = _mm256_add_pd(sums.re[j], zr[j]),
        sums.im[j] = _mm256_add_pd(sums.im[j], zi[j]);
      else
        product(j, j);
    }
    for (int n = Phasors; n < plan.products; n += Phasors)
      for (int j = 0; j < Phasors && n + j < plan.products; ++j) {
        const __m256d square = _mm256_fmsub_pd(zr[j], zr[j], _mm256_mul_pd(zi[j], zi[j]));
        zi[j] = _mm256_mul_pd(_mm256_add_pd(zr[j], zr[j]), zi[j]);
        zr[j] = square;
        product(n + j, j);
      }
  }
}

// The whole floor of one plan.
template <int Phasors, int Batch>
TARNWICK_VECTOR_MATHS __m256d Floor(const Plan& plan) {
  using namespace vector_maths;
  const Arguments& a = *arguments;
  __m256d sum = _mm256_setzero_pd();
  Sums sums;
  for (int band = 0; band < BandCount; ++band) sums.re[band] = sums.im[band] = sum;
  for (std::size_t v = 0; v < plan.vectors; ++v) sum = _mm256_add_pd(sum, Sqrt(Lanes(a.square, v)));
  for (std::size_t v = 0; v < plan.arctangents; ++v)
    sum = _mm256_add_pd(sum, Atan2(Lanes(a.across, v), Lanes(a.down, v)));
  for (std::size_t v = 0; v < plan.logarithms; ++v)
    sum = _mm256_add_pd(sum, Log(Lanes(a.square, v)));
  for (std::size_t v = 0; v < plan.vectors; v += Batch)
    Products<Phasors, Batch>(a, plan, v, int(std::min<std::size_t>(Batch, plan.vectors - v)), sums);
  for (int band = 0; band < BandCount; ++band)
    sum = _mm256_add_pd(sum, _mm256_add_pd(sums.re[band], sums.im[band]));
  return sum;
}

// The map's rows from `first` in steps of `step`.
void Fill(LevelGrid& grid, int first, int step, const LevelEngine* by = engine) {
  grid.FillRows(*by, first, step, [] { return false; });
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

// The whole map on one thread with the prediction options of *Engine.
template <LevelGrid Setup::*Map, const LevelEngine** Engine>
void FillWithOptions(benchmark::State& state) {
  LevelGrid& grid = setup->*Map;
  for (auto _ : state) {
    Fill(grid, 0, 1, *Engine);
    benchmark::DoNotOptimize(grid.nodes.data());
  }
}

template <const Plan* P, int Phasors, int Batch>
TARNWICK_VECTOR_MATHS void FloorOf(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(Floor<Phasors, Batch>(*P));
}

// One set of counts, as a line's end.
void PrintWork(const LevelEngine::Work& w) {
  std::printf(
      "%llu square roots, %llu sines and cosines each, %llu arctangents (%.2f %% of the "
      "box-points), %llu complex squares, %llu complex products, %llu logarithms\n",
      (unsigned long long)w.SquareRoots, (unsigned long long)w.SinesCosines,
      (unsigned long long)w.Arctangents, 100.0 * w.Arctangents / std::max<double>(w.SquareRoots, 1),
      (unsigned long long)w.ComplexSquares, (unsigned long long)w.ComplexProducts,
      (unsigned long long)w.Logarithms);
}

// The counts of one map, the engine's and its floor's; true when the floor made them all
// (the arctangents and logarithms up to a whole vector).
bool PrintCounts(const char* name, const Plan& plan) {
  const LevelEngine::Work e = plan.counted, f = plan.Floor();
  std::printf("%s, engine: ", name);
  PrintWork(e);
  std::printf("%s, floor:  ", name);
  PrintWork(f);
  auto whole = [](std::uint64_t floor, std::uint64_t engine) {
    return floor >= engine && floor < engine + 4;
  };
  return f.SquareRoots == e.SquareRoots && f.SinesCosines == e.SinesCosines &&
         whole(f.Arctangents, e.Arctangents) && f.ComplexSquares == e.ComplexSquares &&
         f.ComplexProducts == e.ComplexProducts && whole(f.Logarithms, e.Logarithms);
}

}  // namespace

int main(int argc, char** argv) {
  if (!VectorMathsAvailable()) return 1;
  Setup s;
  setup = &s;
  const LevelEngine levels(s.project, s.graphics, s.constants);
  engine = &levels;
  ProjectData options = s.project;
  options.Prediction.Average = options.Prediction.Interpolate = true;
  const LevelEngine averagedLevels(options, s.graphics, s.constants);
  averaged = &averagedLevels;
  options.Prediction.Air = true;
  const LevelEngine airedLevels(options, s.graphics, s.constants);
  aired = &airedLevels;
  // The section above the floor, from 2 m behind the array to the scene's far end.
  const double left = -2.0, right = s.graphics.SceneWidth, top = s.graphics.SceneHeight;
  s.band = MakeLevelGrid(Band, left, top, right, 0.0, Columns, Rows);
  s.broadband = MakeLevelGrid(BroadbandAChoice, left, top, right, 0.0, Columns, Rows);
  const Arguments a = Collect(s);
  arguments = &a;
  bandPlan = MakePlan(Count(s.band));
  broadbandPlan = MakePlan(Count(s.broadband));
  std::printf("%d x %d = %ld points x %d boxes, x %.2f ... %.2f m, y 0 ... %.2f m\n", Columns, Rows,
              long(Columns) * Rows, BoxesInUse(s.project), left, right, top);
  // The floor takes its arguments from the map's box-points, once each.
  for (const Plan* plan : {&bandPlan, &broadbandPlan})
    if (4 * plan->vectors != a.square.size() || plan->arctangents > plan->vectors ||
        plan->logarithms > plan->vectors ||
        plan->phasors != (plan == &bandPlan ? 1 : MostPhasors)) {
      std::printf("FAIL: the engine's counts do not fit the map's %zu box-points\n",
                  a.square.size());
      return 1;
    }

  benchmark::Initialize(&argc, argv);
  const std::pair<const char*, void (*)(benchmark::State&)> runs[] = {
      {"Map1kHz", FillMap<&Setup::band, false>},
      {"Floor1kHz", FloorOf<&bandPlan, 1, 1>},
      {"Map1kHzTwoThreads", FillMap<&Setup::band, true>},
      {"MapBroadbandA", FillMap<&Setup::broadband, false>},
      {"FloorBroadbandA", FloorOf<&broadbandPlan, MostPhasors, 24>},
      {"MapBroadbandATwoThreads", FillMap<&Setup::broadband, true>}};
  const std::pair<const char*, void (*)(benchmark::State&)> averagedRuns[] = {
      {"Averaged1kHz", FillWithOptions<&Setup::band, &averaged>},
      {"AveragedBroadbandA", FillWithOptions<&Setup::broadband, &averaged>},
      {"AveragedAir1kHz", FillWithOptions<&Setup::band, &aired>},
      {"AveragedAirBroadbandA", FillWithOptions<&Setup::broadband, &aired>}};
  // Alternately, ten short rounds, each the fastest of three repetitions of wall time: on a
  // shared machine one core or the other slows down for tens of seconds at a time, and
  // short rounds give each benchmark its chance at a quiet spell. (Repetitions much shorter
  // than these leave the two-thread maps waiting on a sleeping core.) The averaged maps get
  // as many chances as the plain ones they are held to.
  for (int round = 0; round < 10; ++round) {
    for (const auto& [name, run] : runs) RegisterFastest(name, run, 3, benchmark::kMillisecond);
    for (const auto& [name, run] : averagedRuns)
      RegisterFastest(name, run, 3, benchmark::kMillisecond);
  }
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);

  const double band = reporter.PrintRatio("Map1kHz", "Floor1kHz");
  const double broadband = reporter.PrintRatio("MapBroadbandA", "FloorBroadbandA");
  const double bandThreads = 1.0 / reporter.PrintRatio("Map1kHzTwoThreads", "Map1kHz");
  const double broadbandThreads =
      1.0 / reporter.PrintRatio("MapBroadbandATwoThreads", "MapBroadbandA");
  const double averagedBand = reporter.PrintRatio("Averaged1kHz", "Map1kHz");
  const double averagedBroadband = reporter.PrintRatio("AveragedBroadbandA", "MapBroadbandA");
  const double airBand = reporter.PrintRatio("AveragedAir1kHz", "Averaged1kHz");
  const double airBroadband = reporter.PrintRatio("AveragedAirBroadbandA", "AveragedBroadbandA");
  std::printf(
      "\naveraged and interpolated: %.2fx the plain map at 1 kHz, %.2fx at Broadband (A) "
      "(target <= %.1f); the air adds %.0f %% and %.0f %%\n",
      averagedBand, averagedBroadband, OptionsTarget, 100.0 * (airBand - 1.0),
      100.0 * (airBroadband - 1.0));
  std::printf("\ntwo threads: %.2fx as fast at 1 kHz, %.2fx at Broadband (A)\n", bandThreads,
              broadbandThreads);
  const bool counted = PrintCounts("1 kHz", bandPlan) & PrintCounts("Broadband (A)", broadbandPlan);
  const bool met = counted && band <= Target && broadband <= Target &&
                   averagedBand <= OptionsTarget && averagedBroadband <= OptionsTarget &&
                   bandThreads >= TwoThreadTarget && broadbandThreads >= TwoThreadTarget;
  std::printf(
      "%s: map / floor %.2f at 1 kHz, %.2f at Broadband (A) (target <= %.2f); averaged / plain "
      "%.2f, %.2f (target <= %.1f); two threads %.2fx, %.2fx (target >= %.2f)%s\n",
      met ? "PASS" : "FAIL", band, broadband, Target, averagedBand, averagedBroadband,
      OptionsTarget, bandThreads, broadbandThreads, TwoThreadTarget,
      counted ? "" : "; the floor's counts differ from the engine's");
  std::fflush(stdout);
  return met ? 0 : 1;
}
