#include "ui/tools/CloseButton.h"

#include <QPushButton>
#include <QShortcut>

namespace tarnwick {

QPushButton* MakeCloseButton(QWidget* window, const char* name) {
  // No mnemonic: Escape is its key, and the windows' other buttons hold the letters.
  auto* close = new QPushButton(QStringLiteral("Close"), window);
  close->setObjectName(QLatin1String(name));
  QObject::connect(close, &QPushButton::clicked, window, &QWidget::close);
  // A tool window is no dialog, which would close on Escape by itself.
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), window);
  escape->setObjectName(QStringLiteral("CloseOnEscape"));
  QObject::connect(escape, &QShortcut::activated, window, &QWidget::close);
  return close;
}

}  // namespace tarnwick
