// One redraw of the default project as the user waits for it, against the
// fastest plain way to show the same picture.
//
// Measured: LineArray_frm::RedrawAll(), then a synchronous repaint of the side
// view (the zoom view is its child), so both pictures reach the window's
// backing store. Baseline: the same strokes, in the same order, drawn with
// QPainter into two ARGB32_Premultiplied images at the same device pixel
// ratio, then shown by two widgets of the same geometry, repainted the same way.
// A stroke's round ends are square up to two device pixels wide and dots on flat
// ends wider, in both, as the canvas draws them.
//
// With the map shown (the array settings open, the graph shown at Broadband (A)
// for all areas, the coverage map's first map finished), the measured step is a
// splay change: the fourth box's angle picked as a user picks it, which redraws
// the design over the last finished map, predicts the graph and starts a new
// map, whose workers then run through every later step. The baseline draws the
// same map picture, then the same strokes (the areas in their levels' colours
// among them), and beside them the same graph as the graph strip draws it.
//
// The splay change must also reach the screen within a frame, 16 ms.
//
// A wheel step with the map shown (the default project, the map at 1 kHz, the grid shown):
// measured is one notch of the mouse wheel over the side view's middle, zooming in and out
// in turn, until the picture is on screen: the design redrawn at the new scale over the last
// finished map, rescaled, while the new map is started. Baseline: the same strokes, grid and
// labels at the same scale, over one scaled drawImage of the same map, shown the same way;
// the grid's translucent rules are blended straight into the pixels, the fastest way (the
// painter blends a column span by span). The step must reach the screen within 16 ms, and
// the new map must follow within 300 ms of the notch.
//
// Usage: bench_redraw            runs 800x600 and 1920x1080 at device pixel
//                                ratio 1 and 2, and 1920x1080 at ratio 2 with
//                                the map shown offscreen and on Xvfb, each in
//                                a child process
//        bench_redraw WxH [map|wheel]  one window size at the ratio QT_SCALE_FACTOR gives
// The platform is offscreen unless QT_QPA_PLATFORM names another.

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QPainter>
#include <QPushButton>
#include <QWheelEvent>
#include <QWidget>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "ChildRuns.h"
#include "RatioReporter.h"
#include "acoustics/LevelGrid.h"
#include "acoustics/LevelRules.h"
#include "ui/panels/CoverageLayer.h"
#include "ui/panels/DrawingSurface.h"
#include "ui/panels/GraphStrip.h"
#include "ui/window/LineArrayForm.h"
#include "views/CoverageMap.h"
#include "views/SectionGrid.h"
#include "views/SplGraph.h"

using namespace tarnwick;

namespace {

constexpr double Target = 1.25;
constexpr double SplayLimitUs = 16000.0;  // with the map shown: within a frame
constexpr double NewMapLimitMs = 300.0;   // a wheel step's new map

// A line, or a filled disc centred at line.p1() when radius > 0; logical pixels.
struct Stroke {
  QLineF line;
  QColor colour;
  int width;
  double radius = 0;
};

// Shows one image inside a one-pixel grey frame, as a picture widget does; with a map, the
// map's picture lies under the strokes.
class ImageView : public QWidget {
 public:
  explicit ImageView(QWidget* parent) : QWidget(parent) {
    setContentsMargins(1, 1, 1, 1);
    setAttribute(Qt::WA_OpaquePaintEvent);
  }
  QImage image;
  QImage map;
  QRectF mapTarget;  // logical pixels
  QRectF mapSource;  // of the map's pixels; empty for the whole picture
  std::vector<Stroke> strokes;
  std::vector<QRect> rules;                         // device pixels
  std::vector<std::pair<QPointF, QString>> labels;  // top left, logical pixels

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setPen(QColor(128, 128, 128));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    // The image is opaque: the fastest way onto the window is a plain copy.
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(contentsRect().topLeft(), image);
  }
};

