#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QtTest>
#include <cmath>
#include <utility>

#include "ui/LineArrayForm.h"
#include "views/DrawingSurface.h"

using namespace tarnwick;

namespace {

bool IsReddish(QRgb p) { return qRed(p) > qGreen(p) + 40 && qRed(p) > qBlue(p) + 40; }
bool IsInked(QRgb p) { return qGray(p) < 200; }
bool IsBlackish(QRgb p) { return qGray(p) < 140 && !IsReddish(p); }

// Whether any pixel within `radius` logical pixels of the scene point passes.
template <typename Test>
bool AnyNear(DrawingSurface& view, double x, double y, int radius, Test test) {
  const QImage& image = view.Image();
  const QPointF at = view.ToPixels(x, y) * image.devicePixelRatio();
  const int r = int(std::ceil(radius * image.devicePixelRatio()));
  for (int py = int(at.y()) - r; py <= int(at.y()) + r; ++py)
    for (int px = int(at.x()) - r; px <= int(at.x()) + r; ++px)
      if (image.valid(px, py) && test(image.pixel(px, py))) return true;
  return false;
}

// First and last inked column of a pixel row, in logical pixels.
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

// The point `share` of the way along the ray of a box.
PlaneVector AlongRay(const LineArray_frm& w, int box, float share) {
  const BoxGeometry& b = w.Graphics.BoxGeom[box];
  return AddVectors(b.Source, ScaleVector(b.Ray, share));
}

bool RedNear(DrawingSurface& view, PlaneVector at) {
  return AnyNear(view, at.X, at.Y, 1, IsReddish);
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

  void everyBoxInUseGetsOneRayEndingWhereItsAxisMeetsTheAreas() {
    LineArray_frm w;
    ShowAt(w, 1000, 700);
    DrawingSurface& side = *w.MainView_pbx;
    // Box 2 ends on the third area, box 7 on the second, box 11 on the first.
    const struct {
      int box;
      float x, y;
    } ends[] = {{2, 27.25f, 3.318f}, {7, 14.847f, 1.023f}, {11, 3.561f, 0.157f}};
    for (const auto& end : ends) {
      const PlaneVector source = w.Graphics.BoxGeom[end.box].Source;
      const PlaneVector toEnd{end.x - source.X, end.y - source.Y};
      const QString box = QString::number(end.box);
      QVERIFY2(RedNear(side, AddVectors(source, ScaleVector(toEnd, 0.97f))), qPrintable(box));
      QVERIFY2(!RedNear(side, AddVectors(source, ScaleVector(toEnd, 1.06f))), qPrintable(box));
    }
    // Boxes 0 and 1 cross no area and run to the right end of the scene.
    for (int box : {0, 1}) {
      QCOMPARE(AlongRay(w, box, 1.0f).X, w.Graphics.SceneWidth);
      QVERIFY(RedNear(side, AlongRay(w, box, 0.99f)));
    }
    // With two boxes, only their two rays are drawn.
    const PlaneVector lastRay = AlongRay(w, 11, 0.8f);
    QVERIFY(RedNear(side, lastRay));
    w.findChild<QComboBox*>("BoxesAmount_cbx")->setCurrentIndex(0);
    QVERIFY(!RedNear(side, lastRay));
    for (int box : {0, 1}) QVERIFY(RedNear(side, AlongRay(w, box, 0.5f)));
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
    QVERIFY(AnyNear(side, 0, -0.03 * height, 0, IsBlackish));
    QVERIFY(AnyNear(side, width, -0.03 * height, 0, IsBlackish));
    QVERIFY(!AnyNear(side, width / 2, -0.03 * height, 1, IsInked));

    // The scene starts near the zoom view's right edge: the view spans -k to 1.06 scene
    // widths with k = k0 / (1 - k0), k0 the zoom view's share.
    const int inner = side.contentsRect().width();
    const double rightEdge = side.ScaleLeft() + side.ScaleWidth();
    QVERIFY(qAbs(rightEdge - 1.06 * width) < 1e-4);
    const double floorRow = side.ToPixels(0, 0).y(), topRow = side.ToPixels(0, height).y();
    const double k0 = double(w.ZoomView_pbx->width()) / inner;
    const double k = k0 / (1 - k0);
    QVERIFY(qAbs(first - k / (k + 1.06) * inner) <= 2);
    QVERIFY(qAbs(first - w.ZoomView_pbx->width()) < 12);

    w.findChild<QAction*>("ShowZoom_men")->trigger();
    QVERIFY(w.ZoomView_pbx->isHidden());
    const auto without = InkedSpan(side, base);
    // 6 % of the scene on each side: 0.06 / 1.12 of the width.
    QVERIFY(qAbs(without.first - 0.06 / 1.12 * inner) <= 2);
    QVERIFY(qAbs(without.second - 1.06 / 1.12 * inner) <= 2);
    // Only the left margin changed: the view still ends 6 % beyond the scene.
    QVERIFY(qAbs(side.ScaleLeft() + side.ScaleWidth() - rightEdge) < 1e-4);
    QCOMPARE(side.ToPixels(0, 0).y(), floorRow);
    QCOMPARE(side.ToPixels(0, height).y(), topRow);
    // 10 % of the scene height above it and below the floor.
    const double rows = side.contentsRect().height();
    QVERIFY(qAbs(topRow - 0.1 / 1.2 * rows) < 1);
    QVERIFY(qAbs(floorRow - 1.1 / 1.2 * rows) < 1);
  }

  void fixedHeightKeepsTheVerticalScaleWhateverTheWindow() {
    LineArray_frm w;
    ShowAt(w, 1000, 700);
    w.findChild<QAction*>("FixedHeight_men")->trigger();
    QCOMPARE(w.Graphics.SceneHeight, 5.0f * 1.3f);
    w.resize(1000, 900);
    QTRY_VERIFY(w.MainView_pbx->height() > 500);
    QCOMPARE(w.Graphics.SceneHeight, 5.0f * 1.3f);
    // An area higher than the scene runs off the top of the view.
    w.findChild<QLineEdit*>("AreaHeight2_tbx(2)")->setText("30");
    w.RedrawAll();
    QCOMPARE(w.Graphics.SceneHeight, 5.0f * 1.3f);
    QVERIFY(w.MainView_pbx->ToPixels(0, 30).y() < 0);

    w.findChild<QAction*>("FixedHeight_men")->trigger();
    QCOMPARE(w.Graphics.SceneHeight, 30.0f);
  }

  void zoomViewShowsFlybarAndBoxesButNoRays() {
    LineArray_frm w;
    ShowAt(w, 1000, 700);
    DrawingSurface& zoom = *w.ZoomView_pbx;
    const BoxGeometry& last = w.Graphics.BoxGeom[11];
    QVERIFY(AnyNear(zoom, last.BottomFront.X, last.BottomFront.Y, 1, IsInked));
    const PlaneVector m = w.Graphics.MountingPoint;
    QVERIFY(AnyNear(zoom, m.X, m.Y, 1, IsReddish));
    // Rays leave the front faces; in the zoom view nothing is drawn there.
    const PlaneVector ahead = AlongRay(w, 11, 0.02f);
    QVERIFY(!AnyNear(zoom, ahead.X + 0.3, ahead.Y, 1, IsInked));
    // The zoom scale follows the mounting point.
    const QPointF before = zoom.ToPixels(m.X, m.Y);
    w.findChild<QLineEdit*>("FloorDistance_tbx")->setText("8");
    w.RedrawAll();
    QCOMPARE(zoom.ToPixels(w.Graphics.MountingPoint.X, w.Graphics.MountingPoint.Y), before);
  }

  void extremeProjectsDrawWithoutFault() {
    LineArray_frm w;
    ShowAt(w, 900, 650);
    w.findChild<QCheckBox*>("AutomaticInclCalc_chk")->setChecked(false);
    const QStringList values = {"1e38", "-1e38", "1e-38", "0", "-5", "3e38", "-20", "1e9"};
    for (const char* inclination : {"90", "-90", "180", "1e30", "0"}) {
      w.findChild<QLineEdit*>("InclinationAngle_tbx")->setText(inclination);
      for (const char* name :
           {"AreaDistance_tbx(0)", "AreaLength_tbx(0)", "AreaHeight1_tbx(0)", "AreaHeight2_tbx(0)",
            "AreaDistance_tbx(2)", "AreaLength_tbx(2)", "FloorDistance_tbx"})
        for (const QString& value : values) {
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

QTEST_MAIN(TestSideView)
#include "test_side_view.moc"
