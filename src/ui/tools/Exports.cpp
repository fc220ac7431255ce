#include "ui/tools/Exports.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <QWidget>
#include <string_view>

namespace tarnwick {

namespace {

// Draws the pictures one under the other from the painter's origin.
void RenderStack(QPainter& painter, QWidget* side, QWidget* graph) {
  side->render(&painter, QPoint(0, 0), QRegion(), QWidget::DrawChildren);
  if (graph != nullptr && graph->isVisible())
    graph->render(&painter, QPoint(0, side->height()), QRegion(), QWidget::DrawChildren);
}

}  // namespace

WriteResult ExportPicture(const QString& path, QWidget* side, QWidget* graph) {
  const bool withGraph = graph != nullptr && graph->isVisible();
  const QSize size(side->width(), side->height() + (withGraph ? graph->height() : 0));
  const QString kind = QFileInfo(path).suffix().toLower();
  // Drawn in memory, then written as a whole: a device or a FIFO gets the picture in
  // place, a file is replaced only by a complete one.
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (kind == QLatin1String("svg")) {
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(0, 0), size));
    svg.setTitle(QStringLiteral("Tarnwick side view"));
    QPainter painter(&svg);
    RenderStack(painter, side, graph);
  } else if (kind == QLatin1String("pdf")) {
    QPdfWriter pdf(&buffer);
    pdf.setTitle(QStringLiteral("Tarnwick side view"));
    pdf.setResolution(96);
    pdf.setPageSize(QPageSize(QSizeF(size), QPageSize::Point));
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter painter(&pdf);
    painter.scale(pdf.width() / double(size.width()), pdf.height() / double(size.height()));
    RenderStack(painter, side, graph);
  } else {
    const qreal ratio = side->devicePixelRatioF();
    QImage image(size * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    {
      QPainter painter(&image);
      RenderStack(painter, side, graph);
    }
    if (!image.save(&buffer, "PNG")) return {false, "the picture could not be made"};
  }
  buffer.close();
  return WriteExport(path, bytes);
}

WriteResult WriteExport(const QString& path, const QByteArray& bytes) {
  return WriteFile(QFile::encodeName(path).toStdString(),
                   std::string_view(bytes.constData(), std::size_t(bytes.size())),
                   WriteTargets::AnyStream);
}

}  // namespace tarnwick
