#pragma once

#include <algorithm>
#include <fstream>
#include <iomanip>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

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

// Calls `read` with each line of a hand-written case list under tests/data/, its blank
// lines and '#' comments left out; gives how many it read, none where the file is missing.
inline int ForEachCase(const std::string& name, auto read) {
  std::ifstream in(std::string(TARNWICK_SOURCE_DIR) + "/tests/data/" + name);
  int cases = 0;
  for (std::string line; std::getline(in, line);)
    if (!line.empty() && line[0] != '#') read(line), ++cases;
  return cases;
}

// The words of `text` between blanks; a word in double quotes is taken whole, blanks and
// all, and "" is an empty word.
inline std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  std::istringstream in(text);
  for (std::string word; in >> std::quoted(word);) words.push_back(word);
  return words;
}

// A case "ARGUMENTS -> EXPECTED": the arguments as Words, and the text after the arrow
// (empty without one).
inline std::pair<std::vector<std::string>, std::string> ArgumentsAndExpected(
    const std::string& line) {
  const std::size_t arrow = line.find("->");
  if (arrow == std::string::npos) return {Words(line), ""};
  const std::size_t expected = line.find_first_not_of(' ', arrow + 2);
  return {Words(line.substr(0, arrow)), expected == std::string::npos ? "" : line.substr(expected)};
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
