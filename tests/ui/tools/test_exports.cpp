// The window's exports: the picture and every level as the window shows them, written
// through the one writer (test_file_writer checks what it does with each kind of target).
#include <sys/stat.h>

#include "support/Pixels.h"
#include "support/WindowFixture.h"
#include "ui/panels/GraphStrip.h"

using namespace tarnwick;

class TestExports : public QObject, WindowFixture {
  Q_OBJECT

 private slots:
  void cleanup() { Reset(); }

  void exportsWriteWhatTheWindowShowsAndEveryLevel() {
    Open(QSize(), false);
    // Every control in a colour no drawing uses: none of them may be in the picture.
    const QRgb marker = qRgb(255, 0, 254);
    Window().setStyleSheet(u"QComboBox, QPushButton, QLineEdit { background: #ff00fe; }"_s);
    Trigger("ShowGraph_men");
    Trigger("ShowMap_men");
    WaitForMap();
    for (const auto& [name, start] :
         {std::pair{"view.png", "\x89PNG"}, {"view.svg", "<?xml"}, {"view.pdf", "%PDF"}}) {
      TriggerWith("ExportPicture_men", Path(name));
      QVERIFY2(Contents(Path(name)).startsWith(start), name);
    }
    TriggerWith("ExportReport_men", Path("report.pdf"));
    QVERIFY(Contents(Path("report.pdf")).startsWith("%PDF"));
    const QImage png(Path("view.png"));
    QCOMPARE(png.size(),
             QSize(Side()->width(), Side()->height() + Picture("Graph_pbx")->height()) * 2);
    QCOMPARE(Count(png, [marker](QRgb p) { return p == marker; }), 0);
    const int coloured = Count(png, [](QRgb p) { return QColor(p).hsvSaturation() > 100; });
    QVERIFY(coloured > png.width() * png.height() / 10);  // the map is in it
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
    // Each export goes through the writer, which refuses at once a FIFO nobody reads (a
    // plain open would wait for a reader), and the refusal is told with its reason.
    QCOMPARE(::mkfifo(QFile::encodeName(Path("unread")).constData(), 0600), 0);
    Trigger("RiggingTable_men");
    for (const char* command :
         {"ExportPicture_men", "ExportReport_men", "ExportLevels_men", "RiggingPdf_cbt"}) {
      Dialogs().Files.push_back(Dlg::Chosen(Path("unread")));
      QLatin1String(command).endsWith("_cbt"_L1) ? Click(command) : Trigger(command);
      QCOMPARE(Dialogs().Log.last(),
               "tell Export Error: Error while trying to export to unread!\n\n" + Path("unread") +
                   ": no program is reading the FIFO [critical]");
    }
  }
};

QTEST_MAIN(TestExports)
#include "test_exports.moc"
