#pragma once

#include <QObject>
#include <functional>
#include <map>

#include "ui/panels/Controls.h"

class QKeyEvent;
class QLineEdit;

namespace tarnwick {

// Typing into the window's text boxes. Enter in a number box commits it;
// leaving it for another control tidies the text to two decimals and
// commits it. In every watched box the window's menu shortcuts win over
// the box's own keys, but for select all (Ctrl+A).
class TypedNumbers : public QObject {
  Q_OBJECT

 public:
  using UnitOf = std::function<UnitFactors()>;

  explicit TypedNumbers(QObject* parent) : QObject(parent) {}

  // A number box; `unit` gives the factors between the shown unit and the model's.
  void WatchNumber(QLineEdit* box, UnitOf unit);
  // A free text box: only the menu shortcuts are watched.
  void WatchText(QLineEdit* box);

 signals:
  void Committed();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Tidy(QLineEdit* box, UnitFactors unit);

  std::map<const QObject*, UnitOf> numbers_;
};

// True when the key is the shortcut of one of the window's menu entries.
bool IsMenuShortcut(const QWidget* window, const QKeyEvent* key);

}  // namespace tarnwick
