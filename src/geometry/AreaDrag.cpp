#include "geometry/AreaDrag.h"

#include <cmath>

#include "model/ProjectRules.h"

namespace tarnwick {

namespace {

// The point of the slope at the press's X.
PlaneVector SlopeAt(const AreaGeometry& area, float x) {
  const auto t = static_cast<float>((double(x) - area.Start.X) / area.Direction.X);
  return AddVectors(area.Start, ScaleVector(area.Direction, t));
}

}  // namespace

bool HitsArea(const AreaGeometry& area, PlaneVector p) {
  const PlaneVector& s = area.Start;
  const PlaneVector& e = area.End;
  if (!(s.X <= p.X && p.X < e.X)) return false;
  const PlaneVector d = SubtractVectors(p, SlopeAt(area, p.X));
  if (!IsFinite(d)) return false;
  if (s.Y < e.Y) return s.Y <= p.Y && p.Y < e.Y && d.X < PickTolerance && d.Y < PickTolerance;
  return std::fabs(d.Y) < PickTolerance;
}

int PickArea(const ProjectData& project, Graphics& g, PlaneVector p) {
  for (int i = 0; i < AreasInUse(project); ++i) {
    AreaGeometry& area = g.AreaGeom[i];
    if (!HitsArea(area, p)) continue;
    area.Picked = -1;
    area.GrabOffset = SubtractVectors(p, area.Start);
    g.DragActive = -1;
    g.DragBoxHeight = static_cast<float>(double(area.End.Y) - area.Start.Y);
    g.DragBoxWidth = static_cast<float>(double(area.End.X) - area.Start.X);
    g.DragAnchor = NegateVector(area.GrabOffset);
    return i;
  }
  return -1;
}

PlaneVector DragOrigin(const Graphics& g, PlaneVector p) { return AddVectors(p, g.DragAnchor); }

int DropArea(ProjectData& project, Graphics& g, PlaneVector p) {
  for (int i = 0; i < AreasInUse(project); ++i) {
    AreaGeometry& area = g.AreaGeom[i];
    if (area.Picked == 0) continue;
    area.Start = SubtractVectors(p, area.GrabOffset);
    area.End = AddVectors(area.Start, area.Direction);
    // The length stays: the move keeps the area's shape.
    project.AreaDistance[i] = static_cast<float>(FromMountingPoint(area.Start.X));
    project.AreaHeight1[i] = area.Start.Y;
    project.AreaHeight2[i] = area.End.Y;
    area.Picked = 0;
    g.DragActive = 0;
    return i;
  }
  return -1;
}

}  // namespace tarnwick
