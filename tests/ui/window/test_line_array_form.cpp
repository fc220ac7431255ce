// The main window as a user meets it: layout, controls, typed numbers, units,
// file commands, menus, presets, the graph strip, and moving an area with
// the mouse. Controls are found by their object names.
#include <QtTest>
#include <QtWidgets>
#include <cmath>
#include <memory>
#include <numbers>
#include <utility>

#include "acoustics/BandLevels.h"
#include "acoustics/LevelEngine.h"
#include "app/CommandLine.h"
#include "model/ProjectRules.h"
#include "support/WindowFixture.h"
#include "ui/panels/CoverageLayer.h"
#include "ui/panels/DrawingSurface.h"
#include "ui/panels/GraphStrip.h"
#include "ui/panels/LineElement.h"
#include "ui/panels/Twips.h"
#include "ui/tools/OptimiseForm.h"
#include "ui/tools/ResponseForm.h"
#include "ui/tools/RiggingForm.h"
#include "ui/window/LineArrayForm.h"

using namespace tarnwick;
using Answer = UserDialogs::Answer;
using Dlg = ScriptedDialogs;

namespace {

int Right(const QWidget* w) { return w->x() + w->width(); }
QSize OuterSize(const LineArray_frm& w) { return OuterSizeTwips(w) / TwipsPerPixel; }
// Rounded to the two decimals the text boxes show.
double Shown2(double v) { return std::nearbyint(v * 100) / 100; }

QByteArray Contents(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A number as the reports write it: fixed decimals, and left empty where there is none
// (no level, or beyond every number).
QString Written(double value, int decimals) {
  return std::isfinite(value) ? QString::number(value, 'f', decimals) : QString();
}

// Picks an entry of a pure list with the keyboard, as a user can.
void Pick(QComboBox* list, int index) {
  list->setFocus(Qt::TabFocusReason);
  QTest::keyClick(list, Qt::Key_Home);
  for (int i = 0; i < index; ++i) QTest::keyClick(list, Qt::Key_Down);
  QCOMPARE(list->currentIndex(), index);
}

// Types into a box as a user does: focus it, select all, type.
void TypeInto(QLineEdit* box, const QString& text) {
  box->setFocus(Qt::MouseFocusReason);
  QTRY_VERIFY(box->hasFocus());
  box->selectAll();
  QTest::keyClicks(box, text);
}

// Pixels of the shown picture darker than mid grey, its border left out.
int DarkPixels(QWidget& picture) {
  const QImage shown = picture.grab().toImage();
  int dark = 0;
  for (int y = 2; y < shown.height() - 2; ++y)
    for (int x = 2; x < shown.width() - 2; ++x) dark += qGray(shown.pixel(x, y)) < 128;
  return dark;
}

// Data rows for a case run with the settings panels collapsed (not yet made) and expanded.
void BothWays() {
  QTest::addColumn<bool>("expanded");
  QTest::newRow("collapsed") << false;
  QTest::newRow("expanded") << true;
}

// The names of the first n rows of an indexed control, such as "Angle_cbx(%1)".
QStringList Rows(const char* pattern, int n) {
  QStringList names;
  for (int i = 0; i < n; ++i) names << QString::fromLatin1(pattern).arg(i);
  return names;
}

}  // namespace

class TestLineArrayForm : public QObject {
  Q_OBJECT

  WindowFixture ui_;
  ScriptedDialogs* dialogs_ = nullptr;

  LineArray_frm& Open(QSize size = {}, bool expanded = true) {
    LineArray_frm& w = ui_.Open(size, expanded);
    dialogs_ = &ui_.Dialogs();
    return w;
  }
  template <typename T = QWidget>
  T* Find(const QString& name) const {
    return ui_.Find<T>(name);
  }
  QLineEdit* Box(const QString& name) const { return Find<QLineEdit>(name); }
  QComboBox* List(const QString& name) const { return Find<QComboBox>(name); }
  DrawingSurface* Picture(const char* name) const { return Find<DrawingSurface>(name); }
  DrawingSurface* Side() const { return Picture("MainView_pbx"); }
  // What text boxes or lists show, joined by '|'.
  QString Shown(const QStringList& names) const {
    QStringList texts;
    for (const QString& name : names)
      if (auto* box = ui_.Window().findChild<QLineEdit*>(name))
        texts << box->text();
      else
        texts << List(name)->currentText();
    return texts.join('|');
  }
  QString Shown(const QString& name) const { return Shown(QStringList{name}); }
  // For each named control, 1 when it is visible, else 0.
  QString Visible(const QStringList& names) const {
    QString flags;
    for (const QString& name : names) flags += Find(name)->isVisible() ? '1' : '0';
    return flags;
  }
  void Trigger(const char* action) const { Find<QAction>(action)->trigger(); }
  void Click(const char* button) const {
    QTest::mouseClick(Find<QPushButton>(button), Qt::LeftButton);
  }
  QString Path(const QString& name) const { return ui_.Path(name); }
  // The caption as shown, its modified mark left out.
  QString Caption() const { return ui_.Window().windowTitle().remove(QStringLiteral("[*]")); }
  // Leaves the box being typed in by moving the focus to another control.
  void Leave() const {
    QLineEdit* other = Box("Author_tbx");
    other->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(other->hasFocus());
  }

  // Widget pixel of a scene point in the side view, and back.
  QPoint Pixel(double x, double y) const {
    return (Side()->ToPixels(x, y) + Side()->contentsRect().topLeft()).toPoint();
  }
  QPoint Pixel(QPointF p) const { return Pixel(p.x(), p.y()); }
  QPointF SceneAt(QPoint pixel) const {
    return Side()->ToUser(QPointF(pixel) - Side()->contentsRect().topLeft());
  }
  // A point `above` metres above area i's slope at scene x.
  QPoint AboveSlope(int i, double x, double above) const {
    const AreaGeometry& a = ui_.Window().Graphics.AreaGeom[i];
    return Pixel(x, a.Start.Y + (x - a.Start.X) / a.Direction.X * a.Direction.Y + above);
  }
  void MoveHeld(QPoint to, Qt::MouseButtons held) const {
    QMouseEvent move(QEvent::MouseMove, to, Side()->mapToGlobal(to), Qt::NoButton, held,
                     Qt::NoModifier);
    QApplication::sendEvent(Side(), &move);
  }

 private slots:
  void initTestCase() { WindowFixture::Prepare(); }
  void init() { ui_.Reset(); }
  void cleanup() { ui_.Reset(); }

  void startUpShowsTheDefaultProjectDrawnAndCentred() {
    LineArray_frm& w = Open({}, false);
    QCOMPARE(Caption(), QStringLiteral("Quenvar Tarnwick"));
    QCOMPARE(OuterSize(w), QSize(800, 600));
    const QPoint offCentre = w.frameGeometry().center() - w.screen()->availableGeometry().center();
    QVERIFY(qAbs(offCentre.x()) <= 1 && qAbs(offCentre.y()) <= 1);
    QVERIFY(DarkPixels(*Side()) > 500);  // both pictures drawn the moment the window appears
    QVERIFY(DarkPixels(*Picture("ZoomView_pbx")) > 200);
    // What the collapsed panels and the hidden strip hold is made on first use.
    for (const char* name : {"FloorDistance_tbx", "AreaLength_tbx(0)", "Calc_cbt"})
      QVERIFY(w.findChild<QWidget*>(QLatin1String(name)) == nullptr);
    for (const char* button : {"ShowArraySettings_cbt", "ShowAreaSettings_cbt"}) Click(button);
    // The start-up redraw replaced the stored inclination 5.29 with the hanging angle.
    QCOMPARE(
        Shown({"Project_tbx", "Author_tbx", "Units_cbx", "AreasAmount_cbx", "BoxesAmount_cbx",
               "FloorDistance_tbx", "FlybarMounting_cbx", "FlybarPin_cbx", "InclinationAngle_tbx"}),
        QStringLiteral("Your Project|Your Name|Metres|3|12|5|Downtilt|2|3"));
    QCOMPARE(Shown(Rows("Angle_cbx(%1)", 11)), QStringLiteral("0°|5°|0°|0°|0°|0°|5°|5°|5°|5°|5°"));
    QVERIFY(Find<QCheckBox>("AutomaticInclCalc_chk")->isChecked() &&
            Box("InclinationAngle_tbx")->isReadOnly());
  }

