// The drawing surface and the side and zoom views, drawn at twice the pixel ratio.
#include <QtTest>
#include <QtWidgets>
#include <cmath>
#include <utility>

#include "ui/LineArrayForm.h"
#include "views/DrawingSurface.h"

using namespace tarnwick;

namespace {

bool IsDark(QRgb p) { return qGray(p) < 128; }
bool IsInked(QRgb p) { return qGray(p) < 200; }
bool IsReddish(QRgb p) { return qRed(p) > qGreen(p) + 40 && qRed(p) > qBlue(p) + 40; }
bool IsBlackish(QRgb p) { return qGray(p) < 140 && !IsReddish(p); }

// Whether any pixel within `radius` logical pixels of the user point passes the test.
template <typename Test>
bool AnyNear(DrawingSurface& view, double x, double y, int radius, Test test) {
  const QImage& image = view.Image();
  const qreal ratio = image.devicePixelRatio();
  const QPointF at = view.ToPixels(x, y) * ratio;
  const int r = int(std::ceil(radius * ratio));
  for (int py = int(std::lround(at.y())) - r; py <= int(std::lround(at.y())) + r; ++py)
    for (int px = int(std::lround(at.x())) - r; px <= int(std::lround(at.x())) + r; ++px)
      if (image.valid(px, py) && test(image.pixel(px, py))) return true;
  return false;
}

// Pixel at a point given in logical pixels.
QRgb At(const QImage& image, double x, double y) {
  return image.pixel(int(x * image.devicePixelRatio()), int(y * image.devicePixelRatio()));
}

int CountDark(const QImage& image) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) n += IsDark(image.pixel(x, y));
  return n;
}

// A cleared 100 x 100 pixel inner area spanning 0 to `extent` both ways, y upward.
void Prepare(DrawingSurface& s, double extent) {
  s.resize(102, 102);
  s.Scale(0, extent, extent, 0);
  s.Cls();
}

// First and last inked column of the pixel row at a scene height, in logical pixels.
std::pair<int, int> InkedSpan(DrawingSurface& view, double sceneY) {
  const QImage& image = view.Image();
  const qreal ratio = image.devicePixelRatio();
  const int row = int(view.ToPixels(0, sceneY).y() * ratio);
  int first = -1, last = -1;
  for (int x = 0; x < image.width(); ++x)
    if (IsInked(image.pixel(x, row))) {
      if (first < 0) first = x;
      last = x;
    }
  return {int(first / ratio), int(last / ratio)};
}

// Whether the side view is red near the point `share` of the way along a box's ray.
bool RedAlongRay(LineArray_frm& w, int box, float share) {
  const BoxGeometry& b = w.Graphics.BoxGeom[box];
  const PlaneVector at = AddVectors(b.Source, ScaleVector(b.Ray, share));
  return AnyNear(*w.MainView_pbx, at.X, at.Y, 1, IsReddish);
}

void ShowAt(LineArray_frm& w, int width, int height) {
  w.resize(width, height);
  w.show();
  QVERIFY(QTest::qWaitForWindowExposed(&w));
}

}  // namespace

