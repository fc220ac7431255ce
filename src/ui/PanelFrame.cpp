#include "ui/PanelFrame.h"

#include <QPainter>
#include <QStyleOptionGroupBox>
#include <QStylePainter>

#include "ui/Controls.h"

namespace tarnwick {

PanelFrame::PanelFrame(const QString& caption, const QColor& captionColour, QWidget* parent)
    : QGroupBox(caption, parent),
      captionFont_(HandFont(9, true, true)),
      captionColour_(captionColour) {}

void PanelFrame::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  QStyleOptionGroupBox option;
  initStyleOption(&option);
  painter.setFont(captionFont_);
  option.fontMetrics = QFontMetrics(captionFont_);
  option.textColor = captionColour_;
  painter.drawComplexControl(QStyle::CC_GroupBox, option);
}

}  // namespace tarnwick
