#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
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
// that the compiler vectorises, or four points at a time with AVX2 where the processor has
// it (simd/OptionSumsAvx2.cpp).
class OptionSums {
 public:
  // Bands first ... last of `engine`'s options. The engine must outlive the sums.
  OptionSums(const LevelEngine& engine, int first, int last);

  // Whether these are the sums of bands first ... last of `engine`.
  bool Serves(const LevelEngine& engine, int first, int last) const {
    return &engine == &engine_ && first == first_ && last - first + 1 == bands_;
  }

  // Where the sums are taken; forgets whatever was hung.
  void SetPoints(std::span<const PlaneVector> points);
  std::size_t Count() const { return count_; }

  // Box `box` (its attenuation) hung as `placement` at `level`, below the boxes levels
  // 0 ... level - 1 hold; whatever hung at `level` and below is replaced. After HangDesign,
  // the top box comes first.
  void Hang(int level, int box, const LevelEngine::Placement& placement,
            LevelEngine::Work* work = nullptr);

  // Box `box` hung as `placement` at `level` as Hang hangs it, and its twin hung as `twin`
  // below the same boxes, in the spare level Twin(): the two ways of hanging the last box
  // of a design, summed in one pass over the boxes above.
  void HangTwins(int level, int box, const LevelEngine::Placement& placement,
                 const LevelEngine::Placement& twin, LevelEngine::Work* work = nullptr);
  // The level that holds the twin's sums (through it, as Power and EntryPowers give them).
  int Twin() const { return int(levels_) - 1; }

  // A whole design, box b hung as placed[b] at level b; the same sums as hanging box after
  // box, taken band by band so that a band's data stay in the nearest cache: every box's
  // pressures, then every box's sums.
  void HangDesign(std::span<const LevelEngine::Placement> placed,
                  LevelEngine::Work* work = nullptr);

  // Each point's power of level entry `entry` (one of the bands, or a broadband sum) through
  // `level`: the bands' powers weighted and added as BroadbandPower adds them, band by band in
  // order. `power` holds Count() values.
  void EntryPowers(int entry, int level, double* power) const;

  // The power |p|^2 (averaged over the band with Average) of `band` through `level` at each
  // point; NaN where a box has no level (a point on its source, or no directivity entry).
  // After HangDesign, through its last box alone.
  const double* Power(int level, int band) const { return &power_[SumPlane(level, band - first_)]; }

 private:
  // An array whose values are left unset when it grows. Every value is written before it is
  // read, so that a query costs no clearing of memory it overwrites anyway. It starts on a
  // cache line, so that no vector of four doubles in a row of whole vectors straddles two:
  // such a load costs two, and the pair sums are held up by their loads.
  template <typename T>
  class Unset {
   public:
    void Resize(std::size_t size) {
      if (size <= capacity_) return;
      values_.reset(new (std::align_val_t(Line)) T[size]), capacity_ = size;
    }
    T* data() { return values_.get(); }
    const T* data() const { return values_.get(); }
    T& operator[](std::size_t i) { return values_[i]; }
    const T& operator[](std::size_t i) const { return values_[i]; }

   private:
    static constexpr std::size_t Line = 64;
    struct Free {
      void operator()(T* p) const { ::operator delete[](p, std::align_val_t(Line)); }
    };
    std::unique_ptr<T[], Free> values_;
    std::size_t capacity_ = 0;
  };

