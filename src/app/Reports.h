#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "acoustics/BandLevels.h"
#include "acoustics/LevelGrid.h"
#include "acoustics/ModuleData.h"
#include "acoustics/SplayOptimiser.h"
#include "geometry/ArrayGeometry.h"
#include "model/ProjectData.h"

namespace tarnwick {

// The prediction options the command line sets over the project's own (docs/model.md,
// "Prediction options"); each one not given keeps the project's value.
struct PredictionChoice {
  std::optional<bool> Average{}, Interpolate{}, Air{};
  std::optional<float> Temperature{}, Humidity{}, Pressure{};  // degrees Celsius, per cent, kPa
};

// The project's options with those chosen put over them.
PredictionOptions ChosenOptions(PredictionOptions project, const PredictionChoice& chosen);

// A project's numbers written as data, for scripts and spreadsheets: the levels along its
// areas, where its boxes hang and aim, its coverage map, the response at a point, or the
// splays that make its level most even; or, for people, its section as a picture and a
// report of the whole design (Documents.h). The scene is laid out in the window's first size.
struct ReportRequest {
  enum class Kind { Levels, Geometry, Map, Response, Optimise, Picture, Document };
  enum class Format { Csv, Json };
  Kind What = Kind::Levels;
  std::string File;
  int Area = 0;  // 1 ... 3, or 0 for every area in use
  int Band = DefaultBandChoice;
  Format As = Format::Csv;
  std::string Out;  // the map's file (.csv, otherwise a .png picture), the optimised
                    // project's, the picture's (.png, .svg or .pdf) or the report's (.pdf)
  int Width = 1600, Height = 1000;  // the map's or the .png picture's, pixels
  PlaneVector At;                   // the response's point, metres
  SplayGoal Goal = SplayGoal::EvenLevel;
  double FallPerDoubling = 0.0;  // dB, with SplayGoal::Fall
  PredictionChoice Prediction;   // put over the project's options before predicting
  bool KeepOnAudience = true;    // with Optimise: SplaySearch::KeepOnAudience
};

// Exit statuses of a report.
inline constexpr int ReportDone = 0;
inline constexpr int ReportWrongRequest = 2;
inline constexpr int ReportFileRefused = 3;  // read or written

// The design of a project file as the window shows it once opened.
struct ReportDesign {
  ProjectData Project;
  Graphics Geometry;
  Constants Module;
};

// Reads and lays out the request's file, its prediction options as the request chooses;
// otherwise tells why on `err` and gives the exit status.
int LoadReportDesign(const ReportRequest& request, ReportDesign& design, std::ostream& err);

// A report's own file: the bytes to `request.Out` through the one writer; none stands for
// "`what` could not be made". Gives ReportDone, or ReportFileRefused with why on `err`.
int WriteReportFile(const ReportRequest& request, const std::optional<std::string>& bytes,
                    const std::string& what, std::ostream& err);

// Every area in use, one row per point, with the level in every band and both broadband
// sums: area,index,distance_m,x_m,y_m,100Hz,...,10kHz,Broadband,Broadband(A).
void WriteAllLevels(std::ostream& out, const ProjectData& project, const Graphics& graphics,
                    const Constants& constants);

// Reads the file and writes the report to `out` (a map to its own file, see MapReport.h; a
// picture or a report to theirs, see Documents.h); a refusal, or an area the project does
// not use, is told on `err` and nothing is written to `out`.
int RunReport(const ReportRequest& request, std::ostream& out, std::ostream& err);

}  // namespace tarnwick
