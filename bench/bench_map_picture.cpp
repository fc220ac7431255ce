// The coverage map's picture from its level grid, against the plain way to make the same
// picture.
//
// Measured: RenderMap, into the picture the window keeps from map to map. Floor: two
// threads, each filling half the rows of a kept image of the same size and format; per
// pixel the four nodes around it (each column's node and weight worked out once per
// picture), the nearest where one has no level and else their bilinear blend in single
// precision, and the colour of its step from a table.
// Both take the grid, the scale's top and the picture's size from the window's own first
// map (1 kHz) at a window of 1920 x 1080 and 3840 x 2160 device pixels, at device pixel
// ratios 1 and 2.
//
// Usage: bench_map_picture         all four, each in a child process
//        bench_map_picture WxH     one window of W x H logical pixels at the ratio
//                                  QT_SCALE_FACTOR gives
// The platform is offscreen unless QT_QPA_PLATFORM names another.

#include <QAction>
#include <QApplication>
#include <algorithm>
#include <array>
#include <cstdio>
#include <thread>
#include <vector>

#include "ChildRuns.h"
#include "RatioReporter.h"
#include "acoustics/LevelRules.h"
#include "ui/panels/CoverageLayer.h"
#include "ui/window/LineArrayForm.h"
#include "views/Canvas.h"
#include "views/CoverageMap.h"

using namespace tarnwick;

namespace {

constexpr double Target = 1.25;

const LevelGrid* grid = nullptr;
float top = 0.0f;
QImage ours, plain;  // kept from round to round

// The colours by whole steps of 3 dB below the top, dim last: from the scale itself.
std::array<QRgb, MapSteps + 2> Table() {
  std::array<QRgb, MapSteps + 2> colours{};
  for (int k = 0; k <= MapSteps + 1; ++k) colours[k] = MapColour(top - MapStepDb * (k - 0.5f), top);
  return colours;
}

// Where each column of the picture falls between the node columns: the node left of it and
// the weight of the one right of it, worked out once for every row.
struct Columns {
  std::vector<int> node;
  std::vector<float> weight;
};

Columns PlainColumns() {
  const int width = plain.width();
  const float sx = float(grid->nx - 1) / float(std::max(1, width - 1));
  Columns columns{std::vector<int>(std::size_t(width)), std::vector<float>(std::size_t(width))};
  for (int x = 0; x < width; ++x) {
    const float gx = float(x) * sx;
    columns.node[x] = std::min(int(gx), grid->nx - 2);
    columns.weight[x] = gx - float(columns.node[x]);
  }
  return columns;
}

void PlainRows(const std::array<QRgb, MapSteps + 2>& table, const Columns& columns, int first,
               int last) {
  const int nx = grid->nx, ny = grid->ny, width = plain.width();
  const float sy = float(ny - 1) / float(std::max(1, plain.height() - 1));
  const float perStep = 1.0f / MapStepDb;
  uchar* const bits = plain.bits();
  for (int y = first; y < last; ++y) {
    const float gy = float(y) * sy;
    const int j = std::min(int(gy), ny - 2);
    const float fy = gy - float(j);
    const float* upper = grid->nodes.data() + std::size_t(j) * nx;
    const float* lower = upper + nx;
    auto* line = reinterpret_cast<QRgb*>(bits + y * plain.bytesPerLine());
    for (int x = 0; x < width; ++x) {
      const int i = columns.node[x];
      const float fx = columns.weight[x];
      const float a = upper[i], b = upper[i + 1], c = lower[i], d = lower[i + 1];
      float level;
      if (a > SPLFloor && b > SPLFloor && c > SPLFloor && d > SPLFloor) {
        const float above = a + fx * (b - a);
        level = above + fy * (c + fx * (d - c) - above);
      } else {
        level = fy < 0.5f ? (fx < 0.5f ? a : b) : (fx < 0.5f ? c : d);
      }
      // Whole steps below the top, rounded up; beyond the last step, or no level, dim.
      float steps = (top - level) * perStep;
      steps = level > SPLFloor && steps < MapSteps + 1 ? steps : MapSteps + 1;
      steps = steps > 0 ? steps : 0;
      const int whole = int(steps);
      line[x] = table[whole + (whole < steps)];
    }
  }
}

void RenderMapKept(benchmark::State& state) {
  for (auto _ : state) RenderMap(grid->nodes, grid->nx, grid->ny, top, ours);
}

void PlainTwoThreadFill(benchmark::State& state) {
  const auto table = Table();
  for (auto _ : state) {
    const Columns columns = PlainColumns();
    const int half = plain.height() / 2;
    std::thread lower([&] { PlainRows(table, columns, half, plain.height()); });
    PlainRows(table, columns, 0, half);
    lower.join();
  }
}

int RunOne(int argc, char** argv, QSize size) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  LineArray_frm form;
  form.show();
  form.resize(size);
  QApplication::processEvents();
  form.findChild<QAction*>(QStringLiteral("ShowMap_men"))->trigger();
  const auto* layer = form.findChild<CoverageLayer*>(QStringLiteral("CoverageMap"));
  while (layer->Busy() || layer->ShownMap() == nullptr)
    QApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
  grid = &layer->ShownMap()->grid;
  top = layer->Top();
  const QImage& shown = layer->ShownMap()->picture;
  ours = NewPicture(shown.size(), shown.format());
  plain = NewPicture(shown.size(), shown.format());
  RenderMap(grid->nodes, grid->nx, grid->ny, top, ours);
  const auto table = Table();
  PlainRows(table, PlainColumns(), 0, plain.height());
  int differ = 0;
  for (int y = 0; y < ours.height(); ++y)
    for (int x = 0; x < ours.width(); ++x) differ += ours.pixel(x, y) != plain.pixel(x, y);
  std::printf("window %dx%d at device pixel ratio %.2f, band %s\n", form.width(), form.height(),
              form.devicePixelRatioF(), BandChoiceName(grid->entry));
  std::printf("picture %dx%d (%lld pixels) from %dx%d nodes, %d pixels differ from the floor's\n",
              ours.width(), ours.height(), qsizetype(ours.width()) * ours.height(), grid->nx,
              grid->ny, differ);
  std::fflush(stdout);
  return RunSideBySide(argc, argv, "RenderMapKept", RenderMapKept, "PlainTwoThreadFill",
                       PlainTwoThreadFill, Target);
}

}  // namespace

int main(int argc, char** argv) {
  int width = 0, height = 0;
  if (argc > 1 && std::sscanf(argv[1], "%dx%d", &width, &height) == 2)
    return RunOne(argc, argv, QSize(width, height));
  std::vector<ChildRun> runs;
  for (const auto& [device, logical1, logical2] :
       {std::tuple{"1920x1080", "1920x1080", "960x540"},
        std::tuple{"3840x2160", "3840x2160", "1920x1080"}}) {
    runs.push_back({std::string(device) + " device pixels at ratio 1", logical1, "1"});
    runs.push_back({std::string(device) + " device pixels at ratio 2", logical2, "2"});
  }
  return RunChildren(runs, Target);
}
