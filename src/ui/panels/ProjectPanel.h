#pragma once

#include "model/ProjectData.h"
#include "ui/panels/PanelFrame.h"

class QComboBox;
class QLineEdit;

namespace tarnwick {

class TypedNumbers;

// The project panel: title, author and the unit lengths are shown in.
class ProjectPanel : public PanelFrame {
  Q_OBJECT

 public:
  ProjectPanel(QWidget* parent);

  void Read(ProjectData& project) const;
  void Write(const ProjectData& project);

  // The unit chosen in the list, as the model names it.
  std::string ChosenUnits() const;
  // The title and author boxes keep the menu shortcuts while typed in.
  void Watch(TypedNumbers& entry);

 signals:
  void UnitsChanged();
  // The title or the author was edited and left.
  void TextEdited();

 private:
  QLineEdit* title_;
  QLineEdit* author_;
  QComboBox* units_;
};

}  // namespace tarnwick
