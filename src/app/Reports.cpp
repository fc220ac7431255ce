#include "app/Reports.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <optional>
#include <sstream>
#include <string_view>
#include <vector>

#include "acoustics/LevelEngine.h"
#include "app/Documents.h"
#include "app/FileAccess.h"
#include "app/MapReport.h"
#include "files/FileWriter.h"
#include "files/ProjectFile.h"
#include "geometry/ArrayGeometry.h"
#include "model/ModuleShape.h"
#include "model/ProjectRules.h"

namespace tarnwick {

namespace {

// Fixed decimals with a point whatever the locale; a level no sum defines is left empty
// (null in JSON), since no number would be true.
std::string Fixed(double value, int decimals, bool json) {
  if (!std::isfinite(value)) return json ? "null" : "";
  char text[64];
  const auto end =
      std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
  return {text, end.ptr};
}

// A level to two decimals, left empty where no sum defines it.
std::string LevelText(float level, bool json = false) {
  return Fixed(level == SPLFloor ? NAN : level, 2, json);
}

// A level entry's name without its blanks: "1.25kHz", "Broadband(A)".
std::string BandKey(int entry) {
  std::string key;
  for (const char* c = BandChoiceName(entry); *c != 0; ++c)
    if (*c != ' ') key += *c;
  return key;
}

// Rows of named values, as CSV with a header or as a JSON array of objects.
class Table {
 public:
  Table(std::vector<std::string> keys, bool json) : keys_(std::move(keys)), json_(json) {}

  void Row(const std::vector<std::string>& values) { rows_.push_back(values); }

  void Write(std::ostream& out, const std::string& indent = "") const {
    if (!json_) {
      for (std::size_t k = 0; k < keys_.size(); ++k) out << (k ? "," : "") << keys_[k];
      out << '\n';
      for (const auto& row : rows_) {
        for (std::size_t k = 0; k < row.size(); ++k) out << (k ? "," : "") << row[k];
        out << '\n';
      }
      return;
    }
    out << '[';
    for (std::size_t r = 0; r < rows_.size(); ++r) {
      out << (r ? ",\n" : "\n") << indent << "  {";
      for (std::size_t k = 0; k < keys_.size(); ++k)
        out << (k ? ", " : "") << '"' << keys_[k] << "\": " << rows_[r][k];
      out << '}';
    }
    out << '\n' << indent << ']';
  }

