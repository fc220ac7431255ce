#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QtTest>
#include <memory>

#include "ui/LineArrayForm.h"
#include "ui/Twips.h"
#include "views/DrawingSurface.h"

using namespace tarnwick;

namespace {

template <typename T = QWidget>
T* Find(QWidget& w, const QString& name) {
  T* found = w.findChild<T*>(name);
  if (found == nullptr) qFatal("missing %s", qPrintable(name));
  return found;
}

int Right(const QWidget* w) { return w->x() + w->width(); }

// Picks an entry of a pure list with the keyboard, as a user can.
void Pick(QComboBox* list, int index) {
  list->setFocus(Qt::TabFocusReason);
  QTest::keyClick(list, Qt::Key_Home);
  for (int i = 0; i < index; ++i) QTest::keyClick(list, Qt::Key_Down);
  QCOMPARE(list->currentIndex(), index);
}

}  // namespace

class TestWindowLayout : public QObject {
  Q_OBJECT

  std::unique_ptr<LineArray_frm> window_;

  // A shown window of the given client size (or as designed).
  LineArray_frm& Open(QSize size = {}) {
    window_ = std::make_unique<LineArray_frm>();
    if (size.isValid()) window_->resize(size);
    window_->show();
    QApplication::setActiveWindow(window_.get());
    if (!QTest::qWaitForWindowExposed(window_.get())) qFatal("window not exposed");
    return *window_;
  }

  // The window's outer width in pixels, frame included.
  static int OuterWidth(LineArray_frm& w) { return w.OuterSizeTwips().width() / TwipsPerPixel; }
  static int OuterHeight(LineArray_frm& w) { return w.OuterSizeTwips().height() / TwipsPerPixel; }

 private slots:
  void cleanup() {
    window_.reset();
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
  }

  void opensAsDesigned() {
    LineArray_frm& w = Open();
    QCOMPARE(w.windowTitle(), QStringLiteral("Quenvar Tarnwick"));
    // At least the designed client area (11880 x 8265 twips); the outer size
    // is the minimum of 800 x 600 pixels whatever the frame.
    QVERIFY(w.centralWidget()->width() >= 792);
    QVERIFY(w.centralWidget()->height() >= 551);
    QCOMPARE(OuterWidth(w), 800);
    QCOMPARE(OuterHeight(w), 600);
    const QRect screen = w.screen()->availableGeometry();
    QVERIFY(qAbs(w.frameGeometry().center().x() - screen.center().x()) <= 1);
    QVERIFY(qAbs(w.frameGeometry().center().y() - screen.center().y()) <= 1);
    QCOMPARE(Find<QPushButton>(w, "ShowArraySettings_cbt")->text(), QStringLiteral("Show Setup"));
    QCOMPARE(Find<QPushButton>(w, "ShowAreaSettings_cbt")->text(), QStringLiteral("Show Setup"));
    QCOMPARE(Find(w, "ArrayFrame")->height() * TwipsPerPixel, 1485);
    QVERIFY(Find(w, "ZoomView_pbx")->isVisible());
    QVERIFY(!Find(w, "Graph_pbx")->isVisible());
    QVERIFY(Find<QAction>(w, "ShowZoom_men")->isChecked());
    QCOMPARE(w.palette().color(QPalette::Window), QColor(224, 224, 224));
    QCOMPARE(Find<QGroupBox>(w, "ArrayFrame")->title(), QStringLiteral("Line Array Settings"));
    QVERIFY(Find<QLabel>(w, "Label3")->font().families().contains("Comic Sans MS"));
    QVERIFY(!Find(w, "BoxesAmount_cbx")->font().families().contains("Comic Sans MS"));
    QVERIFY(Find<QLabel>(w, "Area_lbl(0)")->font().bold());
    // The zoom toggle hides the picture without moving it.
    const QRect place = w.ZoomView_pbx->geometry();
    Find<QAction>(w, "ShowZoom_men")->trigger();
    QVERIFY(!w.ZoomView_pbx->isVisible());
    Find<QAction>(w, "ShowZoom_men")->trigger();
    QCOMPARE(w.ZoomView_pbx->geometry(), place);
    QVERIFY(w.ZoomView_pbx->isVisible());
  }

