// The prediction along area 1 at 1 kHz on the default project against the bare cost of
// its transcendental functions: a loop that evaluates the same cosines, logarithms and
// powers on the same values and nothing else.

#include <cmath>
#include <cstdio>
#include <vector>

#include "RatioReporter.h"
#include "acoustics/ModuleData.h"
#include "acoustics/SplPrediction.h"
#include "geometry/ArrayGeometry.h"
#include "model/ProjectData.h"

using namespace tarnwick;

namespace {

struct Setup {
  ProjectData project = MakeDefaultProject();
  Graphics graphics;
  Constants constants;
  std::vector<SPLPoint> points;
};

Setup* setup = nullptr;
const double Ln10 = std::log(10.0);

// Per point, the arguments of the prediction's transcendental calls: each box's distance
// (logarithm), level over 20 (power of ten) and phase; the summed power (logarithm).
struct Arguments {
  int boxes = 0;
  std::vector<double> distance, level, phase, power;
};

Arguments Collect(const Setup& s) {
  Arguments a;
  a.boxes = s.project.BoxesAmount;
  auto angle = [](PlaneVector v) {
    return static_cast<float>(std::atan(double(v.X) / std::fabs(double(v.Y))) * 180.0 / Pi);
  };
  for (const SPLPoint& point : s.points) {
    for (int b = 0; b < a.boxes; ++b) {
      const BoxGeometry& box = s.graphics.BoxGeom[b];
      const PlaneVector d = AddVectors(point.Position, NegateVector(box.Source));
      const auto theta = static_cast<float>(double(angle(d)) - angle(box.Ray));
      const auto r = static_cast<float>(std::sqrt(double(d.Y) * d.Y + double(d.X) * d.X));
      const DirectivityPoint entry = *LookUpDirectivity(s.constants, 10, theta);
      a.distance.push_back(r);
      a.level.push_back(static_cast<float>(126.0 - entry.LevelDrop - 20.0 * std::log10(r)) / 20.0);
      a.phase.push_back(
          static_cast<float>(1000.0 * (double(r) * 360.0) / SpeedOfSound + entry.Phase));
    }
    a.power.push_back(std::pow(10.0, point.SPL / 10.0));
  }
  return a;
}

void CalculateSPL_1_10(benchmark::State& state) {
  for (auto _ : state) {
    CalculateSPL(setup->project, setup->graphics, setup->constants, 1, 10, setup->points);
    benchmark::DoNotOptimize(setup->points.data());
  }
}

void TranscendentalBaseline(benchmark::State& state) {
  const Arguments a = Collect(*setup);
  const int boxes = a.boxes;
  for (auto _ : state) {
    for (std::size_t i = 0; i < a.power.size(); ++i) {
      const double* r = &a.distance[i * boxes];
      const double* level = &a.level[i * boxes];
      const double* phase = &a.phase[i * boxes];
      double sum = 0.0;
      // Powers of ten by the prediction's own route, exp(x ln 10).
      for (int b = 0; b < boxes; ++b) sum += std::log(r[b]) + std::exp(level[b] * Ln10);
      for (int j = 0; j < boxes; ++j)
        for (int m = j + 1; m < boxes; ++m) sum += std::cos((phase[j] - phase[m]) * Pi / 180.0);
      sum += std::log(a.power[i]);
      benchmark::DoNotOptimize(sum);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  Setup s;
  setup = &s;
  ComputeSceneExtents(s.project, SceneFrame{false, 12000.0, 9000.0}, s.graphics);
  for (int i = 0; i < s.project.AreasAmount; ++i) ComputeAreaSlope(s.project, i, s.graphics);
  ComputeArrayGeometry(s.project, s.graphics);
  AssignBandLevel(s.constants);
  FillDirectivity(s.constants);
  CalculateSPL(s.project, s.graphics, s.constants, 1, 10, s.points);
  const int boxes = s.project.BoxesAmount;
  std::printf("%zu points x %d boxes: %zu cosines, %zu logarithms, %zu powers per call\n",
              s.points.size(), boxes, s.points.size() * boxes * (boxes - 1) / 2,
              s.points.size() * (boxes + 1), s.points.size() * boxes);

  return RunSideBySide(argc, argv, "CalculateSPL", CalculateSPL_1_10, "Baseline",
                       TranscendentalBaseline, 1.5);
}
