#pragma once

#include <array>

#include "model/ProjectData.h"
#include "ui/panels/PanelFrame.h"
#include "ui/panels/TypedNumbers.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace tarnwick {

// The area settings panel: the number of areas and one block of four
// lengths per area in use. The blocks are made the first time the panel is
// expanded; until then it keeps the texts they would show.
class AreaPanel : public PanelFrame {
  Q_OBJECT

 public:
  explicit AreaPanel(QWidget* parent);

  // Controls to model and back; lengths in the project's unit. Blocks of
  // areas not in use are written too, so that what a hidden block shows
  // always stands for the model's value in the unit shown.
  void Read(ProjectData& project) const;
  void Write(const ProjectData& project);
  // Rewrites every block's lengths in the other unit, hidden ones included; `project`
  // holds what the program last wrote into them.
  void ConvertLengths(const ProjectData& project, bool toFeet);
  void SetExpanded(bool expanded);
  // Its boxes commit through `entry`, as lengths in the unit `length` gives.
  void Watch(TypedNumbers& entry, TypedNumbers::UnitOf length);

 signals:
  void AreasInUseChanged(int areas);
  void ToggleRequested();
  void DetailsMade();  // the blocks exist now

 private:
  struct Block {
    std::array<QWidget*, 5> labels;  // heading and the four captions
    QLineEdit* distance;
    QLineEdit* length;
    QLineEdit* height1;
    QLineEdit* height2;
    std::array<QLineEdit*, 4> Boxes() const { return {distance, length, height1, height2}; }
  };
  void MakeBlock(int i);
  int ChosenAreas() const;
  void ShowBlocksInUse();
  // Between the blocks and shown_; nothing to do before they are made.
  void Pull() const;
  void Push();
  void WatchBoxes();

  QComboBox* count_;
  QPushButton* toggle_;
  bool made_ = false;
  std::array<Block, MaxAreas> blocks_{};
  mutable std::array<std::array<QString, 4>, MaxAreas>
      shown_;  // per area: distance, length, heights
  TypedNumbers* entry_ = nullptr;
  TypedNumbers::UnitOf length_;
};

}  // namespace tarnwick
