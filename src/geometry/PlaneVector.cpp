#include "geometry/PlaneVector.h"

#include <cmath>

namespace tarnwick {

PlaneVector AddVectors(PlaneVector a, PlaneVector b) {
  return {static_cast<float>(double(a.X) + b.X), static_cast<float>(double(a.Y) + b.Y)};
}

PlaneVector NegateVector(PlaneVector a) { return {-a.X, -a.Y}; }

PlaneVector SubtractVectors(PlaneVector a, PlaneVector b) { return AddVectors(a, NegateVector(b)); }

PlaneVector ScaleVector(PlaneVector a, float s) {
  return {static_cast<float>(double(a.X) * s), static_cast<float>(double(a.Y) * s)};
}

bool IsFinite(PlaneVector a) { return std::isfinite(a.X) && std::isfinite(a.Y); }

Turn TurnFor(float angleDegrees) {
  const double radians = double(angleDegrees) * Pi / 180.0;
  return {static_cast<float>(std::sin(radians)), static_cast<float>(std::cos(radians))};
}

PlaneVector Rotated(PlaneVector v, Turn turn) {
  return {static_cast<float>(double(turn.c) * v.X + double(turn.s) * v.Y),
          static_cast<float>(double(turn.c) * v.Y - double(turn.s) * v.X)};
}

namespace {

// Rotates every vector or none: a rotation that overflows is not used.
template <std::size_t N>
bool RotateAll(PlaneVector* (&vectors)[N], float angleDegrees) {
  const Turn turn = TurnFor(angleDegrees);
  PlaneVector rotated[N];
  for (std::size_t i = 0; i < N; ++i) {
    rotated[i] = Rotated(*vectors[i], turn);
    if (!IsFinite(rotated[i])) return false;
  }
  for (std::size_t i = 0; i < N; ++i) *vectors[i] = rotated[i];
  return true;
}

}  // namespace

bool RotateThree(PlaneVector& a, PlaneVector& b, PlaneVector& c, float angleDegrees) {
  PlaneVector* vectors[] = {&a, &b, &c};
  return RotateAll(vectors, angleDegrees);
}

bool RotateFour(PlaneVector& a, PlaneVector& b, PlaneVector& c, PlaneVector& d,
                float angleDegrees) {
  PlaneVector* vectors[] = {&a, &b, &c, &d};
  return RotateAll(vectors, angleDegrees);
}

}  // namespace tarnwick
