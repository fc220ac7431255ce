#pragma once

#include <vector>

#include "acoustics/LevelRules.h"
#include "acoustics/ModuleData.h"
#include "geometry/AreaPoints.h"
#include "geometry/ArrayGeometry.h"
#include "geometry/PlaneVector.h"
#include "model/ProjectData.h"

namespace tarnwick {

inline constexpr double SpeedOfSound = 340.0;  // m/s

// One listener point of a prediction.
struct SPLPoint {
  PlaneVector Position;  // scene coordinates, metres
  // From the source of the last box in use, metres, in single precision (0 with no box,
  // and where AreaLevels gives the point). Not the graph's distance, which is the distance
  // along the area (AreaPoint::Along).
  float DistanceFromLastBox = 0.0f;
  float SPL = 0.0f;  // predicted level, dB
};

// Angle of a vector from straight down, positive towards +X, in degrees within
// (-180, 180], held in single precision. A horizontal vector is +-90 degrees by the sign
// of X; the zero vector 0.
float AngleFromDown(PlaneVector v);

// Off-axis angle of a direction at angle `direction` from a box aimed at `aim` (both from
// AngleFromDown): their difference held in single precision, wrapped into (-180, 180].
float OffAxisAngle(float direction, float aim);

// Directivity index (0 ... 72, or -1 off the table) of direction d seen from a box aimed
// `aim` degrees from straight down.
int OffAxisIndex(PlaneVector d, float aim);

// Follows the directivity index of one box from listener point to listener point, with the
// same result as OffAxisIndex for every direction. Neighbouring points along an area mostly
// lie in the same entry or the next, so a direction is tried against the entry of the last
// one and then against the neighbour on its side: each try is two sign checks against the
// entry's edges, drawn in by a safety margin, with no arctangent. Any other direction is
// worked out anew.
class OffAxisTracker {
 public:
  OffAxisTracker() = default;
  // `entry` (0 ... 72) is where the first direction is tried; 0, the back, tries none.
  explicit OffAxisTracker(float aim, int entry = 0);
  // The same with the sine and cosine of AimRadians(aim) as the caller worked them out, each
  // within a few units in the last place (for several aims at a time).
  OffAxisTracker(float aim, int entry, double sine, double cosine);
  // The aim in radians as the tracker turns directions by it; NaN beyond +-180 degrees, where
  // OffAxisAngle's single wrap leaves some angles off the table, which the checks do not
  // know, so that every direction goes to OffAxisIndex (NaN fails every check).
  static double AimRadians(float aim);
  int Index(PlaneVector d);
  // How many of the directions so far took an arctangent (OffAxisIndex's).
  int Arctangents() const { return arctangents_; }

 private:
  friend struct OffAxisLanes;  // the same tries four directions at a time, simd/SplCollectAvx2.cpp

  float aim_ = 0.0f;
  double sine_ = 0.0;  // of the aim
  double cosine_ = 1.0;
  int k_ = 0;     // the entry last followed; 0 (the back) never holds a direction, so none yet
  int step_ = 1;  // +1 or -1: the way the entries last moved
  int arctangents_ = 0;
};

// What one prediction evaluated, counted where it evaluates it when asked (CalculateSPL's
// `work`), for the benchmark that holds it to the floor of that work: each function's
// evaluations, a vector call counting all four lanes, and the additions to the points'
// summed powers (docs/model.md, "The coherent sum").
struct SplWork {
  long long sines = 0, cosines = 0, logarithms = 0, exponentials = 0, arctangents = 0;
  long long squareRoots = 0, sumTerms = 0;
};

// Predicts the level along area `area` (1 ... 3) in band `band` (0 ... 20) from the project,
// the geometry of the last redraw and the module data: the points of AreaPoints, each the coherent
// sum of every box in use (boxes turned off at 99 dB included). Replaces SPLPoints.
//
// Returns false and leaves SPLPoints empty when area or band is out of range, or when the
// area's length gives no point count from 0 to MaxSPLPointIndex (negative, not a number or
// longer than 10 km). A box count beyond 12 counts as 12. Off-axis angles follow the true
// geometry, above and below each box alike; a point without a defined level gets SPLFloor.
// With `work`, adds what the prediction evaluated to it; without, counts nothing.
bool CalculateSPL(const ProjectData& project, const Graphics& graphics, const Constants& constants,
                  int area, int band, std::vector<SPLPoint>& SPLPoints, SplWork* work = nullptr);

}  // namespace tarnwick
