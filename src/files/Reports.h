#pragma once

#include <ostream>
#include <string>

#include "acoustics/BandLevels.h"

namespace tarnwick {

// A project's numbers written as data, for scripts and spreadsheets: the levels along its
// areas, or where its boxes hang and aim. The scene is laid out in the window's first size.
struct ReportRequest {
  enum class Kind { Levels, Geometry };
  enum class Format { Csv, Json };
  Kind What = Kind::Levels;
  std::string File;
  int Area = 0;  // 1 ... 3, or 0 for every area in use
  int Entry = DefaultLevelEntry;
  Format As = Format::Csv;
};

// Exit statuses of a report.
inline constexpr int ReportDone = 0;
inline constexpr int ReportWrongRequest = 2;
inline constexpr int ReportFileRefused = 3;

// Reads the file and writes the report to `out`; a refusal, or an area the project does
// not use, is told on `err` and nothing is written to `out`.
int RunReport(const ReportRequest& request, std::ostream& out, std::ostream& err);

}  // namespace tarnwick
