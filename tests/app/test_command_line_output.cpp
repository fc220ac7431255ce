// The program itself, run as a script runs it: a refused --out or a wrong command line
// ends it with its exit status and says why on stderr, printing nothing. (What --out
// writes, through the one writer, is the report tests' business.)
#include <QtTest>

#include "support/FileTargets.h"

using namespace Qt::StringLiterals;

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
      QProcess program;
      program.start(QStringLiteral(TARNWICK_PROGRAM),
                    {u"--map"_s, TARNWICK_SOURCE_DIR "/tests/data/default.qvd", u"--size"_s,
                     QString::fromLatin1(size), u"--out"_s, out});
      QVERIFY(program.waitForFinished(60000));
      QCOMPARE(program.exitStatus(), QProcess::NormalExit);
      QCOMPARE(program.exitCode(), status);
      QVERIFY(program.readAllStandardOutput().isEmpty());
      const QString error = QString::fromLocal8Bit(program.readAllStandardError());
      QVERIFY2(error.startsWith("tarnwick: "_L1) && error.contains(saying), qPrintable(error));
    }
    QVERIFY(tarnwick::test_targets::IsFifo(QFile::encodeName(fifo).toStdString()) &&
            !QFile::exists(map));
  }
};

QTEST_GUILESS_MAIN(TestCommandLineOutput)
#include "test_command_line_output.moc"
