#pragma once

#include <QColor>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <array>
#include <optional>
#include <vector>

#include "acoustics/BandLevels.h"
#include "acoustics/SplPrediction.h"

class QPainter;
class QFontMetricsF;

namespace tarnwick {

// One area's levels as the graph shows them.
struct LevelCurve {
  int Area = 1;  // 1 ... 3
  std::vector<SPLPoint> Points;
  std::vector<float> Low, High;  // a tolerance band around the curve, when shown
};

// The curves of area chosen + 1, or of every area in use, in a band choice, each with its
// tolerance band when asked for: what the graph shows after every change of the design.
std::vector<LevelCurve> PredictCurves(const ProjectData& project, const Graphics& graphics,
                                      const Constants& constants, int chosen, bool all, int band,
                                      bool tolerance);

// What the graph says besides its curves.
struct GraphText {
  QString Caption;             // names the area(s) and the band
  bool Feet = false;           // distances in feet rather than metres
  QString DecimalPoint = ".";  // of the user's locale
  // Distances are horizontal ones from the array (the mounting point), each curve at its own
  // points' true distances (All Areas), rather than along one area from its start.
  bool FromArray = false;
};

// Round tick steps: levels in steps of 1, 2, 3, 5, 6 or 10 dB, distances in 1, 2 or 5
// times a power of ten, the smallest that leaves `minimum` pixels between ticks over
// `pixels`. Never zero.
double LevelStep(double range, double pixels, double minimum);
double DistanceStep(double range, double pixels, double minimum);

// Where the graph's parts lie in a rectangle, and the scales of its plot.
class GraphLayout {
 public:
  GraphLayout(const std::vector<LevelCurve>& curves, const QRectF& bounds,
              const QFontMetricsF& metrics, const GraphText& text);

  QRectF Plot() const { return plot_; }
  double LevelBottom() const { return bottom_; }
  double LevelTop() const { return top_; }
  double LevelStepDb() const { return levelStep_; }
  // The distance axis's ends, metres: from 0 along the longest area, or with FromArray from
  // the nearest to the farthest point from the array.
  double Start() const { return start_; }
  double End() const { return end_; }
  // Where point i of curve c lies on the distance axis, metres.
  double Position(std::size_t c, std::size_t i) const;
  QPointF ToPixels(double metres, double level) const;

  // The point nearest to a pixel position, within `reach` pixels: curve and index.
  std::optional<std::pair<std::size_t, std::size_t>> Nearest(QPointF at, double reach) const;

 private:
  const std::vector<LevelCurve>& curves_;
  bool fromArray_ = false;
  QRectF plot_;
  double bottom_ = 0.0, top_ = 1.0, levelStep_ = 1.0, start_ = 0.0, end_ = 1.0;
};

// The colour of an area's curve, the same in the graph and its legend.
QColor CurveColour(int area);

// Draws the labelled graph: level axis in dB and distance axis with round ticks, a light
// grid, the caption, a legend when there is more than one curve, the extremes marked,
// and the readout of the hovered point if any. Points without a defined level break the
// curve.
void DrawLevelGraph(QPainter& painter, const GraphLayout& layout,
                    const std::vector<LevelCurve>& curves, const GraphText& text,
                    std::optional<std::pair<std::size_t, std::size_t>> hovered);

// The level in each of the 21 bands at one point over a logarithmic frequency axis from
// 100 Hz to 10 kHz, with a dB axis, both labelled, and a grid. Levels of SPLFloor are
// left out.
void DrawBandLevels(QPainter& painter, const QRectF& bounds,
                    const std::array<float, BandChoiceCount>& levels, const QString& decimalPoint);

}  // namespace tarnwick
