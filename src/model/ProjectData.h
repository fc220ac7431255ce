#pragma once

#include <array>
#include <string>

namespace tarnwick {

inline constexpr int MaxAreas = 3;
inline constexpr int MaxBoxes = 12;
inline constexpr int MaxJoints = MaxBoxes - 1;
inline constexpr int MinAreas = 1;
inline constexpr int MinBoxes = 2;
inline constexpr int FlybarPins = 9;

// Attenuation that marks a box as switched off.
inline constexpr float BoxOffAttenuation = 99.0f;

// Length factors between the units shown in the text boxes and the metres
// kept in the model. They are a matched pair (their product is 1.0000008),
// so a length converted to feet and back stays put.
inline constexpr float FeetToMetres = 0.30479f;
inline constexpr float MetresToFeet = 3.28095f;

// How levels are predicted beyond the plain model, each option on its own (docs/model.md,
// "Prediction options"). All off, each band is the coherent sum at its centre frequency with
// the directivity in whole 5-degree entries and no air. The atmosphere counts only with Air.
struct PredictionOptions {
  bool Average = false;       // the band's power averaged over its third of an octave
  bool Interpolate = false;   // directivity between the two entries around the angle
  bool Air = false;           // absorption and speed of sound of the atmosphere below
  float Temperature = 20.0f;  // degrees Celsius, -20 to 50
  float Humidity = 50.0f;     // relative humidity, per cent, 10 to 100
  float Pressure = 101.325f;  // kPa, 80 to 110
  bool AnyOn() const { return Average || Interpolate || Air; }
  bool operator==(const PredictionOptions&) const = default;
};

// The one open project. Fixed arrays are sized at their maximum; the two
// counts say how many entries are in use and the rest keep stale values.
// Lengths are metres whatever unit the user sees, angles degrees,
// attenuations dB. Nothing here enforces the valid ranges: a project file
// may carry anything, and readers check before use.
struct ProjectData {
  std::string ProjectTitle;
  std::string Author;
  std::string Units;    // "Feet" or "Metres"; anything but "Feet" means metres
  int AreasAmount = 1;  // 1 to 3
  std::array<float, MaxAreas> AreaDistance{};
  std::array<float, MaxAreas> AreaLength{};
  std::array<float, MaxAreas> AreaHeight1{};
  std::array<float, MaxAreas> AreaHeight2{};
  int BoxesAmount = 2;                           // 2 to 12
  std::array<float, MaxBoxes> BoxAttenuation{};  // 0 to 12, or 99 = off
  std::array<float, MaxJoints> BoxAngle{};       // 0 or 5, between box i and i + 1
  float FloorDistance = 0.0f;
  float InclinationAngle = 0.0f;
  int FlybarMounting = 0;  // 1 = uptilt, 0 = downtilt
  int FlybarPin = 1;       // 1 to 9
  int AutomaticInclCalc = 0;
  PredictionOptions Prediction;  // kept in the file's extension block, off in a plain file

  bool operator==(const ProjectData&) const = default;
};

// The project every start and every File/New begins with.
ProjectData MakeDefaultProject();

// State of the data module: the open project and the defaults it is reset to.
struct Data {
  ProjectData Project;
  ProjectData DefaultProject;
};

// True when lengths are shown in feet. Only the exact text "Feet" counts.
bool IsFeet(const std::string& units);

// Texts of the selection lists, in list order. The index of an entry is the
// value the transfers derive from it (see the index helpers below).
inline constexpr std::array<const char*, 2> UnitItems = {"Feet", "Metres"};
inline constexpr std::array<const char*, 2> MountingItems = {"Downtilt", "Uptilt"};
inline constexpr int BoxesAmountItemCount = MaxBoxes - MinBoxes + 1;
inline constexpr int AreasAmountItemCount = MaxAreas - MinAreas + 1;
std::array<std::string, BoxesAmountItemCount> BoxesAmountItems();  // "2" ... "12"
std::array<std::string, AreasAmountItemCount> AreasAmountItems();  // "1" ... "3"
std::array<std::string, 2> AngleItems();                           // "0°", "5°"
std::array<std::string, 14> AttenuationItems();                    // "0dB" ... "12dB", "99dB"
std::array<std::string, FlybarPins> FlybarPinItems();              // "1" ... "9"

// Attenuation named by a list text: "0dB" ... "12dB" and "99dB" give their
// number, every other text 0.
float AttenuationFromText(const std::string& text);

// Attenuation of a list index: 0 ... 12 give 0 ... 12, 13 gives 99, any
// other index 0.
float AttenuationAt(int index);

// List index showing an attenuation: exactly 0 ... 12 give 0 ... 12, exactly
// 99 gives 13, anything else 0 (shown as "0dB").
int AttenuationIndex(float attenuation);

}  // namespace tarnwick