  void sideViewFillsWhatThePanelsLeaveAndNeverShrinksBelowTheMinimum() {
    LineArray_frm& w = Open(QSize(1000, 700), false);
    DrawingSurface* side = Side();
    QCOMPARE(side->width(), OuterSize(w).width() - 12);  // window width less 180 twips
    QCOMPARE(Right(Find("AreaFrame")), Right(side));
    w.resize(500, 300);
    QTRY_COMPARE(OuterSize(w), QSize(800, 600));
    w.resize(1000, 700);
    QTRY_COMPARE(w.size(), QSize(1000, 700));
    // The array panel takes room on the left, until it is collapsed again.
    const int right = Right(side);
    Click("ShowArraySettings_cbt");
    QVERIFY(w.BArraySettingsActive &&
            Find<QPushButton>("ShowArraySettings_cbt")->text() == "Hide Setup");
    QCOMPARE(QPoint(side->x() * TwipsPerPixel, Right(side)), QPoint(2610, right));
    QCOMPARE(Find("ArrayFrame")->height() * TwipsPerPixel, 8175);
    Click("ShowArraySettings_cbt");
    QCOMPARE(side->x(), 2);
    // The graph strip goes below a shortened side view, as wide as it, and gives the room back.
    const int height = side->height();
    Trigger("ShowGraph_men");
    QWidget* strip = Picture("Graph_pbx");
    QVERIFY(w.BGraphActive && strip->isVisible() && Find("Calc_cbt")->isVisible());
    QVERIFY(strip->y() > side->geometry().bottom() && strip->geometry().bottom() < w.height());
    QCOMPARE(strip->width(), side->width());
    Trigger("ShowGraph_men");
    QVERIFY(!strip->isVisible());
    QCOMPARE(side->height(), height);
  }

  void theSideViewIsToScaleWhateverThePanelsAndTheStrip() {
    LineArray_frm& w = Open(QSize(1000, 700), false);
    const auto check = [&](const char* what) {
      const QSize inner = Side()->contentsRect().size();
      const QPointF ppm(inner.width() / Side()->ScaleWidth(),
                        -inner.height() / Side()->ScaleHeight());
      const double extent = std::max(w.Graphics.SceneWidth, w.Graphics.SceneHeight);
      QVERIFY2(
          qAbs(ppm.x() - ppm.y()) * extent < 1.0,
          qPrintable(
              QStringLiteral("%1: %2 px/m across, %3 up").arg(what).arg(ppm.x()).arg(ppm.y())));
      // The scene still lies inside the picture, the array right of the zoom view.
      const QPoint origin = Pixel(0, 0), far = Pixel(w.Graphics.SceneWidth, w.Graphics.SceneHeight);
      QVERIFY2(Side()->rect().contains(origin) && Side()->rect().contains(far), what);
      const QWidget* zoom = Picture("ZoomView_pbx");
      QVERIFY2(!zoom->isVisible() || Pixel(MountingPointX, 0).x() > zoom->geometry().right(), what);
    };
    check("as opened");
    Click("ShowArraySettings_cbt");
    check("array panel open");
    Click("ShowAreaSettings_cbt");
    check("both panels open");
    Trigger("ShowGraph_men");
    check("with the strip");
    Trigger("FixedHeight_men");
    check("fixed height");
    Trigger("ShowZoom_men");
    w.resize(1400, 600);
    QTRY_COMPARE(w.width(), 1400);
    check("wide, no zoom view");
  }

  void rowsFollowTheCountsAndKeepTheirValues() {
    LineArray_frm& w = Open();
    Pick(List("Attenuation_cbx(9)"), 13);  // box 10 off
    Pick(List("BoxesAmount_cbx"), 0);      // two boxes
    QCOMPARE(Visible(Rows("Angle_lbl(%1)", 12) + Rows("Angle_cbx(%1)", 11)),
             QStringLiteral("110000000000") + QStringLiteral("10000000000"));
    Pick(List("BoxesAmount_cbx"), 10);  // twelve again: the hidden rows kept their settings
    QCOMPARE(w.Data.Project.BoxAttenuation[9], 99.0f);
    Pick(List("AreasAmount_cbx"), 0);
    QCOMPARE(Visible(Rows("Area_lbl(%1)", 3) + Rows("AreaLength_tbx(%1)", 3)),
             QStringLiteral("100100"));
    QCOMPARE(w.Graphics.SceneWidth, 12.0f);  // only area 1 is drawn
  }

  void inclinationFollowsThePinUntilTypedByHand() {
    LineArray_frm& w = Open();
    auto* automatic = Find<QCheckBox>("AutomaticInclCalc_chk");
    QLineEdit* inclination = Box("InclinationAngle_tbx");
    Pick(List("FlybarMounting_cbx"), 1);  // uptilt
    Pick(List("FlybarPin_cbx"), 3);       // pin 4
    QCOMPARE(inclination->text(), QStringLiteral("6.19"));
    QTest::mouseClick(automatic, Qt::LeftButton);
    QVERIFY(!automatic->isChecked() && !inclination->isReadOnly());
    Pick(List("FlybarPin_cbx"), 0);  // no longer recomputed
    QCOMPARE(inclination->text(), QStringLiteral("6.19"));
    inclination->setText(QStringLiteral("7,5"));
    w.RedrawAll();
    QCOMPARE(w.Data.Project.InclinationAngle, 7.5f);
    QTest::mouseClick(automatic, Qt::LeftButton);
    QVERIFY(inclination->isReadOnly() && inclination->text() == "3.8");
  }

  void aProjectIsShownAndReadTheSameBeforeAndAfterThePanelsAreMade_data() { BothWays(); }

  void aProjectIsShownAndReadTheSameBeforeAndAfterThePanelsAreMade() {
    QFETCH(bool, expanded);
    LineArray_frm& w = Open({}, expanded);
    ProjectData& p = w.Data.Project;
    // A project the lists cannot show is refused and changes nothing.
    for (auto spoil :
         {+[](ProjectData& q) { q.AreasAmount = 4; }, +[](ProjectData& q) { q.BoxAngle[2] = 10; },
          +[](ProjectData& q) { q.FlybarPin = 10; }}) {
      p = w.Data.DefaultProject;
      p.ProjectTitle = "Spoilt";
      spoil(p);
      QVERIFY(!w.WriteControls() && !w.ControlsUpdating);
      QCOMPARE(Shown("Project_tbx"), QStringLiteral("Your Project"));
    }
    // Values keep their precision whatever decimals are shown; an attenuation without an
    // entry reads as 0.
    p = w.Data.DefaultProject;
    p.Units = "Feet";
    p.AutomaticInclCalc = 0;
    p.InclinationAngle = 5.296f;
    p.FloorDistance = 5.0f;
    p.AreaHeight2[2] = 3.456f;
    p.BoxAttenuation[0] = 7.5f;
    p.BoxAttenuation[4] = 99;
    p.FlybarMounting = 1;
    QVERIFY(w.WriteControls());
    w.RedrawAll();
    QCOMPARE(p.InclinationAngle, 5.296f);
    QCOMPARE(p.AreaHeight2[2], 3.456f);
    QCOMPARE((QList<float>{p.BoxAttenuation[0], p.BoxAttenuation[4], float(p.FlybarMounting)}),
             (QList<float>{0, 99, 1}));
  }

