#pragma once

#include <string>
#include <vector>

#include "acoustics/SplPrediction.h"

namespace tarnwick {

class DrawingSurface;

// Draws the predicted level along an area of the given length (metres) as
// a curve over the position along it, with its two axes and the labels of
// the lowest and highest level. Clears the graph first: a curve drawn over
// an earlier one under a new scale would show nonsense. An area too short
// for a second point shows its one level as a short horizontal mark.
void DrawSPLGraph(DrawingSurface& graph, const std::vector<SPLPoint>& SPLPoints, float length,
                  const std::string& decimalSeparator);

}  // namespace tarnwick
