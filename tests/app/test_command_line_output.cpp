// The program itself, run as a script runs it: each refusal of tests/data/program_runs.txt (a
// --out refused, a wrong command line, a project file that cannot be read) ends it with its
// exit status and says why on stderr, printing and writing nothing; and started where no
// runtime folder is named, as root's shell does, it says nothing of that. (What --out writes,
// through the one writer, is the report tests' business.)
#include <sys/stat.h>

#include <QtTest>
#include <filesystem>

#include "app/CommandLine.h"
#include "support/DataTable.h"
#include "support/ProgramRun.h"

using namespace Qt::StringLiterals;
using namespace tarnwick;

class TestCommandLineOutput : public QObject {
  Q_OBJECT

 private slots:
  void aRefusalEndsWithItsStatusAndSaysWhyAlone_data() {
    QTest::addColumn<QString>("row");
    if (ForEachCase("program_runs.txt", [](const std::string& row) {
          QTest::addRow("%s", row.c_str()) << QString::fromStdString(row);
        }) < 8)
      QTest::newRow("program_runs.txt lost a row") << QString();
  }

  // A project named to open the window with, or to report on, that cannot be read is named
  // with the system's reason, before any window: without a display, none could start.
  void aRefusalEndsWithItsStatusAndSaysWhyAlone() {
    QFETCH(QString, row);
    const QTemporaryDir dir;
    const QString fifo = dir.filePath(u"unread.csv"_s);
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    row.replace("$DIR"_L1, dir.path()).replace("$DATA"_L1, TARNWICK_SOURCE_DIR "/tests/data"_L1);
    const auto [words, expected] = ArgumentsAndExpected(row.toStdString());
    QStringList arguments;
    for (const std::string& word : words) arguments << QString::fromStdString(word);
    const QString said = QString::fromStdString(expected);
    bool read = false;
    const int status = said.section(' ', 0, 0).toInt(&read);
    QVERIFY2(read, "no exit status");
    const Ran ran = RunProgram(arguments);
    QCOMPARE(ran.status, status);
    QVERIFY(ran.out.isEmpty());
    QCOMPARE(QString::fromLocal8Bit(ran.err),
             said.section(' ', 1) + '\n' + (status == 2 ? CommandLineUsage() : ""));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot),
             QStringList{u"unread.csv"_s});
    QVERIFY(std::filesystem::is_fifo(std::filesystem::symlink_status(fifo.toStdString())));
  }

  // Qt warns on the terminal at every start where XDG_RUNTIME_DIR is unset, or names a folder
  // that is not private to the user; the program makes its own folder first (private:
  // test_runtime_directory). Warnings made fatal end the window at its first, whatever it is.
  void noRuntimeFolderWarningWhereNoneIsNamed() {
    const QTemporaryDir temporary;
    const QList<std::pair<QString, QString>> set = {{u"XDG_RUNTIME_DIR"_s, {}},
                                                    {u"TMPDIR"_s, temporary.path()},
                                                    {u"QT_QPA_PLATFORM"_s, u"offscreen"_s},
                                                    {u"QT_FATAL_WARNINGS"_s, u"1"_s}};
    const QString project = TARNWICK_SOURCE_DIR "/tests/data/default.qvd"_L1;
    const QString picture = temporary.filePath(u"section.png"_s);
    for (const QStringList& arguments :
         {QStringList{}, {project}, {u"--picture"_s, project, u"--out"_s, picture}}) {
      const Ran ran = RunProgram(arguments, set, 20);
      QVERIFY2(!ran.err.contains("XDG_RUNTIME_DIR") && !ran.err.contains("QStandardPaths"),
               ran.err.constData());
    }
  }
};

QTEST_GUILESS_MAIN(TestCommandLineOutput)
#include "test_command_line_output.moc"
