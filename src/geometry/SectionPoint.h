#pragma once

#include "geometry/ArrayGeometry.h"
#include "model/ProjectData.h"

namespace tarnwick {

// A point of the section as the side view's readout tells it, in metres and degrees:
// horizontal distances from the mounting point (where the array hangs), heights above the
// floor.
struct SectionPoint {
  double Across = 0.0;    // horizontal distance from the mounting point, + towards the areas
  double Up = 0.0;        // height above the floor
  double Straight = 0.0;  // straight distance from the mounting point
  double Down = 0.0;      // angle below the mounting point's horizontal (negative above it)
  int Area = 0;           // the area (1 ... 3) a press here would pick up, 0 for none
  double Along = 0.0;     // how far along that area's slope from its start
};

// The readout of scene point `at` (metres, the scene's own coordinates).
SectionPoint MeasureAt(const ProjectData& project, const Graphics& g, PlaneVector at);

// Where the area being dragged would be dropped with the mouse at `at`: its distance from
// the mounting point and its two heights, in metres. False when no area is being dragged.
struct AreaPlace {
  int Area = 0;  // 1 ... 3
  double Distance = 0.0, Height1 = 0.0, Height2 = 0.0;
};
bool DraggedAreaPlace(const ProjectData& project, const Graphics& g, PlaneVector at,
                      AreaPlace& place);

}  // namespace tarnwick
