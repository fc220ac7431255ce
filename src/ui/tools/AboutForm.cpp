#include "ui/tools/AboutForm.h"

#include <QDate>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>

#include "ui/panels/Controls.h"
#include "ui/panels/Twips.h"

namespace tarnwick {

QString ProgramVersion() { return QStringLiteral(TARNWICK_VERSION); }

QIcon ProgramIcon() {
  // The sizes the desktop installs, for the window manager to pick from.
  QIcon own;
  for (const int size : {16, 32, 48, 64, 128, 256})
    own.addFile(QStringLiteral(":/icons/%1x%1/com.quenvar.Tarnwick.png").arg(size));
  return QIcon::fromTheme(QStringLiteral("com.quenvar.Tarnwick"), own);
}

QPixmap AboutPicture() {
  QPixmap picture(207, 72);
  picture.fill(QColor(224, 224, 224));
  QPainter p(&picture);
  p.setRenderHint(QPainter::Antialiasing);
  // A curved array of six boxes on the left, its rays reaching a slope.
  const QPointF top(22, 8);
  QPen outline(Qt::black, 1);
  for (int i = 0; i < 6; ++i) {
    p.save();
    p.translate(top);
    p.rotate(4.0 * i * i / 2.0);
    p.translate(0, 9.5 * i);
    p.setPen(outline);
    p.setBrush(QColor(250, 250, 250));
    p.drawRect(QRectF(-12, 0, 12, 9));
    p.setPen(QPen(QColor(128, 0, 0), 1));
    const QPointF source(0, 4.5);
    p.drawLine(source, source + QPointF(150, 10 + 9.0 * i));
    p.restore();
  }
  p.setPen(QPen(Qt::black, 2));
  p.drawLine(QPointF(70, 66), QPointF(200, 44));
  p.setBrush(QColor(128, 0, 0));
  p.setPen(Qt::NoPen);
  p.drawEllipse(QPointF(18, 6), 2.5, 2.5);
  return picture;
}

About_frm::About_frm(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint) {
  setObjectName(QStringLiteral("About_frm"));
  setWindowTitle(QStringLiteral("About"));
  setFixedSize(TwipsToPixels(4680), TwipsToPixels(3090));
  setWindowModality(Qt::ApplicationModal);

  Image1 = new QLabel(this);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->setPixmap(AboutPicture());
  Image1->setScaledContents(true);  // stretched to its frame
  PlaceTwips(Image1, 660, 180, 3255, 1200);

  About_lbl[0] = new QLabel(QStringLiteral("Quenvar Tarnwick"), this);
  About_lbl[0]->setObjectName(QStringLiteral("About_lbl(0)"));
  About_lbl[0]->setFont(HandFont(9.75, true));
  About_lbl[1] = new QLabel(
      QStringLiteral("Copyright %1 the Tarnwick developers").arg(QDate::currentDate().year()),
      this);
  About_lbl[1]->setObjectName(QStringLiteral("About_lbl(1)"));
  About_lbl[1]->setFont(HandFont(8.25));
  About_lbl[2] = new QLabel(QStringLiteral("Version ") + ProgramVersion(), this);
  About_lbl[2]->setObjectName(QStringLiteral("About_lbl(2)"));
  About_lbl[2]->setFont(HandFont(8.25));
  for (QLabel* label : About_lbl) label->setAlignment(Qt::AlignCenter);
  // The name, the version below it, then the notice.
  PlaceTwips(About_lbl[0], 960, 1500, 2685, 255);
  PlaceTwips(About_lbl[2], 660, 1785, 3255, 255);
  PlaceTwips(About_lbl[1], 660, 2070, 3255, 255);

  Ok_cbt = new QPushButton(QStringLiteral("Ok"), this);
  Ok_cbt->setObjectName(QStringLiteral("Ok_cbt"));
  PlaceTwips(Ok_cbt, 1800, 2460, 1095, 375);
  connect(Ok_cbt, &QPushButton::clicked, this, &QDialog::hide);
}

void About_frm::ShowModal() {
  if (const QScreen* s = parentWidget() ? parentWidget()->screen() : screen())
    move(s->availableGeometry().center() - rect().center());
  show();
  raise();
  activateWindow();
}

}  // namespace tarnwick
