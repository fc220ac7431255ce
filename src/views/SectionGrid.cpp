#include "views/SectionGrid.h"

#include <cmath>
#include <vector>

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

// Text with its top left at the label's corner, dark on a white outline or plate.
void DrawLabel(Canvas& side, const GridLabel& label) {
  side.ForeColor = GridInk;
  side.CurrentX = label.X, side.CurrentY = label.Y;
  if (label.Plated)
    side.PrintOnPlate(label.Text, Qt::white);
  else
    side.PrintOutlined(label.Text, Qt::white);
}

}  // namespace

double GridStep(double pixelsPerUnit) {
  if (!(pixelsPerUnit > 0.0) || !std::isfinite(pixelsPerUnit)) return 0.0;
  double power = std::pow(10.0, std::floor(std::log10(LeastGap / pixelsPerUnit)));
  for (;; power *= 10.0)
    for (const double factor : {1.0, 2.0, 5.0})
      if (factor * power * pixelsPerUnit >= LeastGap) return factor * power;
}

GridMarks LayOutGrid(const Canvas& side, const ReadoutStyle& style, const QRect& covered) {
  GridMarks marks;
  const QSize inner = side.InnerSize();
  if (inner.width() <= 0 || inner.height() <= 0) return marks;
  const double unit = style.Feet ? double(FeetToMetres) : 1.0;  // metres
  const double left = side.ScaleLeft(), right = left + side.ScaleWidth();
  const double top = side.ScaleTop(), bottom = top + side.ScaleHeight();
  const double pixelX = side.ScaleWidth() / inner.width();
  const double pixelY = side.ScaleHeight() / inner.height();  // negative: y grows upward
  const double step = GridStep(unit / pixelX);
  if (!(step > 0.0)) return marks;
  const double metres = step * unit;
  const double textHeight = std::fabs(side.TextHeight(QStringLiteral("0")));
  const double textRows = textHeight / std::fabs(pixelY);
  // Across from the mounting point, labelled just above the bottom edge.
  for (double k = std::ceil(FromMountingPoint(left) / metres); SceneX(k * metres) <= right; ++k) {
    const double x = SceneX(k * metres);
    marks.Rules.emplace_back(x, top, x, bottom);
    const QPointF corner = side.ToPixels(x, bottom);
    // Room for the label, and for the unit's at the far end; none under the zoom view.
    if (x + 56 * pixelX <= right &&
        !covered.intersects(
            QRectF(corner.x(), corner.y() - textRows - 4, 50, textRows + 4).toAlignedRect()))
      marks.Labels.push_back({x + 3 * pixelX, bottom + textHeight + 2 * std::fabs(pixelY),
                              Label(k * step, step, style), true});
  }
  // Up from the floor, labelled at the left edge, or right of the zoom view beside it.
  for (double k = std::ceil(bottom / metres); k * metres <= top; ++k) {
    const double y = k * metres;
    marks.Rules.emplace_back(left, y, right, y);
    const double row = side.ToPixels(left, y).y();
    if (row > inner.height() - textRows - 4) continue;  // the distances' row is there
    const bool beside =
        !covered.isEmpty() && row >= covered.top() - 2 && row - textRows <= covered.bottom() + 2;
    marks.Labels.push_back({left + ((beside ? covered.right() + 1 : 0) + 3) * pixelX,
                            y + textHeight + std::fabs(pixelY), Label(k * step, step, style)});
  }
  marks.Labels.push_back({right - 30 * pixelX, bottom + textHeight + 2 * std::fabs(pixelY),
                          style.Feet ? QStringLiteral("ft") : QStringLiteral("m"), true});
  return marks;
}

void DrawGrid(Canvas& side, const ReadoutStyle& style, const QRect& covered) {
  const GridMarks marks = LayOutGrid(side, style, covered);
  // The rules first, then the labels over them.
  side.Rules(marks.Rules, GridRule);
  for (const GridLabel& label : marks.Labels) DrawLabel(side, label);
  side.ForeColor = Canvas::QBColor(0);
}

}  // namespace tarnwick
