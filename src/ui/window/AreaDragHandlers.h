#pragma once

#include <QObject>
#include <QPointF>
#include <array>
#include <functional>

#include "geometry/ArrayGeometry.h"
#include "geometry/PlaneVector.h"
#include "model/ProjectData.h"

namespace tarnwick {

class DrawingSurface;
class LineArray_frm;
class LineElement;

// The mouse in the side view. Moving a listener area with the left button: press picks it
// up and shows a rectangle, moving drags the rectangle, release drops the area. The right
// button asks for the side view's menu at that point.
class AreaDragHandlers : public QObject {
  Q_OBJECT

 public:
  // The drag state lives in the window's geometry record, which the handlers change.
  AreaDragHandlers(LineArray_frm& window, DrawingSurface* side, Graphics& graphics,
                   std::function<void(PlaneVector)> sideMenu);

  void MainView_pbx_MouseDown(Qt::MouseButton button, Qt::MouseButtons held, QPointF at);
  void MainView_pbx_MouseMove(Qt::MouseButtons held, QPointF at);
  void MainView_pbx_MouseUp(Qt::MouseButton button, Qt::MouseButtons held, QPointF at);

 private:
  LineArray_frm& window_;
  DrawingSurface* side_;
  Graphics& graphics_;
  std::function<void(PlaneVector)> sideMenu_;
  std::array<LineElement*, 4> lines_{};  // RightLine, LeftLine, LowerLine, UpperLine
};

}  // namespace tarnwick
