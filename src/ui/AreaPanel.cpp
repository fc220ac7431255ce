// The area settings panel: the number of areas and one block of four
// lengths per area in use.

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "ui/Controls.h"
#include "ui/LineArrayForm.h"
#include "ui/PanelFrame.h"
#include "ui/Twips.h"
#include "views/DrawingSurface.h"

namespace tarnwick {

void LineArray_frm::BuildAreaFrame() {
  AreaFrame = new PanelFrame(QStringLiteral("Area Settings"), QColor(128, 0, 0), centralWidget());
  AreaFrame->setObjectName(QStringLiteral("AreaFrame"));
  AreaFrame->setToolTip(
      QStringLiteral("Set your area data here (shown as slopes in the side view)"));
  PlaceTwips(AreaFrame, 10080, 0, 1755, CollapsedPanelHeight);
  QWidget* f = AreaFrame;
  PlaceTwips(MakeLabel(f, QStringLiteral("Label4"), QStringLiteral("Number of Areas")), 210, 330,
             1335, 255);
  AreasAmount_cbx = MakeList(f, QStringLiteral("AreasAmount_cbx"),
                             QStringLiteral("How many listener areas do you intend to use?"));
  PlaceTwips(AreasAmount_cbx, 510, 630, 735, 315);
  ShowAreaSettings_cbt = new QPushButton(QStringLiteral("Show Setup"), f);
  ShowAreaSettings_cbt->setObjectName(QStringLiteral("ShowAreaSettings_cbt"));
  PlaceTwips(ShowAreaSettings_cbt, 150, 1020, 1455, 315);

  // Designed places of the three blocks (Left, Top, Width, Height in twips).
  struct Block {
    TwipsRect heading, distanceLabel, distance, lengthLabel, length, height1Label, height1,
        height2Label, height2;
  };
  static constexpr std::array<Block, MaxAreas> blocks = {{
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
  const QString heightTip = QStringLiteral(
      ", if you choose Height 1 different to Height 2, you'll create a slope in the side view");
  for (int i = 0; i < MaxAreas; ++i) {
    const Block& b = blocks[i];
    Area_lbl[i] = MakeLabel(f, Indexed("Area_lbl", i), QStringLiteral("Area%1:").arg(i + 1));
    Area_lbl[i]->setFont(HandFont(8.25, true));
    QPalette teal = Area_lbl[i]->palette();
    teal.setColor(QPalette::WindowText, QColor(0, 64, 64));
    Area_lbl[i]->setPalette(teal);
    PlaceTwips(Area_lbl[i], b.heading);
    AreaDistance_lbl[i] =
        MakeLabel(f, Indexed("AreaDistance_lbl", i), QStringLiteral("Distance to Array"));
    AreaDistance_lbl[i]->setWordWrap(true);
    PlaceTwips(AreaDistance_lbl[i], b.distanceLabel);
    AreaDistance_tbx[i] = MakeBox(
        f, Indexed("AreaDistance_tbx", i),
        QStringLiteral("Horizontal distance between the mounting point of the array and the area"));
    PlaceTwips(AreaDistance_tbx[i], b.distance);
    AreaLength_lbl[i] = MakeLabel(f, Indexed("AreaLength_lbl", i), QStringLiteral("Length"));
    PlaceTwips(AreaLength_lbl[i], b.lengthLabel);
    AreaLength_tbx[i] =
        MakeBox(f, Indexed("AreaLength_tbx", i),
                QStringLiteral("Overall length of the area, as seen in the side view"));
    PlaceTwips(AreaLength_tbx[i], b.length);
    AreaHeight1_lbl[i] = MakeLabel(f, Indexed("AreaHeight1_lbl", i), QStringLiteral("Height 1"));
    PlaceTwips(AreaHeight1_lbl[i], b.height1Label);
    AreaHeight1_tbx[i] =
        MakeBox(f, Indexed("AreaHeight1_tbx", i),
                QStringLiteral("Height of the starting point of the area") + heightTip);
    PlaceTwips(AreaHeight1_tbx[i], b.height1);
    AreaHeight2_lbl[i] = MakeLabel(f, Indexed("AreaHeight2_lbl", i), QStringLiteral("Height 2"));
    PlaceTwips(AreaHeight2_lbl[i], b.height2Label);
    AreaHeight2_tbx[i] = MakeBox(f, Indexed("AreaHeight2_tbx", i),
                                 QStringLiteral("Height of the end point of the area") + heightTip);
    PlaceTwips(AreaHeight2_tbx[i], b.height2);
  }
}

void LineArray_frm::AreasAmount_cbx_Click() {
  // Hidden blocks keep their values; raising the count brings them back.
  const int n = AreasAmount_cbx->currentIndex();
  for (int i = 1; i < MaxAreas; ++i) {
    const bool visible = n >= i && n <= 2;
    for (QWidget* control :
         std::initializer_list<QWidget*>{Area_lbl[i], AreaDistance_lbl[i], AreaDistance_tbx[i],
                                         AreaHeight1_lbl[i], AreaHeight1_tbx[i], AreaHeight2_lbl[i],
                                         AreaHeight2_tbx[i], AreaLength_lbl[i], AreaLength_tbx[i]})
      control->setVisible(visible);
  }
  OfferAreasInUse(n >= 0 && n <= 2 ? n + 1 : MaxAreas);
  RedrawIfAllowed();
}

void LineArray_frm::ShowAreaSettings_cbt_Click() {
  // The panel stays where it is; the side view narrows or widens by the
  // panel's width plus a gap until the next resize recomputes it.
  BAreaSettingsActive = !BAreaSettingsActive;
  ShowAreaSettings_cbt->setText(BAreaSettingsActive ? QStringLiteral("Hide Setup")
                                                    : QStringLiteral("Show Setup"));
  SetHeightTwips(AreaFrame, BAreaSettingsActive ? ExpandedPanelHeight : CollapsedPanelHeight);
  SetWidthTwips(MainView_pbx, WidthTwips(MainView_pbx) +
                                  (BAreaSettingsActive ? -AreaPanelShift : AreaPanelShift));
  SetWidthTwips(Graph_pbx, WidthTwips(MainView_pbx));
  RedrawAll();
}

}  // namespace tarnwick
