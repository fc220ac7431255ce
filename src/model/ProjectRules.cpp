#include "model/ProjectRules.h"

#include <algorithm>
#include <cmath>

#include "model/NumberText.h"

namespace tarnwick {

int AreasInUse(const ProjectData& p) { return std::clamp(p.AreasAmount, 0, MaxAreas); }

int BoxesInUse(const ProjectData& p) { return std::clamp(p.BoxesAmount, 0, MaxBoxes); }

int JointsInUse(const ProjectData& p) { return std::clamp(p.BoxesAmount, 1, MaxBoxes) - 1; }

int SplayIndex(float angle) {
  if (!std::isfinite(angle)) return -1;
  const long long index = RoundHalfEven(double(angle) / SplayStep);
  return index == 0 || index == 1 ? static_cast<int>(index) : -1;
}

bool HasListEntries(const ProjectData& p) {
  if (p.AreasAmount < MinAreas || p.AreasAmount > MaxAreas) return false;
  if (p.BoxesAmount < MinBoxes || p.BoxesAmount > MaxBoxes) return false;
  for (int j = 0; j < JointsInUse(p); ++j)
    if (SplayIndex(p.BoxAngle[j]) < 0) return false;
  return p.FlybarPin >= 1 && p.FlybarPin <= FlybarPins &&
         (p.AutomaticInclCalc == 0 || p.AutomaticInclCalc == 1);
}

void RoundToShownDecimals(ProjectData& project) {
  const bool feet = IsFeet(project.Units);
  const double fromModel = feet ? MetresToFeet : 1.0;
  const double toModel = feet ? FeetToMetres : 1.0;
  const auto asShown = [](float& value, double from, double to) {
    const auto shown = static_cast<float>(double(value) * from);
    value = ToStoredSingle(TextToNumber(TwoDecimalText(shown, ".")) * to);
  };
  asShown(project.FloorDistance, fromModel, toModel);
  for (int i = 0; i < MaxAreas; ++i)
    for (float* length : {&project.AreaDistance[i], &project.AreaLength[i], &project.AreaHeight1[i],
                          &project.AreaHeight2[i]})
      asShown(*length, fromModel, toModel);
  asShown(project.InclinationAngle, 1.0, 1.0);
}

}  // namespace tarnwick
