// How the window shares its area between the panels, the side view and the
// graph strip, and the toggles that change that share.

#include <QAction>
#include <QMenuBar>
#include <QResizeEvent>
#include <QScreen>
#include <algorithm>

#include "ui/panels/AreaPanel.h"
#include "ui/panels/ArrayPanel.h"
#include "ui/panels/GraphStrip.h"
#include "ui/panels/ProjectPanel.h"
#include "ui/panels/Twips.h"
#include "ui/window/LineArrayForm.h"

namespace tarnwick {

namespace {

QSize FrameExtent(const QWidget& window) {
  // Without a window manager there is no frame; count the one the window
  // was designed with (4 pixels a side and a 25 pixel caption), so that the
  // layout comes out the same either way.
  const QSize extent = window.frameGeometry().size() - window.size();
  return extent.isEmpty() ? QSize(8, 29) : extent;
}

// The designed minimum outer size, made smaller where the screen is: at a
// large scale factor 800 x 600 logical pixels may not fit on it.
QSize MinimumOuterSize(const QWidget& window) {
  const QSize designed(MinimumWidthPixels, MinimumHeightPixels);
  const QScreen* screen = window.screen();
  return screen != nullptr ? designed.boundedTo(screen->availableGeometry().size()) : designed;
}

void ApplyMinimumSize(QWidget& window) {
  window.setMinimumSize(MinimumOuterSize(window) - FrameExtent(window));
}

void CentreOnScreen(QMainWindow& window) {
  // The designed client area below the menu bar, or more where the minimum
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

QSize OuterSizeTwips(const QWidget& window) {
  return (window.size() + FrameExtent(window)) * TwipsPerPixel;
}

void LineArray_frm::showEvent(QShowEvent* event) {
  if (!shownOnce_) {
    ApplyMinimumSize(*this);
    CentreOnScreen(*this);
  }
  QMainWindow::showEvent(event);
  // A resize delivered while showing arrives before the window counts as
  // visible, and re-centring at the same size sends none, so lay out and
  // draw here: otherwise the first sight of the window is of empty pictures.
  if (!shownOnce_) {
    shownOnce_ = true;
    Form_Resize();
  }
}

void LineArray_frm::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  ApplyMinimumSize(*this);
  Form_Resize();
}

void LineArray_frm::Form_Resize() {
  // 1-2. Never smaller than the minimum, frame included; lay out for the
  //      enlarged size at once.
  const QSize minimum = MinimumOuterSize(*this);
  const QSize outer = size() + FrameExtent(*this);
  if (outer.width() < minimum.width() || outer.height() < minimum.height())
    resize(outer.expandedTo(minimum) - FrameExtent(*this));
  const int W = outer.expandedTo(minimum).width() * TwipsPerPixel;
  const int H = outer.expandedTo(minimum).height() * TwipsPerPixel;
  // 3-4. The side view takes the width the expanded panels leave; the graph follows.
  int sideWidth = W - HorizontalMargin;
  if (BAreaSettingsActive) sideWidth -= WidthTwips(areas_);
  if (BArraySettingsActive) sideWidth -= WidthTwips(array_);
  SetWidthTwips(MainView_pbx, sideWidth);
  SetWidthTwips(graph_, WidthTwips(MainView_pbx));
  // 5. The area panel stands right of the side view when expanded, and
  //    flush with its right edge when collapsed.
  const int sideRight = LeftTwips(MainView_pbx) + WidthTwips(MainView_pbx);
  SetLeftTwips(areas_, BAreaSettingsActive ? sideRight : sideRight - WidthTwips(areas_));
  // 6. The project panel fills the width between the other two.
  SetWidthTwips(project_, W - (WidthTwips(areas_) + WidthTwips(array_) + ProjectPanelMargin));
  // 7. Heights: the graph, when shown, sits just below the side view.
  if (BGraphActive) {
    graphHeight_ = std::min(
        graphHeight_, std::max(GraphHeight, H - VerticalMargin - GraphGap - MinSideViewHeight));
    SetHeightTwips(MainView_pbx, H - VerticalMargin - GraphGap - graphHeight_);
    SetHeightTwips(graph_, graphHeight_);
    SetTopTwips(graph_, TopTwips(MainView_pbx) + HeightTwips(MainView_pbx) + GraphGap);
  } else {
    SetHeightTwips(MainView_pbx, H - VerticalMargin);
  }
  // 8. Draw for the new size.
  RedrawAll();
}

void LineArray_frm::ShowArraySettings_cbt_Click() {
  // Expanded, the panel runs down the window's left edge and the side view
  // gives up the panel's width plus a gap on its left.
  BArraySettingsActive = !BArraySettingsActive;
  array_->SetExpanded(BArraySettingsActive);
  const int shift = BArraySettingsActive ? -ArrayPanelShift : ArrayPanelShift;
  SetWidthTwips(MainView_pbx, WidthTwips(MainView_pbx) + shift);
  SetLeftTwips(MainView_pbx, LeftTwips(MainView_pbx) - shift);
  SetWidthTwips(graph_, WidthTwips(MainView_pbx));
  SetLeftTwips(graph_, LeftTwips(MainView_pbx));
  RedrawAll();
}

void LineArray_frm::ShowAreaSettings_cbt_Click() {
  // The panel stays where it is; the side view narrows or widens by the
  // panel's width plus a gap until the next resize recomputes it.
  BAreaSettingsActive = !BAreaSettingsActive;
  areas_->SetExpanded(BAreaSettingsActive);
  SetWidthTwips(MainView_pbx, WidthTwips(MainView_pbx) +
                                  (BAreaSettingsActive ? -AreaPanelShift : AreaPanelShift));
  SetWidthTwips(graph_, WidthTwips(MainView_pbx));
  RedrawAll();
}

void LineArray_frm::ShowGraph_men_Click() {
  // The entry's check mark has already changed with the click.
  BGraphActive = ShowGraph_men->isChecked();
  graph_->setVisible(BGraphActive);
  SetHeightTwips(MainView_pbx,
                 HeightTwips(MainView_pbx) + (BGraphActive ? -graphHeight_ : graphHeight_));
  // The strip goes just below the shortened side view at once: left at its
  // designed place it would cover the side view of any taller window until
  // the next resize.
  SetTopTwips(graph_, TopTwips(MainView_pbx) + HeightTwips(MainView_pbx) + GraphGap);
  RedrawAll();
}

void LineArray_frm::GraphHeight_Drag(int pixels) {
  // Never below the designed height; Form_Resize keeps the side view its minimum.
  graphHeight_ = std::max(GraphHeight, pixels * TwipsPerPixel);
  Form_Resize();
}

}  // namespace tarnwick
