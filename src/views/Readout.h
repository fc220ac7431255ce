#pragma once

#include <QString>
#include <optional>

#include "geometry/SectionPoint.h"

namespace tarnwick {

// The side view's readout in words: positions with two decimals, distances, angles and
// levels with one, in feet or metres as the lengths are shown, with the user's decimal
// mark. "12.40 m, 1.20 m · 12.7 m at 6.3° down · 104.8 dB (1 kHz) · area 2, 3.4 m along".
struct ReadoutStyle {
  bool Feet = false;
  QString DecimalPoint = QStringLiteral(".");
};
struct ReadoutLevel {
  float Level = 0.0f;  // dB, SPLFloor where the point has none
  int Entry = 0;       // the band or broadband sum it is in
};
QString ReadoutText(const SectionPoint& point, const std::optional<ReadoutLevel>& level,
                    const ReadoutStyle& style);
// While an area is dragged: where it will be dropped.
// "Area 2 to 12.40 m from the array, 1.20 m to 3.40 m high".
QString DropText(const AreaPlace& place, const ReadoutStyle& style);

}  // namespace tarnwick
