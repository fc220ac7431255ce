#include "ui/panels/LineElement.h"

#include <QPainter>
#include <cmath>

#include "ui/panels/DrawingSurface.h"

namespace tarnwick {

LineElement::LineElement(DrawingSurface* picture) : QWidget(picture), picture_(picture) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setAttribute(Qt::WA_NoSystemBackground);
  hide();
}

void LineElement::SetEnds(double x1, double y1, double x2, double y2) {
  // Ends in the picture's widget pixels, kept within a margin around it so
  // that a line far outside never makes a huge widget.
  const QRectF inner = picture_->contentsRect();
  const QRectF bounds = inner.adjusted(-4, -4, 4, 4);
  QPointF a = picture_->ToPixels(x1, y1) + inner.topLeft();
  QPointF b = picture_->ToPixels(x2, y2) + inner.topLeft();
  if (!ClipSegment(a, b, bounds)) a = b = QPointF(-10, -10);
  from_ = a;
  to_ = b;
  const QRect box = QRectF(a, b).normalized().toAlignedRect().adjusted(-1, -1, 1, 1);
  setGeometry(box);
  update();
}

void LineElement::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(QPen(Qt::black, 1));
  painter.drawLine(from_ - pos(), to_ - pos());
}

}  // namespace tarnwick
