#include "ui/panels/DrawingSurface.h"

#include <QMouseEvent>
#include <QPaintEvent>

namespace tarnwick {

DrawingSurface::DrawingSurface(QWidget* parent) : QWidget(parent) {
  setContentsMargins(1, 1, 1, 1);  // a thin border around the inner area
  setAttribute(Qt::WA_OpaquePaintEvent);
}

DrawingSurface::~DrawingSurface() = default;

void DrawingSurface::SetRightMargin(int pixels) {
  if (pixels == RightMargin()) return;
  setContentsMargins(1, 1, 1 + pixels, 1);
  update();
}

bool DrawingSurface::OnPicture(QPointF at) const {
  return QRectF(QPointF(0, 0), QSizeF(InnerSize())).contains(ToPixels(at.x(), at.y()));
}

void DrawingSurface::mousePressEvent(QMouseEvent* event) {
  emit MouseDown(event->button(), event->buttons(),
                 ToUser(event->position() - contentsRect().topLeft()));
}

void DrawingSurface::mouseMoveEvent(QMouseEvent* event) {
  emit MouseMove(event->buttons(), ToUser(event->position() - contentsRect().topLeft()));
}

void DrawingSurface::mouseReleaseEvent(QMouseEvent* event) {
  emit MouseUp(event->button(), event->buttons(),
               ToUser(event->position() - contentsRect().topLeft()));
}

void DrawingSurface::paintEvent(QPaintEvent*) {
  const QImage& image = Image();  // pending drawing finished, at the current size
  QPainter painter(this);
  // The picture is opaque: copied, not blended, onto the window.
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  painter.drawImage(contentsRect().topLeft(), image);
  painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
  const QRect inner = contentsRect();
  if (inner.right() + 2 < width()) {
    // The margin beside the picture, white like it, parted from it by a line.
    painter.fillRect(QRect(inner.right() + 1, 1, width() - inner.right() - 2, height() - 2),
                     Qt::white);
    painter.fillRect(QRect(inner.right() + 1, 1, 1, height() - 2), QColor(192, 192, 192));
  }
  // The border after the picture, as filled strips of whole logical pixels:
  // a one-pixel pen at a scale factor of 2 covers only the outer device
  // row, and the row inside it would keep whatever was on screen before.
  const QColor edge(128, 128, 128);
  const int w = width();
  const int h = height();
  painter.fillRect(QRect(0, 0, w, 1), edge);
  painter.fillRect(QRect(0, h - 1, w, 1), edge);
  painter.fillRect(QRect(0, 0, 1, h), edge);
  painter.fillRect(QRect(w - 1, 0, 1, h), edge);
}

}  // namespace tarnwick