// The level graph beside the pictures: its background image, then the same curves, axes
// and labels drawn by the same routine as the graph strip's (what is compared here is the
// side view; the graph costs both the same).
class PlainGraph : public QWidget {
 public:
  explicit PlainGraph(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_OpaquePaintEvent); }
  QImage image;
  std::vector<LevelCurve> curves;
  QRectF bounds;
  GraphText text;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QPointF(1, 1), image);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setClipRect(rect().adjusted(1, 1, -1, -1));
    const GraphLayout layout(curves, bounds, QFontMetricsF(font()), text);
    DrawLevelGraph(painter, layout, curves, text, std::nullopt);
  }
};

LineArray_frm* window = nullptr;
DrawingSurface* side = nullptr;
DrawingSurface* zoom = nullptr;
ImageView* plainSide = nullptr;
ImageView* plainZoom = nullptr;
PlainGraph* plainGraph = nullptr;  // with the map shown
QComboBox* splay = nullptr;        // with the map shown: the fourth box's angle
bool mapShown = false;

// The areas in their levels' colours under the map: a dark outline, then each run of pieces
// of one colour (the colour of a piece's middle), at the map's band on its scale.
template <typename Add>
void ReplayAreaLevels(Add& add) {
  const auto* layer = window->findChild<CoverageLayer*>(QStringLiteral("CoverageMap"));
  const LevelEngine engine(window->Project(), window->Geometry(), window->Module());
  for (const auto& points :
       AreaLevels(engine, layer->Band(), window->Project(), window->Geometry())) {
    if (points.size() < 2) continue;
    add(points.front().Position, points.back().Position, QColor(0x20, 0x20, 0x20), 6);
    const auto colour = [&](std::size_t i) {
      return MapColour(0.5f * (points[i].SPL + points[i + 1].SPL), layer->Top());
    };
    for (std::size_t from = 0, to = 1; from + 1 < points.size(); from = to++) {
      while (to + 1 < points.size() && colour(to) == colour(from)) ++to;
      add(points[from].Position, points[to].Position, QColor::fromRgb(colour(from)), 3);
    }
  }
}

// The strokes of the last redraw of one picture, in its drawing order, mapped
// by the picture's own user scale; strokes wholly outside it are left out.
std::vector<Stroke> Replay(const DrawingSurface& view, bool isSide) {
  const Graphics& g = window->Geometry();
  const ProjectData& p = window->Project();
  const QRectF visible = QRectF(QPointF(0, 0), view.contentsRect().size()).adjusted(-4, -4, 4, 4);
  std::vector<Stroke> strokes;
  auto add = [&](PlaneVector a, PlaneVector b, QColor colour, int width) {
    const QLineF line(view.ToPixels(a.X, a.Y), view.ToPixels(b.X, b.Y));
    if (QRectF(line.p1(), line.p2()).normalized().adjusted(-1, -1, 1, 1).intersects(visible))
      strokes.push_back({line, colour, width});
  };
  const QColor black(0, 0, 0), red(128, 0, 0);
  const int thick = isSide ? 2 : 1;
  if (isSide) {
    const float w = g.SceneWidth, h = g.SceneHeight;
    add({0, -0.05f * h}, {w, -0.05f * h}, black, 1);
    add({0, -0.05f * h}, {0, -0.025f * h}, black, 1);
    add({w, -0.05f * h}, {w, -0.025f * h}, black, 1);
    if (!mapShown)
      for (int i = 0; i < p.AreasAmount; ++i) add(g.AreaGeom[i].Start, g.AreaGeom[i].End, black, 2);
    else
      ReplayAreaLevels(add);
  }
  const QPointF centre = view.ToPixels(g.MountingPoint.X, g.MountingPoint.Y);
  const double radius = std::abs(view.ToPixels(g.MountingPoint.X + 0.015, 0).x() -
                                 view.ToPixels(g.MountingPoint.X, 0).x());
  strokes.push_back({QLineF(centre, centre), red, thick, radius});
  const auto& F = g.Flybar;
  for (auto [a, b] : {std::pair{0, 1}, {2, 3}, {3, 4}, {4, 5}, {5, 0}})
    add(F[a], F[b], black, thick);
  for (int i = 0; i < p.BoxesAmount; ++i) {
    const BoxGeometry& box = g.BoxGeom[i];
    add(box.TopFront, box.BottomFront, black, 1);
    add(box.BottomFront, box.BottomBack, black, 1);
    add(box.BottomBack, box.TopBack, black, 1);
    add(box.TopBack, box.TopFront, black, 1);
    if (isSide) add(box.Source, AddVectors(box.Source, box.Ray), red, 1);
  }
  return strokes;
}

