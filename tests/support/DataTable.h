#pragma once

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>

#include "geometry/ArrayGeometry.h"
#include "model/ProjectData.h"

// Calls `read` with each data row of a table from tools/make_expected.py, commas made blanks.
inline void ForEachRow(const std::string& name, auto read) {
  std::ifstream in(std::string(TARNWICK_SOURCE_DIR) + "/tests/data/" + name);
  std::string line;
  while (std::getline(in, line) && line[0] == '#') continue;  // and the column names
  for (std::istringstream row; std::getline(in, line); read(row)) {
    std::ranges::replace(line, ',', ' ');
    row.clear(), row.str(line);
  }
}

namespace tarnwick {

// The default project with a table's first eight columns (splays: one digit a joint).
inline ProjectData ReadTableProject(std::istream& in) {
  ProjectData p = MakeDefaultProject();
  std::string splays;
  in >> p.FlybarMounting >> p.FlybarPin >> p.BoxesAmount >> splays >> p.AutomaticInclCalc >>
      p.InclinationAngle >> p.FloorDistance >> p.AreasAmount;
  for (int j = 0; j < MaxJoints; ++j) p.BoxAngle[j] = float(splays.at(j) - '0');
  return p;
}

// One redraw, by default in a 4:3 window: scene extents, area slopes, then the array.
inline bool Redraw(ProjectData& p, Graphics& g, SceneFrame frame = {false, 12000.0, 9000.0}) {
  ComputeSceneExtents(p, frame, g);
  for (int i = 0; i < p.AreasAmount; ++i) ComputeAreaSlope(p, i, g);
  return ComputeArrayGeometry(p, g);
}

}  // namespace tarnwick
