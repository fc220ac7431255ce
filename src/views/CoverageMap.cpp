#include "views/CoverageMap.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <thread>

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

// The colours by whole steps of 3 dB below the top: 0 for the top 3 dB and above, 12 for
// the lowest step, 13 below it.
constexpr std::array<QRgb, MapSteps + 2> ByStep = [] {
  std::array<QRgb, MapSteps + 2> colours{};
  colours[0] = Steps.back();
  for (int k = 1; k <= MapSteps; ++k) colours[k] = Steps[MapSteps - k];
  colours[MapSteps + 1] = Dim;
  return colours;
}();

// Below this many pixels a picture is coloured on one thread: a second costs more to start.
constexpr qsizetype SharedPixels = 65536;

// The place on the scale (ByStep) of a level `steps` steps of 3 dB below the top: ⌈steps⌉,
// and past the lowest step, or for no number at all, dim. Without branches or a call to
// ceil, which plain x86-64 has no instruction for, so that a row's loop vectorises.
inline int StepIndex(float steps) {
  steps = steps < float(MapSteps + 1) ? steps : float(MapSteps + 1);  // also no number
  steps = steps > 0.0f ? steps : 0.0f;
  const int whole = int(steps);
  return whole + (float(whole) < steps);
}

inline QRgb StepColour(float steps) { return ByStep[StepIndex(steps)]; }

// What every row of a map shares: the grid, the scale's top, the vertical step between
// node rows per pixel row, and across the picture each column's weight towards the node
// column right of it and the first column of every cell between two node columns.
struct Spread {
  const float* nodes;
  int nx, ny;
  float top;
  float sy;
  std::vector<float> weight;  // one per picture column
  std::vector<int> start;     // one per node column; the last is the picture's width
};

Spread MakeSpread(const float* nodes, int nx, int ny, float top, QSize size) {
  const int width = size.width();
  Spread spread{nodes,
                nx,
                ny,
                top,
                float(ny - 1) / float(std::max(1, size.height() - 1)),
                std::vector<float>(std::size_t(width)),
                std::vector<int>(std::size_t(nx))};
  const float sx = float(nx - 1) / float(std::max(1, width - 1));
  int x = 0;
  for (int cell = 0; cell + 1 < nx; ++cell) {
    spread.start[cell] = x;
    for (; x < width; ++x) {
      const float at = float(x) * sx;
      if (std::min(int(at), nx - 2) != cell) break;
      spread.weight[x] = at - float(cell);
    }
  }
  spread.start[nx - 1] = width;
  return spread;
}

// A cell whose corners are all finite levels blends them; any other is drawn pixel by pixel.
bool Plain(float level) {
  return level > SPLFloor && level < std::numeric_limits<float>::infinity();
}

// Pixel by pixel, one cell of a row whose corners are not all finite levels: a node
// without a level (a box's own source) is not blended into its neighbours, the pixel
// takes the nearest node's colour.
void ColourOddCell(const Spread& spread, int cell, const float* upper, const float* lower, float fy,
                   QRgb* line) {
  for (int x = spread.start[cell]; x < spread.start[cell + 1]; ++x) {
    const float fx = spread.weight[x];
    const float a = upper[cell], b = upper[cell + 1], c = lower[cell], d = lower[cell + 1];
    if (a > SPLFloor && b > SPLFloor && c > SPLFloor && d > SPLFloor) {
      const float above = a + fx * (b - a);
      line[x] = MapColour(above + fy * (c + fx * (d - c) - above), spread.top);
    } else {
      line[x] = MapColour((fy >= 0.5f ? lower : upper)[cell + (fx >= 0.5f)], spread.top);
    }
  }
}

// One row from the levels, in steps below the top, at its node columns (`place` takes their
// places on the scale). The level runs straight from node to node, so where neighbouring
// nodes share a step every pixel between them has it: runs of such nodes are filled at
// once, and only the cells across a step edge are coloured pixel by pixel.
void ColourCells(const Spread& spread, const float* steps, int* place, QRgb* line) {
  const int nx = spread.nx;
  for (int i = 0; i < nx; ++i) place[i] = StepIndex(steps[i]);
  for (int node = 0; node + 1 < nx;) {
    int last = node;
    while (last + 1 < nx && place[last + 1] == place[node]) ++last;
    std::fill(line + spread.start[node], line + spread.start[last], ByStep[place[node]]);
    if (last + 1 == nx) break;
    const float from = steps[last], across = steps[last + 1] - from;
    for (int x = spread.start[last]; x < spread.start[last + 1]; ++x)
      line[x] = StepColour(from + spread.weight[x] * across);
    node = last + 1;
  }
}

