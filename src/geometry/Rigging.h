#pragma once

#include <array>
#include <string>
#include <vector>

#include "geometry/ArrayGeometry.h"

namespace tarnwick {

// What a rigger needs per box of the array as laid out.
struct RiggingRow {
  int Box = 1;                  // 1 ... 12, top down
  float Splay = 0.0f;           // degrees to the box above; the top box has none (0)
  double Aim = 0.0;             // degrees from the horizontal, negative downward
  float TopFrontHeight = 0.0f;  // of its top front corner above the floor, metres
  int Area = 0;                 // the area its ray lands on, 1 ... 3, or 0 for none
  double AlongArea = 0.0;       // where, from the area's start, metres
};

struct RiggingTable {
  float Inclination = 0.0f;  // the array's, degrees
  std::vector<RiggingRow> Rows;
  float LowestBottom = 0.0f;  // height of the lowest box's bottom above the floor, metres
};

RiggingTable MakeRiggingTable(const ProjectData& project, const Graphics& graphics);

// Whom the column captions are for: plain text (a spreadsheet or a message) writes degrees
// as "deg", the window and the pages as "°"; the captions are otherwise the same.
enum class RiggingCaptions { PlainText, Shown };

// The table's words and numbers, the same in every medium, which only lays them out:
// numbers to two decimals with the given separator, lengths in feet or metres as the
// project shows them.
struct RiggingCells {
  std::string Unit;          // of the lengths: "ft" or "m"
  std::string Inclination;   // degrees
  std::string LowestBottom;  // in Unit
  // Box, Tilt Angle, Aim, Top front height, Ray lands on, how far along the area; a
  // caption's unit in brackets.
  std::array<std::string, 6> Captions;
  // A box's cells in the captions' order; the top box has no tilt angle, and a ray that
  // lands on no area ("none") no distance along it.
  std::vector<std::array<std::string, 6>> Rows;
};

RiggingCells MakeRiggingCells(const RiggingTable& table, bool feet,
                              const std::string& decimalSeparator, RiggingCaptions captions);

// The table as text with tab-separated columns, for a spreadsheet or a message; lengths in
// feet or metres as the project shows them, the decimal separator given.
std::string RiggingText(const RiggingTable& table, bool feet, const std::string& decimalSeparator);

}  // namespace tarnwick
