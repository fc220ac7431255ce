#include "geometry/Rigging.h"

#include <algorithm>
#include <cmath>

#include "model/NumberText.h"
#include "model/ProjectRules.h"

namespace tarnwick {

RiggingTable MakeRiggingTable(const ProjectData& project, const Graphics& graphics) {
  RiggingTable table;
  table.Inclination = project.InclinationAngle;
  const int boxes = BoxesInUse(project);
  for (int b = 0; b < boxes; ++b) {
    const BoxGeometry& box = graphics.BoxGeom[b];
    RiggingRow row;
    row.Box = b + 1;
    row.Splay = b > 0 ? project.BoxAngle[b - 1] : 0.0f;
    row.Aim = std::atan2(double(box.Ray.Y), double(box.Ray.X)) * 180.0 / Pi;
    row.TopFrontHeight = box.TopFront.Y;
    row.Area = box.AimedArea;
    if (row.Area > 0) {
      const PlaneVector start = graphics.AreaGeom[row.Area - 1].Start;
      row.AlongArea = std::hypot(double(box.Source.X) + box.Ray.X - start.X,
                                 double(box.Source.Y) + box.Ray.Y - start.Y);
    }
    table.Rows.push_back(row);
  }
  if (boxes > 0) {
    const BoxGeometry& last = graphics.BoxGeom[boxes - 1];
    table.LowestBottom = std::min(last.BottomFront.Y, last.BottomBack.Y);
  }
  return table;
}

RiggingCells MakeRiggingCells(const RiggingTable& table, bool feet,
                              const std::string& decimalSeparator, RiggingCaptions captions) {
  const double unit = feet ? double(MetresToFeet) : 1.0;
  const auto number = [&](double value) { return TwoDecimalText(value, decimalSeparator); };
  const bool plain = captions == RiggingCaptions::PlainText;
  const std::string degrees = plain ? " (deg)" : " (°)";
  RiggingCells cells;
  cells.Unit = feet ? "ft" : "m";
  cells.Inclination = number(table.Inclination);
  cells.LowestBottom = number(table.LowestBottom * unit);
  cells.Captions = {"Box",           "Tilt Angle" + degrees,
                    "Aim" + degrees, "Top front height (" + cells.Unit + ")",
                    "Ray lands on",  "Along the area (" + cells.Unit + ")"};
  for (const RiggingRow& row : table.Rows)
    cells.Rows.push_back({std::to_string(row.Box), row.Box > 1 ? number(row.Splay) : "",
                          number(row.Aim), number(row.TopFrontHeight * unit),
                          row.Area > 0 ? "Area " + std::to_string(row.Area) : "none",
                          row.Area > 0 ? number(row.AlongArea * unit) : ""});
  return cells;
}

std::string RiggingText(const RiggingTable& table, bool feet, const std::string& decimalSeparator) {
  const RiggingCells cells =
      MakeRiggingCells(table, feet, decimalSeparator, RiggingCaptions::PlainText);
  const auto line = [](const std::array<std::string, 6>& fields) {
    std::string text = fields[0];
    for (std::size_t c = 1; c < fields.size(); ++c) text += '\t' + fields[c];
    return text + '\n';
  };
  std::string text = "Inclination (deg)\t" + cells.Inclination + "\n" + line(cells.Captions);
  for (const auto& row : cells.Rows) text += line(row);
  return text + "Lowest box bottom (" + cells.Unit + ")\t" + cells.LowestBottom + "\n";
}

}  // namespace tarnwick
