#pragma once

#include <benchmark/benchmark.h>
#include <unistd.h>

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
  // Colours only on a terminal: a custom reporter does not follow --benchmark_color.
  RatioReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}

  // Shows and keeps only the fastest repetition of each round.
  void ReportRuns(const std::vector<Run>& runs) override {
    std::vector<Run> fastest;
    for (const Run& run : runs)
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "min") {
        fastest_[run.run_name.function_name].push_back(run.GetAdjustedRealTime());
        unit_ = benchmark::GetTimeUnitString(run.time_unit);
        fastest.push_back(run);
      }
    ConsoleReporter::ReportRuns(fastest);
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

  // A benchmark's fastest repetition over all its rounds, in the unit it reports.
  double Fastest(const std::string& name) const {
    const std::vector<double>& v = fastest_.at(name);
    return *std::min_element(v.begin(), v.end());
  }

 private:
  std::map<std::string, std::vector<double>> fastest_;
  std::string unit_;
};

// Prints the verdict as the last line and returns main's exit code: 0 when met.
inline int PrintVerdict(double ratio, double target) {
  const bool met = ratio <= target;
  std::printf("%s: ratio %.2f %s %.2f\n", met ? "PASS" : "FAIL", ratio, met ? "<=" : ">", target);
  std::fflush(stdout);
  return met ? 0 : 1;
}

// Registers one round of a benchmark: repetitions of wall time, each at least `seconds`
// long, of which only the fastest is reported (see RatioReporter).
template <typename Function>
void RegisterFastest(const char* name, Function function, int repetitions, benchmark::TimeUnit unit,
                     double seconds = 0.2) {
  benchmark::RegisterBenchmark(name, function)
      ->Repetitions(repetitions)
      ->MinTime(seconds)
      ->UseRealTime()
      ->ComputeStatistics(
          "min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); })
      ->ReportAggregatesOnly(true)
      ->Unit(unit);
}

// Runs the measured benchmark and its baseline alternately, three rounds each of a hundred
// short repetitions of wall time, prints both times, their ratio and, last, the verdict
// against the target; returns main's exit code. Short repetitions, many of them: on a
// shared machine another process or the host takes the processor for milliseconds at a
// time, and a repetition that long is spoilt whole, while among many short ones enough
// run undisturbed for the fastest of each to be the work alone.
constexpr int ShortRepetitions = 100;

template <typename Measured, typename Baseline>
int RunSideBySide(int& argc, char** argv, const char* measuredName, Measured measured,
                  const char* baselineName, Baseline baseline, double target,
                  double* ratio = nullptr) {
  benchmark::Initialize(&argc, argv);
  for (int round = 0; round < 3; ++round) {
    RegisterFastest(measuredName, measured, ShortRepetitions, benchmark::kMicrosecond, 0.01);
    RegisterFastest(baselineName, baseline, ShortRepetitions, benchmark::kMicrosecond, 0.01);
  }
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double measuredRatio = reporter.PrintRatio(measuredName, baselineName);
  if (ratio != nullptr) *ratio = measuredRatio;
  return PrintVerdict(measuredRatio, target);
}
