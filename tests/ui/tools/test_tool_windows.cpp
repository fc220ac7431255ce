// The tool windows: the response at a point, the rigging table, and Tools › Optimise Splay
// Angles…, which finds what a direct search finds and applies it as one step, stops its
// search on Cancel or when closed, and refuses at once, as the command line does, a design
// whose areas have no point with a level; each closes on Escape and on its Close button.
#include "acoustics/LevelEngine.h"
#include "acoustics/SplayOptimiser.h"
#include "model/ProjectRules.h"
#include "support/WindowFixture.h"
#include "ui/tools/OptimiseForm.h"
#include "ui/tools/ResponseForm.h"
#include "ui/tools/RiggingForm.h"

using namespace tarnwick;

class TestToolWindows : public QObject, WindowFixture {
  Q_OBJECT

  QString Status() const { return Label("OptimiseStatus_lbl"); }
  bool CanApply() const { return Find<QPushButton>("OptimiseApply_cbt")->isEnabled(); }

  // Escape pressed on `control` of a tool window in front, as a user presses it.
  void PressEscape(QWidget* control) const {
    QWidget* tool = control->window();
    QApplication::setActiveWindow(tool);
    QVERIFY(QTest::qWaitForWindowActive(tool));
    QTest::keyClick(control, Qt::Key_Escape);
  }

  // No search under way nor made, nothing to apply, and the reason shown.
  bool Refused(const Optimise_frm& form) const {
    return !form.Busy() && form.Result().Designs == 0 && !CanApply() &&
           !Find<QProgressBar>("OptimiseProgress_pgb")->isVisible() &&
           Status().contains("no point of the areas has a level"_L1);
  }

 private slots:
  void cleanup() { Reset(); }

  void responseHereShowsTheBandsAtThePointAndFollowsTheDesignAndThePredictionOptions() {
    LineArray_frm& w = Open(QSize(), false);
    QTest::mouseClick(Side(), Qt::RightButton, {}, Pixel(15, 2));
    Trigger("ResponseHere_men");
    auto* response = Find<Response_frm>("Response_frm");
    QVERIFY(response->isVisible());
    QVERIFY(qAbs(response->Point().X - 15) < 0.1 && qAbs(response->Point().Y - 2) < 0.1);
    // Where it is, counted from the array (the mounting point, 1 m into the scene).
    QVERIFY2(Label("ResponsePoint_lbl")
                 .startsWith(u"Point %1 m from the array, %2 m up"_s.arg(
                     QString::number(response->Point().X - 1, 'f', 2),
                     QString::number(response->Point().Y, 'f', 2))),
             qPrintable(Label("ResponsePoint_lbl")));
    const auto before = response->Levels();
    KeyPick("BoxesAmount_cbx", 3);
    const auto spectrum =
        LevelEngine(w.Project(), w.Geometry(), w.Module()).Spectrum(response->Point());
    QVERIFY(response->Levels() != before && spectrum == response->Levels());
    QVERIFY(Label("ResponseBroadband_lbl")
                .contains(QLocale().toString(spectrum[BroadbandAChoice], 'f', 1)));
    // Prediction options apply at once, as steps to undo, and reach the response.
    const auto plain = response->Levels();
    Trigger("Prediction_men");
    Click("PredictionAverage_chk");
    QVERIFY(w.Project().Prediction.Average && w.isWindowModified());
    QCOMPARE(UndoText(), u"Undo Prediction"_s);
    QVERIFY(Label("ResponseBroadband_lbl").contains(u"average"_s));
    Click("PredictionRecommended_cbt");
    const PredictionOptions all = w.Project().Prediction;
    QVERIFY(all.Interpolate && all.Air && all.Temperature == 20.0f && all.Humidity == 50.0f);
    QVERIFY(response->Levels() != plain);
    Trigger("Undo_men");  // back to the average alone, the window showing it
    QVERIFY(w.Project().Prediction.Average && !w.Project().Prediction.Air);
    QVERIFY(!Find<QCheckBox>("PredictionAir_chk")->isChecked());
  }

