#pragma once

#include <QWidget>

namespace tarnwick {

// The window is designed in twips, 15 to a pixel at 96 dpi.
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

}  // namespace tarnwick
