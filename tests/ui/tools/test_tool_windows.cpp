// The tool windows beside the main one: the response at a point, the rigging table, and
// Tools › Optimise Splay Angles… with --optimise: both find what a direct search finds, the
// window applies it as one step, and a design whose areas have no point with a level is
// told at once and searched nothing; with levels, they search again.
#include <QtTest>
#include <numbers>

#include "acoustics/LevelEngine.h"
#include "acoustics/SplayOptimiser.h"
#include "files/ProjectFile.h"
#include "model/ProjectRules.h"
#include "support/WindowFixture.h"
#include "ui/tools/OptimiseForm.h"
#include "ui/tools/ResponseForm.h"
#include "ui/tools/RiggingForm.h"

using namespace tarnwick;

class TestToolWindows : public QObject, WindowFixture {
  Q_OBJECT

  QString Status() const { return Find<QLabel>("OptimiseStatus_lbl")->text(); }
  bool CanApply() const { return Find<QPushButton>("OptimiseApply_cbt")->isEnabled(); }

  // True when the form refused the design on the spot: no search under way, none found,
  // nothing to apply, and the reason shown.
  bool Refused(const Optimise_frm& form) const {
    return !form.Busy() && !form.Result().Found && !form.Result().Cancelled &&
           form.Result().Designs == 0 && !CanApply() &&
           !Find<QProgressBar>("OptimiseProgress_pgb")->isVisible() &&
           Status().contains("no point of the areas has a level"_L1);
  }

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
                  .contains(QLocale().toString(spectrum[BroadbandAChoice], 'f', 1)));
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

  void theOptimiserFindsWhatASearchFindsAndAppliesItAsOneStep() {
    LineArray_frm& w = Open();
    KeyPick("BoxesAmount_cbx", 4);  // six boxes: 18 hangings of 32 splay sets
    const ProjectData before = w.Project();
    Trigger("Optimise_men");
    auto* form = Find<Optimise_frm>("Optimise_frm");
    QVERIFY(form->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!form->Busy(), 60000);
    const SplayResult& result = form->Result();
    QVERIFY(result.Found);
    const SplayResult direct = OptimiseSplay(before, w.Geometry(), w.Module(), SplaySearch{});
    QCOMPARE(result.Best, direct.Best);
    QCOMPARE(result.Designs, 18LL << 5);
    const auto* table = Find<QTableWidget>("OptimiseResult_tbl");
    QCOMPARE(table->item(4, 1)->text().toDouble(), Shown2(direct.BestScore.Spread));
    QCOMPARE(table->item(4, 0)->text().toDouble(), Shown2(direct.CurrentScore.Spread));
    QVERIFY(direct.BestScore.Spread < direct.CurrentScore.Spread);
    // Applied as one step: the window's design is the best one; undone, the one before.
    Click("OptimiseApply_cbt");
    QCOMPARE(w.Project().BoxAngle, direct.Best.BoxAngle);
    QCOMPARE(w.Project().FlybarPin, direct.Best.FlybarPin);
    QCOMPARE(Shown("Angle_cbx(0)"), QString::number(direct.Best.BoxAngle[0]) + u"°"_s);
    QVERIFY(w.isWindowModified());
    QCOMPARE(UndoText(), u"Undo Optimised Splay Angles"_s);
    QVERIFY(!CanApply());
    Trigger("Undo_men");
    QVERIFY(!DiffersByUser(w.Project(), before) && !DiffersByUser(before, w.Project()));
    // A result for another design cannot be applied.
    QVERIFY(!CanApply());
    // A long search shows its progress after a moment and stops on Cancel.
    KeyPick("BoxesAmount_cbx", 10);
    KeyPick("OptimiseBand_cbx", BroadbandChoice);
    QVERIFY(form->Busy());
    QTRY_VERIFY(Find<QPushButton>("OptimiseCancel_cbt")->isVisible());
    Click("OptimiseCancel_cbt");
    QVERIFY(!form->Busy() && form->Result().Cancelled);
    QVERIFY(!CanApply());
    QCOMPARE(Status(), u"Cancelled."_s);
  }

  void theOptimiserOnTheCommandLinePrintsAndWritesTheBestDesign() {
    const QString out = Path("best.qvd");
    const Ran ran =
        RunProgram({u"--optimise"_s, Sample("small.qvd"), u"--band"_s, u"2kHz"_s, u"--out"_s, out});
    QVERIFY(ran.finished);
    QCOMPARE(ran.status, 0);
    QMap<QString, QStringList> rows;
    for (const QString& row : ran.out.split('\n', Qt::SkipEmptyParts)) {
      QStringList cells = row.split(',');
      rows[cells.takeFirst()] = cells;
    }
    QCOMPARE(rows["band"], QStringList{u"2 kHz"_s});
    // What it wrote is what it printed, and opened, it is as even as it said.
    LineArray_frm& w = Open(QSize(), false);
    QVERIFY(w.OpenFile(out));
    const ProjectData& p = w.Project();
    QCOMPARE(rows["splay_deg"].size(), p.BoxesAmount - 1);
    for (int j = 0; j < p.BoxesAmount - 1; ++j)
      QCOMPARE(rows["splay_deg"][j].toFloat(), p.BoxAngle[j]);
    QCOMPARE(rows["inclination_deg"][0].toDouble(), Shown2(p.InclinationAngle));
    SplaySearch search;
    search.Band = BandChoiceFromName("2kHz");
    const Evenness after = MeasureDesign(p, w.Geometry(), w.Module(), search);
    QCOMPARE(rows["spread_after_db"][0].toDouble(), Shown2(after.Spread));
    QVERIFY(rows["spread_after_db"][0].toDouble() <= rows["spread_before_db"][0].toDouble());
  }

  void aDesignWithoutALevelOnItsAreasIsToldAndNotSearched() {
    LineArray_frm& w = Open();
    List("BoxesAmount_cbx")->setCurrentIndex(4 - MinBoxes);  // four boxes: a short search
    QCOMPARE(w.Project().AreasAmount, MaxAreas);
    const QStringList boxes = Rows("AreaLength_tbx(%1)", MaxAreas);
    const QStringList lengths = Shown(boxes).split('|');
    for (const QString& box : boxes) Type(box, "-5");
    QCOMPARE(w.Project().AreaLength[2], -5.0f);
    Trigger("Optimise_men");
    auto* form = Find<Optimise_frm>("Optimise_frm");
    QVERIFY(form->isVisible());
    QVERIFY2(Refused(*form), qPrintable(Status()));
    QTest::qWait(50);  // and nothing searches behind the message
    QVERIFY2(Refused(*form), qPrintable(Status()));

    // With the areas back, a search runs and finds the best design.
    for (int i = 0; i < MaxAreas; ++i) Type(boxes[i], lengths[i]);
    QSignalSpy ended(form, &Optimise_frm::SearchEnded);
    Click("OptimiseSearch_cbt");
    QVERIFY(ended.count() == 1 || ended.wait(60000));
    QVERIFY(form->Result().Found && form->Result().CurrentScore.Points > 0);

    // The array hung so far above or below the areas that no sound reaches them.
    for (const char* floor : {"1e38", "-1e38"}) {
      Type("FloorDistance_tbx", QLatin1String(floor));
      QCOMPARE(w.Project().FloorDistance, QString::fromLatin1(floor).toFloat());
      Click("OptimiseSearch_cbt");
      QVERIFY2(Refused(*form), floor);
    }
  }

  void theCommandLineRefusesSuchADesignWithAReason() {
    for (const auto& [name, length, height] : {std::tuple{"lengths_negative", -5.0f, 5.0f},
                                               {"floor_1e38", 10.0f, 1e38f},
                                               {"floor_-1e38", 10.0f, -1e38f}}) {
      ProjectData project = MakeDefaultProject();
      project.BoxesAmount = 4;
      project.FloorDistance = height;
      std::ranges::fill(project.AreaLength, length);
      ProjectFileHeader header;
      const QString path = Path(QLatin1String(name) + ".qvd"_L1);
      QFile file(path);
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write(Bytes(EncodeProject(project, header)));
      file.close();
      const Ran ran = RunProgram({u"--optimise"_s, path});
      QVERIFY(ran.finished);
      QVERIFY(ran.normal);
      QVERIFY2(ran.status == 2, name);
      QVERIFY(ran.out.isEmpty());
      QVERIFY2(ran.err.contains("has a level to even out"), name);
    }
  }
};

QTEST_MAIN(TestToolWindows)
#include "test_tool_windows.moc"
