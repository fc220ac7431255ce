#include "app/MapReport.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <algorithm>
#include <thread>
#include <vector>

#include "views/Canvas.h"
#include "views/CoverageMap.h"

namespace tarnwick {

bool FillOnEveryCore(LevelGrid& grid, const LevelEngine& engine,
                     const std::function<bool()>& stopped) {
  const int cores = std::max(1u, std::thread::hardware_concurrency());
  std::vector<char> done(std::size_t(cores), 0);  // not vector<bool>: each core writes its own
  {
    std::vector<std::jthread> helpers;
    for (int c = 1; c < cores; ++c)
      helpers.emplace_back([&, c] { done[c] = grid.FillRows(engine, c, cores, stopped); });
    done[0] = grid.FillRows(engine, 0, cores, stopped);
  }
  return std::ranges::all_of(done, [](char d) { return d != 0; });
}

LevelGrid ComputeMap(const LevelEngine& engine, int band, double left, double top, double right,
                     double bottom, int nx, int ny) {
  LevelGrid grid = MakeLevelGrid(band, left, top, right, bottom, nx, ny);
  FillOnEveryCore(grid, engine, [] { return false; });
  return grid;
}

QImage MapImage(const LevelGrid& grid, float top, QSize size) {
  QImage picture = NewPicture(size);
  RenderMap(grid.nodes, grid.nx, grid.ny, top, picture);
  return picture;
}

LevelGrid ComputeMap(const ReportRequest& request, const ReportDesign& design) {
  const Graphics& g = design.Geometry;
  // To scale: the scene fitted whole, a metre as many pixels across as up; the picture's
  // spare width or height shows more of the section to the right or above.
  const double perMetre =
      std::min(request.Width / double(g.SceneWidth), request.Height / double(g.SceneHeight));
  return ComputeMap(LevelEngine(design.Project, g, design.Module), request.Band, 0.0,
                    request.Height / perMetre, request.Width / perMetre, 0.0, request.Width / 4 + 1,
                    request.Height / 4 + 1);
}

std::optional<std::string> MapPicture(const ReportRequest& request, const ReportDesign& design,
                                      const LevelGrid& grid) {
  const LevelEngine engine(design.Project, design.Geometry, design.Module);
  const float top = AreasMapTop(AreaLevels(engine, request.Band, design.Project, design.Geometry));
  const QImage picture = MapImage(grid, top, QSize(request.Width, request.Height));
  QByteArray bytes;
  QBuffer buffer(&bytes);
  if (!buffer.open(QIODevice::WriteOnly) || !picture.save(&buffer, "PNG")) return std::nullopt;
  buffer.close();
  return std::string(bytes.constData(), std::size_t(bytes.size()));
}

}  // namespace tarnwick
