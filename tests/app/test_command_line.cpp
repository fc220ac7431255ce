// The command line: its numbers read whole and checked against their ranges, never wrapped
// around or taken beyond what a report can use; each kind of report with the options and
// the files it takes; bands by the names the reports print; each option once. A wrong line
// says what is wrong and what the option takes. The usage and the manual page name the
// same options.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "acoustics/LevelRules.h"
#include "app/CommandLine.h"

using namespace tarnwick;

namespace {

const std::string File = "show.qvd";  // never opened by the parser

CommandLine Map(const std::string& size) {
  return ParseCommandLine({"--map", File, "--size", size, "--out", "map.png"});
}
CommandLine Response(const std::string& at) {
  return ParseCommandLine({"--response", File, "--at", at});
}
CommandLine Optimise(const std::string& fall) {
  return ParseCommandLine({"--optimise", File, "--fall", fall});
}

bool Wrong(const CommandLine& line, const char* saying) {
  return line.Do == CommandLine::Action::Wrong && line.Error.find(saying) != std::string::npos;
}

}  // namespace

TEST(CommandLine, aMapsSidesAreWholePixelsFrom16To16384) {
  for (const auto& [size, width, height] : {std::tuple{"16x16", 16, 16},
                                            {"16384x16384", 16384, 16384},
                                            {"1600X1000", 1600, 1000},
                                            {"+800x500", 800, 500}}) {
    const CommandLine line = Map(size);
    EXPECT_EQ(std::tuple(line.Do, line.Report.Width, line.Report.Height),
              std::tuple(CommandLine::Action::Report, width, height))
        << size;
  }
  // Sides that wrap around an int when read carelessly, sides out of range, and anything
  // but two whole numbers.
  for (const char* size :
       {"4294967304x4294967304", "100x4294967312", "15x100", "100x16385", "-100x100", "100.5x100",
        "1e3x100", "100x", "x100", "100x100x", "100 x100", " 100x100", "100x100 ", "100"})
    EXPECT_TRUE(Wrong(Map(size), "each from 16 to 16384")) << size;
}

TEST(CommandLine, aPointIsFiniteAndWithinAThousandKilometres) {
  // X counts from the mounting point, 1 m from the scene's left edge.
  for (const auto& [at, x, y] : {std::tuple{"12.5,1.2", 13.5f, 1.2f},
                                 {"1e6,-1e6", 1000001.0f, -1e6f},
                                 {"-0,+3", 1.0f, 3.0f},
                                 {"-1,0", 0.0f, 0.0f}}) {
    const CommandLine line = Response(at);
    EXPECT_EQ(std::tuple(line.Do, line.Report.At.X, line.Report.At.Y),
              std::tuple(CommandLine::Action::Report, x, y))
        << at;
  }
  for (const char* at : {"1e308,1", "1e400,1", "1000000.5,0", "0,-1000001", "1,-inf", "nan,1",
                         "1;1", "1,2,3", "1,", ",1", "1, 2", "0x10,1", "12.5"})
    EXPECT_TRUE(Wrong(Response(at), "each from -1000000 to 1000000")) << at;
}

TEST(CommandLine, aFallLiesWithin20DbPerDoubling) {
  for (const auto& [fall, value] : {std::pair{"3", 3.0}, {"-20", -20.0}, {"20", 20.0}}) {
    const CommandLine line = Optimise(fall);
    EXPECT_EQ(std::pair(line.Do, line.Report.FallPerDoubling),
              std::pair(CommandLine::Action::Report, value))
        << fall;
  }
  for (const char* fall : {"20.01", "-21", "1e999", "inf", "nan", "3dB", " 3", ""})
    EXPECT_TRUE(Wrong(Optimise(fall), "from -20 to 20")) << fall;
}

