// Undo and redo as a user meets them: every edit is one step named after it, nothing the
// program writes by itself is a step, and undoing everything gives back the very bytes
// the project started from.
#include <random>

#include "files/ProjectFile.h"
#include "model/ProjectRules.h"
#include "support/WindowFixture.h"
#include "ui/window/FileCommands.h"
#include "ui/window/ProjectHistory.h"

using namespace tarnwick;

class TestProjectHistory : public QObject, WindowFixture {
  Q_OBJECT

  static QByteArray Encoded(const ProjectData& project) {
    ProjectFileHeader header;
    return Bytes(EncodeProject(project, header));
  }
  // Small, so that a map shown now and then comes quickly.
  LineArray_frm& OpenSmall() { return Open(QSize(900, 650)); }
  QUndoStack* Stack() const { return Find<ProjectHistory>("ProjectHistory")->Stack(); }
  void PickShown(const QString& name, int index) const {
    if (List(name)->isVisible()) Pick(name, index);
  }

  using Steps = std::vector<std::pair<QString, std::function<void()>>>;
  // The project and what the controls the steps change show.
  std::pair<ProjectData, QString> Now() const {
    return {Window().Project(),
            Shown({"Project_tbx", "Author_tbx", "FloorDistance_tbx", "Units_cbx",
                   "Attenuation_cbx(2)", "Angle_cbx(3)", "AreaDistance_tbx(0)"})};
  }
  static bool Same(const std::pair<ProjectData, QString>& a,
                   const std::pair<ProjectData, QString>& b) {
    return !DiffersByUser(a.first, b.first) && !DiffersByUser(b.first, a.first) &&
           a.second == b.second;
  }
  // Each change is one step named after it, which undo takes back and redo brings back,
  // the controls with it.
  void StepThrough(const Steps& steps) {
    for (const auto& [name, change] : steps) {
      const auto before = Now();
      change();
      const auto after = Now();
      QVERIFY2(DiffersByUser(before.first, after.first) && Window().isWindowModified(),
               qPrintable(name));
      QCOMPARE(UndoText(), "Undo " + name);
      Trigger("Undo_men");
      QVERIFY2(Same(Now(), before), qPrintable(name));
      Trigger("Redo_men");
      QVERIFY2(Same(Now(), after), qPrintable(name));
    }
  }

 private slots:
  void cleanup() { Reset(); }

  void editsThatRedrawNothingAreStepsOfTheirOwn() {
    LineArray_frm& w = OpenSmall();
    StepThrough({{"Project Title", [&] { Type("Project_tbx", "Stadium"); }},
                 {"Author", [&] { Type("Author_tbx", "Ada", Leave); }},
                 {"Attenuation of Box 3", [&] { Pick("Attenuation_cbx(2)", 3); }},
                 {"Units", [&] { List("Units_cbx")->setCurrentIndex(0); }}});  // to feet
    QCOMPARE(w.Project().BoxAttenuation[2], 3.0f);
  }