  void typedNumbersAreTidiedOnLeavingAndReadOnEnter() {
    LineArray_frm& w = Open(QSize(900, 650));
    QImage before = Side()->Image();
    TypeInto(Box("AreaLength_tbx(1)"), "2,5");
    QCOMPARE(w.Data.Project.AreaLength[1], 10.0f);  // not read yet
    Leave();
    QCOMPARE(Shown("AreaLength_tbx(1)"), QStringLiteral("2.5"));
    QCOMPARE(w.Data.Project.AreaLength[1], 2.5f);
    QVERIFY(Side()->Image() != before);
    // What the box shows after leaving is what the model holds, to two decimals, and the
    // model keeps the value typed: a number beyond single precision reads as 0 and shows 0.
    for (const auto& [typed, shown, held] :
         {std::tuple{"1e39", "0", 0.0f}, {"-1e39", "0", 0.0f}, {"-2,345", "-2.35", -2.345f}}) {
      TypeInto(Box("FloorDistance_tbx"), typed);
      Leave();
      QCOMPARE(Shown("FloorDistance_tbx"), QString::fromLatin1(shown));
      QCOMPARE(w.Data.Project.FloorDistance, held);
    }
    // Enter reads and redraws without tidying.
    Find<QCheckBox>("AutomaticInclCalc_chk")->setChecked(false);
    before = Side()->Image();
    QLineEdit* inclination = Box("InclinationAngle_tbx");
    TypeInto(inclination, "12.345");
    QTest::keyClick(inclination, Qt::Key_Return);
    QCOMPARE(inclination->text(), QStringLiteral("12.345"));
    QCOMPARE(w.Data.Project.InclinationAngle, 12.345f);
    QVERIFY(Side()->Image() != before);
    // The user's decimal comma is shown.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    TypeInto(Box("AreaLength_tbx(1)"), "2.5");
    Leave();
    QCOMPARE(Shown("AreaLength_tbx(1)"), QStringLiteral("2,5"));
  }

  void switchingUnitsConvertsEveryLengthShownHiddenAreasIncluded_data() { BothWays(); }

  void switchingUnitsConvertsEveryLengthShownHiddenAreasIncluded() {
    QFETCH(bool, expanded);
    LineArray_frm& w = Open(QSize(900, 650), expanded);
    Pick(List("AreasAmount_cbx"), 0);  // one area: areas 2 and 3 hidden
    const QImage before = Side()->Image();
    List("Units_cbx")->setCurrentIndex(0);  // Feet
    QCOMPARE(Side()->Image(), before);      // the model still holds metres
    Pick(List("AreasAmount_cbx"), 2);       // area 3 comes back where it was
    // Lengths the program wrote are not read back from their feet.
    QCOMPARE(w.Data.Project.AreaDistance[2], 23.0f);
    QCOMPARE(w.Data.Project.FloorDistance, 5.0f);
    if (!expanded) return;
    QCOMPARE(Shown({"AreaLength_tbx(0)", "FloorDistance_tbx", "AreaDistance_tbx(2)",
                    "InclinationAngle_tbx"}),
             QStringLiteral("32.81|16.4|75.46|3"));
    Box("AreaDistance_tbx(0)")->setText("20");  // an edit not yet read converts too
    List("Units_cbx")->setCurrentIndex(1);      // Metres
    QCOMPARE(Shown({"AreaLength_tbx(0)", "AreaDistance_tbx(0)"}), QStringLiteral("10|6.1"));
  }

  void saveProposesTheCleanTitleAndFailuresWriteNothing() {
    LineArray_frm& w = Open({}, false);
    Box("Project_tbx")->setText("Arena: Main/Stage?");
    dialogs_->Files.push_back(Dlg::Chosen(Path("Arena.qvd")));
    Trigger("Save_men");
    const FileDialogSetup& setup = dialogs_->LastSetup;
    QCOMPARE(
        setup.FileName + setup.Folder,
        "Arena MainStage" + QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    QCOMPARE(Caption(), QStringLiteral("Quenvar Tarnwick  -  Arena.qvd"));
    // A second save writes at once, with the controls read first. Only what the user does
    // marks the project modified (not the inclination each redraw writes); a save clears it.
    QVERIFY(!w.isWindowModified());
    QTest::keyClicks(Box("Author_tbx"), "Mo");
    QVERIFY(w.isWindowModified() && w.windowTitle().endsWith("[*]"));
    Trigger("Save_men");
    QVERIFY(!w.isWindowModified());
    Trigger("Curved_men");
    QVERIFY(w.isWindowModified());
    QCOMPARE(dialogs_->Log, QStringList{"save"});
    QVERIFY(Contents(Path("Arena.qvd")).contains("Your NameMo"));
    // Save As cancelled or failing writes nothing and keeps the file name.
    dialogs_->Log.clear();
    dialogs_->Files = {Dlg::Cancelled(), Dlg::Failed(), Dlg::Chosen(Path("missing/x.qvd"))};
    for (int i = 0; i < 3; ++i) Trigger("SaveAs_men");
    QCOMPARE(dialogs_->Log,
             (QStringList{"save", "save", "tell File Error: Error while attempting to open file!",
                          "save",
                          "tell Save Error: Error while trying to save file!\n\n" +
                              Path("missing/x.qvd") + ": folder does not exist [critical]"}));
    QCOMPARE(Caption(), QStringLiteral("Quenvar Tarnwick  -  Arena.qvd"));
    // The saved file heads File's recent files, in a new window too; one that is gone leaves.
    Open({}, false);
    emit Find<QMenu>("File_men")->aboutToShow();
    auto* recent = Find<QAction>("RecentFile_men(0)");
    QVERIFY(recent->isVisible() && recent->text().endsWith("Arena.qvd"));
    QVERIFY(!Find<QAction>("RecentFile_men(1)")->isVisible());
    dialogs_->Answers = {Answer::No, Answer::No};
    recent->trigger();
    QCOMPARE(Shown("Project_tbx"), QStringLiteral("Arena: Main/Stage?"));
    QFile::remove(Path("Arena.qvd"));
    recent->trigger();
    QVERIFY(dialogs_->Log.last().startsWith("tell Open Error: The file is no longer there") &&
            !recent->isVisible());
  }

  void openLoadsAllOrNothingAndHiddenAreasKeepTheirPlace() {
    LineArray_frm& w = Open({}, false);
    // A file to open: two boxes, one area, feet.
    List("BoxesAmount_cbx")->setCurrentIndex(0);
    List("AreasAmount_cbx")->setCurrentIndex(0);
    List("Units_cbx")->setCurrentIndex(0);
    dialogs_->Files.push_back(Dlg::Chosen(Path("two.qvd")));
    Trigger("SaveAs_men");
    dialogs_->Answers.push_back(Answer::No);
    Trigger("New_men");
    QCOMPARE(Shown({"BoxesAmount_cbx", "Units_cbx"}), QStringLiteral("12|Metres"));
    QCOMPARE(Caption(), QStringLiteral("Quenvar Tarnwick"));
    for (const auto& [name, bytes] : {std::pair{"bad.qvd", Contents(Path("two.qvd")).left(100)},
                                      {"notes.qvd", QByteArray("just some text, not a project")}}) {
      QFile file(Path(name));
      QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }
    // Open asks first, as New does: Cancel, or Yes with the save cancelled, opens nothing.
    dialogs_->Answers = {Answer::Cancel, Answer::Yes};
    dialogs_->Files = {Dlg::Cancelled()};
    Trigger("Open_men");
    Trigger("Open_men");
    QVERIFY(!dialogs_->Log.contains("open"));
    const ProjectData before = w.Data.Project;
    dialogs_->Log.clear();
    dialogs_->Answers = {Answer::No, Answer::No, Answer::No};
    dialogs_->Files = {Dlg::Chosen(Path("bad.qvd")), Dlg::Chosen(Path("notes.qvd"))};
    Trigger("Open_men");
    Trigger("Open_men");
    dialogs_->Log.removeIf([](const QString& line) { return line.startsWith("ask "); });
    QCOMPARE(
        dialogs_->Log,
        (QStringList{"open", "tell Load Error: Error while trying to load file! [critical]", "open",
                     "tell File structure Error: Wrong or unknown file structure.Please try "
                     "another file! [critical]"}));
    QCOMPARE(w.Data.Project, before);
    QCOMPARE(Caption(), QStringLiteral("Quenvar Tarnwick"));
    dialogs_->Files.push_back(Dlg::Chosen(Path("two.qvd")));
    Trigger("Open_men");
    QCOMPARE(Caption(), QStringLiteral("Quenvar Tarnwick  -  two.qvd"));
    QCOMPARE(Shown({"BoxesAmount_cbx", "AreasAmount_cbx", "Units_cbx"}),
             QStringLiteral("2|1|Feet"));
    // The areas the file leaves out show, in feet, where they were.
    Pick(List("AreasAmount_cbx"), 2);
    QVERIFY(qAbs(w.Data.Project.AreaDistance[2] - 23.0f) < 0.002f);
  }

  void aFileNamedOnTheCommandLineOrDroppedOpensAsOpenDoes() {
    using A = CommandLine::Action;
    const auto parse = [](std::vector<std::string> arguments) {
      return ParseCommandLine(arguments);
    };
    QVERIFY(parse({}).Do == A::Run && parse({"show.qvd"}).File == "show.qvd");
    QVERIFY(parse({"--help"}).Do == A::Help && parse({"--version"}).Do == A::Version);
    QVERIFY(parse({"--bogus"}).Do == A::Wrong && parse({"a.qvd", "b.qvd"}).Do == A::Wrong);
    // The named file opens as a chosen one does; a refused one is reported and changes nothing.
    Open({}, false);
    Box("Project_tbx")->setText("From the line");
    dialogs_->Files.push_back(Dlg::Chosen(Path("line.qvd")));
    Trigger("SaveAs_men");
    Open({}, false);
    QVERIFY(!ui_.Window().OpenFile(Path("missing.qvd")) && dialogs_->Log.size() == 1);
    // Dropped on the window, the file opens after the same question as Open.
    QMimeData dropped;
    dropped.setUrls({QUrl::fromLocalFile(Path("line.qvd"))});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &dropped, Qt::LeftButton, {});
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &dropped, Qt::LeftButton, {});
    dialogs_->Answers = {Answer::No};
    QApplication::sendEvent(&ui_.Window(), &enter);
    QVERIFY(enter.isAccepted());
    QApplication::sendEvent(&ui_.Window(), &drop);
    QVERIFY(dialogs_->Log[1].startsWith("ask Save File?") &&
            Shown("Project_tbx") == "From the line");
    QCOMPARE(Caption(), QStringLiteral("Quenvar Tarnwick  -  line.qvd"));
  }

