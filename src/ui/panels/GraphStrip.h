#pragma once

#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "acoustics/ModuleData.h"
#include "acoustics/SplPrediction.h"
#include "geometry/ArrayGeometry.h"
#include "model/ProjectData.h"
#include "ui/panels/DrawingSurface.h"
#include "ui/panels/HeadStart.h"
#include "views/SplGraph.h"

class QComboBox;
class QPushButton;

namespace tarnwick {

// The level graph strip below the side view. While shown it predicts the level along the
// chosen area, or every area in use, in the chosen band or broadband, from the project and
// geometry of the last redraw, and draws it labelled; "Calculate Response" does the same
// on demand. Its controls are made the first time it is shown; most sessions never show
// it. The top edge is a handle that drags the strip taller.

// The strip's drag handle: an invisible band over its top border line and a few pixels
// either side of it, above the gap to the side view, with the resize cursor.
class EdgeHandle : public QWidget {
 public:
  // `dragged` takes the strip's wanted height in pixels.
  EdgeHandle(QWidget* strip, std::function<void(int)> dragged);
  // Follows the strip's place and visibility.
  bool eventFilter(QObject* watched, QEvent* event) override;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QWidget* strip_;
  std::function<void(int)> dragged_;
  std::optional<int> dragFrom_;  // height plus press position while dragged
};

class GraphStrip : public DrawingSurface {
  Q_OBJECT

 public:
  GraphStrip(QWidget* parent, const ProjectData& project, const Graphics& graphics,
             const Constants& constants);

  // "Area 1" ... for the areas in use, then "All Areas"; the choice stays where it can.
  void OfferAreas(int areas);
  void Calc_cbt_Click();
  // Predicts again and repaints, when shown; the window calls it whenever the design
  // changed.
  void Refresh();
  // Starts predicting the design of the redraw under way on a thread of its own, when
  // shown, while the pictures are drawn; the Refresh that follows takes the curves.
  void Prepare();
  // Shades around each curve what a rigging error would make of it.
  void ShowTolerance(bool shown);

  // The curves shown.
  const std::vector<LevelCurve>& Curves() const { return curves_; }
  // The band or broadband sum the graph shows.
  int Band() const;
  // What the graph says besides its curves.
  GraphText Text() const;

 signals:
  // The curves were predicted anew.
  void Predicted();
  // The user drags the top edge: the strip's wanted height in pixels.
  void HeightDragged(int pixels);

 protected:
  void showEvent(QShowEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  void BuildControls();
  QRectF GraphBounds() const;

  const ProjectData& project_;
  const Graphics& graphics_;
  const Constants& constants_;
  int areas_ = MaxAreas;
  bool tolerance_ = false;
  QComboBox* area_ = nullptr;
  QComboBox* band_ = nullptr;
  QWidget* controlsRight_ = nullptr;  // the widest of the controls on the left
  std::vector<LevelCurve> curves_;
  // Curves Prepare started, with what they were predicted for.
  struct Prediction {
    ProjectData project;
    int chosen = 0, band = 0;
    bool tolerance = false;
    std::vector<LevelCurve> curves;
  };
  HeadStart<Prediction> pending_;
  std::optional<std::pair<std::size_t, std::size_t>> hovered_;
};

}  // namespace tarnwick
