#pragma once

#include <QImage>
#include <QRectF>
#include <QRgb>
#include <QString>
#include <vector>

class QPainter;

namespace tarnwick {

class Canvas;
struct SPLPoint;

// The coverage map's colours: a perceptually even table of our own, dark blue-violet to
// yellow, in 12 steps of 3 dB below a top level, so that 3 dB looks like 3 dB everywhere.
inline constexpr int MapSteps = 12;
inline constexpr float MapStepDb = 3.0f;

// The top of the scale: the highest level on the areas, rounded up to a multiple of 3 dB,
// so that the audience, not the air next to the boxes, sets the scale.
float MapTop(float highestOnAreas);
// The top of the scale for a design's area levels: MapTop of the highest, 0 dB where no
// area has a level. The window's map and the command line's picture share it.
float AreasMapTop(const std::vector<std::vector<SPLPoint>>& areas);

// A level's colour: above the top the top colour, below the 12th step one dim colour.
QRgb MapColour(float level, float top);

// Levels on a grid of nodes (nx by ny, row by row from the top left, corners on the
// picture's corners) spread over every pixel of `picture` by bilinear interpolation in
// single precision, then coloured; two threads share the rows. The picture is overwritten
// in place, never reallocated: its owner keeps it from map to map (see NewPicture). A
// picture not of 32 bits a pixel, or a grid under 2 x 2 nodes or short of nx * ny, is left
// as it is.
void RenderMap(const std::vector<float>& nodes, int nx, int ny, float top, QImage& picture);

// The colour bar: the 12 steps from the top down with their levels in dB.
void DrawColourBar(QPainter& painter, const QRectF& bar, float top, const QString& decimalPoint);

// An area's slope in the colours of its levels, over a dark outline so it shows on the map.
void DrawAreaLevels(Canvas& side, const std::vector<SPLPoint>& points, float top);

}  // namespace tarnwick