TEST(CommandLine, predictionOptionsGoOverTheProjectsOwnWithTheAtmosphereInItsRange) {
  const CommandLine line =
      ParseCommandLine({"--levels", File, "--average", "on", "--interpolate=off", "--air",
                        "iso9613", "--temperature", "-20", "--humidity", "100", "--pressure=+80"});
  ASSERT_EQ(line.Do, CommandLine::Action::Report) << line.Error;
  const PredictionOptions own = {false, true, false, 30.0f, 60.0f, 90.0f};
  EXPECT_EQ(ChosenOptions(own, line.Report.Prediction),
            (PredictionOptions{true, false, true, -20.0f, 100.0f, 80.0f}));
  EXPECT_EQ(ChosenOptions(own, {.Air = true, .Pressure = 110.0f}),
            (PredictionOptions{false, true, true, 30.0f, 60.0f, 110.0f}));
  for (const auto& [option, value, saying] :
       {std::tuple{"--average", "yes", "--average takes on or off"},
        {"--interpolate", "", "--interpolate takes on or off"},
        {"--air", "on", "--air takes iso9613 or off"},
        {"--temperature", "50.01", "--temperature takes degrees Celsius from -20 to 50"},
        {"--temperature", "-21", "from -20 to 50"},
        {"--humidity", "nan", "from 10 to 100"},
        {"--humidity", "9.9", "--humidity takes per cent from 10 to 100"},
        {"--pressure", "79", "--pressure takes kPa from 80 to 110"},
        {"--pressure", "110.5kPa", "from 80 to 110"}})
    EXPECT_TRUE(Wrong(ParseCommandLine({"--map", File, "--out", "m.png", option, value}), saying))
        << option << ' ' << value;
  EXPECT_TRUE(Wrong(ParseCommandLine({"--geometry", File, "--air", "off"}), "with --geometry"));
  // The optimiser evens out the A-weighted broadband level unless given a band.
  EXPECT_EQ(Optimise("3").Report.Band, BroadbandAChoice);
  EXPECT_EQ(ParseCommandLine({"--optimise", File, "--band=1kHz"}).Report.Band, DefaultBandChoice);
  // It keeps the sound on the audience unless told otherwise.
  EXPECT_TRUE(Optimise("3").Report.KeepOnAudience);
  EXPECT_FALSE(
      ParseCommandLine({"--optimise", File, "--keep-on-audience=off"}).Report.KeepOnAudience);
  EXPECT_TRUE(Wrong(ParseCommandLine({"--optimise", File, "--keep-on-audience", "no"}),
                    "--keep-on-audience takes on or off"));
}