// Translucent rules blended over the picture's premultiplied pixels, byte by byte. Written
// here rather than shared with the canvas, so that the baseline stays a measure of its own.
void BlendRules(QImage& image, const std::vector<QRect>& rules) {
  const QRgb source = qPremultiply(GridRule.rgba());
  const unsigned keep = 255u - qAlpha(source);
  for (const QRect& rule : rules)
    for (int y = rule.top(); y <= rule.bottom(); ++y) {
      auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
      for (int x = rule.left(); x <= rule.right(); ++x) {
        QRgb out = 0;
        for (int shift = 0; shift < 32; shift += 8)
          out |= ((((row[x] >> shift) & 0xffu) * keep + 127u) / 255u + ((source >> shift) & 0xffu))
                 << shift;
        row[x] = out;
      }
    }
}

// The grid as the side view shows it now: its rules in device pixels, its labels' corners.
void ReplayGrid(ImageView& view) {
  view.rules.clear();
  view.labels.clear();
  const QRect zoomed =
      zoom->isVisible() ? zoom->geometry().translated(-side->contentsRect().topLeft()) : QRect();
  const GridMarks marks = LayOutGrid(*side, {false, QStringLiteral(".")}, zoomed);
  const qreal ratio = side->devicePixelRatioF();
  const int thick = std::max(1, int(std::lround(ratio)));
  const QRect device(QPoint(0, 0), view.image.size());
  for (const QLineF& line : marks.Rules) {
    const QPointF a = side->ToPixels(line.x1(), line.y1()) * ratio;
    const QPointF b = side->ToPixels(line.x2(), line.y2()) * ratio;
    const QRect rule = line.x1() == line.x2()
                           ? QRect(int(std::floor(a.x())), int(std::floor(std::min(a.y(), b.y()))),
                                   thick, int(std::ceil(std::fabs(b.y() - a.y()))))
                           : QRect(int(std::floor(std::min(a.x(), b.x()))), int(std::floor(a.y())),
                                   int(std::ceil(std::fabs(b.x() - a.x()))), thick);
    view.rules.push_back(rule.intersected(device));
  }
  for (const GridLabel& label : marks.Labels)
    view.labels.emplace_back(side->ToPixels(label.X, label.Y), label.Text);
}

void Draw(ImageView& view) {
  view.image.fill(Qt::white);
  QPainter painter(&view.image);
  // The map's picture has the view's pixels: copied as it is onto the rows it covers.
  if (!view.map.isNull())
    painter.drawImage(
        view.mapTarget, view.map,
        view.mapSource.isEmpty()
            ? QRectF(QPointF(0, 0), view.mapTarget.size() * view.image.devicePixelRatio())
            : view.mapSource);
  if (!view.rules.empty()) {
    painter.end();
    BlendRules(view.image, view.rules);
    painter.begin(&view.image);
    painter.setFont(side->font());
    const double ascent = QFontMetricsF(side->font()).ascent();
    for (const auto& [at, text] : view.labels) {
      painter.setPen(Qt::white);
      for (const QPointF offset : {QPointF(-1, 0), QPointF(1, 0), QPointF(0, -1), QPointF(0, 1)})
        painter.drawText(at + offset + QPointF(0, ascent), text);
      painter.setPen(GridInk);
      painter.drawText(at + QPointF(0, ascent), text);
    }
  }
  painter.setRenderHint(QPainter::Antialiasing);
  for (const Stroke& s : view.strokes) {
    if (s.radius > 0) {
      painter.setPen(QPen(s.colour, s.width));
      painter.setBrush(s.colour);
      painter.drawEllipse(s.line.p1(), s.radius, s.radius);
      painter.setBrush(Qt::NoBrush);
    } else {
      // Round ends as the canvas draws them: square up to two device pixels wide, dots
      // on flat ends wider. A pen is set only when it changes.
      const bool dots = s.width * view.image.devicePixelRatio() > 2.0;
      const auto pen = [&](Qt::PenCapStyle cap) {
        const QPen& now = painter.pen();
        if (now.color() != s.colour || now.width() != s.width || now.capStyle() != cap)
          painter.setPen(QPen(s.colour, s.width, Qt::SolidLine, cap));
      };
      pen(dots ? Qt::FlatCap : Qt::SquareCap);
      painter.drawLine(s.line);
      if (!dots) continue;
      pen(Qt::RoundCap);
      const QPointF ends[] = {s.line.p1(), s.line.p2()};
      painter.drawPoints(ends, 2);
    }
  }
}

