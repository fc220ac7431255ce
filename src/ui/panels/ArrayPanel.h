#pragma once

#include <array>

#include "model/ProjectData.h"
#include "ui/panels/PanelFrame.h"
#include "ui/panels/TypedNumbers.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tarnwick {

// The array settings panel: box count, automatic inclination, floor
// distance, flybar, and one row per box with its splay angle and attenuation.
// Collapsed, it shows the box count only; the other controls are made the
// first time it is expanded. Until then the panel keeps what they would
// show, and reads and writes that exactly as it reads and writes them.
class ArrayPanel : public PanelFrame {
  Q_OBJECT

 public:
  ArrayPanel(QWidget* parent);

  // Controls to model and back; lengths in the project's unit.
  void Read(ProjectData& project) const;
  void Write(const ProjectData& project);
  // Rewrites the shown floor distance in the other unit; `project` holds what the
  // program last wrote there.
  void ConvertLengths(const ProjectData& project, bool toFeet);
  void ShowInclination(float degrees);
  // Collapsed it shows the box count only; expanded, every setting.
  void SetExpanded(bool expanded);

  enum class Preset { JArray, Line, Curved };
  // Sets the splay angles of the joints in use; the lists' own handler redraws.
  void ApplyPreset(Preset preset);
  // Its number boxes commit through `entry`: the floor distance a length in the unit
  // `length` gives, the inclination in degrees.
  void Watch(TypedNumbers& entry, TypedNumbers::UnitOf length);

 signals:
  void Edited();             // a selection changed: the drawing is stale
  void AttenuationPicked();  // the user picked an attenuation: no redraw, but an edit
  void AutomaticToggled();   // automatic inclination switched
  void ToggleRequested();    // "Show Setup" / "Hide Setup"
  void DetailsMade();        // the controls behind "Show Setup" exist now

 private:
  // What the controls behind "Show Setup" show: texts and list indices.
  struct Shown {
    QString floor;
    QString inclination;
    bool automatic = true;
    int mounting = 0;
    int pin = 0;
    std::array<int, MaxJoints> angles{};
    std::array<int, MaxBoxes> attenuations{};
  };
  void MakeDetails();
  void MakeSettings();
  void MakeRows();
  void Connect();
  // Between the controls and shown_; nothing to do before they are made.
  void Pull() const;
  void Push();
  int JointsChosen() const;  // joints in use with the box count chosen
  void ShowRowsInUse();
  // Sets joints from ... to (within those in use) to one list entry.
  void SetAngles(int from, int to, int entry);
  void WatchBoxes();

  QComboBox* boxes_;
  QPushButton* toggle_;
  mutable Shown shown_;
  QCheckBox* automatic_ = nullptr;  // the first of the controls made on expanding
  QLineEdit* floor_ = nullptr;
  QComboBox* mounting_ = nullptr;
  QComboBox* pin_ = nullptr;
  QLineEdit* inclination_ = nullptr;
  std::array<QLabel*, MaxBoxes> rowLabels_{};
  std::array<QComboBox*, MaxJoints> angles_{};
  std::array<QComboBox*, MaxBoxes> attenuations_{};
  TypedNumbers* entry_ = nullptr;
  TypedNumbers::UnitOf length_;
};

}  // namespace tarnwick
