#include "ui/tools/ToolWindows.h"

#include <QAction>
#include <QCursor>
#include <QMenu>

#include "acoustics/BandLevels.h"
#include "ui/panels/Controls.h"
#include "ui/panels/GraphStrip.h"
#include "ui/tools/AboutForm.h"
#include "ui/tools/ExportCommands.h"
#include "ui/tools/OptimiseForm.h"
#include "ui/tools/PredictionForm.h"
#include "ui/tools/ResponseForm.h"
#include "ui/tools/RiggingForm.h"
#include "ui/window/LineArrayForm.h"

namespace tarnwick {

ToolWindows::ToolWindows(LineArray_frm& window, GraphStrip* graph, std::function<bool()> graphShown,
                         std::function<PictureOptions()> describe)
    : QObject(&window),
      window_(window),
      graphBand_([graph, graphShown] { return graphShown() ? graph->Band() : BroadbandAChoice; }) {
  exports_ = new ExportCommands(window, std::move(describe), graphBand_);
}

void ToolWindows::AddTools(QMenu* tools) {
  connect(AddCommand(tools, "RiggingTable_men", QStringLiteral("&Rigging Table...")),
          &QAction::triggered, this, &ToolWindows::RiggingTable_men_Click);
  connect(AddCommand(tools, "Optimise_men", QStringLiteral("&Optimise Splay Angles...")),
          &QAction::triggered, this, &ToolWindows::Optimise_men_Click);
}

void ToolWindows::AddPrediction(QMenu* preferences) {
  connect(AddCommand(preferences, "Prediction_men", QStringLiteral("&Prediction...")),
          &QAction::triggered, this, [this] {
            if (prediction_ == nullptr) {
              // Each change of the options is one step to undo, as any edit of the design.
              const auto apply = [this](const PredictionOptions& options) {
                ProjectData p = window_.Project();
                p.Prediction = options;
                window_.ChangeAsOneStep(QStringLiteral("Prediction"),
                                        [this, p] { window_.ShowProject(p); });
              };
              prediction_ = new Prediction_frm(&window_, apply);
            }
            prediction_->Show(window_.Project().Prediction);
          });
}

void ToolWindows::AddHelp(QMenu* help) {
  connect(AddCommand(help, "About_men", QStringLiteral("&About")), &QAction::triggered, this,
          [this] {
            if (about_ == nullptr) about_ = new About_frm(&window_);
            about_->ShowModal();
          });
}

void ToolWindows::Follow(const ProjectData& project, const Graphics& graphics) {
  // A shown response or table belongs to the design on screen, never to an earlier one.
  if (response_ != nullptr && response_->isVisible())
    response_->Follow(project, graphics, window_.Module());
  if (rigging_ != nullptr && rigging_->isVisible()) rigging_->Follow(project, graphics);
  if (prediction_ != nullptr && prediction_->isVisible()) prediction_->Follow(project.Prediction);
  if (optimise_ != nullptr) optimise_->Follow(project);
}

void ToolWindows::ShowSideMenu(PlaneVector at) {
  menuPoint_ = at;
  if (sideMenu_ == nullptr) {
    sideMenu_ = new QMenu(&window_);
    sideMenu_->setObjectName(QStringLiteral("SideView_men"));
    QAction* here = sideMenu_->addAction(QStringLiteral("Response Here"));
    here->setObjectName(QStringLiteral("ResponseHere_men"));
    connect(here, &QAction::triggered, this, &ToolWindows::ResponseHere_men_Click);
  }
  sideMenu_->popup(QCursor::pos());
}

void ToolWindows::ResponseHere_men_Click() {
  // One response window at a time: a new point moves it there.
  if (response_ == nullptr) response_ = new Response_frm(&window_);
  response_->ShowAt(menuPoint_, window_.Project(), window_.Geometry(), window_.Module());
}

void ToolWindows::RiggingTable_men_Click() {
  if (rigging_ == nullptr)
    rigging_ = new Rigging_frm(&window_, [this] { exports_->SaveRiggingTable(); });
  window_.RedrawAll();
  rigging_->Show(window_.Project(), window_.Geometry());
}

void ToolWindows::Optimise_men_Click() {
  if (optimise_ == nullptr) {
    const auto shown = [this] {
      window_.RedrawAll();  // the controls' values as they stand
      return ShownDesign{window_.Project(), window_.Geometry(), window_.Module()};
    };
    // The best design's splays and hanging become the project's, as one step to undo.
    const auto apply = [this](const ProjectData& best) {
      ProjectData p = window_.Project();
      p.BoxAngle = best.BoxAngle;
      p.InclinationAngle = best.InclinationAngle;
      p.FlybarPin = best.FlybarPin;
      p.FlybarMounting = best.FlybarMounting;
      window_.ChangeAsOneStep(QStringLiteral("Optimised Splay Angles"),
                              [this, p] { window_.ShowProject(p); });
    };
    optimise_ = new Optimise_frm(&window_, shown, apply);
  }
  optimise_->Show(graphBand_());
}

}  // namespace tarnwick
