// Undo and redo as a user meets them: every edit is one step named after it, nothing the
// program writes by itself is a step, and undoing everything gives back the very bytes
// the project started from.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUndoStack>
#include <QtTest>
#include <memory>
#include <random>

#include "../support/ScriptedDialogs.h"
#include "files/ProjectFile.h"
#include "ui/CoverageLayer.h"
#include "ui/LineArrayForm.h"
#include "ui/ProjectHistory.h"
#include "views/DrawingSurface.h"

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

  std::unique_ptr<LineArray_frm> window_;
  ScriptedDialogs* dialogs_ = nullptr;
  std::unique_ptr<QTemporaryDir> dir_;

  LineArray_frm& Open() {
    window_ = std::make_unique<LineArray_frm>();
    auto dialogs = std::make_unique<ScriptedDialogs>();
    dialogs_ = dialogs.get();
    window_->SetDialogs(std::move(dialogs));
    window_->resize(900, 650);  // small: the map, shown at times, comes quicker
    window_->show();
    QApplication::setActiveWindow(window_.get());
    if (!QTest::qWaitForWindowActive(window_.get())) qFatal("window not active");
    for (const char* button : {"ShowArraySettings_cbt", "ShowAreaSettings_cbt"})
      QTest::mouseClick(Find<QPushButton>(button), Qt::LeftButton);
    return *window_;
  }
  template <typename T = QWidget>
  T* Find(const QString& name) const {
    T* found = window_->findChild<T*>(name);
    if (found == nullptr) qFatal("missing %s", qPrintable(name));
    return found;
  }
  QLineEdit* Box(const QString& name) const { return Find<QLineEdit>(name); }
  QComboBox* List(const QString& name) const { return Find<QComboBox>(name); }
  QUndoStack* Stack() const { return Find<ProjectHistory>("ProjectHistory")->Stack(); }
  QString UndoText() const { return Find<QAction>("Undo_men")->text().remove('&'); }

  // Typed as a user types: focus, select all, type; then Enter, or a move to another box.
  void Type(const QString& name, const QString& text, bool enter = true) const {
    QLineEdit* box = Box(name);
    box->setFocus(Qt::MouseFocusReason);
    QTRY_VERIFY(box->hasFocus());
    box->selectAll();
    QTest::keyClicks(box, text);
    if (enter) {
      QTest::keyClick(box, Qt::Key_Return);
    } else {
      QLineEdit* other = Box(name == QLatin1String("Author_tbx") ? "Project_tbx" : "Author_tbx");
      other->setFocus(Qt::TabFocusReason);
      QTRY_VERIFY(other->hasFocus());
    }
  }
  // Picked from the list's popup, as a user picks: one choice, whatever the steps between.
  void Pick(const QString& name, int index) const {
    QComboBox* list = List(name);
    list->setFocus(Qt::MouseFocusReason);
    list->setCurrentIndex(index);
    emit list->activated(index);
  }
  void PickShown(const QString& name, int index) const {
    if (List(name)->isVisible()) Pick(name, index);
  }
  // Lets a map under way finish, so that its completion redraws during the test.
  void Settle() const {
    auto* map = window_->findChild<CoverageLayer*>(QStringLiteral("CoverageMap"));
    QTRY_VERIFY_WITH_TIMEOUT(map == nullptr || !map->Busy(), 20000);
    QCoreApplication::processEvents();
  }

 private slots:
  void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
  void init() {
    QSettings(QStringLiteral("Quenvar"), QStringLiteral("Tarnwick")).clear();
    QLocale::setDefault(QLocale::c());
    dir_ = std::make_unique<QTemporaryDir>();
  }
  void cleanup() {
    window_.reset();
    dir_.reset();
  }

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
    QCOMPARE(w.Data.Project.BoxAttenuation[2], 3.0f);
    List("Units_cbx")->setCurrentIndex(0);  // Feet
    QCOMPARE(UndoText(), QStringLiteral("Undo Units"));
    // Each undo takes back its own edit only, and redo brings it back.
    for (const char* step : {"Units", "Attenuation of Box 3", "Author", "Project Title"}) {
      QCOMPARE(UndoText(), QStringLiteral("Undo ") + QLatin1String(step));
      Find<QAction>("Undo_men")->trigger();
    }
    QCOMPARE(w.Data.Project.ProjectTitle, std::string("Your Project"));
    QCOMPARE(w.Data.Project.FloorDistance, 7.0f);
    QCOMPARE(Box("FloorDistance_tbx")->text(), QStringLiteral("7"));
    Find<QAction>("Redo_men")->trigger();
    QCOMPARE(w.Data.Project.ProjectTitle, std::string("Stadium"));
    QCOMPARE(Box("Project_tbx")->text(), QStringLiteral("Stadium"));
  }

  void valuesKeepTheirPrecisionAndRedrawsKeepTheRedoSteps() {
    LineArray_frm& w = Open();
    Type("AreaHeight1_tbx(1)", "3.14159");
    QCOMPARE(w.Data.Project.AreaHeight1[1], 3.14159f);
    Type("AreaHeight1_tbx(1)", "3.14159", false);  // leaving tidies the text, not the value
    QCOMPARE(Box("AreaHeight1_tbx(1)")->text(), QStringLiteral("3.14"));
    QCOMPARE(w.Data.Project.AreaHeight1[1], 3.14159f);
    Find<QAction>("Undo_men")->trigger();
    QCOMPARE(w.Data.Project.AreaHeight1[1], 0.8f);
    // Redraws of every kind after the undo, the map's completion among them.
    Find<QAction>("FixedHeight_men")->trigger();
    Find<QAction>("ShowMap_men")->trigger();
    Settle();
    w.resize(1000, 700);
    Settle();
    QVERIFY(Stack()->canRedo());
    Find<QAction>("Redo_men")->trigger();
    QCOMPARE(w.Data.Project.AreaHeight1[1], 3.14159f);
    // In feet, values the program wrote stay to the bit.
    List("Units_cbx")->setCurrentIndex(0);
    w.RedrawAll();
    QCOMPARE(w.Data.Project.AreaHeight1[1], 3.14159f);
    QCOMPARE(w.Data.Project.AreaDistance[2], 23.0f);
  }

  void savingAndPresetsThatChangeNothingAreNoSteps() {
    LineArray_frm& w = Open();
    Pick("Angle_cbx(3)", 1);
    Pick("Angle_cbx(4)", 1);
    Find<QAction>("Undo_men")->trigger();
    const QString path = dir_->filePath(QStringLiteral("a.qvd"));
    dialogs_->Files.push_back(ScriptedDialogs::Chosen(path));
    Find<QAction>("SaveAs_men")->trigger();
    QVERIFY(QFile::exists(path) && !w.isWindowModified());
    QVERIFY(Stack()->canRedo());
    QCOMPARE(UndoText(), QStringLiteral("Undo Splay of Box 5"));
    // Undoing an edit keeps the file the project now belongs to.
    Find<QAction>("Undo_men")->trigger();
    QCOMPARE(QString::fromStdString(w.FileRW.FilePath), path);
    Find<QAction>("Redo_men")->trigger();
    // The line preset on an array already straight from box 8 up changes nothing there...
    for (int j = 0; j < 11; ++j) Pick(QStringLiteral("Angle_cbx(%1)").arg(j), 0);
    const int steps = Stack()->index();
    Find<QAction>("Line_men")->trigger();
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
    const QString first = dir_->filePath(QStringLiteral("first.qvd"));
    const QString second = dir_->filePath(QStringLiteral("second.qvd"));
    const auto openAndSave = [&](const QString& source, const QString& copy) {
      QVERIFY(w.OpenFile(source));
      QCOMPARE(w.Data.Project.Units, std::string("Feet"));
      dialogs_->Files.push_back(ScriptedDialogs::Chosen(copy));
      Find<QAction>("SaveAs_men")->trigger();
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
          if (Box(name)->isVisible()) Type(name, values[pick(values.size())], pick(2) == 0);
        },
        [&] {
          if (!w.Data.Project.AutomaticInclCalc) Type("InclinationAngle_tbx", "-1.23456");
        },
        [&] { PickShown(QStringLiteral("Angle_cbx(%1)").arg(pick(11)), pick(2)); },
        [&] { PickShown(QStringLiteral("Attenuation_cbx(%1)").arg(pick(12)), pick(14)); },
        [&] { Pick("BoxesAmount_cbx", pick(11)); },
        [&] { Pick("AreasAmount_cbx", pick(3)); },
        [&] { Pick("FlybarPin_cbx", pick(9)); },
        [&] { Pick("FlybarMounting_cbx", pick(2)); },
        [&] { QTest::mouseClick(Find<QCheckBox>("AutomaticInclCalc_chk"), Qt::LeftButton); },
        [&] { List("Units_cbx")->setCurrentIndex(pick(2)); },
        [&] { Type(pick(2) ? "Project_tbx" : "Author_tbx", QString::number(pick(1000))); },
        [&] { Find<QAction>(QStringList{"Line_men", "Curved_men", "JArray_men"}[pick(3)])->trigger(); },
        [&] {
          dialogs_->Answers.push_back(UserDialogs::Answer::No);
          Find<QAction>("New_men")->trigger();
        },
        [&] { w.OpenFile(sample); },
        [&] { Find<QAction>("ShowMap_men")->trigger(); },
    };
    for (int sequence = 0; sequence < 300; ++sequence) {
      const int start = Stack()->index();
      const QByteArray before = Bytes(w.Data.Project);
      for (int n = 1 + pick(4); n > 0; --n) edits[std::size_t(pick(int(edits.size())))]();
      if (pick(4) == 0) Settle();
      const QByteArray after = Bytes(w.Data.Project);
      const int end = Stack()->index();
      while (Stack()->index() > start) Stack()->undo();
      QVERIFY2(Bytes(w.Data.Project) == before, qPrintable(QString::number(sequence)));
      // A redraw of its own (and a map finishing) after the undo takes no redo step away.
      w.RedrawAll();
      if (pick(4) == 0) Settle();
      QCOMPARE(Stack()->count(), end);
      while (Stack()->index() < end) Stack()->redo();
      QVERIFY2(Bytes(w.Data.Project) == after, qPrintable(QString::number(sequence)));
      QVERIFY(dialogs_->Answers.empty() && !dialogs_->Log.contains("unscripted question"));
    }
  }
};

QTEST_MAIN(TestProjectHistory)
#include "test_project_history.moc"
