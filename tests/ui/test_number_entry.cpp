#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QLocale>
#include <QtTest>
#include <memory>
#include <utility>

#include "ui/LineArrayForm.h"
#include "views/DrawingSurface.h"

using namespace tarnwick;

namespace {

QLineEdit* Box(QWidget& w, const char* name) { return w.findChild<QLineEdit*>(name); }

// Types into a box as a user does: focus it, select all, type.
void TypeInto(QLineEdit* box, const QString& text) {
  box->setFocus(Qt::MouseFocusReason);
  QTRY_VERIFY(box->hasFocus());
  box->selectAll();
  QTest::keyClicks(box, text);
}

// Leaves the box by moving the focus to another control.
void Leave(QWidget& w) {
  QLineEdit* other = Box(w, "Author_tbx");
  other->setFocus(Qt::TabFocusReason);
  QTRY_VERIFY(other->hasFocus());
}

}  // namespace

class TestNumberEntry : public QObject {
  Q_OBJECT

  std::unique_ptr<LineArray_frm> window_;

  LineArray_frm& Open() {
    window_ = std::make_unique<LineArray_frm>();
    window_->resize(900, 650);
    window_->show();
    QApplication::setActiveWindow(window_.get());
    if (!QTest::qWaitForWindowActive(window_.get())) qFatal("window did not activate");
    return *window_;
  }

 private slots:
  void init() { QLocale::setDefault(QLocale::c()); }
  void cleanup() {
    window_.reset();
    QLocale::setDefault(QLocale::c());
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
  }

  void leavingABoxTidiesItAndRedraws() {
    LineArray_frm& w = Open();
    const QImage before = w.MainView_pbx->Image();
    TypeInto(Box(w, "AreaLength_tbx(1)"), "2,5");
    QCOMPARE(w.Data.Project.AreaLength[1], 10.0f);  // not read yet
    Leave(w);
    QCOMPARE(Box(w, "AreaLength_tbx(1)")->text(), QStringLiteral("2.5"));
    QCOMPARE(w.Data.Project.AreaLength[1], 2.5f);
    QVERIFY(w.MainView_pbx->Image() != before);
  }

  void leavingRoundsToTwoDecimalsWithTiesToEven() {
    LineArray_frm& w = Open();
    const std::pair<const char*, const char*> cases[] = {
        {"abc", "0"}, {"0.125", "0.12"}, {" 1 000 ", "1000"}, {"-2,345", "-2.35"}};
    for (const auto& [typed, shown] : cases) {
      TypeInto(Box(w, "FloorDistance_tbx"), typed);
      Leave(w);
      QCOMPARE(Box(w, "FloorDistance_tbx")->text(), QString::fromLatin1(shown));
    }
  }

  void tidiedTextUsesTheUsersDecimalComma() {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    LineArray_frm& w = Open();
    TypeInto(Box(w, "AreaLength_tbx(1)"), "2.5");
    Leave(w);
    QCOMPARE(Box(w, "AreaLength_tbx(1)")->text(), QStringLiteral("2,5"));
    QCOMPARE(w.Data.Project.AreaLength[1], 2.5f);
  }

  void enterRedrawsWithoutTidying() {
    LineArray_frm& w = Open();
    w.findChild<QCheckBox*>("AutomaticInclCalc_chk")->setChecked(false);
    const QImage before = w.MainView_pbx->Image();
    QLineEdit* inclination = Box(w, "InclinationAngle_tbx");
    TypeInto(inclination, "12.345");
    QTest::keyClick(inclination, Qt::Key_Return);
    QCOMPARE(inclination->text(), QStringLiteral("12.345"));
    QCOMPARE(w.Data.Project.InclinationAngle, 12.345f);
    QVERIFY(w.MainView_pbx->Image() != before);
    // Other keys neither read nor redraw.
    QTest::keyClicks(inclination, "6");
    QCOMPARE(w.Data.Project.InclinationAngle, 12.345f);
  }

  void switchingUnitsConvertsTheLengthsShownEvenAnEditNotYetRead() {
    LineArray_frm& w = Open();
    w.findChild<QComboBox*>("AreasAmount_cbx")->setCurrentIndex(1);  // two areas
    Box(w, "AreaLength_tbx(2)")->setText("4");
    Box(w, "AreaDistance_tbx(0)")->setText("20");
    const QImage before = w.MainView_pbx->Image();
    auto* units = w.findChild<QComboBox*>("Units_cbx");
    units->setCurrentIndex(0);  // Feet
    QCOMPARE(Box(w, "AreaLength_tbx(0)")->text(), QStringLiteral("32.81"));
    QCOMPARE(Box(w, "AreaDistance_tbx(0)")->text(), QStringLiteral("65.62"));
    QCOMPARE(Box(w, "AreaDistance_tbx(1)")->text(), QStringLiteral("39.37"));
    QCOMPARE(Box(w, "FloorDistance_tbx")->text(), QStringLiteral("16.4"));
    QCOMPARE(Box(w, "AreaLength_tbx(2)")->text(), QStringLiteral("4"));  // row not in use
    QCOMPARE(Box(w, "InclinationAngle_tbx")->text(), QStringLiteral("3"));
    QCOMPARE(w.MainView_pbx->Image(), before);  // the model still holds metres
    w.RedrawAll();
    QVERIFY(qAbs(w.Data.Project.AreaDistance[0] - 20.0f) < 0.002f);
    units->setCurrentIndex(1);  // Metres
    QCOMPARE(Box(w, "AreaLength_tbx(0)")->text(), QStringLiteral("10"));
    QCOMPARE(Box(w, "FloorDistance_tbx")->text(), QStringLiteral("5"));
  }
};

QTEST_MAIN(TestNumberEntry)
#include "test_number_entry.moc"
