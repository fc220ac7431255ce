#pragma once

#include <QObject>
#include <QPointF>

#include "geometry/ArrayGeometry.h"
#include "model/ProjectData.h"

class QLabel;
class QMainWindow;

namespace tarnwick {

class CoverageLayer;
class DrawingSurface;

// The readout under the cursor: a label kept at the right of the window's status bar
// (status tips do not hide it) that tells where the cursor is in the side view, from the
// mounting point and the floor, the map's level there when the map is shown, the area under
// it and, while an area is dragged, where it will be dropped.
class SectionReadout : public QObject {
  Q_OBJECT

 public:
  // The project and the geometry are the window's own, read at every move.
  SectionReadout(QMainWindow& window, DrawingSurface* side, const ProjectData& project,
                 const Graphics& graphics, const CoverageLayer& coverage);

  // The text for the cursor at scene point `at` (metres).
  QString TextAt(QPointF at) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  DrawingSurface* side_;
  const ProjectData& project_;
  const Graphics& graphics_;
  const CoverageLayer& coverage_;
  QLabel* label_;
};

}  // namespace tarnwick
