#include "ui/panels/TypedNumbers.h"

#include <QAction>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>

#include "ui/panels/Controls.h"

namespace tarnwick {

bool IsMenuShortcut(const QWidget* window, const QKeyEvent* key) {
  const QKeySequence pressed(key->keyCombination());
  for (const QAction* entry : window->findChildren<QAction*>())
    if (entry->shortcuts().contains(pressed)) return true;
  return false;
}

void TypedNumbers::WatchNumber(QLineEdit* box, UnitOf unit) {
  numbers_[box] = std::move(unit);
  box->installEventFilter(this);
}

void TypedNumbers::WatchText(QLineEdit* box) { box->installEventFilter(this); }

void TypedNumbers::Tidy(QLineEdit* box, UnitFactors unit) {
  // The box shows what the model holds, as the program writes it: a number the model
  // cannot keep in single precision reads as 0, and so it shows 0. Written so, the text
  // reads back as the value typed, not as its two decimals.
  box->setText(ShownText(StoredNumber(box->text(), unit.toModel), unit));
}

bool TypedNumbers::eventFilter(QObject* watched, QEvent* event) {
  auto* box = qobject_cast<QLineEdit*>(watched);
  if (box == nullptr) return false;
  // Menu shortcuts win over a text box's own keys, but for select all, and
  // undo and redo while the box is being typed in: there the box's own
  // keys work, as in every text box on the desktop.
  if (event->type() == QEvent::ShortcutOverride) {
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool own =
        key->matches(QKeySequence::SelectAll) ||
        (box->isModified() && ((key->matches(QKeySequence::Undo) && box->isUndoAvailable()) ||
                               (key->matches(QKeySequence::Redo) && box->isRedoAvailable())));
    if (!own && IsMenuShortcut(box->window(), key)) return true;
  }
  const auto number = numbers_.find(box);
  if (number == numbers_.end()) return false;
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      box->setModified(false);  // read now: Ctrl+Z undoes the step from here on
      emit Committed();
    }
  } else if (event->type() == QEvent::FocusOut) {
    // Only a move to another control of this window tidies the entry;
    // switching windows or opening a menu leaves it as typed.
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
      emit Committed();  // the value as typed, in full
      Tidy(box, number->second());
    }
  }
  return false;
}

}  // namespace tarnwick
