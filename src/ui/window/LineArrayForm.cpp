#include "ui/window/LineArrayForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QLocale>
#include <QUndoStack>

#include "model/ProjectRules.h"
#include "ui/panels/AreaPanel.h"
#include "ui/panels/ArrayPanel.h"
#include "ui/panels/Controls.h"
#include "ui/panels/CoverageLayer.h"
#include "ui/panels/DrawingSurface.h"
#include "ui/panels/GraphStrip.h"
#include "ui/panels/ProjectPanel.h"
#include "ui/panels/SectionNavigator.h"
#include "ui/panels/SectionReadout.h"
#include "ui/panels/Twips.h"
#include "ui/panels/TypedNumbers.h"
#include "ui/tools/AboutForm.h"
#include "ui/tools/ToolWindows.h"
#include "ui/window/AreaDragHandlers.h"
#include "ui/window/FileCommands.h"
#include "ui/window/ProjectHistory.h"
#include "ui/window/WindowLayout.h"
#include "views/SectionGrid.h"
#include "views/SideView.h"

namespace tarnwick {

namespace {

// What the side view shows now, for a picture of it: its view, the map, the grid and the
// graph as they are, at twice its pixels or more.
PictureOptions SideViewShows(const CoverageLayer& coverage, const WindowLayout& layout,
                             const GraphStrip& graph, const DrawingSurface& side,
                             const std::string& file) {
  PictureOptions shown;
  shown.Map = coverage.Shown();
  shown.Band = coverage.Band();
  shown.Grid = layout.GridShown();
  shown.Region = {side.ScaleLeft(), side.ScaleTop(), side.ScaleLeft() + side.ScaleWidth(),
                  side.ScaleTop() + side.ScaleHeight()};
  if (layout.GraphShown()) {
    shown.Graph = graph.Curves();
    shown.GraphWords = graph.Text();
  }
  shown.FileName = QString::fromStdString(file);
  const double ratio = std::max(2.0, side.devicePixelRatioF());
  const QSize size = (side.size() + QSize(0, layout.GraphShown() ? graph.height() : 0)) * ratio;
  shown.Width = size.width(), shown.Height = size.height();
  return shown;
}

}  // namespace

LineArray_frm::LineArray_frm(QWidget* parent) : QMainWindow(parent) {
  setObjectName(QStringLiteral("LineArray_frm"));
  setWindowTitle(QStringLiteral("Quenvar Tarnwick"));
  setWindowIcon(ProgramIcon());  // the tool windows and About take it from here
  dialogs_ = std::make_unique<QtDialogs>();
  history_ =
      new ProjectHistory(this, [this](const ProjectState& state) { files_->RestoreState(state); });
  connect(history_->Stack(), &QUndoStack::cleanChanged, this,
          [this](bool clean) { setWindowModified(!clean); });
  files_ = new FileCommands(*this, *history_);
  BuildViews();
  BuildMenus();
  ConnectPanels();

  // Start-up: fill and load everything with the selection handlers silenced,
  // then draw once.
  formLoading_ = true;
  InitializeForm();
  RedrawAll();
  formLoading_ = false;
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
  PlaceTwips(MainView_pbx, 30, 1530, 11805, 5235);
  // The zoom view sits in the side view's upper left corner, its own border
  // over the side view's.
  ZoomView_pbx = new DrawingSurface(MainView_pbx);
  ZoomView_pbx->setObjectName(QStringLiteral("ZoomView_pbx"));
  ZoomView_pbx->setToolTip(QStringLiteral("Zoomed-In view of the line array"));
  PlaceTwips(ZoomView_pbx, -30 + TwipsPerPixel, -30 + TwipsPerPixel, ZoomViewWidth, ZoomViewHeight);

  coverage_ = new CoverageLayer(MainView_pbx, constants_);
  new SectionReadout(*this, MainView_pbx, data_.Project, graphics_, *coverage_);
  navigator_ =
      new SectionNavigator(MainView_pbx, data_.Project, graphics_, [this] { RepaintPictures(); });
  // A finished map changes no design: only the pictures are drawn again.
  connect(coverage_, &CoverageLayer::MapReady, this, &LineArray_frm::RepaintPictures);
  graph_ = new GraphStrip(client, data_.Project, graphics_, constants_);
  PlaceTwips(graph_, 30, 6780, 11805, GraphHeight);

  layout_ = new WindowLayout({this, project_, array_, areas_, MainView_pbx, ZoomView_pbx, graph_},
                             [this] { RedrawAll(); });
  tools_ = new ToolWindows(
      *this, graph_, [this] { return layout_->GraphShown(); },
      [this] {
        return SideViewShows(*coverage_, *layout_, *graph_, *MainView_pbx, files_->FilePath());
      });
  drag_ = new AreaDragHandlers(*this, MainView_pbx, graphics_,
                               [this](PlaneVector at) { tools_->ShowSideMenu(at); });
}

void LineArray_frm::ConnectPanels() {
  // What follows a recomputed design, in this order: the graph, the tool windows, then the
  // history, where whatever the user changed since the last redraw becomes one step (the
  // first redraw of the shown window is where the history starts).
  connect(this, &LineArray_frm::DesignChanged, graph_, &GraphStrip::Refresh);
  connect(this, &LineArray_frm::DesignChanged, tools_, &ToolWindows::Follow);
  const auto record = [this] {
    if (shownOnce_) history_->Record({data_.Project, files_->FilePath()});
  };
  connect(this, &LineArray_frm::DesignChanged, this, record);

  connect(project_, &ProjectPanel::UnitsChanged, this, &LineArray_frm::Units_cbx_Click);
  connect(array_, &ArrayPanel::Edited, this, &LineArray_frm::RedrawIfAllowed);
  // Edits that change no drawing (an attenuation, the title, the author) are steps of their
  // own at once, not merged into whatever is redrawn next.
  const auto commit = [this, record] {
    if (formLoading_ || controlsUpdating_) return;
    ReadControls();
    record();
  };
  connect(array_, &ArrayPanel::AttenuationPicked, this, commit);
  connect(project_, &ProjectPanel::TextEdited, this, commit);
  connect(array_, &ArrayPanel::AutomaticToggled, this, &LineArray_frm::AutomaticInclCalc_chk_Click);
  connect(array_, &ArrayPanel::ToggleRequested, layout_, &WindowLayout::ToggleArraySettings);
  connect(areas_, &AreaPanel::AreasInUseChanged, this, [this](int areas) {
    graph_->OfferAreas(areas);
    RedrawIfAllowed();
  });
  connect(areas_, &AreaPanel::ToggleRequested, layout_, &WindowLayout::ToggleAreaSettings);

  // Number boxes commit on Enter and on leaving; each panel says which of its boxes hold
  // lengths (shown in the chosen unit) and which hold other numbers or text.
  auto* entry = new TypedNumbers(this);
  const TypedNumbers::UnitOf length = [this] {
    return LengthFactors(IsFeet(project_->ChosenUnits()));
  };
  project_->Watch(*entry);
  array_->Watch(*entry, length);
  areas_->Watch(*entry, length);
  connect(entry, &TypedNumbers::Committed, this, &LineArray_frm::RedrawAll);
  // Typing marks the project modified at once, before the number is taken; an entry picked
  // or a box ticked changes the design, and the step it records marks it. Picking the
  // entry a list already shows changes nothing and marks nothing.
  const auto watch = [this] {
    for (QWidget* panel : std::initializer_list<QWidget*>{project_, array_, areas_})
      for (QLineEdit* box : panel->findChildren<QLineEdit*>())
        connect(box, &QLineEdit::textEdited, this, &LineArray_frm::MarkModified,
                Qt::UniqueConnection);
  };
  watch();
  connect(array_, &ArrayPanel::DetailsMade, this, watch);
  connect(areas_, &AreaPanel::DetailsMade, this, watch);
}

void LineArray_frm::InitializeForm() {
  // The lists are filled by their panels. File header constants, then the defaults into
  // the model, the module's band levels, the model into the controls, and the directivity
  // tables.
  data_.DefaultProject = MakeDefaultProject();
  data_.Project = data_.DefaultProject;
  AssignBandLevel(constants_);
  WriteControls();
  FillDirectivity(constants_);
}

void LineArray_frm::NewProject() { ShowProject(data_.DefaultProject); }

void LineArray_frm::ReadControls() {
  // The units first: the lengths are read in them.
  project_->Read(data_.Project);
  areas_->Read(data_.Project);
  array_->Read(data_.Project);
}

bool LineArray_frm::ShowProject(const ProjectData& project) {
  if (!HasListItems(project)) return false;
  data_.Project = project;
  return WriteControls();
}

bool LineArray_frm::WriteControls() {
  const ProjectData& p = data_.Project;
  if (!HasListItems(p)) return false;
  controlsUpdating_ = true;
  project_->Write(p);
  areas_->Write(p);
  array_->Write(p);
  controlsUpdating_ = false;
  return true;
}

void LineArray_frm::RedrawAll() {
  // 1. Read the controls into the project; 2. the scene's extents, the area slopes and the
  // array, whose automatic inclination is shown; 3. the pictures; 4. whatever follows the
  // design.
  ReadControls();
  ProjectData& p = data_.Project;
  const QSize outer = OuterSizeTwips(*this);
  const SceneFrame frame{layout_->FixedHeight(), double(outer.width()), double(outer.height())};
  if (ComputeScene(p, frame, graphics_)) array_->ShowInclination(p.InclinationAngle);
  graph_->Prepare();  // the graph's levels, while the pictures are drawn
  RepaintPictures();
  emit DesignChanged(p, graphics_);
}

void LineArray_frm::RepaintPictures() {
  // Pictures of a window not shown yet are not drawn: nobody can see them,
  // and showing the window lays it out and redraws before the first paint.
  if (!isVisible()) return;
  const ProjectData& p = data_.Project;
  coverage_->Prepare(p, graphics_);  // the map's area levels, while the rest is drawn
  MainView_pbx->Cls();
  ZoomView_pbx->Cls();
  DrawBackground(*MainView_pbx, *ZoomView_pbx, layout_->ZoomShown(), p, graphics_,
                 navigator_->View());
  if (coverage_->Shown()) coverage_->DrawMap(*MainView_pbx);
  if (layout_->GridShown())
    DrawGrid(*MainView_pbx, {IsFeet(p.Units), QLocale().decimalPoint()},
             ZoomView_pbx->isVisible()
                 ? ZoomView_pbx->geometry().translated(-MainView_pbx->contentsRect().topLeft())
                 : QRect());
  if (coverage_->Shown()) {
    coverage_->DrawAreas(*MainView_pbx, p, graphics_);
  } else {
    DrawAreas(*MainView_pbx, p, graphics_);
  }
  DrawArray(*MainView_pbx, *ZoomView_pbx, p, graphics_);
  coverage_->Request(p, graphics_, *MainView_pbx);
  emit PicturesRepainted();
}

void LineArray_frm::ChangeAsOneStep(const QString& name, const std::function<void()>& change) {
  // The redraw records the step, and the history marks the project modified; a command
  // that changed nothing records nothing and leaves the mark as it was.
  history_->AsOneStep(name, change);
  RedrawAll();
}

void LineArray_frm::RedrawIfAllowed() {
  // Selection handlers run for program changes too; neither start-up nor
  // WriteControls redraws.
  if (!formLoading_ && !controlsUpdating_) RedrawAll();
}

void LineArray_frm::MarkModified() { setWindowModified(true); }

bool LineArray_frm::OpenFile(const QString& path) { return files_->OpenFile(path); }

void LineArray_frm::SetDialogs(std::unique_ptr<UserDialogs> dialogs) {
  dialogs_ = std::move(dialogs);
}

void LineArray_frm::Units_cbx_Click() {
  if (formLoading_ || controlsUpdating_) return;
  const std::string units = project_->ChosenUnits();
  if (units == data_.Project.Units) return;
  data_.Project.Units = units;
  // The model keeps metres and is not redrawn; the texts shown change,
  // edits not yet read and hidden areas included, and are read with the
  // new unit next time.
  areas_->ConvertLengths(data_.Project, IsFeet(units));
  array_->ConvertLengths(data_.Project, IsFeet(units));
  // A step of its own, apart from any edit not yet read.
  if (shownOnce_) history_->Record({data_.Project, files_->FilePath()});
}

void LineArray_frm::AutomaticInclCalc_chk_Click() {
  if (formLoading_ || controlsUpdating_) return;
  RedrawAll();
  array_->ShowInclination(data_.Project.InclinationAngle);
}

void LineArray_frm::showEvent(QShowEvent* event) {
  if (!shownOnce_) layout_->FirstShow();
  QMainWindow::showEvent(event);
  // A resize delivered while showing arrives before the window counts as
  // visible, and re-centring at the same size sends none, so lay out and
  // draw here: otherwise the first sight of the window is of empty pictures.
  if (!shownOnce_) {
    shownOnce_ = true;
    layout_->Resize();
  }
}

void LineArray_frm::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  layout_->Resize();
}

}  // namespace tarnwick
