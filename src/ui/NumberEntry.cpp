// Number entry in the six kinds of numeric box, and the unit switch that
// converts the lengths they show.

#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <algorithm>

#include "model/NumberText.h"
#include "ui/LineArrayForm.h"

namespace tarnwick {

QString LineArray_frm::DecimalText(double value) {
  return QString::fromStdString(TwoDecimalText(value, QLocale().decimalPoint().toStdString()));
}

void LineArray_frm::WatchNumberBoxes() {
  for (QLineEdit* box : {Project_tbx, Author_tbx, FloorDistance_tbx, InclinationAngle_tbx})
    box->installEventFilter(this);
  for (int i = 0; i < MaxAreas; ++i)
    for (QLineEdit* box :
         {AreaDistance_tbx[i], AreaLength_tbx[i], AreaHeight1_tbx[i], AreaHeight2_tbx[i]})
      box->installEventFilter(this);
}

void LineArray_frm::Units_cbx_Click() {
  if (!RedrawAllowed()) return;
  const std::string units = Units_cbx->currentText().toStdString();
  if (units == Data.Project.Units) return;
  Data.Project.Units = units;
  // The model keeps metres and is not redrawn; the texts shown change,
  // edits not yet read included, and are read with the new unit next time.
  const double k = IsFeet(units) ? MetresToFeet : FeetToMetres;
  auto convert = [&](QLineEdit* box) {
    box->setText(DecimalText(TextToNumber(box->text().toStdString()) * k));
  };
  for (int i = 0; i < std::clamp(Data.Project.AreasAmount, 0, MaxAreas); ++i) {
    convert(AreaDistance_tbx[i]);
    convert(AreaLength_tbx[i]);
    convert(AreaHeight1_tbx[i]);
    convert(AreaHeight2_tbx[i]);
  }
  convert(FloorDistance_tbx);
}

void LineArray_frm::NumberBox_KeyPressEnter() { RedrawAll(); }

void LineArray_frm::NumberBox_LostFocus(QLineEdit* box) {
  box->setText(DecimalText(TextToNumber(box->text().toStdString())));
  RedrawAll();
}

bool LineArray_frm::eventFilter(QObject* watched, QEvent* event) {
  auto* box = qobject_cast<QLineEdit*>(watched);
  // Menu shortcuts win over a text box's own keys: Ctrl+A saves under a new
  // name rather than selecting the text.
  if (box != nullptr && event->type() == QEvent::ShortcutOverride &&
      IsMenuShortcut(static_cast<QKeyEvent*>(event)))
    return true;
  if (box == Project_tbx || box == Author_tbx) return QMainWindow::eventFilter(watched, event);
  if (box != nullptr && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) NumberBox_KeyPressEnter();
  } else if (box != nullptr && event->type() == QEvent::FocusOut) {
    // Only a move to another control of this window tidies the entry;
    // switching windows or opening a menu leaves it as typed.
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
      NumberBox_LostFocus(box);
  }
  return QMainWindow::eventFilter(watched, event);
}

}  // namespace tarnwick
