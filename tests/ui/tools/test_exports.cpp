// The window's exports: the picture and every level as the window shows them, written to a
// file, a device or a FIFO in place (left what it was); a project is saved to files only.
#include "support/FileTargets.h"
#include "support/WindowFixture.h"
#include "ui/panels/GraphStrip.h"

using namespace tarnwick;
using namespace tarnwick::test_targets;

class TestExports : public QObject, WindowFixture {
  Q_OBJECT

  std::string Local(const QString& name) const {
    return QFile::encodeName(Path(name)).toStdString();
  }

 private slots:
  void cleanup() { Reset(); }

  void exportsWriteWhatTheWindowShowsAndEveryLevel() {
    Open(QSize(), false);
    Trigger("ShowGraph_men");
    Trigger("ShowMap_men");
    WaitForMap();
    // The picture in the format its name asks for; a failure is told, not passed over.
    for (const auto& [name, start] :
         {std::pair{"view.png", "\x89PNG"}, {"view.svg", "<?xml"}, {"view.pdf", "%PDF"}}) {
      TriggerWith("ExportPicture_men", Path(name));
      QVERIFY2(Contents(Path(name)).startsWith(start), name);
    }
    QImage png(Path("view.png"));
    QCOMPARE(png.size() / png.devicePixelRatio(),
             QSize(Side()->width(), Side()->height() + Picture("Graph_pbx")->height()));
    TriggerWith("ExportPicture_men", Path("no/such/folder.png"));
    QVERIFY(Dialogs().Log.last().startsWith("tell Export Error"_L1));
    // Every band and both broadband sums at every point of every area, as the graph has them.
    TriggerWith("ExportLevels_men", Path("levels.csv"));
    const QStringList rows =
        QString::fromUtf8(Contents(Path("levels.csv"))).split('\n', Qt::SkipEmptyParts);
    QVERIFY(rows[0].startsWith("area,index,distance_m,x_m,y_m,100Hz,125Hz"_L1) &&
            rows[0].endsWith(",10kHz,Broadband,Broadband(A)"_L1));
    QCOMPARE(rows.size(), 1 + 101 + 101 + 41);
    KeyPick("FreqSelect_cbx", BroadbandChoice);
    const auto& curve = Find<GraphStrip>("Graph_pbx")->Curves().front().Points;
    QCOMPARE(rows[38].split(',')[5 + BroadbandChoice], QString::number(curve[37].SPL, 'f', 2));
  }

  void exportsGoToADeviceAndThroughALinkToItWhichStaysADevice() {
    for (const char* name : {"device.png", "device.svg", "device.pdf", "device.csv"})
      if (const std::string why = MakeCharDevice(Local(name)); !why.empty()) QSKIP(why.c_str());
    for (const char* kind : {"png", "svg", "pdf", "csv"})
      QVERIFY(QFile::link("device."_L1 + kind, Path("link."_L1 + kind)));
    Open();
    Trigger("ShowGraph_men");
    for (const char* name :
         {"device.png", "link.png", "device.svg", "link.svg", "device.pdf", "link.pdf"})
      TriggerWith("ExportPicture_men", Path(name));
    for (const char* name : {"device.csv", "link.csv"}) TriggerWith("ExportLevels_men", Path(name));
    Trigger("RiggingTable_men");
    for (const char* name : {"device.pdf", "link.pdf"}) {
      Dialogs().Files.push_back(Dlg::Chosen(Path(name)));
      Click("RiggingPdf_cbt");
    }
    QCOMPARE(Dialogs().Log, QStringList(10, u"save"_s));  // and nothing told
    for (const char* kind : {"png", "svg", "pdf", "csv"}) {
      QVERIFY2(IsCharDevice(Local("device."_L1 + kind)), kind);
      QVERIFY(QFileInfo(Path("link."_L1 + kind)).isSymLink());
    }
    QCOMPARE(QDir(Path({}))
                 .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System)
                 .size(),
             8);  // no temporary file left
  }

  void exportsFeedAFifoThatIsReadWhatAFileWouldHold() {
    Open();
    Trigger("ShowGraph_men");
    TriggerWith("ExportLevels_men", Path("levels.csv"));
    TriggerWith("ExportPicture_men", Path("view.png"));
    for (const auto& [name, action, start, file] :
         {std::tuple{"fifo.csv", "ExportLevels_men", "area,index", "levels.csv"},
          {"fifo.png", "ExportPicture_men", "\x89PNG", "view.png"}}) {
      QCOMPARE(::mkfifo(Local(name).c_str(), 0600), 0);
      FifoReader reader(Local(name));
      QVERIFY(reader.Reading());
      TriggerWith(action, Path(name));
      const QByteArray received = Bytes(reader.Finish());
      QVERIFY2(received.startsWith(start), name);
      QCOMPARE(received, Bytes(FileBytes(Local(file))));
      QVERIFY(IsFifo(Local(name)));
    }
    // Nobody reading: told at once, the FIFO left as it is.
    QCOMPARE(::mkfifo(Local("unread.csv").c_str(), 0600), 0);
    QElapsedTimer clock;
    clock.start();
    TriggerWith("ExportLevels_men", Path("unread.csv"));
    QVERIFY(clock.elapsed() < 1000);
    QCOMPARE(Dialogs().Log.last(),
             "tell Export Error: Error while trying to export to unread.csv!\n\n" +
                 Path("unread.csv") + ": no program is reading the FIFO [critical]");
    QVERIFY(IsFifo(Local("unread.csv")));
  }

  void saveAsRefusesAFifoOrADeviceAndTheProjectStaysModified() {
    LineArray_frm& w = Open();
    // A change the user made, so that the project differs from its file.
    Type("Author_tbx", "Mo", Leave);
    QVERIFY(w.isWindowModified());
    const QString caption = w.windowTitle();
    QCOMPARE(::mkfifo(Local("unread.qvd").c_str(), 0600), 0);
    QCOMPARE(::mkfifo(Local("read.qvd").c_str(), 0600), 0);
    FifoReader reader(Local("read.qvd"));
    QStringList targets{"unread.qvd", "read.qvd"};
    const std::string why = MakeCharDevice(Local("device.qvd"));
    if (why.empty()) targets << "device.qvd";
    for (const QString& name : targets) {
      Dialogs().Log.clear();
      TriggerWith("SaveAs_men", Path(name));
      const QString kind = name.startsWith("device"_L1) ? "a device" : "a FIFO";
      QCOMPARE(Dialogs().Log,
               (QStringList{"save", "tell Save Error: Error while trying to save file!\n\n" +
                                        Path(name) + ": is " + kind +
                                        "; projects are saved to files only [critical]"}));
      QVERIFY(w.isWindowModified());
      QCOMPARE(w.windowTitle(), caption);
    }
    QVERIFY(reader.Finish().empty());
    QVERIFY(IsFifo(Local("unread.qvd")) && IsFifo(Local("read.qvd")));
    if (!why.empty()) QSKIP(why.c_str());
    QVERIFY(IsCharDevice(Local("device.qvd")));
  }
};

QTEST_MAIN(TestExports)
#include "test_exports.moc"
