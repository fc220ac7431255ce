#include "ui/tools/ResponseForm.h"

#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QVBoxLayout>
#include <cmath>

#include "acoustics/LevelEngine.h"
#include "model/ProjectRules.h"
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
  layout->addWidget(broadband_);
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
  const QRectF area(8, where_->geometry().bottom() + 8, width() - 16,
                    broadband_->geometry().top() - where_->geometry().bottom() - 16);
  DrawBandLevels(painter, area, levels_, QLocale().decimalPoint());
}

}  // namespace tarnwick
