// The prediction along area 1 at 1 kHz on the default project against the floor of its work
// (docs/model.md, "The coherent sum"): every square root and transcendental call CalculateSPL
// makes, as many of each as it counts in the same run (SplWork), evaluated four at a time with
// glibc's vector maths over the same argument values collected beforehand, and the single-precision
// sum of each point's pairs of boxes in its order, four points at a time, from the amplitudes,
// cosines and sines those calls give; nothing else. Both rows show the counts beside their
// times. It also times bench/spl_numpy.py, the same levels from the same scene the way a user
// would get them with numpy, and fails when numpy is faster.
//
// Its own row: the level graph as the window recomputes it after a splay change, with the
// band average, interpolated directivity and the air on (the default project, every area,
// Broadband (A), the tolerance band shown): the median of 31 changes must stay within 16 ms,
// one frame.

#include <immintrin.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "DefaultDesign.h"
#include "RatioReporter.h"
#include "acoustics/ModuleData.h"
#include "acoustics/SplPrediction.h"
#include "acoustics/VectorMath.h"
#include "geometry/ArrayGeometry.h"
#include "model/ProjectData.h"
#include "views/SplGraph.h"

using namespace tarnwick;

#define BENCH_AVX2 __attribute__((target("avx2,fma")))

extern "C" {
BENCH_AVX2 __m256d _ZGVdN4v_log(__m256d x);
BENCH_AVX2 __m256d _ZGVdN4v_exp(__m256d x);
BENCH_AVX2 __m256d _ZGVdN4v_cos(__m256d x);
BENCH_AVX2 __m256d _ZGVdN4v_sin(__m256d x);
BENCH_AVX2 __m256d _ZGVdN4v_atan(__m256d x);
}

