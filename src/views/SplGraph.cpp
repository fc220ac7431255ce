#include "views/SplGraph.h"

#include <QFontMetricsF>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <limits>

#include "acoustics/ModuleData.h"
#include "acoustics/Tolerance.h"
#include "model/ModuleShape.h"
#include "model/ProjectData.h"
#include "model/ProjectRules.h"

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
    : curves_(curves), fromArray_(text.FromArray) {
  double low = std::numeric_limits<double>::infinity(), high = -low;
  double first = low, last = -low;
  for (std::size_t c = 0; c < curves.size(); ++c)
    for (std::size_t i = 0; i < curves[c].Points.size(); ++i)
      first = std::min(first, Position(c, i)), last = std::max(last, Position(c, i));
  if (fromArray_ && first < last) {
    start_ = std::floor(first), end_ = std::ceil(last);
  } else {
    start_ = 0.0, end_ = std::max(1.0, last);
  }
  for (const LevelCurve& curve : curves) {
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

double GraphLayout::Position(std::size_t c, std::size_t i) const {
  return fromArray_ ? FromMountingPoint(curves_[c].Points[i].Position.X) : Distance(i);
}

QPointF GraphLayout::ToPixels(double metres, double level) const {
  return {plot_.left() + (metres - start_) / (end_ - start_) * plot_.width(),
          plot_.bottom() - (level - bottom_) / (top_ - bottom_) * plot_.height()};
}

std::optional<std::pair<std::size_t, std::size_t>> GraphLayout::Nearest(QPointF at,
                                                                        double reach) const {
  std::optional<std::pair<std::size_t, std::size_t>> best;
  double nearest = reach * reach;
  for (std::size_t c = 0; c < curves_.size(); ++c)
    for (std::size_t i = 0; i < curves_[c].Points.size(); ++i) {
      if (!Defined(curves_[c].Points[i])) continue;
      const QPointF d = ToPixels(Position(c, i), curves_[c].Points[i].SPL) - at;
      // Along the curve the distance counts most: the level under the pointer is wanted.
      const double squared = d.x() * d.x() + 0.25 * d.y() * d.y();
      if (squared <= nearest) nearest = squared, best = std::pair{c, i};
    }
  return best;
}

namespace {

// What the steps of drawing the level graph share.
struct GraphPainter {
  QPainter& painter;
  const GraphLayout& layout;
  const GraphText& text;
  QFontMetricsF metrics;
  QRectF plot;
  double unit;  // of distance per metre
  QString unitName;
  QColor grid{0xdd, 0xdd, 0xdd}, axis{0x55, 0x55, 0x55}, label{0x22, 0x22, 0x22};

  QString Number(double value, int decimals) const {
    return tarnwick::Number(value, decimals, text.DecimalPoint);
  }
};

// The highest or lowest defined level over all curves, where it lies.
struct Extreme {
  double level;
  std::size_t curve, index;
};

// Level ticks, grid and labels; "dB" above the labels.
void DrawLevelAxis(const GraphPainter& g) {
  const double step = g.layout.LevelStepDb();
  const int decimals = DecimalsFor(step);
  for (double level = g.layout.LevelBottom(); level <= g.layout.LevelTop() + 1e-9; level += step) {
    const double y = std::round(g.layout.ToPixels(0, level).y()) + 0.5;
    g.painter.setPen(g.grid);
    g.painter.drawLine(QPointF(g.plot.left(), y), QPointF(g.plot.right(), y));
    g.painter.setPen(g.label);
    const QRectF box(0, y - g.metrics.height() / 2, g.plot.left() - TickGap, g.metrics.height());
    g.painter.drawText(box, Qt::AlignRight | Qt::AlignVCenter, g.Number(level, decimals));
  }
  g.painter.drawText(QRectF(0, g.plot.top() - 1.5 * g.metrics.height() - 2, g.plot.left() - TickGap,
                            g.metrics.height()),
                     Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("dB"));
}

// Distance ticks in the chosen unit, grid and labels; the unit after the axis; both axes.
void DrawDistanceAxis(const GraphPainter& g) {
  const double first = g.layout.Start() * g.unit, span = g.layout.End() * g.unit;
  const double step = DistanceStep(span - first, g.plot.width(),
                                   g.metrics.horizontalAdvance(QStringLiteral("000.0")) + 8.0);
  const int decimals = DecimalsFor(step);
  for (int n = int(std::ceil(first / step - 1e-9)); n * step <= span + 1e-9; ++n) {
    const double x = std::round(g.layout.ToPixels(n * step / g.unit, 0).x()) + 0.5;
    g.painter.setPen(g.grid);
    g.painter.drawLine(QPointF(x, g.plot.top()), QPointF(x, g.plot.bottom()));
    g.painter.setPen(g.label);
    const QRectF box(x - 40, g.plot.bottom() + 2, 80, g.metrics.height());
    g.painter.drawText(box, Qt::AlignHCenter | Qt::AlignTop, g.Number(n * step, decimals));
  }
  const QString last = g.Number(std::floor(span / step + 1e-9) * step, decimals);
  g.painter.drawText(QRectF(g.plot.right() + g.metrics.horizontalAdvance(last) / 2 + 3,
                            g.plot.bottom() + 2, 40, g.metrics.height()),
                     Qt::AlignLeft | Qt::AlignTop, g.unitName);
  g.painter.setPen(g.axis);
  g.painter.drawLine(g.plot.bottomLeft(), g.plot.bottomRight());
  g.painter.drawLine(g.plot.bottomLeft(), g.plot.topLeft());
}

// Tolerance bands, light, to lie under every curve.
void DrawToleranceBands(const GraphPainter& g, const std::vector<LevelCurve>& curves) {
  for (std::size_t c = 0; c < curves.size(); ++c) {
    const LevelCurve& curve = curves[c];
    if (curve.Low.size() != curve.Points.size() || curve.High.size() != curve.Points.size())
      continue;
    QPolygonF band;
    for (std::size_t i = 0; i < curve.Low.size(); ++i)
      if (curve.Low[i] > SPLFloor) band << g.layout.ToPixels(g.layout.Position(c, i), curve.Low[i]);
    for (std::size_t i = curve.High.size(); i-- > 0;)
      if (curve.High[i] > SPLFloor)
        band << g.layout.ToPixels(g.layout.Position(c, i), curve.High[i]);
    QColor shade = CurveColour(curve.Area);
    shade.setAlpha(60);
    g.painter.setPen(Qt::NoPen);
    g.painter.setBrush(shade);
    g.painter.drawPolygon(band);
  }
  g.painter.setBrush(Qt::NoBrush);
}

// The curves, broken where a level is not defined; gives the extremes over all of them.
// On a raster picture each is stroked as its pieces: the raster painter draws separate
// lines many times faster than one path, whose whole outline it fills as a curve. A vector
// picture keeps the path.
std::pair<std::optional<Extreme>, std::optional<Extreme>> DrawCurves(
    const GraphPainter& g, const std::vector<LevelCurve>& curves) {
  std::optional<Extreme> highest, lowest;
  const QPaintEngine* engine = g.painter.paintEngine();
  const bool raster = engine != nullptr && engine->type() == QPaintEngine::Raster;
  std::vector<QLineF> pieces;
  for (std::size_t c = 0; c < curves.size(); ++c) {
    QPainterPath path;
    pieces.clear();
    std::optional<QPointF> last;
    const auto& points = curves[c].Points;
    for (std::size_t i = 0; i < points.size(); ++i) {
      if (!Defined(points[i])) {
        last.reset();
        continue;
      }
      const QPointF at = g.layout.ToPixels(g.layout.Position(c, i), points[i].SPL);
      last ? path.lineTo(at) : path.moveTo(at);
      if (last) pieces.emplace_back(*last, at);
      last = at;
      if (!highest || points[i].SPL > highest->level) highest = Extreme{points[i].SPL, c, i};
      if (!lowest || points[i].SPL < lowest->level) lowest = Extreme{points[i].SPL, c, i};
    }
    if (points.size() == 1 && last) {
      path.lineTo(*last + QPointF(6, 0));
      pieces.emplace_back(*last, *last + QPointF(6, 0));
    }
    g.painter.setPen(QPen(CurveColour(curves[c].Area), 1.5));
    if (raster)
      g.painter.drawLines(pieces.data(), int(pieces.size()));
    else
      g.painter.drawPath(path);
  }
  return {highest, lowest};
}

// A triangle pointing at an extreme: from above at the highest, from below at the lowest.
void MarkExtreme(const GraphPainter& g, const Extreme& e, bool top) {
  const QPointF at = g.layout.ToPixels(g.layout.Position(e.curve, e.index), e.level);
  const double s = 4.0, d = top ? -1.0 : 1.0;
  const QPointF triangle[] = {at, at + QPointF(-s, d * 1.6 * s), at + QPointF(s, d * 1.6 * s)};
  g.painter.setPen(Qt::NoPen);
  g.painter.setBrush(top ? QColor(0xc0, 0x20, 0x20) : QColor(0x20, 0x20, 0x90));
  g.painter.drawPolygon(triangle, 3);
}

// The captions to try, longest first: the caption with the extremes in words, shorter
// ("@"), then without the area and band the lists show, last the two levels alone (the
// triangles on the curve still show where). Marks the extremes.
QStringList Captions(const GraphPainter& g, const std::optional<Extreme>& highest,
                     const std::optional<Extreme>& lowest) {
  if (!highest || !lowest) return {g.text.Caption};
  MarkExtreme(g, *highest, true);
  MarkExtreme(g, *lowest, false);
  const QString high = g.Number(highest->level, 1), low = g.Number(lowest->level, 1);
  const QString at = g.Number(g.layout.Position(highest->curve, highest->index) * g.unit, 1);
  const QString lowAt = g.Number(g.layout.Position(lowest->curve, lowest->index) * g.unit, 1);
  const QString words = QStringLiteral("max %1 dB at %2 %4   min %3 dB at %5 %4")
                            .arg(high, at, low, g.unitName, lowAt);
  const QString brief =
      QStringLiteral("max %1 dB @ %2 %4  min %3 dB @ %5 %4").arg(high, at, low, g.unitName, lowAt);
  return {g.text.Caption + QStringLiteral("     ") + words,
          g.text.Caption + QStringLiteral("   ") + brief, brief,
          QStringLiteral("max %1  min %2 dB").arg(high, low)};
}

// The first caption that fits `room` pixels, or the last cut with an ellipsis.
QString Fitting(const QFontMetricsF& metrics, const QStringList& captions, double room) {
  for (const QString& caption : captions)
    if (metrics.horizontalAdvance(caption) <= room) return caption;
  return metrics.elidedText(captions.back(), Qt::ElideRight, std::max(room, 0.0));
}

// The legend of several areas, right of the caption.
void DrawLegend(const GraphPainter& g, const std::vector<LevelCurve>& curves) {
  double x = g.plot.right();
  for (auto c = curves.rbegin(); c != curves.rend(); ++c) {
    const QString name = QStringLiteral("Area %1").arg(c->Area);
    x -= g.metrics.horizontalAdvance(name);
    const double y = g.plot.top() - g.metrics.height() - 2;
    g.painter.setPen(g.label);
    g.painter.drawText(QPointF(x, y + g.metrics.ascent() / 2 - 1), name);
    g.painter.setPen(QPen(CurveColour(c->Area), 2.0));
    g.painter.drawLine(QPointF(x - 18, y), QPointF(x - 4, y));
    x -= 26;
  }
}

// Caption and extremes along the top; at its right the legend of several areas, or for one
// area along its own distance where it lies from the array, where there is room for that.
void DrawCaption(const GraphPainter& g, const std::vector<LevelCurve>& curves,
                 const std::optional<Extreme>& highest, const std::optional<Extreme>& lowest) {
  double legend = 0.0;
  if (curves.size() > 1)
    for (const LevelCurve& c : curves)
      legend += g.metrics.horizontalAdvance(QStringLiteral("Area %1").arg(c.Area)) + 26;
  QString lies;
  if (curves.size() == 1 && !g.text.FromArray && !curves[0].Points.empty()) {
    const auto from = [&](const SPLPoint& p) {
      return g.Number(FromMountingPoint(p.Position.X) * g.unit, 1);
    };
    lies = QStringLiteral("%1 to %2 %3 from the array")
               .arg(from(curves[0].Points.front()), from(curves[0].Points.back()), g.unitName);
    legend = g.metrics.horizontalAdvance(lies) + 16;
  }
  const QStringList captions = Captions(g, highest, lowest);
  double room = g.plot.width() - legend - 8;
  QString top = Fitting(g.metrics, captions, room);
  if (!lies.isEmpty() && top != captions.front() &&
      top != captions[std::min(1, int(captions.size()) - 1)]) {
    lies.clear();  // the caption comes first
    room = g.plot.width() - 8;
    top = Fitting(g.metrics, captions, room);
  }
  const QRectF line(g.plot.left(), g.plot.top() - 1.5 * g.metrics.height() - 2, g.plot.width(),
                    g.metrics.height());
  g.painter.setPen(g.label);
  g.painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter, top);
  if (!lies.isEmpty()) g.painter.drawText(line, Qt::AlignRight | Qt::AlignVCenter, lies);
  if (curves.size() > 1) DrawLegend(g, curves);
}

// The hovered point: a ring and its numbers in a box beside it.
void DrawReadout(const GraphPainter& g, const std::vector<LevelCurve>& curves, std::size_t c,
                 std::size_t i) {
  const SPLPoint& p = curves[c].Points[i];
  const QPointF at = g.layout.ToPixels(g.layout.Position(c, i), p.SPL);
  g.painter.setBrush(Qt::NoBrush);
  g.painter.setPen(QPen(CurveColour(curves[c].Area), 1.5));
  g.painter.drawEllipse(at, 4.0, 4.0);
  QString readout = QStringLiteral("%1 %2, height %3 %2: %4 dB")
                        .arg(g.Number(g.layout.Position(c, i) * g.unit, 1), g.unitName,
                             g.Number(p.Position.Y * g.unit, 2), g.Number(p.SPL, 1));
  if (curves.size() > 1) readout = QStringLiteral("Area %1: ").arg(curves[c].Area) + readout;
  QRectF box(0, 0, g.metrics.horizontalAdvance(readout) + 8, g.metrics.height() + 4);
  box.moveTopLeft(at + QPointF(8, 6));
  if (box.right() > g.plot.right()) box.moveRight(at.x() - 8);
  if (box.bottom() > g.plot.bottom()) box.moveBottom(at.y() - 6);
  g.painter.setPen(g.axis);
  g.painter.setBrush(QColor(255, 255, 240));
  g.painter.drawRect(box);
  g.painter.setPen(g.label);
  g.painter.drawText(box, Qt::AlignCenter, readout);
}

}  // namespace

void DrawLevelGraph(QPainter& painter, const GraphLayout& layout,
                    const std::vector<LevelCurve>& curves, const GraphText& text,
                    std::optional<std::pair<std::size_t, std::size_t>> hovered) {
  const GraphPainter g{painter,
                       layout,
                       text,
                       QFontMetricsF(painter.font()),
                       layout.Plot(),
                       text.Feet ? double(MetresToFeet) : 1.0,
                       text.Feet ? QStringLiteral("ft") : QStringLiteral("m")};
  // 1. The axes, sharp, with their ticks, grid and labels.
  painter.setRenderHint(QPainter::Antialiasing, false);
  DrawLevelAxis(g);
  DrawDistanceAxis(g);
  // 2. Tolerance bands, then the curves over them, smooth and clipped to the plot.
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setClipRect(g.plot.adjusted(-1, -3, 1, 3));
  DrawToleranceBands(g, curves);
  const auto [highest, lowest] = DrawCurves(g, curves);
  painter.setClipping(false);
  // 3. Caption, extremes and legend; 4. the hovered point's readout.
  DrawCaption(g, curves, highest, lowest);
  if (hovered) DrawReadout(g, curves, hovered->first, hovered->second);
}

namespace {

// Where the band graph's plot lies and its level scale, from the defined band levels.
struct BandScale {
  QRectF plot;
  double labelWidth, step, bottom, top;

  // Frequencies from 100 Hz to 10 kHz: two decades, evenly in their logarithm.
  double X(double hz) const { return plot.left() + std::log10(hz / 100.0) / 2.0 * plot.width(); }
  double Y(double dB) const {
    return plot.bottom() - (dB - bottom) / (top - bottom) * plot.height();
  }
};

std::optional<BandScale> ScaleBands(const QRectF& bounds, const QFontMetricsF& metrics,
                                    const std::array<float, BandChoiceCount>& levels) {
  double low = std::numeric_limits<double>::infinity(), high = -low;
  for (int band = 0; band < BandCount; ++band)
    if (levels[band] > SPLFloor) {
      low = std::min(low, double(levels[band]));
      high = std::max(high, double(levels[band]));
    }
  if (!(low <= high)) return std::nullopt;
  BandScale s;
  s.labelWidth = metrics.horizontalAdvance(QStringLiteral("-000")) + TickGap;
  // "dB" above the level labels, the top one reaching half a line above the plot.
  s.plot = QRectF(bounds.left() + s.labelWidth, bounds.top() + 1.6 * metrics.height(),
                  bounds.width() - s.labelWidth - metrics.horizontalAdvance(QStringLiteral("10k")),
                  bounds.height() - 3.1 * metrics.height());
  s.step = LevelStep(std::max(high - low, 1.0), s.plot.height(), metrics.height() * 1.2);
  s.bottom = std::floor(low / s.step) * s.step;
  s.top = std::max(std::ceil(high / s.step) * s.step, s.bottom + s.step);
  return s;
}

// The bands' levels joined, each marked.
void DrawBandCurve(QPainter& painter, const BandScale& s,
                   const std::array<float, BandChoiceCount>& levels) {
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
    const QPointF at(s.X(BandCentreFrequency(band)), s.Y(levels[band]));
    drawing ? path.lineTo(at) : path.moveTo(at);
    drawing = true;
    painter.drawEllipse(at, 2.0, 2.0);
  }
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(path);
}

}  // namespace

