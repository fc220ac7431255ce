#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <cmath>
#include <memory>

#include "../support/ScriptedDialogs.h"
#include "ui/LineArrayForm.h"
#include "views/DrawingSurface.h"
#include "views/LineElement.h"

using namespace tarnwick;

namespace {

// Rounded to the two decimals the entries show.
double Shown(double v) { return std::nearbyint(v * 100) / 100; }

}  // namespace

class TestMenusAndDrag : public QObject {
  Q_OBJECT

  std::unique_ptr<LineArray_frm> window_;
  ScriptedDialogs* dialogs_ = nullptr;

  LineArray_frm& Open() {
    window_ = std::make_unique<LineArray_frm>();
    auto dialogs = std::make_unique<ScriptedDialogs>();
    dialogs_ = dialogs.get();
    window_->SetDialogs(std::move(dialogs));
    window_->resize(1100, 760);
    window_->show();
    QApplication::setActiveWindow(window_.get());
    if (!QTest::qWaitForWindowActive(window_.get())) qFatal("window not active");
    return *window_;
  }

  // Widget pixel of a scene point in the side view, and back.
  QPoint Pixel(double x, double y) const {
    const DrawingSurface* side = window_->MainView_pbx;
    return (side->ToPixels(x, y) + side->contentsRect().topLeft()).toPoint();
  }
  QPointF SceneAt(QPoint pixel) const {
    const DrawingSurface* side = window_->MainView_pbx;
    return side->ToUser(QPointF(pixel) - side->contentsRect().topLeft());
  }
  // A point `above` metres above area i's slope at scene x.
  QPoint AboveSlope(int i, double x, double above) const {
    const AreaGeometry& a = window_->Graphics.AreaGeom[i];
    return Pixel(x, a.Start.Y + (x - a.Start.X) / a.Direction.X * a.Direction.Y + above);
  }
  void MoveHeld(QPoint to, Qt::MouseButtons held) {
    QMouseEvent move(QEvent::MouseMove, to, window_->MainView_pbx->mapToGlobal(to), Qt::NoButton,
                     held, Qt::NoModifier);
    QApplication::sendEvent(window_->MainView_pbx, &move);
  }
  QString Text(const char* name) { return window_->findChild<QLineEdit*>(name)->text(); }

  // Drags area 2 by the scene offset (dx, dy); gives the offset the pixels made.
  QPointF DragArea2(double dx, double dy) {
    const QPoint press = AboveSlope(2, 25.5, 0.1);
    const QPoint release = Pixel(SceneAt(press).x() + dx, SceneAt(press).y() + dy);
    const QPointF moved = SceneAt(release) - SceneAt(press);  // before the drop rescales
    QTest::mousePress(window_->MainView_pbx, Qt::LeftButton, {}, press);
    MoveHeld(release, Qt::LeftButton);
    QTest::mouseRelease(window_->MainView_pbx, Qt::LeftButton, {}, release);
    return moved;
  }

 private slots:
  void cleanup() {
    window_.reset();
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
  }

  void draggingAnAreaMovesItAndKeepsItsLength() {
    LineArray_frm& w = Open();
    const QPointF moved = DragArea2(2, 1);
    QVERIFY(qAbs(moved.x() - 2) < 0.1 && qAbs(moved.y() - 1) < 0.1);
    QCOMPARE(Text("AreaDistance_tbx(2)").toDouble(), Shown(23 + moved.x()));
    QCOMPARE(Text("AreaHeight1_tbx(2)").toDouble(), Shown(1.9 + moved.y()));
    QCOMPARE(Text("AreaHeight2_tbx(2)").toDouble(), Shown(3.5 + moved.y()));
    QCOMPARE(Text("AreaLength_tbx(2)"), QStringLiteral("4"));
    QCOMPARE(w.Data.Project.AreaDistance[2], float(Shown(23 + moved.x())));
    QVERIFY(!w.findChild<LineElement*>("UpperLine")->isVisible());
    QCOMPARE(w.Graphics.DragActive, 0);
  }

  void droppedValuesAppearInFeet() {
    LineArray_frm& w = Open();
    w.findChild<QComboBox*>("Units_cbx")->setCurrentIndex(0);
    w.RedrawAll();
    const QPointF moved = DragArea2(2, 1);
    QCOMPARE(Text("AreaDistance_tbx(2)"),
             LineArray_frm::DecimalText(float((23 + moved.x()) * 3.28095f)));
    QCOMPARE(w.Data.Project.Units, std::string("Feet"));
  }

