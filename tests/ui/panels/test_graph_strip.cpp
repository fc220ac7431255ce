// The graph strip as a user meets it: the curves of the design on screen in every area and
// band, the tolerance band, dragging it taller, and the same numbers from the command line.
#include "acoustics/BandLevels.h"
#include "support/WindowFixture.h"
#include "ui/panels/GraphStrip.h"

using namespace tarnwick;

namespace {

// A number as the reports write it: fixed decimals, and left empty where there is none
// (no level, or beyond every number).
QString Written(double value, int decimals) {
  return std::isfinite(value) ? QString::number(value, 'f', decimals) : QString();
}

}  // namespace

class TestGraphStrip : public QObject, WindowFixture {
  Q_OBJECT

  const GraphStrip* Strip() const { return Find<GraphStrip>("Graph_pbx"); }

 private slots:
  void initTestCase() { Prepare(); }
  void init() { Reset(); }
  void cleanup() { Reset(); }

  void theGraphFollowsTheDesignInEveryAreaAndBandAndDragsTaller() {
    LineArray_frm& w = Open();
    Trigger("ShowGraph_men");
    const auto* strip = Strip();
    QCOMPARE(Shown({"AreaSelect_cbx", "FreqSelect_cbx"}), u"Area 1|1 kHz"_s);
    QCOMPARE(strip->Curves().front().Points.size(), std::size_t{101});  // at once, without a click
    // Four boxes instead of twelve: the curve is the new design's, without a click.
    const float before = strip->Curves().front().Points[50].SPL;
    KeyPick("BoxesAmount_cbx", 2);
    std::vector<SPLPoint> fresh;
    QVERIFY(CalculateSPL(w.Project(), w.Geometry(), w.Module(), 1, 10, fresh));
    QVERIFY(fresh[50].SPL != before && fresh[50].SPL == strip->Curves().front().Points[50].SPL);
    // Area 2 made 4 m long, at 10 kHz: 41 points.
    Type("AreaLength_tbx(1)", "4");
    KeyPick("AreaSelect_cbx", 1);
    KeyPick("FreqSelect_cbx", 20);
    QCOMPARE(strip->Curves().front().Points.size(), std::size_t{41});
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
    QVERIFY(qAbs(AWeighting(100) + 19.1) < 0.05 && qAbs(AWeighting(1000)) < 0.01);
    // One area in use: the list offers it and "All Areas", which stays chosen.
    KeyPick("AreasAmount_cbx", 0);
    QCOMPARE(List("AreaSelect_cbx")->count(), 2);
    QCOMPARE(Shown("AreaSelect_cbx"), u"All Areas"_s);
    QCOMPARE(strip->Curves().size(), std::size_t{1});
    // The strip's top edge drags it taller; the side view gives up the height.
    const int side = Side()->height(), height = strip->height();
    QTest::mousePress(Find("Graph_pbx"), Qt::LeftButton, {}, QPoint(200, 2));
    QMouseEvent drag(QEvent::MouseMove, QPointF(200, -58), strip->mapToGlobal(QPointF(200, -58)),
                     Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(Find("Graph_pbx"), &drag);
    QTest::mouseRelease(Find("Graph_pbx"), Qt::LeftButton, {}, QPoint(200, -58));
    QCOMPARE(strip->height(), height + 60);
    QVERIFY(qAbs(Side()->height() - (side - 60)) <= 2);  // twips round both ways
  }

  void theToleranceBandSpansTheDesignsARiggingErrorMakes() {
    LineArray_frm& w = Open();
    Trigger("ShowGraph_men");
    Trigger("ShowTolerance_men");
    // Pin 1 and pin 3 beside the default pin 2; then, typed, 0.5 degrees either way.
    for (const bool automatic : {true, false}) {
      if (!automatic) Click("AutomaticInclCalc_chk");
      const LevelCurve& curve = Strip()->Curves().front();
      std::vector<float> low, high;
      for (const SPLPoint& p : curve.Points) low.push_back(p.SPL), high.push_back(p.SPL);
      for (const float change : {-1.0f, 1.0f}) {
        ProjectData v = w.Project();
        if (automatic)
          v.FlybarPin += int(change);
        else
          v.InclinationAngle += change / 2;
        Graphics g = w.Geometry();
        ComputeArrayGeometry(v, g);
        std::vector<SPLPoint> points;
        QVERIFY(CalculateSPL(v, g, w.Module(), 1, 10, points));
        for (std::size_t i = 0; i < points.size(); ++i) {
          low[i] = std::min(low[i], points[i].SPL);
          high[i] = std::max(high[i], points[i].SPL);
        }
      }
      QVERIFY2(curve.Low == low && curve.High == high, automatic ? "pins" : "inclination");
      QVERIFY(std::count_if(low.begin(), low.end(), [&, i = 0](float l) mutable {
                return l < high[i++] - 0.5f;
              }) > 10);  // a band, not a line
    }
  }

  void theCommandLineGivesTheWindowsNumbersWithoutADisplay() {
    LineArray_frm& w = Open(QSize(), false);
    QDir corpus(TARNWICK_SOURCE_DIR "/tests/fuzz/corpus"_L1);
    int files = 0;
    for (const QString& name : corpus.entryList({u"*.qvd"_s})) {
      const QString path = corpus.filePath(name);
      QVERIFY(w.OpenFile(path));
      Trigger("ShowGraph_men");
      KeyPick("AreaSelect_cbx", List("AreaSelect_cbx")->count() - 1);
      const Ran levels = RunProgram({u"--levels"_s, path}, true);
      QVERIFY(levels.finished);
      QCOMPARE(levels.status, 0);
      const QStringList rows = levels.out.split('\n');
      QCOMPARE(rows[0], u"area,index,distance_m,x_m,y_m,level_db"_s);
      int row = 1;
      for (const LevelCurve& curve : Strip()->Curves())
        for (std::size_t i = 0; i < curve.Points.size(); ++i, ++row) {
          const SPLPoint& p = curve.Points[i];
          QCOMPARE(rows[row], u"%1,%2,%3,%4,%5,%6"_s.arg(curve.Area)
                                  .arg(i)
                                  .arg(0.1 * i, 0, 'f', 1)
                                  .arg(Written(p.Position.X, 3), Written(p.Position.Y, 3),
                                       Written(p.SPL == SPLFloor ? NAN : p.SPL, 2)));
        }
      QCOMPARE(rows.size(), row + 1);  // and the last line's end
      // The boxes as the window placed them (it has its own size).
      const Ran geometry = RunProgram({u"--geometry"_s, path}, true);
      QVERIFY(geometry.finished);
      const QStringList boxes = geometry.out.split('\n');
      QCOMPARE(boxes[0], u"inclination_deg,%1"_s.arg(w.Project().InclinationAngle, 0, 'f', 2));
      for (int b = 0; b < w.Project().BoxesAmount; ++b) {
        const BoxGeometry& box = w.Geometry().BoxGeom[b];
        const QStringList v = boxes[b + 2].split(',');
        QCOMPARE(v[3] + ',' + v[4],
                 u"%1,%2"_s.arg(box.Source.X, 0, 'f', 3).arg(box.Source.Y, 0, 'f', 3));
        QCOMPARE(v[6] + ',' + v[7] + ',' + v[8],
                 u"%1,%2,%3"_s.arg(box.Source.X + box.Ray.X, 0, 'f', 3)
                     .arg(box.Source.Y + box.Ray.Y, 0, 'f', 3)
                     .arg(box.AimedArea));
      }
      Trigger("ShowGraph_men");
      ++files;
    }
    QVERIFY(files >= 3);
  }
};

QTEST_MAIN(TestGraphStrip)
#include "test_graph_strip.moc"
