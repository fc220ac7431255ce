#include "acoustics/LevelGrid.h"

#include <algorithm>

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

}  // namespace tarnwick
