#include "ui/CommandLine.h"

namespace tarnwick {

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  CommandLine line;
  for (const std::string& argument : arguments) {
    if (argument == "--help" || argument == "-h") {
      line.Do = CommandLine::Action::Help;
    } else if (argument == "--version") {
      line.Do = CommandLine::Action::Version;
    } else if (argument.size() > 1 && argument[0] == '-') {
      return {CommandLine::Action::Wrong, {}, "unknown option " + argument};
    } else if (line.File.empty()) {
      line.File = argument;
    } else {
      return {CommandLine::Action::Wrong, {}, "more than one file: " + argument};
    }
  }
  return line;
}

const char* CommandLineUsage() {
  return "Usage: tarnwick [FILE.qvd]\n"
         "Designs a hung line array of loudspeakers; opens FILE.qvd when given.\n"
         "  -h, --help  print this text and end\n"
         "  --version   print the version and end\n";
}

}  // namespace tarnwick
