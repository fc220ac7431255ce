#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QLocale>
#include <QtTest>
#include <cmath>
#include <utility>

#include "ui/LineArrayForm.h"

using namespace tarnwick;

namespace {

template <typename T>
T* Control(QWidget& window, const QString& name) {
  T* control = window.findChild<T*>(name);
  if (control == nullptr) qFatal("missing control %s", qPrintable(name));
  return control;
}

QString Text(QWidget& w, const QString& name) { return Control<QLineEdit>(w, name)->text(); }
QString Entry(QWidget& w, const QString& name) {
  return Control<QComboBox>(w, name)->currentText();
}

}  // namespace

class TestLineArrayForm : public QObject {
  Q_OBJECT

 private slots:
  void init() { QLocale::setDefault(QLocale::c()); }
  void cleanup() {
    QLocale::setDefault(QLocale::c());
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
  }

  void startUpShowsTheDefaultProject() {
    LineArray_frm w;
    QCOMPARE(w.StartCaption, QStringLiteral("Quenvar Tarnwick"));
    QVERIFY(!w.FormLoading);
    QVERIFY(!w.ControlsUpdating);
    QCOMPARE(Text(w, "Project_tbx"), QStringLiteral("Your Project"));
    QCOMPARE(Text(w, "Author_tbx"), QStringLiteral("Your Name"));
    QCOMPARE(Entry(w, "Units_cbx"), QStringLiteral("Metres"));
    QCOMPARE(Entry(w, "AreasAmount_cbx"), QStringLiteral("3"));
    const QStringList distances{"1", "12", "23"}, lengths{"10", "10", "4"},
        heights1{"0", "0.8", "1.9"}, heights2{"1", "2", "3.5"};
    for (int i = 0; i < 3; ++i) {
      QCOMPARE(Text(w, QStringLiteral("AreaDistance_tbx(%1)").arg(i)), distances[i]);
      QCOMPARE(Text(w, QStringLiteral("AreaLength_tbx(%1)").arg(i)), lengths[i]);
      QCOMPARE(Text(w, QStringLiteral("AreaHeight1_tbx(%1)").arg(i)), heights1[i]);
      QCOMPARE(Text(w, QStringLiteral("AreaHeight2_tbx(%1)").arg(i)), heights2[i]);
    }
    QCOMPARE(Entry(w, "BoxesAmount_cbx"), QStringLiteral("12"));
    const QString angles = QStringLiteral("05000055555");
    for (int i = 0; i < 11; ++i)
      QCOMPARE(Entry(w, QStringLiteral("Angle_cbx(%1)").arg(i)), angles.mid(i, 1) + QChar(0xB0));
    for (int i = 0; i < 12; ++i)
      QCOMPARE(Entry(w, QStringLiteral("Attenuation_cbx(%1)").arg(i)), QStringLiteral("0dB"));
    QCOMPARE(Text(w, "FloorDistance_tbx"), QStringLiteral("5"));
    QCOMPARE(Entry(w, "FlybarMounting_cbx"), QStringLiteral("Downtilt"));
    QCOMPARE(Entry(w, "FlybarPin_cbx"), QStringLiteral("2"));
    QVERIFY(Control<QCheckBox>(w, "AutomaticInclCalc_chk")->isChecked());
    // The start-up redraw replaced the default 5.29 with the hanging angle.
    QCOMPARE(Text(w, "InclinationAngle_tbx"), QStringLiteral("3"));
    QVERIFY(Control<QLineEdit>(w, "InclinationAngle_tbx")->isReadOnly());
    QVERIFY(qAbs(w.Data.Project.InclinationAngle - 3.0f) < 0.001f);

    // The lists hold their entries, the menus their check marks.
    QCOMPARE(Control<QComboBox>(w, "BoxesAmount_cbx")->count(), 11);
    QCOMPARE(Control<QComboBox>(w, "Attenuation_cbx(11)")->count(), 14);
    QCOMPARE(Control<QComboBox>(w, "Attenuation_cbx(11)")->itemText(13), QStringLiteral("99dB"));
    QCOMPARE(Control<QComboBox>(w, "FlybarPin_cbx")->count(), 9);
    QVERIFY(!Control<QComboBox>(w, "Units_cbx")->isEditable());
    for (const char* name : {"FixedHeight_men", "ShowGraph_men"}) {
      auto* item = w.findChild<QAction*>(name);
      QVERIFY2(item && item->isCheckable() && !item->isChecked(), name);
    }
  }