  // One level's data at every point, per band, with y its pressure without the travel time
  // (amplitude over distance, the entry's phase). Without Average: the complex pressure at the
  // band's centre frequency, y e^(i k r) (Wave). With Average: y e^(i k r) at the band's upper
  // edge (Wave) and the conjugate of y e^(i k r) at its lower edge (Conjugate), so that a
  // cross term needs two products (see AddBoxTerms).
  enum Row { WaveRe, WaveIm, ConjugateRe, ConjugateIm, Rows };
  // The travel-time phasors e^(i k r) of one level: with Average at the bands' edges (the
  // upper edge of one band is the lower of the next), else at their centres. Edge or centre
  // n + 3 has twice the frequency of n, so its phasors are the squares of n's; a level keeps
  // the last three, each in the place of the one it is squared from.
  enum Phasor { TravelRe, TravelIm, Phasors };
  // A band's data for every level lie together, so that hanging a box reads them from a
  // near cache.
  std::size_t Plane(int level, int band) const {
    return (std::size_t(band) * levels_ + std::size_t(level)) * stride_;
  }
  // A whole design (HangDesign) keeps one band's waves at a time, and each band's sums
  // through its last box alone (each box's added in place), so that hanging it band after
  // band reuses memory still in the nearest cache; box after box (Hang) keeps every level's,
  // for the boxes hung below.
  std::size_t WavePlane(int level, int band) const {
    return Plane(level, wholeDesign_ ? 0 : band) * Rows;
  }
  std::size_t SumPlane(int level, int band) const {
    return wholeDesign_ ? std::size_t(band) * stride_ : Plane(level, band);
  }
  double* Wave(int level, int band, Row row) {
    return &waves_[WavePlane(level, band) + std::size_t(row) * stride_];
  }
  const double* Wave(int level, int band, Row row) const {
    return &waves_[WavePlane(level, band) + std::size_t(row) * stride_];
  }
  double* Travel(int level, int n, Phasor row) {
    const std::size_t slot =
        std::size_t(level) * LevelEngine::Octave + std::size_t(n % LevelEngine::Octave);
    return &phasors_[(slot * Phasors + std::size_t(row)) * stride_];
  }
  // The inverse gaps between the paths of the box in `slot` and those of level `above`.
  double* GapRow(int slot, int above) {
    return &gaps_[(std::size_t(slot) * levels_ + std::size_t(above)) * stride_];
  }
  // Hang, the box's own data kept in `slot` (its level, or the twin's).
  void HangAt(int slot, int level, int box, const LevelEngine::Placement& placement,
              LevelEngine::Work* work);
  // The steps of hanging, the box's data in `slot`, below the `level` boxes above it.
  void Place(int slot, int level, int box, const LevelEngine::Placement& placement,
             LevelEngine::Work& work);
  void Band(int slot, int band, LevelEngine::Work& work);
  void Sum(int slot, int level, int band);
  void AddTinyGaps(int slot, int band, double* power) const;

  const LevelEngine& engine_;
  int first_ = 0, bands_ = 0;
  std::size_t levels_ = 0;  // boxes the engine hangs, and the twin's
  std::size_t stride_ = 0;  // points, rounded up to whole vectors
  std::size_t count_ = 0;
  // Whether the last hanging was a whole design's, which leaves no waves of boxes above to
  // hang another below (Hang then starts at the top).
  bool wholeDesign_ = false;
  // The points, and copies of the last to whole vectors, so that a point's sums never depend
  // on where it falls in a query.
  std::vector<PlaneVector> points_;
  // Per level and point: distance, the box's gain over it, the entry K and fraction T.
  Unset<double> distance_, inverse_, fraction_;
  Unset<int> entry_;
  // With the vector arithmetic, per level and point: the place of the nearest blend and the
  // rest of the way to the point's fraction (NearestBlends).
  Unset<std::uint32_t> blend_;
  Unset<double> rest_;
  Unset<double> waves_;    // [level][band][row][point]
  Unset<double> phasors_;  // [level][edge or centre % Octave][phasor][point]
  Unset<double> power_;    // [level][band][point]
  Unset<double> re_, im_;  // without Average: the complex sums, [level][band][point]
  // The inverse gap between each level's paths and each above's, [level][level above][point],
  // 0 where the two paths are too close in length for the fast cross term; those pairs
  // with their gaps (Tiny, per level) take the careful one.
  Unset<double> gaps_;
  struct Tiny {
    std::size_t Point;
    int Above;
    double Gap;
  };
  std::vector<std::vector<Tiny>> tiny_;
  // Per point: zeros (the sums above the top box).
  Unset<double> zeros_;
};

}  // namespace tarnwick
