#pragma once

#include <QMainWindow>
#include <QString>
#include <functional>
#include <memory>

#include "acoustics/ModuleData.h"
#include "geometry/ArrayGeometry.h"
#include "model/ProjectData.h"
#include "ui/window/Dialogs.h"

class QAction;

namespace tarnwick {

class AreaDragHandlers;
class AreaPanel;
class ArrayPanel;
class CoverageLayer;
class DrawingSurface;
class FileCommands;
class GraphStrip;
class ProjectHistory;
class ProjectPanel;
class SectionNavigator;
class ToolWindows;
class WindowLayout;

// The main window. It holds the open project, the geometry of the last redraw and the
// module's data, places the panels and the pictures and keeps them to the project. The
// panels own their controls; the file commands, the layout, the area drag and the tool
// windows are classes of their own that work through this public face. A fresh window
// starts from the defaults, so tests can create as many as they like.
class LineArray_frm : public QMainWindow {
  Q_OBJECT

 public:
  explicit LineArray_frm(QWidget* parent = nullptr);
  ~LineArray_frm() override;

  // The open project as last read from the controls, the geometry of the last redraw, the
  // module's acoustic data.
  const ProjectData& Project() const { return data_.Project; }
  const tarnwick::Graphics& Geometry() const { return graphics_; }
  const tarnwick::Constants& Module() const { return constants_; }

  // Reads the controls into the open project.
  void ReadControls();
  // Makes `project` the open project and shows it in the controls; returns false, changing
  // nothing, when a value has no entry in its list.
  bool ShowProject(const ProjectData& project);
  // The default project, shown.
  void NewProject();
  // Recomputes what the design changed (geometry, graph, tool windows, history), then
  // repaints the pictures.
  void RedrawAll();
  // One step to undo, named `name`, for whatever `change` does to the controls; redrawn.
  void ChangeAsOneStep(const QString& name, const std::function<void()>& change);
  // The project differs from its file: shown as "*" in the caption.
  void MarkModified();

  // Loads a project file without asking, as Open does once a file is chosen; a refused
  // file is reported and changes nothing.
  bool OpenFile(const QString& path);
  // Replaces the message boxes and file dialogs (tests script them).
  void SetDialogs(std::unique_ptr<UserDialogs> dialogs);
  UserDialogs& Dialogs() const { return *dialogs_; }

 signals:
  // The design was recomputed: the graph, the tool windows and the history follow it.
  void DesignChanged(const ProjectData& project, const Graphics& graphics);
  // The side view and the zoom view were drawn anew.
  void PicturesRepainted();

 private:
  void BuildViews();
  void BuildMenus();
  void ConnectPanels();
  void InitializeForm();
  void RedrawIfAllowed();
  bool WriteControls();
  // Draws the design of the last recompute into the side and zoom views.
  void RepaintPictures();
  void Units_cbx_Click();
  void AutomaticInclCalc_chk_Click();

  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;

  tarnwick::Data data_;            // the open project and the defaults
  tarnwick::Graphics graphics_;    // geometry results of the last redraw
  tarnwick::Constants constants_;  // the module's acoustic data
  bool formLoading_ = false;       // the start-up sequence is running
  bool controlsUpdating_ = false;  // WriteControls is running
  bool shownOnce_ = false;         // placed, laid out and drawn for the first show

  ProjectPanel* project_ = nullptr;
  ArrayPanel* array_ = nullptr;
  AreaPanel* areas_ = nullptr;
  GraphStrip* graph_ = nullptr;
  DrawingSurface* MainView_pbx = nullptr;
  DrawingSurface* ZoomView_pbx = nullptr;
  CoverageLayer* coverage_ = nullptr;
  ProjectHistory* history_ = nullptr;
  FileCommands* files_ = nullptr;
  ToolWindows* tools_ = nullptr;
  WindowLayout* layout_ = nullptr;
  AreaDragHandlers* drag_ = nullptr;
  SectionNavigator* navigator_ = nullptr;  // zoom and pan
  std::unique_ptr<UserDialogs> dialogs_;
};

}  // namespace tarnwick
