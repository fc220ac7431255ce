// The SPL graph strip: shown and hidden from the menu, calculated for the chosen area and
// band, and what the drawn graph shows.
#include <QtTest>
#include <QtWidgets>
#include <memory>

#include "../support/ScriptedDialogs.h"
#include "ui/LineArrayForm.h"
#include "ui/Twips.h"
#include "views/DrawingSurface.h"

using namespace tarnwick;

class TestSplGraph : public QObject {
  Q_OBJECT

  std::unique_ptr<LineArray_frm> window_;

  LineArray_frm& Open() {
    window_ = std::make_unique<LineArray_frm>();
    window_->SetDialogs(std::make_unique<ScriptedDialogs>());
    window_->resize(1100, 760);
    window_->show();
    if (!QTest::qWaitForWindowExposed(window_.get())) qFatal("window not shown");
    return *window_;
  }
  template <typename T>
  T* Find(const char* name) const {
    T* found = window_->findChild<T*>(QString::fromLatin1(name));
    if (!found) qFatal("no control %s", name);
    return found;
  }
  void ShowStrip() { Find<QAction>("ShowGraph_men")->trigger(); }
  void Calculate() { QTest::mouseClick(Find<QPushButton>("Calc_cbt"), Qt::LeftButton); }
  void Type(const char* name, const QString& text) {
    Find<QLineEdit>(name)->setText(text);
    QTest::keyClick(Find<QLineEdit>(name), Qt::Key_Return);
  }
  // Area 2 made 4 m long, calculated at 10 kHz.
  void CalculateShortAreaTwoAt10kHz() {
    Type("AreaLength_tbx(1)", QStringLiteral("4"));
    Find<QComboBox>("AreaSelect_cbx")->setCurrentIndex(1);
    Find<QComboBox>("FreqSelect_cbx")->setCurrentIndex(20);
    Calculate();
  }
  // Whether the graph shows something dark within a few pixels of (x, level).
  bool DarkNear(double x, double level) {
    DrawingSurface& graph = *window_->Graph_pbx;
    const QImage& image = graph.Image();
    const QPointF at =
        (graph.ToPixels(x, level) + graph.contentsRect().topLeft()) * image.devicePixelRatio();
    for (int dy = -3; dy <= 3; ++dy)
      for (int dx = -3; dx <= 3; ++dx)
        if (image.valid(int(at.x()) + dx, int(at.y()) + dy) &&
            qGray(image.pixel(int(at.x()) + dx, int(at.y()) + dy)) < 128)
          return true;
    return false;
  }

 private slots:
  void showingTheStripShortensTheSideViewAndHidingRestoresIt() {
    LineArray_frm& w = Open();
    w.resize(1200, 1000);  // taller than designed: the strip must still sit below
    QApplication::processEvents();
    auto* entry = Find<QAction>("ShowGraph_men");
    QVERIFY(entry->isVisible() && entry->isEnabled() && !entry->isChecked());
    QVERIFY(!w.Graph_pbx->isVisible());
    const int height = HeightTwips(w.MainView_pbx);

    ShowStrip();
    QVERIFY(entry->isChecked() && w.BGraphActive);
    for (const char* name : {"Graph_pbx", "Calc_cbt", "AreaSelect_cbx", "FreqSelect_cbx"})
      QVERIFY2(Find<QWidget>(name)->isVisible(), name);
    QCOMPARE(HeightTwips(w.MainView_pbx), height - 1455);
    // The strip sits below the side view, as wide as it.
    QVERIFY(w.Graph_pbx->geometry().top() > w.MainView_pbx->geometry().bottom());
    QVERIFY(w.Graph_pbx->geometry().bottom() < w.centralWidget()->height());
    QCOMPARE(w.Graph_pbx->width(), w.MainView_pbx->width());

    ShowStrip();
    QVERIFY(!entry->isChecked() && !w.BGraphActive && !w.Graph_pbx->isVisible());
    QCOMPARE(HeightTwips(w.MainView_pbx), height);
  }

