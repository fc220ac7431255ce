#include "app/CommandLine.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>

#include "model/ModuleShape.h"
#include "model/ProjectRules.h"

namespace tarnwick {

namespace {

// What the numeric options take: a map's side in pixels; a point's coordinates in metres,
// within a thousand kilometres either way, more than any venue needs and where single
// precision still places a point to a tenth of a metre; the fall in dB per doubling.
constexpr int MinMapSide = 16, MaxMapSide = 16384;
constexpr double MaxCoordinate = 1e6;
constexpr double MaxFall = 20.0;

// The whole text as one number, or nothing: no blanks, no other characters after it and
// nothing its type cannot hold (an integer read as text must not wrap around). A leading
// "+" is allowed, as people write it.
template <typename Number>
std::optional<Number> Parse(std::string_view text) {
  if (text.size() > 1 && text[0] == '+' && text[1] != '-' && text[1] != '+') text.remove_prefix(1);
  Number value{};
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
  return value;
}

// A finite number within [low, high], or nothing.
std::optional<double> InRange(std::string_view text, double low, double high) {
  const auto value = Parse<double>(text);
  if (!value || !std::isfinite(*value) || *value < low || *value > high) return std::nullopt;
  return value;
}

// Two numbers joined by one separator, or nothing.
std::optional<std::pair<std::string_view, std::string_view>> Pair(std::string_view text,
                                                                  std::string_view separators) {
  const std::size_t at = text.find_first_of(separators);
  if (at == std::string_view::npos) return std::nullopt;
  return std::pair{text.substr(0, at), text.substr(at + 1)};
}

CommandLine Wrong(std::string why) {
  CommandLine line;
  line.Do = CommandLine::Action::Wrong;
  line.Error = std::move(why);
  return line;
}

std::optional<ReportRequest::Kind> ReportKind(const std::string& option) {
  using Kind = ReportRequest::Kind;
  if (option == "--levels") return Kind::Levels;
  if (option == "--geometry") return Kind::Geometry;
  if (option == "--map") return Kind::Map;
  if (option == "--response") return Kind::Response;
  if (option == "--optimise") return Kind::Optimise;
  if (option == "--picture") return Kind::Picture;
  if (option == "--report") return Kind::Document;
  return std::nullopt;
}

std::string ReportName(ReportRequest::Kind kind) {
  static const char* const names[] = {"--levels",   "--geometry", "--map",   "--response",
                                      "--optimise", "--picture",  "--report"};
  return names[static_cast<int>(kind)];
}

// The options that set how levels are predicted, over the project's own.
constexpr const char* PredictionOptionNames[] = {"--average",     "--interpolate", "--air",
                                                 "--temperature", "--humidity",    "--pressure"};

bool IsPredictionOption(const std::string& option) {
  return std::find(std::begin(PredictionOptionNames), std::end(PredictionOptionNames), option) !=
         std::end(PredictionOptionNames);
}

// Which options each kind of report takes.
bool Fits(const std::string& option, ReportRequest::Kind kind) {
  using Kind = ReportRequest::Kind;
  if (option == "--area") return kind == Kind::Levels;
  if (option == "--band")
    return kind == Kind::Levels || kind == Kind::Map || kind == Kind::Optimise ||
           kind == Kind::Picture;
  if (option == "--format") return kind == Kind::Levels || kind == Kind::Geometry;
  if (option == "--size") return kind == Kind::Map || kind == Kind::Picture;
  if (option == "--out")
    return kind == Kind::Map || kind == Kind::Optimise || kind == Kind::Picture ||
           kind == Kind::Document;
  if (option == "--fall" || option == "--keep-on-audience") return kind == Kind::Optimise;
  if (IsPredictionOption(option)) return kind != Kind::Geometry;
  return option == "--at" && kind == Kind::Response;
}

bool EndsWith(const std::string& text, const std::string& end) {
  if (text.size() < end.size()) return false;
  return std::equal(end.begin(), end.end(), text.end() - end.size(), [](char a, char b) {
    return std::tolower((unsigned char)a) == std::tolower((unsigned char)b);
  });
}

std::optional<int> AreaChoice(const std::string& value) {
  if (value == "all") return 0;
  if (value.size() == 1 && value[0] >= '1' && value[0] <= '0' + MaxAreas) return value[0] - '0';
  return std::nullopt;
}

// The options that take a value, as --option=value or --option value: the one the
// argument names, or nothing.
std::optional<std::string> ValueOption(const std::string& argument) {
  const auto named = [&argument](const std::string& option) {
    return argument == option || argument.rfind(option + "=", 0) == 0;
  };
  for (const char* name :
       {"--size", "--out", "--at", "--fall", "--area", "--band", "--format", "--keep-on-audience"})
    if (named(name)) return name;
  for (const char* name : PredictionOptionNames)
    if (named(name)) return name;
  return std::nullopt;
}

// A prediction option's value into the choice: a switch takes its word for on or "off", the
// atmosphere a number within its range (docs/model.md, "Prediction options").
std::optional<std::string> ReadPrediction(const std::string& option,
                                          const std::optional<std::string>& value,
                                          PredictionChoice& chosen) {
  const auto onOff = [&](const char* on, std::optional<bool>& field) -> std::optional<std::string> {
    if (value != on && value != "off") return option + " takes " + on + " or off";
    field = value == on;
    return std::nullopt;
  };
  const auto number = [&](OptionRange range, const char* what, const char* example,
                          std::optional<float>& field) -> std::optional<std::string> {
    const auto read = value ? InRange(*value, range.Low, range.High) : std::nullopt;
    const auto text = [](float end) {
      char digits[32];
      return std::string(digits, std::to_chars(digits, digits + sizeof digits, end).ptr);
    };
    if (!read)
      return option + " takes " + what + " from " + text(range.Low) + " to " + text(range.High) +
             ", such as " + example;
    field = float(*read);
    return std::nullopt;
  };
  if (option == "--average") return onOff("on", chosen.Average);
  if (option == "--interpolate") return onOff("on", chosen.Interpolate);
  if (option == "--air") return onOff("iso9613", chosen.Air);
  if (option == "--temperature")
    return number(TemperatureRange, "degrees Celsius", "20", chosen.Temperature);
  if (option == "--humidity") return number(HumidityRange, "per cent", "50", chosen.Humidity);
  return number(PressureRange, "kPa", "101.325", chosen.Pressure);
}

std::optional<std::string> ReadSize(const std::optional<std::string>& value,
                                    ReportRequest& report) {
  const auto sides = value ? Pair(*value, "xX") : std::nullopt;
  const auto side = [](std::string_view text) {
    const auto pixels = Parse<int>(text);
    return pixels && *pixels >= MinMapSide && *pixels <= MaxMapSide ? pixels : std::nullopt;
  };
  const auto width = sides ? side(sides->first) : std::nullopt;
  const auto height = sides ? side(sides->second) : std::nullopt;
  if (!width || !height)
    return "--size takes WIDTHxHEIGHT in pixels, each from " + std::to_string(MinMapSide) + " to " +
           std::to_string(MaxMapSide) + ", such as 1600x1000";
  report.Width = *width;
  report.Height = *height;
  return std::nullopt;
}

std::optional<std::string> ReadPoint(const std::optional<std::string>& value,
                                     ReportRequest& report) {
  const auto xy = value ? Pair(*value, ",") : std::nullopt;
  const auto x = xy ? InRange(xy->first, -MaxCoordinate, MaxCoordinate) : std::nullopt;
  const auto y = xy ? InRange(xy->second, -MaxCoordinate, MaxCoordinate) : std::nullopt;
  if (!x || !y) return "--at takes X,Y in metres, each from -1000000 to 1000000, such as 12.5,1.2";
  report.At = {float(SceneX(*x)), float(*y)};  // X from the mounting point
  return std::nullopt;
}

// Reads an option's value into the request; gives why it is wrong, or nothing.
std::optional<std::string> ReadValue(const std::string& option,
                                     const std::optional<std::string>& value,
                                     ReportRequest& report) {
  if (option == "--size") return ReadSize(value, report);
  if (IsPredictionOption(option)) return ReadPrediction(option, value, report.Prediction);
  if (option == "--at") return ReadPoint(value, report);
  if (option == "--out") {
    if (!value || value->empty()) return "--out takes a file name";
    report.Out = *value;
  } else if (option == "--keep-on-audience") {
    if (value != "on" && value != "off") return "--keep-on-audience takes on or off";
    report.KeepOnAudience = value == "on";
  } else if (option == "--fall") {
    const auto fall = value ? InRange(*value, -MaxFall, MaxFall) : std::nullopt;
    if (!fall) return "--fall takes dB per doubling of distance from -20 to 20, such as 3";
    report.Goal = SplayGoal::Fall;
    report.FallPerDoubling = *fall;
  } else if (option == "--area") {
    const auto area = value ? AreaChoice(*value) : std::nullopt;
    if (!area) return "--area takes 1, 2, 3 or all";
    report.Area = *area;
  } else if (option == "--band") {
    const int entry = value ? BandChoiceFromName(*value) : -1;
    if (entry < 0)
      return "--band takes a band as the graph and the reports name it, with or without its "
             "blanks, such as \"1 kHz\", 1kHz, Broadband or \"Broadband (A)\"";
    report.Band = entry;
  } else if (value != "csv" && value != "json") {
    return "--format takes csv or json";
  } else {
    report.As = value == "csv" ? ReportRequest::Format::Csv : ReportRequest::Format::Json;
  }
  return std::nullopt;
}

// Whether a report that writes a file of its own is given one it can write: why not, or
// nothing. `sized` tells whether --size was given.
std::optional<std::string> CheckOut(ReportRequest::Kind kind, const std::string& out, bool sized) {
  using Kind = ReportRequest::Kind;
  if (kind == Kind::Map && out.empty()) return "--map needs --out FILE.png or FILE.csv";
  if (kind == Kind::Map && !EndsWith(out, ".png") && !EndsWith(out, ".csv"))
    return "--out takes a .png or a .csv file";
  if (kind == Kind::Picture) {
    if (out.empty()) return "--picture needs --out FILE.png, FILE.svg or FILE.pdf";
    const bool png = EndsWith(out, ".png");
    if (!png && !EndsWith(out, ".svg") && !EndsWith(out, ".pdf"))
      return "--out takes a .png, a .svg or a .pdf file";
    // A drawing or a page is as large as it is drawn; only pixels have a number.
    if (sized && !png) return "--size goes only with a .png picture";
  }
  if (kind == Kind::Document && out.empty()) return "--report needs --out FILE.pdf";
  if (kind == Kind::Document && !EndsWith(out, ".pdf")) return "--out takes a .pdf file";
  return std::nullopt;
}

// Whether the options given go with what was asked and a report has what it needs: why
// not, or nothing.
std::optional<std::string> CheckWhole(const CommandLine& line,
                                      const std::vector<std::string>& given) {
  const bool report = line.Do == CommandLine::Action::Report;
  for (const std::string& option : given)
    if (!report || !Fits(option, line.Report.What))
      return option + " does not go with " +
             (report ? ReportName(line.Report.What) : "starting the window");
  if (!report) return std::nullopt;
  const auto has = [&given](const char* option) {
    return std::find(given.begin(), given.end(), option) != given.end();
  };
  const ReportRequest::Kind kind = line.Report.What;
  if (line.File.empty()) return ReportName(kind) + " needs a project file";
  if (const auto why = CheckOut(kind, line.Report.Out, has("--size"))) return why;
  if (kind == ReportRequest::Kind::Response && !has("--at")) return "--response needs --at X,Y";
  return std::nullopt;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  CommandLine line;
  std::vector<std::string> given;  // the options that go with one kind of report only
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--help" || argument == "-h") {
      line.Do = CommandLine::Action::Help;
    } else if (argument == "--version") {
      line.Do = CommandLine::Action::Version;
    } else if (const auto kind = ReportKind(argument)) {
      if (line.Do == CommandLine::Action::Report && line.Report.What == *kind)
        return Wrong(argument + " given twice");
      if (line.Do == CommandLine::Action::Report)
        return Wrong(
            "only one of --levels, --geometry, --map, --response, --optimise, --picture and "
            "--report at a time");
      if (line.Do == CommandLine::Action::Run) line.Do = CommandLine::Action::Report;
      line.Report.What = *kind;
    } else if (const auto option = ValueOption(argument)) {
      // Which of two values was meant cannot be told, so neither is taken.
      if (std::find(given.begin(), given.end(), *option) != given.end())
        return Wrong(*option + " given twice");
      std::optional<std::string> value;
      if (argument.size() > option->size())
        value = argument.substr(option->size() + 1);
      else if (i + 1 < arguments.size())
        value = arguments[++i];
      if (const auto why = ReadValue(*option, value, line.Report)) return Wrong(*why);
      given.push_back(*option);
    } else if (argument.size() > 1 && argument[0] == '-') {
      return Wrong("unknown option " + argument);
    } else if (line.File.empty()) {
      line.File = argument;
    } else {
      return Wrong("more than one file: " + argument);
    }
  }
  if (const auto why = CheckWhole(line, given)) return Wrong(*why);
  // The optimiser evens out what is heard, and the report shows it: the A-weighted
  // broadband level, unless told.
  const auto kind = line.Report.What;
  if (line.Do == CommandLine::Action::Report &&
      (kind == ReportRequest::Kind::Optimise || kind == ReportRequest::Kind::Document) &&
      std::find(given.begin(), given.end(), "--band") == given.end())
    line.Report.Band = BroadbandAChoice;
  line.Report.File = line.File;
  return line;
}

