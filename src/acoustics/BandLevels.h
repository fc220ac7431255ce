#pragma once

#include <string_view>
#include <vector>

#include "acoustics/SplPrediction.h"

namespace tarnwick {

// What a level curve shows: one of the 21 bands (entries 0 ... 20, as the band index), or
// the power sum over all of them, plain or A-weighted.
inline constexpr int BroadbandEntry = BandCount;
inline constexpr int BroadbandAEntry = BandCount + 1;
inline constexpr int LevelEntryCount = BandCount + 2;
inline constexpr int DefaultLevelEntry = 10;  // 1 kHz

// "100 Hz" ... "10 kHz", "Broadband", "Broadband (A)".
const char* LevelEntryName(int entry);

// The entry a name stands for, its blanks left out and in any case ("1.25kHz",
// "broadband(a)"); -1 for none.
int LevelEntryFromName(std::string_view name);

// A-weighting in dB at a frequency in Hz (IEC 61672-1), 0 dB at 1 kHz.
double AWeighting(double frequency);

// Levels along area `area` (1 ... 3) for a band or a broadband entry, with CalculateSPL's
// points and rules. Broadband adds each band's level as power (A-weighted first for the
// A entry); a point no band defines keeps SPLFloor. False, with no points, where
// CalculateSPL refuses or the entry is unknown.
bool PredictLevels(const ProjectData& project, const Graphics& graphics, const Constants& constants,
                   int area, int entry, std::vector<SPLPoint>& points);

}  // namespace tarnwick
