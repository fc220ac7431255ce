#pragma once

#include <array>
#include <cstdint>

#include "geometry/PlaneVector.h"
#include "model/ModuleShape.h"
#include "model/ProjectData.h"

namespace tarnwick {

// Slope of one listener area in scene coordinates.
struct AreaGeometry {
  PlaneVector Start;        // (AreaDistance + 1, AreaHeight1)
  PlaneVector End;          // height AreaHeight2, along the slope AreaLength away
  PlaneVector Direction;    // End - Start
  std::int16_t Picked = 0;  // area drag: -1 while this area is held
  PlaneVector GrabOffset;   // area drag: mouse point at the press minus Start
};

// Outline, source and aim of one box in scene coordinates.
struct BoxGeometry {
  PlaneVector TopFront;
  PlaneVector BottomFront;
  PlaneVector BottomBack;
  PlaneVector TopBack;
  PlaneVector Source;  // centre of the front face
  PlaneVector Ray;     // from Source to the aim point
  int AimedArea = 0;   // the area (1 ... 3) the ray ends on, 0 for none
};

// Geometry results of the last redraw, owned by one window. Records beyond
// the counts in use keep whatever they held; readers stay below the counts.
struct Graphics {
  float SceneWidth = 0.0f;
  float SceneHeight = 0.0f;
  std::array<AreaGeometry, MaxAreas> AreaGeom{};
  std::array<BoxGeometry, MaxBoxes> BoxGeom{};
  std::array<PlaneVector, 6> Flybar{};  // F0 ... F5, already inclined
  PlaneVector MountingPoint;            // (1, FloorDistance)

  // Area drag state.
  std::int16_t DragActive = 0;
  PlaneVector DragAnchor;
  float DragBoxHeight = 0.0f;
  float DragBoxWidth = 0.0f;
};

// What the scene extents need from the window.
struct SceneFrame {
  bool FixedHeight = false;  // "Set fixed picture height" is checked
  double WindowWidth = 1.0;  // outer size of the main window, any one unit
  double WindowHeight = 1.0;
};

// The outer size in twips of the window as first laid out: the scene of a project
// evaluated without a window.
inline constexpr SceneFrame FirstWindowFrame{false, 12000.0, 9000.0};

// Rotates the six flybar points about the pivot by an angle in degrees. A
// point whose rotation would not be finite stays where it is.
void RotateFlybar(std::array<PlaneVector, 6>& flybar, PlaneVector pivot, float angleDegrees);

// Sets SceneWidth and SceneHeight from the areas in use and the floor distance.
void ComputeSceneExtents(const ProjectData& project, const SceneFrame& frame, Graphics& g);

// Sets Start, End and Direction of area i (in use). An area shorter than the
// difference of its heights gets no horizontal extent.
void ComputeAreaSlope(const ProjectData& project, int i, Graphics& g);

// Horizontal offset of the chosen flybar pin behind the first box's front face.
float PinOffset(const ProjectData& project);

// Inclination (degrees, front up positive) at which the array hangs freely on
// its pin. Returns false, leaving `angle` alone, when the arithmetic fails.
bool AutomaticInclination(const ProjectData& project, float& angle);

// The array step: with AutomaticInclCalc = 1 the automatic inclination first
// replaces project.InclinationAngle (returns true then); then the flybar, and
// every box in use with its outline, source and aim point. Reads the scene
// extents and the area slopes of the same redraw. A failing assignment is
// skipped and its target keeps its previous value.
bool ComputeArrayGeometry(ProjectData& project, Graphics& g);

// The array step box by box, for searches that try both splays at each joint. A box's
// outline turns with the inclination and every splay above it: its front, bottom and
// back edges as it hangs. The source and axis of the box last hung stay where the next
// one's cannot be computed.
struct BoxShape {
  PlaneVector Front, Bottom, Back;
  PlaneVector Source, Axis;
};
// The automatic inclination (with AutomaticInclCalc = 1), the first box's outline and the
// flybar; gives the shape the first box hangs with.
BoxShape HangFlybar(ProjectData& project, Graphics& g);
// Box i (i > 0) below box i - 1, turned 5 degrees further when `splayAbove` is 5, its
// shape turned with it; then box i's source and aim. Box 0 is only aimed.
void HangBox(const ProjectData& project, Graphics& g, int i, float splayAbove, BoxShape& shape);

// All the geometry of one redraw in its order: the scene extents, the slopes of the areas
// in use, then the array. Returns ComputeArrayGeometry's result.
bool ComputeScene(ProjectData& project, const SceneFrame& frame, Graphics& g);

// Whether the top box's aiming line keeps the sound on the audience: extended to the
// horizontal distance of the farthest end of any area in use, it passes no higher than the
// area's surface there (its back row; of areas ending there, the highest). A line that reaches no
// such distance (aimed straight down or backwards) keeps it unless it rises.
bool AimsAtAudience(const ProjectData& project, const Graphics& g);

}  // namespace tarnwick