// What --help prints; a constant, since its length is text rather than steps.
constexpr const char Usage[] =
    "Usage: tarnwick [FILE.qvd]\n"
    "       tarnwick --levels FILE.qvd [--area 1|2|3|all] [--band NAME]\n"
    "                [--format csv|json]\n"
    "       tarnwick --geometry FILE.qvd [--format csv|json]\n"
    "       tarnwick --map FILE.qvd [--band NAME] [--size WxH] --out OUT.png|OUT.csv\n"
    "       tarnwick --response FILE.qvd --at X,Y\n"
    "       tarnwick --optimise FILE.qvd [--band NAME] [--fall DB]\n"
    "                [--keep-on-audience on|off] [--out OUT.qvd]\n"
    "       tarnwick --picture FILE.qvd [--band NAME] [--size WxH]\n"
    "                --out OUT.png|OUT.svg|OUT.pdf\n"
    "       tarnwick --report FILE.qvd --out OUT.pdf\n"
    "       (all but --geometry: [PREDICTION OPTIONS], below)\n"
    "Designs a hung line array of loudspeakers; opens FILE.qvd when given.\n"
    "Every x_m printed (and X of --at) is the horizontal distance from the mounting\n"
    "point, every y_m the height above the floor, in metres.\n"
    "  --levels    print the predicted level at every point along the areas\n"
    "              (default: every area in use, 1 kHz, csv)\n"
    "  --band NAME a band as the graph and the reports name it, with or without its\n"
    "              blanks: 100Hz ... \"1 kHz\" ... 10kHz, Broadband or \"Broadband (A)\"\n"
    "  --geometry  print the inclination and where each box hangs and aims\n"
    "  --map       write the coverage map of the section (default 1600x1000 pixels,\n"
    "              each side 16 to 16384, one level per 4x4) as a picture, or as\n"
    "              CSV: x_m,y_m,level_db\n"
    "  --response  print the level in every band at the point X,Y (metres, each\n"
    "              within 1000000 either way): X from the mounting point, where\n"
    "              the array hangs, towards the areas; Y above the floor\n"
    "  --optimise  try every splay set (0 or 5 degrees at each joint) with the\n"
    "              inclination within 15 degrees in 0.5 degree steps, or with every\n"
    "              pin and mounting when the inclination follows the pin; print the\n"
    "              design with the most even level over the areas (smallest spread;\n"
    "              Broadband (A) unless --band says otherwise) and the spread before\n"
    "              and after; --out writes it as a project\n"
    "  --keep-on-audience on|off  with --optimise: only designs whose top box aims no\n"
    "              higher than the back row of the farthest area (on unless off)\n"
    "  --fall DB   with --optimise: the closest fit to a level falling DB dB per\n"
    "              doubling of the distance from the array instead (-20 to 20)\n"
    "  --picture   draw the section as View > Fit Design shows it, with the map at\n"
    "              the band (1 kHz unless --band says otherwise) and its colour bar,\n"
    "              the grid, a scale bar and a title block: a .png picture (default\n"
    "              1600x1000 pixels, --size as with --map), a .svg drawing or a\n"
    "              .pdf page\n"
    "  --report    write a report of the design as a PDF of three pages: the design\n"
    "              in words, the section with the map and the level graph, the\n"
    "              rigging table\n"
    "  -h, --help  print this text and end\n"
    "  --version   print the version and end\n"
    "Prediction options, with every report but --geometry, each over the project's\n"
    "own (a project keeps those saved with it):\n"
    "  --average on|off       each band's power averaged over its third of an octave\n"
    "  --interpolate on|off   directivity between the two 5 degree entries around\n"
    "                         the angle\n"
    "  --air off|iso9613      absorption and speed of sound of the air set below\n"
    "  --temperature C        degrees Celsius, -20 to 50 (default 20)\n"
    "  --humidity %           relative humidity, 10 to 100 per cent (default 50)\n"
    "  --pressure KPA         80 to 110 kPa (default 101.325); these three count\n"
    "                         only with --air iso9613\n"
    "Each option at most once. TARNWICK_PAPER=a4 or letter sets the paper of PDF\n"
    "pictures and reports.\n"
    "Exit status: 0 done, 2 a wrong command line, 3 a file that cannot be read\n"
    "or written.\n";

const char* CommandLineUsage() { return Usage; }

}  // namespace tarnwick
