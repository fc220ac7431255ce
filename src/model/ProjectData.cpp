#include "model/ProjectData.h"

#include <string>

namespace tarnwick {

ProjectData MakeDefaultProject() {
  ProjectData p;
  p.ProjectTitle = "Your Project";
  p.Author = "Your Name";
  p.Units = "Metres";
  p.AreasAmount = 3;
  p.AreaDistance = {1.0f, 12.0f, 23.0f};
  p.AreaLength = {10.0f, 10.0f, 4.0f};
  p.AreaHeight1 = {0.0f, 0.8f, 1.9f};
  p.AreaHeight2 = {1.0f, 2.0f, 3.5f};
  p.BoxesAmount = 12;
  p.BoxAttenuation.fill(0.0f);
  p.BoxAngle = {0, 5, 0, 0, 0, 0, 5, 5, 5, 5, 5};
  p.FloorDistance = 5.0f;
  p.InclinationAngle = 5.29f;
  p.FlybarMounting = 0;
  p.FlybarPin = 2;
  p.AutomaticInclCalc = 1;
  return p;
}

bool IsFeet(const std::string& units) { return units == "Feet"; }

namespace {

// "from", "from + 1", ... as list texts.
template <std::size_t N>
std::array<std::string, N> CountItems(int from) {
  std::array<std::string, N> entries;
  for (std::size_t i = 0; i < N; ++i) entries[i] = std::to_string(from + int(i));
  return entries;
}

}  // namespace

std::array<std::string, BoxesAmountItemCount> BoxesAmountItems() {
  return CountItems<BoxesAmountItemCount>(MinBoxes);
}

std::array<std::string, AreasAmountItemCount> AreasAmountItems() {
  return CountItems<AreasAmountItemCount>(MinAreas);
}

std::array<std::string, 2> AngleItems() { return {"0\u00B0", "5\u00B0"}; }

std::array<std::string, 14> AttenuationItems() {
  std::array<std::string, 14> entries;
  for (int i = 0; i <= 12; ++i) entries[i] = std::to_string(i) + "dB";
  entries[13] = "99dB";
  return entries;
}

std::array<std::string, FlybarPins> FlybarPinItems() { return CountItems<FlybarPins>(1); }

float AttenuationFromText(const std::string& text) {
  const auto entries = AttenuationItems();
  for (int i = 0; i < int(entries.size()); ++i)
    if (text == entries[i]) return AttenuationAt(i);
  return 0.0f;
}

float AttenuationAt(int index) {
  if (index == 13) return BoxOffAttenuation;
  return index >= 0 && index <= 12 ? static_cast<float>(index) : 0.0f;
}

int AttenuationIndex(float attenuation) {
  for (int i = 0; i <= 12; ++i)
    if (attenuation == static_cast<float>(i)) return i;
  if (attenuation == BoxOffAttenuation) return 13;
  return 0;
}

}  // namespace tarnwick
