// The section made measurable: the readout in the status bar under the cursor and the
// dimension grid, as a user meets them.
#include "acoustics/LevelEngine.h"
#include "model/ModuleShape.h"
#include "support/Pixels.h"
#include "support/WindowFixture.h"

using namespace tarnwick;

namespace {

// The numbers of a readout, in order ("12.40 m, 1.20 m · 12.7 m at 6.3° down" gives 12.4,
// 1.2, 12.7, 6.3).
QList<double> Numbers(const QString& text) {
  QList<double> numbers;
  static const QRegularExpression number(u"-?\\d+\\.\\d+"_s);
  for (auto it = number.globalMatch(text); it.hasNext();)
    numbers << it.next().captured().toDouble();
  return numbers;
}

}  // namespace

class TestSectionReadout : public QObject, WindowFixture {
  Q_OBJECT

 private slots:
  void cleanup() { Reset(); }

  void readsOutThePointUnderTheCursorFromTheMountingPointAndTheFloor() {
    LineArray_frm& w = Open(QSize(1400, 900), false);
    QVERIFY(Side()->toolTip().isEmpty());
    QVERIFY(Find<QStatusBar>(u"Status_sbr"_s)->isVisible());
    const double floor = w.Project().FloorDistance;
    const QSizeF inner = Side()->InnerSize();
    for (const QPointF pixel : {QPointF(inner.width() * 0.5, inner.height() * 0.5),
                                QPointF(inner.width() * 0.9, inner.height() * 0.95),
                                QPointF(inner.width() * 0.15, inner.height() * 0.1)}) {
      MoveHeld(Inner(pixel), {});
      const QPointF at = Side()->ToUser(pixel);
      const QList<double> n = Numbers(Label(u"Readout_lbl"_s));
      QCOMPARE(n.size(), 4);
      QCOMPARE(n[0], Shown2(at.x() - MountingPointX));
      QCOMPARE(n[1], Shown2(at.y()));
      const double across = at.x() - MountingPointX, below = floor - at.y();
      QCOMPARE(n[2], std::round(std::hypot(across, below) * 10) / 10);
      QCOMPARE(n[3],
               std::round(std::atan2(std::fabs(below), std::fabs(across)) * 1800 / M_PI) / 10);
      QVERIFY(Label(u"Readout_lbl"_s).contains(below < 0 ? u"° up"_s : u"° down"_s));
    }
    // In feet, and with the user's decimal mark.
    QLocale::setDefault(QLocale(QLocale::German));
    List("Units_cbx")->setCurrentIndex(List("Units_cbx")->findText(u"Feet"_s));
    MoveHeld(Inner({600, 300}), {});
    const QPointF at = Side()->ToUser({600, 300});
    QVERIFY2(Label(u"Readout_lbl"_s)
                 .startsWith(QString::number((at.x() - MountingPointX) * MetresToFeet, 'f', 2)
                                 .replace('.', ',') +
                             u" ft, "_s),
             qPrintable(Label(u"Readout_lbl"_s)));
    // Nothing once the cursor has left.
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(Side(), &leave);
    QVERIFY(Label(u"Readout_lbl"_s).isEmpty());
  }

  void readsTheMapsLevelTheAreaUnderTheCursorAndWhereADraggedAreaWillDrop() {
    LineArray_frm& w = Open(QSize(1400, 900), false);
    Trigger("ShowMap_men");
    WaitForMap();
    KeyPick("MapFreq_cbx", BroadbandAChoice);
    QTRY_VERIFY_WITH_TIMEOUT(!Map().Busy(), 30000);
    const LevelEngine engine(w.Project(), w.Geometry(), w.Module());
    // Over the middle of area 1: the map's level there, and how far along the area.
    const AreaGeometry& area = w.Geometry().AreaGeom[0];
    const PlaneVector middle = {(area.Start.X + area.End.X) / 2, (area.Start.Y + area.End.Y) / 2};
    const QPointF pixel = Side()->ToPixels(middle.X, middle.Y);
    MoveHeld(Inner(pixel), {});
    const QPointF at = Side()->ToUser(pixel);
    const QString text = Label(u"Readout_lbl"_s);
    const float level = engine.Level(BroadbandAChoice, {float(at.x()), float(at.y())});
    QVERIFY2(text.contains(QString::number(level, 'f', 1) + u" dB (Broadband (A))"_s),
             qPrintable(text));
    const double along = (at.x() - area.Start.X) / (area.End.X - area.Start.X) *
                         std::hypot(area.Direction.X, area.Direction.Y);
    QVERIFY2(text.endsWith(u"area 1, "_s + QString::number(along, 'f', 1) + u" m along"_s),
             qPrintable(text));
    // Dragging it: where it will land, which is where it lands.
    QTest::mousePress(Side(), Qt::LeftButton, {}, Inner(pixel).toPoint());
    const QPoint to = Inner(pixel + QPointF(120, -40)).toPoint();
    QTest::mouseMove(Side(), to);
    MoveHeld(to, Qt::LeftButton);
    const QString drop = Label(u"Readout_lbl"_s);
    QVERIFY2(drop.startsWith(u"Area 1 to "_s), qPrintable(drop));
    QTest::mouseRelease(Side(), Qt::LeftButton, {}, to);
    // The colour bar and the band list beside the section, never over it; over them the
    // readout has nothing to tell.
    const QRect picture = Side()->contentsRect();
    for (const char* beside : {"MapScale_pbx", "MapFreq_cbx"}) {
      const QWidget* widget = Find<QWidget>(QString::fromLatin1(beside));
      QVERIFY2(widget->isVisible() && widget->geometry().left() > picture.right(), beside);
    }
    MoveHeld(Inner(QPointF(picture.width() + 20, picture.height() / 3.0)), {});
    QVERIFY(Label(u"Readout_lbl"_s).isEmpty());
    const QList<double> n = Numbers(drop);
    QCOMPARE(n.size(), 3);
    const ProjectData& p = w.Project();
    QCOMPARE(Shown2(p.AreaDistance[0]), n[0]);
    QCOMPARE(Shown2(p.AreaHeight1[0]), n[1]);
    QCOMPARE(Shown2(p.AreaHeight2[0]), n[2]);
  }

  void theGridShowsUntilTurnedOffAndLeavesTheFileAlone() {
    Open(QSize(1400, 900), false);
    QVERIFY(Find<QAction>(u"ShowGrid_men"_s)->isChecked());
    // The sky above the scene: grid lines in it, none without the grid.
    const auto inked = [this] {
      const QImage& image = Side()->Image();
      return Count(
          image, [](QRgb p) { return qGray(p) < 250; },
          QRect(QPoint(image.width() / 3, 5),
                QPoint(image.width() * 2 / 3 - 1, image.height() / 4 - 1)));
    };
    QVERIFY(inked() > 100);
    Trigger("ShowGrid_men");
    QCOMPARE(inked(), 0);
    QVERIFY(!Window().isWindowModified());
  }
};

QTEST_MAIN(TestSectionReadout)
#include "test_section_readout.moc"