class TestSideView : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { QVERIFY(QApplication::topLevelWidgets().isEmpty()); }

  void drawingKeepsItsColourWidthAndFillUntilCleared() {
    DrawingSurface s;
    Prepare(s, 100);
    s.Line(10, 80, 90, 80, DrawingSurface::QBColor(4));
    s.DrawWidth = 5;
    s.Line(10, 20, 90, 20);
    s.Fill = DrawingSurface::FillStyle::Solid;
    s.FillColor = DrawingSurface::QBColor(4);
    s.Circle(50, 50, 5, DrawingSurface::QBColor(4));
    s.CurrentX = 5;
    s.CurrentY = 95;
    s.Print("Ag");
    const QImage drawn = s.Image();
    const QRgb red = At(drawn, 50, 20);
    QVERIFY(qRed(red) > 100 && qGreen(red) < 60 && qBlue(red) < 60);
    QVERIFY(!IsDark(At(drawn, 50, 23)));
    QVERIFY(IsDark(At(drawn, 50, 80 + 2)));  // the wide line covers two pixels off its axis
    QCOMPARE(At(drawn, 50, 50), qRgb(128, 0, 0));
    // Text hangs below its top left corner; its height carries the vertical scale's sign.
    const double line = -s.TextHeight("Ag");
    QVERIFY(line > 0);
    QVERIFY(AnyNear(s, 9, 95 - line / 2, 6, IsInked));
    QVERIFY(!AnyNear(s, 9, 95 + line / 2, 4, IsInked));
    s.update();
    QCOMPARE(s.Image(), drawn);  // painting does not redraw or erase
    // A disc covering everything keeps the fill; one without a finite centre draws nothing.
    s.Circle(50, 50, 1e30, DrawingSurface::QBColor(0));
    s.Circle(NAN, 50, 5, DrawingSurface::QBColor(0));
    QCOMPARE(qRed(At(s.Image(), 50, 50)), 128);
    s.Cls();
    QCOMPARE(CountDark(s.Image()), 0);
    s.Scale(0, 0, 100, 100);
    QCOMPARE(s.TextHeight("Ag"), line);
  }

  void nonFiniteLinesAreSkippedAndHugeOnesClipped() {
    DrawingSurface s;
    Prepare(s, 10);
    s.Line(NAN, 5, 10, 5);
    s.Line(0, INFINITY, 10, 5);
    s.Line(1e300, 1, -1e300, 1);     // crosses the picture: clipped, it shows all across
    s.Line(1e30, 1e30, 2e30, 3e30);  // far away: nothing
    const QImage image = s.Image();
    for (double x : {1.0, 50.0, 98.0}) QVERIFY(IsDark(At(image, x, 90)));
    const qreal ratio = image.devicePixelRatio();
    QCOMPARE(CountDark(image),
             CountDark(image.copy(0, int(88 * ratio), image.width(), int(5 * ratio))));
  }

  void everyBoxInUseGetsOneRayToItsAimAndTheZoomViewNone() {
    LineArray_frm w;
    ShowAt(w, 1000, 700);
    // Each ray reaches its aim (on an area, or the right end of the scene) and stops there.
    for (int box = 0; box < 12; ++box) {
      QVERIFY2(RedAlongRay(w, box, 0.97f), qPrintable(QString::number(box)));
      QVERIFY2(!RedAlongRay(w, box, 1.06f), qPrintable(QString::number(box)));
    }
    QCOMPARE(AddVectors(w.Graphics.BoxGeom[0].Source, w.Graphics.BoxGeom[0].Ray).X,
             w.Graphics.SceneWidth);
    // The zoom view shows the boxes and the red mounting point, but no ray.
    DrawingSurface& zoom = *w.ZoomView_pbx;
    const BoxGeometry& last = w.Graphics.BoxGeom[11];
    QVERIFY(AnyNear(zoom, last.BottomFront.X, last.BottomFront.Y, 1, IsInked));
    const PlaneVector m = w.Graphics.MountingPoint;
    QVERIFY(AnyNear(zoom, m.X, m.Y, 1, IsReddish));
    const PlaneVector ahead = AddVectors(last.Source, ScaleVector(last.Ray, 0.02f));
    QVERIFY(!AnyNear(zoom, ahead.X + 0.3, ahead.Y, 1, IsInked));
    // With two boxes, only their two rays are drawn.
    w.findChild<QComboBox*>("BoxesAmount_cbx")->setCurrentIndex(0);
    QVERIFY(!RedAlongRay(w, 11, 0.8f));
    for (int box : {0, 1}) QVERIFY(RedAlongRay(w, box, 0.5f));
    // The zoom scale follows the mounting point.
    const QPointF before = zoom.ToPixels(m.X, m.Y);
    w.findChild<QLineEdit*>("FloorDistance_tbx")->setText("8");
    w.RedrawAll();
    QCOMPARE(zoom.ToPixels(w.Graphics.MountingPoint.X, w.Graphics.MountingPoint.Y), before);
  }

  void areasBaseLineAndMarginsLeaveRoomForTheZoomViewOnlyOnTheLeft() {
    LineArray_frm w;
    ShowAt(w, 1000, 700);
    DrawingSurface& side = *w.MainView_pbx;
    const double width = w.Graphics.SceneWidth, height = w.Graphics.SceneHeight;
    QCOMPARE(width, 28.0);
    // Middles of the three slopes, in black.
    QVERIFY(AnyNear(side, 6.975, 0.5, 1, IsBlackish));
    QVERIFY(AnyNear(side, 17.964, 1.4, 1, IsBlackish));
    QVERIFY(AnyNear(side, 25.833, 2.7, 1, IsBlackish));
    // Base line below the floor from 0 to the scene's right end, with ticks at its ends.
    const double base = -0.05 * height;
    const auto [first, last] = InkedSpan(side, base);
    QVERIFY(qAbs(first - side.ToPixels(0, base).x()) <= 2);
    QVERIFY(qAbs(last - side.ToPixels(width, base).x()) <= 2);
    for (double x : {0.0, width}) QVERIFY(AnyNear(side, x, -0.03 * height, 0, IsBlackish));
    QVERIFY(!AnyNear(side, width / 2, -0.03 * height, 1, IsInked));
    // The scene starts at the zoom view's right edge (k0 its share of the width).
    const int inner = side.contentsRect().width();
    const double rightEdge = side.ScaleLeft() + side.ScaleWidth();
    QVERIFY(qAbs(rightEdge - 1.06 * width) < 1e-4);
    const double k0 = double(w.ZoomView_pbx->width()) / inner, k = k0 / (1 - k0);
    QVERIFY(qAbs(first - k / (k + 1.06) * inner) <= 2);
    const double floorRow = side.ToPixels(0, 0).y(), topRow = side.ToPixels(0, height).y();

    w.findChild<QAction*>("ShowZoom_men")->trigger();
    QVERIFY(w.ZoomView_pbx->isHidden());
    const auto without = InkedSpan(side, base);
    // 6 % of the scene on each side: 0.06 / 1.12 of the width. Only the left margin changed.
    QVERIFY(qAbs(without.first - 0.06 / 1.12 * inner) <= 2);
    QVERIFY(qAbs(without.second - 1.06 / 1.12 * inner) <= 2);
    QVERIFY(qAbs(side.ScaleLeft() + side.ScaleWidth() - rightEdge) < 1e-4);
    QCOMPARE(side.ToPixels(0, 0).y(), floorRow);
    // 10 % of the scene height above it and below the floor.
    const double rows = side.contentsRect().height();
    QVERIFY(qAbs(topRow - 0.1 / 1.2 * rows) < 1);
    QVERIFY(qAbs(floorRow - 1.1 / 1.2 * rows) < 1);
  }

  void extremeProjectsDrawWithoutFault() {
    LineArray_frm w;
    ShowAt(w, 900, 650);
    w.findChild<QCheckBox*>("AutomaticInclCalc_chk")->setChecked(false);
    for (const char* inclination : {"90", "-90", "1e30"}) {
      w.findChild<QLineEdit*>("InclinationAngle_tbx")->setText(inclination);
      for (const char* name : {"AreaLength_tbx(0)", "AreaHeight2_tbx(0)", "FloorDistance_tbx"})
        for (const char* value : {"3e38", "-1e38", "1e-38", "0"}) {
          w.findChild<QLineEdit*>(name)->setText(value);
          w.RedrawAll();
        }
    }
    // Whatever was drawn before, a sane project draws sanely again.
    w.NewProject();
    w.RedrawAll();
    QVERIFY(AnyNear(*w.MainView_pbx, 6.975, 0.5, 1, IsBlackish));
  }
};

int main(int argc, char** argv) {
  qputenv("QT_SCALE_FACTOR", "2");
  QApplication app(argc, argv);
  TestSideView test;
  return QTest::qExec(&test, argc, argv);
}
#include "test_side_view.moc"
