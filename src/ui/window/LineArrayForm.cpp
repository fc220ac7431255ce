#include "ui/window/LineArrayForm.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QUndoStack>

#include "model/ProjectRules.h"
#include "ui/panels/AreaPanel.h"
#include "ui/panels/ArrayPanel.h"
#include "ui/panels/Controls.h"
#include "ui/panels/CoverageLayer.h"
#include "ui/panels/DrawingSurface.h"
#include "ui/panels/GraphStrip.h"
#include "ui/panels/NumberEntry.h"
#include "ui/panels/ProjectPanel.h"
#include "ui/panels/Twips.h"
#include "ui/tools/OptimiseForm.h"
#include "ui/tools/ResponseForm.h"
#include "ui/tools/RiggingForm.h"
#include "ui/window/ProjectHistory.h"
#include "views/SideView.h"

namespace tarnwick {

LineArray_frm::LineArray_frm(QWidget* parent) : QMainWindow(parent) {
  setObjectName(QStringLiteral("LineArray_frm"));
  setWindowTitle(QStringLiteral("Quenvar Tarnwick"));
  setAcceptDrops(true);
  history_ = new ProjectHistory(this, [this](const ProjectState& state) { RestoreState(state); });
  connect(history_->Stack(), &QUndoStack::cleanChanged, this,
          [this](bool clean) { setWindowModified(!clean); });
  BuildViews();
  BuildMenus();
  ConnectPanels();
  Dialogs = std::make_unique<QtDialogs>();

  // Start-up: fill and load everything with the selection handlers silenced,
  // then draw once.
  FormLoading = true;
  InitializeForm();
  RedrawAll();
  FormLoading = false;
}

LineArray_frm::~LineArray_frm() {
  // The controls go after this: one losing the focus on its way finishes its edit and
  // signals, and nothing of the window may answer any more.
  for (QObject* child : findChildren<QObject*>()) child->disconnect(this);
}

void LineArray_frm::BuildViews() {
  // Every control inherits the compact face from the window; set before any
  // exists, so that none is restyled afterwards.
  setFont(PlainFont());
  auto* client = new QWidget(this);
  client->setObjectName(QStringLiteral("Client"));
  setCentralWidget(client);
  client->setAutoFillBackground(true);
  QPalette grey = palette();
  grey.setColor(QPalette::Window, QColor(224, 224, 224));
  setPalette(grey);

  array_ = new ArrayPanel(client);
  project_ = new ProjectPanel(client);
  areas_ = new AreaPanel(client);

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

  coverage_ = new CoverageLayer(MainView_pbx, Constants);
  connect(coverage_, &CoverageLayer::MapReady, this, &LineArray_frm::RedrawAll);
  graph_ = new GraphStrip(client, Data.Project, Graphics, Constants, Calculations);
  PlaceTwips(graph_, 30, 6780, 11805, GraphHeight);
  connect(graph_, &GraphStrip::HeightDragged, this, &LineArray_frm::GraphHeight_Drag);
}

void LineArray_frm::ConnectPanels() {
  connect(project_, &ProjectPanel::UnitsChanged, this, &LineArray_frm::Units_cbx_Click);
  connect(array_, &ArrayPanel::Edited, this, &LineArray_frm::RedrawIfAllowed);
  // Edits that change no drawing (an attenuation, the title, the author) are steps of their
  // own at once, not merged into whatever is redrawn next.
  const auto commit = [this] {
    if (FormLoading || ControlsUpdating) return;
    ReadControls();
    if (shownOnce_) history_->Record({Data.Project, FileRW.FilePath});
  };
  connect(array_, &ArrayPanel::AttenuationPicked, this, commit);
  for (const char* name : {"Project_tbx", "Author_tbx"})
    connect(findChild<QLineEdit*>(QLatin1String(name)), &QLineEdit::editingFinished, this, commit);
  connect(array_, &ArrayPanel::AutomaticToggled, this, &LineArray_frm::AutomaticInclCalc_chk_Click);
  connect(array_, &ArrayPanel::ToggleRequested, this, &LineArray_frm::ShowArraySettings_cbt_Click);
  connect(areas_, &AreaPanel::AreasInUseChanged, this, [this](int areas) {
    graph_->OfferAreas(areas);
    RedrawIfAllowed();
  });
  connect(areas_, &AreaPanel::ToggleRequested, this, &LineArray_frm::ShowAreaSettings_cbt_Click);
  connect(MainView_pbx, &DrawingSurface::MouseDown, this, &LineArray_frm::MainView_pbx_MouseDown);
  connect(MainView_pbx, &DrawingSurface::MouseMove, this, &LineArray_frm::MainView_pbx_MouseMove);
  connect(MainView_pbx, &DrawingSurface::MouseUp, this, &LineArray_frm::MainView_pbx_MouseUp);

  // Number boxes commit on Enter and on leaving; lengths are shown in the
  // chosen unit, the inclination in degrees. Boxes a panel makes later are
  // watched when they appear.
  auto* entry = new NumberEntry(this);
  // Only what the user does to the project marks it modified: typing,
  // picking an entry, ticking; not what the program writes into controls.
  const auto watch = [this, entry] {
    for (QLineEdit* box : findChildren<QLineEdit*>()) {
      const QString name = box->objectName();
      if (name == QLatin1String("Project_tbx") || name == QLatin1String("Author_tbx"))
        entry->WatchText(box);
      else if (name == QLatin1String("InclinationAngle_tbx"))
        entry->WatchNumber(box, [] { return UnitFactors{}; });
      else
        entry->WatchNumber(box, [this] { return LengthFactors(IsFeet(project_->ChosenUnits())); });
      connect(box, &QLineEdit::textEdited, this, &LineArray_frm::MarkModified,
              Qt::UniqueConnection);
    }
    for (QComboBox* list : findChildren<QComboBox*>())
      if (!list->objectName().endsWith(QLatin1String("Select_cbx")))  // the graph's own choice
        connect(list, &QComboBox::activated, this, &LineArray_frm::MarkModified,
                Qt::UniqueConnection);
    for (QCheckBox* check : findChildren<QCheckBox*>())
      connect(check, &QCheckBox::clicked, this, &LineArray_frm::MarkModified, Qt::UniqueConnection);
  };
  watch();
  connect(array_, &ArrayPanel::DetailsMade, this, watch);
  connect(areas_, &AreaPanel::DetailsMade, this, watch);
  connect(entry, &NumberEntry::Committed, this, &LineArray_frm::RedrawAll);
}

void LineArray_frm::InitializeForm() {
  // The lists are filled by their panels. Caption, check marks, file header
  // constants, then the defaults into the model, the module's band levels,
  // the model into the controls, and the directivity tables.
  StartCaption = windowTitle();
  setWindowTitle(StartCaption + QStringLiteral("[*]"));
  FixedHeight_men->setChecked(false);
  ShowGraph_men->setChecked(false);
  ShowMap_men->setChecked(false);
  FileRW.FileHeader = ProjectFileHeader{};
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

void LineArray_frm::ReadControls() {
  // The units first: the lengths are read in them.
  project_->Read(Data.Project);
  areas_->Read(Data.Project);
  array_->Read(Data.Project);
}

bool LineArray_frm::WriteControls() {
  const ProjectData& p = Data.Project;
  if (!HasListEntries(p)) return false;
  ControlsUpdating = true;
  project_->Write(p);
  areas_->Write(p);
  array_->Write(p);
  ControlsUpdating = false;
  return true;
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
  // 3-5. Scene extents, area slopes and the array, whose automatic inclination is shown;
  // then the pictures of all three.
  const QSize outer = OuterSizeTwips(*this);
  const SceneFrame frame{FixedHeight_men->isChecked(), double(outer.width()),
                         double(outer.height())};
  if (ComputeScene(p, frame, Graphics)) array_->ShowInclination(p.InclinationAngle);
  if (drawing) {
    DrawBackground(*MainView_pbx, *ZoomView_pbx, ShowZoom_men->isChecked(), p, Graphics);
    if (coverage_->Shown()) {
      coverage_->DrawMap(*MainView_pbx);
      coverage_->DrawAreas(*MainView_pbx, p, Graphics);
    } else {
      DrawAreas(*MainView_pbx, p, Graphics);
    }
    DrawArray(*MainView_pbx, *ZoomView_pbx, p, Graphics);
    coverage_->Request(p, Graphics, *MainView_pbx);
  }
  // A shown graph and response belong to the design on screen, never to an earlier one.
  graph_->Refresh();
  if (response_ != nullptr && response_->isVisible()) response_->Follow(p, Graphics, Constants);
  if (rigging_ != nullptr && rigging_->isVisible()) rigging_->Follow(p, Graphics);
  if (optimise_ != nullptr) optimise_->Follow(p);
  // What the user changed since the last redraw becomes one step to undo; the first
  // redraw of the shown window is where the history starts.
  if (shownOnce_) history_->Record({p, FileRW.FilePath});
}

void LineArray_frm::RedrawIfAllowed() {
  // Selection handlers run for program changes too; neither start-up nor
  // WriteControls redraws.
  if (!FormLoading && !ControlsUpdating) RedrawAll();
}

void LineArray_frm::MarkModified() { setWindowModified(true); }

void LineArray_frm::Units_cbx_Click() {
  if (FormLoading || ControlsUpdating) return;
  const std::string units = project_->ChosenUnits();
  if (units == Data.Project.Units) return;
  Data.Project.Units = units;
  // The model keeps metres and is not redrawn; the texts shown change,
  // edits not yet read and hidden areas included, and are read with the
  // new unit next time.
  areas_->ConvertLengths(Data.Project, IsFeet(units));
  array_->ConvertLengths(Data.Project, IsFeet(units));
  // A step of its own, apart from any edit not yet read.
  if (shownOnce_) history_->Record({Data.Project, FileRW.FilePath});
}

void LineArray_frm::AutomaticInclCalc_chk_Click() {
  if (FormLoading || ControlsUpdating) return;
  RedrawAll();
  array_->ShowInclination(Data.Project.InclinationAngle);
}

}  // namespace tarnwick
