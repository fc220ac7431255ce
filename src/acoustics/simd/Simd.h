#pragma once

#include <cstddef>
#include <cstdint>

#include "acoustics/SplKernel.h"

// The vector forms of the prediction's steps, each in a file of its own in this folder,
// the only place that holds intrinsics. Their callers choose them at run time by the checks
// below, and the scalar code they stand in for reads without them. On a processor other
// than x86-64 the checks are false and the vector forms are never called.
namespace tarnwick::simd {

// Whether this processor runs AVX2, and AVX2 with FMA (which glibc's vector maths needs).
bool HasAvx2();
bool HasAvx2Fma();

// PortableSplKernel four points at a time (SplKernelAvx2.cpp); AVX2 and FMA.
void Avx2SplKernel(BoxSet& boxes, SPLPoint* point, int count, SplBlock& block, SplWork* work);

// The sines and cosines of `count` angles in radians, four at a time (SplKernelAvx2.cpp);
// returns how many lanes it evaluated, `count` rounded up to whole vectors. AVX2 and FMA.
int SinesCosines(const double* radians, double* sine, double* cosine, int count);

// PowerDecibels for the whole groups of four of `count` powers; returns how many it did,
// the rest left to the caller (LevelRulesAvx2.cpp). AVX2 and FMA.
std::size_t PowerDecibels(const double* power, double* level, std::size_t count);

// The prediction options' steps (OptionSumsAvx2.cpp), each for the whole groups of four of
// `count` points, returning how many it did. AVX2 and FMA.
//
// PlacePaths: each point's path from a box, as OptionSums::Place works it out.
struct PathsFrom {
  const float* Points;  // (x, y) pairs
  float Source[2];
  float Aim;
  bool Interpolate;
  int NoEntry;
  double Gain;                            // the box's attenuation as a factor
  double *Distance, *Inverse, *Fraction;  // Inverse: Gain over the distance
  int* Entry;
};
std::size_t PlacePaths(const PathsFrom& from, std::size_t count);

// EntryPressures: each point's pressure as OptionSums takes it, y times travel-time phasors.
// y, the pressure without the travel time, is Inverse (the box's gain over r) times the
// entry's pressure at 1 m times e^(t z - Loss r), t the point's fraction; z from
// LevelEngine::OptionEntries (four values an entry: re, im, z re, z im), and the blend
// nearest t from OptionBlends (at Blends + Blend), Rest short of t. Out: y Upper (Re, Im)
// and, where Lower is given, the conjugate of y Lower (ConjugateRe, ConjugateIm). With
// SquareUpper, Upper holds the phasors an octave below, which are squared in their place
// first.
struct PressuresFrom {
  const int* Entry;
  const std::uint32_t* Blend;
  const double *Rest, *Fraction, *Distance, *Inverse;
  const double *Table, *Blends;
  double Loss;  // the air's loss in nepers a metre
  bool SquareUpper;
  double *UpperRe, *UpperIm;
  const double *LowerRe, *LowerIm;
  double *Re, *Im, *ConjugateRe, *ConjugateIm;
};
std::size_t EntryPressures(const PressuresFrom& from, std::size_t count);

// TravelPhasors: e^(i wave r) for each distance r, as cosine (re) and sine (im).
std::size_t TravelPhasors(const double* distance, double wave, double* re, double* im,
                          std::size_t count);
// AddBox: OptionSums' power of a band through a box, `before` plus the box's own and its
// cross terms with each box above.
// One band's waves of every box hung (OptionSums): level l's row r (y e^(i k r) at the
// band's upper edge re and im, the conjugate of y e^(i k r) at its lower edge re and im) at
// Waves + (l * Rows + r) * Stride; the inverse gap between the box being hung and level l's
// paths (0 to leave the pair out) at Gaps + l Stride.
struct BandWaves {
  static constexpr std::size_t Rows = 4;
  const double* Waves;
  const double* Gaps;
  std::size_t Stride;
  // A box hung below the boxes of Waves (AddTwins): its rows, its inverse gaps to them and
  // where its power goes.
  struct Twin {
    const double* Own;
    const double* Gaps;
    double* Power;
  };
};
std::size_t AddBox(const BandWaves& waves, int level, const double* own, double half,
                   const double* before, double* power, std::size_t count);
// AddTwins: AddBox for two boxes below the same `level` boxes of `waves` (its Gaps unused).
std::size_t AddTwins(const BandWaves& waves, int level, const BandWaves::Twin (&twins)[2],
                     double half, const double* before, std::size_t count);
// AddDesign: OptionSums' power of a band through the last of `levels` boxes, each box's
// own and its cross terms with each box above, the inverse gaps between level l's paths and
// level m's at Gaps + (l levelGaps + m) Stride.
std::size_t AddDesign(const BandWaves& waves, int levels, std::size_t levelGaps, double half,
                      double* power, std::size_t count);

}  // namespace tarnwick::simd
