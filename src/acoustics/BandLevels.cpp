#include "acoustics/BandLevels.h"

#include <cctype>
#include <cmath>
#include <string>

#include "acoustics/LevelEngine.h"
#include "acoustics/LevelGrid.h"
#include "model/ProjectRules.h"

namespace tarnwick {

namespace {

// Bands by the names sound engineers give their centre frequencies.
const char* const ChoiceNames[BandChoiceCount] = {
    "100 Hz", "125 Hz", "160 Hz",  "200 Hz",   "250 Hz",  "315 Hz",    "400 Hz",       "500 Hz",
    "630 Hz", "800 Hz", "1 kHz",   "1.25 kHz", "1.6 kHz", "2 kHz",     "2.5 kHz",      "3.15 kHz",
    "4 kHz",  "5 kHz",  "6.3 kHz", "8 kHz",    "10 kHz",  "Broadband", "Broadband (A)"};

std::string Squeezed(std::string_view text) {
  std::string out;
  for (const char c : text)
    if (c != ' ') out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace

const char* BandChoiceName(int entry) {
  return entry >= 0 && entry < BandChoiceCount ? ChoiceNames[entry] : "";
}

int BandChoiceFromName(std::string_view name) {
  const std::string wanted = Squeezed(name);
  for (int entry = 0; entry < BandChoiceCount; ++entry)
    if (Squeezed(ChoiceNames[entry]) == wanted) return entry;
  return -1;
}

namespace {

// With a prediction option on, the level engine's levels at the same points: the options
// live there alone (docs/model.md, "Prediction options").
bool OptionLevels(const ProjectData& project, const Graphics& graphics, const Constants& constants,
                  int area, int entry, std::vector<SPLPoint>& points) {
  points.clear();
  if (entry < 0 || entry >= BandChoiceCount) return false;
  points = AreaLevels(LevelEngine(project, graphics, constants), entry, project, graphics, area);
  // The graph's points keep their distance from the last box, as CalculateSPL gives it.
  const int boxes = BoxesInUse(project);
  for (SPLPoint& p : points) {
    const PlaneVector from = boxes > 0 ? graphics.BoxGeom[boxes - 1].Source : p.Position;
    p.DistanceFromLastBox = static_cast<float>(
        std::hypot(double(p.Position.X) - from.X, double(p.Position.Y) - double(from.Y)));
  }
  return !points.empty();
}

}  // namespace

bool PredictLevels(const ProjectData& project, const Graphics& graphics, const Constants& constants,
                   int area, int entry, std::vector<SPLPoint>& points) {
  if (project.Prediction.AnyOn())
    return OptionLevels(project, graphics, constants, area, entry, points);
  if (entry >= 0 && entry < BandCount)
    return CalculateSPL(project, graphics, constants, area, entry, points);
  points.clear();
  if (entry != BroadbandChoice && entry != BroadbandAChoice) return false;
  std::vector<double> power;
  std::vector<SPLPoint> band;
  for (int b = 0; b < BandCount; ++b) {
    if (!CalculateSPL(project, graphics, constants, area, b, band)) return false;
    power.resize(band.size(), 0.0);
    for (std::size_t i = 0; i < band.size(); ++i)
      if (band[i].SPL != SPLFloor) power[i] += LevelPower(entry, b, band[i].SPL);
  }
  points = std::move(band);  // positions and distances are the same in every band
  for (std::size_t i = 0; i < points.size(); ++i) points[i].SPL = PowerLevel(power[i]);
  return true;
}

}  // namespace tarnwick
