// The array settings panel: box count, automatic inclination, floor
// distance, flybar, and one row per box with its splay angle and attenuation.

#include <QCheckBox>
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

void LineArray_frm::BuildArrayFrame() {
  ArrayFrame =
      new PanelFrame(QStringLiteral("Line Array Settings"), QColor(128, 64, 0), centralWidget());
  ArrayFrame->setObjectName(QStringLiteral("ArrayFrame"));
  ArrayFrame->setToolTip(QStringLiteral("Configure your array settings here!"));
  PlaceTwips(ArrayFrame, 30, 0, 2565, CollapsedPanelHeight);
  QWidget* f = ArrayFrame;

  auto* boxesLabel = MakeLabel(f, QStringLiteral("Label3"), QStringLiteral("Number of Boxes"));
  boxesLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  PlaceTwips(boxesLabel, 540, 300, 1455, 255);
  BoxesAmount_cbx = MakeList(f, QStringLiteral("BoxesAmount_cbx"),
                             QStringLiteral("How many modules do you want to use?"));
  PlaceTwips(BoxesAmount_cbx, 900, 600, 735, 315);
  ShowArraySettings_cbt = new QPushButton(QStringLiteral("Show Setup"), f);
  ShowArraySettings_cbt->setObjectName(QStringLiteral("ShowArraySettings_cbt"));
  PlaceTwips(ShowArraySettings_cbt, 540, 990, 1455, 315);

  auto* automaticLabel = MakeLabel(f, QStringLiteral("AutomaticInclCalc_lbl"),
                                   QStringLiteral("Calculate inclination automatically"));
  automaticLabel->setWordWrap(true);
  PlaceTwips(automaticLabel, 180, 1650, 1665, 465);
  AutomaticInclCalc_chk = new QCheckBox(f);
  AutomaticInclCalc_chk->setObjectName(QStringLiteral("AutomaticInclCalc_chk"));
  PlaceTwips(AutomaticInclCalc_chk, 1920, 1710, 255, 225);
  PlaceTwips(MakeLabel(f, QStringLiteral("FloorDistance_lbl"), QStringLiteral("Distance to floor")),
             150, 2160, 1365, 255);
  FloorDistance_tbx = MakeBox(
      f, QStringLiteral("FloorDistance_tbx"),
      QStringLiteral("Distance between the mounting point of the array and the main floor"));
  PlaceTwips(FloorDistance_tbx, 1620, 2160, 735, 315);
  PlaceTwips(MakeLabel(f, QStringLiteral("Mounting_lbl"), QStringLiteral("Flybar mounting")), 150,
             2550, 1425, 285);
  FlybarMounting_cbx = MakeList(
      f, QStringLiteral("FlybarMounting_cbx"),
      QStringLiteral("Set here how the flybar is mounted. Uptilt (flybar facing towards the front "
                     "of the array) or downtilt (vice versa)."));
  // 60 twips wider than designed, so that "Downtilt" is not cut off.
  PlaceTwips(FlybarMounting_cbx, 1530, 2550, 1005, 315);
  PlaceTwips(MakeLabel(f, QStringLiteral("PinNo_lbl"), QStringLiteral("Flybar Pin No.")), 150, 2970,
             1215, 315);
  FlybarPin_cbx = MakeList(
      f, QStringLiteral("FlybarPin_cbx"),
      QStringLiteral("Enter the Pin used on the flybar. The first pin is the nearest to the pin "
                     "where the array is mounted at. The last pin is the one the furthest away "
                     "from the mounting pin of the array."));
  PlaceTwips(FlybarPin_cbx, 1650, 2940, 735, 315);
  PlaceTwips(MakeLabel(f, QStringLiteral("TiltAngle_lbl"), QStringLiteral("Tilt Angle")), 720, 3330,
             765, 255);
  auto* attenuationLabel =
      MakeLabel(f, QStringLiteral("Attenuation_lbl"), QStringLiteral("Attenuation Level"));
  attenuationLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  attenuationLabel->setWordWrap(true);
  PlaceTwips(attenuationLabel, 1560, 3330, 915, 405);
  InclinationAngle_tbx = MakeBox(
      f, QStringLiteral("InclinationAngle_tbx"),
      QStringLiteral("Inclination Angle of the first box/the array. You can enter a value here or "
                     "press the Calc button if the flybar is mounted floating."));
  PlaceTwips(InclinationAngle_tbx, 750, 3810, 735, 345);

  // Rows are 360 twips apart (the last one 330); the angle lists stand half
  // a row lower than the labels, between the two boxes they join.
  for (int k = 0; k < MaxBoxes; ++k) {
    const int rowTop = k < 11 ? 3810 + 360 * k : 7740;
    Angle_lbl[k] = MakeLabel(f, Indexed("Angle_lbl", k), QStringLiteral("Box %1").arg(k + 1));
    PlaceTwips(Angle_lbl[k], 180, rowTop + 30, 555, 255);
    Attenuation_cbx[k] = MakeList(
        f, Indexed("Attenuation_cbx", k),
        QStringLiteral(
            "Set the Attenuation Level in dB here (0 = no Attenuation, 99 = Box turned off)"));
    PlaceTwips(Attenuation_cbx[k], 1650, rowTop, 735, 315);
    if (k < MaxJoints) {
      Angle_cbx[k] = MakeList(f, Indexed("Angle_cbx", k),
                              QStringLiteral("Choose the angle between each module here"));
      PlaceTwips(Angle_cbx[k], 750, k < 10 ? rowTop + 360 : 7740, 735, 315);
    }
  }
}

void LineArray_frm::BoxesAmount_cbx_Click() {
  // Rows beyond the count are hidden, never cleared, so raising the count
  // brings their settings back.
  const int n = BoxesAmount_cbx->currentIndex();
  for (int j = 1; j <= 10; ++j) {
    const bool visible = n < 0 || n > 9 || j <= n;
    Angle_cbx[j]->setVisible(visible);
    Angle_lbl[j + 1]->setVisible(visible);
    Attenuation_cbx[j + 1]->setVisible(visible);
  }
  RedrawIfAllowed();
}

void LineArray_frm::AutomaticInclCalc_chk_Click() {
  if (RedrawAllowed()) {
    RedrawAll();
    InclinationAngle_tbx->setText(DecimalText(Data.Project.InclinationAngle));
  }
  // The computed value stays readable but cannot be edited.
  InclinationAngle_tbx->setReadOnly(AutomaticInclCalc_chk->isChecked());
}

void LineArray_frm::ShowArraySettings_cbt_Click() {
  // Expanded, the panel runs down the window's left edge and the side view
  // gives up the panel's width plus a gap on its left.
  BArraySettingsActive = !BArraySettingsActive;
  const int shift = BArraySettingsActive ? -ArrayPanelShift : ArrayPanelShift;
  ShowArraySettings_cbt->setText(BArraySettingsActive ? QStringLiteral("Hide Setup")
                                                      : QStringLiteral("Show Setup"));
  SetHeightTwips(ArrayFrame, BArraySettingsActive ? ExpandedPanelHeight : CollapsedPanelHeight);
  SetWidthTwips(MainView_pbx, WidthTwips(MainView_pbx) + shift);
  SetLeftTwips(MainView_pbx, LeftTwips(MainView_pbx) - shift);
  SetWidthTwips(Graph_pbx, WidthTwips(MainView_pbx));
  SetLeftTwips(Graph_pbx, LeftTwips(MainView_pbx));
  RedrawAll();
}

}  // namespace tarnwick
