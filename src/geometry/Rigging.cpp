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

std::string RiggingText(const RiggingTable& table, bool feet, const std::string& decimalSeparator) {
  const double unit = feet ? double(MetresToFeet) : 1.0;
  const std::string name = feet ? "ft" : "m";
  const auto number = [&](double value) { return TwoDecimalText(value, decimalSeparator); };
  std::string text = "Inclination (deg)\t" + number(table.Inclination) + "\n";
  text += "Box\tTilt Angle (deg)\tAim (deg)\tTop front height (" + name +
          ")\tRay lands on\tFrom the area's start (" + name + ")\n";
  for (const RiggingRow& row : table.Rows) {
    text += std::to_string(row.Box) + '\t' + (row.Box > 1 ? number(row.Splay) : "") + '\t' +
            number(row.Aim) + '\t' + number(row.TopFrontHeight * unit) + '\t' +
            (row.Area > 0 ? "Area " + std::to_string(row.Area) : "none") + '\t' +
            (row.Area > 0 ? number(row.AlongArea * unit) : "") + '\n';
  }
  text += "Lowest box bottom (" + name + ")\t" + number(table.LowestBottom * unit) + "\n";
  return text;
}

}  // namespace tarnwick
