#pragma once

#include <QObject>
#include <QSize>
#include <functional>

#include "ui/panels/Twips.h"

class QAction;
class QMainWindow;
class QMenu;
class QWidget;

namespace tarnwick {

class AreaPanel;
class ArrayPanel;
class DrawingSurface;
class GraphStrip;
class ProjectPanel;

// How the window shares its area between the panels, the side view and the graph strip,
// and the preferences and toggles that change that share: a fixed picture height, the zoom
// view, the graph strip and its height, the expanded panels.
class WindowLayout : public QObject {
  Q_OBJECT

 public:
  struct Parts {
    QMainWindow* window;
    ProjectPanel* project;
    ArrayPanel* array;
    AreaPanel* areas;
    DrawingSurface* side;
    DrawingSurface* zoom;
    GraphStrip* graph;
  };
  // `redraw` draws the window anew once its parts have moved.
  WindowLayout(const Parts& parts, std::function<void()> redraw);

  // Preferences › the fixed picture height, the zoom view and the graph strip.
  void AddPreferences(QMenu* menu);
  // The first show: the minimum size, centred on the screen, laid out and drawn.
  void FirstShow();
  // The layout rule for the window's current size, then a redraw.
  void Resize();
  void ToggleArraySettings();
  void ToggleAreaSettings();

  bool FixedHeight() const;
  // Show Grid, checked at start, for the side view's dimension grid.
  void AddGridCommand(QMenu* menu);
  bool ZoomShown() const;
  bool GridShown() const;
  bool GraphShown() const { return graphShown_; }
  bool ArraySettingsShown() const { return arraySettings_; }

 private:
  void ShowGraph(bool shown);
  // The graph strip's top edge dragged: its new height in pixels.
  void DragGraph(int pixels);
  void FitZoomView();

  Parts parts_;
  std::function<void()> redraw_;
  QAction* fixedHeight_ = nullptr;
  QAction* zoom_ = nullptr;
  QAction* grid_ = nullptr;
  bool arraySettings_ = false;
  bool areaSettings_ = false;
  bool graphShown_ = false;
  int graphHeight_ = GraphHeight;  // twips, as last laid out
  // The share of the height under the panels the user dragged the strip to, kept in the
  // settings; 0 for the default, a third (never below the strip's first height).
  double graphShare_ = 0.0;
  int underPanels_ = 0;  // twips under the panels at the last layout
};

// The window's outer size in twips, frame and caption included.
QSize OuterSizeTwips(const QWidget& window);

}  // namespace tarnwick
