#pragma once

namespace tarnwick {

// A point or a direction in the side section, metres. X grows toward the
// listener areas, Y upward. Copied by value; every component is stored in
// single precision, while the arithmetic behind it runs in double.
struct PlaneVector {
  float X = 0.0f;
  float Y = 0.0f;

  bool operator==(const PlaneVector&) const = default;
};

inline constexpr double Pi = 3.14159265358979;

PlaneVector AddVectors(PlaneVector a, PlaneVector b);
PlaneVector NegateVector(PlaneVector a);
PlaneVector SubtractVectors(PlaneVector a, PlaneVector b);  // a - b
PlaneVector ScaleVector(PlaneVector a, float s);

// True when both components are finite. A non-finite result counts as an
// arithmetic failure: callers do not use it.
bool IsFinite(PlaneVector a);

// Sine and cosine of an angle in degrees, each rounded to single precision,
// exactly as every rotation uses them.
struct Turn {
  float s = 0.0f;
  float c = 1.0f;
};
Turn TurnFor(float angleDegrees);

// Rotates v by the turn. A positive angle turns clockwise with Y up:
// (1, 0) turned by +5 degrees points slightly downward.
PlaneVector Rotated(PlaneVector v, Turn turn);

// In-place rotations by an angle in degrees. All or nothing: when any result
// would not be finite, no argument changes and the call returns false.
bool RotateThree(PlaneVector& a, PlaneVector& b, PlaneVector& c, float angleDegrees);
bool RotateFour(PlaneVector& a, PlaneVector& b, PlaneVector& c, PlaneVector& d, float angleDegrees);

}  // namespace tarnwick