  void newAndCloseAskAndKeepTheProjectWhenTheSaveDoesNotHappen() {
    LineArray_frm& w = Open({}, false);
    // Yes saves what the controls show, edits not yet read included, then starts anew.
    Box("Project_tbx")->setText("Keep me");
    dialogs_->Answers = {Answer::Yes};
    dialogs_->Files.push_back(Dlg::Chosen(Path("kept.qvd")));
    Trigger("New_men");
    QVERIFY(Contents(Path("kept.qvd")).contains("Keep me"));
    QCOMPARE(Shown("Project_tbx"), QStringLiteral("Your Project"));
    // Closing asks every time; Yes with the save dialog cancelled keeps the window.
    dialogs_->Log.clear();
    dialogs_->Answers = {Answer::Cancel, Answer::Yes, Answer::No};
    dialogs_->Files.push_back(Dlg::Cancelled());
    QVERIFY(!w.close());
    QVERIFY(!w.close());
    QVERIFY(w.close());
    QCOMPARE(
        dialogs_->Log.count("ask Save File?: Do you want to save your project before you quit?"),
        3);
  }

  void everyShortcutTriggersItsCommandFromATextBoxButSelectAll() {
    LineArray_frm& w = Open();
    QLineEdit* box = Box("FloorDistance_tbx");
    box->setFocus();
    QTRY_VERIFY(box->hasFocus());
    box->deselect();
    dialogs_->Answers = {Answer::Cancel, Answer::Cancel, Answer::Cancel};
    for (const QKeyCombination key :
         {Qt::CTRL | Qt::Key_N, Qt::CTRL | Qt::Key_O, Qt::CTRL | Qt::Key_S, Qt::CTRL | Qt::Key_A,
          Qt::CTRL | Qt::SHIFT | Qt::Key_S, Qt::CTRL | Qt::Key_Q})
      QTest::keyClick(box, key.key(), key.keyboardModifiers());
    // New and Open ask first (cancelled); Ctrl+A selects the text; Ctrl+Shift+S saves as.
    QCOMPARE(dialogs_->Log.size(), 5);
    QVERIFY(dialogs_->Log[0].contains("before a new") && dialogs_->Log[1].contains("another"));
    QCOMPARE(dialogs_->Log.mid(2, 2), (QStringList{"save", "save"}));
    QVERIFY(dialogs_->Log[4].startsWith("ask Save File?: Do you want to save your project"));
    QVERIFY(box->hasSelectedText() && w.isVisible());
    // The About box is modal and reused.
    Trigger("About_men");
    auto* about = Find<QDialog>("About_frm");
    QVERIFY(about->isVisible() && about->windowModality() == Qt::ApplicationModal);
    QTest::mouseClick(about->findChild<QPushButton*>("Ok_cbt"), Qt::LeftButton);
    QVERIFY(!about->isVisible());
  }

  void presetsSetTheAnglesInUse_data() {
    QTest::addColumn<int>("boxes");
    QTest::addColumn<QString>("jArray");  // angles k = 0 .. n, '-' left as it was
    const char* table[] = {"5",       "55",       "055",       "0-55",       "00555",      "005555",
                           "0005555", "000-5555", "000055555", "0000555555", "00000555555"};
    for (int boxes = 2; boxes <= 12; ++boxes)
      QTest::addRow("%d boxes", boxes) << boxes << QString::fromLatin1(table[boxes - 2]);
  }

  void presetsSetTheAnglesInUse() {
    QFETCH(int, boxes);
    QFETCH(QString, jArray);
    LineArray_frm& w = Open();
    auto angle = [&](int k) { return List(QStringLiteral("Angle_cbx(%1)").arg(k)); };
    // Mark every list with an odd pattern to see what a preset leaves alone.
    for (int k = 0; k < 11; ++k) angle(k)->setCurrentIndex(k % 2);
    List("BoxesAmount_cbx")->setCurrentIndex(boxes - 2);
    Trigger("JArray_men");
    for (int k = 0; k < 11; ++k) {
      const QChar want = k < jArray.size() ? jArray[k] : QChar('-');
      QCOMPARE(angle(k)->currentIndex(), want == '-' ? k % 2 : want == '5' ? 1 : 0);
    }
    for (int k = 0; k < boxes - 1; ++k)  // the view followed: the project holds the new angles
      QCOMPARE(w.Data.Project.BoxAngle[k], angle(k)->currentIndex() * 5.0f);
    for (const auto& [preset, index] : {std::pair{"Line_men", 0}, {"Curved_men", 1}}) {
      Trigger(preset);
      for (int k = 0; k < 11; ++k)
        QCOMPARE(angle(k)->currentIndex(), k < boxes - 1 ? index : k % 2);
    }
  }

