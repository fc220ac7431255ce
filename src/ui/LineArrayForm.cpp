#include "ui/LineArrayForm.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenuBar>
#include <QPushButton>
#include <algorithm>

#include "model/NumberText.h"
#include "ui/Twips.h"
#include "views/DrawingSurface.h"
#include "views/SideView.h"

namespace tarnwick {

namespace {

QComboBox* MakeList(QWidget* parent, const QString& name) {
  auto* list = new QComboBox(parent);  // not editable: a pure list
  list->setObjectName(name);
  return list;
}

QLineEdit* MakeBox(QWidget* parent, const QString& name) {
  auto* box = new QLineEdit(parent);
  box->setObjectName(name);
  return box;
}

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& caption) {
  auto* label = new QLabel(caption, parent);
  label->setObjectName(name);
  return label;
}

template <std::size_t N>
void Fill(QComboBox* list, const std::array<std::string, N>& entries) {
  for (const auto& entry : entries) list->addItem(QString::fromStdString(entry));
}

QString Indexed(const char* name, int index) {
  return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(index);
}

}  // namespace

LineArray_frm::LineArray_frm(QWidget* parent) : QMainWindow(parent) {
  setObjectName(QStringLiteral("LineArray_frm"));
  setWindowTitle(QStringLiteral("Quenvar Tarnwick"));
  BuildControls();
  BuildMenus();
  ConnectHandlers();

  // Start-up: fill and load everything with the selection handlers silenced,
  // then draw once.
  FormLoading = true;
  InitializeForm();
  RedrawAll();
  FormLoading = false;
}

LineArray_frm::~LineArray_frm() = default;

void LineArray_frm::BuildControls() {
  auto* client = new QWidget(this);
  client->setObjectName(QStringLiteral("Client"));
  setCentralWidget(client);
  client->setMinimumSize(TwipsToPixels(11880), TwipsToPixels(8265));

  BuildArrayFrame();
  BuildProjectFrame();
  BuildAreaFrame();

  MainView_pbx = new DrawingSurface(client);
  MainView_pbx->setObjectName(QStringLiteral("MainView_pbx"));
  MainView_pbx->setToolTip(QStringLiteral(
      "Side view of your current settings. User drag'n drop to move areas with the mouse."));
  PlaceTwips(MainView_pbx, 30, 1530, 11805, 5235);

  // The zoom view sits in the side view's upper left corner, its own border
  // over the side view's.
  ZoomView_pbx = new DrawingSurface(MainView_pbx);
  ZoomView_pbx->setObjectName(QStringLiteral("ZoomView_pbx"));
  ZoomView_pbx->setToolTip(QStringLiteral("Zoomed-In view of the line array"));
  PlaceTwips(ZoomView_pbx, -30 + TwipsPerPixel, -30 + TwipsPerPixel, 2025, 4055);

  Graph_pbx = new DrawingSurface(client);
  Graph_pbx->setObjectName(QStringLiteral("Graph_pbx"));
  PlaceTwips(Graph_pbx, 30, 6780, 11805, 1455);
  Graph_pbx->hide();
}

