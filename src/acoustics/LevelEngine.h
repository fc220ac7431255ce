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
  // How the sums are evaluated. Fastest takes four points (for broadband, four bands of a
  // point) at a time with glibc's vector maths where the processor has AVX2 and FMA, and is
  // Portable elsewhere: one point at a time in plain C++. Both pick the same directivity
  // entries; their sums differ by some 1e-12 of the power, which seldom shows in the float
  // level. Either way a point's level does not depend on the other points of the query.
  enum class Arithmetic { Fastest, Portable };

  LevelEngine(const ProjectData& project, const Graphics& graphics, const Constants& constants,
              Arithmetic arithmetic = Arithmetic::Fastest);

  // A box as the sums see it: where its sound starts, where it aims, and its directivity
  // entries as sectors of directions. A direction d = (x, y) lies well inside entry k when
  // both s[0] * -y + s[1] * x and s[2] * -y + s[3] * x are above 0 (counter-clockwise of
  // the entry's lower edge and clockwise of its upper one, both drawn in), s = Sectors[1 +
  // k]. The sectors at k = -1 and 73 hold no direction, so that an entry's two neighbours
  // may be tried without a check.
  struct Placement {
    PlaneVector Source;
    float Aim = 0.0f;  // degrees from straight down
    std::array<std::array<double, 4>, DirectivityAngleCount + 2> Sectors{};
  };
  static Placement Place(const BoxGeometry& box);
  // The boxes in use hung where `graphics` has them; their attenuations and the module's
  // data stay as they were.
  void Rehang(const Graphics& graphics);

  // The level in dB of `entry` (a band, BroadbandChoice or BroadbandAChoice) at each point,
  // SPLFloor where it is not defined (a point on a box's source, or no sound at all).
  void Levels(int entry, std::span<const PlaneVector> points, std::span<float> levels) const;
  float Level(int entry, PlaneVector point) const;

  // Every entry's level at one point, bands first, then the two broadband sums.
  std::array<float, BandChoiceCount> Spectrum(PlaneVector point) const;

  // One box's share of the sums, for searches that hang the boxes in many ways: box `box`
  // (its attenuation) hung as `placement`, its complex pressure for each band from `first`
  // to `last` at each point added into re and im at [(band - first) * stride + point]; NaN
  // where the box defines no level (a point on its source, or no directivity entry).
  void AddPressures(int box, const Placement& placement, int first, int last,
                    std::span<const PlaneVector> points, double* re, double* im,
                    std::size_t stride) const;

  // The vector paths' working data (simd/LevelEngineAvx2.cpp): some points' distances and
  // directivity entries, and how the spectrum tables are laid out.
  struct Block;
  static constexpr int SpectrumStride = 24;  // bands in a row of the spectrum tables
  static constexpr int GroupedBands = 20;    // bands 0 ... 19 go four at a time, band 20 apart

 private:
  // Sound power |p|^2 of each band in [first, last] at the point, into power[band];
  // false where the point has no defined level.
  bool BandPowers(PlaneVector point, int first, int last, double* power) const;

  // The vector sums, x86-64 only, called where the processor has AVX2 and FMA.
  void VectorLevels(int entry, std::span<const PlaneVector> points, std::span<float> levels) const;
  // The distances and entries at `count` (1 ... 16) points; following[box] is the entry to
  // try first for the box, mostly that of the point before, and becomes that of the last.
  void Locate(Block& block, const PlaneVector* points, int count, int* following) const;
  void VectorPressures(int box, const Placement& placement, int first, int last,
                       std::span<const PlaneVector> points, double* re, double* im,
                       std::size_t stride) const;
  void BandLevels(const Block& block, int band, float* levels) const;
  void SpectrumPowers(const Block& block, int vector, double (*power)[BandCount]) const;
  void VectorSpectrum(PlaneVector point, std::array<float, BandChoiceCount>& levels) const;

  bool vector_ = false;
  std::vector<Placement> boxes_;
  // amplitude_[(band * boxes + box) * 73 + k]: pressure amplitude at 1 m.
  std::vector<double> amplitude_;
  std::array<std::array<double, DirectivityAngleCount>, BandCount> phase_{};  // radians
  std::array<double, BandCount> waveNumber_{};                                // radians per metre
  // The same amplitudes and phases band after band for each entry, for four bands at a
  // time: spectrumAmplitude_[(box * 73 + k) * 24 + band], spectrumPhase_[k * 24 + band],
  // each row padded from 21 bands to 24.
  std::vector<double> spectrumAmplitude_;
  std::vector<double> spectrumPhase_;
};

}  // namespace tarnwick
