#include "views/SectionGrid.h"

#include <cmath>

#include "model/ModuleShape.h"
#include "model/ProjectData.h"
#include "views/Canvas.h"

namespace tarnwick {

namespace {

constexpr double LeastGap = 40.0;  // pixels between lines

// A label: the number in the unit, with as many decimals as the step needs.
QString Label(double value, double step, const ReadoutStyle& style) {
  const int decimals = step >= 1.0 ? 0 : int(std::ceil(-std::log10(step) - 1e-9));
  QString text = QString::number(std::fabs(value) < step / 2 ? 0.0 : value, 'f', decimals);
  return text.replace(QLatin1Char('.'), style.DecimalPoint);
}

// Text with its top left at (x, y) in user units, dark on a white outline one pixel wide.
void Outlined(Canvas& side, double x, double y, const QString& text, double pixelX, double pixelY) {
  side.ForeColor = Qt::white;
  for (const auto& [dx, dy] : {std::pair(-1, 0), {1, 0}, {0, -1}, {0, 1}}) {
    side.CurrentX = x + dx * pixelX, side.CurrentY = y + dy * pixelY;
    side.Print(text);
  }
  side.ForeColor = QColor(40, 40, 40);
  side.CurrentX = x, side.CurrentY = y;
  side.Print(text);
}

}  // namespace

double GridStep(double pixelsPerUnit) {
  if (!(pixelsPerUnit > 0.0) || !std::isfinite(pixelsPerUnit)) return 0.0;
  double power = std::pow(10.0, std::floor(std::log10(LeastGap / pixelsPerUnit)));
  for (;; power *= 10.0)
    for (const double factor : {1.0, 2.0, 5.0})
      if (factor * power * pixelsPerUnit >= LeastGap) return factor * power;
}

void DrawGrid(Canvas& side, const ReadoutStyle& style) {
  const QSize inner = side.InnerSize();
  if (inner.width() <= 0 || inner.height() <= 0) return;
  const double unit = style.Feet ? double(FeetToMetres) : 1.0;  // metres
  const double left = side.ScaleLeft(), right = left + side.ScaleWidth();
  const double top = side.ScaleTop(), bottom = top + side.ScaleHeight();
  const double pixelX = side.ScaleWidth() / inner.width();
  const double pixelY = side.ScaleHeight() / inner.height();  // negative: y grows upward
  const double step = GridStep(unit / pixelX);
  if (!(step > 0.0)) return;
  const double metres = step * unit;
  const QColor line(0, 0, 0, 45);
  const int saved = side.DrawWidth;
  side.DrawWidth = 1;
  const QString sample = QStringLiteral("0");
  const double textHeight = std::fabs(side.TextHeight(sample));
  // Across from the mounting point, labelled just above the bottom edge.
  const double firstX = std::ceil(FromMountingPoint(left) / metres);
  for (double k = firstX; SceneX(k * metres) <= right; ++k) {
    const double x = SceneX(k * metres);
    side.Line(x, top, x, bottom, line);
    if (x + 56 * pixelX <= right)  // room for the label, and for the unit's at the far end
      Outlined(side, x + 3 * pixelX, bottom + textHeight + 2 * std::fabs(pixelY),
               Label(k * step, step, style), pixelX, pixelY);
  }
  // Up from the floor, labelled at the left edge.
  for (double k = std::ceil(bottom / metres); k * metres <= top; ++k) {
    const double y = k * metres;
    side.Line(left, y, right, y, line);
    Outlined(side, left + 3 * pixelX, y + textHeight + std::fabs(pixelY),
             Label(k * step, step, style), pixelX, pixelY);
  }
  Outlined(side, right - 30 * pixelX, bottom + textHeight + 2 * std::fabs(pixelY),
           style.Feet ? QStringLiteral("ft") : QStringLiteral("m"), pixelX, pixelY);
  side.DrawWidth = saved;
  side.ForeColor = Canvas::QBColor(0);
}

}  // namespace tarnwick
