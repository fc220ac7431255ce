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
#include <QStringListModel>
#include <algorithm>

#include "model/NumberText.h"
#include "ui/Controls.h"
#include "ui/PanelFrame.h"
#include "ui/Twips.h"
#include "views/DrawingSurface.h"
#include "views/SideView.h"

namespace tarnwick {

LineArray_frm::LineArray_frm(QWidget* parent) : QMainWindow(parent) {
  setObjectName(QStringLiteral("LineArray_frm"));
  setWindowTitle(QStringLiteral("Quenvar Tarnwick"));
  BuildControls();
  BuildMenus();
  BuildGraphStrip();
  ConnectHandlers();
  Dialogs = std::make_unique<QtDialogs>();
  CentreOnScreen();  // again when first shown, once the frame is known

  // Start-up: fill and load everything with the selection handlers silenced,
  // then draw once.
  FormLoading = true;
  InitializeForm();
  RedrawAll();
  FormLoading = false;
}

LineArray_frm::~LineArray_frm() = default;

void LineArray_frm::BuildControls() {
  // Every control inherits the compact face from the window; set before any
  // exists, so that none is restyled afterwards.
  setFont(PlainFont());
  auto* client = new QWidget(this);
  client->setObjectName(QStringLiteral("Client"));
  setCentralWidget(client);
  QPalette grey = palette();
  grey.setColor(QPalette::Window, QColor(224, 224, 224));
  setPalette(grey);

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

  BuildDragRectangle();

  Graph_pbx = new DrawingSurface(client);
  Graph_pbx->setObjectName(QStringLiteral("Graph_pbx"));
  PlaceTwips(Graph_pbx, 30, 6780, 11805, 1455);
  Graph_pbx->hide();
}

void LineArray_frm::BuildProjectFrame() {
  ProjectFrame = new PanelFrame(QStringLiteral("Project Data"), QColor(128, 0, 0), centralWidget());
  ProjectFrame->setObjectName(QStringLiteral("ProjectFrame"));
  ProjectFrame->setToolTip(QStringLiteral("Type in your project data for identification"));
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
  Units_cbx =
      MakeList(f, QStringLiteral("Units_cbx"), QStringLiteral("Choose the desired length unit"));
  PlaceTwips(Units_cbx, 1620, 1050, 1335, 315);
}

void LineArray_frm::ConnectHandlers() {
  connect(ShowArraySettings_cbt, &QPushButton::clicked, this,
          &LineArray_frm::ShowArraySettings_cbt_Click);
  connect(ShowAreaSettings_cbt, &QPushButton::clicked, this,
          &LineArray_frm::ShowAreaSettings_cbt_Click);
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

  WatchNumberBoxes();
}

void LineArray_frm::InitializeForm() {
  // 1-5. Lists, each with a first selection that WriteControls replaces.
  Fill(Units_cbx, std::array<std::string, 2>{UnitEntries[0], UnitEntries[1]});
  Units_cbx->setCurrentIndex(0);
  Fill(BoxesAmount_cbx, BoxesAmountEntries());
  BoxesAmount_cbx->setCurrentIndex(4);
  Fill(AreasAmount_cbx, AreasAmountEntries());
  AreasAmount_cbx->setCurrentIndex(0);
  // The 11 angle lists and the 12 attenuation lists each share one list of
  // entries; every list keeps its own selection.
  auto* angles = new QStringListModel(Texts(AngleEntries()), this);
  auto* attenuations = new QStringListModel(Texts(AttenuationEntries()), this);
  for (QComboBox* angle : Angle_cbx) {
    angle->setModel(angles);
    angle->setCurrentIndex(0);
  }
  for (QComboBox* attenuation : Attenuation_cbx) {
    attenuation->setModel(attenuations);
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
  // 9. File header constants.
  FileRW.FileHeader = ProjectFileHeader{};
  // 10-13. Defaults into the model, the module's band levels, the model
  //        into the controls; 14. the directivity tables.
  Data.DefaultProject = MakeDefaultProject();
  Data.Project = Data.DefaultProject;
  AssignBandLevel(Constants);
  WriteControls();
  FillDirectivity(Constants);
}

void LineArray_frm::NewProject() {
  Data.Project = Data.DefaultProject;
  WriteControls();
}

void LineArray_frm::RedrawAll() {
  // Pictures of a window not shown yet are not drawn: nobody can see them,
  // and showing the window lays it out and redraws before the first paint.
  const bool drawing = isVisible();
  // 1. Clear both pictures; 2. read the controls into the project.
  if (drawing) {
    MainView_pbx->Cls();
    ZoomView_pbx->Cls();
  }
  ReadControls();
  ProjectData& p = Data.Project;
  // 3. Scene extents, scales and base line.
  const QSize outer = OuterSizeTwips();
  const SceneFrame frame{FixedHeight_men->isChecked(), double(outer.width()),
                         double(outer.height())};
  ComputeSceneExtents(p, frame, Graphics);
  const bool zoomShown = ShowZoom_men->isChecked();
  if (drawing) DrawBackground(*MainView_pbx, *ZoomView_pbx, zoomShown, p, Graphics);
  // 4. Area slopes.
  for (int i = 0; i < std::clamp(p.AreasAmount, 0, MaxAreas); ++i) ComputeAreaSlope(p, i, Graphics);
  if (drawing) DrawAreas(*MainView_pbx, p, Graphics);
  // 5. The array, after the automatic inclination has been found and shown.
  if (ComputeArrayGeometry(p, Graphics))
    InclinationAngle_tbx->setText(DecimalText(p.InclinationAngle));
  if (drawing) DrawArray(*MainView_pbx, *ZoomView_pbx, p, Graphics);
}

void LineArray_frm::RedrawIfAllowed() {
  if (RedrawAllowed()) RedrawAll();
}

}  // namespace tarnwick
