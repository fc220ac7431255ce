// The window's layout as a user meets it: sizes, panels shown and hidden, the graph strip's
// room, the side view to scale, and moving an area with the mouse.
#include "support/Pixels.h"
#include "support/WindowFixture.h"
#include "ui/panels/LineElement.h"
#include "ui/panels/Twips.h"
#include "ui/window/WindowLayout.h"

using namespace tarnwick;

namespace {

int Right(const QWidget* w) { return w->x() + w->width(); }
QSize OuterSize(const LineArray_frm& w) { return OuterSizeTwips(w) / TwipsPerPixel; }

// Pixels of the shown picture darker than mid grey, its border left out.
int DarkPixels(QWidget& picture) {
  const QImage shown = picture.grab().toImage();
  return Count(shown, IsDark, shown.rect().adjusted(2, 2, -2, -2));
}

}  // namespace

class TestWindowLayout : public QObject, WindowFixture {
  Q_OBJECT

 private slots:
  void cleanup() { Reset(); }

  void startUpShowsTheDefaultProjectDrawnAndCentred() {
    LineArray_frm& w = Open({}, false);
    QCOMPARE(Caption(), u"Quenvar Tarnwick"_s);
    QCOMPARE(OuterSize(w), QSize(800, 600));
    const QPoint offCentre = w.frameGeometry().center() - w.screen()->availableGeometry().center();
    QVERIFY(qAbs(offCentre.x()) <= 1 && qAbs(offCentre.y()) <= 1);
    QVERIFY(DarkPixels(*Side()) > 500);  // both pictures drawn the moment the window appears
    QVERIFY(DarkPixels(*Picture("ZoomView_pbx")) > 200);
    // What the collapsed panels and the hidden strip hold is made on first use.
    for (const char* name : {"FloorDistance_tbx", "AreaLength_tbx(0)", "Calc_cbt"})
      QVERIFY(w.findChild<QWidget*>(QLatin1String(name)) == nullptr);
    for (const char* button : {"ShowArraySettings_cbt", "ShowAreaSettings_cbt"}) Click(button);
    // The start-up redraw replaced the stored inclination 5.29 with the hanging angle.
    QCOMPARE(
        Shown({"Project_tbx", "Author_tbx", "Units_cbx", "AreasAmount_cbx", "BoxesAmount_cbx",
               "FloorDistance_tbx", "FlybarMounting_cbx", "FlybarPin_cbx", "InclinationAngle_tbx"}),
        u"Your Project|Your Name|Metres|3|12|5|Downtilt|2|3"_s);
    QCOMPARE(Shown(Rows("Angle_cbx(%1)", 11)), u"0°|5°|0°|0°|0°|0°|5°|5°|5°|5°|5°"_s);
  }

  void sideViewFillsWhatThePanelsLeaveAndNeverShrinksBelowTheMinimum() {
    LineArray_frm& w = Open(QSize(1000, 700), false);
    DrawingSurface* side = Side();
    QCOMPARE(side->width(), OuterSize(w).width() - 12);  // window width less 180 twips
    QCOMPARE(Right(Find("AreaFrame")), Right(side));
    w.resize(500, 300);
    QTRY_COMPARE(OuterSize(w), QSize(800, 600));
    w.resize(1000, 700);
    QTRY_COMPARE(w.size(), QSize(1000, 700));
    // The array panel takes room on the left, until it is collapsed again.
    const int right = Right(side);
    Click("ShowArraySettings_cbt");
    QVERIFY(w.findChild<WindowLayout*>()->ArraySettingsShown() &&
            Find<QPushButton>("ShowArraySettings_cbt")->text() == "Hide Setup");
    QCOMPARE(QPoint(side->x() * TwipsPerPixel, Right(side)), QPoint(2610, right));
    QCOMPARE(Find("ArrayFrame")->height() * TwipsPerPixel, 8175);
    Click("ShowArraySettings_cbt");
    QCOMPARE(side->x(), 2);
    // The graph strip goes below a shortened side view, as wide as it, and gives the room back.
    const int height = side->height();
    Trigger("ShowGraph_men");
    QWidget* strip = Picture("Graph_pbx");
    QVERIFY(w.findChild<WindowLayout*>()->GraphShown() && strip->isVisible() &&
            Find("Calc_cbt")->isVisible());
    QVERIFY(strip->y() > side->geometry().bottom() && strip->geometry().bottom() < w.height());
    QCOMPARE(strip->width(), side->width());
    Trigger("ShowGraph_men");
    QVERIFY(!strip->isVisible());
    QCOMPARE(side->height(), height);
  }

