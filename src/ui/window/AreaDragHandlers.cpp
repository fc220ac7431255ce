// The mouse in the side view. Moving a listener area with the left button:
// press picks it up and shows a rectangle, moving drags the rectangle,
// release drops the area. The right button offers the response at a point.

#include <QCursor>
#include <QMenu>

#include "geometry/AreaDrag.h"
#include "ui/panels/Controls.h"
#include "ui/panels/DrawingSurface.h"
#include "ui/panels/LineElement.h"
#include "ui/tools/ResponseForm.h"
#include "ui/window/LineArrayForm.h"

namespace tarnwick {

namespace {

PlaneVector Scene(QPointF at) { return {float(at.x()), float(at.y())}; }

// The rectangle's four sides, in the order of the window's line elements.
void PlaceRectangle(const std::array<LineElement*, 4>& lines, PlaneVector origin, float width,
                    float height) {
  const double x = origin.X, y = origin.Y;
  lines[0]->SetEnds(x + width, y, x + width, y + height);   // right
  lines[1]->SetEnds(x, y, x, y + height);                   // left
  lines[2]->SetEnds(x, y, x + width, y);                    // lower
  lines[3]->SetEnds(x, y + height, x + width, y + height);  // upper
}

}  // namespace

void LineArray_frm::MainView_pbx_MouseDown(Qt::MouseButton button, Qt::MouseButtons, QPointF at) {
  if (button == Qt::RightButton) ShowSideMenu(at);
  if (button != Qt::LeftButton) return;
  const int i = PickArea(Data.Project, Graphics, Scene(at));
  if (i < 0) return;
  // The rectangle's sides are made on the first drag.
  const char* names[] = {"RightLine", "LeftLine", "LowerLine", "UpperLine"};
  if (dragLines_[0] == nullptr)
    for (std::size_t k = 0; k < dragLines_.size(); ++k) {
      dragLines_[k] = new LineElement(MainView_pbx);
      dragLines_[k]->setObjectName(QLatin1String(names[k]));
    }
  PlaceRectangle(dragLines_, Graphics.AreaGeom[i].Start, Graphics.DragBoxWidth,
                 Graphics.DragBoxHeight);
  for (LineElement* line : dragLines_) line->show();
}

void LineArray_frm::MainView_pbx_MouseMove(Qt::MouseButtons held, QPointF at) {
  // Only with the left button alone; the picture itself is not redrawn.
  if (held != Qt::LeftButton || Graphics.DragActive == 0) return;
  PlaceRectangle(dragLines_, DragOrigin(Graphics, Scene(at)), Graphics.DragBoxWidth,
                 Graphics.DragBoxHeight);
}

void LineArray_frm::MainView_pbx_MouseUp(Qt::MouseButton button, Qt::MouseButtons, QPointF at) {
  if (button != Qt::LeftButton) return;
  const int area = DropArea(Data.Project, Graphics, Scene(at));
  if (area < 0) return;
  MarkModified();
  // A place set by hand is as fine as the entries show it: the area lands on the two
  // decimals shown in the current unit. Its length stays exactly as it was.
  ProjectData& p = Data.Project;
  const UnitFactors unit = LengthFactors(IsFeet(p.Units));
  for (float* value : {&p.AreaDistance[area], &p.AreaHeight1[area], &p.AreaHeight2[area]})
    *value = StoredNumber(ShownText(*value, unit), unit.toModel);
  WriteControls();
  RedrawAll();
  for (LineElement* line : dragLines_) line->hide();  // made when the area was picked up
}

void LineArray_frm::ShowSideMenu(QPointF at) {
  menuPoint_ = Scene(at);
  if (sideMenu_ == nullptr) {
    sideMenu_ = new QMenu(this);
    sideMenu_->setObjectName(QStringLiteral("SideView_men"));
    QAction* here = sideMenu_->addAction(QStringLiteral("Response Here"));
    here->setObjectName(QStringLiteral("ResponseHere_men"));
    connect(here, &QAction::triggered, this, &LineArray_frm::ResponseHere_men_Click);
  }
  sideMenu_->popup(QCursor::pos());
}

void LineArray_frm::ResponseHere_men_Click() {
  // One response window at a time: a new point moves it there.
  if (response_ == nullptr) response_ = new Response_frm(this);
  response_->ShowAt(menuPoint_, Data.Project, Graphics, Constants);
}

}  // namespace tarnwick
