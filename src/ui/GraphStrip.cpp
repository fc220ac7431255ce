#include "ui/GraphStrip.h"

#include <QComboBox>
#include <QLocale>

#include "ui/Controls.h"
#include "ui/Twips.h"
#include "ui/WrappingButton.h"
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

GraphStrip::GraphStrip(QWidget* parent, const ProjectData& project, const Graphics& graphics,
                       const Constants& constants, Calculations& calculations)
    : DrawingSurface(parent),
      project_(project),
      graphics_(graphics),
      constants_(constants),
      calculations_(calculations) {
  setObjectName(QStringLiteral("Graph_pbx"));
  hide();
}

void GraphStrip::showEvent(QShowEvent* event) {
  if (area_ == nullptr) BuildControls();
  DrawingSurface::showEvent(event);
}

void GraphStrip::BuildControls() {
  auto* calc = new WrappingButton(QStringLiteral("Calculate Response"), this);
  calc->setObjectName(QStringLiteral("Calc_cbt"));
  PlaceTwips(calc, 90, 90, 945, 525);
  area_ = MakeList(this, QStringLiteral("AreaSelect_cbx"),
                   QStringLiteral("Area along which the level is predicted"));
  PlaceTwips(area_, 90, 660, 975, 315);
  band_ = MakeList(this, QStringLiteral("FreqSelect_cbx"),
                   QStringLiteral("Third-octave band of the prediction"));
  PlaceTwips(band_, 90, 1020, 975, 315);
  for (const char* name : BandNames) band_->addItem(QString::fromLatin1(name));
  band_->setCurrentIndex(FirstBand);
  OfferAreas(areas_);
  for (QWidget* control : std::initializer_list<QWidget*>{calc, area_, band_}) control->show();
  connect(calc, &QPushButton::clicked, this, &GraphStrip::Calc_cbt_Click);
}

void GraphStrip::OfferAreas(int areas) {
  areas_ = areas;
  if (area_ == nullptr) return;
  const int chosen = area_->currentIndex();
  area_->clear();
  for (int i = 1; i <= areas; ++i) area_->addItem(QStringLiteral("Area %1").arg(i));
  area_->setCurrentIndex(chosen >= 0 && chosen < areas ? chosen : 0);
}

void GraphStrip::Calc_cbt_Click() {
  if (area_ == nullptr) return;
  const int area = area_->currentIndex() + 1;
  const int band = band_->currentIndex();
  if (!CalculateSPL(project_, graphics_, constants_, area, band, calculations_.SPLPoints)) {
    Cls();
    return;
  }
  DrawSPLGraph(*this, calculations_.SPLPoints, project_.AreaLength[area - 1],
               QLocale().decimalPoint().toStdString());
}

}  // namespace tarnwick
