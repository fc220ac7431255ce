// Where the command line's --out goes: a device stays a device, a FIFO that is read gets
// the whole output, a FIFO nobody reads is refused at once, and a write that fails half
// way leaves the old file as it was. (The writer's own test covers a full disk and the
// program's own streams; here each output kind is shown to go through it.) The lines run
// in-process, parsed and reported as the program does; the program itself runs once.
#include <QtTest>
#include <sstream>

#include "app/CommandLine.h"
#include "files/FileWriter.h"
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
std::vector<std::string> LineFor(const std::string& out, const std::string& size = "80x40") {
  return out.ends_with(".qvd") ? std::vector<std::string>{"--optimise", Small, "--out", out}
                               : Map(out, size);
}

}  // namespace

class TestCommandLineOutput : public QObject {
  Q_OBJECT

  std::unique_ptr<QTemporaryDir> dir_;
  std::string Path(const char* name) const { return dir_->filePath(name).toStdString(); }
  // Runs the line for `name` with its output to `kind` laid out as `name` in "laid", and
  // checks every promise of a write (see WriteChecked), a FIFO's reader getting `expected`:
  // the run, and the promise broken or an empty string.
  std::pair<Run, std::string> OutTo(Target kind, const char* name,
                                    std::span<const unsigned char> expected = {},
                                    const char* size = "80x40") {
    const TargetAt target(kind, Path("laid"), std::vector<unsigned char>(1000, 'x'), name);
    Run run;
    const std::string broken = WriteChecked(target, expected, [&] {
                                 run = Tarnwick(LineFor(target.Path(), size));
                                 return WriteResult{run.Status == 0, run.Err};
                               }).second;
    return {run, target.Why() + broken};
  }
  // Empty when the line for `name` writes to `kind` and keeps every promise, else why not.
  std::string WrittenTo(Target kind, const char* name,
                        std::span<const unsigned char> expected = {}) {
    const auto [run, broken] = OutTo(kind, name, expected);
    return broken + run.Err;
  }

 private slots:
  void init() { dir_ = std::make_unique<QTemporaryDir>(); }
  void cleanup() { dir_.reset(); }

  void aDeviceGetsTheOutputAndStaysADevice() {
    if (const std::string why = MakeCharDevice(Path("probe")); !why.empty()) QSKIP(why.c_str());
    for (const char* name : {"out.csv", "out.png", "out.qvd"})
      for (const Target kind : {Target::Device, Target::LinkToDevice})
        QCOMPARE(WrittenTo(kind, name), std::string());
  }

  void aFifoThatIsReadGetsWhatAFileWouldHold() {
    for (const char* name : {"out.csv", "out.png", "out.qvd"}) {
      QCOMPARE(Tarnwick(LineFor(Path(name))).Status, 0);
      const std::vector<unsigned char> file = FileBytes(Path(name));
      QVERIFY(!file.empty());
      QCOMPARE(WrittenTo(Target::ReadFifo, name, file), std::string());
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
    // Without the limit the line writes the map's CSV. With half of that at most to a file
    // (set in a child), the limit's signal as it comes by default, the line leaves the old
    // file; the child's status is the report's, once its message is the one wanted.
    QCOMPARE(Tarnwick(Map(Path("map.csv"), "400x400")).Status, 0);
    const std::vector<unsigned char> map = FileBytes(Path("map.csv"));
    const int status = InChild(
        [] {},
        [&] {
          const auto [run, broken] = OutTo(Target::SizeLimit, "old.csv", map, "400x400");
          const std::string refused = "tarnwick: cannot write " + Path("laid/old.csv");
          return broken.empty() && run.Err == refused + ": file too large\n" ? run.Status : 100;
        });
    QCOMPARE(status, 3);
  }
};

QTEST_GUILESS_MAIN(TestCommandLineOutput)
#include "test_command_line_output.moc"
