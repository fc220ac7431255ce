#pragma once

#include <QAction>
#include <QComboBox>
#include <QFont>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QString>
#include <array>
#include <string>

#include "model/NumberText.h"
#include "model/ProjectData.h"

namespace tarnwick {

// Small factories for the window's controls: each gets its objectName, and
// the lists are pure lists (the user picks, never types).

// A menu command; it reaches the window from any of its controls. `checked`, when given,
// makes it a check mark set so.
inline QAction* AddCommand(QMenu* menu, const char* name, const QString& caption,
                           const QList<QKeySequence>& keys = {}, int checked = -1) {
  QAction* entry = menu->addAction(caption);
  entry->setObjectName(QLatin1String(name));
  entry->setShortcuts(keys);
  entry->setShortcutContext(Qt::WindowShortcut);
  entry->setCheckable(checked >= 0);
  entry->setChecked(checked > 0);
  return entry;
}

inline QComboBox* MakeList(QWidget* parent, const QString& name, const QString& tip = {}) {
  auto* list = new QComboBox(parent);
  list->setObjectName(name);
  list->setToolTip(tip);
  return list;
}

inline QLineEdit* MakeBox(QWidget* parent, const QString& name, const QString& tip = {}) {
  auto* box = new QLineEdit(parent);
  box->setObjectName(name);
  box->setToolTip(tip);
  return box;
}

// The informal face of the window's labels and captions, with a free
// look-alike (and then the default sans) where it is not installed.
inline QFont HandFont(double points, bool bold = false, bool italic = false) {
  // Resolved once to the first family installed: a font naming missing
  // families makes every label search the fallbacks again.
  static const QString family = [] {
    for (const char* name : {"Comic Sans MS", "Comic Neue", "Comic Relief"})
      if (QFontDatabase::hasFamily(QLatin1String(name))) return QString::fromLatin1(name);
    return QStringLiteral("Sans Serif");
  }();
  QFont font(family);
  font.setPointSizeF(points);
  font.setBold(bold);
  font.setItalic(italic);
  return font;
}

inline QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& caption) {
  auto* label = new QLabel(caption, parent);
  label->setObjectName(name);
  label->setFont(HandFont(8.25));
  return label;
}

template <std::size_t N>
QStringList Texts(const std::array<std::string, N>& entries) {
  QStringList texts;
  texts.reserve(int(N));
  for (const auto& entry : entries) texts.append(QString::fromStdString(entry));
  return texts;
}

template <std::size_t N>
void Fill(QComboBox* list, const std::array<std::string, N>& entries) {
  list->addItems(Texts(entries));
}

// Name of element `index` of a control array, such as "Angle_cbx(3)".
inline QString Indexed(const char* name, int index) {
  return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(index);
}

// The face of buttons, lists and boxes: the toolkit's default family at 8
// points, the size the control widths were made for. The menus and
// dialogs use that family anyway, so it costs no further font to load.
inline QFont PlainFont() {
  QFont font;
  font.setPointSizeF(8.0);
  return font;
}

// Two-decimal text with the user's decimal separator, as number boxes show values.
inline QString DecimalText(double value) {
  return QString::fromStdString(TwoDecimalText(value, QLocale().decimalPoint().toStdString()));
}

// What a number box holds, as its text reads (non-numbers 0).
inline double BoxNumber(const QLineEdit* box) { return TextToNumber(box->text().toStdString()); }

// A number box's text as the model stores it: times the unit factor, in
// single precision, and 0 when it lies beyond that range.
inline float StoredNumber(const QString& text, double toModel) {
  return ToStoredSingle(TextToNumber(text.toStdString()) * toModel);
}

// The factors between a box's unit and the model's (metres, degrees).
struct UnitFactors {
  double toModel = 1.0;
  double fromModel = 1.0;
};
inline UnitFactors LengthFactors(bool feet) {
  return feet ? UnitFactors{FeetToMetres, MetresToFeet} : UnitFactors{};
}

// The text the program writes into a number box for a model value.
inline QString ShownText(float value, UnitFactors unit) {
  return DecimalText(static_cast<float>(double(value) * unit.fromModel));
}

// What a number box stands for: while it still shows `current` as the program writes it,
// `current` itself, so that a value is never rounded to the decimals it is shown with
// (nor moved by a unit's round trip); otherwise what the user typed.
inline float ReadNumber(const QString& text, float current, UnitFactors unit) {
  return text == ShownText(current, unit) ? current : StoredNumber(text, unit.toModel);
}

// A box's text when its unit changes from `from` to `to`: a value the program wrote is
// written again from the model, an edit not yet read is converted as typed.
inline QString ConvertedText(const QString& text, float current, UnitFactors from, UnitFactors to) {
  if (text == ShownText(current, from)) return ShownText(current, to);
  return DecimalText(TextToNumber(text.toStdString()) * from.toModel * to.fromModel);
}

// Caption of a panel's toggle button for the panel's state.
inline QString SetupCaption(bool expanded) {
  return expanded ? QStringLiteral("Hide Setup") : QStringLiteral("Show Setup");
}

}  // namespace tarnwick
