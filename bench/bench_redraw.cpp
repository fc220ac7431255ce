// A full redraw of the default project against the bare cost of what it
// draws: clearing the same two images and rasterising the same lines and
// discs straight with QPainter.

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <vector>

#include "RatioReporter.h"
#include "ui/LineArrayForm.h"
#include "views/DrawingSurface.h"

using namespace tarnwick;

namespace {

LineArray_frm* window = nullptr;

struct Stroke {
  QLineF line;
  QColor colour;
  int width;
};

struct Picture {
  QImage image;
  std::vector<Stroke> strokes;
  QPointF disc;
  double discRadius = 0;
};

// The strokes of the last redraw, in image pixels, in drawing order.
Picture Replay(DrawingSurface& view, bool withRays) {
  const Graphics& g = window->Graphics;
  const ProjectData& p = window->Data.Project;
  Picture picture;
  picture.image = QImage(view.Image().size(), view.Image().format());
  auto add = [&](PlaneVector a, PlaneVector b, QColor colour, int width) {
    picture.strokes.push_back(
        {QLineF(view.ToPixels(a.X, a.Y), view.ToPixels(b.X, b.Y)), colour, width});
  };
  const QColor black(0, 0, 0), red(128, 0, 0);
  const int thick = withRays ? 2 : 1;
  if (withRays) {
    const float w = g.SceneWidth, h = g.SceneHeight;
    add({0, -0.05f * h}, {w, -0.05f * h}, black, 1);
    add({0, -0.05f * h}, {0, -0.025f * h}, black, 1);
    add({w, -0.05f * h}, {w, -0.025f * h}, black, 1);
    for (int i = 0; i < p.AreasAmount; ++i) add(g.AreaGeom[i].Start, g.AreaGeom[i].End, black, 2);
  }
  const auto& F = g.Flybar;
  for (auto [a, b] : {std::pair{0, 1}, {2, 3}, {3, 4}, {4, 5}, {5, 0}})
    add(F[a], F[b], black, thick);
  for (int i = 0; i < p.BoxesAmount; ++i) {
    const BoxGeometry& box = g.BoxGeom[i];
    add(box.TopFront, box.BottomFront, black, 1);
    add(box.BottomFront, box.BottomBack, black, 1);
    add(box.BottomBack, box.TopBack, black, 1);
    add(box.TopBack, box.TopFront, black, 1);
    if (withRays) add(box.Source, AddVectors(box.Source, box.Ray), red, 1);
  }
  picture.disc = view.ToPixels(g.MountingPoint.X, g.MountingPoint.Y);
  picture.discRadius = 0.015 / view.ScaleWidth() * view.contentsRect().width();
  return picture;
}

void Draw(Picture& picture) {
  picture.image.fill(Qt::white);
  QPainter painter(&picture.image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(QColor(128, 0, 0), 2));
  painter.setBrush(QColor(128, 0, 0));
  painter.drawEllipse(picture.disc, picture.discRadius, picture.discRadius);
  painter.setBrush(Qt::NoBrush);
  for (const Stroke& s : picture.strokes) {
    painter.setPen(QPen(s.colour, s.width, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(s.line);
  }
}

void RedrawAll(benchmark::State& state) {
  for (auto _ : state) {
    window->RedrawAll();
    benchmark::DoNotOptimize(window->MainView_pbx->Image().constBits());
    benchmark::DoNotOptimize(window->ZoomView_pbx->Image().constBits());
  }
}

void QPainterBaseline(benchmark::State& state) {
  window->RedrawAll();
  Picture side = Replay(*window->MainView_pbx, true);
  Picture zoom = Replay(*window->ZoomView_pbx, false);
  for (auto _ : state) {
    Draw(side);
    Draw(zoom);
    benchmark::DoNotOptimize(side.image.constBits());
    benchmark::DoNotOptimize(zoom.image.constBits());
  }
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  LineArray_frm form;
  window = &form;
  form.show();
  QApplication::processEvents();
  // Side view of 1600 x 1000 device pixels (inner area), zoom view shown.
  const qreal ratio = form.MainView_pbx->devicePixelRatioF();
  form.MainView_pbx->resize(QSize(1602, 1002) / ratio);
  QApplication::processEvents();
  form.RedrawAll();
  std::printf("side view image %dx%d, zoom view image %dx%d\n", form.MainView_pbx->Image().width(),
              form.MainView_pbx->Image().height(), form.ZoomView_pbx->Image().width(),
              form.ZoomView_pbx->Image().height());

  return RunSideBySide(argc, argv, "RedrawAll", RedrawAll, "QPainterBaseline", QPainterBaseline,
                       1.25);
}
