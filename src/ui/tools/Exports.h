#pragma once

#include <QByteArray>
#include <QString>

#include "files/FileWriter.h"

namespace tarnwick {

// Writes an export's bytes through WriteFile: a file is replaced only once complete;
// a device, a FIFO or a stream of the program is written to in place.
WriteResult WriteExport(const QString& path, const QByteArray& bytes);

}  // namespace tarnwick
