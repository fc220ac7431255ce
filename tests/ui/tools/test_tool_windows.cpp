// The tool windows beside the main one: the response at a point and the rigging table.
#include <QtTest>
#include <numbers>

#include "acoustics/LevelEngine.h"
#include "support/WindowFixture.h"
#include "ui/tools/ResponseForm.h"
#include "ui/tools/RiggingForm.h"

using namespace tarnwick;

class TestToolWindows : public QObject, WindowFixture {
  Q_OBJECT

 private slots:
  void initTestCase() { Prepare(); }
  void init() { Reset(); }
  void cleanup() { Reset(); }

  void responseHereShowsTheBandsAtThePointAndFollowsTheDesign() {
    LineArray_frm& w = Open(QSize(), false);
    QTest::mouseClick(Side(), Qt::RightButton, {}, Pixel(15, 2));
    Trigger("ResponseHere_men");
    auto* response = Find<Response_frm>("Response_frm");
    QVERIFY(response->isVisible());
    const auto check = [&] {
      const auto spectrum =
          LevelEngine(w.Project(), w.Geometry(), w.Module()).Spectrum(response->Point());
      QVERIFY(spectrum == response->Levels());
      QVERIFY(Find<QLabel>("ResponseBroadband_lbl")
                  ->text()
                  .contains(QLocale().toString(spectrum[BroadbandAEntry], 'f', 1)));
    };
    QVERIFY(qAbs(response->Point().X - 15) < 0.1 && qAbs(response->Point().Y - 2) < 0.1);
    check();
    const auto before = response->Levels();
    KeyPick("BoxesAmount_cbx", 3);
    QVERIFY(response->Levels() != before);
    check();
  }

  void theRiggingTableIsTheGeometryAndCopiesAndPrints() {
    LineArray_frm& w = Open();
    KeyPick("Angle_cbx(3)", 1);
    Trigger("RiggingTable_men");
    QVERIFY(Find<Rigging_frm>("Rigging_frm")->isVisible());
    const auto* grid = Find<QTableWidget>("Rigging_tbl");
    QCOMPARE(grid->rowCount(), w.Project().BoxesAmount);
    int landed = 0;
    for (int b = 0; b < w.Project().BoxesAmount; ++b) {
      const BoxGeometry& box = w.Geometry().BoxGeom[b];
      const auto cell = [&](int c) { return grid->item(b, c)->text(); };
      QCOMPARE(cell(1), b == 0 ? QString() : QString::number(w.Project().BoxAngle[b - 1]));
      QCOMPARE(cell(2).toDouble(),
               Shown2(std::atan2(box.Ray.Y, box.Ray.X) * 180 / std::numbers::pi));
      QCOMPARE(cell(3).toDouble(), Shown2(box.TopFront.Y));
      const PlaneVector end = AddVectors(box.Source, box.Ray);
      if (box.AimedArea == 0) {
        QCOMPARE(cell(4), u"none"_s);
        continue;
      }
      // The ray ends on the slope it names, as far from its start as the table says.
      const AreaGeometry& area = w.Geometry().AreaGeom[box.AimedArea - 1];
      const PlaneVector along = SubtractVectors(end, area.Start);
      QVERIFY(qAbs(along.X * area.Direction.Y - along.Y * area.Direction.X) < 1e-3);
      QCOMPARE(cell(5).toDouble(), Shown2(std::hypot(along.X, along.Y)));
      ++landed;
    }
    QVERIFY(landed >= 8);
    const BoxGeometry& last = w.Geometry().BoxGeom[w.Project().BoxesAmount - 1];
    QVERIFY(
        Find<QLabel>("RiggingLowest_lbl")
            ->text()
            .contains(QString::number(Shown2(std::min(last.BottomFront.Y, last.BottomBack.Y)))));
    // It follows the design, copies as text and saves as a PDF.
    KeyPick("BoxesAmount_cbx", 4);
    QCOMPARE(grid->rowCount(), 6);
    Click("RiggingCopy_cbt");
    const QStringList lines = QGuiApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 1 + 1 + 6 + 1);
    QVERIFY(lines[1].startsWith("Box\tSplay"_L1));
    Dialogs().Files.push_back(Dlg::Chosen(Path("rig.pdf")));
    Click("RiggingPdf_cbt");
    QFile pdf(Path("rig.pdf"));
    QVERIFY(pdf.open(QIODevice::ReadOnly) && pdf.read(4) == "%PDF");
  }
};

QTEST_MAIN(TestToolWindows)
#include "test_tool_windows.moc"