  void rectangleFollowsTheMouseWithoutRedrawing() {
    LineArray_frm& w = Open();
    const QPoint press = AboveSlope(2, 25.5, 0.1);
    QTest::mousePress(w.MainView_pbx, Qt::LeftButton, {}, press);
    auto* lower = w.findChild<LineElement*>("LowerLine");
    QVERIFY(lower->isVisible());
    QVERIFY(w.findChild<LineElement*>("RightLine")->isVisible());
    QCOMPARE(lower->From().toPoint(), Pixel(24, 1.9));
    const QImage before = w.MainView_pbx->Image();
    MoveHeld(press + QPoint(40, -20), Qt::LeftButton);
    QVERIFY(qAbs(lower->From().x() - (Pixel(24, 1.9).x() + 40)) <= 1);
    QVERIFY(qAbs(lower->From().y() - (Pixel(24, 1.9).y() - 20)) <= 1);
    // Another button held in addition does not move it.
    MoveHeld(press + QPoint(90, -20), Qt::LeftButton | Qt::RightButton);
    QVERIFY(qAbs(lower->From().x() - (Pixel(24, 1.9).x() + 40)) <= 1);
    QCOMPARE(w.MainView_pbx->Image(), before);
    QTest::mouseRelease(w.MainView_pbx, Qt::LeftButton, {}, press + QPoint(40, -20));
    QVERIFY(!lower->isVisible());
  }

  void onlyALeftPressOnAnAreaPicksItUp() {
    LineArray_frm& w = Open();
    QTest::mousePress(w.MainView_pbx, Qt::RightButton, {}, AboveSlope(2, 25.5, 0.1));
    QCOMPARE(w.Graphics.DragActive, 0);
    QTest::mouseRelease(w.MainView_pbx, Qt::RightButton, {}, AboveSlope(2, 25.5, 0.1));
    QTest::mousePress(w.MainView_pbx, Qt::LeftButton, {}, AboveSlope(2, 25.5, 0.45));
    QCOMPARE(w.Graphics.DragActive, 0);  // too far above the slope
    QTest::mouseRelease(w.MainView_pbx, Qt::LeftButton, {}, AboveSlope(2, 25.5, 0.45));
    QTest::mousePress(w.MainView_pbx, Qt::LeftButton, {}, Pixel(8, 15));
    QCOMPARE(w.Graphics.DragActive, 0);  // nothing there
    QVERIFY(!w.findChild<LineElement*>("LeftLine")->isVisible());
    QTest::mouseRelease(w.MainView_pbx, Qt::LeftButton, {}, Pixel(8, 15));
    QCOMPARE(Text("AreaDistance_tbx(2)"), QStringLiteral("23"));
    // A flat floor can be picked up too.
    w.findChild<QLineEdit*>("AreaHeight2_tbx(0)")->setText("0");
    w.RedrawAll();
    QTest::mousePress(w.MainView_pbx, Qt::LeftButton, {}, AboveSlope(0, 6, 0.15));
    QCOMPARE(w.Graphics.AreaGeom[0].Picked, -1);
    QTest::mouseRelease(w.MainView_pbx, Qt::LeftButton, {}, AboveSlope(0, 6, 0.15));
  }

  void presetsSetTheAnglesInUse_data() {
    QTest::addColumn<int>("boxes");
    QTest::addColumn<QString>("jArray");  // angles k = 0 .. n, '-' left as it was
    const char* table[] = {"5",       "55",       "055",       "0-55",       "00555",      "005555",
                           "0005555", "000-5555", "000055555", "0000555555", "00000555555"};
    for (int boxes = 2; boxes <= 12; ++boxes)
      QTest::addRow("%d boxes", boxes) << boxes << QString::fromLatin1(table[boxes - 2]);
  }

