#pragma once

#include "geometry/ArrayGeometry.h"
#include "model/ProjectData.h"

namespace tarnwick {

class Canvas;

// The side view draws the room section to scale from the geometry of the
// current redraw; the zoom view, a small picture inside it, shows the flybar
// and the boxes enlarged. Both only draw: every position comes from Graphics.

// Sets the side view's scale around the scene (leaving room on the left for
// the zoom view when it is shown), draws the base line with its end ticks,
// and sets the zoom view's scale around the mounting point.
void DrawBackground(Canvas& side, Canvas& zoom, bool zoomShown, const ProjectData& project,
                    const Graphics& g);

// Draws the slopes of the areas in use as thick lines.
void DrawAreas(Canvas& side, const ProjectData& project, const Graphics& g);

// Draws the mounting point, the flybar and every box in use with its ray
// into the side view, and the mounting point, flybar and boxes into the zoom view.
void DrawArray(Canvas& side, Canvas& zoom, const ProjectData& project, const Graphics& g);

// Fraction of the side view's inner width that the zoom view covers.
double ZoomShare(const Canvas& side, const Canvas& zoom);

}  // namespace tarnwick
