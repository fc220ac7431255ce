// The numbers of the command line: read whole and checked against their ranges, never
// wrapped around or taken beyond what a report can use; a number out of range ends the
// program with status 2 and says what the option takes.
#include <QtTest>
#include <string>
#include <vector>

#include "app/CommandLine.h"

using namespace tarnwick;

namespace {

const std::string File = "show.qvd";  // never opened by the parser

CommandLine Parse(const std::vector<std::string>& arguments) { return ParseCommandLine(arguments); }

CommandLine Map(const std::string& size) {
  return Parse({"--map", File, "--size", size, "--out", "map.png"});
}
CommandLine Response(const std::string& at) { return Parse({"--response", File, "--at", at}); }
CommandLine Optimise(const std::string& fall) {
  return Parse({"--optimise", File, "--fall", fall});
}

bool Wrong(const CommandLine& line, const char* saying) {
  return line.Do == CommandLine::Action::Wrong && line.Error.find(saying) != std::string::npos;
}

}  // namespace

class TestCommandLine : public QObject {
  Q_OBJECT

 private slots:
  void aMapsSidesAreWholePixelsFrom16To16384() {
    for (const auto& [size, width, height] : {std::tuple{"16x16", 16, 16},
                                              {"16384x16384", 16384, 16384},
                                              {"1600X1000", 1600, 1000},
                                              {"+800x500", 800, 500}}) {
      const CommandLine line = Map(size);
      QVERIFY2(line.Do == CommandLine::Action::Report, size);
      QCOMPARE(line.Report.Width, width);
      QCOMPARE(line.Report.Height, height);
    }
    // Sides that wrap around an int when read carelessly, sides out of range, and anything
    // but two whole numbers.
    for (const char* size : {"4294967304x4294967304",
                             "4294967312x100",
                             "100x4294967312",
                             "15x100",
                             "100x15",
                             "16385x100",
                             "100x16385",
                             "0x0",
                             "-100x100",
                             "8x8",
                             "100.5x100",
                             "1e3x100",
                             "100x",
                             "x100",
                             "100x100x",
                             "100 x100",
                             " 100x100",
                             "100x100 ",
                             "0x100x100",
                             "100"}) {
      QVERIFY2(Wrong(Map(size), "each from 16 to 16384"), size);
    }
  }

  void aPointIsFiniteAndWithinAThousandKilometres() {
    for (const auto& [at, x, y] :
         {std::tuple{"12.5,1.2", 12.5f, 1.2f}, {"1e6,-1e6", 1e6f, -1e6f}, {"-0,+3", 0.0f, 3.0f}}) {
      const CommandLine line = Response(at);
      QVERIFY2(line.Do == CommandLine::Action::Report, at);
      QCOMPARE(line.Report.At.X, x);
      QCOMPARE(line.Report.At.Y, y);
    }
    for (const char* at :
         {"1e308,1", "1,1e308", "1e400,1", "1000000.5,0", "0,-1000001", "inf,1", "1,-inf", "nan,1",
          "1,nan", "1;1", "1,2,3", "1,", ",1", "1, 2", "0x10,1", "12.5"}) {
      QVERIFY2(Wrong(Response(at), "each from -1000000 to 1000000"), at);
    }
  }

  void aFallLiesWithin20DbPerDoubling() {
    for (const auto& [fall, value] : {std::pair{"3", 3.0}, {"-20", -20.0}, {"20", 20.0}}) {
      const CommandLine line = Optimise(fall);
      QVERIFY2(line.Do == CommandLine::Action::Report, fall);
      QCOMPARE(line.Report.FallPerDoubling, value);
    }
    for (const char* fall : {"20.01", "-21", "1e999", "inf", "nan", "3dB", " 3", ""}) {
      QVERIFY2(Wrong(Optimise(fall), "from -20 to 20"), fall);
    }
  }

  void theProgramEndsWithStatus2AndTheRange() {
    const QString file = QStringLiteral(TARNWICK_SOURCE_DIR "/tests/data/default.qvd");
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("map.png"));
    for (const QStringList& arguments :
         {QStringList{QStringLiteral("--response"), file, QStringLiteral("--at"),
                      QStringLiteral("1e308,1")},
          QStringList{QStringLiteral("--map"), file, QStringLiteral("--size"),
                      QStringLiteral("4294967304x4294967304"), QStringLiteral("--out"), out}}) {
      QProcess program;
      program.start(QStringLiteral(TARNWICK_PROGRAM), arguments);
      QVERIFY(program.waitForFinished(60000));
      QCOMPARE(program.exitStatus(), QProcess::NormalExit);
      QCOMPARE(program.exitCode(), 2);
      QVERIFY(program.readAllStandardOutput().isEmpty());
      const QByteArray error = program.readAllStandardError();
      QVERIFY2(error.contains("from -1000000 to 1000000") || error.contains("from 16 to 16384"),
               error.constData());
      QVERIFY(!QFile::exists(out));
    }
  }
};

QTEST_MAIN(TestCommandLine)
#include "test_command_line.moc"