void LineArray_frm::BuildArrayFrame() {
  ArrayFrame = new QGroupBox(QStringLiteral("Line Array Settings"), centralWidget());
  ArrayFrame->setObjectName(QStringLiteral("ArrayFrame"));
  PlaceTwips(ArrayFrame, 30, 0, 2565, 1485);
  QWidget* f = ArrayFrame;

  PlaceTwips(MakeLabel(f, QStringLiteral("Label3"), QStringLiteral("Number of Boxes")), 540, 300,
             1455, 255);
  BoxesAmount_cbx = MakeList(f, QStringLiteral("BoxesAmount_cbx"));
  PlaceTwips(BoxesAmount_cbx, 900, 600, 735, 315);
  ShowArraySettings_cbt = new QPushButton(QStringLiteral("Show Setup"), f);
  ShowArraySettings_cbt->setObjectName(QStringLiteral("ShowArraySettings_cbt"));
  PlaceTwips(ShowArraySettings_cbt, 540, 990, 1455, 315);

  PlaceTwips(MakeLabel(f, QStringLiteral("AutomaticInclCalc_lbl"),
                       QStringLiteral("Calculate inclination automatically")),
             180, 1650, 1665, 465);
  AutomaticInclCalc_chk = new QCheckBox(f);
  AutomaticInclCalc_chk->setObjectName(QStringLiteral("AutomaticInclCalc_chk"));
  PlaceTwips(AutomaticInclCalc_chk, 1920, 1710, 255, 225);
  PlaceTwips(MakeLabel(f, QStringLiteral("FloorDistance_lbl"), QStringLiteral("Distance to floor")),
             150, 2160, 1365, 255);
  FloorDistance_tbx = MakeBox(f, QStringLiteral("FloorDistance_tbx"));
  PlaceTwips(FloorDistance_tbx, 1620, 2160, 735, 315);
  PlaceTwips(MakeLabel(f, QStringLiteral("Mounting_lbl"), QStringLiteral("Flybar mounting")), 150,
             2550, 1425, 285);
  FlybarMounting_cbx = MakeList(f, QStringLiteral("FlybarMounting_cbx"));
  PlaceTwips(FlybarMounting_cbx, 1530, 2550, 945, 315);
  PlaceTwips(MakeLabel(f, QStringLiteral("PinNo_lbl"), QStringLiteral("Flybar Pin No.")), 150, 2970,
             1215, 315);
  FlybarPin_cbx = MakeList(f, QStringLiteral("FlybarPin_cbx"));
  PlaceTwips(FlybarPin_cbx, 1650, 2940, 735, 315);
  PlaceTwips(MakeLabel(f, QStringLiteral("TiltAngle_lbl"), QStringLiteral("Tilt Angle")), 720, 3330,
             765, 255);
  PlaceTwips(MakeLabel(f, QStringLiteral("Attenuation_lbl"), QStringLiteral("Attenuation Level")),
             1560, 3330, 915, 405);
  InclinationAngle_tbx = MakeBox(f, QStringLiteral("InclinationAngle_tbx"));
  PlaceTwips(InclinationAngle_tbx, 750, 3810, 735, 345);

  // Box rows are 360 twips apart; the angle lists stand half a row lower,
  // between the two boxes they join.
  for (int k = 0; k < MaxBoxes; ++k) {
    const int rowTop = k < 11 ? 3810 + 360 * k : 7740;
    Angle_lbl[k] = MakeLabel(f, Indexed("Angle_lbl", k), QStringLiteral("Box %1").arg(k + 1));
    PlaceTwips(Angle_lbl[k], 180, rowTop + 30, 600, 255);
    Attenuation_cbx[k] = MakeList(f, Indexed("Attenuation_cbx", k));
    PlaceTwips(Attenuation_cbx[k], 1650, rowTop, 735, 315);
    if (k < MaxJoints) {
      Angle_cbx[k] = MakeList(f, Indexed("Angle_cbx", k));
      PlaceTwips(Angle_cbx[k], 750, k < 10 ? rowTop + 360 : 7740, 735, 315);
    }
  }
}

void LineArray_frm::BuildProjectFrame() {
  ProjectFrame = new QGroupBox(QStringLiteral("Project Data"), centralWidget());
  ProjectFrame->setObjectName(QStringLiteral("ProjectFrame"));
  PlaceTwips(ProjectFrame, 2640, 0, 7395, 1485);
  QWidget* f = ProjectFrame;
  PlaceTwips(MakeLabel(f, QStringLiteral("Label1"), QStringLiteral("Project Title")), 420, 360, 975,
             255);
  Project_tbx = MakeBox(f, QStringLiteral("Project_tbx"));
  PlaceTwips(Project_tbx, 1620, 360, 1815, 285);
  PlaceTwips(MakeLabel(f, QStringLiteral("Label2(0)"), QStringLiteral("Author")), 420, 720, 615,
             255);
  Author_tbx = MakeBox(f, QStringLiteral("Author_tbx"));
  PlaceTwips(Author_tbx, 1620, 720, 1815, 285);
  PlaceTwips(MakeLabel(f, QStringLiteral("Label2(1)"), QStringLiteral("Units")), 420, 1050, 435,
             255);
  Units_cbx = MakeList(f, QStringLiteral("Units_cbx"));
  PlaceTwips(Units_cbx, 1620, 1050, 1335, 315);
}

