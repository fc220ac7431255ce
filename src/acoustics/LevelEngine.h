#pragma once

#include <array>
#include <span>
#include <vector>

#include "acoustics/BandLevels.h"
#include "acoustics/ModuleData.h"
#include "geometry/ArrayGeometry.h"
#include "model/ProjectData.h"

namespace tarnwick {

// Levels of one design at any points of the section: a coverage map's grid, the colours
// along the areas, a single listener point. Each point is the coherent sum of every box in
// use, in double precision, with the directivity entries CalculateSPL picks; the sound
// power of the bands adds up for the broadband entries.
//
// Everything that does not depend on the point (each box's linear amplitude for every
// directivity entry and band, the entries' phases, the wave numbers) is worked out once,
// here. The engine holds no reference to the design, and its queries change nothing, so
// several threads may query one engine at once.
class LevelEngine {
 public:
  LevelEngine(const ProjectData& project, const Graphics& graphics, const Constants& constants);

  // The level in dB of `entry` (a band, BroadbandEntry or BroadbandAEntry) at each point,
  // SPLFloor where it is not defined (a point on a box's source, or no sound at all).
  void Levels(int entry, std::span<const PlaneVector> points, std::span<float> levels) const;
  float Level(int entry, PlaneVector point) const;

  // Every entry's level at one point, bands first, then the two broadband sums.
  std::array<float, LevelEntryCount> Spectrum(PlaneVector point) const;

 private:
  struct Box {
    PlaneVector Source;
    float Aim = 0.0f;  // degrees from straight down
  };
  // Sound power |p|^2 of each band in [first, last] at the point, into power[band];
  // false where the point has no defined level.
  bool BandPowers(PlaneVector point, int first, int last, double* power) const;

  std::vector<Box> boxes_;
  // amplitude_[(band * boxes + box) * 73 + k]: pressure amplitude at 1 m.
  std::vector<double> amplitude_;
  std::array<std::array<double, DirectivityAngleCount>, BandCount> phase_{};  // radians
  std::array<double, BandCount> waveNumber_{};                                // radians per metre
  std::array<double, BandCount> aWeight_{};                                   // power factors
};

}  // namespace tarnwick
