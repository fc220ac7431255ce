#pragma once

#include <QObject>
#include <QPointF>
#include <functional>
#include <optional>

#include "geometry/ArrayGeometry.h"
#include "model/ProjectData.h"
#include "views/SideView.h"

class QMenu;

namespace tarnwick {

class DrawingSurface;

// Zoom and pan in the side view, always to scale. The wheel zooms about the cursor, Ctrl+=
// and Ctrl+- about the middle; the middle button, or the left with Space held, drags the
// section along. View › Fit Design shows the array and every area in use, Designed View the
// scene's own extents. Only the view moves: the project is neither changed nor marked, and
// nothing becomes an undo step.
class SectionNavigator : public QObject {
  Q_OBJECT

 public:
  // `redraw` draws the pictures again; the project and the geometry are the window's own.
  SectionNavigator(DrawingSurface* side, const ProjectData& project, const Graphics& graphics,
                   std::function<void()> redraw);

  // Adds the View menu's commands.
  void AddTo(QMenu* menu);
  // The view to draw, none for the designed one.
  const std::optional<ViewWindow>& View() const { return view_; }

  // Zooms by `factor` about logical pixel `at` of the side view's inner area, which keeps
  // the scene point under it; within LeastZoom ... MostZoom pixels per metre.
  void ZoomAbout(QPointF at, double factor);
  void FitToDesign();
  void DesignedView();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The view as drawn now, whichever it is.
  ViewWindow Current() const;
  bool Mouse(QEvent* event);

  DrawingSurface* side_;
  const ProjectData& project_;
  const Graphics& graphics_;
  std::function<void()> redraw_;
  std::optional<ViewWindow> view_;
  bool spaceHeld_ = false;
  std::optional<QPointF> panFrom_;  // while the section is dragged along
};

}  // namespace tarnwick
