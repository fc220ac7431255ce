#include "ui/panels/CoverageLayer.h"

#include <sys/resource.h>
#include <unistd.h>

#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <functional>
#include <limits>
#include <mutex>
#include <stop_token>
#include <thread>

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
// The map's threads' nice value: on a core the window's thread wants, they take about a
// tenth of it, so a redraw while a map is computed takes as long as one without.
constexpr int MapNice = 10;

// Whether the design's boxes in use stand and aim the same in both geometries.
bool SameBoxes(const ProjectData& project, const Graphics& a, const Graphics& b) {
  for (int box = 0; box < BoxesInUse(project); ++box)
    if (!(a.BoxGeom[box].Source == b.BoxGeom[box].Source &&
          a.BoxGeom[box].Ray == b.BoxGeom[box].Ray))
      return false;
  return true;
}

}  // namespace

// Computes one map at a time on a thread of its own (whose helpers inherit its priority).
// A new job takes the place of one waiting and stops the one under way at its next row;
// the window's thread never waits for either, only the destructor joins.
class MapWorker {
 public:
  using Job = std::function<void(std::stop_token)>;

  MapWorker() : thread_([this](std::stop_token quit) { Run(quit); }) {}
  ~MapWorker() { Start(nullptr); }  // then the thread is asked to quit and joined

  // Stops the job under way and leaves `job` (none: nothing) to run next.
  void Start(Job job) {
    const std::lock_guard lock(mutex_);
    running_.request_stop();
    next_ = std::move(job);
    wake_.notify_one();
  }

 private:
  void Run(std::stop_token quit) {
    // Linux keeps a nice value per thread, and new threads take their creator's.
    setpriority(PRIO_PROCESS, id_t(gettid()), MapNice);
    std::unique_lock lock(mutex_);
    while (wake_.wait(lock, quit, [this] { return next_ != nullptr; })) {
      Job job = std::exchange(next_, nullptr);
      running_ = std::stop_source();
      const std::stop_token stop = running_.get_token();
      lock.unlock();
      job(stop);
      lock.lock();
    }
  }

  std::mutex mutex_;
  std::condition_variable_any wake_;
  Job next_;
  std::stop_source running_;
  std::jthread thread_;  // last: joined before the rest goes
};

// The colour bar with its dB labels, in the side view's right margin.
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

void CoverageLayer::Cancel() {
  if (worker_ != nullptr) worker_->Start(nullptr);
  ++generation_;
  busy_ = false;
  requested_.clear();
}

std::optional<float> CoverageLayer::LevelAt(PlaneVector point) const {
  if (engine_ == nullptr) return std::nullopt;
  return engine_->Level(Band(), point);
}

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
    // Which prediction model the colours show, beside the band; none for the plain model.
    model_ = new QLabel(side_);
    model_->setObjectName(QStringLiteral("MapModel_lbl"));
    model_->setWordWrap(true);
    connect(band_, &QComboBox::currentIndexChanged, this, &CoverageLayer::BandChanged);
  }
  if (band_ != nullptr) {
    band_->setVisible(shown);
    model_->setVisible(shown && !model_->text().isEmpty());
    Place();
  }
  if (!shown) {
    Cancel();
    shown_map_.reset();  // the picture stays for the next map
  }
}