  void theStripTakesAThirdAndKeepsTheShareDraggedFromOneStartToTheNext() {
    LineArray_frm& w = Open(QSize(), false);
    w.resize(1400, 900);
    QTRY_COMPARE(w.size(), QSize(1400, 900));
    Trigger("ShowGraph_men");
    const auto share = [this] {
      const QWidget* strip = Picture("Graph_pbx");
      return double(strip->height()) / (strip->height() + Side()->height());
    };
    QVERIFY2(share() > 0.30 && share() < 0.36, qPrintable(QString::number(share())));
    // Dragged taller by its top edge: the share stays as the window grows.
    DragGraphEdge(150);
    const double dragged = share();
    QVERIFY(dragged > 0.45);
    w.resize(1400, 1100);
    QTRY_COMPARE(w.height(), 1100);
    QVERIFY2(std::fabs(share() - dragged) < 0.02, qPrintable(QString::number(share())));
    // And at the next start.
    LineArray_frm& next = Open(QSize(), false);
    next.resize(1400, 900);
    QTRY_COMPARE(next.size(), QSize(1400, 900));
    Trigger("ShowGraph_men");
    QVERIFY2(std::fabs(share() - dragged) < 0.02, qPrintable(QString::number(share())));
  }

  void theSideViewIsToScaleAndTheZoomViewSmallWhateverThePanelsAndTheStrip() {
    LineArray_frm& w = Open(QSize(), false);
    w.resize(1400, 900);
    QTRY_COMPARE(w.size(), QSize(1400, 900));
    const QWidget* zoom = Picture("ZoomView_pbx");
    QCOMPARE(zoom->size(), QSize(135, 270));  // its own size where it has room
    const auto check = [&](const char* what) {
      const QSize inner = Side()->contentsRect().size();
      const QPointF ppm(inner.width() / Side()->ScaleWidth(),
                        -inner.height() / Side()->ScaleHeight());
      const double extent = std::max(w.Geometry().SceneWidth, w.Geometry().SceneHeight);
      QVERIFY2(qAbs(ppm.x() - ppm.y()) * extent < 1.0,
               qPrintable(u"%1: %2 px/m across, %3 up"_s.arg(what).arg(ppm.x()).arg(ppm.y())));
      // The scene still lies inside the picture, the array right of the zoom view.
      const QPoint origin = Pixel(0, 0),
                   far = Pixel(w.Geometry().SceneWidth, w.Geometry().SceneHeight);
      QVERIFY2(Side()->rect().contains(origin) && Side()->rect().contains(far), what);
      QVERIFY2(!zoom->isVisible() || Pixel(MountingPointX, 0).x() > zoom->geometry().right(), what);
      // The zoom view, its shape kept, never covers more than a tenth of the side view.
      const double share =
          double(zoom->width() * zoom->height()) / (Side()->width() * Side()->height());
      QVERIFY2(
          !zoom->isVisible() || (share <= 0.101 && qAbs(zoom->height() - 2 * zoom->width()) <= 2),
          what);
    };
    check("as opened");
    w.resize(800, 600);  // small: the strip and both panels take what room there is
    QTRY_COMPARE(w.size(), QSize(800, 600));
    for (const auto& [what, control] : {std::pair{"array panel open", "ShowArraySettings_cbt"},
                                        {"both panels open", "ShowAreaSettings_cbt"},
                                        {"with the strip", "ShowGraph_men"},
                                        {"fixed height", "FixedHeight_men"}}) {
      QLatin1String(control).endsWith("_cbt"_L1) ? Click(control) : Trigger(control);
      check(what);
    }
    Trigger("ShowZoom_men");
    w.resize(1400, 600);
    QTRY_COMPARE(w.width(), 1400);
    check("wide, no zoom view");
  }

  void draggingAnAreaMovesItsRectangleThenTheAreaInEitherUnit() {
    LineArray_frm& w = Open(QSize(1100, 760));
    const QPoint press = AboveSlope(2, 25.5, 0.1), start = Pixel(24, 1.9);
    const QPoint release = Pixel(SceneAt(press) + QPointF(2, 1));
    const QPointF moved = SceneAt(release) - SceneAt(press);  // before the drop rescales
    const QImage before = Side()->Image();
    QTest::mousePress(Side(), Qt::LeftButton, {}, press);
    auto* lower = Find<LineElement>("LowerLine");
    QVERIFY(lower->isVisible() && Find<LineElement>("RightLine")->isVisible());
    QCOMPARE(lower->From().toPoint(), start);
    // Another button held in addition does not move it; nothing is redrawn until the drop.
    for (const auto& [to, held] : {std::pair{release, Qt::MouseButtons(Qt::LeftButton)},
                                   {release + QPoint(50, 0), Qt::LeftButton | Qt::RightButton}}) {
      MoveHeld(to, held);
      QVERIFY((lower->From() - (start + release - press)).manhattanLength() <= 2);
    }
    QCOMPARE(Side()->Image(), before);
    QTest::mouseRelease(Side(), Qt::LeftButton, {}, release);
    QVERIFY(!lower->isVisible());
    // The area lands on the two decimals shown.
    QCOMPARE(Shown("AreaDistance_tbx(2)").toDouble(), Shown2(23 + moved.x()));
    QCOMPARE(w.Project().AreaHeight2[2], float(Shown2(3.5 + moved.y())));
  }
};

QTEST_MAIN(TestWindowLayout)
#include "test_window_layout.moc"
