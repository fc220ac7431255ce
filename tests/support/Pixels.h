#pragma once

#include <QImage>
#include <cmath>

#include "views/Canvas.h"

namespace tarnwick {

// What a pixel of a picture is: dark, inked at all, or of the program's reds.
inline bool IsDark(QRgb p) { return qGray(p) < 128; }
inline bool IsInked(QRgb p) { return qGray(p) < 200; }
inline bool IsReddish(QRgb p) { return qRed(p) > qGreen(p) + 40 && qRed(p) > qBlue(p) + 40; }

// How many pixels of the image, or of `area` of it, pass the test.
inline int Count(const QImage& image, auto test, QRect area = {}) {
  if (area.isNull()) area = image.rect();
  int count = 0;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x) count += bool(test(image.pixel(x, y)));
  return count;
}

// Whether any pixel within `radius` logical pixels of a logical position passes the test.
inline bool AnyNear(const QImage& image, QPointF at, int radius, bool (*test)(QRgb)) {
  const double ratio = image.devicePixelRatio();
  const int x = int(std::lround(at.x() * ratio)), y = int(std::lround(at.y() * ratio));
  const int r = int(std::ceil(radius * ratio));
  for (int py = y - r; py <= y + r; ++py)
    for (int px = x - r; px <= x + r; ++px)
      if (image.valid(px, py) && test(image.pixel(px, py))) return true;
  return false;
}
inline bool AnyNear(Canvas& view, double x, double y, int radius, bool (*test)(QRgb)) {
  return AnyNear(view.Image(), view.ToPixels(x, y), radius, test);
}

}  // namespace tarnwick
