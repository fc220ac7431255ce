#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "acoustics/LevelEngine.h"

namespace tarnwick {

// The prediction options' sums of boxes hung one below another at some points, band by band
// (see docs/model.md, "Prediction options"). Hanging a box at a level adds its share to the
// sums through the level above it, so designs that share their upper boxes share that work:
// with the band average, the box's own power and its cross terms with each box above it;
// otherwise its complex pressure at the band's centre.
//
// Everything is laid out point after point, so that each step is one pass over plain arrays
// that the compiler vectorises; sines, cosines and exponentials go four at a time through
// glibc's vector maths where the processor has it.
class OptionSums {
 public:
  // Bands first ... last of `engine`'s options. The engine must outlive the sums.
  OptionSums(const LevelEngine& engine, int first, int last);

  // Where the sums are taken; forgets whatever was hung.
  void SetPoints(std::span<const PlaneVector> points);
  std::size_t Count() const { return count_; }

  // Box `box` (its attenuation) hung as `placement` at `level`, below the boxes levels
  // 0 ... level - 1 hold; whatever hung at `level` and below is replaced.
  void Hang(int level, int box, const LevelEngine::Placement& placement,
            LevelEngine::Work* work = nullptr);

  // A whole design, box b hung as placed[b] at level b.
  void HangDesign(std::span<const LevelEngine::Placement> placed,
                  LevelEngine::Work* work = nullptr);

  // Each point's power of level entry `entry` (one of the bands, or a broadband sum) through
  // `level`: the bands' powers weighted and added as BroadbandPower adds them, band by band in
  // order. `power` holds Count() values.
  void EntryPowers(int entry, int level, double* power) const;

  // The power |p|^2 (averaged over the band with Average) of `band` through `level` at each
  // point; NaN where a box has no level (a point on its source, or no directivity entry).
  const double* Power(int level, int band) const { return &power_[Plane(level, band - first_)]; }

 private:
  // One level's data at every point, per band: its complex pressure A e^(i phase) at the
  // band's centre (at its middle with Average), and with Average the phasor of half the
  // band's width.
  enum Row { PressureRe, PressureIm, HalfRe, HalfIm, Rows };
  // A band's data for every level lie together, so that hanging a box reads them from the
  // nearest cache.
  std::size_t Plane(int level, int band) const {
    return (std::size_t(band) * levels_ + std::size_t(level)) * stride_;
  }
  double* Wave(int level, int band, Row row) {
    return &waves_[(Plane(level, band) * Rows) + std::size_t(row) * stride_];
  }
  const double* Wave(int level, int band, Row row) const {
    return &waves_[(Plane(level, band) * Rows) + std::size_t(row) * stride_];
  }
  void Place(int level, const LevelEngine::Placement& placement, LevelEngine::Work& work);
  void Band(int level, int box, int band, LevelEngine::Work& work);
  void Sum(int level, int band);

  const LevelEngine& engine_;
  int first_ = 0, bands_ = 0;
  std::size_t levels_ = 0;  // boxes the engine hangs
  std::size_t stride_ = 0;  // points, rounded up to whole vectors
  std::size_t count_ = 0;
  // The points, and copies of the last to whole vectors, so that a point's sums never depend
  // on where it falls in a query.
  std::vector<PlaneVector> points_;
  // Per level and point: distance, its inverse, the entry K and fraction T.
  std::vector<double> distance_, inverse_, fraction_;
  std::vector<int> entry_;
  std::vector<double> waves_;    // [level][band][row][point]
  std::vector<double> power_;    // [level][band][point]
  std::vector<double> re_, im_;  // without Average: the complex sums, [level][band][point]
  std::vector<double> gaps_;     // [level above][gap, its inverse][point], for one box
  // Per point: one band's arguments and cross terms, and zeros (the sums above the top box).
  std::vector<double> scratch_[4];  // [2] unused
};

}  // namespace tarnwick
