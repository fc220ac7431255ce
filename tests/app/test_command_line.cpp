// The numbers of the command line: read whole and checked against their ranges, never
// wrapped around or taken beyond what a report can use; a number out of range makes the
// line wrong, and the error says what the option takes.
#include <gtest/gtest.h>

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
