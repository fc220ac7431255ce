#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

// One configuration of a benchmark that needs a device pixel ratio of its own: the scale
// factor must be set before QApplication exists, so each runs in a child process.
struct ChildRun {
  std::string title;     // as the summary names it
  std::string argument;  // passed to the child
  const char* scaleFactor;
  std::string wrapper = {};  // a command the child runs under, such as xvfb-run
};

// Runs this program once for every configuration, with QT_SCALE_FACTOR set, passing its
// output through; prints each one's last line and, last, whether all met the target.
inline int RunChildren(const std::vector<ChildRun>& runs, double target) {
  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  std::vector<std::string> verdicts;
  bool all = true;
  for (const ChildRun& run : runs) {
    setenv("QT_SCALE_FACTOR", run.scaleFactor, 1);
    std::printf("=== %s ===\n", run.title.c_str());
    std::fflush(stdout);
    FILE* child = popen((run.wrapper + " '" + self + "' " + run.argument).c_str(), "r");
    std::string line, last;
    for (int c; child && (c = std::fgetc(child)) != EOF;) {
      std::fputc(c, stdout);
      if (c != '\n')
        line += char(c);
      else
        last = std::exchange(line, {});
    }
    const bool passed = child && pclose(child) == 0 && last.rfind("PASS", 0) == 0;
    all = all && passed;
    verdicts.push_back(run.title + ": " + last);
  }
  std::printf("\n");
  for (const std::string& v : verdicts) std::printf("%s\n", v.c_str());
  std::printf("%s: %s of %zu configurations within %.2f\n", all ? "PASS" : "FAIL",
              all ? "all" : "not all", runs.size(), target);
  return all ? 0 : 1;
}