namespace {

struct Setup : DefaultDesign {
  std::vector<SPLPoint> points;
  SplWork work;  // what one CalculateSPL counts
};

Setup* setup = nullptr;
const double Ln10 = std::log(10.0);

// The floor's work. Per point, padded as CalculateSPL pads them to whole vectors of four
// (the last point repeated): each box's squared distance, the argument of its square root,
// whose results are the arguments of its logarithms; its amplitude exponent level * ln 10 / 20 and
// phase in radians, [box][vector], the arguments of its logarithms, exponentials, cosines
// and sines, and then room for the amplitudes, cosines and sines. The calls CalculateSPL
// makes once per prediction rather than per point (each box's aim and the directions it
// works out anew): as many arguments of each as it counts, padded with harmless values.
struct alignas(32) Quad {
  double lane[4];
};
using Quads = std::vector<Quad>;

struct Floor {
  int boxes = 0, vectors = 0;
  Quads square, distance, exponent, phase, amplitude, cosine, sine;
  Quads otherSines, otherCosines, arctangents;
  Quads level;  // the points' levels, 10 / ln 10 times the log of the sum
};

// Whole vectors of the values, the last padded with `pad`.
Quads Vectors(const std::vector<double>& values, double pad) {
  Quads v((values.size() + 3) / 4);
  for (std::size_t i = 0; i < 4 * v.size(); ++i)
    v[i / 4].lane[i % 4] = i < values.size() ? values[i] : pad;
  return v;
}

// The arguments from the scene by CalculateSPL's steps, and as many calls of each kind as
// `work` counts; false, with what does not match, when the counts are not those of whole
// vectors of points.
bool Collect(const Setup& s, const SplWork& work, Floor& f) {
  const int boxes = s.project.BoxesAmount;
  const long long pairs = boxes * (boxes + 1LL) / 2, lanes = work.sumTerms / pairs;
  const long long perPoint = lanes * boxes;
  if (lanes % 4 != 0 || lanes * pairs != work.sumTerms || work.logarithms != perPoint + lanes ||
      work.exponentials != perPoint || work.squareRoots != perPoint || work.sines < perPoint ||
      work.cosines < perPoint) {
    std::printf("FAIL: CalculateSPL's counts are not those of %lld points' vectors\n", lanes);
    return false;
  }
  f.boxes = boxes, f.vectors = int(lanes / 4);
  std::vector<double> square, exponent, phase;
  for (int b = 0; b < boxes; ++b) {
    const BoxGeometry& box = s.graphics.BoxGeom[b];
    for (long long i = 0; i < lanes; ++i) {
      const SPLPoint& point = s.points[std::min<std::size_t>(i, s.points.size() - 1)];
      const PlaneVector d = AddVectors(point.Position, NegateVector(box.Source));
      const int k = std::max(0, OffAxisIndex(d, AngleFromDown(box.Ray)));
      const auto r = static_cast<float>(std::sqrt(double(d.Y) * d.Y + double(d.X) * d.X));
      const DirectivityPoint& entry = s.constants.Directivity(k, 10);
      const auto level = static_cast<float>(s.constants.BandLevel[10] - entry.LevelDrop -
                                            20.0 * std::log(double(r)) / Ln10);
      square.push_back(double(d.Y) * d.Y + double(d.X) * d.X);
      exponent.push_back(level * (Ln10 / 20.0));
      phase.push_back(
          static_cast<float>(1000.0 * (double(r) * 360.0) / SpeedOfSound + entry.Phase) * Pi /
          180.0);
    }
  }
  f.square = Vectors(square, 1.0), f.exponent = Vectors(exponent, 0.0);
  f.distance = f.square;
  f.phase = Vectors(phase, 0.0);
  f.amplitude = f.cosine = f.sine = f.phase;
  f.level.resize(std::size_t(f.vectors));
  // The aims: from straight down, the tangent x / |y|, in radians.
  std::vector<double> tangent, aim;
  for (int b = 0; b < boxes; ++b) {
    const PlaneVector ray = s.graphics.BoxGeom[b].Ray;
    tangent.push_back(double(ray.X) / std::fabs(double(ray.Y)));
    aim.push_back(AngleFromDown(ray) * Pi / 180.0);
  }
  const auto repeat = [](const std::vector<double>& values, long long count) {
    std::vector<double> v;
    for (long long i = 0; i < count; ++i) v.push_back(values[std::size_t(i) % values.size()]);
    return v;
  };
  f.otherSines = Vectors(repeat(aim, work.sines - perPoint), 0.0);
  f.otherCosines = Vectors(repeat(aim, work.cosines - perPoint), 0.0);
  f.arctangents = Vectors(repeat(tangent, work.arctangents), 0.0);
  return true;
}

BENCH_AVX2 inline __m256d Single(__m256d x) { return _mm256_cvtps_pd(_mm256_cvtpd_ps(x)); }
BENCH_AVX2 inline __m256d Load(const Quad& q) { return _mm256_load_pd(q.lane); }

// The sum of V vectors of points from vector `first` side by side, each point's in its order:
// for every box j, S += A_j^2, then for every later box m, S += 2 A_j A_m (cos_j cos_m +
// sin_j sin_m), each term in double and S rounded to single after every addition; then
// 10 ln S / ln 10.
template <int V>
BENCH_AVX2 void Sum(Floor& f, int first) {
  const std::size_t n = std::size_t(f.vectors);
  __m256d power[V];
  for (int v = 0; v < V; ++v) power[v] = _mm256_setzero_pd();
  for (int j = 0; j < f.boxes; ++j) {
    __m256d twice[V];
    for (int v = 0; v < V; ++v) {
      const __m256d a = Load(f.amplitude[j * n + first + v]);
      power[v] = Single(_mm256_add_pd(power[v], _mm256_mul_pd(a, a)));
      twice[v] = _mm256_add_pd(a, a);
    }
    for (int m = j + 1; m < f.boxes; ++m)
      for (int v = 0; v < V; ++v) {
        const std::size_t at = first + v;
        const __m256d cosine =
            _mm256_add_pd(_mm256_mul_pd(Load(f.cosine[j * n + at]), Load(f.cosine[m * n + at])),
                          _mm256_mul_pd(Load(f.sine[j * n + at]), Load(f.sine[m * n + at])));
        const __m256d term =
            _mm256_mul_pd(_mm256_mul_pd(twice[v], Load(f.amplitude[m * n + at])), cosine);
        power[v] = Single(_mm256_add_pd(power[v], term));
      }
  }
  for (int v = 0; v < V; ++v)
    _mm256_store_pd(f.level[first + v].lane,
                    _mm256_mul_pd(_ZGVdN4v_log(power[v]), _mm256_set1_pd(10.0 / Ln10)));
}

// Sums each call's results that nothing else uses, so that none can be left out.
template <typename Function>
BENCH_AVX2 __m256d Evaluate(const Quads& x, Function f, __m256d sum) {
  for (const Quad& v : x) sum = _mm256_add_pd(sum, f(Load(v)));
  return sum;
}

template <typename Function>
BENCH_AVX2 void Evaluate(const Quads& x, Function f, Quads& y) {
  for (std::size_t i = 0; i < x.size(); ++i) _mm256_store_pd(y[i].lane, f(Load(x[i])));
}

BENCH_AVX2 void FloorWork(Floor& f) {
  __m256d sum = _mm256_setzero_pd();
  sum = Evaluate(f.arctangents, _ZGVdN4v_atan, sum);
  sum = Evaluate(f.otherSines, _ZGVdN4v_sin, sum);
  sum = Evaluate(f.otherCosines, _ZGVdN4v_cos, sum);
  Evaluate(f.square, vector_maths::Sqrt, f.distance);
  sum = Evaluate(f.distance, _ZGVdN4v_log, sum);
  Evaluate(f.exponent, _ZGVdN4v_exp, f.amplitude);
  Evaluate(f.phase, _ZGVdN4v_cos, f.cosine);
  Evaluate(f.phase, _ZGVdN4v_sin, f.sine);
  // Eight sums side by side keep the vector units about full, the rest shared out evenly.
  for (int first = 0, groups = (f.vectors + 7) / 8, g = 0; g < groups; ++g) {
    const int size = (f.vectors * (g + 1)) / groups - (f.vectors * g) / groups;
    switch (size) {
      case 8:
        Sum<8>(f, first);
        break;
      case 7:
        Sum<7>(f, first);
        break;
      case 6:
        Sum<6>(f, first);
        break;
      case 5:
        Sum<5>(f, first);
        break;
      case 4:
        Sum<4>(f, first);
        break;
      case 3:
        Sum<3>(f, first);
        break;
      case 2:
        Sum<2>(f, first);
        break;
      default:
        Sum<1>(f, first);
        break;
    }
    first += size;
  }
  benchmark::DoNotOptimize(sum);
  benchmark::DoNotOptimize(f.level.data());
}

// What each row made per call, shown beside its time.
void Show(benchmark::State& state, const SplWork& work) {
  state.counters["sin"] = double(work.sines);
  state.counters["cos"] = double(work.cosines);
  state.counters["log"] = double(work.logarithms);
  state.counters["exp"] = double(work.exponentials);
  state.counters["atan"] = double(work.arctangents);
  state.counters["sqrt"] = double(work.squareRoots);
  state.counters["sum terms"] = double(work.sumTerms);
}

void CalculateSPL_1_10(benchmark::State& state) {
  for (auto _ : state) {
    CalculateSPL(setup->project, setup->graphics, setup->constants, 1, 10, setup->points);
    benchmark::DoNotOptimize(setup->points.data());
  }
  SplWork work;
  CalculateSPL(setup->project, setup->graphics, setup->constants, 1, 10, setup->points, &work);
  Show(state, work);
}

void VectorisedFloor(benchmark::State& state) {
  Floor f;
  if (!Collect(*setup, setup->work, f)) std::exit(1);
  for (auto _ : state) FloorWork(f);
  const auto lanes = [](const Quads& v) { return 4 * static_cast<long long>(v.size()); };
  SplWork made;
  made.sines = lanes(f.phase) + lanes(f.otherSines);
  made.cosines = lanes(f.phase) + lanes(f.otherCosines);
  made.logarithms = lanes(f.distance) + lanes(f.level);
  made.exponentials = lanes(f.exponent);
  made.squareRoots = lanes(f.square);
  made.arctangents = lanes(f.arctangents);
  made.sumTerms = lanes(f.level) * f.boxes * (f.boxes + 1) / 2;
  Show(state, made);
}

// Fastest of many single calls, in microseconds, for the comparison with numpy, which
// times its own runs the same way.
double FastestCall(const Setup& s) {
  std::vector<SPLPoint> points;
  double fastest = INFINITY;
  for (int run = 0; run < 20000; ++run) {
    const auto start = std::chrono::steady_clock::now();
    CalculateSPL(s.project, s.graphics, s.constants, 1, 10, points);
    const auto stop = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(points.data());
    fastest = std::min(fastest, std::chrono::duration<double, std::micro>(stop - start).count());
  }
  return fastest;
}

// Writes what the numpy script reads: area 1, the boxes and band 10's directivity.
bool WriteScene(const Setup& s, const char* path) {
  FILE* f = std::fopen(path, "w");
  if (!f) return false;
  const AreaGeometry& area = s.graphics.AreaGeom[0];
  std::fprintf(f, "{\"length\": %.9g, \"start\": [%.9g, %.9g], \"direction\": [%.9g, %.9g],\n",
               s.project.AreaLength[0], area.Start.X, area.Start.Y, area.Direction.X,
               area.Direction.Y);
  const char* names[] = {"source", "ray", "attenuation"};
  for (int field = 0; field < 3; ++field) {
    std::fprintf(f, " \"%s\": [", names[field]);
    for (int b = 0; b < s.project.BoxesAmount; ++b) {
      const BoxGeometry& box = s.graphics.BoxGeom[b];
      const PlaneVector v = field == 0 ? box.Source : box.Ray;
      if (field < 2)
        std::fprintf(f, "%s[%.9g, %.9g]", b ? ", " : "", v.X, v.Y);
      else
        std::fprintf(f, "%s%.9g", b ? ", " : "", s.project.BoxAttenuation[b]);
    }
    std::fprintf(f, "],\n");
  }
  std::fprintf(f, " \"frequency\": %.17g, \"band_level\": %.9g,\n", BandCentreFrequency(10),
               s.constants.BandLevel[10]);
  for (const bool drop : {true, false}) {
    std::fprintf(f, " \"%s\": [", drop ? "drop" : "phase");
    for (int k = 0; k < DirectivityAngleCount; ++k) {
      const DirectivityPoint& entry = s.constants.Directivity(k, 10);
      std::fprintf(f, "%s%.9g", k ? ", " : "", drop ? entry.LevelDrop : entry.Phase);
    }
    std::fprintf(f, drop ? "],\n" : "]}\n");
  }
  return std::fclose(f) == 0;
}

// Runs the numpy script on the scene and prints its time against CalculateSPL's. Returns
// false only when numpy is faster; a missing numpy skips the comparison.
bool CompareWithNumpy(const Setup& s) {
  char path[] = "/tmp/bench_spl_XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0 || close(fd) != 0 || !WriteScene(s, path)) {
    std::printf("numpy comparison skipped: cannot write the scene\n");
    return true;
  }
  // python3 on the path first, then Debian's own, which is where python3-numpy installs.
  std::vector<double> output;
  int status = -1;
  for (const char* python : {"python3", "/usr/bin/python3"}) {
    const std::string command =
        std::string(python) + " " SPL_NUMPY_SCRIPT " " + path + " 2>/dev/null";
    output.clear();
    FILE* child = popen(command.c_str(), "r");
    if (!child) continue;
    double value = 0.0;
    while (std::fscanf(child, "%lf", &value) == 1) output.push_back(value);
    status = pclose(child);
    if (status == 0 && output.size() == s.points.size() + 1) break;
  }
  std::remove(path);
  if (status != 0 || output.size() != s.points.size() + 1) {
    std::printf(
        "numpy comparison skipped: python3 with numpy did not run (install python3-numpy)\n");
    return true;
  }
  double largest = 0.0;
  for (std::size_t i = 0; i < s.points.size(); ++i)
    largest = std::max(largest, std::fabs(output[i + 1] - s.points[i].SPL));
  const double ours = FastestCall(s);
  const double ratio = ours / output[0];
  std::printf("numpy levels differ by at most %.2g dB\n", largest);
  std::printf("CalculateSPL %.2f us, numpy %.2f us: numpy ratio %.3f (must be < 1)\n", ours,
              output[0], ratio);
  return ratio < 1.0;
}

