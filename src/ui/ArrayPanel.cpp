#include "ui/ArrayPanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringListModel>
#include <algorithm>

#include "model/ProjectRules.h"
#include "ui/Controls.h"
#include "ui/Twips.h"

namespace tarnwick {

namespace {
constexpr int Straight = 0;  // "0°"
constexpr int Splayed = 1;   // "5°"
}  // namespace

ArrayPanel::ArrayPanel(QWidget* parent)
    : PanelFrame(QStringLiteral("Line Array Settings"), QColor(128, 64, 0), parent) {
  setObjectName(QStringLiteral("ArrayFrame"));
  setToolTip(QStringLiteral("Configure your array settings here!"));
  PlaceTwips(this, 30, 0, 2565, CollapsedPanelHeight);
  BuildSettings();
  BuildRows();

  // The lists start at their first entries; the project written next sets them.
  Fill(boxes_, BoxesAmountEntries());
  Fill(mounting_, std::array<std::string, 2>{MountingEntries[0], MountingEntries[1]});
  Fill(pin_, FlybarPinEntries());
  automatic_->setChecked(true);
  inclination_->setReadOnly(true);

  const auto changed = &QComboBox::currentIndexChanged;
  connect(boxes_, changed, this, [this] {
    ShowRowsInUse();
    emit Edited();
  });
  connect(mounting_, changed, this, &ArrayPanel::Edited);
  connect(pin_, changed, this, &ArrayPanel::Edited);
  for (QComboBox* angle : angles_) connect(angle, changed, this, &ArrayPanel::Edited);
  // Attenuations have no handler: they reach the model at the next redraw.
  connect(automatic_, &QCheckBox::toggled, this, [this](bool on) {
    // The computed value stays readable but cannot be edited.
    inclination_->setReadOnly(on);
    emit AutomaticToggled();
  });
  connect(toggle_, &QPushButton::clicked, this, &ArrayPanel::ToggleRequested);
}

void ArrayPanel::BuildSettings() {
  auto* boxesLabel = MakeLabel(this, QStringLiteral("Label3"), QStringLiteral("Number of Boxes"));
  boxesLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  PlaceTwips(boxesLabel, 540, 300, 1455, 255);
  boxes_ = MakeList(this, QStringLiteral("BoxesAmount_cbx"),
                    QStringLiteral("How many modules do you want to use?"));
  PlaceTwips(boxes_, 900, 600, 735, 315);
  toggle_ = new QPushButton(SetupCaption(false), this);
  toggle_->setObjectName(QStringLiteral("ShowArraySettings_cbt"));
  PlaceTwips(toggle_, 540, 990, 1455, 315);

  auto* automaticLabel = MakeLabel(this, QStringLiteral("AutomaticInclCalc_lbl"),
                                   QStringLiteral("Calculate inclination automatically"));
  automaticLabel->setWordWrap(true);
  PlaceTwips(automaticLabel, 180, 1650, 1665, 465);
  automatic_ = new QCheckBox(this);
  automatic_->setObjectName(QStringLiteral("AutomaticInclCalc_chk"));
  PlaceTwips(automatic_, 1920, 1710, 255, 225);
  PlaceTwips(
      MakeLabel(this, QStringLiteral("FloorDistance_lbl"), QStringLiteral("Distance to floor")),
      150, 2160, 1365, 255);
  floor_ = MakeBox(
      this, QStringLiteral("FloorDistance_tbx"),
      QStringLiteral("Distance between the mounting point of the array and the main floor"));
  PlaceTwips(floor_, 1620, 2160, 735, 315);
  PlaceTwips(MakeLabel(this, QStringLiteral("Mounting_lbl"), QStringLiteral("Flybar mounting")),
             150, 2550, 1425, 285);
  mounting_ = MakeList(
      this, QStringLiteral("FlybarMounting_cbx"),
      QStringLiteral("Set here how the flybar is mounted. Uptilt (flybar facing towards the front "
                     "of the array) or downtilt (vice versa)."));
  // 60 twips wider than designed, so that "Downtilt" is not cut off.
  PlaceTwips(mounting_, 1530, 2550, 1005, 315);
  PlaceTwips(MakeLabel(this, QStringLiteral("PinNo_lbl"), QStringLiteral("Flybar Pin No.")), 150,
             2970, 1215, 315);
  pin_ = MakeList(
      this, QStringLiteral("FlybarPin_cbx"),
      QStringLiteral("Enter the Pin used on the flybar. The first pin is the nearest to the pin "
                     "where the array is mounted at. The last pin is the one the furthest away "
                     "from the mounting pin of the array."));
  PlaceTwips(pin_, 1650, 2940, 735, 315);
  PlaceTwips(MakeLabel(this, QStringLiteral("TiltAngle_lbl"), QStringLiteral("Tilt Angle")), 720,
             3330, 765, 255);
  inclination_ = MakeBox(
      this, QStringLiteral("InclinationAngle_tbx"),
      QStringLiteral("Inclination Angle of the first box/the array. You can enter a value here or "
                     "press the Calc button if the flybar is mounted floating."));
  PlaceTwips(inclination_, 750, 3810, 735, 345);
}

void ArrayPanel::BuildRows() {
  auto* attenuationLabel =
      MakeLabel(this, QStringLiteral("Attenuation_lbl"), QStringLiteral("Attenuation Level"));
  attenuationLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  attenuationLabel->setWordWrap(true);
  PlaceTwips(attenuationLabel, 1560, 3330, 915, 405);
  // The 11 angle lists and the 12 attenuation lists each share one list of
  // entries; every list keeps its own selection.
  auto* angleEntries = new QStringListModel(Texts(AngleEntries()), this);
  auto* attenuationEntries = new QStringListModel(Texts(AttenuationEntries()), this);
  // Rows are 360 twips apart (the last one 330); the angle lists stand half
  // a row lower than the labels, between the two boxes they join.
  for (int k = 0; k < MaxBoxes; ++k) {
    const int rowTop = k < MaxJoints ? 3810 + 360 * k : 7740;
    rowLabels_[k] = MakeLabel(this, Indexed("Angle_lbl", k), QStringLiteral("Box %1").arg(k + 1));
    PlaceTwips(rowLabels_[k], 180, rowTop + 30, 555, 255);
    attenuations_[k] = MakeList(
        this, Indexed("Attenuation_cbx", k),
        QStringLiteral(
            "Set the Attenuation Level in dB here (0 = no Attenuation, 99 = Box turned off)"));
    attenuations_[k]->setModel(attenuationEntries);
    PlaceTwips(attenuations_[k], 1650, rowTop, 735, 315);
    if (k < MaxJoints) {
      angles_[k] = MakeList(this, Indexed("Angle_cbx", k),
                            QStringLiteral("Choose the angle between each module here"));
      angles_[k]->setModel(angleEntries);
      PlaceTwips(angles_[k], 750, k < MaxJoints - 1 ? rowTop + 360 : 7740, 735, 315);
    }
  }
}

void ArrayPanel::ShowRowsInUse() {
  // Rows beyond the count are hidden, never cleared, so raising the count
  // brings their settings back. The first two boxes are always in use.
  ProjectData count;
  count.BoxesAmount = boxes_->currentIndex() + MinBoxes;
  const int joints = JointsInUse(count);
  for (int j = 1; j < MaxJoints; ++j) {
    const bool visible = j < joints;
    angles_[j]->setVisible(visible);
    rowLabels_[j + 1]->setVisible(visible);
    attenuations_[j + 1]->setVisible(visible);
  }
}

void ArrayPanel::Read(ProjectData& p) const {
  const double toMetres = IsFeet(p.Units) ? FeetToMetres : 1.0;
  p.FloorDistance = StoredNumber(floor_, toMetres);
  p.BoxesAmount = boxes_->currentIndex() + MinBoxes;
  p.BoxAttenuation[0] = AttenuationFromText(attenuations_[0]->currentText().toStdString());
  for (int j = 0; j < JointsInUse(p); ++j) {
    p.BoxAttenuation[j + 1] =
        AttenuationFromText(attenuations_[j + 1]->currentText().toStdString());
    p.BoxAngle[j] = static_cast<float>(angles_[j]->currentIndex()) * SplayStep;
  }
  p.InclinationAngle = StoredNumber(inclination_, 1.0);
  p.FlybarPin = pin_->currentIndex() + 1;
  p.FlybarMounting = mounting_->currentText() == QLatin1String("Uptilt") ? 1 : 0;
  p.AutomaticInclCalc = automatic_->isChecked() ? 1 : 0;
}

void ArrayPanel::Write(const ProjectData& p) {
  // The caller has checked that every value has its list entry.
  const double fromMetres = IsFeet(p.Units) ? MetresToFeet : 1.0;
  floor_->setText(DecimalText(static_cast<float>(double(p.FloorDistance) * fromMetres)));
  boxes_->setCurrentIndex(p.BoxesAmount - MinBoxes);
  ShowRowsInUse();
  attenuations_[0]->setCurrentIndex(AttenuationIndex(p.BoxAttenuation[0]));
  for (int j = 0; j < JointsInUse(p); ++j) {
    attenuations_[j + 1]->setCurrentIndex(AttenuationIndex(p.BoxAttenuation[j + 1]));
    angles_[j]->setCurrentIndex(SplayIndex(p.BoxAngle[j]));
  }
  ShowInclination(p.InclinationAngle);
  pin_->setCurrentIndex(p.FlybarPin - 1);
  mounting_->setCurrentIndex(p.FlybarMounting == 1 ? 1 : 0);
  automatic_->setChecked(p.AutomaticInclCalc == 1);
}

void ArrayPanel::ConvertLengths(double factor) { ConvertShown(floor_, factor); }

void ArrayPanel::ShowInclination(float degrees) {
  // Every redraw shows the computed inclination; an unchanged text is left
  // alone so that the panel is not repainted for nothing.
  const QString text = DecimalText(degrees);
  if (inclination_->text() != text) inclination_->setText(text);
}

void ArrayPanel::SetExpanded(bool expanded) {
  toggle_->setText(SetupCaption(expanded));
  SetHeightTwips(this, expanded ? ExpandedPanelHeight : CollapsedPanelHeight);
}

void ArrayPanel::SetAngles(int from, int to, int entry) {
  for (int k = std::max(from, 0); k <= std::min(to, MaxJoints - 1); ++k)
    angles_[k]->setCurrentIndex(entry);
}

void ArrayPanel::ApplyPreset(Preset preset) {
  const int n = boxes_->currentIndex();  // the last joint in use
  switch (preset) {
    case Preset::Line:
      SetAngles(0, n, Straight);
      break;
    case Preset::Curved:
      SetAngles(0, n, Splayed);
      break;
    case Preset::JArray:
      // Upper half straight, lower half curved; with an odd number of joints
      // the middle one may stay as it was.
      SetAngles(0, int(RoundHalfEven(n / 2.0 - 1)), Straight);
      SetAngles(int(RoundHalfEven(n / 2.0)), n, Splayed);
      break;
  }
}

}  // namespace tarnwick
