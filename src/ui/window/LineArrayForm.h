#pragma once

#include <QMainWindow>
#include <QString>
#include <array>
#include <functional>
#include <memory>

#include "acoustics/ModuleData.h"
#include "acoustics/SplPrediction.h"
#include "files/FileWriter.h"
#include "files/ProjectFile.h"
#include "geometry/ArrayGeometry.h"
#include "model/ProjectData.h"
#include "ui/panels/Twips.h"
#include "ui/window/Dialogs.h"

class QAction;

namespace tarnwick {

class About_frm;
class AreaPanel;
class ArrayPanel;
class DrawingSurface;
class GraphStrip;
class CoverageLayer;
class ProjectHistory;
struct ProjectState;
class Response_frm;
class Optimise_frm;
class Rigging_frm;
class LineElement;
class ProjectPanel;
class RecentFiles;

// The main window. It owns the open project (Data), the geometry of the last
// redraw (Graphics) and the other state records, places the panels and the
// pictures, and runs the redraw, the menus, the file commands and the area
// drag. The panels own their controls; everything else finds a control by
// its object name. A fresh window starts from the defaults, so tests can
// create as many as they like.
class LineArray_frm : public QMainWindow {
  Q_OBJECT

 public:
  explicit LineArray_frm(QWidget* parent = nullptr);
  ~LineArray_frm() override;

  tarnwick::Data Data;                  // the open project and the defaults
  tarnwick::Graphics Graphics;          // geometry results of the last redraw
  tarnwick::FileRW FileRW;              // file header and the current file's path
  tarnwick::Constants Constants;        // the module's acoustic data
  tarnwick::Calculations Calculations;  // the last prediction

  QString StartCaption;
  bool FormLoading = false;       // the start-up sequence is running
  bool ControlsUpdating = false;  // WriteControls is running
  bool BArraySettingsActive = false;
  bool BAreaSettingsActive = false;
  bool BGraphActive = false;

  // Transfers between the controls and the open project.
  void ReadControls();
  // Returns false, changing no control, when a value has no entry in its list.
  bool WriteControls();
  void NewProject();

  // The one redraw: clears both pictures, reads the controls, then computes
  // and draws the scene, the areas and the array.
  void RedrawAll();
  // Layout rule for the window's current size, then a redraw.
  void Form_Resize();

  // Replaces the message boxes and file dialogs (tests script them).
  void SetDialogs(std::unique_ptr<UserDialogs> dialogs);

  // File commands.
  void New_men_Click();
  void Open_men_Click();
  void Save_men_Click();
  void SaveAs_men_Click();
  void Exit_men_Click();
  // Loads a project file without asking, as Open does once a file is
  // chosen; a refused file is reported and changes nothing.
  bool OpenFile(const QString& path);
  // File › a recent file: asks first as Open does; a file that is gone is
  // reported and leaves the list.
  void OpenRecentFile(const QString& path);

 private:
  void BuildViews();
  void BuildMenus();
  void ConnectPanels();
  void InitializeForm();
  void RedrawIfAllowed();
  // The project differs from its file: shown as "*" in the caption.
  void MarkModified();

  // Handlers that reach across panels or change the layout.
  void Units_cbx_Click();
  void AutomaticInclCalc_chk_Click();
  void ShowArraySettings_cbt_Click();
  void ShowAreaSettings_cbt_Click();
  void ShowGraph_men_Click();
  // The graph strip's top edge dragged: its new height in pixels.
  void GraphHeight_Drag(int pixels);

  // Area drag in the side view; positions in its scene coordinates.
  void MainView_pbx_MouseDown(Qt::MouseButton button, Qt::MouseButtons held, QPointF at);
  void MainView_pbx_MouseMove(Qt::MouseButtons held, QPointF at);
  void MainView_pbx_MouseUp(Qt::MouseButton button, Qt::MouseButtons held, QPointF at);
  // Right click in the side view: "Response Here" at that point.
  void ShowSideMenu(QPointF at);
  void ResponseHere_men_Click();

  // Asks whether to save before the project is replaced: true to go on
  // (No, or Yes and the save succeeded).
  bool SaveFirst(const QString& prompt);
  // Each save gives true only when the project was written.
  bool SaveProject();
  bool ShowSaveDialogAndWrite();
  bool WriteToFile(const FileChoice& file);
  // Undo and redo: the project and its file as a step of the history had them.
  void RestoreState(const ProjectState& state);
  // File › Export Picture… and Export Levels…: a save dialog, then `write`; a failure is told.
  void Export(const QString& title, const QString& filter, const QString& extension,
              const std::function<WriteResult(const QString&)>& write);
  void ExportPicture_men_Click();
  void ExportLevels_men_Click();
  // Tools › Rigging Table… and Optimise Splay Angles…
  void RiggingTable_men_Click();
  void Optimise_men_Click();

  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  // A project file dropped on the window opens as Open opens it.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

  ProjectPanel* project_ = nullptr;
  ArrayPanel* array_ = nullptr;
  AreaPanel* areas_ = nullptr;
  GraphStrip* graph_ = nullptr;
  CoverageLayer* coverage_ = nullptr;
  ProjectHistory* history_ = nullptr;
  Response_frm* response_ = nullptr;  // made on first use
  Rigging_frm* rigging_ = nullptr;    // made on first use
  Optimise_frm* optimise_ = nullptr;  // made on first use
  QMenu* sideMenu_ = nullptr;         // the side view's right-click menu, made on first use
  PlaneVector menuPoint_;             // where that menu was asked for
  DrawingSurface* MainView_pbx = nullptr;
  DrawingSurface* ZoomView_pbx = nullptr;
  std::array<LineElement*, 4> dragLines_{};  // RightLine, LeftLine, LowerLine, UpperLine
  QAction* FixedHeight_men = nullptr;
  QAction* ShowZoom_men = nullptr;
  QAction* ShowGraph_men = nullptr;
  QAction* ShowMap_men = nullptr;
  RecentFiles* recent_ = nullptr;
  About_frm* About = nullptr;  // created on first use
  std::unique_ptr<UserDialogs> Dialogs;
  bool shownOnce_ = false;         // placed, laid out and drawn for the first show
  int graphHeight_ = GraphHeight;  // twips; the user may drag the strip taller
};

// The window's outer size in twips, frame and caption included.
QSize OuterSizeTwips(const QWidget& window);

}  // namespace tarnwick
