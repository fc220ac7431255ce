// Undo and redo as a user meets them: every edit is one step named after it, nothing the
// program writes by itself is a step, and undoing everything gives back the very bytes
// the project started from.
#include <QCheckBox>
#include <QFile>
#include <QUndoStack>
#include <random>

#include "files/ProjectFile.h"
#include "support/WindowFixture.h"
#include "ui/window/FileCommands.h"
#include "ui/window/ProjectHistory.h"

using namespace tarnwick;

namespace {

QByteArray Bytes(const ProjectData& project) {
  ProjectFileHeader header;
  const std::vector<unsigned char> bytes = EncodeProject(project, header);
  return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

QByteArray Contents(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class TestProjectHistory : public QObject {
  Q_OBJECT

  WindowFixture ui_;

  // Small, so that a map shown now and then comes quickly.
  LineArray_frm& Open() { return ui_.Open(QSize(900, 650)); }
  QUndoStack* Stack() const { return ui_.Find<ProjectHistory>("ProjectHistory")->Stack(); }
  QString UndoText() const { return ui_.Find<QAction>("Undo_men")->text().remove('&'); }
  void Type(const QString& name, const QString& text, bool enter = true) const {
    ui_.Type(name, text, enter);
  }
  void Pick(const QString& name, int index) const { ui_.Pick(name, index); }
  void PickShown(const QString& name, int index) const {
    if (ui_.List(name)->isVisible()) Pick(name, index);
  }
  void Trigger(const char* action) const { ui_.Trigger(QLatin1String(action)); }

 private slots:
  void initTestCase() { WindowFixture::Prepare(); }
  void init() { ui_.Reset(); }
  void cleanup() { ui_.Reset(); }

  void editsThatRedrawNothingAreStepsOfTheirOwn() {
    LineArray_frm& w = Open();
    Type("FloorDistance_tbx", "7");
    QCOMPARE(UndoText(), QStringLiteral("Undo Distance to Floor"));
    Type("Project_tbx", "Stadium");
    QCOMPARE(UndoText(), QStringLiteral("Undo Project Title"));
    Type("Author_tbx", "Ada", false);
    QCOMPARE(UndoText(), QStringLiteral("Undo Author"));
    Pick("Attenuation_cbx(2)", 3);
    QCOMPARE(UndoText(), QStringLiteral("Undo Attenuation of Box 3"));
    QCOMPARE(w.Project().BoxAttenuation[2], 3.0f);
    ui_.List("Units_cbx")->setCurrentIndex(0);  // Feet
    QCOMPARE(UndoText(), QStringLiteral("Undo Units"));
    // Each undo takes back its own edit only, and redo brings it back.
    for (const char* step : {"Units", "Attenuation of Box 3", "Author", "Project Title"}) {
      QCOMPARE(UndoText(), QStringLiteral("Undo ") + QLatin1String(step));
      Trigger("Undo_men");
    }
    QCOMPARE(w.Project().ProjectTitle, std::string("Your Project"));
    QCOMPARE(w.Project().FloorDistance, 7.0f);
    QCOMPARE(ui_.Box("FloorDistance_tbx")->text(), QStringLiteral("7"));
    Trigger("Redo_men");
    QCOMPARE(w.Project().ProjectTitle, std::string("Stadium"));
    QCOMPARE(ui_.Box("Project_tbx")->text(), QStringLiteral("Stadium"));
  }

  void valuesKeepTheirPrecisionAndRedrawsKeepTheRedoSteps() {
    LineArray_frm& w = Open();
    Type("AreaHeight1_tbx(1)", "3.14159");
    QCOMPARE(w.Project().AreaHeight1[1], 3.14159f);
    Type("AreaHeight1_tbx(1)", "3.14159", false);  // leaving tidies the text, not the value
    QCOMPARE(ui_.Box("AreaHeight1_tbx(1)")->text(), QStringLiteral("3.14"));
    QCOMPARE(w.Project().AreaHeight1[1], 3.14159f);
    Trigger("Undo_men");
    QCOMPARE(w.Project().AreaHeight1[1], 0.8f);
    // Redraws of every kind after the undo, the map's completion among them.
    Trigger("FixedHeight_men");
    Trigger("ShowMap_men");
    ui_.Settle();
    w.resize(1000, 700);
    ui_.Settle();
    QVERIFY(Stack()->canRedo());
    Trigger("Redo_men");
    QCOMPARE(w.Project().AreaHeight1[1], 3.14159f);
    // In feet, values the program wrote stay to the bit.
    ui_.List("Units_cbx")->setCurrentIndex(0);
    w.RedrawAll();
    QCOMPARE(w.Project().AreaHeight1[1], 3.14159f);
    QCOMPARE(w.Project().AreaDistance[2], 23.0f);
  }

  void savingAndPresetsThatChangeNothingAreNoSteps() {
    LineArray_frm& w = Open();
    Pick("Angle_cbx(3)", 1);
    Pick("Angle_cbx(4)", 1);
    Trigger("Undo_men");
    const QString path = ui_.Path(QStringLiteral("a.qvd"));
    ui_.Dialogs().Files.push_back(ScriptedDialogs::Chosen(path));
    Trigger("SaveAs_men");
    QVERIFY(QFile::exists(path) && !w.isWindowModified());
    QVERIFY(Stack()->canRedo());
    QCOMPARE(UndoText(), QStringLiteral("Undo Splay of Box 5"));
    // Undoing an edit keeps the file the project now belongs to.
    Trigger("Undo_men");
    QCOMPARE(QString::fromStdString(w.findChild<FileCommands*>()->FilePath()), path);
    Trigger("Redo_men");
    // The line preset on an array already straight from box 8 up changes nothing there...
    for (int j = 0; j < 11; ++j) Pick(QStringLiteral("Angle_cbx(%1)").arg(j), 0);
    const int steps = Stack()->index();
    Trigger("Line_men");
    QCOMPARE(Stack()->index(), steps);
    // ... and does not name the next step.
    Type("FloorDistance_tbx", "6");
    QCOMPARE(UndoText(), QStringLiteral("Undo Distance to Floor"));
  }

  // Shown in feet to two decimals, a project still saves the very values it was opened
  // with. (With automatic inclination the first save holds the inclination worked out.)
  void aFeetProjectOpenedAndSavedIsTheSameFile() {
    LineArray_frm& w = Open();
    const QString odd = QStringLiteral(TARNWICK_SOURCE_DIR "/tests/data/odd.qvd");
    const QString small = QStringLiteral(TARNWICK_SOURCE_DIR "/tests/data/small.qvd");
    const QString first = ui_.Path(QStringLiteral("first.qvd"));
    const QString second = ui_.Path(QStringLiteral("second.qvd"));
    const auto openAndSave = [&](const QString& source, const QString& copy) {
      QVERIFY(w.OpenFile(source));
      QCOMPARE(w.Project().Units, std::string("Feet"));
      ui_.Dialogs().Files.push_back(ScriptedDialogs::Chosen(copy));
      Trigger("SaveAs_men");
    };
    openAndSave(odd, first);
    QCOMPARE(Contents(first), Contents(odd));
    openAndSave(small, first);
    openAndSave(first, second);
    QCOMPARE(Contents(second), Contents(first));
  }

  // Random edits of every kind, the map shown or not; undoing them all gives back the
  // bytes of the start, redoing them all the bytes of the end.
  void undoingEverythingGivesTheStartBackByteForByte() {
    LineArray_frm& w = Open();
    std::mt19937 random(20261208);
    const auto pick = [&](int n) { return int(random() % unsigned(n)); };
    const QStringList numbers = {"FloorDistance_tbx", "AreaDistance_tbx(0)", "AreaLength_tbx(1)",
                                 "AreaHeight1_tbx(2)", "AreaHeight2_tbx(0)"};
    const QStringList values = {"3.14159", "7", "-2.345", "12.0625", "0.001", "25.5"};
    const QString sample = QStringLiteral(TARNWICK_SOURCE_DIR "/tests/data/odd.qvd");
    const std::vector<std::function<void()>> edits = {
        [&] {
          const QString name = numbers[pick(numbers.size())];
          if (ui_.Box(name)->isVisible()) Type(name, values[pick(values.size())], pick(2) == 0);
        },
        [&] {
          if (!w.Project().AutomaticInclCalc) Type("InclinationAngle_tbx", "-1.23456");
        },
        [&] { PickShown(QStringLiteral("Angle_cbx(%1)").arg(pick(11)), pick(2)); },
        [&] { PickShown(QStringLiteral("Attenuation_cbx(%1)").arg(pick(12)), pick(14)); },
        [&] { Pick("BoxesAmount_cbx", pick(11)); },
        [&] { Pick("AreasAmount_cbx", pick(3)); },
        [&] { Pick("FlybarPin_cbx", pick(9)); },
        [&] { Pick("FlybarMounting_cbx", pick(2)); },
        [&] { QTest::mouseClick(ui_.Find<QCheckBox>("AutomaticInclCalc_chk"), Qt::LeftButton); },
        [&] { ui_.List("Units_cbx")->setCurrentIndex(pick(2)); },
        [&] { Type(pick(2) ? "Project_tbx" : "Author_tbx", QString::number(pick(1000))); },
        [&] {
          ui_.Trigger(QStringList{"Line_men", "Curved_men", "JArray_men"}[pick(3)]);
        },
        [&] {
          ui_.Dialogs().Answers.push_back(UserDialogs::Answer::No);
          Trigger("New_men");
        },
        [&] { w.OpenFile(sample); },
        [&] { Trigger("ShowMap_men"); },
    };
    for (int sequence = 0; sequence < 300; ++sequence) {
      const int start = Stack()->index();
      const QByteArray before = Bytes(w.Project());
      for (int n = 1 + pick(4); n > 0; --n) edits[std::size_t(pick(int(edits.size())))]();
      if (pick(4) == 0) ui_.Settle();
      const QByteArray after = Bytes(w.Project());
      const int end = Stack()->index();
      while (Stack()->index() > start) Stack()->undo();
      QVERIFY2(Bytes(w.Project()) == before, qPrintable(QString::number(sequence)));
      // A redraw of its own (and a map finishing) after the undo takes no redo step away.
      w.RedrawAll();
      if (pick(4) == 0) ui_.Settle();
      QCOMPARE(Stack()->count(), end);
      while (Stack()->index() < end) Stack()->redo();
      QVERIFY2(Bytes(w.Project()) == after, qPrintable(QString::number(sequence)));
      QVERIFY(ui_.Dialogs().Answers.empty() && !ui_.Dialogs().Log.contains("unscripted question"));
    }
  }
};

QTEST_MAIN(TestProjectHistory)
#include "test_project_history.moc"
