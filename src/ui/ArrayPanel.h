#pragma once

#include <array>

#include "model/ProjectData.h"
#include "ui/PanelFrame.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tarnwick {

// The array settings panel: box count, automatic inclination, floor
// distance, flybar, and one row per box with its splay angle and attenuation.
class ArrayPanel : public PanelFrame {
  Q_OBJECT

 public:
  ArrayPanel(QWidget* parent);

  // Controls to model and back; lengths in the project's unit.
  void Read(ProjectData& project) const;
  void Write(const ProjectData& project);
  // Rewrites the shown floor distance in another unit.
  void ConvertLengths(double factor);
  void ShowInclination(float degrees);
  // Collapsed it shows the box count only; expanded, every setting.
  void SetExpanded(bool expanded);

  enum class Preset { JArray, Line, Curved };
  // Sets the splay angles of the joints in use; the lists' own handler redraws.
  void ApplyPreset(Preset preset);

 signals:
  void Edited();            // a selection changed: the drawing is stale
  void AutomaticToggled();  // automatic inclination switched
  void ToggleRequested();   // "Show Setup" / "Hide Setup"

 private:
  void BuildSettings();
  void BuildRows();
  void ShowRowsInUse();
  void SetAngles(int from, int to, int entry);

  QComboBox* boxes_;
  QPushButton* toggle_;
  QCheckBox* automatic_;
  QLineEdit* floor_;
  QComboBox* mounting_;
  QComboBox* pin_;
  QLineEdit* inclination_;
  std::array<QLabel*, MaxBoxes> rowLabels_{};
  std::array<QComboBox*, MaxJoints> angles_{};
  std::array<QComboBox*, MaxBoxes> attenuations_{};
};

}  // namespace tarnwick
