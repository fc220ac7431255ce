#pragma once

#include <QWidget>

namespace tarnwick {

class DrawingSurface;

// A line lying over a picture, placed by its two ends in the picture's user
// coordinates. It is drawn in the default line colour and width and lets
// the mouse through to the picture below.
class LineElement : public QWidget {
  Q_OBJECT

 public:
  explicit LineElement(DrawingSurface* picture);

  void SetEnds(double x1, double y1, double x2, double y2);
  QPointF From() const { return from_; }  // ends in the picture's pixels
  QPointF To() const { return to_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  DrawingSurface* picture_;
  QPointF from_;
  QPointF to_;
};

}  // namespace tarnwick
