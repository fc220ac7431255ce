#pragma once

#include <QColor>
#include <QLineF>
#include <QRect>
#include <vector>

#include "views/Readout.h"

namespace tarnwick {

class Canvas;

// A light dimension grid over the side view as it is scaled now, in metres or feet as the
// lengths are shown: lines every 1, 2 or 5 times a power of ten of the unit, the smallest
// step that leaves at least 40 pixels between lines (so at most 100), across from the
// mounting point and up from the floor, labelled along the bottom and the left edge. The
// lines are a translucent grey and the labels dark with a white outline, so that both read
// over white and over every colour of the map; the distances along the bottom sit on a white
// plate, as the base line under the floor may run through their row. No label goes under
// `covered` (the zoom view, in the side view's logical pixels): the heights beside it move
// right of it.
void DrawGrid(Canvas& side, const ReadoutStyle& style, const QRect& covered = {});

// What DrawGrid draws, in the side view's user coordinates: the rules, then each label's
// top left corner and text, and whether it sits on a plate.
struct GridLabel {
  double X = 0.0, Y = 0.0;
  QString Text;
  bool Plated = false;
};
struct GridMarks {
  std::vector<QLineF> Rules;
  std::vector<GridLabel> Labels;
};
GridMarks LayOutGrid(const Canvas& side, const ReadoutStyle& style, const QRect& covered = {});
inline const QColor GridRule{0, 0, 0, 45}, GridInk{40, 40, 40};

// The grid's step in the unit shown for `pixelsPerUnit` pixels to one foot or metre.
double GridStep(double pixelsPerUnit);

}  // namespace tarnwick
