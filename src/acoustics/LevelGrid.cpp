#include "acoustics/LevelGrid.h"

#include <algorithm>

#include "model/ProjectRules.h"

namespace tarnwick {

PlaneVector LevelGrid::Node(int i, int j) const {
  return {float(left + (right - left) * i / std::max(1, nx - 1)),
          float(top + (bottom - top) * j / std::max(1, ny - 1))};
}

LevelGrid MakeLevelGrid(int entry, double left, double top, double right, double bottom, int nx,
                        int ny) {
  LevelGrid grid{entry, left, top, right, bottom, std::max(nx, 1), std::max(ny, 1), {}};
  grid.nodes.assign(std::size_t(grid.nx) * grid.ny, SPLFloor);
  return grid;
}

std::vector<std::vector<SPLPoint>> AreaLevels(const LevelEngine& engine, int entry,
                                              const ProjectData& project,
                                              const Graphics& graphics) {
  std::vector<std::vector<SPLPoint>> areas;
  for (int area = 1; area <= AreasInUse(project); ++area)
    if (auto points = AreaLevels(engine, entry, project, graphics, area); !points.empty())
      areas.push_back(std::move(points));
  return areas;
}

std::vector<SPLPoint> AreaLevels(const LevelEngine& engine, int entry, const ProjectData& project,
                                 const Graphics& graphics, int area) {
  std::vector<PlaneVector> at;
  for (const AreaPoint& p : AreaPoints(project, graphics, area)) at.push_back(p.Position);
  std::vector<float> levels(at.size());
  if (!at.empty()) engine.Levels(entry, at, levels);
  std::vector<SPLPoint> points(at.size());
  for (std::size_t i = 0; i < points.size(); ++i) points[i] = {at[i], 0.0f, levels[i]};
  return points;
}

float HighestLevel(const std::vector<std::vector<SPLPoint>>& areas) {
  float highest = SPLFloor;
  for (const auto& points : areas)
    for (const SPLPoint& p : points) highest = std::max(highest, p.SPL);
  return highest;
}

}  // namespace tarnwick
