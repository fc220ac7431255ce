#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <numeric>
#include <string>
#include <vector>

// Console reporter that also keeps the median time of every benchmark run,
// so that main can print the ratio of two benchmarks measured side by side,
// alternately, in one process.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs)
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
        medians_[run.run_name.function_name].push_back(run.GetAdjustedRealTime());
        unit_ = benchmark::GetTimeUnitString(run.time_unit);
      }
    ConsoleReporter::ReportRuns(runs);
  }

  // Prints the mean of each benchmark's medians and measured / baseline;
  // returns the ratio.
  double PrintRatio(const std::string& measured, const std::string& baseline) const {
    const double m = Mean(measured);
    const double b = Mean(baseline);
    std::printf("\n%-20s %10.2f %s\n%-20s %10.2f %s\nratio %s / %s = %.3f\n", measured.c_str(), m,
                unit_.c_str(), baseline.c_str(), b, unit_.c_str(), measured.c_str(),
                baseline.c_str(), m / b);
    return m / b;
  }

 private:
  double Mean(const std::string& name) const {
    const std::vector<double>& v = medians_.at(name);
    return std::accumulate(v.begin(), v.end(), 0.0) / double(v.size());
  }

  std::map<std::string, std::vector<double>> medians_;
  std::string unit_;
};

// Runs the measured benchmark and its baseline alternately, twice each with
// five repetitions, prints both times and their ratio against the target, and
// returns main's exit code.
template <typename Measured, typename Baseline>
int RunSideBySide(int& argc, char** argv, const char* measuredName, Measured measured,
                  const char* baselineName, Baseline baseline, double target) {
  benchmark::Initialize(&argc, argv);
  for (int round = 0; round < 2; ++round)
    for (auto* b : {benchmark::RegisterBenchmark(measuredName, measured),
                    benchmark::RegisterBenchmark(baselineName, baseline)})
      b->Repetitions(5)->ReportAggregatesOnly(true)->Unit(benchmark::kMicrosecond);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double ratio = reporter.PrintRatio(measuredName, baselineName);
  std::printf("target: at most %.2f -> %s\n", target, ratio <= target ? "met" : "NOT met");
  return 0;
}
