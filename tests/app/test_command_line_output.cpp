// Where the command line's --out goes: a device stays a device, a FIFO that is read gets
// the whole output, a FIFO nobody reads is refused at once, and a write that fails half
// way leaves the old file as it was. (The writer's own test covers a full disk and the
// program's own streams; here each output kind is shown to go through it.) The lines run
// in-process, parsed and reported as the program does; the program itself runs once.
#include <sys/resource.h>

#include <QtTest>
#include <sstream>

#include "app/CommandLine.h"
#include "support/FileTargets.h"

using namespace tarnwick;
using namespace tarnwick::test_targets;

namespace {

const std::string Design = TARNWICK_SOURCE_DIR "/tests/data/default.qvd";
const std::string Small = TARNWICK_SOURCE_DIR "/tests/data/small.qvd";

struct Run {
  int Status = -1;
  std::string Out, Err;
  double Milliseconds = 0;
};

// The command line run as the program runs it, after its name.
Run Tarnwick(const std::vector<std::string>& arguments) {
  QElapsedTimer clock;
  clock.start();
  const CommandLine line = ParseCommandLine(arguments);
  std::ostringstream out, err;
  Run run;
  run.Status = line.Do == CommandLine::Action::Report ? RunReport(line.Report, out, err) : 2;
  run.Out = out.str(), run.Err = err.str();
  run.Milliseconds = double(clock.nsecsElapsed()) / 1e6;
  return run;
}

std::vector<std::string> Map(const std::string& out, const std::string& size = "80x40") {
  return {"--map", Design, "--size", size, "--out", out};
}
// A map for a .csv or .png, the optimised project for a .qvd.
std::vector<std::string> LineFor(const std::string& out) {
  return out.ends_with(".qvd") ? std::vector<std::string>{"--optimise", Small, "--out", out}
                               : Map(out);
}

}  // namespace

class TestCommandLineOutput : public QObject {
  Q_OBJECT

  std::unique_ptr<QTemporaryDir> dir_;
  std::string Path(const char* name) const { return dir_->filePath(name).toStdString(); }
  std::vector<std::string> Names() const { return FolderNames(dir_->path().toStdString()); }

 private slots:
  void init() { dir_ = std::make_unique<QTemporaryDir>(); }
  void cleanup() { dir_.reset(); }

  void aDeviceGetsTheOutputAndStaysADevice() {
    for (const char* name : {"device.csv", "device.png", "device.qvd"})
      if (const std::string why = MakeCharDevice(Path(name)); !why.empty()) QSKIP(why.c_str());
    QVERIFY(QFile::link(QStringLiteral("device.csv"), QString::fromStdString(Path("link.csv"))));
    const auto names = Names();
    for (const char* out : {"device.csv", "link.csv", "device.png", "device.qvd"}) {
      const Run run = Tarnwick(LineFor(Path(out)));
      QVERIFY2(run.Status == 0 && run.Err.empty(), (out + (": " + run.Err)).c_str());
      for (const char* name : {"device.csv", "device.png", "device.qvd"})
        QVERIFY2(IsCharDevice(Path(name)), name);
      QVERIFY(std::filesystem::is_symlink(Path("link.csv")));
      QCOMPARE(Names(), names);
    }
  }

  void aFifoThatIsReadGetsWhatAFileWouldHold() {
    // What the same lines write to files, first.
    for (const char* name : {"file.csv", "file.png", "file.qvd"})
      QCOMPARE(Tarnwick(LineFor(Path(name))).Status, 0);
    for (const std::string kind : {"csv", "png", "qvd"}) {
      const std::string fifo = Path(("fifo." + kind).c_str());
      QCOMPARE(::mkfifo(fifo.c_str(), 0600), 0);
      FifoReader reader(fifo);
      QVERIFY(reader.Reading());
      const Run run = Tarnwick(LineFor(fifo));
      QVERIFY2(run.Status == 0, run.Err.c_str());
      const std::vector<unsigned char> received = reader.Finish();
      QVERIFY2(!received.empty(), kind.c_str());
      QVERIFY(received == FileBytes(Path(("file." + kind).c_str())));
      QVERIFY(IsFifo(fifo));
    }
  }

