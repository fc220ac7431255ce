#pragma once

#include <QDialog>
#include <QIcon>

class QLabel;
class QPushButton;

namespace tarnwick {

// The About box: a fixed-size window with the program's picture, name, version and
// notice. "Ok" hides it; it is shown again as it was.
class About_frm : public QDialog {
  Q_OBJECT

 public:
  explicit About_frm(QWidget* owner);

  // Shows the box centred on the screen; the main window takes no input
  // until it is hidden again. Returns at once: nothing waits on it.
  void ShowModal();

  QLabel* Image1 = nullptr;
  QLabel* About_lbl[3] = {nullptr, nullptr, nullptr};  // name, notice, version
  QPushButton* Ok_cbt = nullptr;
};

// The 207 x 72 picture of the About box: a hung array aiming at a slope.
QPixmap AboutPicture();

// The program's version, as `tarnwick --version` prints it.
QString ProgramVersion();

// The program's icon: the icon theme's where the desktop has one, else the one built into
// the program, so that a bare X server shows it too.
QIcon ProgramIcon();

}  // namespace tarnwick
