#include "views/SideView.h"

#include <algorithm>
#include <cmath>

#include "model/ProjectRules.h"
#include "views/Canvas.h"

namespace tarnwick {

namespace {

constexpr double MountingDiscRadius = 0.015;  // metres

void DrawSegment(Canvas& surface, PlaneVector a, PlaneVector b) {
  surface.Line(a.X, a.Y, b.X, b.Y);
}

// The five visible sides of the flybar; F1-F2 is open.
void DrawFlybar(Canvas& surface, const std::array<PlaneVector, 6>& F) {
  DrawSegment(surface, F[0], F[1]);
  DrawSegment(surface, F[2], F[3]);
  DrawSegment(surface, F[3], F[4]);
  DrawSegment(surface, F[4], F[5]);
  DrawSegment(surface, F[5], F[0]);
}

void DrawOutline(Canvas& surface, const BoxGeometry& box) {
  DrawSegment(surface, box.TopFront, box.BottomFront);
  DrawSegment(surface, box.BottomFront, box.BottomBack);
  DrawSegment(surface, box.BottomBack, box.TopBack);
  DrawSegment(surface, box.TopBack, box.TopFront);
}

void DrawMountingDisc(Canvas& surface, PlaneVector m) {
  surface.Fill = Canvas::FillStyle::Solid;
  surface.FillColor = Canvas::QBColor(4);
  surface.Circle(m.X, m.Y, MountingDiscRadius, Canvas::QBColor(4));
}

}  // namespace

double ZoomShare(const Canvas& side, const Canvas& zoom) {
  const int inner = side.InnerSize().width();
  return inner > 0 ? double(zoom.OuterSize().width()) / inner : 0.0;
}

void DrawBackground(Canvas& side, Canvas& zoom, bool zoomShown, const ProjectData& project,
                    const Graphics& g, const std::optional<ViewWindow>& view) {
  const double w = g.SceneWidth;
  const double h = g.SceneHeight;
  // 1. Scale: 6 % margins left and right, 10 % above the scene and below the
  //    floor; with the zoom view shown the scene starts right of it.
  double left = -0.06 * w;
  double right = 1.06 * w;
  double top = 1.1 * h;
  const double bottom = -0.1 * h;
  const double zoomShare = zoomShown ? std::min(ZoomShare(side, zoom), 0.9) : 0.0;
  if (zoomShown) left = -zoomShare / (1.0 - zoomShare) * w;
  // 2. To scale: the span that gives fewer metres per pixel grows until a
  //    metre is as many pixels across as up. Height is added above the
  //    scene; width on the right, and with the zoom view shown also on the
  //    left, so that the scene still starts right of the zoom view.
  const QSize inner = side.InnerSize();
  const double across = (right - left) / inner.width();
  const double up = (top - bottom) / inner.height();
  if (inner.width() > 0 && inner.height() > 0 && std::isfinite(across) && std::isfinite(up) &&
      across > 0 && up > 0) {
    if (across < up) {
      const double span = up * inner.width();
      left = zoomShown ? left * span / (right - left) : left;
      right = left + span;
    } else {
      top = bottom + across * inner.height();
    }
  }
  if (view && inner.width() > 0 && inner.height() > 0)
    side.Scale(view->Left, view->Top, view->Left + inner.width() / view->PixelsPerMetre,
               view->Top - inner.height() / view->PixelsPerMetre);
  else
    side.Scale(left, top, right, bottom);
  // 3. Base line under the floor, with end ticks, in the current draw width.
  const QColor black = Canvas::QBColor(0);
  side.Line(0, -0.05 * h, w, -0.05 * h, black);
  side.Line(0, -0.05 * h, 0, -0.025 * h, black);
  side.Line(w, -0.05 * h, w, -0.025 * h, black);
  // 4. The zoom view spans 2 m by 4 m around the mounting point.
  if (zoomShown) {
    const double floor = project.FloorDistance;
    zoom.Scale(0, floor + 0.2, 2, floor - 3.8);
  }
}

void DrawAreas(Canvas& side, const ProjectData& project, const Graphics& g) {
  side.DrawWidth = 2;
  for (int i = 0; i < AreasInUse(project); ++i)
    DrawSegment(side, g.AreaGeom[i].Start, g.AreaGeom[i].End);
}

void DrawArray(Canvas& side, Canvas& zoom, const ProjectData& project, const Graphics& g) {
  // 1. Mounting point and flybar, thick, in both pictures.
  side.DrawWidth = 2;
  side.ForeColor = Canvas::QBColor(0);
  DrawMountingDisc(side, g.MountingPoint);
  DrawFlybar(side, g.Flybar);
  DrawMountingDisc(zoom, g.MountingPoint);
  DrawFlybar(zoom, g.Flybar);
  // 2. Every box: thin outline in both pictures, red ray in the side view.
  side.DrawWidth = 1;
  const QColor red = Canvas::QBColor(4);
  for (int i = 0; i < BoxesInUse(project); ++i) {
    const BoxGeometry& box = g.BoxGeom[i];
    DrawOutline(side, box);
    DrawOutline(zoom, box);
    const PlaneVector aim = AddVectors(box.Source, box.Ray);
    side.Line(box.Source.X, box.Source.Y, aim.X, aim.Y, red);
  }
}

ViewWindow FitDesign(const ProjectData& project, const Graphics& g, QSize inner, int reserved) {
  double left = g.MountingPoint.X, right = left, top = g.MountingPoint.Y, bottom = top;
  const auto take = [&](PlaneVector p) {
    if (!std::isfinite(p.X) || !std::isfinite(p.Y)) return;
    left = std::min(left, double(p.X)), right = std::max(right, double(p.X));
    top = std::max(top, double(p.Y)), bottom = std::min(bottom, double(p.Y));
  };
  for (const PlaneVector& corner : g.Flybar) take(corner);
  for (int i = 0; i < BoxesInUse(project); ++i)
    for (const PlaneVector& corner : {g.BoxGeom[i].TopFront, g.BoxGeom[i].BottomFront,
                                      g.BoxGeom[i].BottomBack, g.BoxGeom[i].TopBack})
      take(corner);
  for (int i = 0; i < AreasInUse(project); ++i) take(g.AreaGeom[i].Start), take(g.AreaGeom[i].End);
  // A margin of a twentieth of the view on every side, and never less than a metre across.
  const double width = std::max(right - left, 1.0), height = std::max(top - bottom, 1.0);
  const double across = std::max(1, inner.width() - reserved), up = std::max(1, inner.height());
  const double scale =
      std::clamp(std::min(0.9 * across / width, 0.9 * up / height), LeastZoom, MostZoom);
  // Centred across; the lowest point a twentieth above the bottom, so that the room the
  // view has to spare goes above the design, where its rays and the map go, not under the
  // floor.
  const double middleX = (left + right) / 2;
  return {middleX - (reserved + across / 2) / scale, bottom + 0.95 * up / scale, scale};
}

}  // namespace tarnwick
