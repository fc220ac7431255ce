#pragma once

#include "views/Readout.h"

namespace tarnwick {

class Canvas;

// A light dimension grid over the side view as it is scaled now, in metres or feet as the
// lengths are shown: lines every 1, 2 or 5 times a power of ten of the unit, the smallest
// step that leaves at least 40 pixels between lines (so at most 100), across from the
// mounting point and up from the floor, labelled along the bottom and the left edge. The
// lines are a translucent grey and the labels dark with a white outline, so that both read
// over white and over every colour of the map.
void DrawGrid(Canvas& side, const ReadoutStyle& style);

// The grid's step in the unit shown for `pixelsPerUnit` pixels to one foot or metre.
double GridStep(double pixelsPerUnit);

}  // namespace tarnwick
