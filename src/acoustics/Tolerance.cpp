#include "acoustics/Tolerance.h"

#include <algorithm>

namespace tarnwick {

namespace {

constexpr float InclinationError = 0.5f;  // degrees
constexpr int FirstPin = 1, LastPin = 9;

}  // namespace

std::vector<ProjectData> RiggingVariations(const ProjectData& project) {
  std::vector<ProjectData> variations;
  if (project.AutomaticInclCalc == 1) {
    for (const int pin : {project.FlybarPin - 1, project.FlybarPin + 1})
      if (pin >= FirstPin && pin <= LastPin) {
        variations.push_back(project);
        variations.back().FlybarPin = pin;
      }
  } else {
    for (const float change : {InclinationError, -InclinationError}) {
      variations.push_back(project);
      variations.back().InclinationAngle += change;
    }
  }
  return variations;
}

LevelSpread PredictSpread(const ProjectData& project, const Graphics& graphics,
                          const Constants& constants, int area, int entry) {
  LevelSpread spread;
  std::vector<SPLPoint> points;
  if (!PredictLevels(project, graphics, constants, area, entry, points)) return spread;
  for (const SPLPoint& p : points) {
    spread.Low.push_back(p.SPL);
    spread.High.push_back(p.SPL);
  }
  for (ProjectData variation : RiggingVariations(project)) {
    // The same scene and areas; only the array hangs differently.
    Graphics moved = graphics;
    ComputeArrayGeometry(variation, moved);
    if (!PredictLevels(variation, moved, constants, area, entry, points) ||
        points.size() != spread.Low.size())
      continue;
    for (std::size_t i = 0; i < points.size(); ++i) {
      spread.Low[i] = std::min(spread.Low[i], points[i].SPL);
      spread.High[i] = std::max(spread.High[i], points[i].SPL);
    }
  }
  return spread;
}

}  // namespace tarnwick
