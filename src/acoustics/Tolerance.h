#pragma once

#include <vector>

#include "acoustics/BandLevels.h"

namespace tarnwick {

// The designs a rigging error in the field makes of a design, one change each: with the
// inclination typed, 0.5 degrees more and less; with it worked out from the pin, the pins
// on either side where the flybar has them.
std::vector<ProjectData> RiggingVariations(const ProjectData& project);

// The lowest and highest level at each point of an area over the design and each of its
// rigging variations, each predicted as the design itself is (PredictLevels), with the
// geometry laid out in the same scene. Empty where the design's own prediction is.
struct LevelSpread {
  std::vector<float> Low, High;
};
LevelSpread PredictSpread(const ProjectData& project, const Graphics& graphics,
                          const Constants& constants, int area, int entry);

}  // namespace tarnwick