TEST(CommandLine, picturesAndReportsWriteTheKindsOfFileTheirNamesEndIn) {
  using Kind = ReportRequest::Kind;
  for (const auto& [arguments, kind, out, width, height] :
       {std::tuple{std::vector<std::string>{"--picture", File, "--out", "section.png"},
                   Kind::Picture, "section.png", 1600, 1000},
        {{"--picture", File, "--out=S.PNG", "--size", "800x500"}, Kind::Picture, "S.PNG", 800, 500},
        {{"--out", "section.svg", "--picture", File}, Kind::Picture, "section.svg", 1600, 1000},
        {{"--picture", File, "--band", "4kHz", "--out", "section.Pdf", "--air", "iso9613"},
         Kind::Picture,
         "section.Pdf",
         1600,
         1000},
        {{"--report", File, "--out", "show.pdf"}, Kind::Document, "show.pdf", 1600, 1000},
        {{"--report", File, "--out", "show.pdf", "--average=on"},
         Kind::Document,
         "show.pdf",
         1600,
         1000}}) {
    const CommandLine line = ParseCommandLine(arguments);
    ASSERT_EQ(line.Do, CommandLine::Action::Report) << line.Error;
    EXPECT_EQ(std::tuple(line.Report.What, line.Report.File, line.Report.Out, line.Report.Width,
                         line.Report.Height),
              std::tuple(kind, File, out, width, height));
  }
  EXPECT_EQ(ParseCommandLine({"--picture", File, "--out", "s.png"}).Report.Band, DefaultBandChoice);
  // The report's map and graph show what is heard, as the window's does without its graph.
  EXPECT_EQ(ParseCommandLine({"--report", File, "--out", "r.pdf"}).Report.Band, BroadbandAChoice);
  EXPECT_EQ(ParseCommandLine({"--picture", File, "--out", "s.png", "--band=Broadband"}).Report.Band,
            BandChoiceFromName("Broadband"));
  for (const auto& [arguments, saying] :
       {std::pair{std::vector<std::string>{"--picture", File},
                  "--picture needs --out FILE.png, FILE.svg or FILE.pdf"},
        {{"--picture", File, "--out", "s.jpg"}, "--out takes a .png, a .svg or a .pdf file"},
        {{"--picture", File, "--out", "png"}, "--out takes a .png, a .svg or a .pdf file"},
        {{"--picture", File, "--out", "s.svg", "--size", "800x500"},
         "--size goes only with a .png picture"},
        {{"--picture", File, "--out", "s.pdf", "--size=800x500"},
         "--size goes only with a .png picture"},
        {{"--picture", File, "--out", "s.png", "--size", "8x5"}, "each from 16 to 16384"},
        {{"--picture", File, "--out", "s.png", "--format", "csv"},
         "--format does not go with --picture"},
        {{"--picture", "--out", "s.png"}, "--picture needs a project file"},
        {{"--report", File}, "--report needs --out FILE.pdf"},
        {{"--report", File, "--out", "show.png"}, "--out takes a .pdf file"},
        {{"--report", File, "--out", "show.pdf", "--band", "1kHz"},
         "--band does not go with --report"},
        {{"--report", File, "--out", "show.pdf", "--size", "800x500"},
         "--size does not go with --report"},
        {{"--report", "--out", "show.pdf"}, "--report needs a project file"},
        {{"--picture", File, "--report", "--out", "s.pdf"}, "only one of"},
        {{"--report", File, "--levels"}, "only one of"},
        {{File, "--out", "s.png"}, "--out does not go with starting the window"}})
    EXPECT_TRUE(Wrong(ParseCommandLine(arguments), saying)) << saying;
}

TEST(CommandLine, aBandIsTakenBackAsTheReportsAndTheGraphPrintIt) {
  ReportRequest request;
  request.File = TARNWICK_SOURCE_DIR "/tests/data/default.qvd";
  ReportDesign design;
  std::ostringstream err;
  ASSERT_EQ(LoadReportDesign(request, design, err), ReportDone) << err.str();
  // The level columns of the CSV with every band, and the bands --response prints a row each.
  std::ostringstream all;
  WriteAllLevels(all, design.Project, design.Geometry, design.Module);
  std::istringstream header(all.str().substr(0, all.str().find('\n')));
  std::vector<std::string> printed;
  for (std::string column; std::getline(header, column, ',');) printed.push_back(column);
  printed.erase(printed.begin(), printed.begin() + 5);  // area,index,distance_m,x_m,y_m
  ASSERT_EQ(int(printed.size()), BandChoiceCount);
  request.What = ReportRequest::Kind::Response;
  std::ostringstream response;
  ASSERT_EQ(RunReport(request, response, err), ReportDone) << err.str();
  std::istringstream rows(response.str());
  std::string row;
  std::getline(rows, row);  // band,frequency_hz,level_db
  for (int entry = 0; entry < BandChoiceCount; ++entry) {
    ASSERT_TRUE(std::getline(rows, row));
    const std::string band = row.substr(0, row.find(','));
    EXPECT_EQ(band, printed[entry]);
    // The name with its blanks, as --optimise prints its band and the graph lists it, and
    // the name the columns and rows print; as the value after the option or joined to it.
    for (const std::string& name : {std::string(BandChoiceName(entry)), band}) {
      EXPECT_EQ(ParseCommandLine({"--map", File, "--out", "m.png", "--band", name}).Report.Band,
                entry)
          << name;
      EXPECT_EQ(ParseCommandLine({"--levels", File, "--band=" + name}).Report.Band, entry) << name;
    }
  }
  for (const auto& [name, entry] : {std::pair{"Broadband (A)", BroadbandAChoice},
                                    {"broadband(a)", BroadbandAChoice},
                                    {"1 kHz", DefaultBandChoice},
                                    {"1KHZ", DefaultBandChoice}})
    EXPECT_EQ(ParseCommandLine({"--optimise", File, "--band", name}).Report.Band, entry) << name;
  for (const char* name : {"1000Hz", "Broadband (B)", "A", ""})
    EXPECT_TRUE(Wrong(ParseCommandLine({"--levels", File, "--band", name}),
                      "--band takes a band as the graph and the reports name it"))
        << name;
}

