#pragma once

#include "model/ProjectData.h"
#include "ui/panels/PanelFrame.h"

class QComboBox;
class QLineEdit;

namespace tarnwick {

// The project panel: title, author and the unit lengths are shown in.
class ProjectPanel : public PanelFrame {
  Q_OBJECT

 public:
  ProjectPanel(QWidget* parent);

  void Read(ProjectData& project) const;
  void Write(const ProjectData& project);

  // The unit chosen in the list, as the model names it.
  std::string ChosenUnits() const;

 signals:
  void UnitsChanged();

 private:
  QLineEdit* title_;
  QLineEdit* author_;
  QComboBox* units_;
};

}  // namespace tarnwick
