#pragma once

#include <vector>

#include "acoustics/LevelEngine.h"

namespace tarnwick {

// Levels on a regular grid over a rectangle of the section: a coverage map's values.
// Node (i, j) lies i / (nx - 1) of the way from left to right and j / (ny - 1) from top to
// bottom; nodes are held row by row from the top left.
struct LevelGrid {
  int entry = 0;                                            // the band or broadband entry
  double left = 0.0, top = 0.0, right = 0.0, bottom = 0.0;  // scene coordinates, metres
  int nx = 0, ny = 0;
  std::vector<float> nodes;

  PlaneVector Node(int i, int j) const;

  // Sizes the grid and fills every row from `first` in steps of `step` (so that several
  // threads can share it out), asking `stopped` between rows; returns false when stopped.
  template <typename Stopped>
  bool FillRows(const LevelEngine& engine, int first, int step, Stopped stopped) {
    // A node's x does not depend on its row.
    std::vector<PlaneVector> at(static_cast<std::size_t>(nx));
    for (int i = 0; i < nx; ++i) at[i] = Node(i, first);
    LevelEngine::Scratch scratch;
    for (int j = first; j < ny; j += step) {
      if (stopped()) return false;
      const float y = Node(0, j).Y;
      for (PlaneVector& node : at) node.Y = y;
      engine.Levels(entry, at, {&nodes[std::size_t(j) * nx], std::size_t(nx)}, nullptr, &scratch);
    }
    return true;
  }
};

// A grid of nx by ny nodes over the rectangle, its levels not yet filled.
LevelGrid MakeLevelGrid(int entry, double left, double top, double right, double bottom, int nx,
                        int ny);

// Every area in use with the engine's levels at its points (AreaPoints, the points
// CalculateSPL predicts); their SPLPoint::DistanceFromLastBox stays 0. With any of the
// project's prediction options on, these are the options' levels, and the graph's curve for
// such a project (docs/model.md, "Prediction options").
std::vector<std::vector<SPLPoint>> AreaLevels(const LevelEngine& engine, int entry,
                                              const ProjectData& project, const Graphics& graphics);
// The same for area `area` (1 ... 3) alone; no points where it has none.
std::vector<SPLPoint> AreaLevels(const LevelEngine& engine, int entry, const ProjectData& project,
                                 const Graphics& graphics, int area);

// The highest level of them all, SPLFloor when there is none.
float HighestLevel(const std::vector<std::vector<SPLPoint>>& areas);

}  // namespace tarnwick
