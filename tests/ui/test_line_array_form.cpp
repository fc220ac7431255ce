// The main window as a user meets it: layout, controls, typed numbers, file commands,
// menus, presets, and moving an area with the mouse.
#include <QtTest>
#include <QtWidgets>
#include <cmath>
#include <memory>
#include <utility>

#include "../support/ScriptedDialogs.h"
#include "ui/LineArrayForm.h"
#include "ui/Twips.h"
#include "views/DrawingSurface.h"
#include "views/LineElement.h"

using namespace tarnwick;
using Answer = UserDialogs::Answer;
using Dlg = ScriptedDialogs;

namespace {

int Right(const QWidget* w) { return w->x() + w->width(); }
// The window's outer size in pixels, frame included.
QSize OuterSize(const LineArray_frm& w) { return w.OuterSizeTwips() / TwipsPerPixel; }
// Rounded to the two decimals the text boxes show.
double Shown2(double v) { return std::nearbyint(v * 100) / 100; }

QByteArray Contents(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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

}  // namespace

class TestLineArrayForm : public QObject {
  Q_OBJECT

  std::unique_ptr<LineArray_frm> window_;
  ScriptedDialogs* dialogs_ = nullptr;
  std::unique_ptr<QTemporaryDir> dir_;

  // A shown and active window of the given size (or as designed) asking scripted dialogs.
  LineArray_frm& Open(QSize size = {}) {
    window_ = std::make_unique<LineArray_frm>();
    auto dialogs = std::make_unique<ScriptedDialogs>();
    dialogs_ = dialogs.get();
    window_->SetDialogs(std::move(dialogs));
    if (size.isValid()) window_->resize(size);
    window_->show();
    QApplication::setActiveWindow(window_.get());
    if (!QTest::qWaitForWindowActive(window_.get())) qFatal("window not active");
    return *window_;
  }
  template <typename T = QWidget>
  T* Find(const QString& name) const {
    T* found = window_->findChild<T*>(name);
    if (found == nullptr) qFatal("missing %s", qPrintable(name));
    return found;
  }
  QLineEdit* Box(const QString& name) const { return Find<QLineEdit>(name); }
  QComboBox* List(const QString& name) const { return Find<QComboBox>(name); }
  // What text boxes or lists show, joined by '|'.
  QString Shown(const QStringList& names) const {
    QStringList texts;
    for (const QString& name : names)
      if (auto* box = window_->findChild<QLineEdit*>(name))
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
  // The names of the first n rows of an indexed control, such as "Angle_cbx(%1)".
  static QStringList Rows(const char* pattern, int n) {
    QStringList names;
    for (int i = 0; i < n; ++i) names << QString::fromLatin1(pattern).arg(i);
    return names;
  }
  void Trigger(const char* action) const { Find<QAction>(action)->trigger(); }
  void Click(const char* button) const {
    QTest::mouseClick(Find<QPushButton>(button), Qt::LeftButton);
  }
  QString ButtonText(const char* button) const { return Find<QPushButton>(button)->text(); }
  QString Path(const QString& name) const { return dir_->filePath(name); }
  QStringList Files() const { return QDir(dir_->path()).entryList(QDir::Files); }
  // Leaves the box being typed in by moving the focus to another control.
  void Leave() const {
    QLineEdit* other = Box("Author_tbx");
    other->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(other->hasFocus());
  }

  // Widget pixel of a scene point in the side view, and back.
  QPoint Pixel(double x, double y) const {
    const DrawingSurface* side = window_->MainView_pbx;
    return (side->ToPixels(x, y) + side->contentsRect().topLeft()).toPoint();
  }
  QPoint Pixel(QPointF p) const { return Pixel(p.x(), p.y()); }
  QPointF SceneAt(QPoint pixel) const {
    const DrawingSurface* side = window_->MainView_pbx;
    return side->ToUser(QPointF(pixel) - side->contentsRect().topLeft());
  }
  // A point `above` metres above area i's slope at scene x.
  QPoint AboveSlope(int i, double x, double above) const {
    const AreaGeometry& a = window_->Graphics.AreaGeom[i];
    return Pixel(x, a.Start.Y + (x - a.Start.X) / a.Direction.X * a.Direction.Y + above);
  }
  void MoveHeld(QPoint to, Qt::MouseButtons held) const {
    QMouseEvent move(QEvent::MouseMove, to, window_->MainView_pbx->mapToGlobal(to), Qt::NoButton,
                     held, Qt::NoModifier);
    QApplication::sendEvent(window_->MainView_pbx, &move);
  }
  void Press(QPoint at, Qt::MouseButton button = Qt::LeftButton) const {
    QTest::mousePress(window_->MainView_pbx, button, {}, at);
  }
  void Release(QPoint at, Qt::MouseButton button = Qt::LeftButton) const {
    QTest::mouseRelease(window_->MainView_pbx, button, {}, at);
  }

 private slots:
  void init() {
    QLocale::setDefault(QLocale::c());
    dir_ = std::make_unique<QTemporaryDir>();
  }
  void cleanup() {
    window_.reset();
    dir_.reset();
    QLocale::setDefault(QLocale::c());
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
  }

  void startUpShowsTheDefaultProject() {
    LineArray_frm& w = Open();
    QCOMPARE(w.windowTitle(), QStringLiteral("Quenvar Tarnwick"));
    // At least the designed client area; the outer size is the minimum of 800 x 600 pixels
    // whatever the frame, centred on the screen.
    QVERIFY(w.centralWidget()->width() >= 792 && w.centralWidget()->height() >= 551);
    QCOMPARE(OuterSize(w), QSize(800, 600));
    const QPoint offCentre = w.frameGeometry().center() - w.screen()->availableGeometry().center();
    QVERIFY(qAbs(offCentre.x()) <= 1 && qAbs(offCentre.y()) <= 1);
    QCOMPARE(ButtonText("ShowAreaSettings_cbt"), QStringLiteral("Show Setup"));
    QCOMPARE(w.palette().color(QPalette::Window), QColor(224, 224, 224));
    QVERIFY(Find("Label3")->font().families().contains("Comic Sans MS"));
    QVERIFY(!Find("BoxesAmount_cbx")->font().families().contains("Comic Sans MS"));
    QVERIFY(Find("Area_lbl(0)")->font().bold());
    QVERIFY(Find<QAction>("FixedHeight_men")->isCheckable());
    QVERIFY(!Find<QAction>("FixedHeight_men")->isChecked());
    // The zoom toggle hides the picture without moving it.
    const QRect place = w.ZoomView_pbx->geometry();
    Trigger("ShowZoom_men");
    QVERIFY(!w.ZoomView_pbx->isVisible());
    Trigger("ShowZoom_men");
    QVERIFY(w.ZoomView_pbx->isVisible() && w.ZoomView_pbx->geometry() == place);

    // The start-up redraw replaced the stored inclination 5.29 with the hanging angle.
    QCOMPARE(
        Shown({"Project_tbx", "Author_tbx", "Units_cbx", "AreasAmount_cbx", "BoxesAmount_cbx",
               "FloorDistance_tbx", "FlybarMounting_cbx", "FlybarPin_cbx", "InclinationAngle_tbx"}),
        QStringLiteral("Your Project|Your Name|Metres|3|12|5|Downtilt|2|3"));
    QCOMPARE(Shown(Rows("AreaDistance_tbx(%1)", 3) + Rows("AreaLength_tbx(%1)", 3) +
                   Rows("AreaHeight1_tbx(%1)", 3) + Rows("AreaHeight2_tbx(%1)", 3)),
             QStringLiteral("1|12|23|10|10|4|0|0.8|1.9|1|2|3.5"));
    QCOMPARE(Shown(Rows("Angle_cbx(%1)", 11)), QStringLiteral("0°|5°|0°|0°|0°|0°|5°|5°|5°|5°|5°"));
    QCOMPARE(Shown(Rows("Attenuation_cbx(%1)", 12)), QStringLiteral("0dB|").repeated(11) + "0dB");
    QVERIFY(Find<QCheckBox>("AutomaticInclCalc_chk")->isChecked());
    QVERIFY(Box("InclinationAngle_tbx")->isReadOnly());
    QVERIFY(qAbs(w.Data.Project.InclinationAngle - 3.0f) < 0.001f);
    QCOMPARE(QSize(List("BoxesAmount_cbx")->count(), List("FlybarPin_cbx")->count()), QSize(11, 9));
  }

  void sideViewFillsTheWidthWithBothPanelsCollapsedAboveTheMinimumSize() {
    LineArray_frm& w = Open(QSize(1000, 700));
    const DrawingSurface* side = w.MainView_pbx;
    QCOMPARE(side->width(), OuterSize(w).width() - 12);  // W - 180 twips
    QCOMPARE(side->x(), 2);                              // Left 30
    QCOMPARE(side->height(), TwipsToPixels(OuterSize(w).height() * TwipsPerPixel - 2350));
    QCOMPARE(Right(Find("AreaFrame")), Right(side));
    QCOMPARE(Find("ProjectFrame")->width(),
             TwipsToPixels(OuterSize(w).width() * TwipsPerPixel - (1755 + 2565 + 270)));
    const QRect before = side->geometry();
    w.Form_Resize();
    QCOMPARE(side->geometry(), before);  // laying out again changes nothing
    // The window never shrinks below its minimum; larger sizes stand as the user made them.
    w.resize(500, 300);
    QTRY_COMPARE(OuterSize(w), QSize(800, 600));
    w.resize(900, 640);
    QTRY_COMPARE(w.size(), QSize(900, 640));
    QCOMPARE(side->width(), OuterSize(w).width() - 12);
  }

  void expandingTheArrayPanelMovesTheSideViewsLeftEdge() {
    LineArray_frm& w = Open(QSize(1000, 700));
    DrawingSurface* side = w.MainView_pbx;
    const int right = Right(side);
    Click("ShowArraySettings_cbt");
    QVERIFY(w.BArraySettingsActive);
    QCOMPARE(ButtonText("ShowArraySettings_cbt"), QStringLiteral("Hide Setup"));
    QCOMPARE(side->x() * TwipsPerPixel, 2610);
    QCOMPARE(Right(side), right);
    QCOMPARE(Find("ArrayFrame")->height() * TwipsPerPixel, 8175);
    QCOMPARE(w.Graph_pbx->x(), side->x());
    QCOMPARE(w.Graph_pbx->width(), side->width());
    w.resize(1100, 760);  // a resize keeps the panel's room
    QTRY_COMPARE(side->width(), OuterSize(w).width() - 12 - 171);
    QCOMPARE(side->x() * TwipsPerPixel, 2610);

    Click("ShowArraySettings_cbt");
    QCOMPARE(ButtonText("ShowArraySettings_cbt"), QStringLiteral("Show Setup"));
    QCOMPARE(side->x(), 2);
    // The toggle gives back 2580 twips, 15 more than the panel's width, until the next
    // resize recomputes the width.
    QCOMPARE(side->width(), OuterSize(w).width() - 12 + 1);
    w.Form_Resize();
    QCOMPARE(side->width(), OuterSize(w).width() - 12);
    QCOMPARE(Find("ArrayFrame")->height() * TwipsPerPixel, 1485);
  }

  void expandingTheAreaPanelNarrowsTheSideViewUntilTheNextResize() {
    LineArray_frm& w = Open(QSize(1000, 700));
    DrawingSurface* side = w.MainView_pbx;
    QWidget* panel = Find("AreaFrame");
    const int width = side->width(), panelLeft = panel->x();
    Click("ShowAreaSettings_cbt");
    QVERIFY(w.BAreaSettingsActive);
    QCOMPARE(side->width(), width - 118);   // 1770 twips
    QCOMPARE(panel->x(), panelLeft);        // the panel stays put,
    QCOMPARE(panel->x() - Right(side), 1);  // 15 twips right of the side view
    QCOMPARE(panel->height() * TwipsPerPixel, 8175);
    w.Form_Resize();
    QCOMPARE(side->width(), width - 117);  // the next layout closes the gap
    QCOMPARE(panel->x(), Right(side));
    w.resize(1000, 900);  // expanded panels keep their height in a taller window
    QTRY_VERIFY(side->height() > 600);
    QCOMPARE(panel->height() * TwipsPerPixel, 8175);
  }

  void rowsFollowTheNumbersOfBoxesAndAreasAndKeepTheirValues() {
    LineArray_frm& w = Open();
    Click("ShowArraySettings_cbt");
    Pick(List("Attenuation_cbx(9)"), 13);  // box 10 off
    Pick(List("Angle_cbx(8)"), 0);
    Pick(List("BoxesAmount_cbx"), 0);  // two boxes
    QCOMPARE(Visible(Rows("Angle_lbl(%1)", 12) + Rows("Attenuation_cbx(%1)", 12)),
             QStringLiteral("110000000000110000000000"));
    QCOMPARE(Visible(Rows("Angle_cbx(%1)", 11) << "InclinationAngle_tbx"),
             QStringLiteral("100000000001"));
    QCOMPARE(w.Data.Project.BoxesAmount, 2);
    Pick(List("BoxesAmount_cbx"), 2);  // four boxes
    QCOMPARE(Visible(Rows("Angle_cbx(%1)", 11)), QStringLiteral("11100000000"));
    Pick(List("BoxesAmount_cbx"), 10);  // twelve again: the hidden rows kept their settings
    QCOMPARE(Visible(Rows("Attenuation_cbx(%1)", 12)), QStringLiteral("111111111111"));
    QCOMPARE(Shown("Attenuation_cbx(9)"), QStringLiteral("99dB"));
    const ProjectData& p = w.Data.Project;
    QCOMPARE((QList<float>{p.BoxAttenuation[9], p.BoxAngle[8], p.BoxAngle[9]}),
             (QList<float>{99, 0, 5}));

    Click("ShowArraySettings_cbt");
    Click("ShowAreaSettings_cbt");
    const QStringList blocks = Rows("Area_lbl(%1)", 3) + Rows("AreaHeight2_lbl(%1)", 3) +
                               Rows("AreaDistance_tbx(%1)", 3) + Rows("AreaLength_tbx(%1)", 3);
    Pick(List("AreasAmount_cbx"), 0);
    QCOMPARE(Visible(blocks), QStringLiteral("100100100100"));
    QCOMPARE(w.Data.Project.AreasAmount, 1);
    QCOMPARE(w.Graphics.SceneWidth, 12.0f);  // only area 1 is drawn
    Pick(List("AreasAmount_cbx"), 1);
    QCOMPARE(Visible(blocks), QStringLiteral("110110110110"));
    Pick(List("AreasAmount_cbx"), 2);
    QCOMPARE(Shown("AreaDistance_tbx(2)"), QStringLiteral("23"));
    QCOMPARE(w.Graphics.SceneWidth, 28.0f);
  }

  void inclinationFollowsThePinUntilTypedByHandAndListsWaitForTheNextRedraw() {
    LineArray_frm& w = Open();
    Click("ShowArraySettings_cbt");
    auto* automatic = Find<QCheckBox>("AutomaticInclCalc_chk");
    QLineEdit* inclination = Box("InclinationAngle_tbx");
    Pick(List("FlybarMounting_cbx"), 1);  // uptilt
    Pick(List("FlybarPin_cbx"), 3);       // pin 4
    QCOMPARE(inclination->text(), QStringLiteral("6.19"));
    QCOMPARE(QPoint(w.Data.Project.FlybarMounting, w.Data.Project.FlybarPin), QPoint(1, 4));
    QTest::mouseClick(automatic, Qt::LeftButton);
    QVERIFY(!automatic->isChecked() && !inclination->isReadOnly());
    Pick(List("FlybarPin_cbx"), 0);  // no longer recomputed
    QCOMPARE(inclination->text(), QStringLiteral("6.19"));
    inclination->setText(QStringLiteral("7,5"));
    w.RedrawAll();
    QCOMPARE(w.Data.Project.InclinationAngle, 7.5f);
    QCOMPARE(inclination->text(), QStringLiteral("7,5"));
    QTest::mouseClick(automatic, Qt::LeftButton);
    QVERIFY(inclination->isReadOnly());
    QCOMPARE(inclination->text(), QStringLiteral("3.8"));
    // An attenuation is read, and drawn, only by the next redraw.
    const QImage before = w.MainView_pbx->Image();
    Pick(List("Attenuation_cbx(3)"), 6);
    QCOMPARE(w.Data.Project.BoxAttenuation[3], 0.0f);
    QCOMPARE(w.MainView_pbx->Image(), before);
    Pick(List("FlybarPin_cbx"), 4);
    QCOMPARE(w.Data.Project.BoxAttenuation[3], 6.0f);
    QVERIFY(w.MainView_pbx->Image() != before);
  }

  void transfersTouchOnlyTheRowsInUse() {
    LineArray_frm& w = Open();
    ProjectData& p = w.Data.Project;
    p.BoxesAmount = 2;
    p.AreasAmount = 1;
    p.BoxAngle[0] = p.BoxAngle[1] = 0;  // joint 1 is not in use: its list keeps "5°"
    p.BoxAttenuation[0] = 7.5f;         // without an entry: shown as "0dB"
    p.BoxAttenuation[1] = 99;
    p.BoxAttenuation[2] = 4;
    p.AreaLength[1] = 77;
    p.Units = "Yards";  // anything but "Feet" means metres
    QVERIFY(w.WriteControls());
    QCOMPARE(Shown(Rows("Attenuation_cbx(%1)", 3) +
                   QStringList{"Angle_cbx(1)", "AreaLength_tbx(1)", "Units_cbx"}),
             QStringLiteral("0dB|99dB|0dB|5°|10|Metres"));
    List("Attenuation_cbx(5)")->setCurrentIndex(7);
    List("Angle_cbx(4)")->setCurrentIndex(1);
    Box("AreaLength_tbx(2)")->setText("99");
    Box("FloorDistance_tbx")->setText("1e39");  // beyond single precision: stored as 0
    w.ReadControls();
    QCOMPARE((QList<float>{p.FloorDistance, p.BoxAttenuation[1], p.BoxAttenuation[5], p.BoxAngle[4],
                           p.AreaLength[1], p.AreaLength[2]}),
             (QList<float>{0, 99, 0, 0, 77, 4}));
  }

  void writeControlsStopsSafelyAtValuesWithoutEntry() {
    LineArray_frm& w = Open();
    const std::pair<const char*, void (*)(ProjectData&)> cases[] = {
        {"areas 0", [](ProjectData& p) { p.AreasAmount = 0; }},
        {"areas 4", [](ProjectData& p) { p.AreasAmount = 4; }},
        {"boxes 40", [](ProjectData& p) { p.BoxesAmount = 40; }},
        {"boxes 1", [](ProjectData& p) { p.BoxesAmount = 1; }},
        {"pin 12", [](ProjectData& p) { p.FlybarPin = 12; }},
        {"angle 10", [](ProjectData& p) { p.BoxAngle[2] = 10; }},
        {"angle NaN", [](ProjectData& p) { p.BoxAngle[2] = NAN; }},
        {"automatic 2", [](ProjectData& p) { p.AutomaticInclCalc = 2; }}};
    for (const auto& [name, spoil] : cases) {
      w.Data.Project = w.Data.DefaultProject;
      QVERIFY(w.WriteControls());
      w.Data.Project.ProjectTitle = "Spoilt";
      spoil(w.Data.Project);
      QVERIFY2(!w.WriteControls() && !w.ControlsUpdating, name);
      QCOMPARE(Shown("Project_tbx"), QStringLiteral("Spoilt"));  // written before the bad value
    }
    w.Data.Project = w.Data.DefaultProject;
    w.Data.Project.BoxAngle[2] = 7.4f;  // its fifth rounds to 1: it has an entry
    QVERIFY(w.WriteControls());
    QCOMPARE(List("Angle_cbx(2)")->currentIndex(), 1);
  }

  void typedNumbersAreReadAndTidiedOnLeavingAndReadOnEnter() {
    LineArray_frm& w = Open(QSize(900, 650));
    QImage before = w.MainView_pbx->Image();
    TypeInto(Box("AreaLength_tbx(1)"), "2,5");
    QCOMPARE(w.Data.Project.AreaLength[1], 10.0f);  // not read yet
    Leave();
    QCOMPARE(Shown("AreaLength_tbx(1)"), QStringLiteral("2.5"));
    QCOMPARE(w.Data.Project.AreaLength[1], 2.5f);
    QVERIFY(w.MainView_pbx->Image() != before);
    for (const auto& [typed, shown] :
         {std::pair{"abc", "0"}, {" 1 000 ", "1000"}, {"-2,345", "-2.35"}}) {
      TypeInto(Box("FloorDistance_tbx"), typed);
      Leave();
      QCOMPARE(Shown("FloorDistance_tbx"), QString::fromLatin1(shown));
    }
    QCOMPARE(w.Data.Project.FloorDistance, -2.35f);  // the tidied text is read
    // Enter reads and redraws without tidying; other keys do neither.
    Find<QCheckBox>("AutomaticInclCalc_chk")->setChecked(false);
    before = w.MainView_pbx->Image();
    QLineEdit* inclination = Box("InclinationAngle_tbx");
    TypeInto(inclination, "12.345");
    QTest::keyClick(inclination, Qt::Key_Return);
    QCOMPARE(inclination->text(), QStringLiteral("12.345"));
    QCOMPARE(w.Data.Project.InclinationAngle, 12.345f);
    QVERIFY(w.MainView_pbx->Image() != before);
    QTest::keyClicks(inclination, "6");
    QCOMPARE(w.Data.Project.InclinationAngle, 12.345f);
  }

  void switchingUnitsConvertsTheLengthsShownEvenAnEditNotYetRead() {
    LineArray_frm& w = Open(QSize(900, 650));
    List("AreasAmount_cbx")->setCurrentIndex(1);  // two areas
    Box("AreaLength_tbx(2)")->setText("4");
    Box("AreaDistance_tbx(0)")->setText("20");
    const QImage before = w.MainView_pbx->Image();
    List("Units_cbx")->setCurrentIndex(0);  // Feet
    // The row not in use and the angle stay as they were.
    QCOMPARE(Shown({"AreaLength_tbx(0)", "AreaDistance_tbx(0)", "AreaDistance_tbx(1)",
                    "FloorDistance_tbx", "AreaLength_tbx(2)", "InclinationAngle_tbx"}),
             QStringLiteral("32.81|65.62|39.37|16.4|4|3"));
    QCOMPARE(w.MainView_pbx->Image(), before);  // the model still holds metres
    w.RedrawAll();
    QCOMPARE(w.Data.Project.FloorDistance, float(16.4 * 0.30479f));
    QCOMPARE(w.Data.Project.AreaLength[0], float(32.81 * 0.30479f));
    QVERIFY(qAbs(w.Data.Project.AreaDistance[0] - 20.0f) < 0.002f);
    List("Units_cbx")->setCurrentIndex(1);  // Metres
    QCOMPARE(Shown({"AreaLength_tbx(0)", "FloorDistance_tbx"}), QStringLiteral("10|5"));
  }

  void theUsersDecimalCommaIsShownAndRead() {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    LineArray_frm& w = Open(QSize(900, 650));
    QCOMPARE(Shown("AreaHeight1_tbx(1)"), QStringLiteral("0,8"));
    TypeInto(Box("AreaLength_tbx(1)"), "2.5");
    Leave();
    QCOMPARE(Shown("AreaLength_tbx(1)"), QStringLiteral("2,5"));
    QCOMPARE(w.Data.Project.AreaLength[1], 2.5f);
    List("Units_cbx")->setCurrentIndex(0);  // Feet
    QCOMPARE(Shown("FloorDistance_tbx"), QStringLiteral("16,4"));
    w.ReadControls();
    QCOMPARE(w.Data.Project.FloorDistance, float(16.4 * 0.30479f));
  }

  void firstSaveProposesTheCleanTitleAndFailuresWriteNothing() {
    LineArray_frm& w = Open();
    Box("Project_tbx")->setText("Arena: Main/Stage?");
    dialogs_->Files.push_back(Dlg::Chosen(Path("Arena.qvd")));
    Trigger("Save_men");
    QCOMPARE(dialogs_->Log, QStringList{"save"});
    const FileDialogSetup& setup = dialogs_->LastSetup;
    QCOMPARE(setup.FileName, QStringLiteral("Arena MainStage"));
    QCOMPARE(setup.Title, QStringLiteral("Save *.qvd to..."));
    QCOMPARE(setup.Filter, QStringLiteral("Quenvar Line Array Data (*.qvd)"));
    QCOMPARE(setup.DefaultExtension, QStringLiteral("qvd"));
    QVERIFY(setup.Folder.endsWith(QStringLiteral("/Projects")) && QDir(setup.Folder).exists());
    QCOMPARE(w.windowTitle(), QStringLiteral("Quenvar Tarnwick  -  Arena.qvd"));
    const QByteArray saved = Contents(Path("Arena.qvd"));
    QCOMPARE(saved.size(), 237 - 12 + 18);
    QVERIFY(saved.contains("Arena: Main/Stage?"));
    // A second save writes at once, with the controls read first.
    Box("Author_tbx")->setText("Mo");
    Trigger("Save_men");
    QCOMPARE(dialogs_->Log.size(), 1);
    QVERIFY(Contents(Path("Arena.qvd")).contains("Mo"));
    // Save As cancelled or failing writes nothing and keeps the file name.
    dialogs_->Log.clear();
    dialogs_->Files = {Dlg::Cancelled(), Dlg::Failed(), Dlg::Chosen(Path("missing/x.qvd"))};
    for (int i = 0; i < 3; ++i) Trigger("SaveAs_men");
    QCOMPARE(dialogs_->Log,
             (QStringList{"save", "save", "tell File Error: Error while attempting to open file!",
                          "save", "tell Save Error: Error while trying to save file! [critical]"}));
    QCOMPARE(w.windowTitle(), QStringLiteral("Quenvar Tarnwick  -  Arena.qvd"));
    QCOMPARE(QDir(dir_->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList{"Arena.qvd"});
  }

  void openLoadsAllOrNothing() {
    LineArray_frm& w = Open();
    List("BoxesAmount_cbx")->setCurrentIndex(0);  // a file to open: two boxes, feet
    List("Units_cbx")->setCurrentIndex(0);
    dialogs_->Files.push_back(Dlg::Chosen(Path("two.qvd")));
    Trigger("SaveAs_men");
    dialogs_->Answers.push_back(Answer::No);
    Trigger("New_men");
    QCOMPARE(w.windowTitle(), QStringLiteral("Quenvar Tarnwick"));
    QCOMPARE(Shown("BoxesAmount_cbx"), QStringLiteral("12"));
    // A file cut short, and one that is no project file, change nothing, not even the caption.
    for (const auto& [name, bytes] : {std::pair{"bad.qvd", Contents(Path("two.qvd")).left(100)},
                                      {"notes.qvd", QByteArray("just some text, not a project")}}) {
      QFile file(Path(name));
      QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }
    const ProjectData before = w.Data.Project;
    dialogs_->Log.clear();
    dialogs_->Files = {Dlg::Chosen(Path("bad.qvd")), Dlg::Chosen(Path("notes.qvd"))};
    Trigger("Open_men");
    Trigger("Open_men");
    QCOMPARE(
        dialogs_->Log,
        (QStringList{"open", "tell Load Error: Error while trying to load file! [critical]", "open",
                     "tell File structure Error: Wrong or unknown file structure.Please try "
                     "another file! [critical]"}));
    QCOMPARE(w.Data.Project, before);
    QCOMPARE(w.windowTitle(), QStringLiteral("Quenvar Tarnwick"));
    QVERIFY(w.FileRW.FilePath.empty());

    dialogs_->Log.clear();
    dialogs_->Files.push_back(Dlg::Chosen(Path("two.qvd")));
    Trigger("Open_men");
    QCOMPARE(dialogs_->Log, QStringList{"open"});
    QCOMPARE(dialogs_->LastSetup.Title, QStringLiteral("Load *.qvd file"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Quenvar Tarnwick  -  two.qvd"));
    QCOMPARE(Shown({"BoxesAmount_cbx", "Units_cbx", "FloorDistance_tbx"}),
             QStringLiteral("2|Feet|16.4"));
  }

  void newAndCloseAskAndKeepTheProjectWhenTheSaveDoesNotHappen() {
    LineArray_frm& w = Open();
    Box("Project_tbx")->setText("Keep me");
    dialogs_->Answers = {Answer::Cancel, Answer::Yes};
    dialogs_->Files.push_back(Dlg::Cancelled());
    Trigger("New_men");
    Trigger("New_men");
    QCOMPARE(Shown("Project_tbx"), QStringLiteral("Keep me"));
    // Yes saves what the controls show, edits not yet redrawn included.
    dialogs_->Answers = {Answer::Yes};
    dialogs_->Files.push_back(Dlg::Chosen(Path("kept.qvd")));
    Trigger("New_men");
    QVERIFY(Contents(Path("kept.qvd")).contains("Keep me"));
    QCOMPARE(Shown("Project_tbx"), QStringLiteral("Your Project"));
    QCOMPARE(w.Data.Project.ProjectTitle, std::string("Your Project"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Quenvar Tarnwick"));
    QVERIFY(!dialogs_->Log.contains("unscripted question"));
    // Closing asks every time.
    dialogs_->Log.clear();
    dialogs_->Answers = {Answer::Cancel, Answer::Yes};
    dialogs_->Files.push_back(Dlg::Cancelled());
    QVERIFY(!w.close());
    QVERIFY(!w.close());  // Yes, then the save dialog cancelled: the window stays
    QVERIFY(w.isVisible());
    dialogs_->Answers = {Answer::No};
    QVERIFY(w.close());
    QCOMPARE(Files(), QStringList{"kept.qvd"});
    QCOMPARE(
        dialogs_->Log.count("ask Save File?: Do you want to save your project before you quit?"),
        3);
  }

  void everyShortcutTriggersItsCommandFromATextBox() {
    LineArray_frm& w = Open();
    QLineEdit* box = Box("FloorDistance_tbx");
    box->setFocus();
    QTRY_VERIFY(box->hasFocus());
    box->deselect();
    dialogs_->Answers = {Answer::Cancel, Answer::Cancel};
    for (Qt::Key key : {Qt::Key_N, Qt::Key_O, Qt::Key_S, Qt::Key_A, Qt::Key_Q})
      QTest::keyClick(box, key, Qt::ControlModifier);
    QCOMPARE(dialogs_->Log.size(), 5);
    QVERIFY(dialogs_->Log[0].startsWith("ask Save File?: Do you want to save your data"));
    QCOMPARE(dialogs_->Log.mid(1, 3), (QStringList{"open", "save", "save"}));
    QVERIFY(dialogs_->Log[4].startsWith("ask Save File?: Do you want to save your project"));
    QVERIFY(!box->hasSelectedText());  // Ctrl+A is Save As, not select all
    QVERIFY(w.isVisible());
    QStringList captions;  // with their access keys
    for (const char* name : {"New_men", "Open_men", "Save_men", "SaveAs_men", "Exit_men",
                             "JArray_men", "Line_men", "Curved_men", "About_men", "ShowGraph_men"})
      captions << Find<QAction>(name)->text();
    QCOMPARE(captions.join('|'), QStringLiteral("&New|&Open|&Save|Save &As...|E&xit|&J-Array|"
                                                "&Line|&Curved|&About|Show &SPL Graph"));
  }

  void aboutBoxIsModalAndReused() {
    Open();
    Trigger("About_men");
    auto* about = Find<QDialog>("About_frm");
    QVERIFY(about->isVisible() && about->windowModality() == Qt::ApplicationModal);
    QTest::mouseClick(about->findChild<QPushButton*>("Ok_cbt"), Qt::LeftButton);
    QVERIFY(!about->isVisible());
    Trigger("About_men");
    QVERIFY(Find<QDialog>("About_frm") == about && about->isVisible());
    about->hide();
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
    QVERIFY(qAbs(moved.x() - 2) < 0.1 && qAbs(moved.y() - 1) < 0.1);
    const QImage before = w.MainView_pbx->Image();
    Press(press);
    auto* lower = Find<LineElement>("LowerLine");
    QVERIFY(lower->isVisible() && Find<LineElement>("RightLine")->isVisible());
    QCOMPARE(lower->From().toPoint(), start);
    // Another button held in addition does not move it; nothing is redrawn until the drop.
    for (const auto& [to, held] : {std::pair{release, Qt::MouseButtons(Qt::LeftButton)},
                                   {release + QPoint(50, 0), Qt::LeftButton | Qt::RightButton}}) {
      MoveHeld(to, held);
      QVERIFY((lower->From() - (start + release - press)).manhattanLength() <= 2);
    }
    QCOMPARE(w.MainView_pbx->Image(), before);
    Release(release);
    QVERIFY(!lower->isVisible());
    QCOMPARE(w.Graphics.DragActive, 0);
    QCOMPARE(Shown("AreaDistance_tbx(2)").toDouble(), Shown2(23 + moved.x()));
    QCOMPARE(Shown("AreaHeight1_tbx(2)").toDouble(), Shown2(1.9 + moved.y()));
    QCOMPARE(Shown("AreaHeight2_tbx(2)").toDouble(), Shown2(3.5 + moved.y()));
    QCOMPARE(Shown("AreaLength_tbx(2)"), QStringLiteral("4"));
    QCOMPARE(w.Data.Project.AreaDistance[2], float(Shown2(23 + moved.x())));
    // Dropped values appear in feet.
    List("Units_cbx")->setCurrentIndex(0);
    w.RedrawAll();
    const float distance = w.Data.Project.AreaDistance[2];
    const QPoint from = AboveSlope(2, w.Graphics.AreaGeom[2].Start.X + 1.5, 0.1);
    const QPoint to = Pixel(SceneAt(from) + QPointF(-1, 0.5));
    const double dx = SceneAt(to).x() - SceneAt(from).x();
    Press(from);
    MoveHeld(to, Qt::LeftButton);
    Release(to);
    QCOMPARE(Shown("AreaDistance_tbx(2)"),
             LineArray_frm::DecimalText(float((distance + dx) * 3.28095f)));
  }

  void onlyALeftPressOnAnAreaPicksItUp() {
    LineArray_frm& w = Open(QSize(1100, 760));
    // A right press, a left press too far above the slope, and one on nothing.
    const std::pair<QPoint, Qt::MouseButton> misses[] = {
        {AboveSlope(2, 25.5, 0.1), Qt::RightButton},
        {AboveSlope(2, 25.5, 0.45), Qt::LeftButton},
        {Pixel(8, 15), Qt::LeftButton}};
    for (const auto& [at, button] : misses) {
      Press(at, button);
      QCOMPARE(w.Graphics.DragActive, 0);
      QVERIFY(!Find<LineElement>("LeftLine")->isVisible());
      Release(at, button);
    }
    QCOMPARE(Shown("AreaDistance_tbx(2)"), QStringLiteral("23"));
  }
};

QTEST_MAIN(TestLineArrayForm)
#include "test_line_array_form.moc"