  void draggingAnAreaMovesItsRectangleThenTheAreaInEitherUnit() {
    LineArray_frm& w = Open(QSize(1100, 760));
    const QPoint press = AboveSlope(2, 25.5, 0.1), start = Pixel(24, 1.9);
    const QPoint release = Pixel(SceneAt(press) + QPointF(2, 1));
    const QPointF moved = SceneAt(release) - SceneAt(press);  // before the drop rescales
    const QImage before = Side()->Image();
    QTest::mousePress(Side(), Qt::LeftButton, {}, press);
    auto* lower = Find<LineElement>("LowerLine");
    QVERIFY(lower->isVisible() && Find<LineElement>("RightLine")->isVisible());
    QCOMPARE(lower->From().toPoint(), start);
    // Another button held in addition does not move it; nothing is redrawn until the drop.
    for (const auto& [to, held] : {std::pair{release, Qt::MouseButtons(Qt::LeftButton)},
                                   {release + QPoint(50, 0), Qt::LeftButton | Qt::RightButton}}) {
      MoveHeld(to, held);
      QVERIFY((lower->From() - (start + release - press)).manhattanLength() <= 2);
    }
    QCOMPARE(Side()->Image(), before);
    QTest::mouseRelease(Side(), Qt::LeftButton, {}, release);
    QVERIFY(!lower->isVisible());
    // The area lands on the two decimals shown; its length stays.
    QCOMPARE(Shown("AreaDistance_tbx(2)").toDouble(), Shown2(23 + moved.x()));
    QCOMPARE(Shown("AreaLength_tbx(2)"), QStringLiteral("4"));
    QCOMPARE(w.Data.Project.AreaHeight2[2], float(Shown2(3.5 + moved.y())));
  }

  void theGraphFollowsTheDesignInEveryAreaAndBandAndDragsTaller() {
    LineArray_frm& w = Open();
    Trigger("ShowGraph_men");
    const auto* strip = Find<GraphStrip>("Graph_pbx");
    QCOMPARE(Shown({"AreaSelect_cbx", "FreqSelect_cbx"}), QStringLiteral("Area 1|1 kHz"));
    QCOMPARE(w.Calculations.SPLPoints.size(), std::size_t{101});  // at once, without a click
    // Four boxes instead of twelve: the curve is the new design's, without a click.
    const float before = w.Calculations.SPLPoints[50].SPL;
    Pick(List("BoxesAmount_cbx"), 2);
    std::vector<SPLPoint> fresh;
    QVERIFY(CalculateSPL(w.Data.Project, w.Graphics, w.Constants, 1, 10, fresh));
    QVERIFY(fresh[50].SPL != before && fresh[50].SPL == w.Calculations.SPLPoints[50].SPL);
    // Area 2 made 4 m long, at 10 kHz: 41 points.
    TypeInto(Box("AreaLength_tbx(1)"), QStringLiteral("4"));
    QTest::keyClick(Box("AreaLength_tbx(1)"), Qt::Key_Return);
    Pick(List("AreaSelect_cbx"), 1);
    Pick(List("FreqSelect_cbx"), 20);
    QCOMPARE(w.Calculations.SPLPoints.size(), std::size_t{41});
    // All areas, A-weighted broadband: one curve each, the bands' weighted power sum.
    Pick(List("AreaSelect_cbx"), 3);
    Pick(List("FreqSelect_cbx"), 22);
    QCOMPARE(Shown({"AreaSelect_cbx", "FreqSelect_cbx"}),
             QStringLiteral("All Areas|Broadband (A)"));
    QCOMPARE(strip->Curves().size(), std::size_t{3});
    double power = 0;
    for (int band = 0; band < BandCount; ++band) {
      QVERIFY(CalculateSPL(w.Data.Project, w.Graphics, w.Constants, 3, band, fresh));
      power += std::pow(10.0, (fresh[7].SPL + AWeighting(62.5 * std::exp2((band + 2) / 3.0))) / 10);
    }
    QVERIFY(qAbs(strip->Curves()[2].Points[7].SPL - 10 * std::log10(power)) < 1e-3);
    QVERIFY(qAbs(AWeighting(100) + 19.1) < 0.05 && qAbs(AWeighting(1000)) < 0.01);
    // One area in use: the list offers it and "All Areas", which stays chosen.
    Pick(List("AreasAmount_cbx"), 0);
    QCOMPARE(List("AreaSelect_cbx")->count(), 2);
    QCOMPARE(Shown("AreaSelect_cbx"), QStringLiteral("All Areas"));
    QCOMPARE(strip->Curves().size(), std::size_t{1});
    // The strip's top edge drags it taller; the side view gives up the height.
    const int side = Side()->height(), height = strip->height();
    QTest::mousePress(Find("Graph_pbx"), Qt::LeftButton, {}, QPoint(200, 2));
    QMouseEvent drag(QEvent::MouseMove, QPointF(200, -58), strip->mapToGlobal(QPointF(200, -58)),
                     Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(Find("Graph_pbx"), &drag);
    QTest::mouseRelease(Find("Graph_pbx"), Qt::LeftButton, {}, QPoint(200, -58));
    QCOMPARE(strip->height(), height + 60);
    QVERIFY(qAbs(Side()->height() - (side - 60)) <= 2);  // twips round both ways
  }

  void theCommandLineGivesTheWindowsNumbersWithoutADisplay() {
    LineArray_frm& w = Open(QSize(), false);
    QDir corpus(QStringLiteral(TARNWICK_SOURCE_DIR "/tests/fuzz/corpus"));
    int files = 0;
    for (const QString& name : corpus.entryList({QStringLiteral("*.qvd")})) {
      const QString path = corpus.filePath(name);
      QVERIFY(w.OpenFile(path));
      Trigger("ShowGraph_men");
      Pick(List("AreaSelect_cbx"), List("AreaSelect_cbx")->count() - 1);
      QProcess program;
      QProcessEnvironment bare = QProcessEnvironment::systemEnvironment();
      for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) bare.remove(name);
      program.setProcessEnvironment(bare);
      program.start(QStringLiteral(TARNWICK_PROGRAM), {QStringLiteral("--levels"), path});
      QVERIFY(program.waitForFinished(20000));
      QCOMPARE(program.exitCode(), 0);
      const QStringList rows = QString::fromUtf8(program.readAllStandardOutput()).split('\n');
      QCOMPARE(rows[0], QStringLiteral("area,index,distance_m,x_m,y_m,level_db"));
      int row = 1;
      for (const LevelCurve& curve : Find<GraphStrip>("Graph_pbx")->Curves())
        for (std::size_t i = 0; i < curve.Points.size(); ++i, ++row) {
          const SPLPoint& p = curve.Points[i];
          QCOMPARE(rows[row], QStringLiteral("%1,%2,%3,%4,%5,%6")
                                  .arg(curve.Area)
                                  .arg(i)
                                  .arg(0.1 * i, 0, 'f', 1)
                                  .arg(Written(p.Position.X, 3), Written(p.Position.Y, 3),
                                       Written(p.SPL == SPLFloor ? NAN : p.SPL, 2)));
        }
      QCOMPARE(rows.size(), row + 1);  // and the last line's end
      // The boxes as the window placed them (it has the designed size).
      program.start(QStringLiteral(TARNWICK_PROGRAM), {QStringLiteral("--geometry"), path});
      QVERIFY(program.waitForFinished(20000));
      const QStringList boxes = QString::fromUtf8(program.readAllStandardOutput()).split('\n');
      QCOMPARE(
          boxes[0],
          QStringLiteral("inclination_deg,%1").arg(w.Data.Project.InclinationAngle, 0, 'f', 2));
      for (int b = 0; b < w.Data.Project.BoxesAmount; ++b) {
        const BoxGeometry& box = w.Graphics.BoxGeom[b];
        const QStringList v = boxes[b + 2].split(',');
        QCOMPARE(v[3] + ',' + v[4],
                 QStringLiteral("%1,%2").arg(box.Source.X, 0, 'f', 3).arg(box.Source.Y, 0, 'f', 3));
        QCOMPARE(v[6] + ',' + v[7] + ',' + v[8], QStringLiteral("%1,%2,%3")
                                                     .arg(box.Source.X + box.Ray.X, 0, 'f', 3)
                                                     .arg(box.Source.Y + box.Ray.Y, 0, 'f', 3)
                                                     .arg(box.AimedArea));
      }
      Trigger("ShowGraph_men");
      ++files;
    }
    QVERIFY(files >= 3);
  }