void RedrawAndShow(benchmark::State& state) {
  for (auto _ : state) {
    window->RedrawAll();
    side->repaint();
  }
}

void QPainterBaseline(benchmark::State& state) {
  for (auto _ : state) {
    Draw(*plainSide);
    Draw(*plainZoom);
    // The zoom view is opaque: repainting the side view leaves it as it was unless it too
    // is marked, as the window marks its own.
    plainZoom->update();
    plainSide->repaint();
  }
}

void SplayChangeAndShow(benchmark::State& state) {
  for (auto _ : state) {
    splay->setCurrentIndex(1 - splay->currentIndex());
    side->repaint();
  }
}

void QPainterBaselineWithGraph(benchmark::State& state) {
  for (auto _ : state) {
    Draw(*plainSide);
    Draw(*plainZoom);
    plainZoom->update();
    plainGraph->update();
    plainSide->repaint();
  }
}

// An image of the picture's inner size at its device pixel ratio, with its strokes.
void Prepare(ImageView& view, DrawingSurface& from, bool isSide) {
  view.setGeometry(from.geometry());
  const qreal ratio = from.devicePixelRatioF();
  view.image = QImage(from.contentsRect().size() * ratio, QImage::Format_ARGB32_Premultiplied);
  view.image.setDevicePixelRatio(ratio);
  view.strokes = Replay(from, isSide);
  if (isSide && window->findChild<QAction*>(QStringLiteral("ShowGrid_men"))->isChecked())
    ReplayGrid(view);
}

// Pixels whose colour differs by more than a rounding step: the two pictures must agree.
int Differences(const QImage& a, const QImage& b) {
  if (a.size() != b.size()) return -1;
  const QImage x = a.convertToFormat(QImage::Format_ARGB32);
  const QImage y = b.convertToFormat(QImage::Format_ARGB32);
  int count = 0;
  for (int row = 0; row < x.height(); ++row)
    for (int col = 0; col < x.width(); ++col) {
      const QRgb p = x.pixel(col, row), q = y.pixel(col, row);
      count += std::abs(qRed(p) - qRed(q)) > 2 || std::abs(qGreen(p) - qGreen(q)) > 2 ||
               std::abs(qBlue(p) - qBlue(q)) > 2;
    }
  return count;
}

