#include "geometry/SectionPoint.h"

#include <cmath>

#include "geometry/AreaDrag.h"
#include "model/ModuleShape.h"
#include "model/ProjectRules.h"

namespace tarnwick {

SectionPoint MeasureAt(const ProjectData& project, const Graphics& g, PlaneVector at) {
  SectionPoint s;
  s.Across = FromMountingPoint(at.X);
  s.Up = at.Y;
  const double below = double(project.FloorDistance) - at.Y;
  s.Straight = std::hypot(s.Across, below);
  s.Down = std::atan2(below, std::fabs(s.Across)) * 180.0 / Pi;
  for (int i = 0; i < AreasInUse(project); ++i) {
    const AreaGeometry& area = g.AreaGeom[i];
    if (!HitsArea(area, at)) continue;
    // Along the slope to the point of it above or below the cursor.
    const double across = double(area.End.X) - area.Start.X;
    const double length = std::hypot(double(area.Direction.X), double(area.Direction.Y));
    s.Area = i + 1;
    s.Along = across > 0.0 ? (double(at.X) - area.Start.X) / across * length : 0.0;
    break;
  }
  return s;
}

bool DraggedAreaPlace(const ProjectData& project, const Graphics& g, PlaneVector at,
                      AreaPlace& place) {
  if (g.DragActive == 0) return false;
  for (int i = 0; i < AreasInUse(project); ++i) {
    const AreaGeometry& area = g.AreaGeom[i];
    if (area.Picked == 0) continue;
    // As DropArea places it.
    const PlaneVector start = SubtractVectors(at, area.GrabOffset);
    place = {i + 1, FromMountingPoint(start.X), start.Y,
             double(AddVectors(start, area.Direction).Y)};
    return true;
  }
  return false;
}

}  // namespace tarnwick
