// The map's picture in single precision, held to the double-precision picture it replaced.
#include <QtTest>
#include <algorithm>
#include <cmath>

#include "acoustics/LevelGrid.h"
#include "acoustics/ModuleData.h"
#include "geometry/ArrayGeometry.h"
#include "views/Canvas.h"
#include "views/CoverageMap.h"

using namespace tarnwick;

namespace {

// The colours from the top of the scale down, dim last, each taken in the middle of its step.
std::array<QRgb, MapSteps + 2> Scale(float top) {
  std::array<QRgb, MapSteps + 2> colours{};
  for (int k = 0; k <= MapSteps + 1; ++k) colours[k] = MapColour(top - MapStepDb * (k - 0.5f), top);
  return colours;
}

// The picture as it was made before, pixel by pixel in double precision: the reference.
QImage DoubleMap(const std::vector<float>& n, int nx, int ny, QSize size, float top) {
  QImage image(size, QImage::Format_ARGB32);
  const auto scale = Scale(top);
  const double sx = double(nx - 1) / std::max(1, size.width() - 1);
  const double sy = double(ny - 1) / std::max(1, size.height() - 1);
  for (int y = 0; y < size.height(); ++y)
    for (int x = 0; x < size.width(); ++x) {
      const int i = std::min(int(x * sx), nx - 2), j = std::min(int(y * sy), ny - 2);
      const double fx = x * sx - i, fy = y * sy - j;
      const float c[] = {n[j * nx + i], n[j * nx + i + 1], n[(j + 1) * nx + i],
                         n[(j + 1) * nx + i + 1]};
      const double level =
          std::ranges::all_of(c, [](float v) { return v > SPLFloor; })
              ? (1 - fy) * ((1 - fx) * c[0] + fx * c[1]) + fy * ((1 - fx) * c[2] + fx * c[3])
              : c[(fy >= 0.5) * 2 + (fx >= 0.5)];
      const float below = (top - float(level)) / MapStepDb;
      const int k = !(float(level) > SPLFloor) ? MapSteps + 1
                    : below < 0                ? 0
                                               : std::min(int(std::ceil(below)), MapSteps + 1);
      image.setPixel(x, y, scale[k]);
    }
  return image;
}

// A colour's place on the scale: 0 the top, 12 the lowest step, 13 dim.
int Place(QRgb colour, float top) {
  const auto scale = Scale(top);
  return int(std::ranges::find(scale, colour) - scale.begin());
}

}  // namespace

class TestCoverageMap : public QObject {
  Q_OBJECT

 private slots:
  void aMapDiffersFromDoublePrecisionOnlyByAStepAtStepEdges() {
    ProjectData project = MakeDefaultProject();
    Graphics g;
    Constants constants;
    QVERIFY(ComputeScene(project, FirstWindowFrame, g));
    AssignBandLevel(constants);
    FillDirectivity(constants);
    const LevelEngine engine(project, g, constants);
    for (const int entry : {DefaultBandChoice, BroadbandAChoice})
      for (const QSize size : {QSize(797, 318), QSize(1603, 701)}) {
        LevelGrid grid =
            MakeLevelGrid(entry, -0.06 * g.SceneWidth, 1.1 * g.SceneHeight, 1.06 * g.SceneWidth, 0,
                          size.width() / 4 + 2, size.height() / 4 + 2);
        grid.FillRows(engine, 0, 1, [] { return false; });
        // Nodes without a level, as on a box's own source, and one that is no number.
        for (const int node : {400, 401, 401 + grid.nx, 3000}) grid.nodes[node] = SPLFloor;
        grid.nodes[5000] = std::nanf("");
        const float top = AreasMapTop(AreaLevels(engine, entry, project, g));
        QImage picture = NewPicture(size, QImage::Format_RGB32);
        const uchar* kept = picture.constBits();
        RenderMap(grid.nodes, grid.nx, grid.ny, top, picture);
        QCOMPARE(picture.constBits(), kept);  // written in place
        const QImage reference = DoubleMap(grid.nodes, grid.nx, grid.ny, size, top);
        int differ = 0;
        for (int y = 0; y < size.height(); ++y)
          for (int x = 0; x < size.width(); ++x) {
            const QRgb ours = picture.pixel(x, y), theirs = reference.pixel(x, y);
            if (ours == theirs) continue;
            ++differ;
            // One step off, and the reference takes our colour right beside the pixel.
            QCOMPARE(std::abs(Place(ours, top) - Place(theirs, top)), 1);
            bool edge = false;
            for (int v = std::max(0, y - 1); v <= std::min(y + 1, size.height() - 1); ++v)
              for (int u = std::max(0, x - 1); u <= std::min(x + 1, size.width() - 1); ++u)
                edge = edge || reference.pixel(u, v) == ours;
            QVERIFY2(edge, qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
          }
        QVERIFY2(differ <= size.width() * size.height() / 1000,
                 qPrintable(QString::number(differ)));
      }
  }
};

QTEST_MAIN(TestCoverageMap)
#include "test_coverage_map.moc"