// The map shown under the design, the graph at Broadband (A) for all areas and the array
// settings open for the splay; returns once the first map is on screen.
bool ShowMap(LineArray_frm& form) {
  form.findChild<QPushButton*>(QStringLiteral("ShowArraySettings_cbt"))->click();
  form.findChild<QAction*>(QStringLiteral("ShowGraph_men"))->trigger();
  auto* areas = form.findChild<QComboBox*>(QStringLiteral("AreaSelect_cbx"));
  auto* band = form.findChild<QComboBox*>(QStringLiteral("FreqSelect_cbx"));
  splay = form.findChild<QComboBox*>(QStringLiteral("Angle_cbx(3)"));
  if (!areas || !band || !splay) return false;
  areas->setCurrentIndex(areas->count() - 1);
  band->setCurrentIndex(BroadbandAChoice);
  form.findChild<QAction*>(QStringLiteral("ShowMap_men"))->trigger();
  const auto* layer = form.findChild<CoverageLayer*>(QStringLiteral("CoverageMap"));
  while (layer->Busy() || layer->ShownMap() == nullptr)
    QApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
  QApplication::processEvents();
  std::printf("map %dx%d pixels from %dx%d nodes at %s under the design; graph at %s, %s\n",
              layer->ShownMap()->picture.width(), layer->ShownMap()->picture.height(),
              layer->ShownMap()->grid.nx, layer->ShownMap()->grid.ny, BandChoiceName(layer->Band()),
              qPrintable(band->currentText()), qPrintable(areas->currentText()));
  // The baseline's map: the same picture at the same place.
  const LevelGrid& grid = layer->ShownMap()->grid;
  plainSide->map = layer->ShownMap()->picture.copy();
  plainSide->mapTarget =
      QRectF(side->ToPixels(grid.left, grid.top), side->ToPixels(grid.right, grid.bottom))
          .normalized();
  return true;
}

// The graph strip's background, curves and labels, for a plain widget in its place.
void ReplayGraph(LineArray_frm& form, QWidget& plainWindow) {
  auto* graph = form.findChild<GraphStrip*>(QStringLiteral("Graph_pbx"));
  const auto* band = form.findChild<QComboBox*>(QStringLiteral("FreqSelect_cbx"));
  const auto* areas = form.findChild<QComboBox*>(QStringLiteral("AreaSelect_cbx"));
  plainGraph = new PlainGraph(&plainWindow);
  plainGraph->setGeometry(QRect(graph->mapTo(&form, QPoint(0, 0)), graph->size()));
  plainGraph->setFont(graph->font());
  plainGraph->image = graph->Image();
  plainGraph->curves = graph->Curves();
  const double left = band->geometry().right() + 8.0;
  plainGraph->bounds = QRectF(left, 4.0, graph->width() - left - 6.0, graph->height() - 7.0);
  plainGraph->text.Caption = areas->currentText() + QStringLiteral(", ") + band->currentText();
}

// A measured step and its baseline, side by side as RunSideBySide runs them: their ratio
// and the step's fastest time in microseconds.
struct PairResult {
  double ratio, us;
};
PairResult RunPair(int& argc, char** argv, const char* name, void (*measured)(benchmark::State&),
                   const char* baselineName, void (*baseline)(benchmark::State&)) {
  benchmark::Initialize(&argc, argv);
  for (int round = 0; round < 3; ++round) {
    RegisterFastest(name, measured, ShortRepetitions, benchmark::kMicrosecond, 0.01);
    RegisterFastest(baselineName, baseline, ShortRepetitions, benchmark::kMicrosecond, 0.01);
  }
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double ratio = reporter.PrintRatio(name, baselineName);
  return {ratio, reporter.Fastest(name)};
}

// The splay change against its baseline, side by side as RunSideBySide runs them; it must
// also reach the screen within a frame.
int RunSplayChange(int& argc, char** argv) {
  const auto [ratio, us] = RunPair(argc, argv, "SplayChangeAndShow", SplayChangeAndShow,
                                   "QPainterBaselineWithGraph", QPainterBaselineWithGraph);
  std::printf("splay change to the screen %.2f ms, target %.0f ms\n", us / 1000.0,
              SplayLimitUs / 1000.0);
  if (us > SplayLimitUs) {
    std::printf("FAIL: %.2f ms > %.0f ms (ratio %.2f)\n", us / 1000.0, SplayLimitUs / 1000.0,
                ratio);
    return 1;
  }
  return PrintVerdict(ratio, Target);
}

