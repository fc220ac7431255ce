#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "../support/ScriptedDialogs.h"
#include "ui/LineArrayForm.h"

using namespace tarnwick;
using Answer = UserDialogs::Answer;

namespace {

QByteArray Contents(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class TestFileCommands : public QObject {
  Q_OBJECT

  std::unique_ptr<LineArray_frm> window_;
  ScriptedDialogs* dialogs_ = nullptr;
  std::unique_ptr<QTemporaryDir> dir_;

  LineArray_frm& Open() {
    window_ = std::make_unique<LineArray_frm>();
    auto dialogs = std::make_unique<ScriptedDialogs>();
    dialogs_ = dialogs.get();
    window_->SetDialogs(std::move(dialogs));
    window_->show();
    if (!QTest::qWaitForWindowExposed(window_.get())) qFatal("window not exposed");
    return *window_;
  }
  QString Path(const QString& name) const { return dir_->filePath(name); }
  QLineEdit* Box(const char* name) { return window_->findChild<QLineEdit*>(name); }
  static const QString Caption;

 private slots:
  void init() { dir_ = std::make_unique<QTemporaryDir>(); }
  void cleanup() {
    window_.reset();
    dir_.reset();
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
  }

  void firstSaveProposesTheCleanTitleAndNamesTheFile() {
    LineArray_frm& w = Open();
    Box("Project_tbx")->setText("Arena: Main/Stage?");
    dialogs_->Files.push_back(ScriptedDialogs::Chosen(Path("Arena.qvd")));
    w.findChild<QAction*>("Save_men")->trigger();
    QCOMPARE(dialogs_->Log, QStringList{"save"});
    QCOMPARE(dialogs_->LastSetup.FileName, QStringLiteral("Arena MainStage"));
    QCOMPARE(dialogs_->LastSetup.Title, QStringLiteral("Save *.qvd to..."));
    QCOMPARE(dialogs_->LastSetup.Filter, QStringLiteral("Quenvar Line Array Data (*.qvd)"));
    QCOMPARE(dialogs_->LastSetup.DefaultExtension, QStringLiteral("qvd"));
    QVERIFY(dialogs_->LastSetup.Folder.endsWith(QStringLiteral("/Projects")));
    QVERIFY(QDir(dialogs_->LastSetup.Folder).exists());
    QCOMPARE(w.windowTitle(), QStringLiteral("Quenvar Tarnwick  -  Arena.qvd"));
    const QByteArray saved = Contents(Path("Arena.qvd"));
    QCOMPARE(saved.size(), 237 - 12 + 18);
    QVERIFY(saved.contains("Arena: Main/Stage?"));
    // A second save writes at once, with the controls read first.
    Box("Author_tbx")->setText("Mo");
    w.findChild<QAction*>("Save_men")->trigger();
    QCOMPARE(dialogs_->Log.size(), 1);
    QVERIFY(Contents(Path("Arena.qvd")).contains("Mo"));
  }

  void saveAsCancelledOrFailingWritesNothing() {
    LineArray_frm& w = Open();
    dialogs_->Files = {ScriptedDialogs::Cancelled(), ScriptedDialogs::Failed(),
                       ScriptedDialogs::Chosen(Path("missing/x.qvd"))};
    for (int i = 0; i < 3; ++i) w.findChild<QAction*>("SaveAs_men")->trigger();
    QCOMPARE(dialogs_->Log,
             (QStringList{"save", "save", "tell File Error: Error while attempting to open file!",
                          "save", "tell Save Error: Error while trying to save file! [critical]"}));
    QCOMPARE(w.windowTitle(), QStringLiteral("Quenvar Tarnwick"));
    QVERIFY(w.FileRW.FilePath.empty());
    QCOMPARE(QDir(dir_->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(), 0);
  }

  void openLoadsAllOrNothing() {
    LineArray_frm& w = Open();
    // A file to open: two boxes, feet.
    w.findChild<QComboBox*>("BoxesAmount_cbx")->setCurrentIndex(0);
    w.findChild<QComboBox*>("Units_cbx")->setCurrentIndex(0);
    dialogs_->Files.push_back(ScriptedDialogs::Chosen(Path("two.qvd")));
    w.findChild<QAction*>("SaveAs_men")->trigger();
    dialogs_->Answers.push_back(Answer::No);
    w.findChild<QAction*>("New_men")->trigger();
    QCOMPARE(w.windowTitle(), QStringLiteral("Quenvar Tarnwick"));
    QCOMPARE(w.findChild<QComboBox*>("BoxesAmount_cbx")->currentText(), QStringLiteral("12"));

    // A refused file (cut short) changes nothing, not even the caption.
    QFile bad(Path("bad.qvd"));
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write(Contents(Path("two.qvd")).left(100));
    bad.close();
    const ProjectData before = w.Data.Project;
    dialogs_->Log.clear();
    dialogs_->Files.push_back(ScriptedDialogs::Chosen(Path("bad.qvd")));
    w.findChild<QAction*>("Open_men")->trigger();
    QCOMPARE(dialogs_->Log,
             (QStringList{"open", "tell Load Error: Error while trying to load file! [critical]"}));
    QCOMPARE(w.Data.Project, before);
    QCOMPARE(w.windowTitle(), QStringLiteral("Quenvar Tarnwick"));
    QVERIFY(w.FileRW.FilePath.empty());

    dialogs_->Log.clear();
    dialogs_->Files.push_back(ScriptedDialogs::Chosen(Path("two.qvd")));
    w.findChild<QAction*>("Open_men")->trigger();
    QCOMPARE(dialogs_->Log, QStringList{"open"});
    QCOMPARE(dialogs_->LastSetup.Title, QStringLiteral("Load *.qvd file"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Quenvar Tarnwick  -  two.qvd"));
    QCOMPARE(w.findChild<QComboBox*>("BoxesAmount_cbx")->currentText(), QStringLiteral("2"));
    QCOMPARE(w.findChild<QComboBox*>("Units_cbx")->currentText(), QStringLiteral("Feet"));
    QCOMPARE(Box("FloorDistance_tbx")->text(), QStringLiteral("16.4"));
  }

  void wrongHeaderIsReportedAsFileStructureError() {
    LineArray_frm& w = Open();
    QFile other(Path("notes.qvd"));
    QVERIFY(other.open(QIODevice::WriteOnly));
    other.write("just some text, not a project");
    other.close();
    dialogs_->Files.push_back(ScriptedDialogs::Chosen(Path("notes.qvd")));
    w.findChild<QAction*>("Open_men")->trigger();
    QVERIFY(dialogs_->Log.contains(
        "tell File structure Error: Wrong or unknown file structure.Please try another file! "
        "[critical]"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Quenvar Tarnwick"));
  }

  void newAsksAndKeepsTheProjectWhenTheSaveDoesNotHappen() {
    LineArray_frm& w = Open();
    Box("Project_tbx")->setText("Keep me");
    dialogs_->Answers = {Answer::Cancel, Answer::Yes};
    dialogs_->Files.push_back(ScriptedDialogs::Cancelled());
    w.findChild<QAction*>("New_men")->trigger();
    w.findChild<QAction*>("New_men")->trigger();
    QCOMPARE(Box("Project_tbx")->text(), QStringLiteral("Keep me"));
    // Yes saves what the controls show, edits not yet redrawn included.
    dialogs_->Answers = {Answer::Yes};
    dialogs_->Files.push_back(ScriptedDialogs::Chosen(Path("kept.qvd")));
    w.findChild<QAction*>("New_men")->trigger();
    QVERIFY(Contents(Path("kept.qvd")).contains("Keep me"));
    QCOMPARE(Box("Project_tbx")->text(), QStringLiteral("Your Project"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Quenvar Tarnwick"));
    QVERIFY(!dialogs_->Log.contains("unscripted question"));
  }

  void closingAsksEveryTime() {
    LineArray_frm& w = Open();
    dialogs_->Answers = {Answer::Cancel, Answer::Yes};
    dialogs_->Files.push_back(ScriptedDialogs::Cancelled());
    QVERIFY(!w.close());
    QVERIFY(!w.close());  // Yes, then the save dialog cancelled: the window stays
    QVERIFY(w.isVisible());
    dialogs_->Answers = {Answer::No};
    QVERIFY(w.close());
    QCOMPARE(QDir(dir_->path()).entryList(QDir::Files).size(), 0);
    QCOMPARE(
        dialogs_->Log.count("ask Save File?: Do you want to save your project before you quit?"),
        3);
  }

  void menuShortcutsWinOverTextBoxKeys() {
    LineArray_frm& w = Open();
    QApplication::setActiveWindow(&w);
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QLineEdit* title = Box("Project_tbx");
    title->setFocus();
    QTRY_VERIFY(title->hasFocus());
    title->deselect();
    QTest::keyClick(title, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(dialogs_->Log, QStringList{"save"});  // Save As, not select all
    QVERIFY(!title->hasSelectedText());
  }
};

QTEST_MAIN(TestFileCommands)
#include "test_file_commands.moc"
