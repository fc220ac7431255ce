#pragma once

#include "geometry/ArrayGeometry.h"
#include "model/ProjectData.h"

namespace tarnwick {

// Moving a listener area with the mouse, in scene coordinates (metres). The
// drag state lives in Graphics; the area slopes are those of the last redraw.

// Distance within which a press counts as on an area, metres.
inline constexpr float PickTolerance = 0.3f;

// Whether a press at p picks area i up. A rising area is hit inside the
// rectangle of its end points, anywhere below its slope or less than
// PickTolerance above it. A flat or falling area is hit within its
// horizontal extent less than PickTolerance above or below its slope, so
// that a flat floor can be moved too.
bool HitsArea(const AreaGeometry& area, PlaneVector p);

// Press at p: picks up the first area hit (index order) and starts the
// drag. Returns its index, or -1 when no area was hit (nothing changes).
int PickArea(const ProjectData& project, Graphics& g, PlaneVector p);

// Where the picked area's start point would be with the mouse at p.
PlaneVector DragOrigin(const Graphics& g, PlaneVector p);

// Release at p: moves the picked area there, keeping its shape, writes its
// distance and heights into the project and ends the drag. Returns its
// index, or -1 when no area was picked (nothing changes).
int DropArea(ProjectData& project, Graphics& g, PlaneVector p);

}  // namespace tarnwick
