// One redraw of the default project as the user waits for it, against the
// fastest plain way to show the same picture.
//
// Measured: LineArray_frm::RedrawAll(), then a synchronous repaint of the side
// view (the zoom view is its child), so both pictures reach the window's
// backing store. Baseline: the same strokes, in the same order, drawn with
// QPainter into two ARGB32_Premultiplied images at the same device pixel
// ratio, then shown by two widgets of the same geometry, repainted the same way.
//
// Usage: bench_redraw            runs 800x600 and 1920x1080 at device pixel
//                                ratio 1 and 2, each in a child process
//        bench_redraw WxH        one window size at the ratio QT_SCALE_FACTOR gives
// The scale factor must be set before QApplication exists, hence the children.
// The platform is offscreen unless QT_QPA_PLATFORM names another.

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QWidget>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "RatioReporter.h"
#include "ui/panels/DrawingSurface.h"
#include "ui/window/LineArrayForm.h"

using namespace tarnwick;

namespace {

constexpr double Target = 1.25;

// A line, or a filled disc centred at line.p1() when radius > 0; logical pixels.
struct Stroke {
  QLineF line;
  QColor colour;
  int width;
  double radius = 0;
};

// Shows one image inside a one-pixel grey frame, as a picture widget does.
class ImageView : public QWidget {
 public:
  explicit ImageView(QWidget* parent) : QWidget(parent) {
    setContentsMargins(1, 1, 1, 1);
    setAttribute(Qt::WA_OpaquePaintEvent);
  }
  QImage image;
  std::vector<Stroke> strokes;

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

LineArray_frm* window = nullptr;
DrawingSurface* side = nullptr;
DrawingSurface* zoom = nullptr;
ImageView* plainSide = nullptr;
ImageView* plainZoom = nullptr;

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
    for (int i = 0; i < p.AreasAmount; ++i) add(g.AreaGeom[i].Start, g.AreaGeom[i].End, black, 2);
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

void Draw(ImageView& view) {
  view.image.fill(Qt::white);
  QPainter painter(&view.image);
  painter.setRenderHint(QPainter::Antialiasing);
  for (const Stroke& s : view.strokes) {
    if (s.radius > 0) {
      painter.setPen(QPen(s.colour, s.width));
      painter.setBrush(s.colour);
      painter.drawEllipse(s.line.p1(), s.radius, s.radius);
      painter.setBrush(Qt::NoBrush);
    } else {
      painter.setPen(QPen(s.colour, s.width, Qt::SolidLine, Qt::RoundCap));
      painter.drawLine(s.line);
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

// One configuration: the window at the given logical size, the baseline window beside it.
int RunOne(int argc, char** argv, QSize size) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  LineArray_frm form;
  window = &form;
  form.show();
  form.resize(size);
  QApplication::processEvents();
  side = form.findChild<DrawingSurface*>(QStringLiteral("MainView_pbx"));
  zoom = form.findChild<DrawingSurface*>(QStringLiteral("ZoomView_pbx"));
  if (!side || !zoom || !zoom->isVisible()) {
    std::printf("FAIL: side view or zoom view not found or not shown\n");
    return 1;
  }
  form.RedrawAll();

  QWidget plainWindow;
  plainWindow.resize(form.size());
  plainSide = new ImageView(&plainWindow);
  plainZoom = new ImageView(plainSide);
  Prepare(*plainSide, *side, true);
  Prepare(*plainZoom, *zoom, false);
  plainSide->move(side->mapTo(&form, QPoint(0, 0)));
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
  return RunSideBySide(argc, argv, "RedrawAndShow", RedrawAndShow, "QPainterBaseline",
                       QPainterBaseline, Target);
}

// Runs every configuration in a child process of its own and passes its output
// through; the last line says whether all of them met the target.
int RunAll() {
  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  std::vector<std::string> verdicts;
  bool all = true;
  for (const char* size : {"800x600", "1920x1080"})
    for (const char* factor : {"1", "2"}) {
      setenv("QT_SCALE_FACTOR", factor, 1);
      std::printf("=== window %s, device pixel ratio %s ===\n", size, factor);
      std::fflush(stdout);
      FILE* child = popen(("'" + self + "' " + size).c_str(), "r");
      std::string line, last;
      for (int c; child && (c = std::fgetc(child)) != EOF;) {
        std::fputc(c, stdout);
        if (c != '\n')
          line += char(c);
        else
          last = std::exchange(line, {});
      }
      const bool passed = child && pclose(child) == 0 && last.rfind("PASS", 0) == 0;
      all = all && passed;
      verdicts.push_back(std::string(size) + " at ratio " + factor + ": " + last);
    }
  std::printf("\n");
  for (const std::string& v : verdicts) std::printf("%s\n", v.c_str());
  std::printf("%s: %s configurations within %.2f\n", all ? "PASS" : "FAIL",
              all ? "all four" : "not all", Target);
  return all ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  int width = 0, height = 0;
  if (argc > 1 && std::sscanf(argv[1], "%dx%d", &width, &height) == 2)
    return RunOne(argc, argv, QSize(width, height));
  return RunAll();
}
