#pragma once

#include <QSize>
#include <optional>

#include "geometry/ArrayGeometry.h"
#include "model/ProjectData.h"

namespace tarnwick {

class Canvas;

// The side view draws the room section to scale from the geometry of the
// current redraw; the zoom view, a small picture inside it, shows the flybar
// and the boxes enlarged. Both only draw: every position comes from Graphics.

// A view of the section other than the designed one, always to scale: the scene point at
// the side view's top left corner (metres) and how many logical pixels a metre is.
struct ViewWindow {
  double Left = 0.0, Top = 0.0;
  double PixelsPerMetre = 1.0;
};
// How far a view may zoom, logical pixels per metre.
inline constexpr double LeastZoom = 0.5, MostZoom = 5000.0;

// Sets the side view's scale around the scene (leaving room on the left for
// the zoom view when it is shown), or to `view` where one is given, draws the
// base line with its end ticks, and sets the zoom view's scale around the
// mounting point.
void DrawBackground(Canvas& side, Canvas& zoom, bool zoomShown, const ProjectData& project,
                    const Graphics& g, const std::optional<ViewWindow>& view = std::nullopt);

// The view in which the mounting point, the flybar, every box in use and every area in use
// fill a side view of `inner` logical pixels with a margin, at true scale: centred across,
// the room to spare above it; `reserved` pixels at the left (the zoom view) are kept clear.
ViewWindow FitDesign(const ProjectData& project, const Graphics& g, QSize inner, int reserved);

// Draws the slopes of the areas in use as thick lines.
void DrawAreas(Canvas& side, const ProjectData& project, const Graphics& g);

// Draws the mounting point, the flybar and every box in use with its ray
// into the side view, and the mounting point, flybar and boxes into the zoom view.
void DrawArray(Canvas& side, Canvas& zoom, const ProjectData& project, const Graphics& g);

// Fraction of the side view's inner width that the zoom view covers.
double ZoomShare(const Canvas& side, const Canvas& zoom);

}  // namespace tarnwick
