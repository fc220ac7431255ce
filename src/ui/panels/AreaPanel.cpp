#include "ui/panels/AreaPanel.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "model/ProjectRules.h"
#include "ui/panels/Controls.h"
#include "ui/panels/Twips.h"

namespace tarnwick {

namespace {

// Places of one block's controls (Left, Top, Width, Height in twips).
struct BlockPlaces {
  TwipsRect heading, distanceLabel, distance, lengthLabel, length, height1Label, height1,
      height2Label, height2;
};
constexpr std::array<BlockPlaces, MaxAreas> Places = {{
    {{150, 1890, 615, 255},
     {150, 2190, 735, 495},
     {990, 2310, 615, 285},
     {150, 2670, 735, 255},
     {990, 2670, 615, 285},
     {150, 3030, 855, 255},
     {990, 3030, 615, 285},
     {150, 3390, 735, 255},
     {990, 3390, 615, 285}},
    {{150, 3870, 615, 255},
     {150, 4200, 735, 495},
     {990, 4320, 615, 285},
     {150, 4680, 735, 255},
     {990, 4680, 615, 285},
     {150, 5040, 735, 255},
     {990, 5040, 615, 285},
     {120, 5400, 735, 255},
     {990, 5400, 615, 285}},
    {{150, 5880, 615, 255},
     {150, 6180, 735, 495},
     {960, 6300, 615, 285},
     {150, 6660, 645, 255},
     {960, 6660, 615, 285},
     {150, 7020, 705, 255},
     {960, 7020, 615, 285},
     {150, 7380, 705, 255},
     {960, 7380, 615, 285}},
}};

// An area's lengths in the order of its boxes: distance, length, height 1, height 2.
template <typename Project>
auto Fields(Project& p, int i) {
  return std::array{&p.AreaDistance[i], &p.AreaLength[i], &p.AreaHeight1[i], &p.AreaHeight2[i]};
}

}  // namespace

AreaPanel::AreaPanel(QWidget* parent)
    : PanelFrame(QStringLiteral("Area Settings"), QColor(128, 0, 0), parent) {
  setObjectName(QStringLiteral("AreaFrame"));
  setToolTip(QStringLiteral("Set your area data here (shown as slopes in the side view)"));
  PlaceTwips(this, 10080, 0, 1755, CollapsedPanelHeight);
  PlaceTwips(MakeLabel(this, QStringLiteral("Label4"), QStringLiteral("Number of Areas")), 210, 330,
             1335, 255);
  count_ = MakeList(this, QStringLiteral("AreasAmount_cbx"),
                    QStringLiteral("How many listener areas do you intend to use?"));
  PlaceTwips(count_, 510, 630, 735, 315);
  Fill(count_, AreasAmountItems());
  toggle_ = new QPushButton(SetupCaption(false), this);
  toggle_->setObjectName(QStringLiteral("ShowAreaSettings_cbt"));
  PlaceTwips(toggle_, 150, 1020, 1455, 315);
  connect(count_, &QComboBox::currentIndexChanged, this, [this] {
    ShowBlocksInUse();
    emit AreasInUseChanged(ChosenAreas());
  });
  connect(toggle_, &QPushButton::clicked, this, &AreaPanel::ToggleRequested);
}

void AreaPanel::MakeBlock(int i) {
  const BlockPlaces& at = Places[i];
  Block& b = blocks_[i];
  auto* heading = MakeLabel(this, Indexed("Area_lbl", i), QStringLiteral("Area%1:").arg(i + 1));
  heading->setFont(HandFont(8.25, true));
  QPalette teal = heading->palette();
  teal.setColor(QPalette::WindowText, QColor(0, 64, 64));
  heading->setPalette(teal);
  PlaceTwips(heading, at.heading);
  auto* distanceLabel =
      MakeLabel(this, Indexed("AreaDistance_lbl", i), QStringLiteral("Distance to Array"));
  distanceLabel->setWordWrap(true);
  PlaceTwips(distanceLabel, at.distanceLabel);
  b.distance = MakeBox(
      this, Indexed("AreaDistance_tbx", i),
      QStringLiteral("Horizontal distance between the mounting point of the array and the area"));
  PlaceTwips(b.distance, at.distance);
  auto* lengthLabel = MakeLabel(this, Indexed("AreaLength_lbl", i), QStringLiteral("Length"));
  PlaceTwips(lengthLabel, at.lengthLabel);
  b.length = MakeBox(this, Indexed("AreaLength_tbx", i),
                     QStringLiteral("Overall length of the area, as seen in the side view"));
  PlaceTwips(b.length, at.length);
  const QString heightTip = QStringLiteral(
      ", if you choose Height 1 different to Height 2, you'll create a slope in the side view");
  auto* height1Label = MakeLabel(this, Indexed("AreaHeight1_lbl", i), QStringLiteral("Height 1"));
  PlaceTwips(height1Label, at.height1Label);
  b.height1 = MakeBox(this, Indexed("AreaHeight1_tbx", i),
                      QStringLiteral("Height of the starting point of the area") + heightTip);
  PlaceTwips(b.height1, at.height1);
  auto* height2Label = MakeLabel(this, Indexed("AreaHeight2_lbl", i), QStringLiteral("Height 2"));
  PlaceTwips(height2Label, at.height2Label);
  b.height2 = MakeBox(this, Indexed("AreaHeight2_tbx", i),
                      QStringLiteral("Height of the end point of the area") + heightTip);
  PlaceTwips(b.height2, at.height2);
  b.labels = {heading, distanceLabel, lengthLabel, height1Label, height2Label};
}

int AreaPanel::ChosenAreas() const {
  const int index = count_->currentIndex();
  return index >= 0 ? index + MinAreas : MaxAreas;
}

void AreaPanel::ShowBlocksInUse() {
  // Hidden blocks keep their values; raising the count brings them back.
  if (!made_) return;
  const int areas = ChosenAreas();
  for (int i = 1; i < MaxAreas; ++i) {
    const bool visible = i < areas;
    for (QWidget* label : blocks_[i].labels) label->setVisible(visible);
    for (QLineEdit* box : blocks_[i].Boxes()) box->setVisible(visible);
  }
}

void AreaPanel::Pull() const {
  if (!made_) return;
  for (int i = 0; i < MaxAreas; ++i)
    for (int k = 0; k < 4; ++k) shown_[i][k] = blocks_[i].Boxes()[k]->text();
}

void AreaPanel::Push() {
  if (!made_) return;
  for (int i = 0; i < MaxAreas; ++i)
    for (int k = 0; k < 4; ++k) blocks_[i].Boxes()[k]->setText(shown_[i][k]);
}

void AreaPanel::Read(ProjectData& p) const {
  Pull();
  p.AreasAmount = count_->currentIndex() + MinAreas;
  const UnitFactors unit = LengthFactors(IsFeet(p.Units));
  for (int i = 0; i < AreasInUse(p); ++i) {
    const auto fields = Fields(p, i);
    for (int k = 0; k < 4; ++k) *fields[k] = ReadNumber(shown_[i][k], *fields[k], unit);
  }
}

void AreaPanel::Write(const ProjectData& p) {
  // The caller has checked that the count has its list entry.
  count_->setCurrentIndex(p.AreasAmount - MinAreas);
  const UnitFactors unit = LengthFactors(IsFeet(p.Units));
  for (int i = 0; i < MaxAreas; ++i) {
    const auto fields = Fields(p, i);
    for (int k = 0; k < 4; ++k) shown_[i][k] = ShownText(*fields[k], unit);
  }
  Push();
}

void AreaPanel::ConvertLengths(const ProjectData& p, bool toFeet) {
  Pull();
  const UnitFactors from = LengthFactors(!toFeet), to = LengthFactors(toFeet);
  for (int i = 0; i < MaxAreas; ++i) {
    const auto fields = Fields(p, i);
    for (int k = 0; k < 4; ++k) shown_[i][k] = ConvertedText(shown_[i][k], *fields[k], from, to);
  }
  Push();
}

void AreaPanel::Watch(TypedNumbers& entry, TypedNumbers::UnitOf length) {
  entry_ = &entry;
  length_ = std::move(length);
  WatchBoxes();
}

void AreaPanel::WatchBoxes() {
  if (entry_ == nullptr || !made_) return;
  for (const Block& block : blocks_)
    for (QLineEdit* box : block.Boxes()) entry_->WatchNumber(box, length_);
}

void AreaPanel::SetExpanded(bool expanded) {
  if (expanded && !made_) {
    for (int i = 0; i < MaxAreas; ++i) MakeBlock(i);
    made_ = true;
    Push();
    // Made after the panel was shown, the blocks start hidden.
    for (QWidget* control : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
      control->show();
    ShowBlocksInUse();
    WatchBoxes();
    emit DetailsMade();
  }
  toggle_->setText(SetupCaption(expanded));
  SetHeightTwips(this, expanded ? ExpandedPanelHeight : CollapsedPanelHeight);
}

}  // namespace tarnwick
