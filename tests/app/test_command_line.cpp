// The command line: each line of tests/data/command_lines.txt taken with the values it gives
// or refused saying what is wrong and what the option takes (numbers read whole and within
// their ranges, each kind of report with its options and files, each option once); the usage
// and the manual page naming the same options. (Every band by the names the reports print it
// with: test_reports.)
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "acoustics/LevelRules.h"
#include "app/CommandLine.h"
#include "support/DataTable.h"

using namespace tarnwick;

namespace {

// Whether the field of `line` a table names holds `value` as the table writes it.
bool Holds(const CommandLine& line, const std::string& field, const std::string& value) {
  const ReportRequest& r = line.Report;
  const PredictionChoice& p = r.Prediction;
  const auto number = [&value](auto held) { return decltype(held)(std::stod(value)) == held; };
  const auto onOff = [&value](std::optional<bool> held) {
    return value == (!held ? "-" : *held ? "on" : "off");
  };
  const auto atmosphere = [&](std::optional<float> held) {
    return held ? number(*held) : value == "-";
  };
  static const char* const kinds[] = {"levels",   "geometry", "map",   "response",
                                      "optimise", "picture",  "report"};
  if (field == "what") return value == kinds[int(r.What)];
  if (field == "file")
    return value == (line.Do == CommandLine::Action::Report ? r.File : line.File);
  if (field == "out") return value == r.Out;
  if (field == "band") return value == BandChoiceName(r.Band);
  if (field == "format") return value == (r.As == ReportRequest::Format::Csv ? "csv" : "json");
  if (field == "keep") return onOff(r.KeepOnAudience);
  if (field == "average") return onOff(p.Average);
  if (field == "interpolate") return onOff(p.Interpolate);
  if (field == "air") return onOff(p.Air);
  if (field == "temperature") return atmosphere(p.Temperature);
  if (field == "humidity") return atmosphere(p.Humidity);
  if (field == "pressure") return atmosphere(p.Pressure);
  for (const auto& [name, held] : {std::pair{"area", double(r.Area)},
                                   {"width", double(r.Width)},
                                   {"height", double(r.Height)},
                                   {"fall", r.FallPerDoubling}})
    if (field == name) return number(held);
  if (field == "x" || field == "y") return number(field == "x" ? r.At.X : r.At.Y);
  ADD_FAILURE() << "no field " << field;
  return false;
}

}  // namespace

TEST(CommandLine, takesOrRefusesEachLineAsTheTableSays) {
  const int lines = ForEachCase("command_lines.txt", [](const std::string& row) {
    const auto [arguments, expected] = ArgumentsAndExpected(row);
    const CommandLine line = ParseCommandLine(arguments);
    if (expected.starts_with("wrong ")) {
      EXPECT_EQ(line.Do, CommandLine::Action::Wrong) << row;
      EXPECT_NE(line.Error.find(expected.substr(6)), std::string::npos)
          << row << "\n  says: " << line.Error;
      return;
    }
    const std::vector<std::string> words = Words(expected);
    static const char* const actions[] = {"run", "help", "version", "report", "wrong"};
    ASSERT_FALSE(words.empty()) << row;
    EXPECT_EQ(actions[int(line.Do)], words[0]) << row << "\n  says: " << line.Error;
    for (auto word = words.begin() + 1; word != words.end(); ++word) {
      const std::size_t is = word->find('=');
      EXPECT_TRUE(Holds(line, word->substr(0, is), word->substr(is + 1))) << row << ": " << *word;
    }
  });
  EXPECT_GE(lines, 120);
}

TEST(CommandLine, chosenPredictionOptionsGoOverTheProjectsOwn) {
  const PredictionOptions own = {false, true, false, 30.0f, 60.0f, 90.0f};
  EXPECT_EQ(ChosenOptions(own, {true, false, true, -20.0f, 100.0f, 80.0f}),
            (PredictionOptions{true, false, true, -20.0f, 100.0f, 80.0f}));
  EXPECT_EQ(ChosenOptions(own, {.Air = true, .Pressure = 110.0f}),
            (PredictionOptions{false, true, true, 30.0f, 60.0f, 110.0f}));
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
