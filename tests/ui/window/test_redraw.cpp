// What a change costs: a change of the design predicts the graph once and repaints the
// pictures; one of the map's band or a finished map repaints the side view only.
#include "support/WindowFixture.h"
#include "ui/panels/GraphStrip.h"

using namespace tarnwick;

class TestRedraw : public QObject, WindowFixture {
  Q_OBJECT

 private slots:
  void cleanup() { Reset(); }

  void aMapBandChangeRepaintsTheSideViewOnceAndPredictsNoGraph() {
    LineArray_frm& w = Open();
    Trigger("ShowGraph_men");
    Trigger("ShowMap_men");
    Settle();
    QSignalSpy predicted(Find<GraphStrip>("Graph_pbx"), &GraphStrip::Predicted);
    QSignalSpy repainted(&w, &LineArray_frm::PicturesRepainted);
    const auto* before = Map().ShownMap();
    Pick("MapFreq_cbx", 5);
    // Nothing is repainted until the band's map is ready; then the side view once. The
    // pause gives a repaint too many the time to show.
    QTRY_VERIFY_WITH_TIMEOUT(Map().ShownMap() != before, 20000);
    Settle();
    QTest::qWait(100);
    QTRY_COMPARE(repainted.count(), 1);
    QCOMPARE(predicted.count(), 0);
    // A splay changes the design: one prediction for the graph, the pictures at once and
    // again when the new map is ready.
    repainted.clear();
    Pick("Angle_cbx(3)", 1 - List("Angle_cbx(3)")->currentIndex());
    QCOMPARE(predicted.count(), 1);
    QCOMPARE(repainted.count(), 1);
    Settle();
    QTest::qWait(100);
    QCOMPARE(predicted.count(), 1);
    QTRY_COMPARE(repainted.count(), 2);
  }
};

QTEST_MAIN(TestRedraw)
#include "test_redraw.moc"
