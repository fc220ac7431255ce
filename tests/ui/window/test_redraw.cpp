// What a change costs: a change of the design recomputes the graph once and repaints the
// pictures; a change that only concerns the pictures (the map's band, a finished map)
// repaints the side view and recomputes nothing.
#include <QSignalSpy>
#include <QtTest>

#include "support/WindowFixture.h"
#include "ui/panels/GraphStrip.h"

using namespace tarnwick;

class TestRedraw : public QObject {
  Q_OBJECT

  WindowFixture ui_;

 private slots:
  void initTestCase() { WindowFixture::Prepare(); }
  void init() { ui_.Reset(); }
  void cleanup() { ui_.Reset(); }

  void aMapBandChangeRepaintsTheSideViewOnceAndPredictsNoGraph() {
    LineArray_frm& w = ui_.Open();
    ui_.Trigger("ShowGraph_men");
    ui_.Trigger("ShowMap_men");
    ui_.Settle();
    QSignalSpy predicted(ui_.Find<GraphStrip>("Graph_pbx"), &GraphStrip::Predicted);
    QSignalSpy repainted(&w, &LineArray_frm::PicturesRepainted);
    const auto* map = w.findChild<CoverageLayer*>(QStringLiteral("CoverageMap"));
    const auto* before = map->ShownMap();

    ui_.Pick("MapFreq_cbx", 5);
    // Nothing is repainted until the band's map is ready; then the side view once.
    QTRY_VERIFY_WITH_TIMEOUT(map->ShownMap() != before, 20000);
    ui_.Settle();
    QTest::qWait(100);
    QCOMPARE(repainted.count(), 1);
    QCOMPARE(predicted.count(), 0);

    // A splay changes the design: one prediction for the graph, the pictures at once and
    // again when the new map is ready.
    repainted.clear();
    const int splay = ui_.List("Angle_cbx(3)")->currentIndex();
    ui_.Pick("Angle_cbx(3)", 1 - splay);
    QCOMPARE(predicted.count(), 1);
    QCOMPARE(repainted.count(), 1);
    ui_.Settle();
    QTest::qWait(100);
    QCOMPARE(predicted.count(), 1);
    QCOMPARE(repainted.count(), 2);
  }
};

QTEST_MAIN(TestRedraw)
#include "test_redraw.moc"
