#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

// Console reporter that also keeps the fastest repetition of every benchmark run
// (the one least disturbed by whatever else the machine was doing),
// so that main can print the ratio of two benchmarks measured side by side,
// alternately, in one process.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs)
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "min") {
        fastest_[run.run_name.function_name].push_back(run.GetAdjustedRealTime());
        unit_ = benchmark::GetTimeUnitString(run.time_unit);
      }
    ConsoleReporter::ReportRuns(runs);
  }

  // Prints each benchmark's fastest repetition over all its rounds and measured / baseline;
  // returns the ratio.
  double PrintRatio(const std::string& measured, const std::string& baseline) const {
    const double m = Fastest(measured);
    const double b = Fastest(baseline);
    std::printf("\n%-20s %10.2f %s\n%-20s %10.2f %s\nratio %s / %s = %.3f\n", measured.c_str(), m,
                unit_.c_str(), baseline.c_str(), b, unit_.c_str(), measured.c_str(),
                baseline.c_str(), m / b);
    return m / b;
  }

 private:
  double Fastest(const std::string& name) const {
    const std::vector<double>& v = fastest_.at(name);
    return *std::min_element(v.begin(), v.end());
  }

  std::map<std::string, std::vector<double>> fastest_;
  std::string unit_;
};

// Runs the measured benchmark and its baseline alternately, three rounds each
// of ten repetitions, prints both times and their ratio against the target, and
// returns main's exit code.
template <typename Measured, typename Baseline>
int RunSideBySide(int& argc, char** argv, const char* measuredName, Measured measured,
                  const char* baselineName, Baseline baseline, double target) {
  benchmark::Initialize(&argc, argv);
  for (int round = 0; round < 3; ++round)
    for (auto* b : {benchmark::RegisterBenchmark(measuredName, measured),
                    benchmark::RegisterBenchmark(baselineName, baseline)})
      b->Repetitions(10)
          ->ComputeStatistics(
              "min",
              [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); })
          ->ReportAggregatesOnly(true)
          ->Unit(benchmark::kMicrosecond);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double ratio = reporter.PrintRatio(measuredName, baselineName);
  std::printf("target: at most %.2f -> %s\n", target, ratio <= target ? "met" : "NOT met");
  return 0;
}
