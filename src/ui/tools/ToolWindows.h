#pragma once

#include <QObject>
#include <functional>

#include "app/Documents.h"
#include "geometry/ArrayGeometry.h"
#include "geometry/PlaneVector.h"
#include "model/ProjectData.h"

class QMenu;

namespace tarnwick {

class About_frm;
class DrawingSurface;
class ExportCommands;
class GraphStrip;
class LineArray_frm;
class Optimise_frm;
class Prediction_frm;
class Response_frm;
class Rigging_frm;

// The windows beside the main window, each made on first use: the response at a point
// (from the side view's right-click menu), the rigging table, the splay optimiser and
// About. Those shown follow every change of the design. The exports live here too.
class ToolWindows : public QObject {
  Q_OBJECT

 public:
  // `describe` tells what a picture of the section shows now (see ExportCommands).
  ToolWindows(LineArray_frm& window, GraphStrip* graph, std::function<bool()> graphShown,
              std::function<PictureOptions()> describe);

  ExportCommands& Exports() const { return *exports_; }
  // Tools › Rigging Table… and Optimise Splay Angles…; Help › About.
  void AddTools(QMenu* tools);
  void AddHelp(QMenu* help);
  // Preferences › Prediction...
  void AddPrediction(QMenu* preferences);
  // The side view's right-click menu at a point of its scene: "Response Here".
  void ShowSideMenu(PlaneVector at);
  // The design was recomputed: the shown windows show it.
  void Follow(const ProjectData& project, const Graphics& graphics);

 private:
  void RiggingTable_men_Click();
  void Optimise_men_Click();
  void ResponseHere_men_Click();

  LineArray_frm& window_;
  ExportCommands* exports_;
  Response_frm* response_ = nullptr;
  Rigging_frm* rigging_ = nullptr;
  Optimise_frm* optimise_ = nullptr;
  Prediction_frm* prediction_ = nullptr;
  About_frm* about_ = nullptr;
  QMenu* sideMenu_ = nullptr;
  PlaneVector menuPoint_;           // where the side view's menu was asked for
  std::function<int()> graphBand_;  // the band the graph shows, Broadband (A) when hidden
};

}  // namespace tarnwick