  void inclinationFollowsThePinUntilTypedByHand() {
    LineArray_frm w;
    Control<QComboBox>(w, "FlybarMounting_cbx")->setCurrentIndex(1);  // Uptilt
    Control<QComboBox>(w, "FlybarPin_cbx")->setCurrentIndex(3);       // pin 4
    QCOMPARE(Text(w, "InclinationAngle_tbx"), QStringLiteral("6.19"));
    QCOMPARE(w.Data.Project.FlybarMounting, 1);
    QCOMPARE(w.Data.Project.FlybarPin, 4);
    Control<QCheckBox>(w, "AutomaticInclCalc_chk")->setChecked(false);
    Control<QLineEdit>(w, "InclinationAngle_tbx")->setText(QStringLiteral("7,5"));
    w.RedrawAll();
    QCOMPARE(w.Data.Project.InclinationAngle, 7.5f);
    QCOMPARE(Text(w, "InclinationAngle_tbx"), QStringLiteral("7,5"));
  }

  void feetAreConvertedInBothTransfersAndOtherUnitTextsMeanMetres() {
    LineArray_frm w;
    w.Data.Project.Units = "Feet";
    QVERIFY(w.WriteControls());
    QCOMPARE(Entry(w, "Units_cbx"), QStringLiteral("Feet"));
    QCOMPARE(Text(w, "FloorDistance_tbx"), QStringLiteral("16.4"));
    QCOMPARE(Text(w, "AreaLength_tbx(0)"), QStringLiteral("32.81"));
    w.ReadControls();
    QCOMPARE(w.Data.Project.FloorDistance, float(16.4 * 0.30479f));
    QVERIFY(qAbs(w.Data.Project.FloorDistance - 4.9985557f) < 1e-6f);
    QCOMPARE(w.Data.Project.AreaLength[0], float(32.81 * 0.30479f));

    w.Data.Project = w.Data.DefaultProject;
    w.Data.Project.Units = "Yards";
    QVERIFY(w.WriteControls());
    QCOMPARE(Entry(w, "Units_cbx"), QStringLiteral("Metres"));
    QCOMPARE(Text(w, "FloorDistance_tbx"), QStringLiteral("5"));
  }

  void transfersTouchOnlyTheRowsInUse() {
    LineArray_frm w;
    ProjectData& p = w.Data.Project;
    p.BoxesAmount = 2;
    p.AreasAmount = 1;
    p.BoxAngle[0] = 0;
    p.BoxAngle[1] = 0;           // joint 1 is not in use: its list keeps "5°"
    p.BoxAttenuation[0] = 7.5f;  // without an entry: shown as "0dB"
    p.BoxAttenuation[1] = 99;
    p.BoxAttenuation[2] = 4;
    p.AreaLength[1] = 77;
    QVERIFY(w.WriteControls());
    QCOMPARE(Entry(w, "Attenuation_cbx(0)"), QStringLiteral("0dB"));
    QCOMPARE(Entry(w, "Attenuation_cbx(1)"), QStringLiteral("99dB"));
    QCOMPARE(Entry(w, "Attenuation_cbx(2)"), QStringLiteral("0dB"));
    QCOMPARE(Entry(w, "Angle_cbx(1)"), QString(QStringLiteral("5") + QChar(0xB0)));
    QCOMPARE(Text(w, "AreaLength_tbx(1)"), QStringLiteral("10"));

    Control<QComboBox>(w, "Attenuation_cbx(5)")->setCurrentIndex(7);
    Control<QComboBox>(w, "Angle_cbx(4)")->setCurrentIndex(1);
    Control<QLineEdit>(w, "AreaLength_tbx(2)")->setText("99");
    w.ReadControls();
    QCOMPARE(p.BoxAttenuation[1], 99.0f);
    QCOMPARE(p.BoxAttenuation[5], 0.0f);
    QCOMPARE(p.BoxAngle[4], 0.0f);
    QCOMPARE(p.AreaLength[1], 77.0f);
    QCOMPARE(p.AreaLength[2], 4.0f);
  }