// One notch of the wheel over the side view's middle, in or out.
void Wheel(bool in) {
  const QPointF at = QRectF(side->contentsRect()).center();
  QWheelEvent notch(at, side->mapToGlobal(at), QPoint(), QPoint(0, in ? 120 : -120), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(side, &notch);
}

// What the baseline's side view shows at the other of the wheel's two scales.
struct Frame {
  std::vector<Stroke> strokes;
  std::vector<QRect> rules;
  std::vector<std::pair<QPointF, QString>> labels;
  QRectF mapTarget;
};
Frame other;
bool zoomIn = true;

void Swap(ImageView& view, Frame& frame) {
  std::swap(view.strokes, frame.strokes);
  std::swap(view.rules, frame.rules);
  std::swap(view.labels, frame.labels);
  std::swap(view.mapTarget, frame.mapTarget);
}

void WheelStepAndShow(benchmark::State& state) {
  for (auto _ : state) {
    Wheel(zoomIn);
    zoomIn = !zoomIn;
    side->repaint();
  }
}

void QPainterBaselineScaledMap(benchmark::State& state) {
  for (auto _ : state) {
    Swap(*plainSide, other);
    Draw(*plainSide);
    Draw(*plainZoom);
    plainZoom->update();
    plainSide->repaint();
  }
}

// The last finished map where the side view now draws it, rescaled.
QRectF MapTarget(const CoverageLayer& layer) {
  const LevelGrid& grid = layer.ShownMap()->grid;
  return QRectF(side->ToPixels(grid.left, grid.top), side->ToPixels(grid.right, grid.bottom))
      .normalized();
}

// The map shown at 1 kHz and finished; the baseline gets its picture and both scales' strokes.
const CoverageLayer* ShowMapForWheel(LineArray_frm& form) {
  form.findChild<QAction*>(QStringLiteral("ShowMap_men"))->trigger();
  const auto* layer = form.findChild<CoverageLayer*>(QStringLiteral("CoverageMap"));
  const auto settle = [layer] {
    while (layer->Busy() || layer->ShownMap() == nullptr)
      QApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    QApplication::processEvents();
  };
  settle();
  return layer;
}

// Milliseconds from a notch until the new map is on screen, each of `trials` notches.
std::vector<double> NewMapTimes(const CoverageLayer& layer, int trials) {
  std::vector<double> times;
  for (int t = 0; t < trials; ++t) {
    while (layer.Busy()) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    const auto* before = layer.ShownMap();
    const auto start = std::chrono::steady_clock::now();
    Wheel(t % 2 == 0);
    side->repaint();
    while (layer.Busy() || layer.ShownMap() == before)
      QApplication::processEvents(QEventLoop::WaitForMoreEvents, 1);
    side->repaint();
    times.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count());
  }
  return times;
}

int RunWheel(int& argc, char** argv, const CoverageLayer& layer) {
  // The other scale, and back: the baseline keeps both.
  Wheel(true);
  other.strokes = Replay(*side, true);
  ImageView scratch(nullptr);
  scratch.image = plainSide->image;
  ReplayGrid(scratch);
  other.rules = scratch.rules;
  other.labels = scratch.labels;
  other.mapTarget = MapTarget(layer);
  Wheel(false);
  const auto [ratio, us] = RunPair(argc, argv, "WheelStepAndShow", WheelStepAndShow,
                                   "QPainterBaselineScaledMap", QPainterBaselineScaledMap);
  std::vector<double> maps = NewMapTimes(layer, 7);
  std::sort(maps.begin(), maps.end());
  const double median = maps[maps.size() / 2];
  std::printf("wheel step to the screen %.2f ms, target %.0f ms\n", us / 1000.0,
              SplayLimitUs / 1000.0);
  std::printf(
      "new map on screen after a notch: median %.0f ms (fastest %.0f, slowest %.0f) of "
      "%zu, map %dx%d pixels, target %.0f ms\n",
      median, maps.front(), maps.back(), maps.size(), layer.ShownMap()->picture.width(),
      layer.ShownMap()->picture.height(), NewMapLimitMs);
  if (us > SplayLimitUs || median > NewMapLimitMs) {
    std::printf("FAIL: step %.2f ms (<= %.0f), new map %.0f ms (<= %.0f), ratio %.2f\n",
                us / 1000.0, SplayLimitUs / 1000.0, median, NewMapLimitMs, ratio);
    return 1;
  }
  return PrintVerdict(ratio, Target);
}

