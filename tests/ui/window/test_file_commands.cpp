// File's commands as a user meets them: New, Open, Save, Save As, Exit, a file dropped,
// their shortcuts, the question before a modified project goes (for each way it goes and
// each way a project is left, as tests/data/save_questions.txt says), and the recent files,
// alike names and long paths among them.
#include <sys/stat.h>

#include <climits>

#include "support/DataTable.h"
#include "support/WindowFixture.h"
#include "ui/window/RecentFiles.h"

using namespace tarnwick;

const QChar Ellipsis(0x2026);

class TestFileCommands : public QObject, WindowFixture {
  Q_OBJECT

  // The names File's recent files show, in their order.
  QStringList Recent() const {
    QStringList names;
    for (int i = 0; auto* entry = Window().findChild<QAction*>(u"RecentFile_men(%1)"_s.arg(i)); ++i)
      if (entry->isVisible()) names << entry->text().section(' ', 1);
    return names;
  }
  QAction* Entry(int i) const { return Find<QAction>(u"RecentFile_men(%1)"_s.arg(i)); }

  // Drops the file on the window as a file manager does; whether the window took it.
  bool Drop(const QString& path) {
    QMimeData dropped;
    dropped.setUrls({QUrl::fromLocalFile(path)});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &dropped, Qt::LeftButton, {});
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &dropped, Qt::LeftButton, {});
    QApplication::sendEvent(&Window(), &enter);
    QApplication::sendEvent(&Window(), &drop);
    return enter.isAccepted();
  }

  // The six ways the project goes: the window closes or another project takes its place.
  enum Way { Exit, Close, New, OpenFile, RecentFile, DropFile };
  // Goes the `way`, a question answered as given: how often "Save File?" was asked, and
  // whether the command went on (closed, asked for a file, started anew or opened the file).
  std::pair<qsizetype, bool> Go(Way way, Answer answer) {
    const QString sample = Sample(u"small.qvd"_s);
    Dialogs().Log.clear();
    Dialogs().Answers = {answer};
    QSignalSpy redrawn(&Window(), &LineArray_frm::DesignChanged);
    if (way == Exit || way == New || way == OpenFile)  // Open's file dialog cancelled
      Trigger(way == Exit ? "Exit_men" : way == New ? "New_men" : "Open_men");
    if (way == Close) Window().close();
    if (way == RecentFile) emit Find<QMenu>("File_men")->aboutToShow();
    for (int i = 0; way == RecentFile && i < RecentFiles::Count; ++i)
      if (Entry(i)->statusTip() == sample) Entry(i)->trigger();
    const bool taken = way != DropFile || Drop(sample);
    const bool wentOn = way == Exit || way == Close ? !Window().isVisible()
                        : way == OpenFile           ? Dialogs().Log.contains(u"open"_s)
                        : way == New                ? !redrawn.isEmpty()
                                                    : taken && Caption().endsWith("small.qvd"_L1);
    return {Dialogs().Log.filter(u"ask Save File?"_s).size(), wentOn};
  }

  // One step of leaving a project as the table names it.
  void Step(const QString& step) {
    if (step == "title"_L1)
      Type("Project_tbx", "Edited");
    else if (step == "author"_L1)
      Type("Author_tbx", "Mo");
    else if (step == "typing"_L1)
      Type("Author_tbx", "Mo", Stay);
    else if (step == "save"_L1)
      TriggerWith("Save_men", Path("saved.qvd"));
    else if (step == "undo"_L1)
      Trigger("Undo_men");
    else if (step == "repick"_L1)
      Pick("AreasAmount_cbx", List("AreasAmount_cbx")->currentIndex());
    else if (step == "jarray"_L1)
      Trigger("JArray_men");
    else
      QVERIFY2(step == "-"_L1, qPrintable(step));
  }

 private slots:
  void cleanup() { Reset(); }

  void theQuestionComesExactlyWhenTheProjectIsMarkedModified_data() {
    QTest::addColumn<int>("way");
    QTest::addColumn<QString>("steps");
    QTest::addColumn<int>("asked");
    const char* ways[] = {"Exit", "close", "New", "Open", "a recent file", "a drop"};
    const int rows = ForEachCase("save_questions.txt", [&](const std::string& row) {
      std::istringstream read(row);
      std::string steps;
      read >> steps;
      for (int way = Exit; way <= DropFile; ++way) {
        int asked = -1;  // a cell left out fails
        read >> asked;
        QTest::addRow("%s, %s", ways[way], steps.c_str())
            << way << QString::fromStdString(steps) << asked;
      }
    });
    if (rows < 10) QTest::newRow("save_questions.txt lost a row") << -1 << QString() << -1;
  }

  void theQuestionComesExactlyWhenTheProjectIsMarkedModified() {
    QFETCH(int, way);
    QFETCH(QString, steps);
    QFETCH(int, asked);
    QVERIFY(way >= Exit && (asked == 0 || asked == 1));
    QSettings(u"Quenvar"_s, u"Tarnwick"_s)
        .setValue(u"RecentFiles"_s, QStringList{Sample(u"small.qvd"_s)});
    LineArray_frm& w = Open({}, false);
    for (const QString& step : steps.split('+')) Step(step);
    QCOMPARE(w.isWindowModified(), asked == 1);
    // Asked once, and Cancel keeps the project, No lets it go unsaved; unasked, the command
    // goes on at once.
    QCOMPARE(Go(Way(way), Answer::Cancel), std::pair(qsizetype(asked), asked == 0));
    if (asked == 1) QCOMPARE(Go(Way(way), Answer::No), std::pair(qsizetype(1), true));
  }

  void saveProposesTheCleanTitleAndFailuresWriteNothing() {
    LineArray_frm& w = Open({}, false);
    Box("Project_tbx")->setText("Arena: Main/Stage?");
    TriggerWith("Save_men", Path("Arena.qvd"));
    const FileDialogSetup& setup = Dialogs().LastSetup;
    QCOMPARE(
        setup.FileName + setup.Folder,
        "Arena MainStage" + QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    QCOMPARE(Caption(), u"Quenvar Tarnwick  -  Arena.qvd"_s);
    // A second save writes at once, with the controls read first.
    QTest::keyClicks(Box("Author_tbx"), "Mo");
    QVERIFY(w.isWindowModified() && w.windowTitle().endsWith("[*]"));
    Trigger("Save_men");
    QCOMPARE(Dialogs().Log, QStringList{"save"});
    QVERIFY(Contents(Path("Arena.qvd")).contains("Your NameMo"));
    // Save As cancelled or failing writes nothing and keeps the file name and the mark; a
    // FIFO is refused with the reason, as projects are saved to files only.
    Trigger("Curved_men");
    QCOMPARE(::mkfifo(QFile::encodeName(Path("fifo.qvd")).constData(), 0600), 0);
    Dialogs().Log.clear();
    Dialogs().Files = {Dlg::Cancelled(), Dlg::Failed(), Dlg::Chosen(Path("fifo.qvd"))};
    for (int i = 0; i < 3; ++i) Trigger("SaveAs_men");
    QCOMPARE(Dialogs().Log,
             (QStringList{
                 "save", "save", "tell File Error: Error while attempting to open file!", "save",
                 "tell Save Error: Error while trying to save file!\n\n" + Path("fifo.qvd") +
                     ": is a FIFO; projects are saved to files only [critical]"}));
    QVERIFY(w.isWindowModified());
    QCOMPARE(Caption(), u"Quenvar Tarnwick  -  Arena.qvd"_s);
    // The saved file heads File's recent files, in a new window too.
    Open({}, false);
    emit Find<QMenu>("File_men")->aboutToShow();
    QCOMPARE(Recent(), QStringList{"Arena.qvd"});
    Entry(0)->trigger();
    QCOMPARE(Shown("Project_tbx"), u"Arena: Main/Stage?"_s);
  }

  void openLoadsAllOrNothingAndHiddenAreasKeepTheirPlace() {
    LineArray_frm& w = Open({}, false);
    // A file to open: two boxes, one area, feet.
    for (const char* list : {"BoxesAmount_cbx", "AreasAmount_cbx", "Units_cbx"})
      List(list)->setCurrentIndex(0);
    TriggerWith("SaveAs_men", Path("two.qvd"));
    Trigger("New_men");
    QVERIFY(QFile::copy(Path("two.qvd"), Path("bad.qvd")) && QFile::resize(Path("bad.qvd"), 100));
    // Open of a modified project asks first, as New does: Yes with the save cancelled opens
    // nothing.
    QTest::keyClicks(Box("Author_tbx"), "x");
    Dialogs().Answers = {Answer::Yes};
    Dialogs().Files = {Dlg::Cancelled()};
    Trigger("Open_men");
    QVERIFY(!Dialogs().Log.contains("open"));
    const ProjectData before = w.Project();
    Dialogs().Log.clear();
    Dialogs().Answers = {Answer::No, Answer::No, Answer::No};
    Dialogs().Files = {Dlg::Chosen(Path("bad.qvd")), Dlg::Chosen(Sample("spl_levels.csv"))};
    Trigger("Open_men");
    Trigger("Open_men");
    Dialogs().Log.removeIf([](const QString& line) { return line.startsWith("ask "); });
    QCOMPARE(
        Dialogs().Log,
        (QStringList{"open", "tell Load Error: Error while trying to load file! [critical]", "open",
                     "tell File structure Error: Wrong or unknown file structure.Please try "
                     "another file! [critical]"}));
    QCOMPARE(w.Project(), before);
    QCOMPARE(Caption(), u"Quenvar Tarnwick"_s);
    TriggerWith("Open_men", Path("two.qvd"));
    QCOMPARE(Caption(), u"Quenvar Tarnwick  -  two.qvd"_s);
    QCOMPARE(Shown({"BoxesAmount_cbx", "AreasAmount_cbx", "Units_cbx"}), u"2|1|Feet"_s);
    // The areas the file leaves out show, in feet, where they were.
    KeyPick("AreasAmount_cbx", 2);
    QVERIFY(qAbs(w.Project().AreaDistance[2] - 23.0f) < 0.002f);
  }

  void newAndCloseAskAndKeepTheProjectWhenTheSaveDoesNotHappen() {
    LineArray_frm& w = Open({}, false);
    // Yes saves what the controls show, edits not yet read included, then starts anew.
    Type("Project_tbx", "Keep me", Stay);
    Dialogs().Answers = {Answer::Yes};
    TriggerWith("New_men", Path("kept.qvd"));
    QVERIFY(Contents(Path("kept.qvd")).contains("Keep me"));
    QCOMPARE(Shown("Project_tbx"), u"Your Project"_s);
    // Closing a modified project, Yes with the save dialog cancelled keeps the window.
    Type("Project_tbx", "Keep me too", Stay);
    Dialogs().Answers = {Answer::Yes};
    Dialogs().Files.push_back(Dlg::Cancelled());
    QVERIFY(!w.close());
    QVERIFY(Dialogs().Log.filter("save your project before you quit?").size() == 1);
  }

  void everyShortcutTriggersItsCommandFromATextBoxButSelectAll() {
    LineArray_frm& w = Open();
    QLineEdit* box = Box("FloorDistance_tbx");
    box->setFocus();
    QTRY_VERIFY(box->hasFocus());
    QTest::keyClicks(box, "5");  // modified, so that New, Open and Exit ask
    box->deselect();
    Dialogs().Answers = {Answer::Cancel, Answer::Cancel, Answer::Cancel};
    for (const QKeyCombination key :
         {Qt::CTRL | Qt::Key_N, Qt::CTRL | Qt::Key_O, Qt::CTRL | Qt::Key_S, Qt::CTRL | Qt::Key_A,
          Qt::CTRL | Qt::SHIFT | Qt::Key_S, Qt::CTRL | Qt::Key_Q})
      QTest::keyClick(box, key.key(), key.keyboardModifiers());
    // New and Open ask first (cancelled); Ctrl+A selects the text; Ctrl+Shift+S saves as.
    QCOMPARE(Dialogs().Log.size(), 5);
    QVERIFY(Dialogs().Log[0].contains("before a new") && Dialogs().Log[1].contains("another"));
    QCOMPARE(Dialogs().Log.mid(2, 2), (QStringList{"save", "save"}));
    QVERIFY(Dialogs().Log[4].startsWith("ask Save File?: Do you want to save your project"));
    QVERIFY(box->hasSelectedText() && w.isVisible());
    // The About box is modal and reused.
    Trigger("About_men");
    auto* about = Find<QDialog>("About_frm");
    QVERIFY(about->isVisible() && about->windowModality() == Qt::ApplicationModal);
    QTest::mouseClick(about->findChild<QPushButton*>("Ok_cbt"), Qt::LeftButton);
    QVERIFY(!about->isVisible());
  }

  void entriesBeyondThePathLimitAreDroppedAndGonePathsToldShortened() {
    // A message that names a long path shows its start and its end.
    QCOMPARE(ShownPath(QString(120, QLatin1Char('x'))), QString(120, QLatin1Char('x')));
    const QString longPath =
        u"/start"_s + QString(5000, QLatin1Char('a')) + u"/Arena Main Stage.qvd"_s;
    const QString shown = ShownPath(longPath);
    QCOMPARE((QList<qsizetype>{shown.size(), shown.count(Ellipsis)}), (QList<qsizetype>{120, 1}));
    QVERIFY(shown.startsWith(u"/startaaa"_s) && shown.endsWith(u"aaa/Arena Main Stage.qvd"_s));
    // A character beyond the basic plane is kept whole or left out, never cut in half: at 20
    // the head's cut falls inside one, at 21 the tail's too.
    const QString clef = QString::fromUtf8("\xF0\x9D\x84\x9E");  // two UTF-16 units
    for (const int most : {20, 21}) {
      const QString shownClefs = ShownPath(clef.repeated(40), most);
      QVERIFY(shownClefs.size() <= most && shownClefs.count(Ellipsis) == 1);
      const QString rest = QString(shownClefs).remove(Ellipsis);
      QVERIFY2(rest == clef.repeated(rest.size() / 2), qPrintable(QString::number(most)));
    }
    // One of exactly the limit (no room for its terminating zero), one just within it and
    // an ordinary one; none of them there any more.
    const QString atLimit = u"/"_s + QString(PATH_MAX - 1, QLatin1Char('l'));
    const QString folder = Path({}) + '/';
    const QString within =
        folder + QString(PATH_MAX - 1 - folder.size() - 10, QLatin1Char('w')) + u"/gone1.qvd"_s;
    const QString plain = folder + u"gone2.qvd"_s;
    QCOMPARE(QFile::encodeName(within).size(), PATH_MAX - 1);
    QSettings(u"Quenvar"_s, u"Tarnwick"_s)
        .setValue(u"RecentFiles"_s, QStringList{atLimit, within, plain});
    Open({}, false);
    emit Find<QMenu>("File_men")->aboutToShow();
    QCOMPARE(Recent(), (QStringList{"gone1.qvd", "gone2.qvd"}));
    // Each gone file is told, a long path shortened as every message shortens it, and
    // leaves the list.
    const auto gone = [](const QString& path) {
      return u"tell Open Error: The file is no longer there:\n%1 [critical]"_s.arg(path);
    };
    Dialogs().Answers = {Answer::No, Answer::No};
    Entry(0)->trigger();
    QCOMPARE(Dialogs().Log.last(), gone(ShownPath(within)));
    QCOMPARE(Recent(), QStringList{"gone2.qvd"});
    Entry(0)->trigger();
    QCOMPARE(Dialogs().Log.last(), gone(plain));
    QVERIFY(Recent().isEmpty());
  }

  void recentEntriesShowTheirFolderWhereTheirNamesAreAlike() {
    Open({}, false);
    QVERIFY(QDir().mkpath(Path("venue A")) && QDir().mkpath(Path("venue B")));
    const QStringList saved{Path("R&D.qvd"), Path("venue B/show.qvd"), Path("venue A/show.qvd")};
    for (const QString& path : QStringList(saved.rbegin(), saved.rend()))
      TriggerWith("SaveAs_men", path);
    // Newest first: the two shows told apart by their folders, a name of its own alone, an
    // "&" shown as it is.
    emit Find<QMenu>("File_men")->aboutToShow();
    QCOMPARE((QStringList{Entry(0)->text(), Entry(1)->text(), Entry(2)->text()}),
             (QStringList{u"&1 R&&D.qvd"_s, u"&2 show.qvd — "_s + Path("venue B"),
                          u"&3 show.qvd — "_s + Path("venue A")}));
    // Each gives its whole path where the pointer rests on it.
    QVERIFY(Find<QMenu>("File_men")->toolTipsVisible());
    for (int i = 0; i < 3; ++i) {
      QCOMPARE(Entry(i)->statusTip(), saved[i]);
      QCOMPARE(Entry(i)->toolTip(), saved[i]);
    }
    // With one of them gone, the other goes by its name alone.
    QVERIFY(QFile::remove(saved[2]));
    Entry(2)->trigger();
    QCOMPARE(Recent(), (QStringList{"R&&D.qvd", "show.qvd"}));
    QCOMPARE(Entry(1)->statusTip(), saved[1]);
  }
};

QTEST_MAIN(TestFileCommands)
#include "test_file_commands.moc"
