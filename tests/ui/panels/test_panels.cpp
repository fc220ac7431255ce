// The array, area and project panels as a user meets them: rows that follow the counts,
// typed numbers, the inclination, units, presets, and a project shown and read back.
#include "support/WindowFixture.h"

using namespace tarnwick;

namespace {

// Data rows for a case run with the settings panels collapsed (not yet made) and expanded.
void BothWays() {
  QTest::addColumn<bool>("expanded");
  QTest::newRow("collapsed") << false;
  QTest::newRow("expanded") << true;
}

}  // namespace

class TestPanels : public QObject, WindowFixture {
  Q_OBJECT

 private slots:
  void cleanup() { Reset(); }

  void rowsFollowTheCountsAndKeepTheirValues() {
    LineArray_frm& w = Open();
    KeyPick("Attenuation_cbx(9)", 13);  // box 10 off
    KeyPick("BoxesAmount_cbx", 0);      // two boxes
    QCOMPARE(Visible(Rows("Angle_lbl(%1)", 12) + Rows("Angle_cbx(%1)", 11)),
             u"110000000000"_s + u"10000000000"_s);
    KeyPick("BoxesAmount_cbx", 10);  // twelve again: the hidden rows kept their settings
    QCOMPARE(w.Project().BoxAttenuation[9], 99.0f);
    KeyPick("AreasAmount_cbx", 0);
    QCOMPARE(Visible(Rows("Area_lbl(%1)", 3) + Rows("AreaLength_tbx(%1)", 3)), u"100100"_s);
    QCOMPARE(w.Geometry().SceneWidth, 12.0f);  // only area 1 is drawn
  }

  void inclinationFollowsThePinUntilTypedByHand() {
    LineArray_frm& w = Open();
    auto* automatic = Find<QCheckBox>("AutomaticInclCalc_chk");
    QLineEdit* inclination = Box("InclinationAngle_tbx");
    KeyPick("FlybarMounting_cbx", 1);  // uptilt
    KeyPick("FlybarPin_cbx", 3);       // pin 4
    QCOMPARE(inclination->text(), u"6.19"_s);
    QTest::mouseClick(automatic, Qt::LeftButton);
    QVERIFY(!automatic->isChecked() && !inclination->isReadOnly());
    KeyPick("FlybarPin_cbx", 0);  // no longer recomputed
    QCOMPARE(inclination->text(), u"6.19"_s);
    inclination->setText("7,5");
    w.RedrawAll();
    QCOMPARE(w.Project().InclinationAngle, 7.5f);
    QTest::mouseClick(automatic, Qt::LeftButton);
    QVERIFY(inclination->isReadOnly() && inclination->text() == "3.8");
  }

  void aProjectIsShownAndReadTheSameBeforeAndAfterThePanelsAreMade_data() { BothWays(); }

  void aProjectIsShownAndReadTheSameBeforeAndAfterThePanelsAreMade() {
    QFETCH(bool, expanded);
    LineArray_frm& w = Open({}, expanded);
    // A project the lists cannot show is refused and changes nothing.
    ProjectData p = MakeDefaultProject();
    p.ProjectTitle = "Spoilt";
    p.FlybarPin = 10;
    QVERIFY(!w.ShowProject(p) && w.Project().ProjectTitle != "Spoilt");
    QCOMPARE(Shown("Project_tbx"), u"Your Project"_s);
    // Values keep their precision whatever decimals are shown; an attenuation without an
    // entry reads as 0.
    p = MakeDefaultProject();
    std::tie(p.Units, p.AutomaticInclCalc, p.InclinationAngle, p.FloorDistance) =
        std::tuple("Feet", 0, 5.296f, 5.0f);
    std::tie(p.AreaHeight2[2], p.BoxAttenuation[0], p.BoxAttenuation[4], p.FlybarMounting) =
        std::tuple(3.456f, 7.5f, 99.0f, 1);
    QVERIFY(w.ShowProject(p));
    w.RedrawAll();
    QCOMPARE((QList<float>{w.Project().InclinationAngle, w.Project().AreaHeight2[2],
                           w.Project().BoxAttenuation[0], w.Project().BoxAttenuation[4],
                           float(w.Project().FlybarMounting)}),
             (QList<float>{5.296f, 3.456f, 0, 99, 1}));
  }