void LineArray_frm::BuildAreaFrame() {
  AreaFrame = new QGroupBox(QStringLiteral("Area Settings"), centralWidget());
  AreaFrame->setObjectName(QStringLiteral("AreaFrame"));
  PlaceTwips(AreaFrame, 10080, 0, 1755, 1485);
  QWidget* f = AreaFrame;
  PlaceTwips(MakeLabel(f, QStringLiteral("Label4"), QStringLiteral("Number of Areas")), 210, 330,
             1335, 255);
  AreasAmount_cbx = MakeList(f, QStringLiteral("AreasAmount_cbx"));
  PlaceTwips(AreasAmount_cbx, 510, 630, 735, 315);
  ShowAreaSettings_cbt = new QPushButton(QStringLiteral("Show Setup"), f);
  ShowAreaSettings_cbt->setObjectName(QStringLiteral("ShowAreaSettings_cbt"));
  PlaceTwips(ShowAreaSettings_cbt, 150, 1020, 1455, 315);

  // Designed places of the three blocks (Left, Top, Width, Height in twips).
  struct Block {
    TwipsRect heading, distanceLabel, distance, lengthLabel, length, height1Label, height1,
        height2Label, height2;
  };
  static constexpr std::array<Block, MaxAreas> blocks = {{
      {{150, 1890, 615, 255},
       {150, 2190, 735, 495},
       {990, 2310, 615, 285},
       {150, 2670, 735, 255},
       {990, 2670, 615, 285},
       {150, 3030, 855, 255},
       {990, 3030, 615, 285},
       {150, 3390, 735, 255},
       {990, 3390, 615, 285}},
      {{150, 3870, 615, 255},
       {150, 4200, 735, 495},
       {990, 4320, 615, 285},
       {150, 4680, 735, 255},
       {990, 4680, 615, 285},
       {150, 5040, 735, 255},
       {990, 5040, 615, 285},
       {120, 5400, 735, 255},
       {990, 5400, 615, 285}},
      {{150, 5880, 615, 255},
       {150, 6180, 735, 495},
       {960, 6300, 615, 285},
       {150, 6660, 645, 255},
       {960, 6660, 615, 285},
       {150, 7020, 705, 255},
       {960, 7020, 615, 285},
       {150, 7380, 705, 255},
       {960, 7380, 615, 285}},
  }};
  for (int i = 0; i < MaxAreas; ++i) {
    const Block& b = blocks[i];
    Area_lbl[i] = MakeLabel(f, Indexed("Area_lbl", i), QStringLiteral("Area%1:").arg(i + 1));
    PlaceTwips(Area_lbl[i], b.heading);
    AreaDistance_lbl[i] =
        MakeLabel(f, Indexed("AreaDistance_lbl", i), QStringLiteral("Distance to Array"));
    AreaDistance_lbl[i]->setWordWrap(true);
    PlaceTwips(AreaDistance_lbl[i], b.distanceLabel);
    AreaDistance_tbx[i] = MakeBox(f, Indexed("AreaDistance_tbx", i));
    PlaceTwips(AreaDistance_tbx[i], b.distance);
    AreaLength_lbl[i] = MakeLabel(f, Indexed("AreaLength_lbl", i), QStringLiteral("Length"));
    PlaceTwips(AreaLength_lbl[i], b.lengthLabel);
    AreaLength_tbx[i] = MakeBox(f, Indexed("AreaLength_tbx", i));
    PlaceTwips(AreaLength_tbx[i], b.length);
    AreaHeight1_lbl[i] = MakeLabel(f, Indexed("AreaHeight1_lbl", i), QStringLiteral("Height 1"));
    PlaceTwips(AreaHeight1_lbl[i], b.height1Label);
    AreaHeight1_tbx[i] = MakeBox(f, Indexed("AreaHeight1_tbx", i));
    PlaceTwips(AreaHeight1_tbx[i], b.height1);
    AreaHeight2_lbl[i] = MakeLabel(f, Indexed("AreaHeight2_lbl", i), QStringLiteral("Height 2"));
    PlaceTwips(AreaHeight2_lbl[i], b.height2Label);
    AreaHeight2_tbx[i] = MakeBox(f, Indexed("AreaHeight2_tbx", i));
    PlaceTwips(AreaHeight2_tbx[i], b.height2);
  }
}

void LineArray_frm::BuildMenus() {
  QMenu* preferences = menuBar()->addMenu(QStringLiteral("&Preferences"));
  preferences->setObjectName(QStringLiteral("Preferences_men"));
  auto addCheck = [&](const char* name, const QString& caption) {
    QAction* entry = preferences->addAction(caption);
    entry->setObjectName(QLatin1String(name));
    entry->setCheckable(true);
    entry->setChecked(true);
    return entry;
  };
  FixedHeight_men = addCheck("FixedHeight_men", QStringLiteral("Set &fixed picture height"));
  ShowZoom_men = addCheck("ShowZoom_men", QStringLiteral("Show &Zoom View"));
  ShowGraph_men = addCheck("ShowGraph_men", QStringLiteral("Show &SPL Graph"));
}

