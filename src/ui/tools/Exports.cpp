#include "ui/tools/Exports.h"

#include <QFile>
#include <string_view>

namespace tarnwick {

WriteResult WriteExport(const QString& path, const QByteArray& bytes) {
  return WriteFile(QFile::encodeName(path).toStdString(),
                   std::string_view(bytes.constData(), std::size_t(bytes.size())),
                   WriteTargets::AnyStream);
}

}  // namespace tarnwick
