// Zoom and pan in the side view: always to scale, about the cursor, never part of the design.
#include "model/ProjectRules.h"
#include "support/WindowFixture.h"
#include "views/SideView.h"

using namespace tarnwick;

namespace {

void Wheel(DrawingSurface* side, QPointF at, int notches) {
  const QPointF local = at + side->contentsRect().topLeft();
  QWheelEvent wheel(local, side->mapToGlobal(local), {}, QPoint(0, 120 * notches), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(side, &wheel);
}

// Logical pixels per metre across and up.
std::pair<double, double> Scales(DrawingSurface* side) {
  return {side->InnerSize().width() / side->ScaleWidth(),
          -side->InnerSize().height() / side->ScaleHeight()};
}

}  // namespace

class TestSectionNavigator : public QObject, WindowFixture {
  Q_OBJECT

 private slots:
  void cleanup() { Reset(); }

  void theWheelZoomsAboutTheCursorToScaleWithinItsLimits() {
    Open(QSize(1400, 900), false);
    const auto [across, up] = Scales(Side());
    for (const auto& [at, notches] :
         {std::pair(QPointF(700, 400), 3), {QPointF(150, 500), -2}, {QPointF(1000, 100), 5}}) {
      const QPointF before = Side()->ToUser(at);
      const double scale = Scales(Side()).first;
      Wheel(Side(), at, notches);
      const auto [nowAcross, nowUp] = Scales(Side());
      QVERIFY(std::fabs(nowAcross - nowUp) < 1e-9 * nowAcross);
      QVERIFY(std::fabs(nowAcross / scale - std::pow(1.25, notches)) < 1e-9);
      // The point under the cursor stays there, within a pixel.
      const QPointF after = Side()->ToPixels(before.x(), before.y());
      QVERIFY(QLineF(after, at).length() < 1.0);
    }
    QVERIFY(std::fabs(across - up) < 1e-6 * across);
    for (int i = 0; i < 60; ++i) Wheel(Side(), {700, 400}, 2);
    QCOMPARE(Scales(Side()).first, MostZoom);
    for (int i = 0; i < 120; ++i) Wheel(Side(), {700, 400}, -2);
    QCOMPARE(Scales(Side()).first, LeastZoom);
    // Designed View is the scene's own extents again.
    Trigger("DesignedView_men");
    QCOMPARE(Scales(Side()).first, across);
    QVERIFY(!Window().isWindowModified());
  }

  void fitDesignShowsTheArrayAndEveryAreaRightOfTheZoomView() {
    LineArray_frm& w = Open(QSize(1800, 1000), false);
    List("AreasAmount_cbx")->setCurrentIndex(2);
    Trigger("ShowMap_men");  // its band list and colour bar lie over the section too
    Trigger("FitDesign_men");
    const QRect zoom = Picture(u"ZoomView_pbx"_s)->geometry();
    const QSize inner = Side()->InnerSize();
    const Graphics& g = w.Geometry();
    std::vector<PlaneVector> points = {g.MountingPoint};
    for (int i = 0; i < 3; ++i)
      points.push_back(g.AreaGeom[i].Start), points.push_back(g.AreaGeom[i].End);
    for (int i = 0; i < BoxesInUse(w.Project()); ++i)
      points.push_back(g.BoxGeom[i].TopFront), points.push_back(g.BoxGeom[i].BottomBack);
    double widest = 0;
    for (const PlaneVector p : points) {
      const QPointF at = Side()->ToPixels(p.X, p.Y);
      QVERIFY2(
          at.x() > zoom.right() && at.x() < inner.width() && at.y() > 0 && at.y() < inner.height(),
          qPrintable(u"%1, %2"_s.arg(at.x()).arg(at.y())));
      widest = std::max(widest, at.x());
    }
    QVERIFY(widest > inner.width() * 0.9);  // filled, not lost in the middle
    const auto [across, up] = Scales(Side());
    QVERIFY(std::fabs(across - up) < 1e-9 * across);
  }

  void dragsTheSectionAlongWithoutTouchingTheDesignOrItsFile() {
    LineArray_frm& w = Open(QSize(1400, 900), false);
    TriggerWith("SaveAs_men", Path("view.qvd"));
    const QByteArray saved = Contents(Path("view.qvd"));
    const ProjectData before = w.Project();
    // The middle button, and the left with Space held, even on an area: the section follows.
    const AreaGeometry& area = w.Geometry().AreaGeom[0];
    const QPoint onArea =
        Side()
            ->ToPixels((area.Start.X + area.End.X) / 2, (area.Start.Y + area.End.Y) / 2)
            .toPoint();
    // Dragged by `by` logical pixels from the area with `button` held.
    const auto drag = [this, onArea](Qt::MouseButton button, QPoint by) {
      QTest::mousePress(Side(), button, {}, Inner(onArea).toPoint());
      MoveHeld(Inner(onArea + by), button);
      QTest::mouseRelease(Side(), button, {}, Inner(onArea + by).toPoint());
    };
    for (const Qt::MouseButton button : {Qt::MiddleButton, Qt::LeftButton}) {
      if (button == Qt::LeftButton) QTest::keyPress(Side(), Qt::Key_Space);
      const QPointF held = Side()->ToUser(onArea);
      drag(button, {-150, 60});
      if (button == Qt::LeftButton) QTest::keyRelease(Side(), Qt::Key_Space);
      const QPointF now = Side()->ToPixels(held.x(), held.y());
      QVERIFY(QLineF(now, onArea + QPoint(-150, 60)).length() < 1.0);
      drag(button, {150, -60});  // back
    }
    Wheel(Side(), {500, 300}, 4);
    QCOMPARE(w.Project(), before);
    QVERIFY(!w.isWindowModified());
    QCOMPARE(UndoText(), u"Undo"_s);
    Trigger("Save_men");
    QCOMPARE(Contents(Path("view.qvd")), saved);
  }
};

QTEST_MAIN(TestSectionNavigator)
#include "test_section_navigator.moc"
