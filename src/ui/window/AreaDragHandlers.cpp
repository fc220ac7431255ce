#include "ui/window/AreaDragHandlers.h"

#include "geometry/AreaDrag.h"
#include "ui/panels/Controls.h"
#include "ui/panels/DrawingSurface.h"
#include "ui/panels/LineElement.h"
#include "ui/window/LineArrayForm.h"

namespace tarnwick {

namespace {

PlaneVector Scene(QPointF at) { return {float(at.x()), float(at.y())}; }

// The rectangle's four sides, in the order of the line elements.
void PlaceRectangle(const std::array<LineElement*, 4>& lines, PlaneVector origin, float width,
                    float height) {
  const double x = origin.X, y = origin.Y;
  lines[0]->SetEnds(x + width, y, x + width, y + height);   // right
  lines[1]->SetEnds(x, y, x, y + height);                   // left
  lines[2]->SetEnds(x, y, x + width, y);                    // lower
  lines[3]->SetEnds(x, y + height, x + width, y + height);  // upper
}

}  // namespace

AreaDragHandlers::AreaDragHandlers(LineArray_frm& window, DrawingSurface* side, Graphics& graphics,
                                   std::function<void(PlaneVector)> sideMenu)
    : QObject(&window),
      window_(window),
      side_(side),
      graphics_(graphics),
      sideMenu_(std::move(sideMenu)) {
  connect(side, &DrawingSurface::MouseDown, this, &AreaDragHandlers::MainView_pbx_MouseDown);
  connect(side, &DrawingSurface::MouseMove, this, &AreaDragHandlers::MainView_pbx_MouseMove);
  connect(side, &DrawingSurface::MouseUp, this, &AreaDragHandlers::MainView_pbx_MouseUp);
}

void AreaDragHandlers::MainView_pbx_MouseDown(Qt::MouseButton button, Qt::MouseButtons,
                                              QPointF at) {
  if (button == Qt::RightButton) sideMenu_(Scene(at));
  if (button != Qt::LeftButton) return;
  const int i = PickArea(window_.Project(), graphics_, Scene(at));
  if (i < 0) return;
  // The rectangle's sides are made on the first drag.
  const char* names[] = {"RightLine", "LeftLine", "LowerLine", "UpperLine"};
  if (lines_[0] == nullptr)
    for (std::size_t k = 0; k < lines_.size(); ++k) {
      lines_[k] = new LineElement(side_);
      lines_[k]->setObjectName(QLatin1String(names[k]));
    }
  PlaceRectangle(lines_, graphics_.AreaGeom[i].Start, graphics_.DragBoxWidth,
                 graphics_.DragBoxHeight);
  for (LineElement* line : lines_) line->show();
}

void AreaDragHandlers::MainView_pbx_MouseMove(Qt::MouseButtons held, QPointF at) {
  // Only with the left button alone; the picture itself is not redrawn.
  if (held != Qt::LeftButton || graphics_.DragActive == 0) return;
  PlaceRectangle(lines_, DragOrigin(graphics_, Scene(at)), graphics_.DragBoxWidth,
                 graphics_.DragBoxHeight);
}

void AreaDragHandlers::MainView_pbx_MouseUp(Qt::MouseButton button, Qt::MouseButtons, QPointF at) {
  if (button != Qt::LeftButton) return;
  ProjectData p = window_.Project();
  const int area = DropArea(p, graphics_, Scene(at));
  if (area < 0) return;
  // A place set by hand is as fine as the boxes show it: the area lands on the two
  // decimals shown in the current unit. Its length stays exactly as it was.
  const UnitFactors unit = LengthFactors(IsFeet(p.Units));
  for (float* value : {&p.AreaDistance[area], &p.AreaHeight1[area], &p.AreaHeight2[area]})
    *value = StoredNumber(ShownText(*value, unit), unit.toModel);
  window_.ShowProject(p);
  window_.RedrawAll();
  for (LineElement* line : lines_) line->hide();  // made when the area was picked up
}

}  // namespace tarnwick