  void typedNumbersAreTidiedOnLeavingAndReadOnEnter() {
    LineArray_frm& w = Open(QSize(900, 650));
    QImage before = Side()->Image();
    Type("AreaLength_tbx(1)", "2,5", Stay);
    QCOMPARE(w.Project().AreaLength[1], 10.0f);  // not read yet
    LeaveBox();
    QCOMPARE(Shown("AreaLength_tbx(1)"), u"2.5"_s);
    QCOMPARE(w.Project().AreaLength[1], 2.5f);
    QVERIFY(Side()->Image() != before);
    // What the box shows after leaving is what the model holds, to two decimals, and the
    // model keeps the value typed.
    Type("FloorDistance_tbx", "-2,345", Leave);
    QCOMPARE(Shown("FloorDistance_tbx"), u"-2.35"_s);
    QCOMPARE(w.Project().FloorDistance, -2.345f);
    // Enter reads and redraws without tidying.
    Find<QCheckBox>("AutomaticInclCalc_chk")->setChecked(false);
    before = Side()->Image();
    Type("InclinationAngle_tbx", "12.345");
    QCOMPARE(Shown("InclinationAngle_tbx"), u"12.345"_s);
    QCOMPARE(w.Project().InclinationAngle, 12.345f);
    QVERIFY(Side()->Image() != before);
    // The user's decimal comma is shown.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    Type("AreaLength_tbx(1)", "2.5", Leave);
    QCOMPARE(Shown("AreaLength_tbx(1)"), u"2,5"_s);
  }

  void switchingUnitsConvertsEveryLengthShownHiddenAreasIncluded_data() { BothWays(); }

  void switchingUnitsConvertsEveryLengthShownHiddenAreasIncluded() {
    QFETCH(bool, expanded);
    LineArray_frm& w = Open(QSize(900, 650), expanded);
    KeyPick("AreasAmount_cbx", 0);  // one area: areas 2 and 3 hidden
    const QImage before = Side()->Image();
    List("Units_cbx")->setCurrentIndex(0);  // Feet
    QCOMPARE(Side()->Image(), before);      // the model still holds metres
    KeyPick("AreasAmount_cbx", 2);          // area 3 comes back where it was
    // Lengths the program wrote are not read back from their feet.
    QCOMPARE(w.Project().AreaDistance[2], 23.0f);
    QCOMPARE(w.Project().FloorDistance, 5.0f);
    if (!expanded) return;
    QCOMPARE(Shown({"AreaLength_tbx(0)", "FloorDistance_tbx", "AreaDistance_tbx(2)",
                    "InclinationAngle_tbx"}),
             u"32.81|16.4|75.46|3"_s);
    Box("AreaDistance_tbx(0)")->setText("20");  // an edit not yet read converts too
    List("Units_cbx")->setCurrentIndex(1);      // Metres
    QCOMPARE(Shown({"AreaLength_tbx(0)", "AreaDistance_tbx(0)"}), u"10|6.1"_s);
  }

  void presetsSetTheAnglesInUse() {
    LineArray_frm& w = Open();
    auto angle = [&](int k) { return List(u"Angle_cbx(%1)"_s.arg(k)); };
    // The J-Array's angles k = 0 .. n for 2 to 12 boxes, '-' left as it was.
    const char* jArrays[] = {"5",         "55",         "055",        "0-55",
                             "00555",     "005555",     "0005555",    "000-5555",
                             "000055555", "0000555555", "00000555555"};
    for (int boxes = 2; boxes <= 12; ++boxes) {
      const QString jArray = QString::fromLatin1(jArrays[boxes - 2]);
      // Mark every list with an odd pattern to see what a preset leaves alone.
      for (int k = 0; k < 11; ++k) angle(k)->setCurrentIndex(k % 2);
      List("BoxesAmount_cbx")->setCurrentIndex(boxes - 2);
      Trigger("JArray_men");
      for (int k = 0; k < 11; ++k) {
        const QChar want = k < jArray.size() ? jArray[k] : QChar('-');
        QCOMPARE(angle(k)->currentIndex(), want == '-' ? k % 2 : want == '5' ? 1 : 0);
      }
      for (int k = 0; k < boxes - 1; ++k)  // the view followed: the project holds the new angles
        QCOMPARE(w.Project().BoxAngle[k], angle(k)->currentIndex() * 5.0f);
      for (const auto& [preset, index] : {std::pair{"Line_men", 0}, {"Curved_men", 1}}) {
        Trigger(preset);
        for (int k = 0; k < 11; ++k)
          QCOMPARE(angle(k)->currentIndex(), k < boxes - 1 ? index : k % 2);
      }
    }
  }
};

QTEST_MAIN(TestPanels)
#include "test_panels.moc"