  void typedNumbersAreReadLenientlyWithTheUsersDecimalComma() {
    LineArray_frm w;
    Control<QLineEdit>(w, "AreaLength_tbx(0)")->setText(QStringLiteral("  1,25 "));
    Control<QLineEdit>(w, "AreaDistance_tbx(0)")->setText(QStringLiteral("abc"));
    Control<QLineEdit>(w, "FloorDistance_tbx")->setText(QStringLiteral("1e39"));
    w.ReadControls();
    QCOMPARE(w.Data.Project.AreaLength[0], 1.25f);
    QCOMPARE(w.Data.Project.AreaDistance[0], 0.0f);
    QCOMPARE(w.Data.Project.FloorDistance, 0.0f);

    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    LineArray_frm german;
    QCOMPARE(Text(german, "AreaHeight1_tbx(1)"), QStringLiteral("0,8"));
    german.Data.Project.Units = "Feet";
    QVERIFY(german.WriteControls());
    QCOMPARE(Text(german, "FloorDistance_tbx"), QStringLiteral("16,4"));
    german.ReadControls();
    QCOMPARE(german.Data.Project.FloorDistance, float(16.4 * 0.30479f));
  }

  void writeControlsStopsSafelyAtValuesWithoutEntry() {
    LineArray_frm w;
    const std::pair<const char*, void (*)(ProjectData&)> cases[] = {
        {"areas 0", [](ProjectData& p) { p.AreasAmount = 0; }},
        {"areas 4", [](ProjectData& p) { p.AreasAmount = 4; }},
        {"boxes 40", [](ProjectData& p) { p.BoxesAmount = 40; }},
        {"boxes 1", [](ProjectData& p) { p.BoxesAmount = 1; }},
        {"pin 12", [](ProjectData& p) { p.FlybarPin = 12; }},
        {"angle 10", [](ProjectData& p) { p.BoxAngle[2] = 10; }},
        {"angle NaN", [](ProjectData& p) { p.BoxAngle[2] = NAN; }},
        {"automatic 2", [](ProjectData& p) { p.AutomaticInclCalc = 2; }},
    };
    for (const auto& [name, spoil] : cases) {
      w.Data.Project = w.Data.DefaultProject;
      QVERIFY(w.WriteControls());
      w.Data.Project.ProjectTitle = "Spoilt";
      spoil(w.Data.Project);
      QVERIFY2(!w.WriteControls(), name);
      QVERIFY2(!w.ControlsUpdating, name);
      // Controls before the bad value were written.
      QCOMPARE(Text(w, "Project_tbx"), QStringLiteral("Spoilt"));
    }
    // An angle whose fifth rounds to 1 has an entry.
    w.Data.Project = w.Data.DefaultProject;
    w.Data.Project.BoxAngle[2] = 7.4f;
    QVERIFY(w.WriteControls());
    QCOMPARE(Control<QComboBox>(w, "Angle_cbx(2)")->currentIndex(), 1);
  }

  void newProjectRestoresTheDefaults() {
    LineArray_frm w;
    Control<QLineEdit>(w, "Project_tbx")->setText("Arena");
    Control<QComboBox>(w, "BoxesAmount_cbx")->setCurrentIndex(0);
    w.NewProject();
    QCOMPARE(Text(w, "Project_tbx"), QStringLiteral("Your Project"));
    QCOMPARE(Entry(w, "BoxesAmount_cbx"), QStringLiteral("12"));
    QCOMPARE(w.Data.Project.ProjectTitle, std::string("Your Project"));
  }
};

QTEST_MAIN(TestLineArrayForm)
#include "test_line_array_form.moc"
