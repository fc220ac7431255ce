#include "ui/CommandLine.h"

#include <optional>

namespace tarnwick {

namespace {

CommandLine Wrong(std::string why) {
  CommandLine line;
  line.Do = CommandLine::Action::Wrong;
  line.Error = std::move(why);
  return line;
}

std::optional<int> AreaChoice(const std::string& value) {
  if (value == "all") return 0;
  if (value.size() == 1 && value[0] >= '1' && value[0] <= '0' + MaxAreas) return value[0] - '0';
  return std::nullopt;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  CommandLine line;
  bool areaGiven = false, bandGiven = false, formatGiven = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    std::string argument = arguments[i];
    std::optional<std::string> value;  // of --option=value or --option value
    const auto takesValue = [&](const char* name) {
      const std::string option = name;
      if (argument.rfind(option + "=", 0) == 0) {
        value = argument.substr(option.size() + 1);
        argument = option;
        return true;
      }
      if (argument != option) return false;
      if (i + 1 < arguments.size()) value = arguments[++i];
      return true;
    };
    if (argument == "--help" || argument == "-h") {
      line.Do = CommandLine::Action::Help;
    } else if (argument == "--version") {
      line.Do = CommandLine::Action::Version;
    } else if (argument == "--levels" || argument == "--geometry") {
      const auto kind =
          argument == "--levels" ? ReportRequest::Kind::Levels : ReportRequest::Kind::Geometry;
      if (line.Do == CommandLine::Action::Report && line.Report.What != kind)
        return Wrong("--levels and --geometry cannot be combined");
      if (line.Do == CommandLine::Action::Run) line.Do = CommandLine::Action::Report;
      line.Report.What = kind;
    } else if (takesValue("--area")) {
      const auto area = value ? AreaChoice(*value) : std::nullopt;
      if (!area) return Wrong("--area takes 1, 2, 3 or all");
      line.Report.Area = *area;
      areaGiven = true;
    } else if (takesValue("--band")) {
      const int entry = value ? LevelEntryFromName(*value) : -1;
      if (entry < 0) return Wrong("--band takes a band such as 1kHz, Broadband or Broadband(A)");
      line.Report.Entry = entry;
      bandGiven = true;
    } else if (takesValue("--format")) {
      if (value == "csv")
        line.Report.As = ReportRequest::Format::Csv;
      else if (value == "json")
        line.Report.As = ReportRequest::Format::Json;
      else
        return Wrong("--format takes csv or json");
      formatGiven = true;
    } else if (argument.size() > 1 && argument[0] == '-') {
      return Wrong("unknown option " + argument);
    } else if (line.File.empty()) {
      line.File = argument;
    } else {
      return Wrong("more than one file: " + argument);
    }
  }
  const bool report = line.Do == CommandLine::Action::Report;
  if ((areaGiven || bandGiven) && !(report && line.Report.What == ReportRequest::Kind::Levels))
    return Wrong("--area and --band go with --levels");
  if (formatGiven && !report) return Wrong("--format goes with --levels or --geometry");
  if (report && line.File.empty()) return Wrong("--levels and --geometry need a project file");
  line.Report.File = line.File;
  return line;
}

const char* CommandLineUsage() {
  return "Usage: tarnwick [FILE.qvd]\n"
         "       tarnwick --levels FILE.qvd [--area 1|2|3|all] [--band NAME] [--format csv|json]\n"
         "       tarnwick --geometry FILE.qvd [--format csv|json]\n"
         "Designs a hung line array of loudspeakers; opens FILE.qvd when given.\n"
         "  --levels    print the predicted level at every point along the areas\n"
         "              (default: every area in use, 1 kHz, csv)\n"
         "  --band NAME a band as the graph names it, blanks left out: 100Hz ... 1kHz ...\n"
         "              10kHz, Broadband or Broadband(A)\n"
         "  --geometry  print the inclination and where each box hangs and aims\n"
         "  -h, --help  print this text and end\n"
         "  --version   print the version and end\n"
         "Exit status: 0 done, 2 a wrong command line, 3 a file that cannot be read.\n";
}

}  // namespace tarnwick
