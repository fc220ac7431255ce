#include "ui/panels/GraphStrip.h"

#include <QComboBox>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalBlocker>
#include <algorithm>

#include "acoustics/BandLevels.h"
#include "acoustics/Tolerance.h"
#include "model/ProjectRules.h"
#include "ui/panels/Controls.h"
#include "ui/panels/Twips.h"
#include "ui/panels/WrappingButton.h"

namespace tarnwick {

namespace {

constexpr int HandleAbove = 4, HandleBelow = 5;  // pixels of the handle about the top edge

}  // namespace

EdgeHandle::EdgeHandle(QWidget* strip, std::function<void(int)> dragged)
    : QWidget(strip->parentWidget()), strip_(strip), dragged_(std::move(dragged)) {
  setObjectName(QStringLiteral("GraphHandle"));
  setCursor(Qt::SplitVCursor);
  setVisible(strip->isVisible());
  strip->installEventFilter(this);
}

bool EdgeHandle::eventFilter(QObject* watched, QEvent* event) {
  if (watched == strip_) {
    switch (event->type()) {
      case QEvent::Move:
      case QEvent::Resize:
      case QEvent::Show:
        setGeometry(strip_->x(), strip_->y() - HandleAbove, strip_->width(),
                    HandleAbove + HandleBelow);
        setVisible(true);
        raise();
        break;
      case QEvent::Hide:
        hide();
        break;
      default:
        break;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void EdgeHandle::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton)
    dragFrom_ = strip_->height() + int(event->globalPosition().y());
}

void EdgeHandle::mouseMoveEvent(QMouseEvent* event) {
  if (dragFrom_) dragged_(*dragFrom_ - int(event->globalPosition().y()));
}

void EdgeHandle::mouseReleaseEvent(QMouseEvent*) { dragFrom_.reset(); }

GraphStrip::GraphStrip(QWidget* parent, const ProjectData& project, const Graphics& graphics,
                       const Constants& constants)
    : DrawingSurface(parent), project_(project), graphics_(graphics), constants_(constants) {
  setObjectName(QStringLiteral("Graph_pbx"));
  setMouseTracking(true);
  hide();
  new EdgeHandle(this, [this](int pixels) { emit HeightDragged(pixels); });
}

void GraphStrip::showEvent(QShowEvent* event) {
  if (area_ == nullptr) BuildControls();
  DrawingSurface::showEvent(event);
  Refresh();
}

int GraphStrip::Band() const {
  return band_ != nullptr ? band_->currentIndex() : DefaultBandChoice;
}

void GraphStrip::BuildControls() {
  auto* calc = new WrappingButton(QStringLiteral("Calculate Response"), this);
  calc->setObjectName(QStringLiteral("Calc_cbt"));
  PlaceTwips(calc, 90, 90, 945, 525);
  area_ = MakeList(this, QStringLiteral("AreaSelect_cbx"),
                   QStringLiteral("Area along which the level is shown"));
  PlaceTwips(area_, 90, 660, 975, 315);
  band_ = MakeList(this, QStringLiteral("FreqSelect_cbx"),
                   QStringLiteral("Third-octave band, or the sum over all bands"));
  PlaceTwips(band_, 90, 1020, 975, 315);
  for (int entry = 0; entry < BandChoiceCount; ++entry)
    band_->addItem(QString::fromLatin1(BandChoiceName(entry)));
  band_->setCurrentIndex(DefaultBandChoice);
  OfferAreas(areas_);
  // The column is as wide as its longest entry needs ("Broadband (A)"), never narrower
  // than its first width.
  int column = calc->width();
  for (QWidget* list : {static_cast<QWidget*>(area_), static_cast<QWidget*>(band_)})
    column = std::max({column, list->width(), list->sizeHint().width()});
  for (QWidget* control : std::initializer_list<QWidget*>{calc, area_, band_})
    control->resize(column, control->height());
  controlsRight_ = band_;
  for (QWidget* control : std::initializer_list<QWidget*>{calc, area_, band_}) control->show();
  connect(calc, &QPushButton::clicked, this, &GraphStrip::Calc_cbt_Click);
  for (QComboBox* list : {area_, band_})
    connect(list, &QComboBox::currentIndexChanged, this, &GraphStrip::Refresh);
}

void GraphStrip::OfferAreas(int areas) {
  areas_ = areas;
  if (area_ == nullptr) return;
  const int chosen = area_->currentIndex();
  const bool all = chosen >= 0 && chosen == area_->count() - 1;
  // Rebuilt quietly: the redraw that follows a change of the areas refreshes the graph.
  const QSignalBlocker quiet(area_);
  area_->clear();
  for (int i = 1; i <= areas; ++i) area_->addItem(QStringLiteral("Area %1").arg(i));
  area_->addItem(QStringLiteral("All Areas"));
  area_->setCurrentIndex(all ? areas : (chosen >= 0 && chosen < areas ? chosen : 0));
}

void GraphStrip::Calc_cbt_Click() { Refresh(); }

void GraphStrip::ShowTolerance(bool shown) {
  tolerance_ = shown;
  Refresh();
}

void GraphStrip::Prepare() {
  if (area_ == nullptr || !isVisible()) return;
  const int chosen = area_->currentIndex();
  pending_ = HeadStart<Prediction>([project = project_, graphics = graphics_,
                                    &constants = constants_, chosen,
                                    all = chosen == area_->count() - 1,
                                    band = band_->currentIndex(), tolerance = tolerance_] {
    return Prediction{project, chosen, band, tolerance,
                      PredictCurves(project, graphics, constants, chosen, all, band, tolerance)};
  });
}

void GraphStrip::Refresh() {
  std::optional<Prediction> started;
  if (pending_.Started()) started = pending_.Take();
  if (area_ == nullptr || !isVisible()) return;
  const int chosen = area_->currentIndex();
  const int band = band_->currentIndex();
  // Started by Prepare for this design and choice, or predicted here.
  if (started && started->project == project_ && started->chosen == chosen &&
      started->band == band && started->tolerance == tolerance_)
    curves_ = std::move(started->curves);
  else
    curves_ = PredictCurves(project_, graphics_, constants_, chosen, chosen == area_->count() - 1,
                            band, tolerance_);
  hovered_.reset();
  update();
  emit Predicted();
}

QRectF GraphStrip::GraphBounds() const {
  // Right of the controls, inside the border: nothing ever covers a label.
  const double left = controlsRight_ != nullptr ? controlsRight_->geometry().right() + 8.0 : 4.0;
  return QRectF(left, 4.0, width() - left - 6.0, height() - 7.0);
}

GraphText GraphStrip::Text() const {
  GraphText text;
  text.Feet = IsFeet(project_.Units);
  text.DecimalPoint = QLocale().decimalPoint();
  if (area_ != nullptr) {
    text.Caption = area_->currentText() + QStringLiteral(", ") + band_->currentText();
    text.FromArray = area_->currentIndex() == area_->count() - 1;  // All Areas
  }
  const std::string model = PredictionLabel(project_.Prediction, text.DecimalPoint.toStdString());
  if (area_ != nullptr && !model.empty())
    text.Caption += QStringLiteral(" \u00b7 ") + QString::fromStdString(model);
  return text;
}

void GraphStrip::paintEvent(QPaintEvent* event) {
  DrawingSurface::paintEvent(event);
  if (area_ == nullptr || curves_.empty()) return;
  QPainter painter(this);
  painter.setClipRect(rect().adjusted(1, 1, -1, -1));
  const GraphText text = Text();
  const GraphLayout layout(curves_, GraphBounds(), QFontMetricsF(font()), text);
  DrawLevelGraph(painter, layout, curves_, text, hovered_);
}

void GraphStrip::mouseMoveEvent(QMouseEvent* event) {
  const QPointF at = event->position();
  std::optional<std::pair<std::size_t, std::size_t>> nearest;
  if (!curves_.empty()) {
    const GraphLayout layout(curves_, GraphBounds(), QFontMetricsF(font()), Text());
    if (layout.Plot().adjusted(-6, -6, 6, 6).contains(at)) nearest = layout.Nearest(at, 24.0);
  }
  if (nearest != hovered_) {
    hovered_ = nearest;
    update();
  }
  DrawingSurface::mouseMoveEvent(event);
}

void GraphStrip::leaveEvent(QEvent* event) {
  if (hovered_) {
    hovered_.reset();
    update();
  }
  DrawingSurface::leaveEvent(event);
}

}  // namespace tarnwick
