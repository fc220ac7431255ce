#include "files/Reports.h"

#include <charconv>
#include <cmath>
#include <sstream>
#include <vector>

#include "files/ProjectFile.h"
#include "geometry/ArrayGeometry.h"
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

void WriteLevels(const ReportRequest& request, const ProjectData& project, const Graphics& graphics,
                 std::ostream& out) {
  Constants constants;
  AssignBandLevel(constants);
  FillDirectivity(constants);
  const bool json = request.As == ReportRequest::Format::Json;
  Table table({"area", "index", "distance_m", "x_m", "y_m", "level_db"}, json);
  std::vector<SPLPoint> points;
  for (int area = 1; area <= AreasInUse(project); ++area) {
    if (request.Area != 0 && area != request.Area) continue;
    PredictLevels(project, graphics, constants, area, request.Entry, points);
    for (std::size_t i = 0; i < points.size(); ++i) {
      const SPLPoint& p = points[i];
      table.Row({std::to_string(area), std::to_string(i), Fixed(SPLPointSpacing * i, 1, json),
                 Fixed(p.Position.X, 3, json), Fixed(p.Position.Y, 3, json),
                 Fixed(p.SPL == SPLFloor ? NAN : p.SPL, 2, json)});
    }
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
    table.Row({std::to_string(b + 1), Fixed(box.TopFront.X, 3, json),
               Fixed(box.TopFront.Y, 3, json), Fixed(box.Source.X, 3, json),
               Fixed(box.Source.Y, 3, json),
               Fixed(std::atan2(double(box.Ray.Y), double(box.Ray.X)) * 180.0 / Pi, 2, json),
               Fixed(end.X, 3, json), Fixed(end.Y, 3, json), std::to_string(box.AimedArea)});
  }
  const std::string inclination = Fixed(project.InclinationAngle, 2, json);
  if (json) {
    out << "{\"inclination_deg\": " << inclination << ", \"boxes\": ";
    table.Write(out);
    out << "}\n";
  } else {
    out << "inclination_deg," << inclination << '\n';
    table.Write(out);
  }
}

}  // namespace

int RunReport(const ReportRequest& request, std::ostream& out, std::ostream& err) {
  ProjectData project = MakeDefaultProject();
  const LoadStatus status = ReadProjectFile(request.File, project);
  if (status != LoadStatus::Loaded) {
    err << "tarnwick: " << request.File << ": " << LoadStatusMessage(status) << '\n';
    return ReportFileRefused;
  }
  if (request.Area > AreasInUse(project)) {
    err << "tarnwick: " << request.File << " uses " << AreasInUse(project)
        << (AreasInUse(project) == 1 ? " area" : " areas") << ", not area " << request.Area << '\n';
    return ReportWrongRequest;
  }
  RoundToShownDecimals(project);
  Graphics graphics;
  ComputeScene(project, DesignedFrame, graphics);
  // Written whole, so that a failure half way leaves no half report.
  std::ostringstream report;
  if (request.What == ReportRequest::Kind::Levels)
    WriteLevels(request, project, graphics, report);
  else
    WriteGeometry(request, project, graphics, report);
  out << report.str();
  return ReportDone;
}

}  // namespace tarnwick
