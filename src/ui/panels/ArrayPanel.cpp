#include "ui/panels/ArrayPanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringListModel>
#include <algorithm>

#include "model/ProjectRules.h"
#include "ui/panels/Controls.h"
#include "ui/panels/Twips.h"

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
  auto* boxesLabel = MakeLabel(this, QStringLiteral("Label3"), QStringLiteral("Number of Boxes"));
  boxesLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  PlaceTwips(boxesLabel, 540, 300, 1455, 255);
  boxes_ = MakeList(this, QStringLiteral("BoxesAmount_cbx"),
                    QStringLiteral("How many modules do you want to use?"));
  PlaceTwips(boxes_, 900, 600, 735, 315);
  Fill(boxes_, BoxesAmountItems());
  toggle_ = new QPushButton(SetupCaption(false), this);
  toggle_->setObjectName(QStringLiteral("ShowArraySettings_cbt"));
  PlaceTwips(toggle_, 540, 990, 1455, 315);
  connect(boxes_, &QComboBox::currentIndexChanged, this, [this] {
    ShowRowsInUse();
    emit Edited();
  });
  connect(toggle_, &QPushButton::clicked, this, &ArrayPanel::ToggleRequested);
}

void ArrayPanel::MakeDetails() {
  if (automatic_ != nullptr) return;
  MakeSettings();
  MakeRows();
  Fill(mounting_, std::array<std::string, 2>{MountingItems[0], MountingItems[1]});
  Fill(pin_, FlybarPinItems());
  Push();
  // Made after the panel was shown, the controls start hidden.
  for (QWidget* control : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
    control->show();
  ShowRowsInUse();
  Connect();
  WatchBoxes();
  emit DetailsMade();
}

void ArrayPanel::Watch(TypedNumbers& entry, TypedNumbers::UnitOf length) {
  entry_ = &entry;
  length_ = std::move(length);
  WatchBoxes();
}

void ArrayPanel::WatchBoxes() {
  if (entry_ == nullptr || floor_ == nullptr) return;
  entry_->WatchNumber(floor_, length_);
  entry_->WatchNumber(inclination_, [] { return UnitFactors{}; });
}

void ArrayPanel::Connect() {
  const auto changed = &QComboBox::currentIndexChanged;
  connect(mounting_, changed, this, &ArrayPanel::Edited);
  connect(pin_, changed, this, &ArrayPanel::Edited);
  for (QComboBox* angle : angles_) connect(angle, changed, this, &ArrayPanel::Edited);
  // An attenuation reaches the drawing at the next redraw; the user's pick is an edit at once.
  for (QComboBox* attenuation : attenuations_)
    connect(attenuation, &QComboBox::activated, this, &ArrayPanel::AttenuationPicked);
  connect(automatic_, &QCheckBox::toggled, this, [this](bool on) {
    // The computed value stays readable but cannot be edited.
    inclination_->setReadOnly(on);
    shown_.automatic = on;
    emit AutomaticToggled();
  });
}

void ArrayPanel::MakeSettings() {
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
  // 150 twips wider than the other lists, reaching left under the end of its
  // label, so that "Downtilt" is not cut off.
  PlaceTwips(mounting_, 1440, 2550, 1095, 315);
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

void ArrayPanel::MakeRows() {
  auto* attenuationLabel =
      MakeLabel(this, QStringLiteral("Attenuation_lbl"), QStringLiteral("Attenuation Level"));
  attenuationLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  attenuationLabel->setWordWrap(true);
  PlaceTwips(attenuationLabel, 1560, 3330, 915, 405);
  // The 11 angle lists and the 12 attenuation lists each share one list of
  // entries; every list keeps its own selection.
  auto* angleItems = new QStringListModel(Texts(AngleItems()), this);
  auto* attenuationItems = new QStringListModel(Texts(AttenuationItems()), this);
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
    attenuations_[k]->setModel(attenuationItems);
    PlaceTwips(attenuations_[k], 1650, rowTop, 735, 315);
    if (k < MaxJoints) {
      angles_[k] = MakeList(this, Indexed("Angle_cbx", k),
                            QStringLiteral("Choose the angle between each module here"));
      angles_[k]->setModel(angleItems);
      PlaceTwips(angles_[k], 750, k < MaxJoints - 1 ? rowTop + 360 : 7740, 735, 315);
    }
  }
}

int ArrayPanel::JointsChosen() const {
  ProjectData chosen;
  chosen.BoxesAmount = boxes_->currentIndex() + MinBoxes;
  return JointsInUse(chosen);
}

void ArrayPanel::ShowRowsInUse() {
  if (automatic_ == nullptr) return;
  // Rows beyond the count are hidden, never cleared, so raising the count
  // brings their settings back. The first two boxes are always in use.
  const int joints = JointsChosen();
  for (int j = 1; j < MaxJoints; ++j) {
    const bool visible = j < joints;
    angles_[j]->setVisible(visible);
    rowLabels_[j + 1]->setVisible(visible);
    attenuations_[j + 1]->setVisible(visible);
  }
}

void ArrayPanel::Pull() const {
  if (automatic_ == nullptr) return;
  shown_.floor = floor_->text();
  shown_.inclination = inclination_->text();
  shown_.automatic = automatic_->isChecked();
  shown_.mounting = mounting_->currentIndex();
  shown_.pin = pin_->currentIndex();
  for (int j = 0; j < MaxJoints; ++j) shown_.angles[j] = angles_[j]->currentIndex();
  for (int k = 0; k < MaxBoxes; ++k) shown_.attenuations[k] = attenuations_[k]->currentIndex();
}

void ArrayPanel::Push() {
  if (automatic_ == nullptr) return;
  floor_->setText(shown_.floor);
  inclination_->setText(shown_.inclination);
  for (int j = 0; j < MaxJoints; ++j) angles_[j]->setCurrentIndex(shown_.angles[j]);
  for (int k = 0; k < MaxBoxes; ++k) attenuations_[k]->setCurrentIndex(shown_.attenuations[k]);
  pin_->setCurrentIndex(shown_.pin);
  mounting_->setCurrentIndex(shown_.mounting);
  automatic_->setChecked(shown_.automatic);
  inclination_->setReadOnly(shown_.automatic);
}

void ArrayPanel::Read(ProjectData& p) const {
  Pull();
  p.FloorDistance = ReadNumber(shown_.floor, p.FloorDistance, LengthFactors(IsFeet(p.Units)));
  p.BoxesAmount = boxes_->currentIndex() + MinBoxes;
  p.BoxAttenuation[0] = AttenuationAt(shown_.attenuations[0]);
  for (int j = 0; j < JointsInUse(p); ++j) {
    p.BoxAttenuation[j + 1] = AttenuationAt(shown_.attenuations[j + 1]);
    p.BoxAngle[j] = static_cast<float>(shown_.angles[j]) * SplayStep;
  }
  p.InclinationAngle = ReadNumber(shown_.inclination, p.InclinationAngle, UnitFactors{});
  p.FlybarPin = shown_.pin + 1;
  p.FlybarMounting = shown_.mounting == 1 ? 1 : 0;  // "Uptilt"
  p.AutomaticInclCalc = shown_.automatic ? 1 : 0;
}

void ArrayPanel::Write(const ProjectData& p) {
  // The caller has checked that every value has its list entry. Joints and
  // boxes not in use keep what their lists show.
  Pull();
  shown_.floor = ShownText(p.FloorDistance, LengthFactors(IsFeet(p.Units)));
  shown_.attenuations[0] = AttenuationIndex(p.BoxAttenuation[0]);
  for (int j = 0; j < JointsInUse(p); ++j) {
    shown_.attenuations[j + 1] = AttenuationIndex(p.BoxAttenuation[j + 1]);
    shown_.angles[j] = SplayIndex(p.BoxAngle[j]);
  }
  shown_.inclination = ShownText(p.InclinationAngle, UnitFactors{});
  shown_.pin = p.FlybarPin - 1;
  shown_.mounting = p.FlybarMounting == 1 ? 1 : 0;
  shown_.automatic = p.AutomaticInclCalc == 1;
  boxes_->setCurrentIndex(p.BoxesAmount - MinBoxes);
  ShowRowsInUse();
  Push();
}

void ArrayPanel::ConvertLengths(const ProjectData& p, bool toFeet) {
  Pull();
  shown_.floor =
      ConvertedText(shown_.floor, p.FloorDistance, LengthFactors(!toFeet), LengthFactors(toFeet));
  if (floor_ != nullptr) floor_->setText(shown_.floor);
}

void ArrayPanel::ShowInclination(float degrees) {
  // Every redraw shows the computed inclination; an unchanged text is left
  // alone so that the panel is not repainted for nothing.
  Pull();
  const QString text = ShownText(degrees, UnitFactors{});
  if (shown_.inclination == text) return;
  shown_.inclination = text;
  if (inclination_ != nullptr) inclination_->setText(text);
}

void ArrayPanel::SetExpanded(bool expanded) {
  if (expanded) MakeDetails();
  toggle_->setText(SetupCaption(expanded));
  SetHeightTwips(this, expanded ? ExpandedPanelHeight : CollapsedPanelHeight);
}

void ArrayPanel::SetAngles(int from, int to, int entry) {
  // Made lists redraw through their own handler; before they exist the
  // panel says once that the drawing is stale.
  bool changed = false;
  for (int k = from; k <= to; ++k) {
    if (automatic_ != nullptr) angles_[k]->setCurrentIndex(entry);
    changed = changed || shown_.angles[k] != entry;
    shown_.angles[k] = entry;
  }
  if (changed && automatic_ == nullptr) emit Edited();
}

void ArrayPanel::ApplyPreset(Preset preset) {
  const int n = JointsChosen() - 1;  // the last joint in use
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
