#pragma once

#include <QByteArray>
#include <QString>

#include "files/FileWriter.h"

class QWidget;

namespace tarnwick {

// Writes what the side view shows (with its map and colour bar) and, when given, the
// graph strip below it, as PNG, SVG or PDF by the file's extension; says why when the file
// cannot be written.
WriteResult ExportPicture(const QString& path, QWidget* side, QWidget* graph);

// Writes an export's bytes through WriteFile: a file is replaced only once complete;
// a device, a FIFO or a stream of the program is written to in place.
WriteResult WriteExport(const QString& path, const QByteArray& bytes);

}  // namespace tarnwick
