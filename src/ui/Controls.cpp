#include "ui/Controls.h"

#include <QGroupBox>

namespace tarnwick {

void StylePanel(QWidget* frame, const QColor& captionColour) {
  frame->setFont(HandFont(9, true, true));
  frame->setStyleSheet(QStringLiteral("QGroupBox#%1::title { color: %2; }")
                           .arg(frame->objectName(), captionColour.name()));
  for (QWidget* child : frame->findChildren<QWidget*>())
    if (qobject_cast<QLabel*>(child) == nullptr) child->setFont(PlainFont());
}

}  // namespace tarnwick