void LineArray_frm::ConnectHandlers() {
  const auto changed = &QComboBox::currentIndexChanged;
  connect(BoxesAmount_cbx, changed, this, &LineArray_frm::BoxesAmount_cbx_Click);
  connect(AreasAmount_cbx, changed, this, &LineArray_frm::AreasAmount_cbx_Click);
  connect(Units_cbx, changed, this, &LineArray_frm::Units_cbx_Click);
  connect(FlybarMounting_cbx, changed, this, &LineArray_frm::RedrawIfAllowed);
  connect(FlybarPin_cbx, changed, this, &LineArray_frm::RedrawIfAllowed);
  for (QComboBox* angle : Angle_cbx) connect(angle, changed, this, &LineArray_frm::RedrawIfAllowed);
  // Attenuations have no handler: they reach the model at the next redraw.
  connect(AutomaticInclCalc_chk, &QCheckBox::toggled, this,
          &LineArray_frm::AutomaticInclCalc_chk_Click);
  connect(FixedHeight_men, &QAction::triggered, this, &LineArray_frm::FixedHeight_men_Click);
  connect(ShowZoom_men, &QAction::triggered, this, &LineArray_frm::ShowZoom_men_Click);

  for (QLineEdit* box : {FloorDistance_tbx, InclinationAngle_tbx}) box->installEventFilter(this);
  for (int i = 0; i < MaxAreas; ++i)
    for (QLineEdit* box :
         {AreaDistance_tbx[i], AreaLength_tbx[i], AreaHeight1_tbx[i], AreaHeight2_tbx[i]})
      box->installEventFilter(this);
}

void LineArray_frm::InitializeForm() {
  // 1-5. Lists, each with a first selection that WriteControls replaces.
  Fill(Units_cbx, std::array<std::string, 2>{UnitEntries[0], UnitEntries[1]});
  Units_cbx->setCurrentIndex(0);
  Fill(BoxesAmount_cbx, BoxesAmountEntries());
  BoxesAmount_cbx->setCurrentIndex(4);
  Fill(AreasAmount_cbx, AreasAmountEntries());
  AreasAmount_cbx->setCurrentIndex(0);
  for (QComboBox* angle : Angle_cbx) {
    Fill(angle, AngleEntries());
    angle->setCurrentIndex(0);
  }
  for (QComboBox* attenuation : Attenuation_cbx) {
    Fill(attenuation, AttenuationEntries());
    attenuation->setCurrentIndex(0);
  }
  // 6-8. Caption, check marks, flybar lists.
  StartCaption = windowTitle();
  AutomaticInclCalc_chk->setChecked(true);
  FixedHeight_men->setChecked(false);
  ShowGraph_men->setChecked(false);
  Fill(FlybarMounting_cbx, std::array<std::string, 2>{MountingEntries[0], MountingEntries[1]});
  FlybarMounting_cbx->setCurrentIndex(0);
  Fill(FlybarPin_cbx, FlybarPinEntries());
  FlybarPin_cbx->setCurrentIndex(0);
  // 10-13. Defaults into the model and on into the controls.
  Data.DefaultProject = MakeDefaultProject();
  Data.Project = Data.DefaultProject;
  WriteControls();
}

void LineArray_frm::NewProject() {
  Data.Project = Data.DefaultProject;
  WriteControls();
}

void LineArray_frm::RedrawAll() {
  // 1. Clear both pictures; 2. read the controls into the project.
  MainView_pbx->Cls();
  ZoomView_pbx->Cls();
  ReadControls();
  ProjectData& p = Data.Project;
  // 3. Scene extents, scales and base line.
  const QSize outer = OuterSizeTwips();
  const SceneFrame frame{FixedHeight_men->isChecked(), double(outer.width()),
                         double(outer.height())};
  ComputeSceneExtents(p, frame, Graphics);
  const bool zoomShown = ShowZoom_men->isChecked();
  DrawBackground(*MainView_pbx, *ZoomView_pbx, zoomShown, p, Graphics);
  // 4. Area slopes.
  for (int i = 0; i < std::clamp(p.AreasAmount, 0, MaxAreas); ++i) ComputeAreaSlope(p, i, Graphics);
  DrawAreas(*MainView_pbx, p, Graphics);
  // 5. The array, after the automatic inclination has been found and shown.
  if (ComputeArrayGeometry(p, Graphics))
    InclinationAngle_tbx->setText(DecimalText(p.InclinationAngle));
  DrawArray(*MainView_pbx, *ZoomView_pbx, p, Graphics);
}

QSize LineArray_frm::OuterSizeTwips() const {
  // Without a window manager there is no frame; count the one the window
  // was designed with (4 pixels a side and a 25 pixel caption), so the
  // layout is the same either way.
  QSize outer = frameGeometry().size();
  if (outer == size()) outer += QSize(8, 29);
  return outer * TwipsPerPixel;
}

