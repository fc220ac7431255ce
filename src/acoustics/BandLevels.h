#pragma once

#include <string_view>
#include <vector>

#include "acoustics/LevelRules.h"
#include "acoustics/SplPrediction.h"

namespace tarnwick {

// "100 Hz" ... "10 kHz", "Broadband", "Broadband (A)".
const char* BandChoiceName(int entry);

// The entry a name stands for, its blanks left out and in any case ("1.25kHz",
// "broadband(a)"); -1 for none.
int BandChoiceFromName(std::string_view name);

// Levels along area `area` (1 ... 3) for a band or a broadband entry, with CalculateSPL's
// points and rules. Broadband adds each band's level as power (LevelPower, A-weighted for
// the A entry); a point no band defines keeps SPLFloor. False, with no points, where
// CalculateSPL refuses or the entry is unknown. With any of the project's prediction options
// on, the level engine's levels at the same points instead.
bool PredictLevels(const ProjectData& project, const Graphics& graphics, const Constants& constants,
                   int area, int entry, std::vector<SPLPoint>& points);

}  // namespace tarnwick