  void sideViewFillsTheWidthWithBothPanelsCollapsedAboveTheMinimumSize() {
    LineArray_frm& w = Open(QSize(1000, 700));
    const DrawingSurface* side = w.MainView_pbx;
    QCOMPARE(side->width(), OuterWidth(w) - 12);  // W - 180 twips
    QCOMPARE(side->x(), 2);                       // Left 30
    QCOMPARE(side->height(), TwipsToPixels(OuterHeight(w) * TwipsPerPixel - 2350));
    QCOMPARE(Right(Find(w, "AreaFrame")), Right(side));
    QCOMPARE(Find(w, "ProjectFrame")->width(),
             TwipsToPixels(OuterWidth(w) * TwipsPerPixel - (1755 + 2565 + 270)));
    // Laying out again changes nothing.
    const QRect before = side->geometry();
    w.Form_Resize();
    QCOMPARE(side->geometry(), before);
    // The window never shrinks below its minimum; larger sizes stand as the user made them.
    w.resize(500, 300);
    QTRY_COMPARE(OuterWidth(w), 800);
    QTRY_COMPARE(OuterHeight(w), 600);
    w.resize(900, 640);
    QTRY_COMPARE(w.width(), 900);
    QTRY_COMPARE(w.height(), 640);
    QCOMPARE(side->width(), OuterWidth(w) - 12);
  }

  void expandingTheArrayPanelMovesTheSideViewsLeftEdge() {
    LineArray_frm& w = Open(QSize(1000, 700));
    DrawingSurface* side = w.MainView_pbx;
    const int right = Right(side);
    auto* toggle = Find<QPushButton>(w, "ShowArraySettings_cbt");
    QTest::mouseClick(toggle, Qt::LeftButton);
    QVERIFY(w.BArraySettingsActive);
    QCOMPARE(toggle->text(), QStringLiteral("Hide Setup"));
    QCOMPARE(side->x() * TwipsPerPixel, 2610);
    QCOMPARE(Right(side), right);
    QCOMPARE(Find(w, "ArrayFrame")->height() * TwipsPerPixel, 8175);
    QCOMPARE(w.Graph_pbx->x(), side->x());
    QCOMPARE(w.Graph_pbx->width(), side->width());
    // A resize keeps the panel's room.
    w.resize(1100, 760);
    QTRY_COMPARE(side->width(), OuterWidth(w) - 12 - 171);
    QCOMPARE(side->x() * TwipsPerPixel, 2610);

    QTest::mouseClick(toggle, Qt::LeftButton);
    QCOMPARE(toggle->text(), QStringLiteral("Show Setup"));
    QCOMPARE(side->x(), 2);
    // The toggle gives back 2580 twips, 15 more than the panel's width, until
    // the next resize recomputes the width.
    QCOMPARE(side->width(), OuterWidth(w) - 12 + 1);
    w.Form_Resize();
    QCOMPARE(side->width(), OuterWidth(w) - 12);
    QCOMPARE(Find(w, "ArrayFrame")->height() * TwipsPerPixel, 1485);
  }

  void expandingTheAreaPanelNarrowsTheSideViewUntilTheNextResize() {
    LineArray_frm& w = Open(QSize(1000, 700));
    DrawingSurface* side = w.MainView_pbx;
    QWidget* panel = Find(w, "AreaFrame");
    const int width = side->width();
    const int panelLeft = panel->x();
    QTest::mouseClick(Find<QPushButton>(w, "ShowAreaSettings_cbt"), Qt::LeftButton);
    QVERIFY(w.BAreaSettingsActive);
    QCOMPARE(side->width(), width - 118);   // 1770 twips
    QCOMPARE(panel->x(), panelLeft);        // the panel stays put,
    QCOMPARE(panel->x() - Right(side), 1);  // 15 twips right of the side view
    QCOMPARE(panel->height() * TwipsPerPixel, 8175);
    w.Form_Resize();
    QCOMPARE(side->width(), width - 117);  // the next layout closes the gap
    QCOMPARE(panel->x(), Right(side));
    // Expanded panels keep their height in a taller window.
    w.resize(1000, 900);
    QTRY_VERIFY(side->height() > 600);
    QCOMPARE(panel->height() * TwipsPerPixel, 8175);
  }