void LineArray_frm::Form_Resize() {
  const QSize outer = OuterSizeTwips();
  const int W = outer.width();
  const int H = outer.height();
  MainView_pbx->resize(TwipsToPixels(W - 180),
                       TwipsToPixels(BGraphActive ? H - 2350 - 1485 : H - 2350));
  RedrawAll();
}

void LineArray_frm::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  Form_Resize();
}

void LineArray_frm::RedrawIfAllowed() {
  if (RedrawAllowed()) RedrawAll();
}

QString LineArray_frm::DecimalText(double value) {
  return QString::fromStdString(TwoDecimalText(value, QLocale().decimalPoint().toStdString()));
}

void LineArray_frm::BoxesAmount_cbx_Click() {
  // Rows beyond the count are hidden, never cleared, so raising the count
  // brings their settings back.
  const int n = BoxesAmount_cbx->currentIndex();
  for (int j = 1; j <= 10; ++j) {
    const bool visible = n < 0 || n > 9 || j <= n;
    Angle_cbx[j]->setVisible(visible);
    Angle_lbl[j + 1]->setVisible(visible);
    Attenuation_cbx[j + 1]->setVisible(visible);
  }
  RedrawIfAllowed();
}

void LineArray_frm::AreasAmount_cbx_Click() {
  const int n = AreasAmount_cbx->currentIndex();
  for (int i = 1; i < MaxAreas; ++i) {
    const bool visible = n >= i;
    for (QWidget* control :
         {static_cast<QWidget*>(Area_lbl[i]), static_cast<QWidget*>(AreaDistance_lbl[i]),
          static_cast<QWidget*>(AreaDistance_tbx[i]), static_cast<QWidget*>(AreaHeight1_lbl[i]),
          static_cast<QWidget*>(AreaHeight1_tbx[i]), static_cast<QWidget*>(AreaHeight2_lbl[i]),
          static_cast<QWidget*>(AreaHeight2_tbx[i]), static_cast<QWidget*>(AreaLength_lbl[i]),
          static_cast<QWidget*>(AreaLength_tbx[i])})
      control->setVisible(visible);
  }
  RedrawIfAllowed();
}

void LineArray_frm::AutomaticInclCalc_chk_Click() {
  if (RedrawAllowed()) {
    RedrawAll();
    InclinationAngle_tbx->setText(DecimalText(Data.Project.InclinationAngle));
  }
  // The computed value stays readable but cannot be edited.
  InclinationAngle_tbx->setReadOnly(AutomaticInclCalc_chk->isChecked());
}

void LineArray_frm::Units_cbx_Click() {
  if (!RedrawAllowed()) return;
  const std::string units = Units_cbx->currentText().toStdString();
  if (units == Data.Project.Units) return;
  Data.Project.Units = units;
  // The model keeps metres; only the texts shown change, edits included.
  const double k = IsFeet(units) ? MetresToFeet : FeetToMetres;
  auto convert = [&](QLineEdit* box) {
    box->setText(DecimalText(TextToNumber(box->text().toStdString()) * k));
  };
  for (int i = 0; i < std::clamp(Data.Project.AreasAmount, 0, MaxAreas); ++i) {
    convert(AreaDistance_tbx[i]);
    convert(AreaLength_tbx[i]);
    convert(AreaHeight1_tbx[i]);
    convert(AreaHeight2_tbx[i]);
  }
  convert(FloorDistance_tbx);
}

void LineArray_frm::FixedHeight_men_Click() { RedrawAll(); }

void LineArray_frm::ShowZoom_men_Click() {
  ZoomView_pbx->setVisible(ShowZoom_men->isChecked());
  RedrawAll();
}

void LineArray_frm::NumberBox_KeyPressEnter() { RedrawAll(); }

void LineArray_frm::NumberBox_LostFocus(QLineEdit* box) {
  box->setText(DecimalText(TextToNumber(box->text().toStdString())));
  RedrawAll();
}

bool LineArray_frm::eventFilter(QObject* watched, QEvent* event) {
  auto* box = qobject_cast<QLineEdit*>(watched);
  if (box != nullptr && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) NumberBox_KeyPressEnter();
  } else if (box != nullptr && event->type() == QEvent::FocusOut) {
    // Only a move to another control of this window tidies the entry;
    // switching windows or opening a menu leaves it as typed.
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
      NumberBox_LostFocus(box);
  }
  return QMainWindow::eventFilter(watched, event);
}

}  // namespace tarnwick
