#pragma once

#include <QImage>
#include <QSize>
#include <functional>
#include <optional>
#include <string>

#include "acoustics/LevelGrid.h"
#include "app/Reports.h"

namespace tarnwick {

// Fills every row of the grid with the engine's levels, the rows shared out between the
// machine's cores; each core asks `stopped` between its rows. Returns once every core is
// done, false when stopped. The window's map and the command line's both fill this way.
bool FillOnEveryCore(LevelGrid& grid, const LevelEngine& engine,
                     const std::function<bool()>& stopped);

// The engine's levels at `band` on a grid of nx by ny nodes over the part of the section
// from (left, top) to (right, bottom), scene coordinates in metres, computed on every core.
// The command line's map and the documents' maps are filled here; each lays out its own
// region and node counts.
LevelGrid ComputeMap(const LevelEngine& engine, int band, double left, double top, double right,
                     double bottom, int nx, int ny);

// The grid as a picture of `size` pixels, coloured as the window colours it, `top` the top
// of the colour scale.
QImage MapImage(const LevelGrid& grid, float top, QSize size);

// The coverage map of a design: one level per 4 x 4 pixels of a picture of the request's
// size over the section from the floor and the scene's left edge, to scale (as many pixels
// to a metre across as up), reaching the scene's top and right end or beyond; computed on
// every core.
LevelGrid ComputeMap(const ReportRequest& request, const ReportDesign& design);

// The map as a PNG picture of the request's size, coloured as the window colours it, with
// the same top of the scale; nothing when the picture cannot be made.
std::optional<std::string> MapPicture(const ReportRequest& request, const ReportDesign& design,
                                      const LevelGrid& grid);

}  // namespace tarnwick