  void presetsSetTheAnglesInUse() {
    QFETCH(int, boxes);
    QFETCH(QString, jArray);
    LineArray_frm& w = Open();
    auto* count = w.findChild<QComboBox*>("BoxesAmount_cbx");
    auto angle = [&](int k) {
      return w.findChild<QComboBox*>(QStringLiteral("Angle_cbx(%1)").arg(k));
    };
    // Mark every list with an odd pattern to see what a preset leaves alone.
    for (int k = 0; k < 11; ++k) angle(k)->setCurrentIndex(k % 2);
    count->setCurrentIndex(boxes - 2);
    w.findChild<QAction*>("JArray_men")->trigger();
    for (int k = 0; k < 11; ++k) {
      const QChar want = k < jArray.size() ? jArray[k] : QChar('-');
      const int expected = want == '-' ? k % 2 : want == '5' ? 1 : 0;
      QVERIFY2(angle(k)->currentIndex() == expected, qPrintable(QString("k=%1").arg(k)));
    }
    // The view followed: the project holds the new angles.
    for (int k = 0; k < boxes - 1; ++k)
      QCOMPARE(w.Data.Project.BoxAngle[k], angle(k)->currentIndex() * 5.0f);
    w.findChild<QAction*>("Line_men")->trigger();
    for (int k = 0; k < 11; ++k) QCOMPARE(angle(k)->currentIndex(), k < boxes - 1 ? 0 : k % 2);
    w.findChild<QAction*>("Curved_men")->trigger();
    for (int k = 0; k < 11; ++k) QCOMPARE(angle(k)->currentIndex(), k < boxes - 1 ? 1 : k % 2);
  }

  void everyShortcutTriggersItsCommandFromATextBox() {
    LineArray_frm& w = Open();
    QLineEdit* box = w.findChild<QLineEdit*>("FloorDistance_tbx");
    box->setFocus();
    QTRY_VERIFY(box->hasFocus());
    dialogs_->Answers = {UserDialogs::Answer::Cancel, UserDialogs::Answer::Cancel};
    for (Qt::Key key : {Qt::Key_N, Qt::Key_O, Qt::Key_S, Qt::Key_A, Qt::Key_Q})
      QTest::keyClick(box, key, Qt::ControlModifier);
    QCOMPARE(dialogs_->Log.size(), 5);
    QVERIFY(dialogs_->Log[0].startsWith("ask Save File?: Do you want to save your data"));
    QCOMPARE(dialogs_->Log[1], QStringLiteral("open"));
    QCOMPARE(dialogs_->Log[2], QStringLiteral("save"));
    QCOMPARE(dialogs_->Log[3], QStringLiteral("save"));
    QVERIFY(dialogs_->Log[4].startsWith("ask Save File?: Do you want to save your project"));
    QVERIFY(w.isVisible());
  }

  void aboutBoxIsModalFixedAndReused() {
    LineArray_frm& w = Open();
    w.findChild<QAction*>("About_men")->trigger();
    auto* about = w.findChild<QDialog*>("About_frm");
    QVERIFY(about && about->isVisible());
    QCOMPARE(about->windowTitle(), QStringLiteral("About"));
    QCOMPARE(about->windowModality(), Qt::ApplicationModal);
    QCOMPARE(about->size(), QSize(312, 206));
    QCOMPARE(about->minimumSize(), about->maximumSize());
    QCOMPARE(about->findChild<QLabel*>("About_lbl(0)")->text(), QStringLiteral("Quenvar Tarnwick"));
    QVERIFY(about->findChild<QLabel*>("About_lbl(1)")
                ->text()
                .contains(QString::number(QDate::currentDate().year())));
    QCOMPARE(about->findChild<QLabel*>("Image1")->pixmap().size(), QSize(207, 72));
    QTest::mouseClick(about->findChild<QPushButton*>("Ok_cbt"), Qt::LeftButton);
    QVERIFY(!about->isVisible());
    w.findChild<QAction*>("About_men")->trigger();
    QCOMPARE(w.findChild<QDialog*>("About_frm"), about);
    QVERIFY(about->isVisible());
    about->hide();
  }

  void menusCarryTheirCaptions() {
    LineArray_frm& w = Open();
    const std::pair<const char*, const char*> entries[] = {
        {"New_men", "&New"},     {"Open_men", "&Open"},
        {"Save_men", "&Save"},   {"SaveAs_men", "Save &As..."},
        {"Exit_men", "E&xit"},   {"JArray_men", "&J-Array"},
        {"Line_men", "&Line"},   {"Curved_men", "&Curved"},
        {"About_men", "&About"}, {"ShowGraph_men", "Show &SPL Graph"}};
    for (auto [name, caption] : entries)
      QCOMPARE(w.findChild<QAction*>(name)->text(), QString(caption));
    QVERIFY(w.findChild<QAction*>("seperator1")->isSeparator());
    QVERIFY(w.findChild<QAction*>("seperator2")->isSeparator());
  }
};

QTEST_MAIN(TestMenusAndDrag)
#include "test_menus_and_drag.moc"