  void theCoverageMapShowsTheLevelsOfTheDesignOnScreenOnly() {
    LineArray_frm& w = Open(QSize(), false);
    const auto* layer = Find<CoverageLayer>("CoverageMap");
    // Every map that reaches the screen is of the design on screen, whatever changed while
    // it was computed: its nodes are that design's levels to the last bit.
    int maps = 0, mixed = 0;
    QObject::connect(layer, &CoverageLayer::MapReady, &w, [&] {
      if (layer->ShownMap() == nullptr || layer->Busy()) return;  // a band change, no new map
      const LevelGrid* map = &layer->ShownMap()->grid;
      ++maps;
      const LevelEngine engine(w.Data.Project, w.Graphics, w.Constants);
      for (int j = 0; j < map->ny; j += 17)
        for (int i = 0; i < map->nx; i += 13)
          mixed += engine.Level(map->entry, map->Node(i, j)) != map->nodes[j * map->nx + i];
    });
    Trigger("ShowMap_men");
    QVERIFY(Find("MapFreq_cbx")->isVisible());
    Pick(List("BoxesAmount_cbx"), 2);  // changes while the first map is computed
    Pick(List("BoxesAmount_cbx"), 6);
    QTRY_VERIFY(!layer->Busy() && layer->ShownMap() != nullptr);
    Pick(List("MapFreq_cbx"), BroadbandAEntry);
    QTRY_VERIFY(!layer->Busy() && layer->ShownMap()->grid.entry == BroadbandAEntry);
    QVERIFY(maps >= 2);
    QCOMPARE(mixed, 0);
    // The map covers the section above the floor; the scale's top is the loudest area
    // level rounded up to 3 dB.
    const LevelGrid& map = layer->ShownMap()->grid;
    QVERIFY(map.bottom == 0 && map.top > w.Data.Project.FloorDistance && map.left < 0);
    QCOMPARE(std::fmod(layer->Top(), 3.0f), 0.0f);
    QVERIFY(layer->Top() - map.nodes[map.nodes.size() / 2] > -60);
    Trigger("ShowMap_men");
    QVERIFY(!Find("MapFreq_cbx")->isVisible() && layer->ShownMap() == nullptr);
  }

  void responseHereShowsTheBandsAtThePointAndFollowsTheDesign() {
    LineArray_frm& w = Open(QSize(), false);
    const QPoint at = Side()->ToPixels(15, 2).toPoint() + Side()->contentsRect().topLeft();
    QTest::mouseClick(Side(), Qt::RightButton, {}, at);
    Trigger("ResponseHere_men");
    auto* response = Find<Response_frm>("Response_frm");
    QVERIFY(response->isVisible());
    const auto check = [&] {
      const auto spectrum =
          LevelEngine(w.Data.Project, w.Graphics, w.Constants).Spectrum(response->Point());
      QVERIFY(spectrum == response->Levels());
      QVERIFY(Find<QLabel>("ResponseBroadband_lbl")
                  ->text()
                  .contains(QLocale().toString(spectrum[BroadbandAEntry], 'f', 1)));
    };
    QVERIFY(qAbs(response->Point().X - 15) < 0.1 && qAbs(response->Point().Y - 2) < 0.1);
    check();
    const auto before = response->Levels();
    Pick(List("BoxesAmount_cbx"), 3);
    QVERIFY(response->Levels() != before);
    check();
  }

  void exportsWriteWhatTheWindowShowsAndEveryLevel() {
    Open(QSize(), false);
    Trigger("ShowGraph_men");
    Trigger("ShowMap_men");
    const auto* layer = Find<CoverageLayer>("CoverageMap");
    QTRY_VERIFY(!layer->Busy() && layer->ShownMap() != nullptr);
    // The picture in the format its name asks for; a failure is told, not passed over.
    for (const auto& [name, start] :
         {std::pair{"view.png", "\x89PNG"}, {"view.svg", "<?xml"}, {"view.pdf", "%PDF"}}) {
      dialogs_->Files.push_back(ScriptedDialogs::Chosen(Path(QLatin1String(name))));
      Trigger("ExportPicture_men");
      QFile file(Path(QLatin1String(name)));
      QVERIFY2(file.open(QIODevice::ReadOnly) && file.read(5).startsWith(start), name);
    }
    QImage png(Path(QStringLiteral("view.png")));
    QCOMPARE(png.size() / png.devicePixelRatio(),
             QSize(Side()->width(), Side()->height() + Picture("Graph_pbx")->height()));
    dialogs_->Files.push_back(ScriptedDialogs::Chosen(Path(QStringLiteral("no/such/folder.png"))));
    Trigger("ExportPicture_men");
    QVERIFY(dialogs_->Log.last().startsWith(QStringLiteral("tell Export Error")));
    // Every band and both broadband sums at every point of every area, as the graph has them.
    dialogs_->Files.push_back(ScriptedDialogs::Chosen(Path(QStringLiteral("levels.csv"))));
    Trigger("ExportLevels_men");
    QFile csv(Path(QStringLiteral("levels.csv")));
    QVERIFY(csv.open(QIODevice::ReadOnly | QIODevice::Text));
    const QStringList rows = QString::fromUtf8(csv.readAll()).split('\n', Qt::SkipEmptyParts);
    QVERIFY(rows[0].startsWith(QStringLiteral("area,index,distance_m,x_m,y_m,100Hz,125Hz")) &&
            rows[0].endsWith(QStringLiteral(",10kHz,Broadband,Broadband(A)")));
    QCOMPARE(rows.size(), 1 + 101 + 101 + 41);
    Pick(List("FreqSelect_cbx"), BroadbandEntry);
    const auto& curve = Find<GraphStrip>("Graph_pbx")->Curves().front().Points;
    QCOMPARE(rows[38].split(',')[5 + BroadbandEntry], QString::number(curve[37].SPL, 'f', 2));
  }

