#pragma once

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QRectF>
#include <QString>
#include <optional>
#include <vector>

#include "acoustics/SplPrediction.h"
#include "geometry/ArrayGeometry.h"
#include "model/ProjectData.h"
#include "views/SideView.h"
#include "views/SplGraph.h"

namespace tarnwick {

// A sheet of the design for print or for a picture file: the room section to scale, with
// the coverage map and its colour bar, the grid, a scale bar and a title block, and the
// level graph as a plot under it. Drawn by the window's own drawing code onto any painter
// (an image, an SVG drawing, a PDF page), so what is printed is what the window draws.

// The coverage map as the sheet shows it: its picture over its extents in the section.
struct SheetMap {
  QImage Picture;
  double Left = 0.0, Top = 0.0, Right = 0.0, Bottom = 0.0;  // metres
  float TopLevel = 0.0f;                                    // dB, the top of the colour scale
  std::vector<std::vector<SPLPoint>> Areas;                 // levels along each area in use
  QString Band;                                             // "1 kHz", "Broadband (A)"
  QString Model;                                            // the prediction model, or empty
};

// What the title block says.
struct TitleBlock {
  QString Title, Author, Date, File, Band, Program;
};

struct SheetParts {
  const ProjectData* Project = nullptr;
  const Graphics* Geometry = nullptr;
  // The part of the section to show, metres: fitted whole into the sheet's section, to
  // scale, centred; what room is left over shows more of the section around it.
  double Left = 0.0, Top = 0.0, Right = 0.0, Bottom = 0.0;
  bool Grid = true;
  std::optional<SheetMap> Map;
  std::optional<std::vector<LevelCurve>> Graph;
  GraphText GraphWords;
  TitleBlock Title;
};

// Where the sheet put its section: the rectangle on the painter and the view in it.
struct SheetSection {
  QRectF Area;
  ViewWindow View;
};

// Draws the whole sheet into `area` of the painter (units as the painter's: logical
// pixels, or 1/96 inch on a page); the section takes what the graph, the colour bar and
// the title block leave.
SheetSection DrawSheet(QPainter& painter, const QRectF& area, const SheetParts& parts);

// Where DrawSheet puts the section, with text of these metrics, without drawing.
SheetSection LayOutSheet(const QFontMetricsF& metrics, const QRectF& area, const SheetParts& parts);

// The view that shows metres `left` to `right` and `top` down to `bottom` whole in a
// section of `size`, to scale and centred.
ViewWindow FitRegion(double left, double top, double right, double bottom, QSizeF size);

}  // namespace tarnwick
