#pragma once

#include "acoustics/ModuleData.h"
#include "acoustics/SplPrediction.h"
#include "geometry/ArrayGeometry.h"
#include "model/ProjectData.h"
#include "views/DrawingSurface.h"

class QComboBox;
class QPushButton;

namespace tarnwick {

// The SPL graph strip below the side view: "Calculate Response" predicts
// the level along the chosen area in the chosen band from the project and
// geometry of the last redraw, and draws the curve. Its controls are made
// the first time it is shown; most sessions never show it.
class GraphStrip : public DrawingSurface {
  Q_OBJECT

 public:
  GraphStrip(QWidget* parent, const ProjectData& project, const Graphics& graphics,
             const Constants& constants, Calculations& calculations);

  // One entry per area in use in the area list; the choice stays where it can.
  void OfferAreas(int areas);
  void Calc_cbt_Click();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void BuildControls();

  const ProjectData& project_;
  const Graphics& graphics_;
  const Constants& constants_;
  Calculations& calculations_;
  int areas_ = MaxAreas;
  QComboBox* area_ = nullptr;
  QComboBox* band_ = nullptr;
};

}  // namespace tarnwick
