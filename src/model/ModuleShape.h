#pragma once

namespace tarnwick {

// The one module model's shape and its flybar, in metres: what the geometry hangs and the
// side view draws. See docs/model.md, "Coordinates".

// One box seen from the side: its front face, the depth to its back, how far its bottom
// rises from front to back, and its back face.
inline constexpr float BoxFrontHeight = 0.3060455f;
inline constexpr float BoxDepth = 0.4050872f;
inline constexpr float BoxBottomRise = 0.0176869f;
inline constexpr float BoxBackHeight = 0.2706722f;
// A box's centre of gravity from its top front corner: towards its back, then down.
inline constexpr float BoxGravityBack = 0.185f;
inline constexpr float BoxGravityDown = 0.15302275f;

// The flybar's pins, 1 ... 9, one inch apart; pin 1 lies PinFirstOffset behind the first
// box's front face with the flybar mounted one way (FlybarMounting 1), ahead of it the
// other, and the pins lie PinDrop above the first box's top.
inline constexpr double PinSpacing = 0.0254;
inline constexpr double PinFirstOffset = 0.23;
inline constexpr double PinDrop = 0.024;
// The mounting point's X in the scene.
inline constexpr float MountingPointX = 1.0f;
// Every horizontal distance the program shows or prints (the readout, the grid, Response
// Here, the command line) counts from the mounting point, where the array hangs, not from
// the scene's left edge: these turn one into the other, in metres.
inline double FromMountingPoint(double sceneX) { return sceneX - MountingPointX; }
inline double SceneX(double fromMountingPoint) { return fromMountingPoint + MountingPointX; }

// The flybar's outline around the mounting point (ComputeFlybar).
inline constexpr double FlybarTopRise = 0.022;     // its top above the mounting point
inline constexpr double FlybarRailDepth = 0.044;   // the rail's height, and the end lug's width
inline constexpr double FlybarBodyLength = 0.213;  // mounted one way: the body behind the rail
inline constexpr double FlybarBodyStep = 0.012;    // ... and its step down
inline constexpr double FlybarLugReach = 0.02;     // mounted the other way: the lug past the pin
inline constexpr double FlybarLugDrop = 0.057;     // ... its drop
inline constexpr double FlybarLugRise = 0.015;     // ... and the rise back to the body

}  // namespace tarnwick