constexpr double GraphTarget = 16.0;  // ms

// The median time in ms from a splay change to the graph's curves with the options on.
double GraphWithOptions(const Setup& s) {
  ProjectData p = s.project;
  p.Prediction.Average = p.Prediction.Interpolate = p.Prediction.Air = true;
  Graphics g = s.graphics;
  std::vector<double> times;
  std::size_t points = 0;
  for (int change = 0; change < 31; ++change) {
    p.BoxAngle[5] = change % 2 == 0 ? 5.0f : 3.0f;
    const auto start = std::chrono::steady_clock::now();
    ComputeArrayGeometry(p, g);
    const std::vector<LevelCurve> curves =
        PredictCurves(p, g, s.constants, 0, true, BroadbandAChoice, true);
    times.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count());
    points = 0;
    for (const LevelCurve& c : curves) points += c.Points.size() + c.Low.size();
  }
  std::sort(times.begin(), times.end());
  std::printf(
      "graph with the options (every area, Broadband (A), tolerance band, %zu points): median "
      "%.2f ms, fastest %.2f ms (target <= %.0f ms)\n",
      points, times[times.size() / 2], times.front(), GraphTarget);
  return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (!VectorMathsAvailable()) return 1;
  Setup s;
  setup = &s;
  CalculateSPL(s.project, s.graphics, s.constants, 1, 10, s.points, &s.work);
  const SplWork& w = s.work;
  std::printf(
      "%zu points x %d boxes: CalculateSPL makes %lld square roots, %lld sines, %lld cosines, "
      "%lld logarithms, %lld exponentials, %lld arctangents and %lld additions to the sums, "
      "and so does the floor\n",
      s.points.size(), s.project.BoxesAmount, w.squareRoots, w.sines, w.cosines, w.logarithms,
      w.exponentials, w.arctangents, w.sumTerms);
  const bool beatsNumpy = CompareWithNumpy(s);
  const double graph = GraphWithOptions(s);

  double ratio = 0.0;
  const int verdict = RunSideBySide(argc, argv, "CalculateSPL", CalculateSPL_1_10,
                                    "VectorisedFloor", VectorisedFloor, 1.25, &ratio);
  const bool met = verdict == 0 && beatsNumpy && graph <= GraphTarget;
  std::printf(
      "%s: CalculateSPL / floor %.2f %s 1.25; numpy %s; graph with the options %.2f ms %s %.0f "
      "ms\n",
      met ? "PASS" : "FAIL", ratio, verdict == 0 ? "<=" : ">", beatsNumpy ? "slower" : "faster",
      graph, graph <= GraphTarget ? "<=" : ">", GraphTarget);
  return met ? 0 : 1;
}
