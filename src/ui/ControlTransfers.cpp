// The two transfers between the controls of the main window and the open
// project. The controls hold the user's unit; the project always metres.

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <algorithm>
#include <cmath>

#include "model/NumberText.h"
#include "ui/LineArrayForm.h"

namespace tarnwick {

namespace {

// A typed length or angle in the model's terms: times the unit factor, in
// single precision, and 0 when it lies beyond that range.
float ReadNumber(const QLineEdit* box, double factor) {
  return ToStoredSingle(TextToNumber(box->text().toStdString()) * factor);
}

}  // namespace

void LineArray_frm::ReadControls() {
  ProjectData& p = Data.Project;
  // 1-2. Texts and the number of areas.
  p.ProjectTitle = Project_tbx->text().toStdString();
  p.Author = Author_tbx->text().toStdString();
  p.Units = Units_cbx->currentText().toStdString();
  p.AreasAmount = AreasAmount_cbx->currentIndex() + 1;
  // 3-5. Lengths of the areas in use and the floor distance, in metres.
  const double f = IsFeet(p.Units) ? FeetToMetres : 1.0;
  for (int i = 0; i < std::clamp(p.AreasAmount, 0, MaxAreas); ++i) {
    p.AreaDistance[i] = ReadNumber(AreaDistance_tbx[i], f);
    p.AreaLength[i] = ReadNumber(AreaLength_tbx[i], f);
    p.AreaHeight1[i] = ReadNumber(AreaHeight1_tbx[i], f);
    p.AreaHeight2[i] = ReadNumber(AreaHeight2_tbx[i], f);
  }
  p.FloorDistance = ReadNumber(FloorDistance_tbx, f);
  // 6-8. Boxes in use: attenuation per box, splay angle per joint.
  p.BoxesAmount = BoxesAmount_cbx->currentIndex() + 2;
  p.BoxAttenuation[0] = AttenuationFromText(Attenuation_cbx[0]->currentText().toStdString());
  for (int i = 0; i < std::clamp(p.BoxesAmount - 1, 0, MaxJoints); ++i) {
    p.BoxAttenuation[i + 1] =
        AttenuationFromText(Attenuation_cbx[i + 1]->currentText().toStdString());
    p.BoxAngle[i] = static_cast<float>(Angle_cbx[i]->currentIndex() * 5);
  }
  // 9-12. Inclination (degrees, no unit), flybar and the check box.
  p.InclinationAngle = ReadNumber(InclinationAngle_tbx, 1.0);
  p.FlybarPin = FlybarPin_cbx->currentIndex() + 1;
  p.FlybarMounting = FlybarMounting_cbx->currentText() == QLatin1String("Uptilt") ? 1 : 0;
  p.AutomaticInclCalc = AutomaticInclCalc_chk->isChecked() ? 1 : 0;
}

bool LineArray_frm::WriteControls() {
  const ProjectData& p = Data.Project;
  ControlsUpdating = true;
  // A value its control cannot take stops the transfer here.
  auto fail = [this] {
    ControlsUpdating = false;
    return false;
  };

  // 2. Texts. A unit text other than "Feet" is shown, and treated, as metres.
  Project_tbx->setText(QString::fromStdString(p.ProjectTitle));
  Author_tbx->setText(QString::fromStdString(p.Author));
  Units_cbx->setCurrentIndex(IsFeet(p.Units) ? 0 : 1);
  // 3. Number of areas; its handler shows the matching blocks.
  if (p.AreasAmount < 1 || p.AreasAmount > MaxAreas) return fail();
  AreasAmount_cbx->setCurrentIndex(p.AreasAmount - 1);
  // 4-6. Lengths in the unit shown.
  const double g = IsFeet(p.Units) ? MetresToFeet : 1.0;
  auto show = [this, g](QLineEdit* box, float metres) {
    box->setText(DecimalText(static_cast<float>(double(metres) * g)));
  };
  for (int i = 0; i < p.AreasAmount; ++i) {
    show(AreaDistance_tbx[i], p.AreaDistance[i]);
    show(AreaLength_tbx[i], p.AreaLength[i]);
    show(AreaHeight1_tbx[i], p.AreaHeight1[i]);
    show(AreaHeight2_tbx[i], p.AreaHeight2[i]);
  }
  show(FloorDistance_tbx, p.FloorDistance);
  // 7. Number of boxes; its handler shows the matching rows.
  if (p.BoxesAmount < 2 || p.BoxesAmount > MaxBoxes) return fail();
  BoxesAmount_cbx->setCurrentIndex(p.BoxesAmount - 2);
  // 8-9. Attenuations and splay angles of the boxes in use.
  Attenuation_cbx[0]->setCurrentIndex(AttenuationIndex(p.BoxAttenuation[0]));
  for (int i = 0; i < p.BoxesAmount - 1; ++i) {
    Attenuation_cbx[i + 1]->setCurrentIndex(AttenuationIndex(p.BoxAttenuation[i + 1]));
    const double fifth = double(p.BoxAngle[i]) / 5.0;
    if (!std::isfinite(fifth)) return fail();
    const long long index = RoundHalfEven(fifth);
    if (index < 0 || index > 1) return fail();
    Angle_cbx[i]->setCurrentIndex(static_cast<int>(index));
  }
  // 10-13. Inclination, flybar, automatic inclination.
  InclinationAngle_tbx->setText(DecimalText(p.InclinationAngle));
  if (p.FlybarPin < 1 || p.FlybarPin > 9) return fail();
  FlybarPin_cbx->setCurrentIndex(p.FlybarPin - 1);
  FlybarMounting_cbx->setCurrentIndex(p.FlybarMounting == 1 ? 1 : 0);
  if (p.AutomaticInclCalc != 0 && p.AutomaticInclCalc != 1) return fail();
  AutomaticInclCalc_chk->setChecked(p.AutomaticInclCalc == 1);
  ControlsUpdating = false;
  return true;
}

}  // namespace tarnwick
