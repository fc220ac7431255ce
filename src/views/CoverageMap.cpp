#include "views/CoverageMap.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <array>
#include <cmath>

#include "acoustics/LevelGrid.h"
#include "acoustics/SplPrediction.h"
#include "views/Canvas.h"

namespace tarnwick {

namespace {

// Even steps in lightness from a dark blue-violet through teal and green to yellow.
constexpr std::array<QRgb, MapSteps> Steps = {0xff440154, 0xff482173, 0xff433e85, 0xff38588c,
                                              0xff2d708e, 0xff25858e, 0xff1e9b8a, 0xff2ab07f,
                                              0xff52c569, 0xff86d549, 0xffc2df23, 0xfffde725};
constexpr QRgb Dim = 0xff3a3a42;  // below the lowest step, and where no level is defined

}  // namespace

float MapTop(float highestOnAreas) { return MapStepDb * std::ceil(highestOnAreas / MapStepDb); }

float AreasMapTop(const std::vector<std::vector<SPLPoint>>& areas) {
  const float highest = HighestLevel(areas);
  return highest > SPLFloor ? MapTop(highest) : 0.0f;
}

QRgb MapColour(float level, float top) {
  if (!(level > SPLFloor)) return Dim;
  // Step 0 is the top 3 dB (top - 3 < level), step 11 the lowest (top - 36 < level).
  const float below = (top - level) / MapStepDb;
  if (below < 0.0f) return Steps.back();
  const int step = int(std::ceil(below)) - 1;
  if (step >= MapSteps) return Dim;
  return Steps[MapSteps - 1 - std::max(step, 0)];
}

QImage RenderMap(const std::vector<float>& nodes, int nx, int ny, QSize size, float top) {
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  if (image.isNull() || nx < 2 || ny < 2 || nodes.size() < std::size_t(nx) * ny) return image;
  const double sx = double(nx - 1) / std::max(1, size.width() - 1);
  const double sy = double(ny - 1) / std::max(1, size.height() - 1);
  for (int y = 0; y < size.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    const double gy = y * sy;
    const int j = std::min(int(gy), ny - 2);
    const double fy = gy - j;
    const float* upper = &nodes[std::size_t(j) * nx];
    const float* lower = upper + nx;
    for (int x = 0; x < size.width(); ++x) {
      const double gx = x * sx;
      const int i = std::min(int(gx), nx - 2);
      const double fx = gx - i;
      const float corners[] = {upper[i], upper[i + 1], lower[i], lower[i + 1]};
      // A node without a level (a box's own source) is not blended into its neighbours.
      if (std::ranges::any_of(corners, [](float v) { return !(v > SPLFloor); })) {
        line[x] = MapColour(corners[(fy >= 0.5) * 2 + (fx >= 0.5)], top);
        continue;
      }
      const double level = (1 - fy) * ((1 - fx) * corners[0] + fx * corners[1]) +
                           fy * ((1 - fx) * corners[2] + fx * corners[3]);
      line[x] = MapColour(float(level), top);
    }
  }
  return image;
}

void DrawColourBar(QPainter& painter, const QRectF& bar, float top, const QString& decimalPoint) {
  const QFontMetricsF metrics(painter.font());
  const double step = bar.height() / MapSteps;
  painter.setPen(Qt::NoPen);
  for (int s = 0; s < MapSteps; ++s)
    painter.fillRect(QRectF(bar.left(), bar.top() + s * step, bar.width(), step + 0.5),
                     QColor::fromRgb(Steps[MapSteps - 1 - s]));
  painter.setPen(QColor(0x33, 0x33, 0x33));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(bar);
  // A label at every other boundary keeps them apart in a short bar.
  const int every = step * 2 < metrics.height() * 1.1 ? 4 : 2;
  for (int s = 0; s <= MapSteps; s += every) {
    QString text = QString::number(top - MapStepDb * s, 'f', 0);
    if (decimalPoint != QLatin1String(".")) text.replace(QLatin1Char('.'), decimalPoint);
    const double y = bar.top() + s * step;
    painter.drawLine(QPointF(bar.left() - 3, y), QPointF(bar.left(), y));
    painter.drawText(QRectF(bar.left() - 44, y - metrics.height() / 2, 40, metrics.height()),
                     Qt::AlignRight | Qt::AlignVCenter, text);
  }
  painter.drawText(
      QRectF(bar.left() - 20, bar.top() - metrics.height() - 2, bar.width() + 40, metrics.height()),
      Qt::AlignHCenter | Qt::AlignBottom, QStringLiteral("dB"));
}

void DrawAreaLevels(Canvas& side, const std::vector<SPLPoint>& points, float top) {
  if (points.size() < 2) return;
  side.DrawWidth = 6;
  side.Line(points.front().Position.X, points.front().Position.Y, points.back().Position.X,
            points.back().Position.Y, QColor(0x20, 0x20, 0x20));
  side.DrawWidth = 3;
  for (std::size_t i = 0; i + 1 < points.size(); ++i) {
    // Each piece in the colour of its middle.
    const float level = 0.5f * (points[i].SPL + points[i + 1].SPL);
    side.Line(points[i].Position.X, points[i].Position.Y, points[i + 1].Position.X,
              points[i + 1].Position.Y, QColor::fromRgb(MapColour(level, top)));
  }
  side.DrawWidth = 1;
}

}  // namespace tarnwick
