// Moving a listener area with the left mouse button: press picks it up and
// shows a rectangle, moving drags the rectangle, release drops the area.

#include "geometry/AreaDrag.h"
#include "ui/LineArrayForm.h"
#include "views/DrawingSurface.h"
#include "views/LineElement.h"

namespace tarnwick {

namespace {
PlaneVector Scene(QPointF at) { return {float(at.x()), float(at.y())}; }
}  // namespace

void LineArray_frm::BuildDragRectangle() {
  const char* names[] = {"RightLine", "LeftLine", "LowerLine", "UpperLine"};
  LineElement** lines[] = {&RightLine, &LeftLine, &LowerLine, &UpperLine};
  for (int i = 0; i < 4; ++i) {
    *lines[i] = new LineElement(MainView_pbx);
    (*lines[i])->setObjectName(QLatin1String(names[i]));
  }
  connect(MainView_pbx, &DrawingSurface::MouseDown, this, &LineArray_frm::MainView_pbx_MouseDown);
  connect(MainView_pbx, &DrawingSurface::MouseMove, this, &LineArray_frm::MainView_pbx_MouseMove);
  connect(MainView_pbx, &DrawingSurface::MouseUp, this, &LineArray_frm::MainView_pbx_MouseUp);
}

void LineArray_frm::PlaceDragRectangle(PlaneVector origin, float width, float height) {
  const double x = origin.X, y = origin.Y;
  LowerLine->SetEnds(x, y, x + width, y);
  UpperLine->SetEnds(x, y + height, x + width, y + height);
  LeftLine->SetEnds(x, y, x, y + height);
  RightLine->SetEnds(x + width, y, x + width, y + height);
}

void LineArray_frm::MainView_pbx_MouseDown(Qt::MouseButton button, Qt::MouseButtons, QPointF at) {
  if (button != Qt::LeftButton) return;
  const int i = PickArea(Data.Project, Graphics, Scene(at));
  if (i < 0) return;
  const AreaGeometry& area = Graphics.AreaGeom[i];
  PlaceDragRectangle(area.Start, Graphics.DragBoxWidth, Graphics.DragBoxHeight);
  for (LineElement* line : {UpperLine, LowerLine, LeftLine, RightLine}) line->show();
}

void LineArray_frm::MainView_pbx_MouseMove(Qt::MouseButtons held, QPointF at) {
  // Only with the left button alone; the picture itself is not redrawn.
  if (held != Qt::LeftButton || Graphics.DragActive == 0) return;
  PlaceDragRectangle(DragOrigin(Graphics, Scene(at)), Graphics.DragBoxWidth,
                     Graphics.DragBoxHeight);
}

void LineArray_frm::MainView_pbx_MouseUp(Qt::MouseButton button, Qt::MouseButtons, QPointF at) {
  if (button != Qt::LeftButton) return;
  if (DropArea(Data.Project, Graphics, Scene(at)) < 0) return;
  // The entries show the new place in the current unit; the redraw reads
  // them back, so the area lands on the two decimals shown.
  WriteControls();
  RedrawAll();
  for (LineElement* line : {UpperLine, LowerLine, LeftLine, RightLine}) line->hide();
}

}  // namespace tarnwick