// One configuration: the window at the given logical size, the baseline window beside it.
int RunOne(int argc, char** argv, QSize size, const std::string& mode) {
  const bool map = mode == "map", wheel = mode == "wheel";
  mapShown = map || wheel;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  LineArray_frm form;
  window = &form;
  form.show();
  form.resize(size);
  QApplication::processEvents();
  side = form.findChild<DrawingSurface*>(QStringLiteral("MainView_pbx"));
  zoom = form.findChild<DrawingSurface*>(QStringLiteral("ZoomView_pbx"));
  QWidget plainWindow;
  plainSide = new ImageView(&plainWindow);
  plainZoom = new ImageView(plainSide);
  const CoverageLayer* layer = wheel && side ? ShowMapForWheel(form) : nullptr;
  if (!side || !zoom || !zoom->isVisible() || (map && !ShowMap(form))) {
    std::printf("FAIL: side view, zoom view or the map's controls not found or not shown\n");
    return 1;
  }
  form.RedrawAll();

  plainWindow.resize(form.size());
  Prepare(*plainSide, *side, true);
  Prepare(*plainZoom, *zoom, false);
  plainSide->move(side->mapTo(&form, QPoint(0, 0)));
  if (map) ReplayGraph(form, plainWindow);
  if (wheel) {
    plainSide->map = layer->ShownMap()->picture;
    plainSide->mapSource = QRectF(plainSide->map.rect());
    plainSide->mapTarget = MapTarget(*layer);
  }
  plainWindow.show();
  QApplication::processEvents();
  Draw(*plainSide);
  Draw(*plainZoom);

  std::printf("window %dx%d (asked %dx%d), device pixel ratio %.2f\n", form.width(), form.height(),
              size.width(), size.height(), side->devicePixelRatioF());
  std::printf("side view image %dx%d, %zu strokes, %d pixels differ from the baseline's\n",
              side->Image().width(), side->Image().height(), plainSide->strokes.size(),
              Differences(side->Image(), plainSide->image));
  std::printf("zoom view image %dx%d, %zu strokes, %d pixels differ from the baseline's\n",
              zoom->Image().width(), zoom->Image().height(), plainZoom->strokes.size(),
              Differences(zoom->Image(), plainZoom->image));
  std::fflush(stdout);
  if (map) return RunSplayChange(argc, argv);
  if (wheel) return RunWheel(argc, argv, *layer);
  return RunSideBySide(argc, argv, "RedrawAndShow", RedrawAndShow, "QPainterBaseline",
                       QPainterBaseline, Target);
}

}  // namespace

int main(int argc, char** argv) {
  int width = 0, height = 0;
  if (argc > 1 && std::sscanf(argv[1], "%dx%d", &width, &height) == 2)
    return RunOne(argc, argv, QSize(width, height), argc > 2 ? argv[2] : "");
  std::vector<ChildRun> runs;
  for (const char* size : {"800x600", "1920x1080"})
    for (const char* factor : {"1", "2"})
      runs.push_back(
          {std::string("window ") + size + ", device pixel ratio " + factor, size, factor});
  // A wheel step with the map shown.
  for (const char* factor : {"1", "2"})
    runs.push_back({std::string("window 1920x1080, device pixel ratio ") + factor +
                        ", map shown, a wheel step",
                    "1920x1080 wheel", factor});
  // A splay change with the map shown, offscreen and on a private X server.
  runs.push_back({"window 1920x1080, device pixel ratio 2, map shown", "1920x1080 map", "2"});
  runs.push_back({"window 1920x1080, device pixel ratio 2, map shown, on Xvfb", "1920x1080 map",
                  "2", "QT_QPA_PLATFORM=xcb xvfb-run -a -s '-screen 0 4000x2400x24'"});
  return RunChildren(runs, Target);
}
