#pragma once

#include <QPageSize>
#include <QString>
#include <array>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/Reports.h"
#include "views/SplGraph.h"

namespace tarnwick {

// Documents of a design for people rather than scripts, drawn by the same code as the
// window: the section as a picture, and a report of the whole design. Each makes a
// QGuiApplication on the offscreen platform when none exists, so no display is needed.

// Text needs a gui application, which the command line has not: made once when none
// exists, kept for the process's life, on the offscreen platform unless another is named.
void EnsureGuiApplication();

// The paper of PDF pages: TARNWICK_PAPER=a4|letter when set, otherwise Letter where the
// system's measurement system is the US one and A4 elsewhere. Pages are landscape.
QPageSize Paper();

// What a picture of the section shows.
struct PictureOptions {
  int Band = DefaultBandChoice;  // the map's band or broadband sum
  bool Map = true;
  bool Grid = true;
  // Metres to show, left, top, right, bottom; none for the whole design (View › Fit Design).
  std::optional<std::array<double, 4>> Region;
  // The level graph under the section, as the window shows it, or none.
  std::optional<std::vector<LevelCurve>> Graph;
  GraphText GraphWords;
  QString FileName;                 // the project's file as the title block names it
  int Width = 1600, Height = 1000;  // a PNG's pixels
};

// The picture as the bytes of a .png, .svg or .pdf file (`kind` is the extension); none
// when it cannot be made.
std::optional<std::string> PictureBytes(const ReportDesign& design, const PictureOptions& options,
                                        const QString& kind);

// The report as the bytes of a PDF of three pages: the design in words; the section with
// the map at `band` and the level graph of every area; the rigging table.
std::optional<std::string> ReportBytes(const ReportDesign& design, int band,
                                       const QString& fileName);

// The rigging table's page alone, as a PDF.
std::optional<std::string> RiggingBytes(const ReportDesign& design, const QString& fileName);

// The command line's --picture and --report: the whole design to `request.Out`. Give
// ReportDone, or ReportFileRefused with the reason on `err`.
int WritePicture(const ReportRequest& request, const ReportDesign& design, std::ostream& err);
int WriteDocument(const ReportRequest& request, const ReportDesign& design, std::ostream& err);

}  // namespace tarnwick
