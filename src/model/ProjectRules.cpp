#include "model/ProjectRules.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <vector>

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

bool HasListItems(const ProjectData& p) {
  if (p.AreasAmount < MinAreas || p.AreasAmount > MaxAreas) return false;
  if (p.BoxesAmount < MinBoxes || p.BoxesAmount > MaxBoxes) return false;
  for (int j = 0; j < JointsInUse(p); ++j)
    if (SplayIndex(p.BoxAngle[j]) < 0) return false;
  return p.FlybarPin >= 1 && p.FlybarPin <= FlybarPins &&
         (p.AutomaticInclCalc == 0 || p.AutomaticInclCalc == 1);
}

bool AtmosphereInRange(const PredictionOptions& o) {
  return TemperatureRange.Holds(o.Temperature) && HumidityRange.Holds(o.Humidity) &&
         PressureRange.Holds(o.Pressure);
}

std::string PredictionLabel(const PredictionOptions& o, const std::string& decimalMark) {
  const auto number = [&decimalMark](float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", double(value));
    std::string s = text;
    if (const auto dot = s.find('.'); dot != std::string::npos) s.replace(dot, 1, decimalMark);
    return s;
  };
  std::vector<std::string> parts;
  if (o.Average) parts.push_back("\u2153-oct average");
  if (o.Interpolate) parts.push_back("interpolated");
  if (o.Air) {
    std::string air = "air ";
    air += number(o.Temperature);
    air += " \u00b0C ";
    air += number(o.Humidity);
    air += " %";
    if (o.Pressure != PredictionOptions{}.Pressure) {
      air += ' ';
      air += number(o.Pressure);
      air += " kPa";
    }
    parts.push_back(air);
  }
  std::string label;
  for (const std::string& part : parts) {
    if (!label.empty()) label += " \u00b7 ";
    label += part;
  }
  return label;
}

bool DiffersByUser(const ProjectData& before, const ProjectData& after) {
  ProjectData typed = after;
  if (after.AutomaticInclCalc == 1) typed.InclinationAngle = before.InclinationAngle;
  return !(typed == before);
}

std::string DescribeChange(const ProjectData& before, const ProjectData& after) {
  std::vector<std::string> names;
  const auto differ = [&](bool changed, std::string name) {
    if (changed) names.push_back(std::move(name));
  };
  const auto counted = [](int count, const std::string& one, const std::string& many) {
    return count == 1 ? one : many;
  };
  differ(before.ProjectTitle != after.ProjectTitle, "Project Title");
  differ(before.Author != after.Author, "Author");
  differ(before.Units != after.Units, "Units");
  differ(before.AreasAmount != after.AreasAmount, "Number of Areas");
  differ(before.BoxesAmount != after.BoxesAmount, "Number of Boxes");
  differ(before.FloorDistance != after.FloorDistance, "Distance to Floor");
  differ(before.FlybarMounting != after.FlybarMounting, "Flybar Mounting");
  differ(before.FlybarPin != after.FlybarPin, "Flybar Pin");
  differ(before.AutomaticInclCalc != after.AutomaticInclCalc, "Automatic Inclination");
  // A typed inclination: one the program worked out before or after is no change of its own.
  differ(before.AutomaticInclCalc != 1 && after.AutomaticInclCalc != 1 &&
             before.InclinationAngle != after.InclinationAngle,
         "Inclination");
  int splays = 0, splay = 0, attenuations = 0, attenuated = 0;
  for (int j = 0; j < MaxJoints; ++j)
    if (before.BoxAngle[j] != after.BoxAngle[j]) ++splays, splay = j + 2;  // below box j + 1
  for (int b = 0; b < MaxBoxes; ++b)
    if (before.BoxAttenuation[b] != after.BoxAttenuation[b]) ++attenuations, attenuated = b + 1;
  differ(splays > 0, counted(splays, "Splay of Box " + std::to_string(splay), "Splay Angles"));
  differ(attenuations > 0,
         counted(attenuations, "Attenuation of Box " + std::to_string(attenuated), "Attenuations"));
  for (int i = 0; i < MaxAreas; ++i) {
    const std::string area = " of Area " + std::to_string(i + 1);
    const bool fields[] = {before.AreaDistance[i] != after.AreaDistance[i],
                           before.AreaLength[i] != after.AreaLength[i],
                           before.AreaHeight1[i] != after.AreaHeight1[i],
                           before.AreaHeight2[i] != after.AreaHeight2[i]};
    const char* const what[] = {"Distance", "Length", "Height 1", "Height 2"};
    const int count = int(std::count(std::begin(fields), std::end(fields), true));
    for (int f = 0; f < 4 && count == 1; ++f) differ(fields[f], what[f] + area);
    differ(count > 1, "Move" + area);
  }
  return names.size() == 1 ? names.front() : "Changes";
}

}  // namespace tarnwick
