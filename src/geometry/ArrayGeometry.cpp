#include "geometry/ArrayGeometry.h"

#include <algorithm>
#include <cmath>

#include "model/ProjectRules.h"

namespace tarnwick {

namespace {

// The array step never stops on an arithmetic failure: an assignment whose
// value is not finite is skipped and its target keeps what it held.
void Assign(PlaneVector& target, PlaneVector value) {
  if (IsFinite(value)) target = value;
}

void Assign(float& target, double value) {
  const auto single = static_cast<float>(value);
  if (std::isfinite(single)) target = single;
}

// Aim point of one box: the nearest area its axis crosses, else the right
// end, floor or top of the scene. C is the source, D the axis direction.
void AimBox(PlaneVector C, PlaneVector D, const ProjectData& p, const Graphics& g,
            BoxGeometry& box) {
  // A crossing that cannot be computed (axis parallel to the slope, or
  // vertical) counts as a miss.
  float t = 0.0f;
  bool crossed = false;
  int area = 0;
  for (int j = 0; j < AreasInUse(p); ++j) {
    const PlaneVector S = g.AreaGeom[j].Start;
    const PlaneVector E = g.AreaGeom[j].Direction;
    const auto u = static_cast<float>(((double(S.X) - C.X) * D.Y / D.X + C.Y - S.Y) /
                                      (E.Y - double(D.Y) * E.X / D.X));
    if (!std::isfinite(u) || u > 1.0f || u < 0.0f) continue;
    const auto tj = static_cast<float>((double(S.X) - C.X + double(u) * E.X) / D.X);
    if (!std::isfinite(tj)) continue;
    if (!crossed || tj < t) {
      t = tj;
      area = j + 1;
    }
    crossed = true;
  }
  if (!crossed) {
    Assign(t, (double(g.SceneWidth) - C.X) / D.X);
    if (C.Y + double(t) * D.Y < 0.0) Assign(t, C.Y / std::fabs(double(D.Y)));
    if (C.Y + double(t) * D.Y > g.SceneHeight) Assign(t, (double(g.SceneHeight) - C.Y) / D.Y);
  }
  const PlaneVector aim = AddVectors(C, ScaleVector(D, t));
  Assign(box.Source, C);
  Assign(box.Ray, SubtractVectors(aim, C));
  box.AimedArea = area;
}

void ComputeFlybar(const ProjectData& p, Graphics& g) {
  const PlaneVector M = g.MountingPoint;
  const int pin = p.FlybarPin;
  auto& F = g.Flybar;
  auto set = [&](int n, double x, double y) { Assign(F[n], {float(x), float(y)}); };
  if (p.FlybarMounting == 1) {
    set(5, M.X + (10 - pin) * PinSpacing, M.Y + FlybarTopRise);
    set(4, F[5].X, F[5].Y - FlybarRailDepth);
    set(3, F[4].X - FlybarBodyLength, F[4].Y);
    set(2, F[3].X, F[3].Y - FlybarBodyStep);
    set(1, F[2].X - FlybarRailDepth, F[2].Y);
    set(0, F[1].X, F[5].Y);
  } else {
    set(0, M.X + (pin - 1) * PinSpacing + FlybarLugReach, M.Y + FlybarTopRise);
    set(5, M.X - (10 - pin) * PinSpacing, F[0].Y);
    set(1, F[0].X, F[0].Y - FlybarLugDrop);
    set(2, F[1].X - FlybarRailDepth, F[1].Y);
    set(3, F[2].X, F[2].Y + FlybarLugRise);
    set(4, F[5].X, F[5].Y - FlybarRailDepth);
  }
  RotateFlybar(F, M, -p.InclinationAngle);
}

}  // namespace

void RotateFlybar(std::array<PlaneVector, 6>& flybar, PlaneVector pivot, float angleDegrees) {
  const Turn turn = TurnFor(angleDegrees);
  for (PlaneVector& point : flybar)
    Assign(point, AddVectors(Rotated(SubtractVectors(point, pivot), turn), pivot));
}

void ComputeSceneExtents(const ProjectData& p, const SceneFrame& frame, Graphics& g) {
  // 1. Width: 1 m beyond the farthest area end.
  g.SceneWidth = static_cast<float>(double(p.AreaDistance[0]) + p.AreaLength[0] + 1.0);
  for (int i = 1; i < AreasInUse(p); ++i) {
    const auto end = static_cast<float>(double(p.AreaDistance[i]) + p.AreaLength[i]);
    if (end > g.SceneWidth) g.SceneWidth = static_cast<float>(double(end) + 1.0);
  }
  // 2. Fixed height: only the floor distance sets the vertical scale.
  if (frame.FixedHeight) {
    g.SceneHeight = static_cast<float>(double(p.FloorDistance) * 1.3);
    return;
  }
  // 3. Otherwise follow the window's shape, raised to the highest area end
  //    and to the mounting point.
  g.SceneHeight = static_cast<float>(double(g.SceneWidth) * frame.WindowHeight / frame.WindowWidth);
  for (int i = 0; i < AreasInUse(p); ++i)
    if (p.AreaHeight2[i] > g.SceneHeight) g.SceneHeight = p.AreaHeight2[i];
  if (p.FloorDistance > g.SceneHeight)
    g.SceneHeight = static_cast<float>(double(p.FloorDistance) * 1.3);
}

void ComputeAreaSlope(const ProjectData& p, int i, Graphics& g) {
  AreaGeometry& area = g.AreaGeom[i];
  const double x0 = double(p.AreaDistance[i]) + 1.0;
  const double rise = double(p.AreaHeight2[i]) - p.AreaHeight1[i];
  const double length = p.AreaLength[i];
  // The length runs along the slope; one shorter than the rise has no
  // horizontal extent and stands as a vertical slope.
  const double run = std::sqrt(std::max(0.0, length * length - rise * rise));
  area.Start = {static_cast<float>(x0), p.AreaHeight1[i]};
  area.End = {static_cast<float>(x0 + run), p.AreaHeight2[i]};
  area.Direction = SubtractVectors(area.End, area.Start);
}

float PinOffset(const ProjectData& p) {
  const double shift = (p.FlybarPin - 1) * PinSpacing;
  return static_cast<float>(p.FlybarMounting == 1 ? PinFirstOffset - shift
                                                  : PinFirstOffset + shift);
}

bool AutomaticInclination(const ProjectData& p, float& angle) {
  // Frame of the first box, unrotated: X toward its back, Y downward, origin
  // at its top front corner. Every box weighs the same, the flybar nothing.
  PlaneVector a{0.0f, BoxFrontHeight};  // front face, top to bottom
  PlaneVector gravity{BoxGravityBack, BoxGravityDown};
  const auto w = static_cast<float>(1.0 / p.BoxesAmount);
  const Turn splay = TurnFor(5.0f);
  PlaneVector sum = ScaleVector(gravity, w);
  PlaneVector corner = a;  // top front corner of the next box
  const int joints = JointsInUse(p);
  for (int j = 0; j < joints; ++j) {
    if (p.BoxAngle[j] == 5.0f) {
      a = Rotated(a, splay);
      gravity = Rotated(gravity, splay);
    }
    sum = AddVectors(sum, ScaleVector(AddVectors(corner, gravity), w));
    corner = AddVectors(corner, a);
  }
  // The array settles with its centre of gravity straight below the pin.
  const double pinX = PinOffset(p);
  const auto result = static_cast<float>(
      std::atan((double(sum.X) - pinX) / (double(sum.Y) + PinDrop)) * 180.0 / Pi);
  if (!std::isfinite(result)) return false;
  angle = result;
  return true;
}

BoxShape HangFlybar(ProjectData& p, Graphics& g) {
  // 1. Automatic inclination replaces the typed one.
  if (p.AutomaticInclCalc == 1) AutomaticInclination(p, p.InclinationAngle);
  const float inclination = p.InclinationAngle;

  // 2. Shape vectors of one box and the offset of its top front corner from
  //    the mounting point.
  BoxShape shape{
      {0.0f, -BoxFrontHeight}, {-BoxDepth, BoxBottomRise}, {0.0f, BoxBackHeight}, {}, {}};
  const PlaneVector q{PinOffset(p), -float(PinDrop)};
  g.MountingPoint = {MountingPointX, p.FloorDistance};
  const PlaneVector M = g.MountingPoint;

  // 3. First box, inclined about the mounting point; the shape vectors
  //    follow the inclination.
  if (BoxesInUse(p) > 0) {
    BoxGeometry& first = g.BoxGeom[0];
    PlaneVector tf = q;
    PlaneVector bf = AddVectors(tf, shape.Front);
    PlaneVector bb = AddVectors(bf, shape.Bottom);
    PlaneVector tb = AddVectors(bb, shape.Back);
    RotateFour(tf, bf, bb, tb, -inclination);
    RotateThree(shape.Front, shape.Bottom, shape.Back, -inclination);
    Assign(first.TopFront, AddVectors(tf, M));
    Assign(first.BottomFront, AddVectors(bf, M));
    Assign(first.BottomBack, AddVectors(bb, M));
    Assign(first.TopBack, AddVectors(tb, M));
  }

  // 4. Flybar outline.
  ComputeFlybar(p, g);
  return shape;
}

void HangBox(const ProjectData& p, Graphics& g, int i, float splayAbove, BoxShape& shape) {
  // Every box hangs from the bottom front corner of the one above it; a 5
  // degree splay turns it and all below it further down.
  BoxGeometry& box = g.BoxGeom[i];
  if (i > 0) {
    Assign(box.TopFront, g.BoxGeom[i - 1].BottomFront);
    if (splayAbove == 5.0f) RotateThree(shape.Front, shape.Bottom, shape.Back, 5.0f);
    Assign(box.BottomFront, AddVectors(box.TopFront, shape.Front));
    Assign(box.BottomBack, AddVectors(box.BottomFront, shape.Bottom));
    Assign(box.TopBack, AddVectors(box.BottomBack, shape.Back));
  }
  Assign(shape.Source, AddVectors(box.TopFront, ScaleVector(shape.Front, 0.5f)));
  Assign(shape.Axis,
         SubtractVectors(shape.Source, AddVectors(box.BottomBack, ScaleVector(shape.Back, 0.5f))));
  AimBox(shape.Source, shape.Axis, p, g, box);
}

bool ComputeArrayGeometry(ProjectData& p, Graphics& g) {
  BoxShape shape = HangFlybar(p, g);
  for (int i = 0; i < BoxesInUse(p); ++i) HangBox(p, g, i, i > 0 ? p.BoxAngle[i - 1] : 0.0f, shape);
  return p.AutomaticInclCalc == 1;
}

bool ComputeScene(ProjectData& project, const SceneFrame& frame, Graphics& g) {
  ComputeSceneExtents(project, frame, g);
  for (int i = 0; i < AreasInUse(project); ++i) ComputeAreaSlope(project, i, g);
  return ComputeArrayGeometry(project, g);
}

bool AimsAtAudience(const ProjectData& project, const Graphics& g) {
  const BoxGeometry& top = g.BoxGeom[0];
  // Of areas ending at the same distance (a floor under a balcony's rear, say, within a
  // centimetre), the back row is the highest.
  constexpr float Near = 0.01f;
  PlaneVector backRow{-INFINITY, -INFINITY};
  for (int i = 0; i < AreasInUse(project); ++i)
    for (const PlaneVector end : {g.AreaGeom[i].Start, g.AreaGeom[i].End})
      backRow.X = std::max(backRow.X, end.X);
  for (int i = 0; i < AreasInUse(project); ++i)
    for (const PlaneVector end : {g.AreaGeom[i].Start, g.AreaGeom[i].End})
      if (end.X >= backRow.X - Near) backRow.Y = std::max(backRow.Y, end.Y);
  // A millimetre's grace: a line through the back row's very edge keeps the sound there.
  constexpr double Grace = 1e-3;
  const double ahead = double(backRow.X) - top.Source.X;
  if (!(top.Ray.X > 0.0f) || !(ahead > 0.0)) return !(top.Ray.Y > 0.0f);
  return top.Source.Y + ahead * top.Ray.Y / top.Ray.X <= backRow.Y + Grace;
}

}  // namespace tarnwick