  void theMapAndTheResponseOnTheCommandLineAreTheEnginesAndTheWindows() {
    const QString file = QStringLiteral(TARNWICK_SOURCE_DIR "/tests/data/default.qvd");
    const auto run = [](const QStringList& arguments) {
      QProcess program;
      program.start(QStringLiteral(TARNWICK_PROGRAM), arguments);
      program.waitForFinished(60000);
      return std::pair(program.exitCode(), QString::fromUtf8(program.readAllStandardOutput()));
    };
    LineArray_frm& w = Open(QSize(), false);
    QVERIFY(w.OpenFile(file));
    const LevelEngine engine(w.Data.Project, w.Graphics, w.Constants);
    // The response at a point: every band, then both sums.
    const auto [status, text] =
        run({QStringLiteral("--response"), file, QStringLiteral("--at"), QStringLiteral("15,2")});
    QCOMPARE(status, 0);
    const QStringList rows = text.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(rows.size(), 1 + LevelEntryCount);
    const auto spectrum = engine.Spectrum({15, 2});
    QCOMPARE(rows[1], QStringLiteral("100Hz,99.21,%1").arg(spectrum[0], 0, 'f', 2));
    QCOMPARE(rows.last(),
             QStringLiteral("Broadband(A),,%1").arg(spectrum[BroadbandAEntry], 0, 'f', 2));
    // The map as CSV: one row per node, the engine's level there.
    const QString out = Path(QStringLiteral("map.csv"));
    QCOMPARE(run({QStringLiteral("--map"), file, QStringLiteral("--size"), QStringLiteral("80x40"),
                  QStringLiteral("--band"), QStringLiteral("4kHz"), QStringLiteral("--out"), out})
                 .first,
             0);
    QFile csv(out);
    QVERIFY(csv.open(QIODevice::ReadOnly | QIODevice::Text));
    const QStringList nodes = QString::fromUtf8(csv.readAll()).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(nodes.size(), 1 + 21 * 11);
    for (int n = 1; n < nodes.size(); n += 7) {
      const QStringList v = nodes[n].split(',');
      const float level = engine.Level(16, {v[0].toFloat(), v[1].toFloat()});
      QVERIFY2(qAbs(v[2].toDouble() - level) < 0.02, qPrintable(nodes[n]));
    }
    QCOMPARE(
        run({QStringLiteral("--map"), file, QStringLiteral("--out"), Path(QStringLiteral("m.png"))})
            .first,
        0);
    QCOMPARE(QImage(Path(QStringLiteral("m.png"))).size(), QSize(1600, 1000));
    QCOMPARE(run({QStringLiteral("--map"), file}).first, 2);
    QCOMPARE(run({QStringLiteral("--response"), Path(QStringLiteral("none.qvd")),
                  QStringLiteral("--at"), QStringLiteral("1,1")})
                 .first,
             3);
  }

  void everyChangeIsOneStepToUndoAndRedoNamedAfterIt() {
    LineArray_frm& w = Open(QSize(1100, 760));
    auto* undo = Find<QAction>("Undo_men");
    auto* redo = Find<QAction>("Redo_men");
    QVERIFY(!undo->isEnabled() && !w.isWindowModified());
    const auto typeAndEnter = [&](const char* name, const char* text) {
      TypeInto(Box(QLatin1String(name)), QLatin1String(text));
      QTest::keyClick(Box(QLatin1String(name)), Qt::Key_Return);
    };
    const QPoint press = AboveSlope(0, 5, 0.1);
    const std::vector<std::pair<QString, std::function<void()>>> steps = {
        {"Splay of Box 5", [&] { Pick(List("Angle_cbx(3)"), 1); }},
        {"Distance to Floor", [&] { typeAndEnter("FloorDistance_tbx", "7"); }},
        {"Automatic Inclination",
         [&] { QTest::mouseClick(Find<QCheckBox>("AutomaticInclCalc_chk"), Qt::LeftButton); }},
        {"Inclination", [&] { typeAndEnter("InclinationAngle_tbx", "-4"); }},
        {"Line Preset", [&] { Trigger("Line_men"); }},
        {"Move of Area 1",
         [&] {
           QTest::mousePress(Side(), Qt::LeftButton, {}, press);
           MoveHeld(press + QPoint(30, -20), Qt::LeftButton);
           QTest::mouseRelease(Side(), Qt::LeftButton, {}, press + QPoint(30, -20));
         }},
    };
    for (const auto& [name, change] : steps) {
      const ProjectData before = w.Data.Project;
      change();
      const ProjectData after = w.Data.Project;
      QVERIFY2(DiffersByUser(before, after) && w.isWindowModified(), qPrintable(name));
      QCOMPARE(undo->text().remove('&'), QStringLiteral("Undo ") + name);
      undo->trigger();
      QVERIFY2(!DiffersByUser(w.Data.Project, before), qPrintable(name));
      QCOMPARE(Shown("FloorDistance_tbx").toFloat(), before.FloorDistance);
      redo->trigger();
      QVERIFY2(!DiffersByUser(w.Data.Project, after) && !DiffersByUser(after, w.Data.Project),
               qPrintable(name));
    }
    // Saved, the mark goes; undone past the save, it comes back; redone, it goes again.
    dialogs_->Files.push_back(ScriptedDialogs::Chosen(Path(QStringLiteral("a.qvd"))));
    Trigger("Save_men");
    QVERIFY(!w.isWindowModified());
    undo->trigger();
    QVERIFY(w.isWindowModified());
    redo->trigger();
    QVERIFY(!w.isWindowModified());
    // An Open is one step: undone, the earlier project and its file come back.
    const ProjectData saved = w.Data.Project;
    QVERIFY(w.OpenFile(QStringLiteral(TARNWICK_SOURCE_DIR "/tests/data/small.qvd")));
    QCOMPARE(undo->text().remove('&'), QStringLiteral("Undo Open small.qvd"));
    undo->trigger();
    QVERIFY(!DiffersByUser(w.Data.Project, saved) && Caption().endsWith(QStringLiteral("a.qvd")));
    // In a box being typed in, Ctrl+Z is the box's own undo; the project keeps its steps.
    const int steps_before = undo->isEnabled();
    QLineEdit* floor = Box("FloorDistance_tbx");
    const QString shown = floor->text();
    floor->setFocus();
    QTest::keyClicks(floor, QStringLiteral("9"));
    QTest::keyClick(floor, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(floor->text(), shown);
    QCOMPARE(int(undo->isEnabled()), steps_before);
    QCOMPARE(w.Data.Project.FloorDistance, saved.FloorDistance);
  }

  void theToleranceBandSpansTheDesignsARiggingErrorMakes() {
    LineArray_frm& w = Open();
    Trigger("ShowGraph_men");
    Trigger("ShowTolerance_men");
    const auto* strip = Find<GraphStrip>("Graph_pbx");
    // Pin 1 and pin 3 beside the default pin 2; then, typed, 0.5 degrees either way.
    for (const bool automatic : {true, false}) {
      if (!automatic) QTest::mouseClick(Find<QCheckBox>("AutomaticInclCalc_chk"), Qt::LeftButton);
      const LevelCurve& curve = strip->Curves().front();
      std::vector<float> low, high;
      for (const SPLPoint& p : curve.Points) low.push_back(p.SPL), high.push_back(p.SPL);
      for (const float change : {-1.0f, 1.0f}) {
        ProjectData v = w.Data.Project;
        if (automatic)
          v.FlybarPin += int(change);
        else
          v.InclinationAngle += change / 2;
        Graphics g = w.Graphics;
        ComputeArrayGeometry(v, g);
        std::vector<SPLPoint> points;
        QVERIFY(CalculateSPL(v, g, w.Constants, 1, 10, points));
        for (std::size_t i = 0; i < points.size(); ++i) {
          low[i] = std::min(low[i], points[i].SPL);
          high[i] = std::max(high[i], points[i].SPL);
        }
      }
      QVERIFY2(curve.Low == low && curve.High == high, automatic ? "pins" : "inclination");
      QVERIFY(std::count_if(low.begin(), low.end(), [&, i = 0](float l) mutable {
                return l < high[i++] - 0.5f;
              }) > 10);  // a band, not a line
    }
  }

  void theRiggingTableIsTheGeometryAndCopiesAndPrints() {
    LineArray_frm& w = Open();
    Pick(List("Angle_cbx(3)"), 1);
    Trigger("RiggingTable_men");
    auto* rigging = Find<Rigging_frm>("Rigging_frm");
    QVERIFY(rigging->isVisible());
    const auto* grid = Find<QTableWidget>("Rigging_tbl");
    QCOMPARE(grid->rowCount(), w.Data.Project.BoxesAmount);
    int landed = 0;
    for (int b = 0; b < w.Data.Project.BoxesAmount; ++b) {
      const BoxGeometry& box = w.Graphics.BoxGeom[b];
      const auto cell = [&](int c) { return grid->item(b, c)->text(); };
      QCOMPARE(cell(1), b == 0 ? QString() : QString::number(w.Data.Project.BoxAngle[b - 1]));
      QCOMPARE(cell(2).toDouble(),
               Shown2(std::atan2(box.Ray.Y, box.Ray.X) * 180 / std::numbers::pi));
      QCOMPARE(cell(3).toDouble(), Shown2(box.TopFront.Y));
      const PlaneVector end = AddVectors(box.Source, box.Ray);
      if (box.AimedArea == 0) {
        QCOMPARE(cell(4), QStringLiteral("none"));
        continue;
      }
      // The ray ends on the slope it names, as far from its start as the table says.
      const AreaGeometry& area = w.Graphics.AreaGeom[box.AimedArea - 1];
      const PlaneVector along = SubtractVectors(end, area.Start);
      QVERIFY(qAbs(along.X * area.Direction.Y - along.Y * area.Direction.X) < 1e-3);
      QCOMPARE(cell(5).toDouble(), Shown2(std::hypot(along.X, along.Y)));
      ++landed;
    }
    QVERIFY(landed >= 8);
    const BoxGeometry& last = w.Graphics.BoxGeom[w.Data.Project.BoxesAmount - 1];
    QVERIFY(
        Find<QLabel>("RiggingLowest_lbl")
            ->text()
            .contains(QString::number(Shown2(std::min(last.BottomFront.Y, last.BottomBack.Y)))));
    // It follows the design, copies as text and saves as a PDF.
    Pick(List("BoxesAmount_cbx"), 4);
    QCOMPARE(grid->rowCount(), 6);
    Click("RiggingCopy_cbt");
    const QStringList lines = QGuiApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 1 + 1 + 6 + 1);
    QVERIFY(lines[1].startsWith(QStringLiteral("Box\tSplay")));
    dialogs_->Files.push_back(ScriptedDialogs::Chosen(Path(QStringLiteral("rig.pdf"))));
    Click("RiggingPdf_cbt");
    QFile pdf(Path(QStringLiteral("rig.pdf")));
    QVERIFY(pdf.open(QIODevice::ReadOnly) && pdf.read(4) == "%PDF");
  }

