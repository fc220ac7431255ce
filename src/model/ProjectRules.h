#pragma once

#include <string>

#include "model/ProjectData.h"

namespace tarnwick {

// The one place that says which rows of a project are in use and which
// values its lists can show. A record may come from a damaged file, so the
// row counts are clamped to the arrays before anyone indexes with them.

inline constexpr float SplayStep = 5.0f;  // degrees per splay list entry

// Rows in use, each within its array: areas, boxes, and joints between boxes.
int AreasInUse(const ProjectData& project);
int BoxesInUse(const ProjectData& project);
int JointsInUse(const ProjectData& project);

// List index that shows a splay angle: the nearest multiple of 5 degrees
// (ties to even), 0 for "0°" and 1 for "5°"; -1 when no entry shows it.
int SplayIndex(float angle);

// What the atmosphere of the prediction options may hold, ends included (docs/model.md,
// "Prediction options"). A project file whose options leave it loses them; the command
// line refuses it. NaN lies in no range.
struct OptionRange {
  float Low, High;
  constexpr bool Holds(double value) const { return value >= Low && value <= High; }
};
inline constexpr OptionRange TemperatureRange{-20.0f, 50.0f};  // degrees Celsius
inline constexpr OptionRange HumidityRange{10.0f, 100.0f};     // per cent
inline constexpr OptionRange PressureRange{80.0f, 110.0f};     // kPa

// True when temperature, humidity and pressure each lie in their range.
bool AtmosphereInRange(const PredictionOptions& options);

// What a prediction says of its model beside its levels, each option's part where it is on:
// "⅓-oct average · interpolated · air 20 °C 50 %", the pressure only where it is not the
// standard 101.325 kPa; empty for the plain model. Numbers with `decimalMark`.
std::string PredictionLabel(const PredictionOptions& options, const std::string& decimalMark = ".");

// True when every value in use has an entry in its list, so the window can
// show the whole project: the two counts, each splay angle in use, the pin
// and the automatic-inclination flag. Lengths, attenuations and the mounting
// always show (as a number, "0dB" or "Downtilt" at worst).
bool HasListItems(const ProjectData& project);

// Whether two projects differ in anything the user set: the inclination counts only
// while it is typed, not while the program works it out.
bool DiffersByUser(const ProjectData& before, const ProjectData& after);

// What the user changed from one project to the next, named as the window names it:
// "Splay of Box 5", "Attenuation of Box 2", "Move of Area 1", "Number of Boxes"; several
// kinds of change at once are "Changes".
std::string DescribeChange(const ProjectData& before, const ProjectData& after);

}  // namespace tarnwick
