#include "ui/panels/CoverageLayer.h"

#include <QComboBox>
#include <QEvent>
#include <QLocale>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <limits>

#include "acoustics/SplPrediction.h"
#include "app/MapReport.h"
#include "model/ProjectRules.h"
#include "ui/panels/Controls.h"
#include "ui/panels/DrawingSurface.h"
#include "views/Canvas.h"
#include "views/CoverageMap.h"

namespace tarnwick {

namespace {

constexpr int NodeSpacing = 4;  // device pixels between the map's computed levels

}  // namespace

// The colour bar with its dB labels, over the side view's right edge.
class ColourBar : public QWidget {
 public:
  explicit ColourBar(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("MapScale_pbx"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
  }
  float top = 0.0f;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(255, 255, 255, 215));
    const QFontMetricsF metrics(font());
    DrawColourBar(painter,
                  QRectF(width() - 20, metrics.height() + 6, 14, height() - metrics.height() - 12),
                  top, QLocale().decimalPoint());
  }
};

CoverageLayer::CoverageLayer(DrawingSurface* side, const Constants& constants)
    : QObject(side), side_(side), constants_(constants) {
  setObjectName(QStringLiteral("CoverageMap"));
  side_->installEventFilter(this);
}

CoverageLayer::~CoverageLayer() = default;

int CoverageLayer::Band() const {
  return band_ != nullptr ? band_->currentIndex() : DefaultBandChoice;
}

void CoverageLayer::SetShown(bool shown) {
  shown_ = shown;
  if (shown && band_ == nullptr) {
    // Made on first use: most sessions never show the map.
    band_ = MakeList(side_, QStringLiteral("MapFreq_cbx"),
                     QStringLiteral("Third-octave band of the coverage map, or the sum over all"));
    for (int entry = 0; entry < BandChoiceCount; ++entry)
      band_->addItem(QString::fromLatin1(BandChoiceName(entry)));
    band_->setCurrentIndex(DefaultBandChoice);
    band_->adjustSize();
    bar_ = new ColourBar(side_);
    connect(band_, &QComboBox::currentIndexChanged, this, &CoverageLayer::BandChanged);
  }
  if (band_ != nullptr) {
    band_->setVisible(shown);
    bar_->setVisible(shown);
    Place();
  }
  if (!shown) {
    worker_ = std::jthread();  // stops and waits for a computation under way
    busy_ = false;
    requested_.clear();
    shown_map_.reset();
  }
}

void CoverageLayer::Place() {
  if (band_ == nullptr) return;
  const int right = side_->width() - 6;
  band_->move(right - band_->width(), 6);
  const int barHeight = std::clamp(side_->height() / 2, 120, 300);
  bar_->setGeometry(right - 56, band_->geometry().bottom() + 6, 56,
                    std::min(barHeight, side_->height() - band_->height() - 18));
}

bool CoverageLayer::eventFilter(QObject* watched, QEvent* event) {
  if (watched == side_ && event->type() == QEvent::Resize) Place();
  return QObject::eventFilter(watched, event);
}

bool CoverageLayer::DrawMap(DrawingSurface& side) const {
  // The map's own extents in metres placed by the scene now shown: the last map stands in,
  // rescaled, until the next is ready. A scene that cannot place it goes without.
  return shown_ && shown_map_ &&
         side.DrawPicture(shown_map_->grid.left, shown_map_->grid.top, shown_map_->grid.right,
                          shown_map_->grid.bottom, shown_map_->picture);
}

