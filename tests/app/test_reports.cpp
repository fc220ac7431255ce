// Every report kind run in-process through RunReport, its numbers checked against the
// engines that make them: CalculateSPL along the areas, the level engine elsewhere.
#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <map>
#include <ranges>
#include <sstream>

#include "acoustics/LevelEngine.h"
#include "app/CommandLine.h"
#include "app/MapReport.h"
#include "app/Reports.h"
#include "model/ProjectRules.h"
#include "support/FileTargets.h"
#include "views/CoverageMap.h"

using namespace tarnwick;
using Kind = ReportRequest::Kind;

namespace {

// A report's status, what it printed and what it said on err.
std::tuple<int, std::string, std::string> Report(const ReportRequest& request) {
  std::ostringstream out, err;
  const int status = RunReport(request, out, err);
  return {status, out.str(), err.str()};
}

// What a report done printed.
std::string Printed(const ReportRequest& request) {
  const auto [status, out, err] = Report(request);
  EXPECT_EQ(status, ReportDone) << err;
  return out;
}

ReportRequest Request(Kind kind, const char* file = "default.qvd") {
  ReportRequest request;
  request.What = kind;
  request.File = file[0] == '/' ? file : TARNWICK_SOURCE_DIR "/tests/data/" + std::string(file);
  return request;
}

ReportDesign Design(const ReportRequest& request) {
  ReportDesign design;
  std::ostringstream err;
  EXPECT_EQ(LoadReportDesign(request, design, err), ReportDone) << err.str();
  return design;
}

// The CSV rows after `skip` header lines, each split at its commas.
std::vector<std::vector<std::string>> Rows(const std::string& csv, int skip = 1) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream lines(csv);
  for (std::string line; std::getline(lines, line);)
    if (skip-- <= 0)
      for (auto& row = rows.emplace_back(); const auto cell : std::views::split(line, ','))
        row.emplace_back(cell.begin(), cell.end());
  return rows;
}

// A level cell against the engine's level: empty where none is defined, else within the
// two decimals it is written with.
void ExpectLevel(const std::string& cell, float level) {
  EXPECT_EQ(cell.empty(), level == SPLFloor) << cell;
  EXPECT_NEAR(cell.empty() ? level : std::stod(cell), level, 0.0051) << cell;
}

// Two cells from `column` on against a scene point, within the three decimals they are
// written with: x from the mounting point (1 m into the scene), y from the floor.
void ExpectPoint(const std::vector<std::string>& row, std::size_t column, PlaneVector at) {
  EXPECT_NEAR(std::stod(row[column]), at.X - 1.0, 0.0006);
  EXPECT_NEAR(std::stod(row[column + 1]), at.Y, 0.0006);
}

}  // namespace

TEST(Reports, levelsAreCalculateSplsAtEveryPointOfTheAreasAsked) {
  for (const int area : {0, 2}) {
    ReportRequest request = Request(Kind::Levels);
    request.Area = area;
    const ReportDesign d = Design(request);
    const std::string printed = Printed(request);
    EXPECT_EQ(printed.substr(0, printed.find('\n')), "area,index,distance_m,x_m,y_m,level_db");
    std::size_t row = 0;
    const auto rows = Rows(printed);
    for (int a = 1; a <= AreasInUse(d.Project); ++a) {
      if (area != 0 && a != area) continue;
      std::vector<SPLPoint> points;
      ASSERT_TRUE(CalculateSPL(d.Project, d.Geometry, d.Module, a, DefaultBandChoice, points));
      for (std::size_t i = 0; i < points.size(); ++i, ++row) {
        ASSERT_LT(row, rows.size());
        EXPECT_EQ(rows[row][0], std::to_string(a));
        EXPECT_EQ(rows[row][1], std::to_string(i));
        ExpectPoint(rows[row], 3, points[i].Position);
        ExpectLevel(rows[row][5], points[i].SPL);
      }
    }
    EXPECT_EQ(row, rows.size());
    // The same rows as JSON objects.
    request.As = ReportRequest::Format::Json;
    const std::string json = Printed(request);
    EXPECT_EQ(std::count(json.begin(), json.end(), '{'), std::ptrdiff_t(rows.size()));
    EXPECT_NE(json.find("{\"area\": " + rows[0][0] + ", \"index\": 0, "), std::string::npos);
  }
}

