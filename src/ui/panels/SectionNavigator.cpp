#include "ui/panels/SectionNavigator.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "ui/panels/Controls.h"
#include "ui/panels/DrawingSurface.h"

namespace tarnwick {

namespace {

constexpr double Step = 1.25;  // zoom factor of a wheel notch or a key press

}  // namespace

SectionNavigator::SectionNavigator(DrawingSurface* side, const ProjectData& project,
                                   const Graphics& graphics, std::function<void()> redraw)
    : QObject(side),
      side_(side),
      project_(project),
      graphics_(graphics),
      redraw_(std::move(redraw)) {
  side->setFocusPolicy(Qt::ClickFocus);
  side->installEventFilter(this);
  // Space is held wherever the focus is, but for typing in a box (see eventFilter).
  qApp->installEventFilter(this);
}

void SectionNavigator::AddTo(QMenu* menu) {
  // F alone is a letter anywhere else: it fits the design only where the side view has the
  // focus (a click in it gives it), never while a box is typed in.
  QAction* fit = AddCommand(menu, "FitDesign_men", QStringLiteral("&Fit Design"), {Qt::Key_F});
  fit->setShortcutContext(Qt::WidgetShortcut);
  side_->addAction(fit);
  connect(fit, &QAction::triggered, this, &SectionNavigator::FitToDesign);
  connect(AddCommand(menu, "DesignedView_men", QStringLiteral("&Designed View"),
                     {QKeySequence(Qt::CTRL | Qt::Key_0)}),
          &QAction::triggered, this, &SectionNavigator::DesignedView);
  menu->addSeparator();
  const auto middle = [this] {
    return QPointF(side_->InnerSize().width() / 2.0, side_->InnerSize().height() / 2.0);
  };
  connect(
      AddCommand(menu, "ZoomIn_men", QStringLiteral("Zoom &In"),
                 {QKeySequence(Qt::CTRL | Qt::Key_Equal), QKeySequence(Qt::CTRL | Qt::Key_Plus)}),
      &QAction::triggered, this, [this, middle] { ZoomAbout(middle(), Step); });
  connect(AddCommand(menu, "ZoomOut_men", QStringLiteral("Zoom &Out"),
                     {QKeySequence(Qt::CTRL | Qt::Key_Minus)}),
          &QAction::triggered, this, [this, middle] { ZoomAbout(middle(), 1.0 / Step); });
}

ViewWindow SectionNavigator::Current() const {
  const double width = side_->InnerSize().width();
  const double scale = width > 0 && side_->ScaleWidth() > 0 ? width / side_->ScaleWidth() : 1.0;
  return {side_->ScaleLeft(), side_->ScaleTop(), scale};
}

void SectionNavigator::ZoomAbout(QPointF at, double factor) {
  const ViewWindow now = Current();
  const QPointF held = side_->ToUser(at);
  const double scale = std::clamp(now.PixelsPerMetre * factor, LeastZoom, MostZoom);
  view_ = ViewWindow{held.x() - at.x() / scale, held.y() + at.y() / scale, scale};
  redraw_();
}

void SectionNavigator::FitToDesign() {
  // Right of the zoom view where it is shown over the section's left.
  const auto* zoom = side_->findChild<QWidget*>(QStringLiteral("ZoomView_pbx"));
  const int reserved = zoom != nullptr && zoom->isVisible() ? zoom->geometry().right() + 1 : 0;
  view_ = tarnwick::FitDesign(project_, graphics_, side_->InnerSize(), reserved);
  redraw_();
}

void SectionNavigator::DesignedView() {
  view_.reset();
  redraw_();
}

bool SectionNavigator::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if ((type == QEvent::KeyPress || type == QEvent::KeyRelease) &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space &&
      !static_cast<QKeyEvent*>(event)->isAutoRepeat())
    spaceHeld_ = type == QEvent::KeyPress;
  if (watched != side_) return QObject::eventFilter(watched, event);
  if (type == QEvent::Wheel) {
    const auto* wheel = static_cast<QWheelEvent*>(event);
    const double notches = wheel->angleDelta().y() / 120.0;
    if (notches != 0.0)
      ZoomAbout(wheel->position() - side_->contentsRect().topLeft(), std::pow(Step, notches));
    return true;
  }
  if (type == QEvent::MouseButtonPress || type == QEvent::MouseMove ||
      type == QEvent::MouseButtonRelease)
    return Mouse(event);
  return QObject::eventFilter(watched, event);
}

bool SectionNavigator::Mouse(QEvent* event) {
  const auto* mouse = static_cast<QMouseEvent*>(event);
  const QPointF at = mouse->position();
  switch (event->type()) {
    case QEvent::MouseButtonPress:
      // The middle button, or the left with Space held, takes the section along; the left
      // alone is the area drag's.
      if (mouse->button() != Qt::MiddleButton && !(mouse->button() == Qt::LeftButton && spaceHeld_))
        return false;
      panFrom_ = at;
      return true;
    case QEvent::MouseMove: {
      if (!panFrom_) return false;
      const ViewWindow now = Current();
      const QPointF moved = at - *panFrom_;
      panFrom_ = at;
      view_ = ViewWindow{now.Left - moved.x() / now.PixelsPerMetre,
                         now.Top + moved.y() / now.PixelsPerMetre, now.PixelsPerMetre};
      redraw_();
      return true;
    }
    default:
      if (!panFrom_) return false;
      panFrom_.reset();
      return true;
  }
}

}  // namespace tarnwick
