#include "views/SplGraph.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <limits>

#include "acoustics/ModuleData.h"
#include "model/ProjectData.h"

namespace tarnwick {

namespace {

constexpr double TickGap = 4.0;  // pixels between a tick label and its axis

bool Defined(const SPLPoint& p) { return p.SPL != SPLFloor && std::isfinite(p.SPL); }

double Distance(std::size_t i) { return SPLPointSpacing * double(i); }

QString Number(double value, int decimals, const QString& point) {
  QString text = QString::number(value, 'f', decimals);
  if (point != QLatin1String(".")) text.replace(QLatin1Char('.'), point);
  return text;
}

// Enough decimals to tell neighbouring ticks apart.
int DecimalsFor(double step) { return step >= 1.0 ? 0 : int(std::ceil(-std::log10(step) - 1e-9)); }

}  // namespace

double LevelStep(double range, double pixels, double minimum) {
  for (const double step : {1.0, 2.0, 3.0, 5.0, 6.0, 10.0})
    if (range / step * minimum <= pixels) return step;
  // Beyond 10 dB a step a ten of those.
  return 10.0 * LevelStep(range / 10.0, pixels, minimum);
}

double DistanceStep(double range, double pixels, double minimum) {
  if (!(range > 0.0) || !(pixels > 0.0)) return 1.0;
  double decade = std::pow(10.0, std::floor(std::log10(range * minimum / pixels)));
  for (;; decade *= 10.0)
    for (const double mantissa : {1.0, 2.0, 5.0})
      if (range / (mantissa * decade) * minimum <= pixels) return mantissa * decade;
}

QColor CurveColour(int area) {
  // Told apart by hue and lightness alike, also by the colour-blind.
  static const QColor colours[] = {QColor(0x1f, 0x5f, 0xb4), QColor(0xd9, 0x5f, 0x02),
                                   QColor(0x1b, 0x8e, 0x5e)};
  return colours[std::clamp(area, 1, 3) - 1];
}

GraphLayout::GraphLayout(const std::vector<LevelCurve>& curves, const QRectF& bounds,
                         const QFontMetricsF& metrics, const GraphText& text)
    : curves_(curves) {
  double low = std::numeric_limits<double>::infinity(), high = -low;
  for (const LevelCurve& curve : curves) {
    length_ = std::max(length_, Distance(curve.Points.size() - 1));
    for (const SPLPoint& p : curve.Points)
      if (Defined(p)) low = std::min(low, double(p.SPL)), high = std::max(high, double(p.SPL));
    for (const float level : curve.Low)
      if (level > SPLFloor) low = std::min(low, double(level));
    for (const float level : curve.High)
      if (level > SPLFloor) high = std::max(high, double(level));
  }
  if (!(low <= high)) low = 0.0, high = 1.0;
  const double line = metrics.height();
  // The caption on top, the distance labels below; the level labels on the left and the
  // distance unit on the right.
  const double labelWidth = metrics.horizontalAdvance(QStringLiteral("-000")) + TickGap;
  // Room on the right for half the last distance label and the unit after it.
  const double unitWidth =
      metrics.horizontalAdvance(QStringLiteral("00.0")) / 2 +
      metrics.horizontalAdvance(text.Feet ? QStringLiteral(" ft") : QStringLiteral(" m"));
  // The top level label reaches half a line above the plot, under the caption.
  plot_ = QRectF(bounds.left() + labelWidth, bounds.top() + 1.5 * line + 2.0,
                 bounds.width() - labelWidth - unitWidth - 4.0, bounds.height() - 2.5 * line - 4.0);
  if (plot_.width() < 1.0) plot_.setWidth(1.0);
  if (plot_.height() < 1.0) plot_.setHeight(1.0);
  levelStep_ = LevelStep(std::max(high - low, 1.0), plot_.height(), line * 1.1);
  bottom_ = std::floor(low / levelStep_) * levelStep_;
  top_ = std::ceil(high / levelStep_) * levelStep_;
  if (top_ - bottom_ < levelStep_) top_ = bottom_ + levelStep_;
}

QPointF GraphLayout::ToPixels(double metres, double level) const {
  return {plot_.left() + metres / length_ * plot_.width(),
          plot_.bottom() - (level - bottom_) / (top_ - bottom_) * plot_.height()};
}

std::optional<std::pair<std::size_t, std::size_t>> GraphLayout::Nearest(QPointF at,
                                                                        double reach) const {
  std::optional<std::pair<std::size_t, std::size_t>> best;
  double nearest = reach * reach;
  for (std::size_t c = 0; c < curves_.size(); ++c)
    for (std::size_t i = 0; i < curves_[c].Points.size(); ++i) {
      if (!Defined(curves_[c].Points[i])) continue;
      const QPointF d = ToPixels(Distance(i), curves_[c].Points[i].SPL) - at;
      // Along the curve the distance counts most: the level under the pointer is wanted.
      const double squared = d.x() * d.x() + 0.25 * d.y() * d.y();
      if (squared <= nearest) nearest = squared, best = std::pair{c, i};
    }
  return best;
}

void DrawLevelGraph(QPainter& painter, const GraphLayout& layout,
                    const std::vector<LevelCurve>& curves, const GraphText& text,
                    std::optional<std::pair<std::size_t, std::size_t>> hovered) {
  const QFontMetricsF metrics(painter.font());
  const QRectF plot = layout.Plot();
  const double unit = text.Feet ? double(MetresToFeet) : 1.0;
  const QString unitName = text.Feet ? QStringLiteral("ft") : QStringLiteral("m");
  const QColor grid(0xdd, 0xdd, 0xdd), axis(0x55, 0x55, 0x55), label(0x22, 0x22, 0x22);
  painter.setRenderHint(QPainter::Antialiasing, false);

  // Level ticks, grid and labels; "dB" above the labels.
  const double step = layout.LevelStepDb();
  const int levelDecimals = DecimalsFor(step);
  for (double level = layout.LevelBottom(); level <= layout.LevelTop() + 1e-9; level += step) {
    const double y = std::round(layout.ToPixels(0, level).y()) + 0.5;
    painter.setPen(grid);
    painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
    painter.setPen(label);
    const QRectF box(0, y - metrics.height() / 2, plot.left() - TickGap, metrics.height());
    painter.drawText(box, Qt::AlignRight | Qt::AlignVCenter,
                     Number(level, levelDecimals, text.DecimalPoint));
  }
  painter.drawText(
      QRectF(0, plot.top() - 1.5 * metrics.height() - 2, plot.left() - TickGap, metrics.height()),
      Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("dB"));

  // Distance ticks in the chosen unit, grid and labels; the unit after the axis.
  const double span = layout.Length() * unit;
  const double distanceStep =
      DistanceStep(span, plot.width(), metrics.horizontalAdvance(QStringLiteral("000.0")) + 8.0);
  const int distanceDecimals = DecimalsFor(distanceStep);
  for (int n = 0; n * distanceStep <= span + 1e-9; ++n) {
    const double x = std::round(layout.ToPixels(n * distanceStep / unit, 0).x()) + 0.5;
    painter.setPen(grid);
    painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
    painter.setPen(label);
    const QRectF box(x - 40, plot.bottom() + 2, 80, metrics.height());
    painter.drawText(box, Qt::AlignHCenter | Qt::AlignTop,
                     Number(n * distanceStep, distanceDecimals, text.DecimalPoint));
  }
  const QString last = Number(std::floor(span / distanceStep + 1e-9) * distanceStep,
                              distanceDecimals, text.DecimalPoint);
  painter.drawText(QRectF(plot.right() + metrics.horizontalAdvance(last) / 2 + 3, plot.bottom() + 2,
                          40, metrics.height()),
                   Qt::AlignLeft | Qt::AlignTop, unitName);
  painter.setPen(axis);
  painter.drawLine(plot.bottomLeft(), plot.bottomRight());
  painter.drawLine(plot.bottomLeft(), plot.topLeft());

  // Curves, broken where a level is not defined; the extremes over all of them.
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setClipRect(plot.adjusted(-1, -3, 1, 3));
  struct Extreme {
    double level;
    std::size_t curve, index;
  };
  std::optional<Extreme> highest, lowest;
  // Tolerance bands first, light, under every curve.
  for (const LevelCurve& curve : curves) {
    if (curve.Low.size() != curve.Points.size() || curve.High.size() != curve.Points.size())
      continue;
    QPolygonF band;
    for (std::size_t i = 0; i < curve.Low.size(); ++i)
      if (curve.Low[i] > SPLFloor) band << layout.ToPixels(Distance(i), curve.Low[i]);
    for (std::size_t i = curve.High.size(); i-- > 0;)
      if (curve.High[i] > SPLFloor) band << layout.ToPixels(Distance(i), curve.High[i]);
    QColor shade = CurveColour(curve.Area);
    shade.setAlpha(60);
    painter.setPen(Qt::NoPen);
    painter.setBrush(shade);
    painter.drawPolygon(band);
  }
  painter.setBrush(Qt::NoBrush);
  for (std::size_t c = 0; c < curves.size(); ++c) {
    QPainterPath path;
    bool drawing = false;
    const auto& points = curves[c].Points;
    for (std::size_t i = 0; i < points.size(); ++i) {
      if (!Defined(points[i])) {
        drawing = false;
        continue;
      }
      const QPointF at = layout.ToPixels(Distance(i), points[i].SPL);
      drawing ? path.lineTo(at) : path.moveTo(at);
      drawing = true;
      if (!highest || points[i].SPL > highest->level) highest = Extreme{points[i].SPL, c, i};
      if (!lowest || points[i].SPL < lowest->level) lowest = Extreme{points[i].SPL, c, i};
    }
    if (points.size() == 1 && Defined(points[0]))
      path.lineTo(layout.ToPixels(0, points[0].SPL) + QPointF(6, 0));
    painter.setPen(QPen(CurveColour(curves[c].Area), 1.5));
    painter.drawPath(path);
  }
  const auto mark = [&](const Extreme& e, bool top) {
    const QPointF at = layout.ToPixels(Distance(e.index), e.level);
    const double s = 4.0, d = top ? -1.0 : 1.0;  // a triangle pointing at the point
    const QPointF triangle[] = {at, at + QPointF(-s, d * 1.6 * s), at + QPointF(s, d * 1.6 * s)};
    painter.setPen(Qt::NoPen);
    painter.setBrush(top ? QColor(0xc0, 0x20, 0x20) : QColor(0x20, 0x20, 0x90));
    painter.drawPolygon(triangle, 3);
  };
  painter.setClipping(false);

  // Caption, extremes, and the legend of several areas, along the top.
  QString top = text.Caption;
  if (highest && lowest) {
    mark(*highest, true);
    mark(*lowest, false);
    top += QStringLiteral("     max %1 dB at %2 %4   min %3 dB at %5 %4")
               .arg(Number(highest->level, 1, text.DecimalPoint),
                    Number(Distance(highest->index) * unit, 1, text.DecimalPoint),
                    Number(lowest->level, 1, text.DecimalPoint), unitName,
                    Number(Distance(lowest->index) * unit, 1, text.DecimalPoint));
  }
  painter.setPen(label);
  painter.drawText(
      QRectF(plot.left(), plot.top() - 1.5 * metrics.height() - 2, plot.width(), metrics.height()),
      Qt::AlignLeft | Qt::AlignVCenter, top);
  if (curves.size() > 1) {
    double x = plot.right();
    for (auto c = curves.rbegin(); c != curves.rend(); ++c) {
      const QString name = QStringLiteral("Area %1").arg(c->Area);
      x -= metrics.horizontalAdvance(name);
      const double y = plot.top() - metrics.height() - 2;
      painter.setPen(label);
      painter.drawText(QPointF(x, y + metrics.ascent() / 2 - 1), name);
      painter.setPen(QPen(CurveColour(c->Area), 2.0));
      painter.drawLine(QPointF(x - 18, y), QPointF(x - 4, y));
      x -= 26;
    }
  }

  // The hovered point: a ring and its numbers in a box beside it.
  if (!hovered) return;
  const auto& [c, i] = *hovered;
  const SPLPoint& p = curves[c].Points[i];
  const QPointF at = layout.ToPixels(Distance(i), p.SPL);
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(CurveColour(curves[c].Area), 1.5));
  painter.drawEllipse(at, 4.0, 4.0);
  QString readout = QStringLiteral("%1 %2, height %3 %2: %4 dB")
                        .arg(Number(Distance(i) * unit, 1, text.DecimalPoint), unitName,
                             Number(p.Position.Y * unit, 2, text.DecimalPoint),
                             Number(p.SPL, 1, text.DecimalPoint));
  if (curves.size() > 1) readout = QStringLiteral("Area %1: ").arg(curves[c].Area) + readout;
  QRectF box(0, 0, metrics.horizontalAdvance(readout) + 8, metrics.height() + 4);
  box.moveTopLeft(at + QPointF(8, 6));
  if (box.right() > plot.right()) box.moveRight(at.x() - 8);
  if (box.bottom() > plot.bottom()) box.moveBottom(at.y() - 6);
  painter.setPen(axis);
  painter.setBrush(QColor(255, 255, 240));
  painter.drawRect(box);
  painter.setPen(label);
  painter.drawText(box, Qt::AlignCenter, readout);
}

