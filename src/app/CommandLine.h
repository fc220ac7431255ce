#pragma once

#include <string>
#include <vector>

#include "app/Reports.h"

namespace tarnwick {

// What the program was asked to do on its command line; see CommandLineUsage.
struct CommandLine {
  enum class Action { Run, Help, Version, Report, Wrong };
  Action Do = Action::Run;
  std::string File;      // the project to open at start, if any
  ReportRequest Report;  // with Action::Report
  std::string Error;     // why the line is wrong
};

// Reads the arguments after the program's name. Runs before any window
// exists, so only starting the window needs a display.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The usage text --help prints, and a wrong line prints after its error.
const char* CommandLineUsage();

}  // namespace tarnwick
