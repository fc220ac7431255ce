#pragma once

#include <array>
#include <complex>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "acoustics/BandLevels.h"
#include "acoustics/ModuleData.h"
#include "geometry/ArrayGeometry.h"
#include "model/ProjectData.h"

namespace tarnwick {

class OptionSums;

// Levels of one design at any points of the section: a coverage map's grid, the colours
// along the areas, a single listener point. Each point is the coherent sum of every box in
// use, in double precision, with the directivity entries CalculateSPL picks; the sound
// power of the bands adds up for the broadband entries.
//
// Everything that does not depend on the point (each box's linear amplitude for every
// directivity entry and band, the entries' phases, the wave numbers) is worked out once,
// here. Where a query takes four or more bands, only the lowest three bands' travel-time
// phasors e^(i k r) come from a cosine and a sine: each band's centre frequency is twice
// that of the band three below, so its phasor is that band's squared (see docs/model.md,
// "One box at a point"). The engine holds no reference to the design, and its queries
// change nothing, so several threads may query one engine at once.
//
// The project's prediction options (ProjectData::Prediction) are read here too. With any on,
// Levels, Level and Spectrum take the options' sums, one point at a time in double precision
// (LevelEngineOptions.cpp; see docs/model.md, "Prediction options"); with all off they are
// the plain model above, bit for bit.
class LevelEngine {
 public:
  // How the sums are evaluated. Fastest takes four points at a time with glibc's vector
  // maths where the processor has AVX2 and FMA, and is Portable elsewhere: one point at a
  // time in plain C++. Both pick the same directivity entries; their sums differ by some
  // 1e-12 of the power, which seldom shows in the float level. Either way a point's level
  // does not depend on the other points of the query.
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
    // The same in single precision, for a quicker check that errs by some 2e-5 degrees,
    // well inside EntryEdgeMargin.
    std::array<std::array<float, 4>, DirectivityAngleCount + 2> SingleSectors{};
  };
  static Placement Place(const BoxGeometry& box);
  // The boxes in use hung where `graphics` has them; their attenuations and the module's
  // data stay as they were.
  void Rehang(const Graphics& graphics);

  // What a query worked out, for the benchmarks that hold the engine to the cost of its
  // calls: how many values each kind of call gave, a four-wide vector call four whether or
  // not every lane held a point. The caller owns it, one to a thread, and adds them up.
  struct Work {
    std::uint64_t SquareRoots = 0;      // distances
    std::uint64_t SinesCosines = 0;     // sines, and as many cosines
    std::uint64_t Arctangents = 0;      // directions the entry follower did not settle
    std::uint64_t ComplexSquares = 0;   // phasors of a band from the band three below
    std::uint64_t ComplexProducts = 0;  // phasors times an entry's pressure at 1 m
    std::uint64_t Logarithms = 0;       // levels from powers
    Work& operator+=(const Work& other);
  };

  // What a run of queries on one engine keeps from one to the next (a map's rows), so that
  // the prediction options' sums are not set up afresh for each. One to a thread.
  class Scratch {
   public:
    Scratch();
    ~Scratch();

   private:
    friend class LevelEngine;
    std::unique_ptr<OptionSums> sums_;
  };

  // The level in dB of `entry` (a band, BroadbandChoice or BroadbandAChoice) at each point,
  // SPLFloor where it is not defined (a point on a box's source, or no sound at all). The
  // work done is added to *work where one is given.
  void Levels(int entry, std::span<const PlaneVector> points, std::span<float> levels,
              Work* work = nullptr, Scratch* scratch = nullptr) const;
  float Level(int entry, PlaneVector point) const;
  // Whether any prediction option is on, so that OptionSums gives the sums.
  bool OptionsOn() const { return options_; }

  // Every entry's level at one point, bands first, then the two broadband sums.
  std::array<float, BandChoiceCount> Spectrum(PlaneVector point) const;

  // One box's share of the sums, for searches that hang the boxes in many ways: box `box`
  // (its attenuation) hung as `placement`, its complex pressure for each band from `first` to
  // `last` at each point added into re and im at [(band - first) * stride + point]; NaN where
  // the box defines no level (a point on its source, or no directivity entry). The plain
  // model only: an engine with a prediction option on adds nothing (OptionSums takes its
  // sums).
  void AddPressures(int box, const Placement& placement, int first, int last,
                    std::span<const PlaneVector> points, double* re, double* im, std::size_t stride,
                    Work* work = nullptr) const;

  // The vector paths' working data (simd/LevelEngineAvx2.cpp): some points' distances and
  // directivity entries, and how the tables are laid out.
  struct Block;
  static constexpr int Octave = 3;  // bands from one band to the band of twice its frequency
  // The complex pressures at 1 m, pressure_[(box * 73 + k) * PressureRow + 2 * band + 0 or 1]
  // (real, imaginary): one entry's row of every band, a row of 21 padded to 24 bands.
  static constexpr int PressureRow = 48;