// The rows first to last - 1 of the picture.
void ColourRows(const Spread& spread, uchar* bits, qsizetype bytesPerLine, int first, int last) {
  const int nx = spread.nx;
  std::vector<float> steps(std::size_t(nx), 0.0f);
  std::vector<int> place(std::size_t(nx), 0);
  std::vector<int> odd;  // cells whose corners are not all finite levels
  int pair = -1;         // the node row above the pixel row, whose odd cells `odd` holds
  for (int y = first; y < last; ++y) {
    const float gy = float(y) * spread.sy;
    const int j = std::min(int(gy), spread.ny - 2);
    const float fy = gy - float(j);
    const float* upper = spread.nodes + std::size_t(j) * nx;
    const float* lower = upper + nx;
    if (j != pair) {
      pair = j;
      odd.clear();
      for (int cell = 0; cell + 1 < nx; ++cell)
        if (!(Plain(upper[cell]) && Plain(upper[cell + 1]) && Plain(lower[cell]) &&
              Plain(lower[cell + 1])))
          odd.push_back(cell);
    }
    for (int i = 0; i < nx; ++i)
      steps[i] = (spread.top - (upper[i] + fy * (lower[i] - upper[i]))) / MapStepDb;
    auto* line = reinterpret_cast<QRgb*>(bits + y * bytesPerLine);
    ColourCells(spread, steps.data(), place.data(), line);
    for (const int cell : odd) ColourOddCell(spread, cell, upper, lower, fy, line);
  }
}

}  // namespace

float MapTop(float highestOnAreas) { return MapStepDb * std::ceil(highestOnAreas / MapStepDb); }

float AreasMapTop(const std::vector<std::vector<SPLPoint>>& areas) {
  const float highest = HighestLevel(areas);
  return highest > SPLFloor ? MapTop(highest) : 0.0f;
}

QRgb MapColour(float level, float top) {
  // Step 0 is the top 3 dB (top - 3 < level), step 11 the lowest (top - 36 < level).
  return level > SPLFloor ? StepColour((top - level) / MapStepDb) : Dim;
}

void RenderMap(const std::vector<float>& nodes, int nx, int ny, float top, QImage& picture) {
  if (picture.depth() != 32 || nx < 2 || ny < 2 || nodes.size() < std::size_t(nx) * ny) return;
  const Spread spread = MakeSpread(nodes.data(), nx, ny, top, picture.size());
  uchar* const bits = picture.bits();
  const qsizetype bytesPerLine = picture.bytesPerLine();
  const int height = picture.height();
  // The lower half on a thread of its own, where there is enough to share.
  const int half = qsizetype(picture.width()) * height >= SharedPixels ? height / 2 : height;
  std::jthread lower;
  if (half < height)
    lower = std::jthread([&] { ColourRows(spread, bits, bytesPerLine, half, height); });
  ColourRows(spread, bits, bytesPerLine, 0, half);
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
  // A label at every other boundary, or fewer as the bar gets shorter, keeps them apart.
  int every = MapSteps;
  for (const int fewer : {2, 3, 4, 6})
    if (MapSteps % fewer == 0 && step * fewer >= metrics.height() * 1.1) {
      every = fewer;
      break;
    }
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
  // Each piece in the colour of its middle; the points lie on the slope's straight line,
  // so a run of pieces of one colour is one line.
  const auto colour = [&](std::size_t i) {
    return MapColour(0.5f * (points[i].SPL + points[i + 1].SPL), top);
  };
  for (std::size_t from = 0, to = 0; from + 1 < points.size(); from = to) {
    const QRgb run = colour(from);
    while (++to + 1 < points.size() && colour(to) == run) {
    }
    side.Line(points[from].Position.X, points[from].Position.Y, points[to].Position.X,
              points[to].Position.Y, QColor::fromRgb(run));
  }
  side.DrawWidth = 1;
}

}  // namespace tarnwick
