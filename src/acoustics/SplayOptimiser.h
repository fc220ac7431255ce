#pragma once

#include <atomic>
#include <stop_token>

#include "acoustics/BandLevels.h"

namespace tarnwick {

// What makes one design better than another.
enum class SplayGoal {
  // The smallest spread (loudest minus quietest) of the level over every point of the
  // areas in use, to 0.01 dB; of two equal spreads, the louder (the higher mean of the
  // points' levels), then the smaller standard deviation.
  EvenLevel,
  // The closest least-squares fit to a level falling by FallPerDoubling dB each time the
  // distance from the mounting point doubles, to 0.01 dB; of two equal fits, the louder,
  // then the smaller spread around the fall.
  Fall,
};

struct SplaySearch {
  int Band = DefaultBandChoice;  // a band, BroadbandChoice or BroadbandAChoice
  SplayGoal Goal = SplayGoal::EvenLevel;
  double FallPerDoubling = 3.0;  // dB
  // How far the typed inclination may move each way, in steps of 0.5 degrees.
  float InclinationReach = 15.0f;
  int Threads = 0;  // 0: one per core
  // Only designs whose top box aims no higher than the back row (AimsAtAudience) qualify.
  bool KeepOnAudience = true;
};

// How even one design's levels are along the areas, in dB.
struct Evenness {
  int Points = 0;           // area points with a level above SPLFloor
  double Spread = 0.0;      // loudest minus quietest
  double Deviation = 0.0;   // standard deviation
  double FallSpread = 0.0;  // loudest minus quietest around the wanted fall
  double FallError = 0.0;   // root mean square distance from the best-placed wanted fall
  double Mean = 0.0;        // mean of the points' levels
  int RaysOnAreas = 0;      // boxes whose ray ends on an area
};

struct SplayResult {
  ProjectData Current;  // the project as it hangs, its automatic inclination worked out
  ProjectData Best;     // the project with the best splays and inclination, or pin and mounting
  Evenness BestScore;
  Evenness CurrentScore;
  // Whether Best keeps the sound on the audience. False when the search asked for that and
  // no design does: Best is then the best of all designs, shown as such.
  bool BestOnAudience = true;
  // The best of all designs, the audience rule aside, to show what the rule costs.
  ProjectData Unconstrained;
  Evenness UnconstrainedScore;
  long long Designs = 0;  // designs decided: tried, or tied with one tried (OptimiseSplay)
  // Of those tried, the designs summed at every area point, and those ruled out at a few.
  long long Summed = 0, RuledOut = 0;
  // False when the search was stopped, or refused: no area point of the design as it hangs
  // has a level (CurrentScore.Points is 0), so no design is tried.
  bool Found = false;
  bool Cancelled = false;
};

// The designs a search of this project tries: every splay set (0 or 5 degrees at each
// joint in use) at each inclination 0.5 degrees apart within the reach of the current one,
// or, with the inclination worked out from the pin, at every pin and mounting.
long long SplayDesignCount(const ProjectData& project, const SplaySearch& search);

// Tries every one of those designs with the level engine and gives the best. `scene` holds
// the scene extents and the area slopes (the array is hung anew for every design). Designs
// share what they can: the area points and the engine's amplitude tables always; with a
// typed inclination the sums of the boxes above each joint; a hanging that places every
// box as one before it (pin 1 in either mounting) is decided by that one's designs. With
// the inclination worked out from the pin, a design is summed first at a few points that
// decided earlier designs, and for an even level most lose there. Runs on search.Threads
// threads; counts decided designs into *done as it goes and stops soon after `stop` is
// requested.
SplayResult OptimiseSplay(const ProjectData& project, const Graphics& scene,
                          const Constants& constants, const SplaySearch& search,
                          std::stop_token stop = {}, std::atomic<long long>* done = nullptr);

// How even the design itself is, measured as the search measures. With no area point that
// has a level, Points is 0 and a search of the design is refused.
Evenness MeasureDesign(const ProjectData& project, const Graphics& scene,
                       const Constants& constants, const SplaySearch& search);

}  // namespace tarnwick