  void theRiggingTableIsTheGeometryAndCopiesAndPrints() {
    LineArray_frm& w = Open();
    KeyPick("Angle_cbx(3)", 1);
    Trigger("RiggingTable_men");
    QVERIFY(Find<Rigging_frm>("Rigging_frm")->isVisible());
    const auto* grid = Find<QTableWidget>("Rigging_tbl");
    QCOMPARE(grid->rowCount(), w.Project().BoxesAmount);
    QCOMPARE(grid->item(4, 1)->text(), QString::number(w.Project().BoxAngle[3]));
    const BoxGeometry& last = w.Geometry().BoxGeom[w.Project().BoxesAmount - 1];
    const double lowest = std::min(last.BottomFront.Y, last.BottomBack.Y);
    QVERIFY(Label("RiggingLowest_lbl").contains(QString::number(Shown2(lowest))));
    // It follows the design, copies as text and saves as a PDF.
    KeyPick("BoxesAmount_cbx", 4);
    QCOMPARE(grid->rowCount(), 6);
    Click("RiggingCopy_cbt");
    const QStringList lines = QGuiApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 1 + 1 + 6 + 1);
    Dialogs().Files.push_back(Dlg::Chosen(Path("rig.pdf")));
    Click("RiggingPdf_cbt");
    QVERIFY(Contents(Path("rig.pdf")).startsWith("%PDF"));
  }

  void theOptimiserFindsWhatASearchFindsAndAppliesItAsOneStep() {
    LineArray_frm& w = Open();
    KeyPick("BoxesAmount_cbx", 4);  // six boxes: a short search
    const ProjectData before = w.Project();
    Trigger("Optimise_men");
    auto* form = Find<Optimise_frm>("Optimise_frm");
    QVERIFY(form->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!form->Busy(), 60000);
    const SplayResult& result = form->Result();
    QVERIFY(result.Found);
    // With the graph hidden, at Broadband (A).
    QCOMPARE(Find<QComboBox>("OptimiseBand_cbx")->currentIndex(), BroadbandAChoice);
    const SplayResult direct =
        OptimiseSplay(before, w.Geometry(), w.Module(), SplaySearch{.Band = BroadbandAChoice});
    QCOMPARE(result.Best, direct.Best);
    const auto* table = Find<QTableWidget>("OptimiseResult_tbl");
    QCOMPARE(table->item(4, 1)->text().toDouble(), Shown2(direct.BestScore.Spread));
    QCOMPARE(table->item(4, 0)->text().toDouble(), Shown2(direct.CurrentScore.Spread));
    // Applied as one step: the window's design is the best one; undone, the one before.
    Click("OptimiseApply_cbt");
    QVERIFY(!DiffersByUser(w.Project(), direct.Best));
    QCOMPARE(Shown("Angle_cbx(0)"), QString::number(direct.Best.BoxAngle[0]) + u"°"_s);
    QVERIFY(w.isWindowModified());
    QCOMPARE(UndoText(), u"Undo Optimised Splay Angles"_s);
    QVERIFY(!CanApply());
    Trigger("Undo_men");
    QVERIFY(!DiffersByUser(w.Project(), before) && !DiffersByUser(before, w.Project()));
    // A result for another design cannot be applied.
    QVERIFY(!CanApply());
    // A long search shows its progress after a moment and stops on Cancel.
    // (Twelve boxes fitting a fall broadband: no design is ruled out early.)
    KeyPick("BoxesAmount_cbx", 10);
    KeyPick("OptimiseGoal_cbx", 1);
    KeyPick("OptimiseBand_cbx", BroadbandChoice);
    QVERIFY(form->Busy());
    QTRY_VERIFY(Find<QPushButton>("OptimiseCancel_cbt")->isVisible());
    Click("OptimiseCancel_cbt");
    QVERIFY(!form->Busy() && form->Result().Cancelled);
    QVERIFY(!CanApply());
    QCOMPARE(Status(), u"Cancelled."_s);
    // Closed on Escape, even from a text box, with a search under way: the search stops.
    Click("OptimiseSearch_cbt");
    QVERIFY(form->Busy());
    Box("OptimiseFall_tbx")->setFocus();
    PressEscape(Box("OptimiseFall_tbx"));
    QVERIFY(!form->isVisible() && !form->Busy() && form->Result().Cancelled);
  }

  void aDesignWithoutALevelOnItsAreasIsToldAndNotSearched() {
    Open();
    List("BoxesAmount_cbx")->setCurrentIndex(4 - MinBoxes);  // four boxes: a short search
    const QStringList boxes = Rows("AreaLength_tbx(%1)", MaxAreas);
    const QStringList lengths = Shown(boxes).split('|');
    for (const QString& box : boxes) Type(box, "-5");
    Trigger("Optimise_men");
    auto* form = Find<Optimise_frm>("Optimise_frm");
    QVERIFY(form->isVisible());
    QVERIFY2(Refused(*form), qPrintable(Status()));
    QTest::qWait(50);  // and nothing searches behind the message
    QVERIFY2(Refused(*form), qPrintable(Status()));
    // The command line refuses it too, saying why, with nothing on stdout.
    TriggerWith("SaveAs_men", Path("quiet.qvd"));
    const Ran ran = RunProgram({u"--optimise"_s, Path("quiet.qvd")});
    QVERIFY(ran.status == 2 && ran.out.isEmpty());
    QVERIFY2(ran.err.contains("has a level to even out"), ran.err.constData());
    // With the areas back, a search runs and finds the best design.
    for (int i = 0; i < MaxAreas; ++i) Type(boxes[i], lengths[i]);
    QSignalSpy ended(form, &Optimise_frm::SearchEnded);
    Click("OptimiseSearch_cbt");
    QVERIFY(ended.count() == 1 || ended.wait(60000));
    QVERIFY(form->Result().Found && form->Result().CurrentScore.Points > 0);
  }

  void everyToolWindowClosesOnEscapeAndOnItsCloseButton() {
    LineArray_frm& w = Open();
    QTest::mouseClick(Side(), Qt::RightButton, {}, Pixel(15, 2));  // a point to respond at
    for (const auto& [command, name, button] :
         {std::tuple{"ResponseHere_men", "Response_frm", "ResponseClose_cbt"},
          {"RiggingTable_men", "Rigging_frm", "RiggingClose_cbt"},
          {"Optimise_men", "Optimise_frm", "OptimiseClose_cbt"}})
      for (const bool escape : {true, false}) {
        Trigger(command);
        QWidget* tool = Find(name);
        QVERIFY2(tool->isVisible(), name);
        escape ? PressEscape(tool) : Click(button);
        QVERIFY2(!tool->isVisible() && w.isVisible(), name);
      }
  }
};

QTEST_MAIN(TestToolWindows)
#include "test_tool_windows.moc"