  void calculatingTheDefaultsPredictsAreaOneAt1kHzAndDrawsIt() {
    LineArray_frm& w = Open();
    ShowStrip();
    QCOMPARE(Find<QComboBox>("AreaSelect_cbx")->currentText(), QStringLiteral("Area 1"));
    QCOMPARE(Find<QComboBox>("FreqSelect_cbx")->currentText(), QStringLiteral("1 kHz"));
    QCOMPARE(Find<QComboBox>("FreqSelect_cbx")->count(), 21);
    Calculate();

    const auto& points = w.Calculations.SPLPoints;
    QCOMPARE(points.size(), std::size_t{101});
    std::vector<SPLPoint> expected;
    QVERIFY(CalculateSPL(w.Data.Project, w.Graphics, w.Constants, 1, 10, expected));
    for (std::size_t i = 0; i < points.size(); ++i) QCOMPARE(points[i].SPL, expected[i].SPL);

    // The scale spans the area's 10 m with room for the labels on the left.
    DrawingSurface& graph = *w.Graph_pbx;
    QCOMPARE(graph.ScaleLeft(), -1.5);
    QVERIFY(qAbs(graph.ScaleLeft() + graph.ScaleWidth() - 10.6) < 1e-9);
    double max = 0, min = points[0].SPL;
    for (const SPLPoint& p : points)
      max = std::max<double>(max, p.SPL), min = std::min<double>(min, p.SPL);
    QVERIFY(qAbs(graph.ScaleTop() - 1.1 * max) < 1e-3);
    // Axes, and the curve through every tenth point.
    QVERIFY(DarkNear(5.0, min - 5));
    QVERIFY(DarkNear(0.0, (min + max) / 2));
    for (int i = 0; i <= 100; i += 10)
      QVERIFY2(DarkNear(i / 10.0, points[i].SPL), qPrintable(QString::number(i)));
    // Nothing right of the area's end at mid level.
    QVERIFY(!DarkNear(10.45, min - 2.5));
  }

  void theChosenAreaAndBandAreUsedAndTheGraphIsRedrawnFromClean() {
    LineArray_frm& w = Open();
    ShowStrip();
    auto* areas = Find<QComboBox>("AreaSelect_cbx");
    QCOMPARE(areas->count(), w.Data.Project.AreasAmount);
    Calculate();  // area 1, 10 m
    CalculateShortAreaTwoAt10kHz();
    QCOMPARE(w.Calculations.SPLPoints.size(), std::size_t{41});
    std::vector<SPLPoint> expected;
    QVERIFY(CalculateSPL(w.Data.Project, w.Graphics, w.Constants, 2, 20, expected));
    QCOMPARE(w.Calculations.SPLPoints.back().SPL, expected.back().SPL);
    QVERIFY(qAbs(w.Graph_pbx->ScaleLeft() + w.Graph_pbx->ScaleWidth() - 1.06 * 4) < 1e-6);

    // The picture is exactly what a fresh window draws for area 2 alone.
    const QImage afterBoth = w.Graph_pbx->Image().copy();
    auto first = std::move(window_);
    Open();
    ShowStrip();
    CalculateShortAreaTwoAt10kHz();
    QCOMPARE(window_->Graph_pbx->Image(), afterBoth);
  }

  void areaChoicesFollowTheAreasInUse() {
    LineArray_frm& w = Open();
    auto* areas = Find<QComboBox>("AreaSelect_cbx");
    auto* amount = Find<QComboBox>("AreasAmount_cbx");
    amount->setCurrentIndex(2);
    QCOMPARE(areas->count(), 3);
    QCOMPARE(areas->itemText(2), QStringLiteral("Area 3"));
    areas->setCurrentIndex(2);
    amount->setCurrentIndex(0);
    QCOMPARE(areas->count(), 1);
    QCOMPARE(areas->currentText(), QStringLiteral("Area 1"));
    QCOMPARE(w.Data.Project.AreasAmount, 1);
  }

  void anAreaTooShortForTwoPointsShowsItsLevelAsAMark() {
    LineArray_frm& w = Open();
    ShowStrip();
    Type("AreaLength_tbx(0)", QStringLiteral("0.04"));
    Calculate();
    QCOMPARE(w.Calculations.SPLPoints.size(), std::size_t{1});
    const double level = w.Calculations.SPLPoints[0].SPL;
    QVERIFY(std::isfinite(w.Graph_pbx->ScaleWidth()) && w.Graph_pbx->ScaleWidth() > 0);
    QVERIFY(DarkNear(0.05, level));
  }
};

QTEST_MAIN(TestSplGraph)
#include "test_spl_graph.moc"