  void everyChangeIsOneStepToUndoAndRedoNamedAfterIt() {
    LineArray_frm& w = Open(QSize(1100, 760));
    QVERIFY(!Find<QAction>("Undo_men")->isEnabled() && !w.isWindowModified());
    const QPoint press = AboveSlope(0, 5, 0.1);
    StepThrough({
        {"Splay of Box 5", [&] { KeyPick("Angle_cbx(3)", 1); }},
        {"Distance to Floor", [&] { Type("FloorDistance_tbx", "7"); }},
        {"Automatic Inclination", [&] { Click("AutomaticInclCalc_chk"); }},
        {"Inclination", [&] { Type("InclinationAngle_tbx", "-4"); }},
        {"Line Preset", [&] { Trigger("Line_men"); }},
        {"Move of Area 1",
         [&] {
           QTest::mousePress(Side(), Qt::LeftButton, {}, press);
           MoveHeld(press + QPoint(30, -20), Qt::LeftButton);
           QTest::mouseRelease(Side(), Qt::LeftButton, {}, press + QPoint(30, -20));
         }},
    });
    // Saved, the mark goes; undone past the save, it comes back; redone, it goes again.
    TriggerWith("Save_men", Path("a.qvd"));
    QVERIFY(!w.isWindowModified());
    Trigger("Undo_men");
    QVERIFY(w.isWindowModified());
    Trigger("Redo_men");
    QVERIFY(!w.isWindowModified());
    // An Open is one step: undone, the earlier project and its file come back.
    const ProjectData saved = w.Project();
    QVERIFY(w.OpenFile(Sample("small.qvd")));
    QCOMPARE(UndoText(), u"Undo Open small.qvd"_s);
    Trigger("Undo_men");
    QVERIFY(!DiffersByUser(w.Project(), saved) && Caption().endsWith("a.qvd"_L1));
    // In a box being typed in, Ctrl+Z is the box's own undo; the project keeps its steps.
    const int steps = Stack()->index();
    QLineEdit* floor = Box("FloorDistance_tbx");
    const QString shown = floor->text();
    floor->setFocus();
    QTest::keyClicks(floor, "9");
    QTest::keyClick(floor, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(floor->text(), shown);
    QCOMPARE(Stack()->index(), steps);
    QCOMPARE(w.Project().FloorDistance, saved.FloorDistance);
  }

  void valuesKeepTheirPrecisionAndRedrawsKeepTheRedoSteps() {
    LineArray_frm& w = OpenSmall();
    Type("AreaHeight1_tbx(1)", "3.14159");
    QCOMPARE(w.Project().AreaHeight1[1], 3.14159f);
    Type("AreaHeight1_tbx(1)", "3.14159", Leave);  // leaving tidies the text, not the value
    QCOMPARE(Box("AreaHeight1_tbx(1)")->text(), u"3.14"_s);
    QCOMPARE(w.Project().AreaHeight1[1], 3.14159f);
    Trigger("Undo_men");
    QCOMPARE(w.Project().AreaHeight1[1], 0.8f);
    // Redraws of every kind after the undo, the map's completion among them.
    Trigger("FixedHeight_men");
    Trigger("ShowMap_men");
    Settle();
    w.resize(1000, 700);
    Settle();
    QVERIFY(Stack()->canRedo());
    Trigger("Redo_men");
    QCOMPARE(w.Project().AreaHeight1[1], 3.14159f);
    // In feet, a typed value stays to the bit.
    List("Units_cbx")->setCurrentIndex(0);
    w.RedrawAll();
    QCOMPARE(w.Project().AreaHeight1[1], 3.14159f);
  }

  void savingAndPresetsThatChangeNothingAreNoSteps() {
    LineArray_frm& w = OpenSmall();
    Pick("Angle_cbx(3)", 1);
    Pick("Angle_cbx(4)", 1);
    Trigger("Undo_men");
    const QString path = Path("a.qvd");
    TriggerWith("SaveAs_men", path);
    QVERIFY(QFile::exists(path) && !w.isWindowModified());
    QVERIFY(Stack()->canRedo());
    QCOMPARE(UndoText(), u"Undo Splay of Box 5"_s);
    // Undoing an edit keeps the file the project now belongs to.
    Trigger("Undo_men");
    QCOMPARE(QString::fromStdString(w.findChild<FileCommands*>()->FilePath()), path);
    Trigger("Redo_men");
    // The line preset on an array already straight from box 8 up changes nothing there...
    for (int j = 0; j < 11; ++j) Pick(u"Angle_cbx(%1)"_s.arg(j), 0);
    const int steps = Stack()->index();
    Trigger("Line_men");
    QCOMPARE(Stack()->index(), steps);
    // ... and does not name the next step.
    Type("FloorDistance_tbx", "6");
    QCOMPARE(UndoText(), u"Undo Distance to Floor"_s);
  }

  // Shown in feet to two decimals, a project still saves the very values it was opened
  // with. (With automatic inclination the first save holds the inclination worked out.)
  void aFeetProjectOpenedAndSavedIsTheSameFile() {
    LineArray_frm& w = OpenSmall();
    const QString odd = Sample("odd.qvd"), first = Path("first.qvd"), second = Path("second.qvd");
    const auto openAndSave = [&](const QString& source, const QString& copy) {
      QVERIFY(w.OpenFile(source));
      QCOMPARE(w.Project().Units, std::string("Feet"));
      TriggerWith("SaveAs_men", copy);
    };
    openAndSave(odd, first);
    QCOMPARE(Contents(first), Contents(odd));
    openAndSave(Sample("small.qvd"), first);
    openAndSave(first, second);
    QCOMPARE(Contents(second), Contents(first));
  }

  // Random edits of every kind, the map shown or not; undoing them all gives back the
  // bytes of the start, redoing them all the bytes of the end.
  void undoingEverythingGivesTheStartBackByteForByte() {
    LineArray_frm& w = OpenSmall();
    std::mt19937 random(20261208);
    const auto pick = [&](int n) { return int(random() % unsigned(n)); };
    const QStringList numbers = {"FloorDistance_tbx", "AreaDistance_tbx(0)", "AreaLength_tbx(1)",
                                 "AreaHeight1_tbx(2)", "AreaHeight2_tbx(0)"};
    const QStringList values = {"3.14159", "7", "-2.345", "12.0625", "0.001", "25.5"};
    const QString sample = Sample("odd.qvd");
    const std::vector<std::function<void()>> edits = {
        [&] {
          const QString name = numbers[pick(numbers.size())];
          if (Box(name)->isVisible())
            Type(name, values[pick(values.size())], pick(2) == 0 ? Enter : Leave);
        },
        [&] {
          if (!w.Project().AutomaticInclCalc) Type("InclinationAngle_tbx", "-1.23456");
        },
        [&] { PickShown(u"Angle_cbx(%1)"_s.arg(pick(11)), pick(2)); },
        [&] { PickShown(u"Attenuation_cbx(%1)"_s.arg(pick(12)), pick(14)); },
        [&] { Pick("BoxesAmount_cbx", pick(11)); },
        [&] { Pick("AreasAmount_cbx", pick(3)); },
        [&] { Pick("FlybarPin_cbx", pick(9)); },
        [&] { Pick("FlybarMounting_cbx", pick(2)); },
        [&] { QTest::mouseClick(Find<QCheckBox>("AutomaticInclCalc_chk"), Qt::LeftButton); },
        [&] { List("Units_cbx")->setCurrentIndex(pick(2)); },
        [&] { Type(pick(2) ? "Project_tbx" : "Author_tbx", QString::number(pick(1000))); },
        [&] {
          Trigger(QStringList{"Line_men", "Curved_men", "JArray_men"}[pick(3)]);
        },
        [&] {
          Dialogs().Answers.push_back(UserDialogs::Answer::No);
          Trigger("New_men");
        },
        [&] { w.OpenFile(sample); },
        [&] { Trigger("ShowMap_men"); },
    };
    for (int sequence = 0; sequence < 300; ++sequence) {
      const int start = Stack()->index();
      const QByteArray before = Encoded(w.Project());
      for (int n = 1 + pick(4); n > 0; --n) edits[std::size_t(pick(int(edits.size())))]();
      if (pick(4) == 0) Settle();
      const QByteArray after = Encoded(w.Project());
      const int end = Stack()->index();
      while (Stack()->index() > start) Stack()->undo();
      QVERIFY2(Encoded(w.Project()) == before, qPrintable(QString::number(sequence)));
      // A redraw of its own (and a map finishing) after the undo takes no redo step away.
      w.RedrawAll();
      if (pick(4) == 0) Settle();
      QCOMPARE(Stack()->count(), end);
      while (Stack()->index() < end) Stack()->redo();
      QVERIFY2(Encoded(w.Project()) == after, qPrintable(QString::number(sequence)));
      QVERIFY(Dialogs().Answers.empty() && !Dialogs().Log.contains("unscripted question"));
    }
  }
};

QTEST_MAIN(TestProjectHistory)
#include "test_project_history.moc"
