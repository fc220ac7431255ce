#pragma once

#include <QWidget>
#include <functional>

#include "geometry/Rigging.h"

class QLabel;
class QTableWidget;

namespace tarnwick {

// The rigging table: per box its splay, aim, the height of its top front corner and where
// its ray lands, and the height of the lowest box's bottom; to copy as text or save as a
// PDF to print. It belongs to the main window, which updates it at every redraw.
class Rigging_frm : public QWidget {
  Q_OBJECT

 public:
  // `savePdf` asks where to write the table's PDF page and writes it there (the window's
  // exports).
  Rigging_frm(QWidget* owner, std::function<void()> savePdf);

  void Show(const ProjectData& project, const Graphics& graphics);
  // The design has changed: the table again.
  void Follow(const ProjectData& project, const Graphics& graphics);
  const RiggingTable& Table() const { return table_; }
  // The table as copied: tab-separated text.
  QString Text() const;

 private:
  RiggingTable table_;
  bool feet_ = false;
  QTableWidget* grid_ = nullptr;
  QLabel* lowest_ = nullptr;
  std::function<void()> savePdf_;
};

}  // namespace tarnwick
