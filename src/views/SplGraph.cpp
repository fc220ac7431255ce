#include "views/SplGraph.h"

#include <QString>

#include "model/NumberText.h"
#include "views/DrawingSurface.h"

namespace tarnwick {

void DrawSPLGraph(DrawingSurface& graph, const std::vector<SPLPoint>& SPLPoints, float length,
                  const std::string& decimalSeparator) {
  graph.Cls();
  if (SPLPoints.empty()) return;
  const auto N = static_cast<long long>(SPLPoints.size()) - 1;
  // With a single point the axis still needs a width to draw on.
  const double L = N > 0 ? double(length) : 0.1;

  // 1. Extremes: the maximum starts at 0, the minimum at the first level.
  double max = 0.0;
  double min = SPLPoints.front().SPL;
  for (const SPLPoint& point : SPLPoints) {
    if (point.SPL > max) max = point.SPL;
    if (point.SPL < min) min = point.SPL;
  }
  // 2-4. Scale, with the axes 5 dB below the lowest level.
  graph.Scale(-0.15 * L, 1.1 * max, 1.06 * L, min - 10);
  const double axis = min - 5;
  graph.Line(0, axis, L, axis);
  graph.Line(0, axis, 0, max);
  // 5-6. Labels, centred on the levels they name.
  auto label = [&](double level) {
    const double h = graph.TextHeight(QStringLiteral("100"));
    graph.CurrentX = -(0.04 * L);
    graph.CurrentY = level - 0.5 * h;
    graph.Print(QString::fromStdString(NumberToText(level, "0.0", decimalSeparator)));
  };
  label(axis);
  label(max);
  // 7. The curve, point i at (L / N) * i along the axis.
  if (N == 0) {
    graph.Line(0, SPLPoints[0].SPL, L, SPLPoints[0].SPL);
    return;
  }
  for (long long i = 0; i < N; ++i) {
    const auto x0 = static_cast<float>(L / double(N) * double(i));
    const auto x1 = static_cast<float>(L / double(N) * double(i + 1));
    graph.Line(x0, SPLPoints[i].SPL, x1, SPLPoints[i + 1].SPL);
  }
}

}  // namespace tarnwick
