// The window's exports and saves where a device or a FIFO stands: exports write to it in
// place and leave it what it was; a project is saved to files only.
#include <QtTest>
#include <QtWidgets>
#include <memory>

#include "support/FileTargets.h"
#include "support/WindowFixture.h"

using namespace tarnwick;
using namespace tarnwick::test_targets;
using Dlg = ScriptedDialogs;

namespace {

std::string Local(const QString& path) { return QFile::encodeName(path).toStdString(); }

QByteArray Bytes(const std::vector<unsigned char>& bytes) {
  return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

}  // namespace

class TestExports : public QObject {
  Q_OBJECT

  WindowFixture ui_;

  LineArray_frm& Open() { return ui_.Open({}, false); }
  template <typename T = QWidget>
  T* Find(const char* name) const {
    return ui_.Find<T>(QLatin1String(name));
  }
  void Trigger(const char* action) const { ui_.Trigger(QLatin1String(action)); }
  QString Path(const QString& name) const { return ui_.Path(name); }
  QString Path(const char* name) const { return Path(QLatin1String(name)); }
  // Chooses `name` in the next save dialog and runs the command.
  void ExportTo(const char* name, const std::function<void()>& command) {
    ui_.Dialogs().Files.push_back(Dlg::Chosen(Path(name)));
    command();
  }
  // Makes a change the user made, so that the project differs from its file.
  void Edit(LineArray_frm& w) {
    QLineEdit* author = Find<QLineEdit>("Author_tbx");
    author->setFocus(Qt::MouseFocusReason);
    QTest::keyClicks(author, "Mo");
    author->clearFocus();  // and leaves the field, as a user does before a menu command
    QVERIFY(w.isWindowModified());
  }

 private slots:
  void initTestCase() { WindowFixture::Prepare(); }
  void init() { ui_.Reset(); }
  void cleanup() { ui_.Reset(); }

  void exportsGoToADeviceAndThroughALinkToItWhichStaysADevice() {
    for (const char* name : {"device.png", "device.svg", "device.pdf", "device.csv"})
      if (const std::string why = MakeCharDevice(Local(Path(name))); !why.empty())
        QSKIP(why.c_str());
    for (const char* kind : {"png", "svg", "pdf", "csv"})
      QVERIFY(QFile::link(QStringLiteral("device.") + QLatin1String(kind),
                          Path(QStringLiteral("link.") + QLatin1String(kind))));
    Open();
    Trigger("ShowGraph_men");
    for (const char* name :
         {"device.png", "link.png", "device.svg", "link.svg", "device.pdf", "link.pdf"})
      ExportTo(name, [this] { Trigger("ExportPicture_men"); });
    for (const char* name : {"device.csv", "link.csv"})
      ExportTo(name, [this] { Trigger("ExportLevels_men"); });
    Trigger("RiggingTable_men");
    for (const char* name : {"device.pdf", "link.pdf"})
      ExportTo(name,
               [this] { QTest::mouseClick(Find<QPushButton>("RiggingPdf_cbt"), Qt::LeftButton); });
    QCOMPARE(ui_.Dialogs().Log, QStringList(10, QStringLiteral("save")));  // and nothing told
    for (const char* kind : {"png", "svg", "pdf", "csv"}) {
      QVERIFY2(IsCharDevice(Local(Path(QStringLiteral("device.") + QLatin1String(kind)))), kind);
      QVERIFY(QFileInfo(Path(QStringLiteral("link.") + QLatin1String(kind))).isSymLink());
    }
    QCOMPARE(QDir(ui_.Path({}))
                 .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System)
                 .size(),
             8);  // no temporary file left
  }

  void exportsFeedAFifoThatIsReadWhatAFileWouldHold() {
    Open();
    Trigger("ShowGraph_men");
    ExportTo("levels.csv", [this] { Trigger("ExportLevels_men"); });
    ExportTo("view.png", [this] { Trigger("ExportPicture_men"); });
    for (const char* name : {"fifo.csv", "fifo.png"}) {
      QCOMPARE(::mkfifo(Local(Path(name)).c_str(), 0600), 0);
      FifoReader reader(Local(Path(name)));
      QVERIFY(reader.Reading());
      ExportTo(name, [&] {
        Trigger(QByteArray(name).endsWith(".csv") ? "ExportLevels_men" : "ExportPicture_men");
      });
      const QByteArray received = Bytes(reader.Finish());
      QVERIFY2(received.startsWith(QByteArray(name).endsWith(".csv") ? "area,index" : "\x89PNG"),
               name);
      QCOMPARE(received, Bytes(FileBytes(Local(Path(
                             QByteArray(name).endsWith(".csv") ? "levels.csv" : "view.png")))));
      QVERIFY(IsFifo(Local(Path(name))));
    }
    // Nobody reading: told at once, the FIFO left as it is.
    QCOMPARE(::mkfifo(Local(Path("unread.csv")).c_str(), 0600), 0);
    QElapsedTimer clock;
    clock.start();
    ExportTo("unread.csv", [this] { Trigger("ExportLevels_men"); });
    QVERIFY(clock.elapsed() < 1000);
    QCOMPARE(ui_.Dialogs().Log.last(),
             "tell Export Error: Error while trying to export to unread.csv!\n\n" +
                 Path("unread.csv") + ": no program is reading the FIFO [critical]");
    QVERIFY(IsFifo(Local(Path("unread.csv"))));
  }

  void saveAsRefusesAFifoOrADeviceAndTheProjectStaysModified() {
    LineArray_frm& w = Open();
    Edit(w);
    const QString caption = w.windowTitle();
    QCOMPARE(::mkfifo(Local(Path("unread.qvd")).c_str(), 0600), 0);
    QCOMPARE(::mkfifo(Local(Path("read.qvd")).c_str(), 0600), 0);
    FifoReader reader(Local(Path("read.qvd")));
    QStringList targets{QStringLiteral("unread.qvd"), QStringLiteral("read.qvd")};
    const std::string why = MakeCharDevice(Local(Path("device.qvd")));
    if (why.empty()) targets << QStringLiteral("device.qvd");
    for (const QString& name : targets) {
      ui_.Dialogs().Log.clear();
      ui_.Dialogs().Files.push_back(Dlg::Chosen(Path(name)));
      Trigger("SaveAs_men");
      const QString kind = name.startsWith(QLatin1String("device")) ? "a device" : "a FIFO";
      QCOMPARE(ui_.Dialogs().Log,
               (QStringList{"save", "tell Save Error: Error while trying to save file!\n\n" +
                                        Path(name) + ": is " + kind +
                                        "; projects are saved to files only [critical]"}));
      QVERIFY(w.isWindowModified());
      QCOMPARE(w.windowTitle(), caption);
    }
    QVERIFY(reader.Finish().empty());
    QVERIFY(IsFifo(Local(Path("unread.qvd"))) && IsFifo(Local(Path("read.qvd"))));
    if (!why.empty()) QSKIP(why.c_str());
    QVERIFY(IsCharDevice(Local(Path("device.qvd"))));
  }
};

QTEST_MAIN(TestExports)
#include "test_exports.moc"