void CoverageLayer::Place() {
  if (band_ == nullptr) return;
  // A column of its own at the side view's right, beside the section and never over it:
  // the band list, the model under it, the colour bar under both.
  const int gap = 6;
  const int column = std::max(band_->width(), 64);
  side_->SetRightMargin(shown_ ? column + 2 * gap : 0);
  const int left = side_->width() - 1 - column - gap;
  band_->move(left, gap);
  model_->setFixedWidth(column);
  model_->adjustSize();
  model_->move(left, band_->geometry().bottom() + gap);
  const int under = !model_->isHidden() ? model_->geometry().bottom() : band_->geometry().bottom();
  const int barHeight = std::clamp(side_->height() / 2, 120, 300);
  bar_->setGeometry(left, under + gap, column,
                    std::min(barHeight, side_->height() - under - 2 * gap));
  // A bar too short for its top and bottom labels tells nothing: none then.
  bar_->setVisible(shown_ && bar_->height() >= 3 * QFontMetrics(bar_->font()).height());
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

bool CoverageLayer::SameDesign(const ProjectData& project, const Graphics& graphics) const {
  return engine_ != nullptr && project == project_ && SameBoxes(project, graphics, graphics_);
}

CoverageLayer::AreaWork CoverageLayer::WorkOutAreas(std::shared_ptr<const LevelEngine> engine,
                                                    const ProjectData& project,
                                                    const Graphics& graphics, int entry) const {
  if (engine == nullptr)
    engine = std::make_shared<const LevelEngine>(project, graphics, constants_);
  auto areas = AreaLevels(*engine, entry, project, graphics);
  return {std::move(engine), std::move(areas), project, graphics, entry};
}

void CoverageLayer::Prepare(const ProjectData& project, const Graphics& graphics) {
  if (!shown_) return;
  // A repaint of the same design (a finished map, another band, a resize) keeps its engine.
  pending_ = HeadStart<AreaWork>(
      [this, engine = SameDesign(project, graphics) ? engine_ : nullptr, project, graphics,
       entry = Band()] { return WorkOutAreas(engine, project, graphics, entry); });
}

void CoverageLayer::DrawAreas(DrawingSurface& side, const ProjectData& project,
                              const Graphics& graphics) {
  AreaWork work;
  if (pending_.Started()) work = pending_.Take();
  // Worked out for another design or band, or not at all: here and now.
  if (work.engine == nullptr || work.entry != Band() || !(work.project == project) ||
      !SameBoxes(project, graphics, work.graphics))
    work =
        WorkOutAreas(SameDesign(project, graphics) ? engine_ : nullptr, project, graphics, Band());
  engine_ = std::move(work.engine);
  project_ = project;
  graphics_ = graphics;
  top_ = AreasMapTop(work.areas);
  const QString model = QString::fromStdString(
      PredictionLabel(project.Prediction, QLocale().decimalPoint().toStdString()));
  if (model_ != nullptr && model_->text() != model) {
    model_->setText(model);
    model_->setVisible(shown_ && !model.isEmpty());
    Place();
  }
  if (bar_ != nullptr && bar_->top != top_) {
    bar_->top = top_;
    bar_->update();
  }
  for (const auto& points : work.areas) DrawAreaLevels(side, points, top_);
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
    Cancel();
    return;
  }
  const double ratio = side.devicePixelRatioF();
  const QSize view(int(std::ceil(inner.width() * ratio)), int(std::ceil(inner.height() * ratio)));
  const QSize pixels(
      view.width(), std::max(1, int(std::ceil(std::clamp(floorRow, 0.0, inner.height()) * ratio))));
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
  if (worker_ == nullptr) worker_ = std::make_unique<MapWorker>();
  worker_->Start([this, engine = engine_, entry, scaleTop, left, right, top, bottom, nx, ny, pixels,
                  view, generation](std::stop_token stop) {
    auto map = std::make_shared<Map>();
    map->grid = MakeLevelGrid(entry, left, top, right, bottom, nx, ny);
    // Each core checks for a cancel between its rows.
    if (!FillOnEveryCore(map->grid, *engine, [&] { return stop.stop_requested(); })) return;
    QMetaObject::invokeMethod(
        this,
        [this, map, generation, scaleTop, pixels, view] {
          if (generation == generation_) Finished(map, scaleTop, pixels, view);
        },
        Qt::QueuedConnection);
  });
}

void CoverageLayer::Finished(std::shared_ptr<Map> map, float scaleTop, QSize pixels, QSize view) {
  busy_ = false;
  shown_map_.reset();  // its picture is overwritten
  if (picture_.size() != view) picture_ = NewPicture(view, QImage::Format_RGB32);
  if (pixels.width() == picture_.width() && pixels.height() <= picture_.height())
    map->picture = QImage(picture_.bits(), pixels.width(), pixels.height(), picture_.bytesPerLine(),
                          picture_.format());
  RenderMap(map->grid.nodes, map->grid.nx, map->grid.ny, scaleTop, map->picture);
  shown_map_ = std::move(map);
  emit MapReady();
}

}  // namespace tarnwick
