// The SPL graph strip below the side view: shown and hidden from the
// Preferences menu; "Calculate Response" predicts along the chosen area in
// the chosen band and draws the curve.

#include <QAction>
#include <QComboBox>
#include <QLocale>
#include <QPushButton>

#include "ui/Controls.h"
#include "ui/LineArrayForm.h"
#include "ui/Twips.h"
#include "ui/WrappingButton.h"
#include "views/DrawingSurface.h"
#include "views/SplGraph.h"

namespace tarnwick {

namespace {

// Bands by the names sound engineers give their centre frequencies.
const char* const BandNames[BandCount] = {
    "100 Hz",  "125 Hz",   "160 Hz", "200 Hz", "250 Hz",   "315 Hz",  "400 Hz",
    "500 Hz",  "630 Hz",   "800 Hz", "1 kHz",  "1.25 kHz", "1.6 kHz", "2 kHz",
    "2.5 kHz", "3.15 kHz", "4 kHz",  "5 kHz",  "6.3 kHz",  "8 kHz",   "10 kHz"};
constexpr int FirstBand = 10;  // 1 kHz

}  // namespace

void LineArray_frm::BuildGraphStrip() {
  Calc_cbt = new WrappingButton(QStringLiteral("Calculate Response"), Graph_pbx);
  Calc_cbt->setObjectName(QStringLiteral("Calc_cbt"));
  PlaceTwips(Calc_cbt, 90, 90, 945, 525);
  AreaSelect_cbx = MakeList(Graph_pbx, QStringLiteral("AreaSelect_cbx"),
                            QStringLiteral("Area along which the level is predicted"));
  PlaceTwips(AreaSelect_cbx, 90, 660, 975, 315);
  FreqSelect_cbx = MakeList(Graph_pbx, QStringLiteral("FreqSelect_cbx"),
                            QStringLiteral("Third-octave band of the prediction"));
  PlaceTwips(FreqSelect_cbx, 90, 1020, 975, 315);
  for (const char* name : BandNames) FreqSelect_cbx->addItem(QString::fromLatin1(name));
  FreqSelect_cbx->setCurrentIndex(FirstBand);
  connect(Calc_cbt, &QPushButton::clicked, this, &LineArray_frm::Calc_cbt_Click);
  connect(ShowGraph_men, &QAction::triggered, this, &LineArray_frm::ShowGraph_men_Click);
}

void LineArray_frm::OfferAreasInUse(int areas) {
  // One entry per area in use; the choice stays where it can.
  const int chosen = AreaSelect_cbx->currentIndex();
  AreaSelect_cbx->clear();
  for (int i = 1; i <= areas; ++i) AreaSelect_cbx->addItem(QStringLiteral("Area %1").arg(i));
  AreaSelect_cbx->setCurrentIndex(chosen >= 0 && chosen < areas ? chosen : 0);
}

void LineArray_frm::ShowGraph_men_Click() {
  // The entry's check mark has already changed with the click.
  BGraphActive = ShowGraph_men->isChecked();
  for (QWidget* control :
       std::initializer_list<QWidget*>{Graph_pbx, Calc_cbt, AreaSelect_cbx, FreqSelect_cbx})
    control->setVisible(BGraphActive);
  SetHeightTwips(MainView_pbx,
                 HeightTwips(MainView_pbx) + (BGraphActive ? -GraphHeight : GraphHeight));
  // The strip goes just below the shortened side view at once: left at its
  // designed place it would cover the side view of any taller window until
  // the next resize.
  SetTopTwips(Graph_pbx, TopTwips(MainView_pbx) + HeightTwips(MainView_pbx) + GraphGap);
  RedrawAll();
}

void LineArray_frm::Calc_cbt_Click() {
  // The geometry and the project are those of the last redraw.
  const int area = AreaSelect_cbx->currentIndex() + 1;
  const int band = FreqSelect_cbx->currentIndex();
  if (!CalculateSPL(Data.Project, Graphics, Constants, area, band, Calculations.SPLPoints)) {
    Graph_pbx->Cls();
    return;
  }
  DrawSPLGraph(*Graph_pbx, Calculations.SPLPoints, Data.Project.AreaLength[area - 1],
               QLocale().decimalPoint().toStdString());
}

}  // namespace tarnwick
