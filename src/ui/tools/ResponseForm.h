#pragma once

#include <QWidget>
#include <array>

#include "acoustics/BandLevels.h"
#include "acoustics/ModuleData.h"
#include "geometry/ArrayGeometry.h"
#include "model/ProjectData.h"

class QLabel;
class QPushButton;

namespace tarnwick {

// A small window with the predicted level in every band at one listener point, and the
// point's two broadband levels. It belongs to the main window, which updates it at every
// redraw so that it follows the design.
class Response_frm : public QWidget {
  Q_OBJECT

 public:
  explicit Response_frm(QWidget* owner);

  // Shows the levels of the design at a point of the section (metres).
  void ShowAt(PlaneVector point, const ProjectData& project, const Graphics& graphics,
              const Constants& constants);
  // The design has changed: the same point again.
  void Follow(const ProjectData& project, const Graphics& graphics, const Constants& constants);

  PlaneVector Point() const { return point_; }
  const std::array<float, BandChoiceCount>& Levels() const { return levels_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  PlaneVector point_;
  std::array<float, BandChoiceCount> levels_{};
  bool feet_ = false;
  QLabel* where_ = nullptr;
  QLabel* broadband_ = nullptr;
  QPushButton* close_ = nullptr;
};

}  // namespace tarnwick
