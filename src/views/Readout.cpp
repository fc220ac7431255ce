#include "views/Readout.h"

#include <cmath>

#include "acoustics/BandLevels.h"
#include "acoustics/LevelRules.h"
#include "model/ProjectData.h"

namespace tarnwick {

namespace {

QString Number(double value, int decimals, const ReadoutStyle& style) {
  QString text = QString::number(value, 'f', decimals);
  if (text.startsWith(QLatin1Char('-')) && text.count(QLatin1Char('0')) == text.size() - 2)
    text.remove(0, 1);  // no "-0.00"
  return text.replace(QLatin1Char('.'), style.DecimalPoint);
}

// A length in metres as shown: in the unit, with its symbol.
QString Length(double metres, int decimals, const ReadoutStyle& style) {
  const double shown = style.Feet ? metres * double(MetresToFeet) : metres;
  return Number(shown, decimals, style) +
         (style.Feet ? QStringLiteral(" ft") : QStringLiteral(" m"));
}

}  // namespace

QString ReadoutText(const SectionPoint& point, const std::optional<ReadoutLevel>& level,
                    const ReadoutStyle& style) {
  const QString dot = QStringLiteral(" · ");
  QString text = Length(point.Across, 2, style) + QStringLiteral(", ") + Length(point.Up, 2, style);
  text += dot + Length(point.Straight, 1, style) + QStringLiteral(" at ") +
          Number(std::fabs(point.Down), 1, style) +
          (point.Down < 0.0 ? QStringLiteral("° up") : QStringLiteral("° down"));
  if (level) {
    const QString band = QString::fromLatin1(BandChoiceName(level->Entry));
    text += dot +
            (level->Level > SPLFloor ? Number(level->Level, 1, style) + QStringLiteral(" dB")
                                     : QStringLiteral("no level")) +
            QStringLiteral(" (") + band + QStringLiteral(")");
  }
  if (point.Area > 0)
    text += dot + QStringLiteral("area %1, ").arg(point.Area) + Length(point.Along, 1, style) +
            QStringLiteral(" along");
  return text;
}

QString DropText(const AreaPlace& place, const ReadoutStyle& style) {
  return QStringLiteral("Area %1 to ").arg(place.Area) + Length(place.Distance, 2, style) +
         QStringLiteral(" from the array, ") + Length(place.Height1, 2, style) +
         QStringLiteral(" to ") + Length(place.Height2, 2, style) + QStringLiteral(" high");
}

}  // namespace tarnwick