void DrawBandLevels(QPainter& painter, const QRectF& bounds,
                    const std::array<float, LevelEntryCount>& levels, const QString& decimalPoint) {
  const QFontMetricsF metrics(painter.font());
  double low = std::numeric_limits<double>::infinity(), high = -low;
  for (int band = 0; band < BandCount; ++band)
    if (levels[band] > SPLFloor) {
      low = std::min(low, double(levels[band]));
      high = std::max(high, double(levels[band]));
    }
  if (!(low <= high)) return;
  const double labelWidth = metrics.horizontalAdvance(QStringLiteral("-000")) + TickGap;
  // "dB" above the level labels, the top one reaching half a line above the plot.
  const QRectF plot(bounds.left() + labelWidth, bounds.top() + 1.6 * metrics.height(),
                    bounds.width() - labelWidth - metrics.horizontalAdvance(QStringLiteral("10k")),
                    bounds.height() - 3.1 * metrics.height());
  const double step = LevelStep(std::max(high - low, 1.0), plot.height(), metrics.height() * 1.2);
  const double bottom = std::floor(low / step) * step;
  const double top = std::max(std::ceil(high / step) * step, bottom + step);
  // Frequencies from 100 Hz to 10 kHz: two decades, evenly in their logarithm.
  const auto x = [&](double hz) {
    return plot.left() + std::log10(hz / 100.0) / 2.0 * plot.width();
  };
  const auto y = [&](double dB) {
    return plot.bottom() - (dB - bottom) / (top - bottom) * plot.height();
  };
  const QColor grid(0xdd, 0xdd, 0xdd), label(0x22, 0x22, 0x22);
  for (double dB = bottom; dB <= top + 1e-9; dB += step) {
    painter.setPen(grid);
    painter.drawLine(QPointF(plot.left(), y(dB)), QPointF(plot.right(), y(dB)));
    painter.setPen(label);
    painter.drawText(
        QRectF(bounds.left(), y(dB) - metrics.height() / 2, labelWidth - TickGap, metrics.height()),
        Qt::AlignRight | Qt::AlignVCenter, Number(dB, DecimalsFor(step), decimalPoint));
  }
  painter.drawText(QRectF(bounds.left(), bounds.top() - 2, labelWidth - TickGap, metrics.height()),
                   Qt::AlignRight | Qt::AlignTop, QStringLiteral("dB"));
  for (const double hz : {100.0, 200.0, 500.0, 1000.0, 2000.0, 5000.0, 10000.0}) {
    painter.setPen(grid);
    painter.drawLine(QPointF(x(hz), plot.top()), QPointF(x(hz), plot.bottom()));
    painter.setPen(label);
    const QString text = hz >= 1000 ? QStringLiteral("%1k").arg(hz / 1000) : QString::number(hz);
    painter.drawText(QRectF(x(hz) - 30, plot.bottom() + 2, 60, metrics.height()),
                     Qt::AlignHCenter | Qt::AlignTop, text);
  }
  painter.drawText(
      QRectF(plot.left(), plot.bottom() + 2 + metrics.height(), plot.width(), metrics.height()),
      Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("Frequency (Hz)"));
  painter.setPen(QColor(0x55, 0x55, 0x55));
  painter.drawLine(plot.bottomLeft(), plot.bottomRight());
  painter.drawLine(plot.bottomLeft(), plot.topLeft());
  // The bands' levels joined, each marked.
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setPen(QPen(CurveColour(1), 1.5));
  painter.setBrush(CurveColour(1));
  QPainterPath path;
  bool drawing = false;
  for (int band = 0; band < BandCount; ++band) {
    if (!(levels[band] > SPLFloor)) {
      drawing = false;
      continue;
    }
    const QPointF at(x(BandCentreFrequency(band)), y(levels[band]));
    drawing ? path.lineTo(at) : path.moveTo(at);
    drawing = true;
    painter.drawEllipse(at, 2.0, 2.0);
  }
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(path);
}

}  // namespace tarnwick