 private:
  std::vector<std::string> keys_;
  std::vector<std::vector<std::string>> rows_;
  bool json_;
};

// The options the numbers were predicted with, as a JSON object.
std::string ModelJson(const PredictionOptions& o) {
  const auto flag = [](bool on) { return on ? "true" : "false"; };
  const auto number = [](float value) {
    char text[32];
    return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
  };
  return std::string("{\"average\": ") + flag(o.Average) +
         ", \"interpolate\": " + flag(o.Interpolate) + ", \"air\": " + flag(o.Air) +
         ", \"temperature_c\": " + number(o.Temperature) +
         ", \"humidity_pct\": " + number(o.Humidity) + ", \"pressure_kpa\": " + number(o.Pressure) +
         "}";
}

void WriteLevels(const ReportRequest& request, const ProjectData& project, const Graphics& graphics,
                 const Constants& constants, std::ostream& out) {
  const bool json = request.As == ReportRequest::Format::Json;
  Table table({"area", "index", "distance_m", "x_m", "y_m", "level_db"}, json);
  std::vector<SPLPoint> points;
  for (int area = 1; area <= AreasInUse(project); ++area) {
    if (request.Area != 0 && area != request.Area) continue;
    PredictLevels(project, graphics, constants, area, request.Band, points);
    for (std::size_t i = 0; i < points.size(); ++i) {
      const SPLPoint& p = points[i];
      table.Row({std::to_string(area), std::to_string(i), Fixed(SPLPointSpacing * i, 1, json),
                 Fixed(FromMountingPoint(p.Position.X), 3, json), Fixed(p.Position.Y, 3, json),
                 LevelText(p.SPL, json)});
    }
  }
  // A plain prediction keeps the bare array it always printed; with an option on, the rows
  // go with the model that made them.
  if (json && project.Prediction.AnyOn()) {
    out << "{\"model\": " << ModelJson(project.Prediction) << ", \"levels\": ";
    table.Write(out);
    out << "}\n";
    return;
  }
  table.Write(out);
  if (json) out << '\n';
}

void WriteGeometry(const ReportRequest& request, const ProjectData& project,
                   const Graphics& graphics, std::ostream& out) {
  const bool json = request.As == ReportRequest::Format::Json;
  Table table({"index", "top_front_x_m", "top_front_y_m", "source_x_m", "source_y_m", "aim_deg",
               "ray_end_x_m", "ray_end_y_m", "area"},
              json);
  for (int b = 0; b < BoxesInUse(project); ++b) {
    const BoxGeometry& box = graphics.BoxGeom[b];
    const PlaneVector end = AddVectors(box.Source, box.Ray);
    table.Row({std::to_string(b + 1), Fixed(FromMountingPoint(box.TopFront.X), 3, json),
               Fixed(box.TopFront.Y, 3, json), Fixed(FromMountingPoint(box.Source.X), 3, json),
               Fixed(box.Source.Y, 3, json),
               Fixed(std::atan2(double(box.Ray.Y), double(box.Ray.X)) * 180.0 / Pi, 2, json),
               Fixed(FromMountingPoint(end.X), 3, json), Fixed(end.Y, 3, json),
               std::to_string(box.AimedArea)});
  }
  const std::string inclination = Fixed(project.InclinationAngle, 2, json);
  if (json) {
    out << "{\"inclination_deg\": " << inclination << ", ";
    if (project.Prediction.AnyOn()) out << "\"model\": " << ModelJson(project.Prediction) << ", ";
    out << "\"boxes\": ";
    table.Write(out);
    out << "}\n";
  } else {
    out << "inclination_deg," << inclination << '\n';
    table.Write(out);
  }
}

void WriteResponse(const ReportRequest& request, const ReportDesign& design, std::ostream& out) {
  const auto levels =
      LevelEngine(design.Project, design.Geometry, design.Module).Spectrum(request.At);
  out << "band,frequency_hz,level_db\n";
  for (int entry = 0; entry < BandChoiceCount; ++entry) {
    const std::string frequency =
        entry < BandCount ? Fixed(BandCentreFrequency(entry), 2, false) : "";
    out << BandKey(entry) << ',' << frequency << ',' << LevelText(levels[entry]) << '\n';
  }
}

// The map's nodes, one a row: x_m,y_m,level_db.
std::string MapCsv(const LevelGrid& grid) {
  std::ostringstream text;
  text << "x_m,y_m,level_db\n";
  for (int j = 0; j < grid.ny; ++j)
    for (int i = 0; i < grid.nx; ++i) {
      const PlaneVector at = grid.Node(i, j);
      const float level = grid.nodes[std::size_t(j) * grid.nx + i];
      text << Fixed(FromMountingPoint(at.X), 3, false) << ',' << Fixed(at.Y, 3, false) << ','
           << LevelText(level) << '\n';
    }
  return text.str();
}

bool EndsInCsv(const std::string& name) {
  constexpr std::string_view csv = ".csv";
  return name.size() >= csv.size() &&
         std::equal(csv.begin(), csv.end(), name.end() - csv.size(),
                    [](char a, char b) { return a == std::tolower((unsigned char)b); });
}

// ReportDone when the request's file is written; otherwise ReportFileRefused, why on `err`.
int Written(const ReportRequest& request, const WriteResult& written, std::ostream& err) {
  if (!written) {
    err << "tarnwick: cannot write " << request.Out << ": " << written.Reason << '\n';
    return ReportFileRefused;
  }
  return ReportDone;
}

// The map to its own file: CSV when the name ends in .csv, otherwise a PNG picture.
int WriteMap(const ReportRequest& request, const ReportDesign& design, std::ostream& err) {
  const LevelGrid grid = ComputeMap(request, design);
  return WriteReportFile(request,
                         EndsInCsv(request.Out) ? MapCsv(grid) : MapPicture(request, design, grid),
                         "the picture", err);
}

}  // namespace

PredictionOptions ChosenOptions(PredictionOptions project, const PredictionChoice& chosen) {
  project.Average = chosen.Average.value_or(project.Average);
  project.Interpolate = chosen.Interpolate.value_or(project.Interpolate);
  project.Air = chosen.Air.value_or(project.Air);
  project.Temperature = chosen.Temperature.value_or(project.Temperature);
  project.Humidity = chosen.Humidity.value_or(project.Humidity);
  project.Pressure = chosen.Pressure.value_or(project.Pressure);
  return project;
}

int WriteReportFile(const ReportRequest& request, const std::optional<std::string>& bytes,
                    const std::string& what, std::ostream& err) {
  return Written(request,
                 bytes ? WriteFile(request.Out, *bytes, WriteTargets::AnyStream)
                       : WriteResult{false, what + " could not be made"},
                 err);
}

int LoadReportDesign(const ReportRequest& request, ReportDesign& design, std::ostream& err) {
  design.Project = MakeDefaultProject();
  // A file that cannot be opened says why in the system's words, "No such file or directory"
  // rather than the window's general refusal.
  if (const auto why = WhyUnreadable(request.File)) {
    err << "tarnwick: " << request.File << ": " << *why << '\n';
    return ReportFileRefused;
  }
  const LoadStatus status = ReadProjectFile(request.File, design.Project);
  if (status != LoadStatus::Loaded) {
    err << "tarnwick: " << request.File << ": " << LoadStatusMessage(status) << '\n';
    return ReportFileRefused;
  }
  const int areas = AreasInUse(design.Project);
  if (request.Area > areas) {
    err << "tarnwick: " << request.File << " uses " << areas << (areas == 1 ? " area" : " areas")
        << ", not area " << request.Area << '\n';
    return ReportWrongRequest;
  }
  design.Project.Prediction = ChosenOptions(design.Project.Prediction, request.Prediction);
  ComputeScene(design.Project, FirstWindowFrame, design.Geometry);
  AssignBandLevel(design.Module);
  FillDirectivity(design.Module);
  return ReportDone;
}

void WriteAllLevels(std::ostream& out, const ProjectData& project, const Graphics& graphics,
                    const Constants& constants) {
  out << "area,index,distance_m,x_m,y_m";
  for (int entry = 0; entry < BandChoiceCount; ++entry) out << ',' << BandKey(entry);
  out << '\n';
  std::vector<std::vector<SPLPoint>> curves(BandChoiceCount);
  for (int area = 1; area <= AreasInUse(project); ++area) {
    for (int entry = 0; entry < BandChoiceCount; ++entry)
      PredictLevels(project, graphics, constants, area, entry, curves[entry]);
    for (std::size_t i = 0; i < curves[0].size(); ++i) {
      const SPLPoint& p = curves[0][i];
      out << area << ',' << i << ',' << Fixed(SPLPointSpacing * i, 1, false) << ','
          << Fixed(FromMountingPoint(p.Position.X), 3, false) << ','
          << Fixed(p.Position.Y, 3, false);
      for (const auto& curve : curves) out << ',' << LevelText(curve[i].SPL);
      out << '\n';
    }
  }
}

// The best splays: the chosen design and how even it is beside the design as it was, one
// named value a row. The optimised project goes to request.Out when given.
int WriteOptimised(const ReportRequest& request, const ReportDesign& design, std::ostream& report,
                   std::ostream& err) {
  SplaySearch search;
  search.Band = request.Band;
  search.Goal = request.Goal;
  search.FallPerDoubling = request.FallPerDoubling;
  search.KeepOnAudience = request.KeepOnAudience;
  const SplayResult result = OptimiseSplay(design.Project, design.Geometry, design.Module, search);
  if (!result.Found) {
    err << "tarnwick: no area point of " << request.File << " has a level to even out\n";
    return ReportWrongRequest;
  }
  const ProjectData& best = result.Best;
  report << "band," << BandChoiceName(request.Band) << '\n';
  if (request.Goal == SplayGoal::Fall)
    report << "fall_db_per_doubling," << Fixed(request.FallPerDoubling, 2, false) << '\n';
  report << "designs," << result.Designs << "\nsplay_deg";
  for (int j = 0; j < JointsInUse(best); ++j) report << ',' << Fixed(best.BoxAngle[j], 0, false);
  report << "\ninclination_deg," << Fixed(best.InclinationAngle, 2, false) << '\n';
  if (best.AutomaticInclCalc == 1)
    report << "pin," << best.FlybarPin << "\nmounting,"
           << MountingItems[best.FlybarMounting == 1 ? 1 : 0] << '\n';
  const auto row = [&](const char* name, double Evenness::*value) {
    report << name << "_before_db," << Fixed(result.CurrentScore.*value, 2, false) << '\n'
           << name << "_after_db," << Fixed(result.BestScore.*value, 2, false) << '\n';
  };
  row("spread", &Evenness::Spread);
  row("deviation", &Evenness::Deviation);
  if (request.Goal == SplayGoal::Fall) row("fall_error", &Evenness::FallError);
  row("mean", &Evenness::Mean);
  report << "rays_on_areas_before," << result.CurrentScore.RaysOnAreas << "\nrays_on_areas_after,"
         << result.BestScore.RaysOnAreas << '\n';
  // Whether the answer keeps the sound on the audience, and what the best of all would give.
  if (search.KeepOnAudience)
    report << "on_audience," << (result.BestOnAudience ? "yes" : "no")
           << "\nspread_aiming_anywhere_db," << Fixed(result.UnconstrainedScore.Spread, 2, false)
           << '\n';
  if (request.Out.empty()) return ReportDone;
  ProjectFileHeader header;
  return Written(request, WriteProjectFile(request.Out, best, header, WriteTargets::AnyStream),
                 err);
}

int RunReport(const ReportRequest& request, std::ostream& out, std::ostream& err) {
  ReportDesign design;
  if (const int status = LoadReportDesign(request, design, err); status != ReportDone)
    return status;
  // Written whole, so that a failure half way leaves no half report.
  std::ostringstream report;
  switch (request.What) {
    case ReportRequest::Kind::Levels:
      WriteLevels(request, design.Project, design.Geometry, design.Module, report);
      break;
    case ReportRequest::Kind::Geometry:
      WriteGeometry(request, design.Project, design.Geometry, report);
      break;
    case ReportRequest::Kind::Response:
      WriteResponse(request, design, report);
      break;
    case ReportRequest::Kind::Optimise:
      if (const int status = WriteOptimised(request, design, report, err); status != ReportDone)
        return status;
      break;
    case ReportRequest::Kind::Map:
      return WriteMap(request, design, err);
    case ReportRequest::Kind::Picture:
      return WritePicture(request, design, err);
    case ReportRequest::Kind::Document:
      return WriteDocument(request, design, err);
  }
  out << report.str();
  return ReportDone;
}

}  // namespace tarnwick