TEST(CommandLine, anOptionGivenTwiceMakesTheLineWrongWhateverItsValues) {
  for (const auto& [option, arguments] :
       {std::pair{"--band",
                  std::vector<std::string>{"--levels", File, "--band", "1kHz", "--band=2kHz"}},
        {"--band", {"--levels", File, "--band", "1kHz", "--band", "1kHz"}},
        {"--area", {"--levels", File, "--area=1", "--area", "2"}},
        {"--format", {"--levels", File, "--format", "csv", "--format", "json"}},
        {"--out", {"--map", File, "--out", "a.png", "--out", "b.png"}},
        {"--size", {"--map", File, "--out", "m.png", "--size", "80x40", "--size", "80x40"}},
        {"--at", {"--response", File, "--at", "1,1", "--at", "2,2"}},
        {"--fall", {"--optimise", File, "--fall", "3", "--fall", "6"}},
        {"--keep-on-audience",
         {"--optimise", File, "--keep-on-audience", "on", "--keep-on-audience=off"}},
        {"--air", {"--levels", File, "--air", "iso9613", "--air", "off"}},
        {"--temperature", {"--levels", File, "--temperature", "20", "--temperature", "25"}},
        {"--out", {"--picture", File, "--out", "s.png", "--out", "s.svg"}},
        {"--out", {"--report", File, "--out", "a.pdf", "--out=b.pdf"}},
        {"--levels", {"--levels", File, "--levels"}},
        {"--geometry", {"--geometry", "--geometry", File}},
        {"--picture", {"--picture", File, "--out", "s.png", "--picture"}},
        {"--report", {"--report", File, "--report", "--out", "s.pdf"}}})
    EXPECT_TRUE(Wrong(ParseCommandLine(arguments), (std::string(option) + " given twice").c_str()))
        << option;
  // Options that differ are still taken together.
  EXPECT_EQ(ParseCommandLine({"--levels", File, "--band", "1kHz", "--area", "1"}).Do,
            CommandLine::Action::Report);
}

TEST(CommandLine, theUsageAndTheManualPageNameTheSameOptions) {
  // Every long option named, in the usage as typed and in the page as roff writes it.
  const auto named = [](const std::string& text, const std::string& dash) {
    std::set<std::string> options;
    const std::regex option(dash + dash + "([a-z][a-z0-9]*(" + dash + "[a-z0-9]+)*)");
    for (std::sregex_iterator at(text.begin(), text.end(), option), end; at != end; ++at)
      options.insert(std::regex_replace((*at)[1].str(), std::regex(dash), "-"));
    return options;
  };
  const std::set<std::string> usage = named(CommandLineUsage(), "-");
  std::ifstream file(TARNWICK_SOURCE_DIR "/packaging/tarnwick.1");
  const std::string page((std::istreambuf_iterator<char>(file)), {});
  ASSERT_FALSE(page.empty());
  EXPECT_EQ(named(page, R"(\\-)"), usage);
  for (const char* option : {"picture", "report", "band", "keep-on-audience", "version"})
    EXPECT_TRUE(usage.contains(option)) << option;
  // Each line the usage gives, but the window's, is a synopsis of the page.
  for (const char* kind :
       {"levels", "geometry", "map", "response", "optimise", "picture", "report"})
    EXPECT_NE(page.find(".B \\-\\-" + std::string(kind) + "\n.IR FILE .qvd"), std::string::npos)
        << kind;
}
