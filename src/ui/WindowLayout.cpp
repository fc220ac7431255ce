// How the window shares its area between the panels, the side view and the
// graph, and the two view preferences that only change the picture.

#include <QAction>
#include <QGroupBox>
#include <QMenuBar>
#include <QResizeEvent>
#include <QScreen>

#include "ui/LineArrayForm.h"
#include "ui/PanelFrame.h"
#include "ui/Twips.h"
#include "views/DrawingSurface.h"

namespace tarnwick {

QSize LineArray_frm::FrameExtent() const {
  // Without a window manager there is no frame; count the one the window
  // was designed with (4 pixels a side and a 25 pixel caption), so that the
  // layout comes out the same either way.
  const QSize extent = frameGeometry().size() - size();
  return extent.isEmpty() ? QSize(8, 29) : extent;
}

QSize LineArray_frm::OuterSizeTwips() const { return (size() + FrameExtent()) * TwipsPerPixel; }

void LineArray_frm::ApplyMinimumSize() {
  setMinimumSize(QSize(MinimumWidthPixels, MinimumHeightPixels) - FrameExtent());
}

void LineArray_frm::CentreOnScreen() {
  // The designed client area below the menu bar, or more where the minimum
  // outer size asks for it.
  const QSize client(TwipsToPixels(ClientWidth),
                     TwipsToPixels(ClientHeight) + menuBar()->sizeHint().height());
  resize(client.expandedTo(minimumSize()));
  const QRect outer(QPoint(0, 0), size() + FrameExtent());
  if (const QScreen* s = screen()) move(s->availableGeometry().center() - outer.center());
}

void LineArray_frm::showEvent(QShowEvent* event) {
  if (!placed_) {
    placed_ = true;
    ApplyMinimumSize();
    CentreOnScreen();
  }
  QMainWindow::showEvent(event);
  // The layout rule runs when the window is shown. A resize delivered while
  // showing arrives before the window counts as visible, and re-centring at
  // the same size sends none, so lay out and draw here: otherwise the first
  // sight of the window is of empty pictures.
  if (!laidOut_) {
    laidOut_ = true;
    Form_Resize();
  }
}

void LineArray_frm::Form_Resize() {
  // 1-2. Never smaller than 800 x 600 pixels, frame included; lay out for
  //      the enlarged size at once.
  const QSize minimum(MinimumWidthPixels, MinimumHeightPixels);
  const QSize outer = size() + FrameExtent();
  if (outer.width() < minimum.width() || outer.height() < minimum.height())
    resize(outer.expandedTo(minimum) - FrameExtent());
  const int W = outer.expandedTo(minimum).width() * TwipsPerPixel;
  const int H = outer.expandedTo(minimum).height() * TwipsPerPixel;
  // 3-4. The side view takes the width the expanded panels leave; the graph follows.
  int sideWidth = W - HorizontalMargin;
  if (BAreaSettingsActive) sideWidth -= WidthTwips(AreaFrame);
  if (BArraySettingsActive) sideWidth -= WidthTwips(ArrayFrame);
  SetWidthTwips(MainView_pbx, sideWidth);
  SetWidthTwips(Graph_pbx, WidthTwips(MainView_pbx));
  // 5. The area panel stands right of the side view when expanded, and
  //    flush with its right edge when collapsed.
  const int sideRight = LeftTwips(MainView_pbx) + WidthTwips(MainView_pbx);
  SetLeftTwips(AreaFrame, BAreaSettingsActive ? sideRight : sideRight - WidthTwips(AreaFrame));
  // 6. The project panel fills the width between the other two.
  SetWidthTwips(ProjectFrame,
                W - (WidthTwips(AreaFrame) + WidthTwips(ArrayFrame) + ProjectPanelMargin));
  // 7. Heights: the graph, when shown, sits just below the side view.
  if (BGraphActive) {
    SetHeightTwips(MainView_pbx, H - VerticalMargin - GraphAllowance);
    SetTopTwips(Graph_pbx, TopTwips(MainView_pbx) + HeightTwips(MainView_pbx) + GraphGap);
  } else {
    SetHeightTwips(MainView_pbx, H - VerticalMargin);
  }
  // 8. Draw for the new size.
  RedrawAll();
}

void LineArray_frm::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  ApplyMinimumSize();
  Form_Resize();
}

void LineArray_frm::FixedHeight_men_Click() { RedrawAll(); }

void LineArray_frm::ShowZoom_men_Click() {
  ZoomView_pbx->setVisible(ShowZoom_men->isChecked());
  RedrawAll();
}

}  // namespace tarnwick