  void rowsFollowTheNumberOfBoxesAndKeepTheirValues() {
    LineArray_frm& w = Open();
    QTest::mouseClick(Find<QPushButton>(w, "ShowArraySettings_cbt"), Qt::LeftButton);
    auto* count = Find<QComboBox>(w, "BoxesAmount_cbx");
    Pick(Find<QComboBox>(w, "Attenuation_cbx(9)"), 13);  // box 10 off
    Pick(Find<QComboBox>(w, "Angle_cbx(8)"), 0);
    Pick(count, 0);  // two boxes
    for (const char* shown : {"Angle_lbl(0)", "Angle_lbl(1)", "Attenuation_cbx(0)",
                              "Attenuation_cbx(1)", "Angle_cbx(0)", "InclinationAngle_tbx"})
      QVERIFY2(Find(w, shown)->isVisible(), shown);
    for (const char* hidden : {"Angle_cbx(1)", "Angle_lbl(2)", "Attenuation_cbx(2)",
                               "Angle_cbx(10)", "Angle_lbl(11)", "Attenuation_cbx(11)"})
      QVERIFY2(!Find(w, hidden)->isVisible(), hidden);
    QCOMPARE(w.Data.Project.BoxesAmount, 2);
    Pick(count, 2);  // four boxes
    QVERIFY(Find(w, "Angle_cbx(2)")->isVisible());
    QVERIFY(!Find(w, "Angle_cbx(3)")->isVisible());
    Pick(count, 10);  // twelve again: the hidden rows kept their settings
    QVERIFY(Find(w, "Attenuation_cbx(11)")->isVisible());
    QCOMPARE(Find<QComboBox>(w, "Attenuation_cbx(9)")->currentText(), QStringLiteral("99dB"));
    QCOMPARE(w.Data.Project.BoxAttenuation[9], 99.0f);
    QCOMPARE(w.Data.Project.BoxAngle[8], 0.0f);
    QCOMPARE(w.Data.Project.BoxAngle[9], 5.0f);
  }

  void automaticInclinationLocksItsBoxAndAttenuationWaitsForTheNextRedraw() {
    LineArray_frm& w = Open();
    QTest::mouseClick(Find<QPushButton>(w, "ShowArraySettings_cbt"), Qt::LeftButton);
    auto* automatic = Find<QCheckBox>(w, "AutomaticInclCalc_chk");
    auto* inclination = Find<QLineEdit>(w, "InclinationAngle_tbx");
    QTest::mouseClick(automatic, Qt::LeftButton);
    QVERIFY(!automatic->isChecked());
    QVERIFY(!inclination->isReadOnly());
    QCOMPARE(inclination->text(), QStringLiteral("3"));
    Pick(Find<QComboBox>(w, "FlybarPin_cbx"), 0);  // no longer recomputed
    QCOMPARE(inclination->text(), QStringLiteral("3"));
    QTest::mouseClick(automatic, Qt::LeftButton);
    QVERIFY(inclination->isReadOnly());
    QCOMPARE(inclination->text(), QStringLiteral("3.8"));

    const QImage before = w.MainView_pbx->Image();
    Pick(Find<QComboBox>(w, "Attenuation_cbx(3)"), 6);
    QCOMPARE(w.Data.Project.BoxAttenuation[3], 0.0f);
    QCOMPARE(w.MainView_pbx->Image(), before);
    Pick(Find<QComboBox>(w, "FlybarPin_cbx"), 4);  // any redraw reads it
    QCOMPARE(w.Data.Project.BoxAttenuation[3], 6.0f);
    QVERIFY(w.MainView_pbx->Image() != before);
  }

  void areaBlocksFollowTheNumberOfAreasAndKeepTheirValues() {
    LineArray_frm& w = Open();
    QTest::mouseClick(Find<QPushButton>(w, "ShowAreaSettings_cbt"), Qt::LeftButton);
    auto* count = Find<QComboBox>(w, "AreasAmount_cbx");
    Pick(count, 0);
    QVERIFY(Find(w, "Area_lbl(0)")->isVisible());
    for (const char* hidden :
         {"Area_lbl(1)", "AreaLength_tbx(1)", "AreaHeight2_lbl(2)", "AreaDistance_tbx(2)"})
      QVERIFY2(!Find(w, hidden)->isVisible(), hidden);
    QCOMPARE(w.Data.Project.AreasAmount, 1);
    QCOMPARE(w.Graphics.SceneWidth, 12.0f);  // only area 1 is drawn
    Pick(count, 1);
    QVERIFY(Find(w, "AreaLength_tbx(1)")->isVisible());
    QVERIFY(!Find(w, "AreaLength_tbx(2)")->isVisible());
    Pick(count, 2);
    QCOMPARE(Find<QLineEdit>(w, "AreaDistance_tbx(2)")->text(), QStringLiteral("23"));
    QCOMPARE(w.Graphics.SceneWidth, 28.0f);
  }
};

QTEST_MAIN(TestWindowLayout)
#include "test_window_layout.moc"
