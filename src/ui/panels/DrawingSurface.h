#pragma once

#include <QWidget>

#include "views/Canvas.h"

namespace tarnwick {

// A picture in the window: shows its canvas's retained drawing inside a thin border, and
// painting only shows that image. The canvas takes the widget's inner size, pixel ratio
// and font; mouse events come out in the canvas's user coordinates.
class DrawingSurface : public QWidget, public Canvas {
  Q_OBJECT

 public:
  explicit DrawingSurface(QWidget* parent = nullptr);
  ~DrawingSurface() override;

  QSize InnerSize() const override { return contentsRect().size(); }
  qreal PixelRatio() const override { return devicePixelRatioF(); }
  QFont TextFont() const override { return font(); }
  QSize OuterSize() const override { return size(); }

  // Keeps a strip of `pixels` at the right, outside the picture, for what goes beside it
  // (the colour bar): the picture, its scale and the mouse's positions leave it out.
  void SetRightMargin(int pixels);
  int RightMargin() const { return contentsMargins().right() - 1; }
  // Whether a point in user coordinates lies on the picture.
  bool OnPicture(QPointF at) const;

 signals:
  // Mouse events with the position in user coordinates: the button that
  // changed and the buttons held.
  void MouseDown(Qt::MouseButton button, Qt::MouseButtons held, QPointF at);
  void MouseMove(Qt::MouseButtons held, QPointF at);
  void MouseUp(Qt::MouseButton button, Qt::MouseButtons held, QPointF at);

 protected:
  void DrawingChanged() override { update(); }
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace tarnwick
