// The prediction along area 1 at 1 kHz on the default project against the floor of its
// transcendental work (docs/model.md, "The coherent sum"): per point, a cosine for every pair of
// boxes, a logarithm and a power of ten for every box, and the logarithm of the summed power, all
// evaluated four at a time with glibc's vector maths over the same argument values collected
// beforehand, and nothing else. It also times bench/spl_numpy.py, the same levels from the
// same scene the way a user would get them with numpy, and fails when numpy is faster.

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

using namespace tarnwick;

#define BENCH_AVX2 __attribute__((target("avx2,fma")))

extern "C" {
BENCH_AVX2 __m256d _ZGVdN4v_log(__m256d x);
BENCH_AVX2 __m256d _ZGVdN4v_exp(__m256d x);
BENCH_AVX2 __m256d _ZGVdN4v_cos(__m256d x);
}

namespace {

struct Setup : DefaultDesign {
  std::vector<SPLPoint> points;
};

Setup* setup = nullptr;
const double Ln10 = std::log(10.0);

// The arguments of those transcendental calls, each kind in one array padded with
// harmless values to whole vectors of four: the cosines' (phase_j - phase_m) in radians,
// the logarithms' distances and summed powers, the exponentials' level * ln 10 / 20.
struct Arguments {
  std::vector<double> cosine, logarithm, exponential;
};

Arguments Collect(const Setup& s) {
  Arguments a;
  const int boxes = s.project.BoxesAmount;
  for (const SPLPoint& point : s.points) {
    std::vector<float> phase;
    for (int b = 0; b < boxes; ++b) {
      const BoxGeometry& box = s.graphics.BoxGeom[b];
      const PlaneVector d = AddVectors(point.Position, NegateVector(box.Source));
      const int k = OffAxisIndex(d, AngleFromDown(box.Ray));
      const auto r = static_cast<float>(std::sqrt(double(d.Y) * d.Y + double(d.X) * d.X));
      const DirectivityPoint& entry = s.constants.Directivity(k, 10);
      const auto level = static_cast<float>(126.0 - entry.LevelDrop - 20.0 * std::log10(r));
      a.logarithm.push_back(r);
      a.exponential.push_back(level * (Ln10 / 20.0));
      phase.push_back(
          static_cast<float>(1000.0 * (double(r) * 360.0) / SpeedOfSound + entry.Phase));
    }
    for (int j = 0; j < boxes; ++j)
      for (int m = j + 1; m < boxes; ++m)
        a.cosine.push_back((double(phase[j]) - phase[m]) * Pi / 180.0);
    a.logarithm.push_back(std::pow(10.0, point.SPL / 10.0));
  }
  for (std::vector<double>* v : {&a.cosine, &a.logarithm, &a.exponential})
    while (v->size() % 4 != 0) v->push_back(1.0);
  return a;
}

// Sums each call's results so that none can be left out.
template <typename Function>
BENCH_AVX2 __m256d Evaluate(const std::vector<double>& x, Function f, __m256d sum) {
  for (std::size_t i = 0; i < x.size(); i += 4) sum = _mm256_add_pd(sum, f(_mm256_loadu_pd(&x[i])));
  return sum;
}

void CalculateSPL_1_10(benchmark::State& state) {
  for (auto _ : state) {
    CalculateSPL(setup->project, setup->graphics, setup->constants, 1, 10, setup->points);
    benchmark::DoNotOptimize(setup->points.data());
  }
}

BENCH_AVX2 void VectorisedFloor(benchmark::State& state) {
  const Arguments a = Collect(*setup);
  for (auto _ : state) {
    __m256d sum = _mm256_setzero_pd();
    sum = Evaluate(a.cosine, _ZGVdN4v_cos, sum);
    sum = Evaluate(a.logarithm, _ZGVdN4v_log, sum);
    sum = Evaluate(a.exponential, _ZGVdN4v_exp, sum);
    benchmark::DoNotOptimize(sum);
  }
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

}  // namespace

int main(int argc, char** argv) {
  if (!VectorMathsAvailable()) return 1;
  Setup s;
  setup = &s;
  CalculateSPL(s.project, s.graphics, s.constants, 1, 10, s.points);
  const std::size_t points = s.points.size(), boxes = std::size_t(s.project.BoxesAmount);
  std::printf("%zu points x %zu boxes: %zu cosines, %zu logarithms, %zu exponentials per call\n",
              points, boxes, points * boxes * (boxes - 1) / 2, points * (boxes + 1),
              points * boxes);
  const bool beatsNumpy = CompareWithNumpy(s);

  const int verdict = RunSideBySide(argc, argv, "CalculateSPL", CalculateSPL_1_10,
                                    "VectorisedFloor", VectorisedFloor, 1.25);
  return verdict != 0 ? verdict : beatsNumpy ? 0 : 1;
}
