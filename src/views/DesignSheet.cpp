#include "views/DesignSheet.h"

#include <QFontMetricsF>
#include <QLocale>
#include <algorithm>
#include <cmath>

#include "model/ModuleShape.h"
#include "model/ProjectRules.h"
#include "views/Canvas.h"
#include "views/CoverageMap.h"
#include "views/SectionGrid.h"

namespace tarnwick {

namespace {

constexpr double Gap = 8.0;          // between the sheet's parts
constexpr double BarColumn = 96.0;   // the colour bar's column, with its labels
constexpr double GraphShare = 0.32;  // of the height above the title block

// A canvas that draws onto the sheet's painter in the section's rectangle.
class SheetCanvas : public Canvas {
 public:
  SheetCanvas(QSize size, QFont font) : size_(size), font_(std::move(font)) {}
  QSize InnerSize() const override { return size_; }
  QFont TextFont() const override { return font_; }

 private:
  QSize size_;
  QFont font_;
};

// A scale bar in the section's top right corner, clear of the grid's labels: a round
// length of at least 100 units.
void DrawScaleBar(QPainter& painter, double width, const ViewWindow& view, bool feet) {
  const double unit = feet ? double(FeetToMetres) : 1.0;
  const double perUnit = view.PixelsPerMetre * unit;
  const double step = GridStep(perUnit / 2.5);
  if (!(step > 0.0)) return;
  const double length = step * perUnit;
  const QString label =
      QLocale().toString(step, 'g', 6) + (feet ? QStringLiteral(" ft") : QStringLiteral(" m"));
  const QFontMetricsF metrics(painter.font());
  const double boxWidth = length + metrics.horizontalAdvance(label) + 22;
  const QRectF box(width - boxWidth - 6, 6, boxWidth, metrics.height() + 14);
  painter.fillRect(box, QColor(255, 255, 255, 225));
  const QPointF start(box.left() + 8, box.center().y());
  painter.fillRect(QRectF(start.x(), start.y() - 3, length / 2, 6), Qt::black);
  painter.setPen(QPen(Qt::black, 1));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(QRectF(start.x(), start.y() - 3, length, 6));
  painter.drawText(QPointF(start.x() + length + 6, start.y() + metrics.ascent() / 2 - 1), label);
}

// The section to scale, drawn as the side view draws it, framed.
void DrawSection(QPainter& painter, const QRectF& rect, const ViewWindow& view,
                 const SheetParts& parts) {
  const ProjectData& p = *parts.Project;
  const Graphics& g = *parts.Geometry;
  painter.save();
  painter.translate(rect.topLeft());
  painter.setClipRect(QRectF(QPointF(0, 0), rect.size()));
  SheetCanvas side(rect.size().toSize(), painter.font());
  SheetCanvas zoom(QSize(1, 1), painter.font());  // not shown on a sheet
  side.DrawOnto(&painter);
  side.Cls();
  DrawBackground(side, zoom, false, p, g, view);
  if (parts.Map)
    side.DrawPicture(parts.Map->Left, parts.Map->Top, parts.Map->Right, parts.Map->Bottom,
                     parts.Map->Picture);
  if (parts.Grid) DrawGrid(side, {IsFeet(p.Units), QLocale().decimalPoint()});
  if (parts.Map) {
    for (const auto& points : parts.Map->Areas) DrawAreaLevels(side, points, parts.Map->TopLevel);
  } else {
    DrawAreas(side, p, g);
  }
  DrawArray(side, zoom, p, g);
  painter.setRenderHint(QPainter::Antialiasing, false);
  DrawScaleBar(painter, rect.width(), view, IsFeet(p.Units));
  painter.restore();
  painter.setPen(QColor(128, 128, 128));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(rect);
}

// The colour bar in its column, titled with the band and the model.
void DrawMapScale(QPainter& painter, const QRectF& column, const SheetMap& map) {
  const QFontMetricsF metrics(painter.font());
  QFont bold = painter.font();
  bold.setBold(true);
  painter.save();
  painter.setFont(bold);
  painter.setPen(Qt::black);
  QRectF words(column.left(), column.top(), column.width(), metrics.height());
  painter.drawText(words, Qt::AlignRight | Qt::AlignVCenter, map.Band);
  painter.restore();
  double under = words.bottom() + 2;
  if (!map.Model.isEmpty()) {
    const QRectF model(column.left(), under, column.width(), 5 * metrics.height());
    QRectF used;
    painter.drawText(model, Qt::AlignRight | Qt::AlignTop | Qt::TextWordWrap, map.Model, &used);
    under = used.bottom() + 2;
  }
  const double top = under + metrics.height() + 8;
  const double height = std::min(300.0, column.bottom() - top - metrics.height() / 2);
  if (height >= 3 * metrics.height())
    DrawColourBar(painter, QRectF(column.right() - 16, top, 14, height), map.TopLevel,
                  QLocale().decimalPoint());
}

// The title block along the sheet's bottom: the project on the left, the rest on the right.
void DrawTitleBlock(QPainter& painter, const QRectF& block, const TitleBlock& title) {
  const QFontMetricsF metrics(painter.font());
  painter.setPen(QColor(96, 96, 96));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(block);
  const double middle = block.left() + block.width() * 0.55;
  painter.drawLine(QPointF(middle, block.top()), QPointF(middle, block.bottom()));
  QFont big = painter.font();
  big.setBold(true);
  big.setPointSizeF(painter.font().pointSizeF() * 1.4);
  painter.save();
  painter.setFont(big);
  painter.setPen(Qt::black);
  const QRectF left = block.adjusted(8, 4, -(block.right() - middle) - 8, -4);
  painter.drawText(left, Qt::AlignLeft | Qt::AlignTop, title.Title);
  painter.restore();
  painter.setPen(Qt::black);
  painter.drawText(left, Qt::AlignLeft | Qt::AlignBottom, title.Author);
  const QRectF right(middle + 8, block.top() + 4, block.right() - middle - 16, block.height() - 8);
  const QString lines = title.Date + QStringLiteral("   ") + title.Band + '\n' + title.File;
  painter.drawText(right, Qt::AlignLeft | Qt::AlignTop, lines);
  painter.setPen(QColor(96, 96, 96));
  painter.drawText(right, Qt::AlignRight | Qt::AlignBottom, title.Program);
}

}  // namespace

ViewWindow FitRegion(double left, double top, double right, double bottom, QSizeF size) {
  const double width = std::max(right - left, 1e-3), height = std::max(top - bottom, 1e-3);
  const double scale =
      std::clamp(std::min(size.width() / width, size.height() / height), LeastZoom, MostZoom);
  return {(left + right) / 2 - size.width() / 2 / scale,
          (top + bottom) / 2 + size.height() / 2 / scale, scale};
}

namespace {

// Where the parts of a sheet go: the title block along the bottom, the graph above it, the
// section above that with the colour bar's column at its right.
struct SheetPlaces {
  QRectF Block, Graph, Section, Column;
};

SheetPlaces Arrange(const QFontMetricsF& metrics, const QRectF& area, const SheetParts& parts) {
  SheetPlaces places;
  const double titleHeight = 3 * metrics.height() + 12;
  places.Block = QRectF(area.left(), area.bottom() - titleHeight, area.width(), titleHeight);
  double bottom = places.Block.top() - Gap;
  if (parts.Graph && !parts.Graph->empty()) {
    const double graphHeight = std::round((bottom - area.top()) * GraphShare);
    places.Graph = QRectF(area.left(), bottom - graphHeight, area.width(), graphHeight);
    bottom = places.Graph.top() - Gap;
  }
  const double right = parts.Map ? area.right() - BarColumn - Gap : area.right();
  // Whole units, so that the canvas maps exactly the rectangle it draws in.
  places.Section = QRectF(std::round(area.left()), std::round(area.top()),
                          std::floor(right - area.left()), std::floor(bottom - area.top()));
  places.Column = QRectF(places.Section.right() + Gap, places.Section.top(), BarColumn,
                         places.Section.height());
  return places;
}

}  // namespace

SheetSection LayOutSheet(const QFontMetricsF& metrics, const QRectF& area,
                         const SheetParts& parts) {
  const QRectF section = Arrange(metrics, area, parts).Section;
  return {section, FitRegion(parts.Left, parts.Top, parts.Right, parts.Bottom, section.size())};
}

SheetSection DrawSheet(QPainter& painter, const QRectF& area, const SheetParts& parts) {
  const QFontMetricsF metrics(painter.font());
  const SheetPlaces places = Arrange(metrics, area, parts);
  if (!places.Graph.isEmpty()) {
    painter.save();
    painter.setPen(QColor(128, 128, 128));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(places.Graph);
    const GraphLayout layout(*parts.Graph, places.Graph.adjusted(4, 4, -8, -4), metrics,
                             parts.GraphWords);
    DrawLevelGraph(painter, layout, *parts.Graph, parts.GraphWords, std::nullopt);
    painter.restore();
  }
  const SheetSection section = LayOutSheet(metrics, area, parts);
  DrawSection(painter, section.Area, section.View, parts);
  if (parts.Map) DrawMapScale(painter, places.Column, *parts.Map);
  DrawTitleBlock(painter, places.Block, parts.Title);
  return section;
}

}  // namespace tarnwick
