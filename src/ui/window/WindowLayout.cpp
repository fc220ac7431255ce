#include "ui/window/WindowLayout.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QResizeEvent>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <algorithm>
#include <cmath>

#include "ui/panels/AreaPanel.h"
#include "ui/panels/ArrayPanel.h"
#include "ui/panels/Controls.h"
#include "ui/panels/DrawingSurface.h"
#include "ui/panels/GraphStrip.h"
#include "ui/panels/ProjectPanel.h"
#include "ui/panels/Twips.h"

namespace tarnwick {

namespace {

QSize FrameExtent(const QWidget& window) {
  // Without a window manager there is no frame; count the one of a usual
  // desktop (4 pixels a side and a 25 pixel caption), so that the
  // layout comes out the same either way.
  const QSize extent = window.frameGeometry().size() - window.size();
  return extent.isEmpty() ? QSize(8, 29) : extent;
}

// The minimum outer size, made smaller where the screen is: at a
// large scale factor 800 x 600 logical pixels may not fit on it.
QSize MinimumOuterSize(const QWidget& window) {
  const QSize minimum(MinimumWidthPixels, MinimumHeightPixels);
  const QScreen* screen = window.screen();
  return screen != nullptr ? minimum.boundedTo(screen->availableGeometry().size()) : minimum;
}

void ApplyMinimumSize(QWidget& window) {
  window.setMinimumSize(MinimumOuterSize(window) - FrameExtent(window));
}

void CentreOnScreen(QMainWindow& window) {
  // The client area the window opens with, below the menu bar, or more where the minimum
  // outer size asks for it, but never more than the screen holds.
  const QSize client(TwipsToPixels(ClientWidth),
                     TwipsToPixels(ClientHeight) + window.menuBar()->sizeHint().height());
  QSize size = client.expandedTo(window.minimumSize());
  const QScreen* screen = window.screen();
  if (screen != nullptr)
    size = size.boundedTo(screen->availableGeometry().size() - FrameExtent(window));
  window.resize(size);
  const QRect outer(QPoint(0, 0), window.size() + FrameExtent(window));
  if (screen != nullptr) window.move(screen->availableGeometry().center() - outer.center());
}

}  // namespace

const QString GraphShareKey = QStringLiteral("Graph/Share");

QSize OuterSizeTwips(const QWidget& window) {
  return (window.size() + FrameExtent(window)) * TwipsPerPixel;
}

WindowLayout::WindowLayout(const Parts& parts, std::function<void()> redraw)
    : QObject(parts.window), parts_(parts), redraw_(std::move(redraw)) {
  setObjectName(QStringLiteral("WindowLayout"));
  connect(parts_.graph, &GraphStrip::HeightDragged, this, &WindowLayout::DragGraph);
  const double share = QSettings(QStringLiteral("Quenvar"), QStringLiteral("Tarnwick"))
                           .value(GraphShareKey, 0.0)
                           .toDouble();
  graphShare_ = share > 0.0 && share < 1.0 ? share : 0.0;
}

void WindowLayout::AddPreferences(QMenu* menu) {
  // Check marks, off at start but for the zoom view.
  fixedHeight_ =
      AddCommand(menu, "FixedHeight_men", QStringLiteral("Set &fixed picture height"), {}, 0);
  zoom_ = AddCommand(menu, "ShowZoom_men", QStringLiteral("Show &Zoom View"), {}, 1);
  QAction* graph = AddCommand(menu, "ShowGraph_men", QStringLiteral("Show &SPL Graph"), {}, 0);
  connect(fixedHeight_, &QAction::triggered, this, [this] { redraw_(); });
  connect(zoom_, &QAction::triggered, this, [this](bool shown) {
    parts_.zoom->setVisible(shown);
    redraw_();
  });
  connect(graph, &QAction::triggered, this, &WindowLayout::ShowGraph);
}

void WindowLayout::AddGridCommand(QMenu* menu) {
  grid_ = AddCommand(menu, "ShowGrid_men", QStringLiteral("Show &Grid"), {}, 1);
  connect(grid_, &QAction::triggered, this, [this] { redraw_(); });
}

bool WindowLayout::FixedHeight() const { return fixedHeight_->isChecked(); }
bool WindowLayout::ZoomShown() const { return zoom_->isChecked(); }
bool WindowLayout::GridShown() const { return grid_->isChecked(); }

void WindowLayout::FirstShow() {
  ApplyMinimumSize(*parts_.window);
  CentreOnScreen(*parts_.window);
}

void WindowLayout::Resize() {
  QMainWindow& window = *parts_.window;
  DrawingSurface* side = parts_.side;
  // 1-2. Never smaller than the minimum, frame included; lay out for the
  //      enlarged size at once.
  ApplyMinimumSize(window);
  const QSize minimum = MinimumOuterSize(window);
  const QSize outer = window.size() + FrameExtent(window);
  if (outer.width() < minimum.width() || outer.height() < minimum.height())
    window.resize(outer.expandedTo(minimum) - FrameExtent(window));
  const int W = outer.expandedTo(minimum).width() * TwipsPerPixel;
  int H = outer.expandedTo(minimum).height() * TwipsPerPixel;
  // 3-4. The side view takes the width the expanded panels leave; the graph follows.
  int sideWidth = W - HorizontalMargin;
  if (areaSettings_) sideWidth -= WidthTwips(parts_.areas);
  if (arraySettings_) sideWidth -= WidthTwips(parts_.array);
  SetWidthTwips(side, sideWidth);
  SetWidthTwips(parts_.graph, WidthTwips(side));
  // 5. The area panel stands right of the side view when expanded, and
  //    flush with its right edge when collapsed.
  const int sideRight = LeftTwips(side) + WidthTwips(side);
  SetLeftTwips(parts_.areas, areaSettings_ ? sideRight : sideRight - WidthTwips(parts_.areas));
  // 6. The project panel fills the width between the other two.
  SetWidthTwips(parts_.project,
                W - (WidthTwips(parts_.areas) + WidthTwips(parts_.array) + ProjectPanelMargin));
  // 7. Heights: the graph, when shown, sits just below the side view; the status bar, with
  //    the readout under the cursor, below both.
  const QStatusBar* status = window.findChild<QStatusBar*>();
  if (status != nullptr) H -= status->sizeHint().height() * TwipsPerPixel;
  underPanels_ = H - VerticalMargin - GraphGap;
  if (graphShown_) {
    // A third of the room under the panels, or the share the user dragged it to; never
    // below its first height, nor so tall that the side view gets less than its minimum.
    const int wanted =
        graphShare_ > 0.0 ? int(std::lround(graphShare_ * underPanels_)) : underPanels_ / 3;
    graphHeight_ = std::min(std::max(GraphHeight, wanted),
                            std::max(GraphHeight, underPanels_ - MinSideViewHeight));
    SetHeightTwips(side, H - VerticalMargin - GraphGap - graphHeight_);
    SetHeightTwips(parts_.graph, graphHeight_);
    SetTopTwips(parts_.graph, TopTwips(side) + HeightTwips(side) + GraphGap);
  } else {
    SetHeightTwips(side, H - VerticalMargin);
  }
  // 8. Draw for the new size.
  FitZoomView();
  redraw_();
}

void WindowLayout::FitZoomView() {
  // Where the zoom view would cover more than its share of the side view (a small window, a
  // large scale factor), it shrinks, keeping its shape, so that the section stays in view.
  const double side = double(WidthTwips(parts_.side)) * HeightTwips(parts_.side);
  const double own = double(ZoomViewWidth) * ZoomViewHeight;
  const double factor =
      side > 0 && own > ZoomViewShare * side ? std::sqrt(ZoomViewShare * side / own) : 1.0;
  SetWidthTwips(parts_.zoom, int(ZoomViewWidth * factor));
  SetHeightTwips(parts_.zoom, int(ZoomViewHeight * factor));
}

void WindowLayout::ToggleArraySettings() {
  // Expanded, the panel runs down the window's left edge and the side view
  // gives up the panel's width plus a gap on its left.
  arraySettings_ = !arraySettings_;
  parts_.array->SetExpanded(arraySettings_);
  const int shift = arraySettings_ ? -ArrayPanelShift : ArrayPanelShift;
  SetWidthTwips(parts_.side, WidthTwips(parts_.side) + shift);
  SetLeftTwips(parts_.side, LeftTwips(parts_.side) - shift);
  SetWidthTwips(parts_.graph, WidthTwips(parts_.side));
  SetLeftTwips(parts_.graph, LeftTwips(parts_.side));
  FitZoomView();
  redraw_();
}

void WindowLayout::ToggleAreaSettings() {
  // The panel stays where it is; the side view narrows or widens by the
  // panel's width plus a gap until the next resize recomputes it.
  areaSettings_ = !areaSettings_;
  parts_.areas->SetExpanded(areaSettings_);
  SetWidthTwips(parts_.side,
                WidthTwips(parts_.side) + (areaSettings_ ? -AreaPanelShift : AreaPanelShift));
  SetWidthTwips(parts_.graph, WidthTwips(parts_.side));
  FitZoomView();
  redraw_();
}

void WindowLayout::ShowGraph(bool shown) {
  graphShown_ = shown;
  parts_.graph->setVisible(shown);
  // The strip below the shortened side view at once, or the room given back.
  Resize();
}

void WindowLayout::DragGraph(int pixels) {
  // Kept as a share of the room under the panels, so that it grows with the window, and
  // remembered for the next start; Resize keeps the side view its minimum.
  if (underPanels_ <= 0) return;
  const int twips = std::max(GraphHeight, pixels * TwipsPerPixel);
  graphShare_ = std::min(0.95, double(twips) / underPanels_);
  QSettings(QStringLiteral("Quenvar"), QStringLiteral("Tarnwick"))
      .setValue(GraphShareKey, graphShare_);
  Resize();
}

}  // namespace tarnwick
