// The graph strip as a user meets it: the curves of the design on screen in every area and
// band, the tolerance band, and dragging it taller.
#include "acoustics/BandLevels.h"
#include "support/WindowFixture.h"
#include "ui/panels/GraphStrip.h"

using namespace tarnwick;

class TestGraphStrip : public QObject, WindowFixture {
  Q_OBJECT

  GraphStrip* Strip() const { return Find<GraphStrip>("Graph_pbx"); }

 private slots:
  void cleanup() { Reset(); }

  void theGraphFollowsTheDesignInEveryAreaAndBandAndDragsTaller() {
    LineArray_frm& w = Open();
    Trigger("ShowGraph_men");
    GraphStrip* strip = Strip();
    QCOMPARE(Shown({"AreaSelect_cbx", "FreqSelect_cbx"}), u"Area 1|1 kHz"_s);
    QCOMPARE(strip->Curves().front().Points.size(), std::size_t{101});  // at once, without a click
    // Four boxes instead of twelve: the curve is the new design's, without a click.
    const float before = strip->Curves().front().Points[50].SPL;
    KeyPick("BoxesAmount_cbx", 2);
    std::vector<SPLPoint> fresh;
    QVERIFY(CalculateSPL(w.Project(), w.Geometry(), w.Module(), 1, 10, fresh));
    QVERIFY(fresh[50].SPL != before && fresh[50].SPL == strip->Curves().front().Points[50].SPL);
    // All areas, A-weighted broadband: one curve each, the bands' weighted power sum.
    KeyPick("AreaSelect_cbx", 3);
    KeyPick("FreqSelect_cbx", 22);
    QCOMPARE(Shown({"AreaSelect_cbx", "FreqSelect_cbx"}), u"All Areas|Broadband (A)"_s);
    QCOMPARE(strip->Curves().size(), std::size_t{3});
    double power = 0;
    for (int band = 0; band < BandCount; ++band) {
      QVERIFY(CalculateSPL(w.Project(), w.Geometry(), w.Module(), 3, band, fresh));
      power += std::pow(10.0, (fresh[7].SPL + AWeighting(62.5 * std::exp2((band + 2) / 3.0))) / 10);
    }
    QVERIFY(qAbs(strip->Curves()[2].Points[7].SPL - 10 * std::log10(power)) < 1e-3);
    // One area in use: the list offers it and "All Areas", which stays chosen.
    KeyPick("AreasAmount_cbx", 0);
    QCOMPARE(List("AreaSelect_cbx")->count(), 2);
    QCOMPARE(Shown("AreaSelect_cbx"), u"All Areas"_s);
    QCOMPARE(strip->Curves().size(), std::size_t{1});
    // The strip's top border drags it taller, pressed on the line itself or a few pixels
    // either side of it; the side view gives up the height.
    for (const int offset : {-3, 0, 4}) {
      const int side = Side()->height(), height = strip->height();
      DragGraphEdge(30, offset);
      QCOMPARE(strip->height(), height + 30);
      QVERIFY(qAbs(Side()->height() - (side - 30)) <= 2);  // twips round both ways
    }
  }

  void theToleranceBandSpansTheDesignsARiggingErrorMakes() {
    // The spread itself is the tolerance's own (see test_tolerance); here the menu shows it.
    Open();
    Trigger("ShowGraph_men");
    QVERIFY(Strip()->Curves().front().Low.empty());
    Trigger("ShowTolerance_men");
    const LevelCurve& curve = Strip()->Curves().front();
    QCOMPARE(curve.Low.size(), curve.Points.size());
    int apart = 0;
    for (std::size_t i = 0; i < curve.Low.size(); ++i) apart += curve.Low[i] < curve.High[i] - 0.5f;
    QVERIFY(apart > 10);  // a band, not a line
  }
};

QTEST_MAIN(TestGraphStrip)
#include "test_graph_strip.moc"