 private:
  // Sound power |p|^2 of each band in [first, last] at the point, into power[band];
  // false where the point has no defined level.
  bool BandPowers(PlaneVector point, int first, int last, double* power, Work& work) const;
  // The travel-time phasors e^(i k r) of bands first ... last at distance r into
  // phasor[band - first], squaring where there are more than three.
  void Phasors(double r, int first, int last, std::complex<double>* phasor, Work& work) const;
  // Box `box`'s pressure amplitude at 1 m and phase for entry k in `band`.
  const double* Polar(int box, int k, int band) const {
    return &polar_[((std::size_t(band) * boxes_.size() + box) * DirectivityAngleCount + k) * 2];
  }
  // Box `box`'s complex pressure at 1 m for entry k in `band`.
  std::complex<double> Pressure(int box, int k, int band) const {
    const double* p = &pressure_[(std::size_t(box) * DirectivityAngleCount + k) * PressureRow];
    return {p[2 * band], p[2 * band + 1]};
  }

  // The vector sums, x86-64 only, called where the processor has AVX2 and FMA.
  void VectorLevels(int entry, std::span<const PlaneVector> points, std::span<float> levels,
                    Work& work) const;
  // The distances and entries at `count` (1 ... 16) points; following[box] is the entry to
  // try first for the box, mostly that of the point before, and becomes that of the last.
  void Locate(Block& block, const PlaneVector* points, int count, int* following, Work& work) const;
  void VectorPressures(int box, const Placement& placement, int first, int last,
                       std::span<const PlaneVector> points, double* re, double* im,
                       std::size_t stride, Work& work) const;
  void BandLevels(const Block& block, int band, float* levels, Work& work) const;
  // Each band's power at the four points of vector `vector`, power[band][lane].
  void SpectrumPowers(const Block& block, int vector, double (*power)[4], Work& work) const;
  void VectorSpectrum(PlaneVector point, std::array<float, BandChoiceCount>& levels) const;

  // The prediction options' sums (LevelEngineOptions.cpp, OptionSums).
  friend class OptionSums;
  void SetUpOptions(const ProjectData& project, const Constants& constants);
  // Band `band`'s entries as the options blend them, four values an entry: its pressure at
  // 1 m (band level and drop) as re and im, and z, the exponent of the blend toward the next
  // entry (e^(t z): the level's step in nepers, the phase's step in radians along the shorter
  // arc); entry 72, past the last, is NaN throughout, for the points where a box has none.
  static constexpr int OptionRow = DirectivityAngleCount + 1;
  const double* OptionEntries(int band) const {
    return &optionEntries_[std::size_t(band) * 4 * OptionRow];
  }
  // With Interpolate, the blends at BlendSteps + 1 fractions of the way from each entry to
  // the next, j / BlendSteps, as complex numbers (re, im): entry k's pressure times
  // e^(j z / BlendSteps) at [((band * OptionRow + k) * (BlendSteps + 1) + j) * 2]. A blend at
  // fraction t is the nearest one times e^((t - j / BlendSteps) z), an exponent so small
  // that a few terms of its series give it. Without Interpolate, the entries alone (0 steps).
  static constexpr int BlendSteps = 64;
  int blendSteps_ = 0;
  const double* OptionBlends(int band) const {
    return &optionBlends_[std::size_t(band) * OptionRow * std::size_t(blendSteps_ + 1) * 2];
  }
  void OptionsLevels(int entry, std::span<const PlaneVector> points, std::span<float> levels,
                     Work& work, Scratch* scratch) const;
  std::array<float, BandChoiceCount> OptionsSpectrum(PlaneVector point) const;

  bool vector_ = false;
  // Whether any prediction option is on, and the options' data.
  bool options_ = false;
  PredictionOptions prediction_;
  DirectivityTable directivity_;
  std::array<double, BandCount> bandLevel_{};
  std::array<double, MaxBoxes> boxGain_{};  // each box's attenuation as a pressure factor
  // Per band, in radians per metre: the wave number at the centre frequency, at the middle
  // of the band's edges, and half the band's width in wave number; the air's loss in nepers
  // per metre (0 without Air).
  std::array<double, BandCount> centreWave_{}, middleWave_{}, halfWave_{}, airLoss_{};
  std::vector<double> optionEntries_, optionBlends_;
  std::vector<Placement> boxes_;
  // polar_[((band * boxes + box) * 73 + k) * 2 + 0 or 1]: the pressure amplitude at 1 m
  // and the entry's phase in radians, side by side.
  std::vector<double> polar_;
  std::array<double, BandCount> waveNumber_{};  // radians per metre
  // The same as complex numbers, laid out as PressureRow says.
  std::vector<double> pressure_;
};

}  // namespace tarnwick