TEST(Reports, geometryGivesEveryBoxInUseWhereItHangsAndAims) {
  const ReportRequest request = Request(Kind::Geometry);
  const ReportDesign d = Design(request);
  const std::string printed = Printed(request);
  const auto rows = Rows(printed, 2);
  ASSERT_EQ(int(rows.size()), BoxesInUse(d.Project));
  EXPECT_NEAR(std::stod(Rows(printed, 0)[0][1]), d.Project.InclinationAngle, 0.0051);
  for (std::size_t b = 0; b < rows.size(); ++b) {
    const BoxGeometry& box = d.Geometry.BoxGeom[b];
    ExpectPoint(rows[b], 3, box.Source);
    EXPECT_NEAR(std::stod(rows[b][5]), std::atan2(box.Ray.Y, box.Ray.X) * 180 / Pi, 0.0051);
    EXPECT_EQ(rows[b][8], std::to_string(box.AimedArea));
  }
}

TEST(Reports, responseIsTheLevelEnginesSpectrumInBandsTheCommandLineTakesBack) {
  ReportRequest request = Request(Kind::Response);
  request.At = {15, 2};
  const ReportDesign d = Design(request);
  const auto spectrum = LevelEngine(d.Project, d.Geometry, d.Module).Spectrum(request.At);
  const auto rows = Rows(Printed(request));
  // The CSV with every level heads its columns as --response names its rows.
  std::ostringstream all;
  WriteAllLevels(all, d.Project, d.Geometry, d.Module);
  const auto columns = Rows(all.str(), 0).at(0);
  ASSERT_EQ(int(rows.size()), BandChoiceCount);
  ASSERT_EQ(int(columns.size()), 5 + BandChoiceCount);  // after area,index,distance_m,x_m,y_m
  EXPECT_EQ(rows[0], (std::vector<std::string>{"100Hz", "99.21", rows[0][2]}));
  for (int entry = 0; entry < BandChoiceCount; ++entry) {
    ExpectLevel(rows[entry][2], spectrum[entry]);
    EXPECT_EQ(rows[entry][0], columns[5 + entry]);
    // That name, and the one with blanks --optimise prints and the graph lists, as the
    // value after --band or joined to it.
    for (const std::string& name : {rows[entry][0], std::string(BandChoiceName(entry))}) {
      EXPECT_EQ(ParseCommandLine({"--map", "s.qvd", "--out", "m.png", "--band", name}).Report.Band,
                entry)
          << name;
      EXPECT_EQ(ParseCommandLine({"--levels", "s.qvd", "--band=" + name}).Report.Band, entry)
          << name;
    }
  }
}

TEST(Reports, mapHoldsTheLevelEnginesLevelsAtItsNodesAsCsvOrAsAPicture) {
  // The CSV to a FIFO that is read: written in place, through the one writer.
  const test_targets::TargetAt csv(test_targets::Target::ReadFifo, {}, "map.CSV");
  ReportRequest request = Request(Kind::Map);
  std::tie(request.Width, request.Height, request.Band, request.Out) =
      std::tuple(80, 40, BandChoiceFromName("4kHz"), csv.Path().string());
  const ReportDesign d = Design(request);
  const LevelEngine engine(d.Project, d.Geometry, d.Module);
  Printed(request);
  const std::vector<unsigned char> bytes = csv.Reader()->Finish();
  const auto rows = Rows(std::string(bytes.begin(), bytes.end()));
  const LevelGrid grid = ComputeMap(request, d);
  // As many pixels to a metre across as up, and the whole scene in view.
  EXPECT_NEAR(80 / (grid.right - grid.left), 40 / (grid.top - grid.bottom), 1e-9);
  EXPECT_TRUE(grid.right >= d.Geometry.SceneWidth - 1e-3 &&
              grid.top >= d.Geometry.SceneHeight - 1e-3);
  ASSERT_EQ(rows.size(), std::size_t(21 * 11));
  for (std::size_t n = 0; n < rows.size(); ++n) {
    const PlaneVector at = grid.Node(int(n % 21), int(n / 21));
    ExpectPoint(rows[n], 0, at);
    ExpectLevel(rows[n][2], engine.Level(request.Band, at));
  }
  // As a picture: its corner in the colour of the corner's level, on the window's scale.
  request.Out = (csv.Folder() / "map.png").string();
  Printed(request);
  const QImage picture(QString::fromStdString(request.Out));
  ASSERT_EQ(picture.size(), QSize(80, 40));
  const float top = AreasMapTop(AreaLevels(engine, request.Band, d.Project, d.Geometry));
  EXPECT_EQ(picture.pixel(0, 0), MapColour(grid.nodes[0], top));
}

