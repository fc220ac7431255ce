#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace tarnwick {

// The About box: a fixed-size window with the program's picture, name and
// notice. "Ok" hides it; it is shown again as it was.
class About_frm : public QDialog {
  Q_OBJECT

 public:
  explicit About_frm(QWidget* owner);

  // Shows the box centred on the screen; the main window takes no input
  // until it is hidden again. Returns at once: nothing waits on it.
  void ShowModal();

  QLabel* Image1 = nullptr;
  QLabel* About_lbl[2] = {nullptr, nullptr};
  QPushButton* Ok_cbt = nullptr;
};

// The 207 x 72 picture of the About box: a hung array aiming at a slope.
QPixmap AboutPicture();

}  // namespace tarnwick
