#include "ui/panels/SectionReadout.h"

#include <QEvent>
#include <QLabel>
#include <QLocale>
#include <QMainWindow>
#include <QStatusBar>

#include "geometry/SectionPoint.h"
#include "ui/panels/CoverageLayer.h"
#include "ui/panels/DrawingSurface.h"
#include "views/Readout.h"

namespace tarnwick {

namespace {

PlaneVector Scene(QPointF at) { return {float(at.x()), float(at.y())}; }

}  // namespace

SectionReadout::SectionReadout(QMainWindow& window, DrawingSurface* side,
                               const ProjectData& project, const Graphics& graphics,
                               const CoverageLayer& coverage)
    : QObject(&window), side_(side), project_(project), graphics_(graphics), coverage_(coverage) {
  QStatusBar* bar = window.statusBar();
  bar->setObjectName(QStringLiteral("Status_sbr"));
  label_ = new QLabel(bar);
  label_->setObjectName(QStringLiteral("Readout_lbl"));
  bar->addPermanentWidget(label_);
  connect(side, &DrawingSurface::MouseMove, this, [this](Qt::MouseButtons, QPointF at) {
    // The margin beside the picture (the colour bar's) is not part of the section.
    if (side_->OnPicture(at) || graphics_.DragActive != 0)
      label_->setText(TextAt(at));
    else
      label_->clear();
  });
  side->setMouseTracking(true);  // moves without a button held too
  side->installEventFilter(this);
}

QString SectionReadout::TextAt(QPointF at) const {
  const ReadoutStyle style{IsFeet(project_.Units), QLocale().decimalPoint()};
  AreaPlace place;
  if (DraggedAreaPlace(project_, graphics_, Scene(at), place)) return DropText(place, style);
  std::optional<ReadoutLevel> level;
  if (coverage_.Shown())
    if (const std::optional<float> heard = coverage_.LevelAt(Scene(at)))
      level = ReadoutLevel{*heard, coverage_.Band()};
  return ReadoutText(MeasureAt(project_, graphics_, Scene(at)), level, style);
}

bool SectionReadout::eventFilter(QObject* watched, QEvent* event) {
  // Nothing to tell once the cursor has left the section.
  if (watched == side_ && event->type() == QEvent::Leave) label_->clear();
  return QObject::eventFilter(watched, event);
}

}  // namespace tarnwick
