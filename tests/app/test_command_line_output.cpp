// The program itself, run as a script runs it: a refused --out, a wrong command line or a
// project file that cannot be read ends it with its exit status and says why on stderr,
// printing nothing; and started where no runtime folder is named, as root's shell does, it
// says nothing of that. (What --out writes, through the one writer, is the report tests'
// business.)
#include <sys/stat.h>
#include <unistd.h>

#include <QtTest>

#include "support/FileTargets.h"

using namespace Qt::StringLiterals;

namespace {

const QString Default = u"" TARNWICK_SOURCE_DIR "/tests/data/default.qvd"_s;

struct Ran {
  int status = -1;  // -1 where it did not end by itself, or crashed
  QByteArray out, err;
};

// The program run with `arguments`, its environment changed by `set` (an empty value removes
// the variable) and no display to find; stopped after `seconds` if still running.
Ran Run(const QStringList& arguments, const QList<std::pair<QString, QString>>& set = {},
        int seconds = 60) {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
    environment.remove(QLatin1String(name));
  for (const auto& [name, value] : set)
    value.isEmpty() ? environment.remove(name) : environment.insert(name, value);
  QProcess program;
  program.setProcessEnvironment(environment);
  program.start(QStringLiteral(TARNWICK_PROGRAM), arguments);
  bool ended = program.waitForFinished(seconds * 1000);
  if (!ended) {
    program.kill();
    program.waitForFinished();
  }
  ended = ended && program.exitStatus() == QProcess::NormalExit;
  return {ended ? program.exitCode() : -1, program.readAllStandardOutput(),
          program.readAllStandardError()};
}

}  // namespace

class TestCommandLineOutput : public QObject {
  Q_OBJECT

 private slots:
  void theProgramEndsWithItsStatusAndSaysWhy() {
    const QTemporaryDir dir;
    const QString fifo = dir.filePath(u"unread.csv"_s), map = dir.filePath(u"map.png"_s);
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString unread = "cannot write " + fifo + ": no program is reading the FIFO\n";
    for (const auto& [status, size, out, saying] :
         {std::tuple{3, "80x40", fifo, unread},
          {2, "4294967304x4294967304", map, u"each from 16 to 16384"_s}}) {
      const Ran ran =
          Run({u"--map"_s, Default, u"--size"_s, QString::fromLatin1(size), u"--out"_s, out});
      QCOMPARE(ran.status, status);
      QVERIFY(ran.out.isEmpty());
      const QString error = QString::fromLocal8Bit(ran.err);
      QVERIFY2(error.startsWith("tarnwick: "_L1) && error.contains(saying), qPrintable(error));
    }
    QVERIFY(tarnwick::test_targets::IsFifo(QFile::encodeName(fifo).toStdString()) &&
            !QFile::exists(map));
  }

  // A project named to open the window with, or to report on, that cannot be read is named
  // with the system's reason, before any window: without a display, none could start.
  void aFileThatCannotBeReadIsNamedWithWhy() {
    const QTemporaryDir dir;
    const QString missing = dir.filePath(u"show.qvd"_s);
    for (const auto& [arguments, path, why] :
         {std::tuple{QStringList{missing}, missing, "No such file or directory"},
          {QStringList{dir.path()}, dir.path(), "Is a directory"},
          {QStringList{u"--levels"_s, missing}, missing, "No such file or directory"},
          {QStringList{u"--report"_s, dir.path(), u"--out"_s, dir.filePath(u"r.pdf"_s)}, dir.path(),
           "Is a directory"}}) {
      const Ran ran = Run(arguments);
      QCOMPARE(ran.status, 3);
      QVERIFY(ran.out.isEmpty());
      QCOMPARE(QString::fromLocal8Bit(ran.err), "tarnwick: " + path + ": " + why + '\n');
    }
    QVERIFY(!QFile::exists(dir.filePath(u"r.pdf"_s)));
  }

  // Qt warns on the terminal at every start where XDG_RUNTIME_DIR is unset; the program makes
  // its own folder first. Warnings made fatal end the window at its first, whatever it is.
  void noRuntimeFolderWarningWhereNoneIsNamed() {
    const QTemporaryDir temporary;
    const QList<std::pair<QString, QString>> set = {{u"XDG_RUNTIME_DIR"_s, {}},
                                                    {u"TMPDIR"_s, temporary.path()},
                                                    {u"QT_QPA_PLATFORM"_s, u"offscreen"_s},
                                                    {u"QT_FATAL_WARNINGS"_s, u"1"_s}};
    const QString picture = temporary.filePath(u"section.png"_s);
    for (const QStringList& arguments :
         {QStringList{}, {Default}, {u"--picture"_s, Default, u"--out"_s, picture}}) {
      const Ran ran = Run(arguments, set, 20);
      QVERIFY2(!ran.err.contains("XDG_RUNTIME_DIR") && !ran.err.contains("QStandardPaths"),
               ran.err.constData());
    }
    struct stat info;
    const QByteArray own = QFile::encodeName(temporary.filePath(u"runtime-%1"_s.arg(::geteuid())));
    QCOMPARE(::lstat(own.constData(), &info), 0);
    QVERIFY(S_ISDIR(info.st_mode) && (info.st_mode & 07777) == 0700 && info.st_uid == ::geteuid());
  }
};

QTEST_GUILESS_MAIN(TestCommandLineOutput)
#include "test_command_line_output.moc"
