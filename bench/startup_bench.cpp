// Start-up of Tarnwick (startup_probe) against a minimal Qt main window
// (startup_baseline): whole processes, from launch to their first frame, and
// their peak memory. bench/startup.sh builds both and runs this on the
// offscreen platform and on an X display of its own.
//
// How it measures, and why that is honest:
// - Wall time: the monotonic clock is read immediately before posix_spawn, and
//   the child prints the same clock once its first frame is painted, flushed
//   and taken by the window system (FirstPaint.h). The span holds exec,
//   dynamic loading, static initialisation, QApplication, the window and its
//   first paint; it holds no shell, no timing tool and no teardown.
// - Peak memory: the child's own maximum resident set, from wait4().
// - The program and the baseline alternate run by run (ABBA order, so neither
//   always runs second), after two warm-up runs each; medians are reported.
//
// Usage: startup_bench <probe> <baseline> [runs]   (runs default 21)
// Runs on the offscreen platform, and on X as well when DISPLAY is set; the
// last line is PASS only when both platforms meet both targets.

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr double WallTarget = 1.25;
constexpr double MemoryTarget = 1.12;

std::string ratios;  // every ratio against its target, for the last line

struct Sample {
  double ms = 0;
  double kib = 0;
  std::string size;  // the window's logical size, "WxH"
};

long long MonotonicNs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec * 1000000000LL + now.tv_nsec;
}

// Runs the program once with its output on a pipe, kept quiet unless the run
// fails; exits on any failure.
Sample Launch(const std::vector<std::string>& args) {
  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) std::exit(2);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDERR_FILENO);
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  const long long start = MonotonicNs();
  const int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  std::string text;
  char buffer[256];
  for (ssize_t n; !failed && (n = read(out[0], buffer, sizeof buffer)) > 0;) text.append(buffer, n);
  close(out[0]);
  int status = 0;
  rusage usage{};
  if (failed || wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) ||
      WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "%s%s did not run to its first frame\n", text.c_str(), args[0].c_str());
    std::exit(2);
  }
  long long paintedAt = 0;
  char size[32] = "";
  const std::size_t at = text.find("first-paint ");
  if (at == std::string::npos ||
      std::sscanf(text.c_str() + at, "first-paint %lld %31s", &paintedAt, size) != 2) {
    std::fprintf(stderr, "%s%s reported no first frame\n", text.c_str(), args[0].c_str());
    std::exit(2);
  }
  return {(paintedAt - start) / 1e6, double(usage.ru_maxrss), size};
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Prints one figure of both programs with its spread and ratio; returns whether it met the target.
bool Compare(const char* what, const char* unit, int decimals, const std::vector<Sample>& ours,
             const std::vector<Sample>& base, double Sample::*field, double target) {
  std::vector<double> a, b;
  for (const Sample& s : ours) a.push_back(s.*field);
  for (const Sample& s : base) b.push_back(s.*field);
  const double ratio = Median(a) / Median(b);
  const bool met = ratio <= target;
  char verdict[80];
  std::snprintf(verdict, sizeof verdict, " %s %.3f %s %.2f", what, ratio, met ? "<=" : ">", target);
  ratios += verdict;
  auto [aMin, aMax] = std::minmax_element(a.begin(), a.end());
  auto [bMin, bMax] = std::minmax_element(b.begin(), b.end());
  const int d = decimals;
  std::printf(
      "  %-12s tarnwick %8.*f %s (%.*f-%.*f)  baseline %8.*f %s (%.*f-%.*f)  ratio %.3f %s %.2f\n",
      what, d, Median(a), unit, d, *aMin, d, *aMax, d, Median(b), unit, d, *bMin, d, *bMax, ratio,
      met ? "<=" : ">", target);
  return met;
}

// Both programs on one platform; returns whether both figures met their targets.
bool RunPlatform(const char* platform, const std::string& probe, const std::string& baseline,
                 int runs) {
  setenv("QT_QPA_PLATFORM", platform, 1);
  std::string size;
  for (int i = 0; i < 2; ++i) {  // warm-up: file cache, font cache, X server
    size = Launch({probe}).size;
    Launch({baseline, size});
  }
  std::vector<Sample> ours, base;
  for (int i = 0; i < runs; ++i) {
    if (i % 2 == 0) ours.push_back(Launch({probe}));
    base.push_back(Launch({baseline, size}));
    if (i % 2 == 1) ours.push_back(Launch({probe}));
  }
  ratios += std::string(ratios.empty() ? "" : "; ") + platform + ":";
  std::printf("%s: %d runs each, alternating; window %s; median (min-max)\n", platform, runs,
              size.c_str());
  const bool wall = Compare("first-frame", "ms", 1, ours, base, &Sample::ms, WallTarget);
  const bool memory = Compare("peak-memory", "KiB", 0, ours, base, &Sample::kib, MemoryTarget);
  std::fflush(stdout);
  return wall && memory;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s <probe> <baseline> [runs]\n", argv[0]);
    return 2;
  }
  const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 21;
  bool passed = RunPlatform("offscreen", argv[1], argv[2], runs);
  const char* display = std::getenv("DISPLAY");
  if (display && *display) {
    passed = RunPlatform("xcb", argv[1], argv[2], runs) && passed;
  } else {
    std::printf("xcb: not run, DISPLAY is not set\n");
    passed = false;
  }
  std::printf("%s: %s\n", passed ? "PASS" : "FAIL", ratios.c_str());
  return passed ? 0 : 1;
}