void DrawBandLevels(QPainter& painter, const QRectF& bounds,
                    const std::array<float, BandChoiceCount>& levels, const QString& decimalPoint) {
  const QFontMetricsF metrics(painter.font());
  const std::optional<BandScale> scale = ScaleBands(bounds, metrics, levels);
  if (!scale) return;
  const BandScale& s = *scale;
  const QRectF& plot = s.plot;
  const QColor grid(0xdd, 0xdd, 0xdd), label(0x22, 0x22, 0x22);
  // 1. Level grid and labels, "dB" above them.
  for (double dB = s.bottom; dB <= s.top + 1e-9; dB += s.step) {
    painter.setPen(grid);
    painter.drawLine(QPointF(plot.left(), s.Y(dB)), QPointF(plot.right(), s.Y(dB)));
    painter.setPen(label);
    painter.drawText(QRectF(bounds.left(), s.Y(dB) - metrics.height() / 2, s.labelWidth - TickGap,
                            metrics.height()),
                     Qt::AlignRight | Qt::AlignVCenter,
                     Number(dB, DecimalsFor(s.step), decimalPoint));
  }
  painter.drawText(
      QRectF(bounds.left(), bounds.top() - 2, s.labelWidth - TickGap, metrics.height()),
      Qt::AlignRight | Qt::AlignTop, QStringLiteral("dB"));
  // 2. Frequency grid and labels, the axis's name below them; both axes.
  for (const double hz : {100.0, 200.0, 500.0, 1000.0, 2000.0, 5000.0, 10000.0}) {
    painter.setPen(grid);
    painter.drawLine(QPointF(s.X(hz), plot.top()), QPointF(s.X(hz), plot.bottom()));
    painter.setPen(label);
    const QString text = hz >= 1000 ? QStringLiteral("%1k").arg(hz / 1000) : QString::number(hz);
    painter.drawText(QRectF(s.X(hz) - 30, plot.bottom() + 2, 60, metrics.height()),
                     Qt::AlignHCenter | Qt::AlignTop, text);
  }
  painter.drawText(
      QRectF(plot.left(), plot.bottom() + 2 + metrics.height(), plot.width(), metrics.height()),
      Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("Frequency (Hz)"));
  painter.setPen(QColor(0x55, 0x55, 0x55));
  painter.drawLine(plot.bottomLeft(), plot.bottomRight());
  painter.drawLine(plot.bottomLeft(), plot.topLeft());
  // 3. The curve.
  DrawBandCurve(painter, s, levels);
}

std::vector<LevelCurve> PredictCurves(const ProjectData& project, const Graphics& graphics,
                                      const Constants& constants, int chosen, bool all, int band,
                                      bool tolerance) {
  std::vector<LevelCurve> curves;
  for (int area = 1; area <= AreasInUse(project); ++area) {
    if (!all && area != chosen + 1) continue;
    LevelCurve curve;
    curve.Area = area;
    if (!PredictLevels(project, graphics, constants, area, band, curve.Points)) continue;
    if (tolerance) {
      LevelSpread spread = PredictSpread(project, graphics, constants, area, band);
      curve.Low = std::move(spread.Low);
      curve.High = std::move(spread.High);
    }
    curves.push_back(std::move(curve));
  }
  return curves;
}

}  // namespace tarnwick
