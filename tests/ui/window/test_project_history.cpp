// Undo and redo as a user meets them: each kind of edit the window records is one step
// (named as test_project_rules checks), and nothing the program writes by itself is one.
#include "model/ProjectRules.h"
#include "support/WindowFixture.h"
#include "ui/window/FileCommands.h"
#include "ui/window/ProjectHistory.h"

using namespace tarnwick;

class TestProjectHistory : public QObject, WindowFixture {
  Q_OBJECT

  QUndoStack* Stack() const { return Find<ProjectHistory>("ProjectHistory")->Stack(); }

  using Steps = std::vector<std::pair<QString, std::function<void()>>>;
  // The project and what the controls the steps change show.
  std::pair<ProjectData, QString> Now() const {
    return {Window().Project(),
            Shown({"Project_tbx", "FloorDistance_tbx", "Units_cbx", "Attenuation_cbx(2)",
                   "Angle_cbx(3)", "AreaDistance_tbx(0)"})};
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
      QVERIFY2(Now() == before, qPrintable(name));
      Trigger("Redo_men");
      QVERIFY2(Now() == after, qPrintable(name));
    }
  }

 private slots:
  void cleanup() { Reset(); }

  void everyChangeIsOneStepToUndoAndRedoNamedAfterIt() {
    LineArray_frm& w = Open(QSize(1100, 760));
    QVERIFY(!Find<QAction>("Undo_men")->isEnabled() && !w.isWindowModified());
    // A list, the units, a typed number (in feet), a preset, a drag; a title and an
    // attenuation, which redraw nothing.
    StepThrough({
        {"Splay of Box 5", [&] { KeyPick("Angle_cbx(3)", 1); }},
        {"Units", [&] { List("Units_cbx")->setCurrentIndex(0); }},
        {"Distance to Floor", [&] { Type("FloorDistance_tbx", "7"); }},
        {"Line Preset", [&] { Trigger("Line_men"); }},
        {"Move of Area 1",
         [&] {
           const QPoint press = AboveSlope(0, 5, 0.1);
           QTest::mousePress(Side(), Qt::LeftButton, {}, press);
           MoveHeld(press + QPoint(30, -20), Qt::LeftButton);
           QTest::mouseRelease(Side(), Qt::LeftButton, {}, press + QPoint(30, -20));
         }},
        {"Project Title", [&] { Type("Project_tbx", "Stadium"); }},
        {"Attenuation of Box 3", [&] { Pick("Attenuation_cbx(2)", 3); }},
    });
    // A save is no step: the mark goes, the step to redo stays. Undone past the save, the
    // mark comes back and the file stays the project's; no redraw, the map's completion
    // among them, takes the step to redo away; redone, the mark goes again.
    Trigger("Undo_men");
    TriggerWith("Save_men", Path("a.qvd"));
    QVERIFY(!w.isWindowModified() && Stack()->canRedo());
    QCOMPARE(UndoText(), u"Undo Project Title"_s);
    Trigger("Undo_men");
    QVERIFY(w.isWindowModified());
    QCOMPARE(QString::fromStdString(w.findChild<FileCommands*>()->FilePath()), Path("a.qvd"));
    Trigger("ShowMap_men");
    Settle();
    w.resize(1000, 700);
    Settle();
    Trigger("Redo_men");
    QVERIFY(!w.isWindowModified());
    // An Open is one step: undone, the earlier project and its file come back.
    const ProjectData saved = w.Project();
    QVERIFY(w.OpenFile(Sample("small.qvd")));
    QCOMPARE(UndoText(), u"Undo Open small.qvd"_s);
    Trigger("Undo_men");
    QVERIFY(!DiffersByUser(w.Project(), saved) && Caption().endsWith("a.qvd"_L1));
    // New is one step too.
    Dialogs().Answers = {Answer::No};
    Trigger("New_men");
    QCOMPARE(UndoText(), u"Undo New Project"_s);
    Trigger("Undo_men");
    QVERIFY(!DiffersByUser(w.Project(), saved));
    // In a box being typed in, Ctrl+Z is the box's own undo; a preset that changes nothing
    // (the array is straight) is no step, nor does it name the next one.
    const int steps = Stack()->index();
    Trigger("Line_men");
    QLineEdit* floor = Box("FloorDistance_tbx");
    const QString shown = floor->text();
    floor->setFocus();
    QTest::keyClicks(floor, "9");
    QTest::keyClick(floor, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(floor->text(), shown);
    QCOMPARE(Stack()->index(), steps);
    QCOMPARE(w.Project().FloorDistance, saved.FloorDistance);
    Type("FloorDistance_tbx", "6");
    QCOMPARE(UndoText(), u"Undo Distance to Floor"_s);
  }
};

QTEST_MAIN(TestProjectHistory)
#include "test_project_history.moc"