  void aFifoNobodyReadsIsRefusedAtOnce() {
    // As long as writing the same to a file takes, and less than a second more.
    const Run toFile = Tarnwick(Map(Path("file.csv")));
    QCOMPARE(toFile.Status, 0);
    ::alarm(20);  // a writer that waits for a reader would hang here: end the test instead
    for (const char* name : {"fifo.csv", "fifo.png", "fifo.qvd"}) {
      const std::string fifo = Path(name);
      QCOMPARE(::mkfifo(fifo.c_str(), 0600), 0);
      const Run run = Tarnwick(LineFor(fifo));
      QCOMPARE(run.Status, 3);
      QVERIFY2(run.Milliseconds < toFile.Milliseconds + 1000,
               qPrintable(QStringLiteral("%1 ms against %2 ms to a file")
                              .arg(run.Milliseconds)
                              .arg(toFile.Milliseconds)));
      QCOMPARE(run.Err, "tarnwick: cannot write " + fifo + ": no program is reading the FIFO\n");
      QVERIFY(run.Out.empty() || fifo.ends_with(".qvd"));
      QVERIFY(IsFifo(fifo));
    }
    ::alarm(0);
  }

  // A number out of range ends the program with status 2 and the range, writing nothing.
  void theProgramEndsWithStatus2AndTheRange() {
    const std::string out = Path("map.png");
    for (const std::vector<std::string>& line :
         {std::vector<std::string>{"--response", Design, "--at", "1e308,1"},
          Map(out, "4294967304x4294967304")}) {
      QStringList arguments;
      for (const std::string& argument : line) arguments << QString::fromStdString(argument);
      QProcess program;
      program.start(QStringLiteral(TARNWICK_PROGRAM), arguments);
      QVERIFY(program.waitForFinished(60000));
      QCOMPARE(program.exitStatus(), QProcess::NormalExit);
      QCOMPARE(program.exitCode(), 2);
      QVERIFY(program.readAllStandardOutput().isEmpty());
      const QByteArray error = program.readAllStandardError();
      QVERIFY2(error.contains("from -1000000 to 1000000") || error.contains("from 16 to 16384"),
               error.constData());
      QVERIFY(!std::filesystem::exists(out));
    }
  }

  void aFileSizeLimitLeavesTheOldFile() {
    const std::string old = Path("old.csv");
    const QByteArray before = QByteArray("x_m,y_m,level_db\n").repeated(60);
    QVERIFY(PutBytes(old, std::span(reinterpret_cast<const unsigned char*>(before.constData()),
                                    std::size_t(before.size()))));
    const auto contents = [&] { return FileBytes(old); };
    const std::vector<unsigned char> kept = contents();
    // 16 KiB at most to a file, the limit's signal as it comes by default; the map's CSV is
    // ten times that. The child's status is the report's, once its message is the one wanted.
    const int status = InChild(
        [] {
          const rlimit small{16 << 10, 16 << 10};
          ::setrlimit(RLIMIT_FSIZE, &small);
        },
        [&] {
          const Run run = Tarnwick(Map(old, "400x400"));
          return run.Err == "tarnwick: cannot write " + old + ": file too large\n" ? run.Status
                                                                                   : 100;
        });
    QVERIFY(status >= 0);  // ended by itself
    QVERIFY(contents() == kept);
    QCOMPARE(Names(), std::vector<std::string>{"old.csv"});
    QCOMPARE(status, 3);
    // Without the limit the same line writes it.
    QCOMPARE(Tarnwick(Map(old, "400x400")).Status, 0);
    QVERIFY(contents().size() > 16 << 10);
  }
};

QTEST_GUILESS_MAIN(TestCommandLineOutput)
#include "test_command_line_output.moc"