void CoverageLayer::DrawAreas(DrawingSurface& side, const ProjectData& project,
                              const Graphics& graphics) {
  // A repaint of the same design (a finished map, another band, a resize) keeps its engine.
  const auto sameBoxes = [&] {
    for (int b = 0; b < BoxesInUse(project); ++b)
      if (!(graphics.BoxGeom[b].Source == graphics_.BoxGeom[b].Source &&
            graphics.BoxGeom[b].Ray == graphics_.BoxGeom[b].Ray))
        return false;
    return true;
  };
  if (engine_ == nullptr || !(project == project_) || !sameBoxes())
    engine_ = std::make_shared<const LevelEngine>(project, graphics, constants_);
  project_ = project;
  graphics_ = graphics;
  const auto areas = AreaLevels(*engine_, Band(), project, graphics);
  top_ = AreasMapTop(areas);
  if (bar_ != nullptr && bar_->top != top_) {
    bar_->top = top_;
    bar_->update();
  }
  for (const auto& points : areas) DrawAreaLevels(side, points, top_);
}

void CoverageLayer::BandChanged() {
  if (shown_ && engine_ != nullptr) {
    top_ = AreasMapTop(AreaLevels(*engine_, Band(), project_, graphics_));
    Request(project_, graphics_, *side_);
  }
  if (!busy_) emit MapReady();  // no map is coming: the areas show the band at once
}

void CoverageLayer::Request(const ProjectData& project, const Graphics& graphics,
                            const DrawingSurface& side) {
  if (!shown_ || engine_ == nullptr || graphics.DragActive != 0) return;
  // The section above the floor, across the whole picture.
  const QSizeF inner = side.contentsRect().size();
  const QPointF topLeft = side.ToUser(QPointF(0, 0));
  const QPointF bottomRight = side.ToUser(QPointF(inner.width(), inner.height()));
  const double left = topLeft.x(), right = bottomRight.x(), top = topLeft.y(), bottom = 0.0;
  const double floorRow = side.ToPixels(0, bottom).y();
  // The engine takes its points in single precision: a section beyond that range, or a
  // floor the picture cannot place, has no map, and one under way is of another design.
  const auto single = [](double v) { return std::fabs(v) <= std::numeric_limits<float>::max(); };
  if (!single(left) || !single(right) || !single(top) || !(top > bottom) || !(right > left) ||
      !std::isfinite(floorRow)) {
    worker_ = std::jthread();
    ++generation_;
    busy_ = false;
    requested_.clear();
    return;
  }
  const double ratio = side.devicePixelRatioF();
  const QSize pixels(
      int(std::ceil(inner.width() * ratio)),
      std::max(1, int(std::ceil(std::clamp(floorRow, 0.0, inner.height()) * ratio))));
  const int nx = pixels.width() / NodeSpacing + 2, ny = pixels.height() / NodeSpacing + 2;

  // Everything the map depends on; an unchanged design and picture keep the map.
  std::vector<double> key = {double(Band()),          left, top, right, double(pixels.width()),
                             double(pixels.height()), top_};
  for (int b = 0; b < BoxesInUse(project); ++b) {
    const BoxGeometry& box = graphics.BoxGeom[b];
    key.insert(key.end(),
               {box.Source.X, box.Source.Y, box.Ray.X, box.Ray.Y, project.BoxAttenuation[b]});
  }
  if (key == requested_) return;
  requested_ = std::move(key);
  busy_ = true;
  const unsigned generation = ++generation_;
  const int entry = Band();
  const float scaleTop = top_;
  worker_ = std::jthread([this, engine = engine_, entry, scaleTop, left, right, top, bottom, nx, ny,
                          pixels, generation](std::stop_token stop) {
    auto map = std::make_shared<Map>();
    map->grid = MakeLevelGrid(entry, left, top, right, bottom, nx, ny);
    // Each core checks for a cancel between its rows.
    FillOnEveryCore(map->grid, *engine, [&] { return stop.stop_requested(); });
    if (stop.stop_requested()) return;
    map->picture = NewPicture(pixels);
    RenderMap(map->grid.nodes, nx, ny, scaleTop, map->picture);
    QMetaObject::invokeMethod(
        this,
        [this, map, generation] {
          if (generation == generation_) Finished(map);
        },
        Qt::QueuedConnection);
  });
}

void CoverageLayer::Finished(std::shared_ptr<const Map> map) {
  busy_ = false;
  shown_map_ = std::move(map);
  emit MapReady();
}

}  // namespace tarnwick