TEST(Reports, optimiseGivesTheMostEvenDesignAndWritesItAsAProjectWithTheOptionsChosen) {
  const test_targets::ScratchFolder scratch("tarnwick-reports");
  ReportRequest request = Request(Kind::Optimise, "small.qvd");
  std::tie(request.Out, request.Band, request.Prediction) =
      std::tuple(scratch / "best.qvd", BandChoiceFromName("2kHz"),
                 PredictionChoice{.Interpolate = true, .Pressure = 90.0f});
  const SplaySearch search{.Band = request.Band};
  const auto rows = Rows(Printed(request), 0);
  ASSERT_GE(rows.size(), 4u);
  EXPECT_EQ(rows[0], (std::vector<std::string>{"band", "2 kHz"}));
  EXPECT_EQ(std::stoll(rows[1][1]), SplayDesignCount(Design(request).Project, search));
  // What it wrote is what it printed, and laid out, it is as even as it said.
  const ReportDesign d = Design(Request(Kind::Optimise, request.Out.c_str()));
  const ProjectData& best = d.Project;
  ASSERT_EQ(int(rows[2].size()), 1 + JointsInUse(best));
  for (int j = 0; j < JointsInUse(best); ++j)
    EXPECT_EQ(std::stof(rows[2][j + 1]), best.BoxAngle[j]);
  EXPECT_NEAR(std::stod(rows[3][1]), best.InclinationAngle, 0.0051);
  std::map<std::string, std::string> named;
  for (const auto& row : rows) named[row[0]] = row[1];
  const double before = std::stod(named["spread_before_db"]);
  const double after = std::stod(named["spread_after_db"]);
  EXPECT_GT(before, 0.0);
  EXPECT_LE(after, before);
  EXPECT_NEAR(after, MeasureDesign(best, d.Geometry, d.Module, search).Spread, 0.0051);
  EXPECT_EQ(best.Prediction, (PredictionOptions{false, true, false, 20.0f, 50.0f, 90.0f}));
}

TEST(Reports, anAreaTheDesignDoesNotUseIsRefusedOnErrLeavingOutEmpty) {
  // What the program says of files it cannot read or write: tests/data/program_runs.txt.
  ReportRequest area = Request(Kind::Levels, "small.qvd");
  area.Area = 2;
  EXPECT_EQ(Report(area), std::tuple(ReportWrongRequest, "",
                                     "tarnwick: " + area.File + " uses 1 area, not area 2\n"));
}

TEST(Reports, jsonLevelsStartWithThePredictionOptionsChosenOverTheProjects) {
  ReportRequest levels = Request(Kind::Levels, "options.qvd");
  std::tie(levels.As, levels.Prediction.Humidity) = std::tuple(ReportRequest::Format::Json, 40.0f);
  const std::string model =
      "{\"model\": {\"average\": true, \"interpolate\": false, \"air\": true, \"temperature_c\": "
      "12.5, \"humidity_pct\": 40, \"pressure_kpa\": 95.5}, \"levels\": [\n";
  EXPECT_EQ(Printed(levels).substr(0, model.size()), model);
}
