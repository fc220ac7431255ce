#pragma once

#include <string>
#include <vector>

namespace tarnwick {

// What the program was asked to do on its command line:
//   tarnwick [FILE.qvd]   start, opening FILE when given
//   tarnwick --help       print the usage and end
//   tarnwick --version    print the version and end
struct CommandLine {
  enum class Action { Run, Help, Version, Wrong };
  Action Do = Action::Run;
  std::string File;   // the project to open at start, if any
  std::string Error;  // why the line is wrong
};

// Reads the arguments after the program's name. Runs before any window
// exists, so --help and --version need no display.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The usage text --help prints, and a wrong line prints after its error.
const char* CommandLineUsage();

}  // namespace tarnwick
