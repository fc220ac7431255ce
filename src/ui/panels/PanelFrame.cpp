#include "ui/panels/PanelFrame.h"

#include <QPainter>

#include "ui/panels/Controls.h"

namespace tarnwick {

PanelFrame::PanelFrame(const QString& caption, const QColor& captionColour, QWidget* parent)
    : QGroupBox(caption, parent),
      captionFont_(HandFont(9, true, true)),
      captionColour_(captionColour) {}

void PanelFrame::paintEvent(QPaintEvent*) {
  // The caption on the top line and an etched frame below it, drawn
  // directly: the style's group box lays out and measures its title anew
  // on every paint, which made the panels the costliest part of the
  // window's first frame.
  QPainter painter(this);
  const QFontMetrics metrics(captionFont_);
  const int top = metrics.height() + 1;
  const QRect frame = rect().adjusted(0, top, -2, -2);
  painter.setPen(palette().color(QPalette::Mid));
  painter.drawRect(frame);
  painter.setPen(palette().color(QPalette::Light));
  painter.drawRect(frame.translated(1, 1));
  painter.setFont(captionFont_);
  painter.setPen(captionColour_);
  painter.drawText(QPoint(1, metrics.ascent()), title());
}

}  // namespace tarnwick
