#pragma once

#include <cstdio>

#include "acoustics/ModuleData.h"
#include "acoustics/VectorMath.h"
#include "geometry/ArrayGeometry.h"
#include "model/ProjectData.h"

// The design the benchmarks time: the default project laid out in the window's first size,
// with the module's data.
struct DefaultDesign {
  tarnwick::ProjectData project = tarnwick::MakeDefaultProject();
  tarnwick::Graphics graphics;
  tarnwick::Constants constants;

  DefaultDesign() {
    tarnwick::ComputeScene(project, tarnwick::FirstWindowFrame, graphics);
    tarnwick::AssignBandLevel(constants);
    tarnwick::FillDirectivity(constants);
  }
};

// False, the verdict printed, on a processor without what the vector maths need.
inline bool VectorMathsAvailable() {
  if (tarnwick::vector_maths::HasVectorMaths()) return true;
  std::printf("FAIL: this benchmark needs a processor with AVX2 and FMA\n");
  return false;
}
