// Where the command line's --out goes: a device stays a device, a FIFO that is read gets
// the whole output, a FIFO nobody reads is refused at once, and a write that fails half
// way leaves the old file as it was. (The writer's own test covers a full disk and the
// program's own streams; here each output kind is shown to go through it.)
#include <QtTest>

#include "support/FileTargets.h"

using namespace tarnwick::test_targets;

namespace {

const QString Program = QStringLiteral(TARNWICK_PROGRAM);
const QString Design = QStringLiteral(TARNWICK_SOURCE_DIR "/tests/data/default.qvd");
const QString Small = QStringLiteral(TARNWICK_SOURCE_DIR "/tests/data/small.qvd");

struct Run {
  bool Finished = false;  // by itself, within the time given
  int Status = -1;
  QByteArray Out, Err;
  qint64 Milliseconds = 0;
};

// Runs the program (through `shell`, a bash line that ends in exec "$0" "$@", when given)
// and stops it when it takes longer than `limit`.
Run Tarnwick(const QStringList& arguments, int limit = 60000, const QString& shell = {}) {
  QProcess program;
  QElapsedTimer clock;
  clock.start();
  if (shell.isEmpty())
    program.start(Program, arguments);
  else
    program.start(QStringLiteral("bash"),
                  QStringList{QStringLiteral("-c"), shell, Program} + arguments);
  Run run;
  run.Finished = program.waitForFinished(limit);
  run.Milliseconds = clock.elapsed();
  if (!run.Finished) {
    program.kill();
    program.waitForFinished();
  }
  run.Status = program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
  run.Out = program.readAllStandardOutput();
  run.Err = program.readAllStandardError();
  return run;
}

QStringList Map(const QString& out, const QString& size = QStringLiteral("80x40")) {
  return {QStringLiteral("--map"), Design, QStringLiteral("--size"), size,
          QStringLiteral("--out"), out};
}

QStringList Optimise(const QString& out) {
  return {QStringLiteral("--optimise"), Small, QStringLiteral("--out"), out};
}

std::string Local(const QString& path) { return QFile::encodeName(path).toStdString(); }

QByteArray Bytes(const std::vector<unsigned char>& bytes) {
  return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

QByteArray Contents(const QString& path) { return Bytes(FileBytes(Local(path))); }

void Put(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

}  // namespace

class TestCommandLineOutput : public QObject {
  Q_OBJECT

  std::unique_ptr<QTemporaryDir> dir_;
  QString Path(const QString& name) const { return dir_->filePath(name); }
  std::vector<std::string> Names() const { return Entries(Local(dir_->path())); }

 private slots:
  void init() { dir_ = std::make_unique<QTemporaryDir>(); }
  void cleanup() { dir_.reset(); }

  void aDeviceGetsTheOutputAndStaysADevice() {
    for (const char* name : {"device.csv", "device.png", "device.qvd"})
      if (const std::string why = MakeCharDevice(Local(Path(QLatin1String(name)))); !why.empty())
        QSKIP(why.c_str());
    QVERIFY(QFile::link(QStringLiteral("device.csv"), Path(QStringLiteral("link.csv"))));
    const auto names = Names();
    for (const QStringList& arguments :
         {Map(Path(QStringLiteral("device.csv"))), Map(Path(QStringLiteral("link.csv"))),
          Map(Path(QStringLiteral("device.png"))), Optimise(Path(QStringLiteral("device.qvd")))}) {
      const Run run = Tarnwick(arguments);
      QVERIFY2(run.Finished && run.Status == 0 && run.Err.isEmpty(),
               qPrintable(arguments.join(' ') + ": " + run.Err));
      for (const char* name : {"device.csv", "device.png", "device.qvd"})
        QVERIFY2(IsCharDevice(Local(Path(QLatin1String(name)))), name);
      QVERIFY(QFileInfo(Path(QStringLiteral("link.csv"))).isSymLink());
      QCOMPARE(Names(), names);
    }
  }

  void aFifoThatIsReadGetsWhatAFileWouldHold() {
    // What the same lines write to files, first.
    for (const char* name : {"file.csv", "file.png", "file.qvd"})
      QCOMPARE(Tarnwick(QLatin1String(name) == QLatin1String("file.qvd")
                            ? Optimise(Path(QLatin1String(name)))
                            : Map(Path(QLatin1String(name))))
                   .Status,
               0);
    for (const char* kind : {"csv", "png", "qvd"}) {
      const QString fifo = Path(QStringLiteral("fifo.") + QLatin1String(kind));
      QCOMPARE(::mkfifo(Local(fifo).c_str(), 0600), 0);
      FifoReader reader(Local(fifo));
      QVERIFY(reader.Reading());
      const Run run =
          Tarnwick(QLatin1String(kind) == QLatin1String("qvd") ? Optimise(fifo) : Map(fifo));
      QVERIFY2(run.Finished && run.Status == 0, run.Err.constData());
      const QByteArray received = Bytes(reader.Finish());
      QVERIFY2(!received.isEmpty(), kind);
      QCOMPARE(received, Contents(Path(QStringLiteral("file.") + QLatin1String(kind))));
      QVERIFY(IsFifo(Local(fifo)));
    }
  }

  void aFifoNobodyReadsIsRefusedAtOnce() {
    // As long as writing the same to a file takes, and less than a second more.
    const Run toFile = Tarnwick(Map(Path(QStringLiteral("file.csv"))));
    QCOMPARE(toFile.Status, 0);
    for (const char* name : {"fifo.csv", "fifo.png", "fifo.qvd"}) {
      const QString fifo = Path(QLatin1String(name));
      QCOMPARE(::mkfifo(Local(fifo).c_str(), 0600), 0);
      const Run run = Tarnwick(fifo.endsWith(QLatin1String(".qvd")) ? Optimise(fifo) : Map(fifo),
                               toFile.Milliseconds + 10000);
      QVERIFY2(run.Finished, "waited for a reader");
      QCOMPARE(run.Status, 3);
      QVERIFY2(run.Milliseconds < toFile.Milliseconds + 1000,
               qPrintable(QStringLiteral("%1 ms against %2 ms to a file")
                              .arg(run.Milliseconds)
                              .arg(toFile.Milliseconds)));
      QCOMPARE(
          QString::fromLocal8Bit(run.Err),
          QStringLiteral("tarnwick: cannot write %1: no program is reading the FIFO\n").arg(fifo));
      QVERIFY(run.Out.isEmpty() || fifo.endsWith(QLatin1String(".qvd")));
      QVERIFY(IsFifo(Local(fifo)));
    }
  }

  // A number out of range ends the program with status 2 and the range, writing nothing.
  void theProgramEndsWithStatus2AndTheRange() {
    const QString out = Path(QStringLiteral("map.png"));
    for (const QStringList& arguments :
         {QStringList{QStringLiteral("--response"), Design, QStringLiteral("--at"),
                      QStringLiteral("1e308,1")},
          Map(out, QStringLiteral("4294967304x4294967304"))}) {
      const Run run = Tarnwick(arguments);
      QCOMPARE(run.Finished, true);
      QCOMPARE(run.Status, 2);
      QVERIFY(run.Out.isEmpty());
      QVERIFY2(run.Err.contains("from -1000000 to 1000000") || run.Err.contains("from 16 to 16384"),
               run.Err.constData());
      QVERIFY(!QFile::exists(out));
    }
  }

  void aFileSizeLimitLeavesTheOldFile() {
    const QString old = Path(QStringLiteral("old.csv"));
    const QByteArray before = QByteArray("x_m,y_m,level_db\n").repeated(60);
    Put(old, before);
    // 16 KiB at most to a file; the map's CSV is ten times that.
    const Run run = Tarnwick(Map(old, QStringLiteral("400x400")), 60000,
                             QStringLiteral("ulimit -f 16; exec \"$0\" \"$@\""));
    QVERIFY(run.Finished);
    QCOMPARE(Contents(old), before);
    QCOMPARE(Names(), std::vector<std::string>{"old.csv"});
    QCOMPARE(run.Status, 3);
    QCOMPARE(QString::fromLocal8Bit(run.Err),
             QStringLiteral("tarnwick: cannot write %1: file too large\n").arg(old));
    // Without the limit the same line writes it.
    QCOMPARE(Tarnwick(Map(old, QStringLiteral("400x400"))).Status, 0);
    QVERIFY(Contents(old).size() > 16 << 10);
  }
};

QTEST_GUILESS_MAIN(TestCommandLineOutput)
#include "test_command_line_output.moc"
