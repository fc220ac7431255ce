#pragma once

#include <QWidget>

namespace tarnwick {

// The window is laid out in twips, 15 to a pixel at 96 dpi. Positions and
// sizes are kept in pixels by the toolkit and read back in twips.
inline constexpr int TwipsPerPixel = 15;

inline int TwipsToPixels(int twips) {
  return (twips >= 0 ? twips + TwipsPerPixel / 2 : twips - TwipsPerPixel / 2) / TwipsPerPixel;
}

struct TwipsRect {
  int left, top, width, height;
};

inline void PlaceTwips(QWidget* widget, int left, int top, int width, int height) {
  widget->setGeometry(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width),
                      TwipsToPixels(height));
}

inline void PlaceTwips(QWidget* widget, const TwipsRect& r) {
  PlaceTwips(widget, r.left, r.top, r.width, r.height);
}

inline int LeftTwips(const QWidget* w) { return w->x() * TwipsPerPixel; }
inline int TopTwips(const QWidget* w) { return w->y() * TwipsPerPixel; }
inline int WidthTwips(const QWidget* w) { return w->width() * TwipsPerPixel; }
inline int HeightTwips(const QWidget* w) { return w->height() * TwipsPerPixel; }
inline void SetLeftTwips(QWidget* w, int t) { w->move(TwipsToPixels(t), w->y()); }
inline void SetTopTwips(QWidget* w, int t) { w->move(w->x(), TwipsToPixels(t)); }
// A negative size (a window squeezed below its panels) is not applied.
inline void SetWidthTwips(QWidget* w, int t) {
  if (t >= 0) w->resize(TwipsToPixels(t), w->height());
}
inline void SetHeightTwips(QWidget* w, int t) {
  if (t >= 0) w->resize(w->width(), TwipsToPixels(t));
}

// Window design, in twips unless named otherwise.
inline constexpr int CollapsedPanelHeight = 1485;
inline constexpr int ExpandedPanelHeight = 8175;
inline constexpr int ArrayPanelShift = 2580;  // the panel is 2565 wide; 15 more for the gap
inline constexpr int AreaPanelShift = 1770;   // the panel is 1755 wide; 15 more for the gap
inline constexpr int HorizontalMargin = 180;  // window width minus side view width
inline constexpr int ProjectPanelMargin = 270;
inline constexpr int VerticalMargin = 2350;  // window height minus side view height
inline constexpr int GraphAllowance = 1485;  // graph height 1455 plus a 30 gap
inline constexpr int GraphGap = 30;
// The zoom view's own size, shrunk where it would cover more than ZoomViewShare of the side view.
inline constexpr int ZoomViewWidth = 2025, ZoomViewHeight = 4055;
inline constexpr double ZoomViewShare = 0.1;
inline constexpr int GraphHeight = 1455;
inline constexpr int MinSideViewHeight = 2400;  // what a taller graph strip leaves the side view
inline constexpr int MinimumWidthPixels = 800;
inline constexpr int MinimumHeightPixels = 600;
inline constexpr int ClientWidth = 11880;
inline constexpr int ClientHeight = 8265;

}  // namespace tarnwick