  void theOptimiserFindsWhatASearchFindsAndAppliesItAsOneStep() {
    LineArray_frm& w = Open();
    Pick(List("BoxesAmount_cbx"), 4);  // six boxes: 18 hangings of 32 splay sets
    const ProjectData before = w.Data.Project;
    Trigger("Optimise_men");
    auto* form = Find<Optimise_frm>("Optimise_frm");
    QVERIFY(form->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!form->Busy(), 60000);
    const SplayResult& result = form->Result();
    QVERIFY(result.Found);
    const SplayResult direct = OptimiseSplay(before, w.Graphics, w.Constants, SplaySearch{});
    QCOMPARE(result.Best, direct.Best);
    QCOMPARE(result.Designs, 18LL << 5);
    const auto* table = Find<QTableWidget>("OptimiseResult_tbl");
    QCOMPARE(table->item(4, 1)->text().toDouble(), Shown2(direct.BestScore.Spread));
    QCOMPARE(table->item(4, 0)->text().toDouble(), Shown2(direct.CurrentScore.Spread));
    QVERIFY(direct.BestScore.Spread < direct.CurrentScore.Spread);
    // Applied as one step: the window's design is the best one; undone, the one before.
    Click("OptimiseApply_cbt");
    QCOMPARE(w.Data.Project.BoxAngle, direct.Best.BoxAngle);
    QCOMPARE(w.Data.Project.FlybarPin, direct.Best.FlybarPin);
    QCOMPARE(Shown("Angle_cbx(0)"), QString::number(direct.Best.BoxAngle[0]) + QStringLiteral("°"));
    QVERIFY(w.isWindowModified());
    QCOMPARE(Find<QAction>("Undo_men")->text().remove('&'),
             QStringLiteral("Undo Optimised Splay Angles"));
    QVERIFY(!Find<QPushButton>("OptimiseApply_cbt")->isEnabled());
    Trigger("Undo_men");
    QVERIFY(!DiffersByUser(w.Data.Project, before) && !DiffersByUser(before, w.Data.Project));
    // A result for another design cannot be applied.
    QVERIFY(!Find<QPushButton>("OptimiseApply_cbt")->isEnabled());
    // A long search shows its progress after a moment and stops on Cancel.
    Pick(List("BoxesAmount_cbx"), 10);
    Pick(Find<QComboBox>("OptimiseBand_cbx"), BroadbandEntry);
    QVERIFY(form->Busy());
    QTRY_VERIFY(Find<QPushButton>("OptimiseCancel_cbt")->isVisible());
    Click("OptimiseCancel_cbt");
    QVERIFY(!form->Busy() && form->Result().Cancelled);
    QVERIFY(!Find<QPushButton>("OptimiseApply_cbt")->isEnabled());
    QCOMPARE(Find<QLabel>("OptimiseStatus_lbl")->text(), QStringLiteral("Cancelled."));
  }

  void theOptimiserOnTheCommandLinePrintsAndWritesTheBestDesign() {
    const QString file = QStringLiteral(TARNWICK_SOURCE_DIR "/tests/data/small.qvd");
    const QString out = Path(QStringLiteral("best.qvd"));
    QProcess program;
    program.start(QStringLiteral(TARNWICK_PROGRAM),
                  {QStringLiteral("--optimise"), file, QStringLiteral("--band"),
                   QStringLiteral("2kHz"), QStringLiteral("--out"), out});
    QVERIFY(program.waitForFinished(60000));
    QCOMPARE(program.exitCode(), 0);
    QMap<QString, QStringList> rows;
    for (const QString& row :
         QString::fromUtf8(program.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts)) {
      QStringList cells = row.split(',');
      rows[cells.takeFirst()] = cells;
    }
    QCOMPARE(rows["band"], QStringList{QStringLiteral("2 kHz")});
    // What it wrote is what it printed, and opened, it is as even as it said.
    LineArray_frm& w = Open(QSize(), false);
    QVERIFY(w.OpenFile(out));
    const ProjectData& p = w.Data.Project;
    QCOMPARE(rows["splay_deg"].size(), p.BoxesAmount - 1);
    for (int j = 0; j < p.BoxesAmount - 1; ++j)
      QCOMPARE(rows["splay_deg"][j].toFloat(), p.BoxAngle[j]);
    QCOMPARE(rows["inclination_deg"][0].toDouble(), Shown2(p.InclinationAngle));
    SplaySearch search;
    search.Entry = LevelEntryFromName("2kHz");
    const Evenness after = MeasureDesign(p, w.Graphics, w.Constants, search);
    QCOMPARE(rows["spread_after_db"][0].toDouble(), Shown2(after.Spread));
    QVERIFY(rows["spread_after_db"][0].toDouble() <= rows["spread_before_db"][0].toDouble());
  }
};

QTEST_MAIN(TestLineArrayForm)
#include "test_line_array_form.moc"
