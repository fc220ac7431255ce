#include "ui/tools/ResponseForm.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "acoustics/LevelEngine.h"
#include "model/ProjectRules.h"
#include "ui/tools/CloseButton.h"
#include "views/SplGraph.h"

namespace tarnwick {

namespace {

QString Decimal(double value, int decimals) { return QLocale().toString(value, 'f', decimals); }

}  // namespace

Response_frm::Response_frm(QWidget* owner) : QWidget(owner, Qt::Window) {
  setObjectName(QStringLiteral("Response_frm"));
  setWindowTitle(QStringLiteral("Response"));
  setMinimumSize(360, 260);
  resize(440, 320);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 8, 8, 8);
  where_ = new QLabel(this);
  where_->setObjectName(QStringLiteral("ResponsePoint_lbl"));
  where_->setWordWrap(true);
  broadband_ = new QLabel(this);
  broadband_->setObjectName(QStringLiteral("ResponseBroadband_lbl"));
  layout->addWidget(where_);
  layout->addStretch(1);  // the graph is painted here
  close_ = MakeCloseButton(this, "ResponseClose_cbt");
  auto* foot = new QHBoxLayout;
  foot->addWidget(broadband_, 1);
  foot->addWidget(close_, 0, Qt::AlignBottom);
  layout->addLayout(foot);
}

void Response_frm::ShowAt(PlaneVector point, const ProjectData& project, const Graphics& graphics,
                          const Constants& constants) {
  point_ = point;
  Follow(project, graphics, constants);
  show();
  raise();
}

void Response_frm::Follow(const ProjectData& project, const Graphics& graphics,
                          const Constants& constants) {
  levels_ = LevelEngine(project, graphics, constants).Spectrum(point_);
  feet_ = IsFeet(project.Units);
  const double unit = feet_ ? double(MetresToFeet) : 1.0;
  const QString name = feet_ ? QStringLiteral("ft") : QStringLiteral("m");
  const double distance = std::hypot(double(point_.X) - graphics.MountingPoint.X,
                                     double(point_.Y) - graphics.MountingPoint.Y);
  where_->setText(QStringLiteral("Point %1 %4 from the array, %2 %4 up, %3 %4 from the mounting "
                                 "point")
                      .arg(Decimal(FromMountingPoint(point_.X) * unit, 2),
                           Decimal(point_.Y * unit, 2), Decimal(distance * unit, 2), name));
  const auto level = [](float dB) {
    return dB > SPLFloor ? Decimal(dB, 1) + QStringLiteral(" dB") : QStringLiteral("none");
  };
  QString broadband = QStringLiteral("Broadband %1     Broadband (A) %2")
                          .arg(level(levels_[BroadbandChoice]), level(levels_[BroadbandAChoice]));
  const std::string model =
      PredictionLabel(project.Prediction, QLocale().decimalPoint().toStdString());
  if (!model.empty())
    broadband += QStringLiteral("\nPredicted with ") + QString::fromStdString(model);
  broadband_->setText(broadband);
  update();
}

void Response_frm::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  // Between the point's line and the foot, whichever of its label and button reaches higher.
  const int top = where_->geometry().bottom();
  const int foot = std::min(broadband_->geometry().top(), close_->geometry().top());
  const QRectF area(8, top + 8, width() - 16, foot - top - 16);
  DrawBandLevels(painter, area, levels_, QLocale().decimalPoint());
}

}  // namespace tarnwick
