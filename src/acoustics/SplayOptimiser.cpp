#include "acoustics/SplayOptimiser.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

#include "acoustics/LevelEngine.h"
#include "acoustics/LevelGrid.h"
#include "acoustics/OptionSums.h"
#include "acoustics/simd/Simd.h"
#include "model/ProjectRules.h"

namespace tarnwick {

namespace {

constexpr float InclinationStep = 0.5f;  // degrees
// Joints fixed per task, so that the threads can share out even a single inclination.
constexpr int TaskJoints = 3;
// Designs are ranked by their spread (or fit) to the hundredth of a dB, so that a difference
// nobody hears never outweighs a louder design.
double Hundredths(double decibels) { return std::round(decibels * 100.0) / 100.0; }
// How far a spread may lie above a ranked one and still round to it.
constexpr double HalfHundredth = 0.005;
// The sums' last-bit differences between the quick and the full measure (dB).
constexpr double Tie = 1e-9;
constexpr double None = std::numeric_limits<double>::infinity();
// A point has a level where its power lies above SPLFloor's, as the map and the areas'
// colours have it: below that is no sound anyone hears (an array hung far out of reach of
// the areas), and a spread of such levels says nothing.
const double FloorPower = std::pow(10.0, SPLFloor / 10.0);

// How the array hangs apart from its splays.
struct Hanging {
  float Inclination;
  int Pin;
  int Mounting;
};

// The hangings to try, the current one first and then by how far they are from it, so
// that of two equally good designs the search keeps the smaller change.
std::vector<Hanging> Hangings(const ProjectData& p, const SplaySearch& search) {
  std::vector<std::pair<int, Hanging>> ranked;
  if (p.AutomaticInclCalc == 1) {
    for (int mounting : {p.FlybarMounting, 1 - p.FlybarMounting})
      for (int pin = 1; pin <= FlybarPins; ++pin)
        ranked.push_back({std::abs(pin - p.FlybarPin) + (mounting != p.FlybarMounting) * 10,
                          {p.InclinationAngle, pin, mounting}});
  } else {
    const int steps = int(std::floor(std::max(0.0f, search.InclinationReach) / InclinationStep));
    for (int k = -steps; k <= steps; ++k)
      ranked.push_back(
          {std::abs(k), {p.InclinationAngle + k * InclinationStep, p.FlybarPin, p.FlybarMounting}});
  }
  std::stable_sort(ranked.begin(), ranked.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<Hanging> hangings;
  for (const auto& [rank, hanging] : ranked) hangings.push_back(hanging);
  return hangings;
}

// The design with splay 5 at each joint whose bit is set.
ProjectData Design(const ProjectData& base, const Hanging& hanging, unsigned splays) {
  ProjectData p = base;
  p.InclinationAngle = hanging.Inclination;
  p.FlybarPin = hanging.Pin;
  p.FlybarMounting = hanging.Mounting;
  for (int j = 0; j < JointsInUse(base); ++j) p.BoxAngle[j] = (splays >> j & 1) ? 5.0f : 0.0f;
  return p;
}

// Every point of the areas in use, and what the wanted fall adds back at each: its
// distance from the mounting point in doublings, times the fall.
struct JudgedPoints {
  std::vector<PlaneVector> At;
  std::vector<double> Fall;
};

JudgedPoints CollectPoints(const ProjectData& project, const Graphics& laidOut,
                           const SplaySearch& search) {
  JudgedPoints points;
  for (int area = 1; area <= AreasInUse(project); ++area)
    for (const AreaPoint& p : AreaPoints(project, laidOut, area)) points.At.push_back(p.Position);
  const PlaneVector mounting{MountingPointX, project.FloorDistance};
  for (const PlaneVector& at : points.At) {
    const double r = std::hypot(double(at.X) - mounting.X, double(at.Y) - mounting.Y);
    points.Fall.push_back(
        search.Goal == SplayGoal::Fall && r > 0.0 ? search.FallPerDoubling * std::log2(r) : 0.0);
  }
  return points;
}

// 10 log10 of each power in double (PowerDecibels), SPLFloor where a power has no level.
void Decibels(const double* power, double* level, std::size_t count) {
  std::size_t i = 0;
  if (simd::HasAvx2Fma()) i = simd::PowerDecibels(power, level, count);
  for (; i < count; ++i) level[i] = PowerDecibels(power[i]);
}

// The bands a search sums, and how each weighs in the power of its level entry.
struct Bands {
  explicit Bands(int entry) : Entry(entry) {
    const bool broadband = entry == BroadbandChoice || entry == BroadbandAChoice;
    First = broadband ? 0 : entry;
    Last = broadband ? BandCount - 1 : entry;
    for (int band = First; band <= Last; ++band) Weight.push_back(BandWeight(entry, band));
  }

  // Each of `count` points' power from sums laid out [band][point], the bands added as
  // BroadbandPower adds them, band by band in order; NaN where a box defines none.
  void Powers(const double* re, const double* im, std::size_t count, double* power) const {
    std::fill(power, power + count, 0.0);
    for (std::size_t band = 0; band < Weight.size(); ++band) {
      const double w = Weight[band];
      const double* r = re + band * count;
      const double* m = im + band * count;
      for (std::size_t i = 0; i < count; ++i) power[i] += w * (r[i] * r[i] + m[i] * m[i]);
    }
  }

  int Entry = 0;  // the band or broadband sum
  int First = 0, Last = 0;
  std::vector<double> Weight;  // per band of the sum
};

// The loudest and the quietest of some powers above FloorPower, and where they are.
struct Extremes {
  double Low = None, High = 0.0;
  std::size_t Quietest = 0, Loudest = 0;

  explicit Extremes(std::span<const double> power) {
    for (std::size_t i = 0; i < power.size(); ++i) {
      if (!(power[i] > FloorPower)) continue;
      if (power[i] < Low) Low = power[i], Quietest = i;
      if (power[i] > High) High = power[i], Loudest = i;
    }
  }
  bool Found() const { return High > 0.0; }
  double Spread() const { return Found() ? PowerDecibels(High / Low) : None; }
};

// One thread's sums: for each box hung so far, the complex pressure of it and every box
// above it at every point, band by band. Hanging box b adds its share to the sums through
// box b - 1, so designs that share their upper boxes share that work. With a prediction
// option on, OptionSums holds them, in the same way.
class Evaluator {
 public:
  Evaluator(const LevelEngine& engine, const JudgedPoints& points, const SplaySearch& search)
      : engine_(engine),
        points_(points),
        goal_(search.Goal),
        bands_(search.Band),
        options_(engine, bands_.First, bands_.Last) {
    count_ = points.At.size();
    plane_ = count_ * bands_.Weight.size();
    if (engine.OptionsOn())
      options_.SetPoints(points.At);
    else
      sums_.assign(2 * MaxBoxes * plane_, 0.0);
    power_.resize(count_);
    level_.resize(count_);
  }

  void Hang(int box, const BoxGeometry& geometry) {
    if (count_ == 0) return;  // no point to sum at
    if (engine_.OptionsOn()) {
      options_.Hang(box, box, LevelEngine::Place(geometry));
      return;
    }
    double* re = &sums_[2 * box * plane_];
    double* im = re + plane_;
    if (box == 0)
      std::fill(re, re + 2 * plane_, 0.0);
    else
      std::copy_n(re - 2 * plane_, 2 * plane_, re);
    engine_.AddPressures(box, LevelEngine::Place(geometry), bands_.First, bands_.Last, points_.At,
                         re, im, count_);
  }

  // Whether the last box's two ways of hanging can be summed at once (HangTwins).
  bool HangsTwins() const { return count_ > 0 && engine_.OptionsOn(); }
  // The last box hung as `geometry` at `box`, and its twin as `twin` below the same boxes;
  // the twin's sums are those through TwinBox(). Only where HangsTwins().
  void HangTwins(int box, const BoxGeometry& geometry, const BoxGeometry& twin) {
    options_.HangTwins(box, box, LevelEngine::Place(geometry), LevelEngine::Place(twin));
  }
  int TwinBox() const { return options_.Twin(); }

  // A whole design placed so, its boxes added one after another straight into the sums
  // through its last box: the same sums as Hang gives box by box.
  void HangDesign(std::span<const LevelEngine::Placement> placed) {
    if (count_ == 0 || placed.empty()) return;
    if (engine_.OptionsOn()) {
      options_.HangDesign(placed);
      return;
    }
    double* re = &sums_[2 * (placed.size() - 1) * plane_];
    double* im = re + plane_;
    std::fill(re, re + 2 * plane_, 0.0);
    for (std::size_t b = 0; b < placed.size(); ++b)
      engine_.AddPressures(int(b), placed[b], bands_.First, bands_.Last, points_.At, re, im,
                           count_);
  }

  // The spread through box `last` from the powers alone: no logarithm per point. Keeps
  // where the loudest and the quietest point are (Extremes).
  double QuickSpread(int last) {
    Powers(last);
    extremes_ = Extremes(power_);
    return extremes_.Spread();
  }
  const Extremes& LastExtremes() const { return extremes_; }

  Evenness Measure(int last) {
    Powers(last);
    Decibels(power_.data(), level_.data(), count_);
    Evenness e;
    double low = None, high = -None, sum = 0.0, square = 0.0;
    double fallLow = None, fallHigh = -None, fallSum = 0.0, fallSquare = 0.0;
    for (std::size_t i = 0; i < count_; ++i) {
      // The same points as QuickSpread's, so that it never rules out a better design.
      if (!(power_[i] > FloorPower)) continue;
      const double level = level_[i];
      const double aside = level + points_.Fall[i];
      ++e.Points;
      low = std::min(low, level), high = std::max(high, level);
      sum += level, square += level * level;
      fallLow = std::min(fallLow, aside), fallHigh = std::max(fallHigh, aside);
      fallSum += aside, fallSquare += aside * aside;
    }
    if (e.Points == 0) return e;
    const double n = e.Points;
    e.Spread = high - low;
    e.Mean = sum / n;
    e.Deviation = std::sqrt(std::max(0.0, square / n - (sum / n) * (sum / n)));
    e.FallSpread = fallHigh - fallLow;
    e.FallError = std::sqrt(std::max(0.0, fallSquare / n - (fallSum / n) * (fallSum / n)));
    return e;
  }

  // Every box of a design, hung as `laidOut` has them.
  Evenness Measure(const ProjectData& project, const Graphics& laidOut) {
    std::vector<LevelEngine::Placement> placed;
    for (int b = 0; b < BoxesInUse(project); ++b)
      placed.push_back(LevelEngine::Place(laidOut.BoxGeom[b]));
    HangDesign(placed);
    Evenness e = Measure(BoxesInUse(project) - 1);
    for (int b = 0; b < BoxesInUse(project); ++b)
      e.RaysOnAreas += laidOut.BoxGeom[b].AimedArea != 0;
    return e;
  }

  SplayGoal Goal() const { return goal_; }
  const LevelEngine& Engine() const { return engine_; }
  const Bands& SummedBands() const { return bands_; }

 private:
  // Each point's power through box `last`.
  void Powers(int last) {
    if (count_ == 0) return;
    if (engine_.OptionsOn()) {
      options_.EntryPowers(bands_.Entry, last, power_.data());
      return;
    }
    const double* re = &sums_[2 * last * plane_];
    bands_.Powers(re, re + plane_, count_, power_.data());
  }

  const LevelEngine& engine_;
  const JudgedPoints& points_;
  SplayGoal goal_;
  Bands bands_;
  std::size_t count_ = 0, plane_ = 0;
  std::vector<double> sums_;  // [box][re, im][band][point]
  OptionSums options_;        // in their stead with a prediction option on
  std::vector<double> power_, level_;
  Extremes extremes_{{}};
};

// A few area points that decided earlier designs of one thread: the loudest and the
// quietest of each design summed at every point. The spread over every point is at least
// that over some of them, so a design whose spread over these alone already loses to the
// best so far loses without its other points, as QuickSpread would have it.
class Probe {
 public:
  static constexpr std::size_t Size = 8;

  Probe(const Evaluator& evaluator, const JudgedPoints& points)
      : engine_(evaluator.Engine()),
        bands_(evaluator.SummedBands()),
        points_(points),
        options_(engine_, bands_.First, bands_.Last) {
    sums_.resize(2 * Size * bands_.Weight.size());
    power_.resize(Size);
  }

  // Whether the design placed so is over the probe's points alone wider than `best`
  // allows. The engine sums a point alike in any query, so these are the powers the sums at
  // every point hold; the further Tie keeps a last-bit difference from ever ruling.
  bool RulesOut(std::span<const LevelEngine::Placement> placed, double best) {
    const std::size_t count = at_.size();
    if (count == 0 || !(best < None)) return false;
    if (engine_.OptionsOn()) {
      options_.SetPoints(at_);
      options_.HangDesign(placed);
      options_.EntryPowers(bands_.Entry, int(placed.size()) - 1, power_.data());
    } else {
      double* re = sums_.data();
      double* im = re + count * bands_.Weight.size();
      std::fill(re, im + count * bands_.Weight.size(), 0.0);
      for (std::size_t b = 0; b < placed.size(); ++b)
        engine_.AddPressures(int(b), placed[b], bands_.First, bands_.Last, at_, re, im, count);
      bands_.Powers(re, im, count, power_.data());
    }
    const Extremes e({power_.data(), count});
    return e.Found() && e.Spread() > best + HalfHundredth + 2 * Tie;
  }

  // Takes the points that decided a design summed at every point.
  void Learn(const Extremes& e) {
    if (!e.Found()) return;
    for (const std::size_t i : {e.Loudest, e.Quietest}) {
      if (std::find(index_.begin(), index_.end(), i) != index_.end()) continue;
      if (index_.size() < Size) {
        index_.push_back(i), at_.push_back(points_.At[i]);
      } else {
        index_[oldest_] = i, at_[oldest_] = points_.At[i];
        oldest_ = (oldest_ + 1) % Size;
      }
    }
  }

 private:
  const LevelEngine& engine_;
  const Bands& bands_;
  const JudgedPoints& points_;
  std::vector<std::size_t> index_;  // of the points in points_.At
  std::vector<PlaneVector> at_;
  std::size_t oldest_ = 0;     // the one to replace next once all Size are taken
  std::vector<double> sums_;   // [re, im][band][probe point]
  OptionSums options_;         // in their stead with a prediction option on
  std::vector<double> power_;  // per probe point
};

// A design's place in the ranking: its spread (or fit) in hundredths of a dB, then the
// higher mean level, then the smaller deviation; the lower index wins a full tie, so the
// answer does not depend on which thread got there first.
struct Candidate {
  double Primary = None, Mean = -None, Secondary = None;
  long long Index = -1;
};

bool Better(const Candidate& a, const Candidate& b) {
  if (a.Primary != b.Primary) return a.Primary < b.Primary;
  if (a.Mean != b.Mean) return a.Mean > b.Mean;
  if (a.Secondary != b.Secondary) return a.Secondary < b.Secondary;
  return a.Index < b.Index;
}

// The best design that keeps the sound on the audience, and the best of all.
struct Leaders {
  Candidate Kept, All;
  // The ranked spread a design must reach to matter: a design off the audience can only
  // lead all designs.
  double ToBeat(bool kept) const { return (kept ? Kept : All).Primary; }
  void Take(const Leaders& other) {
    if (Better(other.Kept, Kept)) Kept = other.Kept;
    if (Better(other.All, All)) All = other.All;
  }
};

// Ranks the design whose boxes are hung through `last`; `kept` says whether it keeps the
// sound on the audience.
void Consider(Evaluator& evaluator, int last, long long index, bool kept, Leaders& best) {
  const bool even = evaluator.Goal() == SplayGoal::EvenLevel;
  // Most designs lose on their spread alone.
  if (even && !(evaluator.QuickSpread(last) <= best.ToBeat(kept) + HalfHundredth + Tie)) return;
  const Evenness e = evaluator.Measure(last);
  if (e.Points == 0) return;
  const Candidate c = even ? Candidate{Hundredths(e.Spread), e.Mean, e.Deviation, index}
                           : Candidate{Hundredths(e.FallError), e.Mean, e.FallSpread, index};
  if (kept && Better(c, best.Kept)) best.Kept = c;
  if (Better(c, best.All)) best.All = c;
}

// What every thread reads.
struct Search {
  ProjectData Base;
  const Graphics& Scene;
  std::vector<Hanging> Hangings;
  std::vector<bool> Twin;  // per hanging (Twins)
  int Boxes = 0, Joints = 0, FixedJoints = 0;
  bool Automatic = false;
  bool KeepOnAudience = false;
};

// Hangings that place every box as one ranked before them does: the same pin offset and
// inclination (with the inclination worked out from the pin, pin 1 in either mounting).
// Each of their designs ties with that one's, which wins the tie, so they are not tried.
std::vector<bool> Twins(const ProjectData& base, const std::vector<Hanging>& hangings) {
  std::vector<std::pair<float, float>> placing;
  for (const Hanging& h : hangings)
    placing.push_back({PinOffset(Design(base, h, 0)), h.Inclination});
  std::vector<bool> twin;
  for (auto at = placing.begin(); at != placing.end(); ++at)
    twin.push_back(std::find(placing.begin(), at, *at) != at);
  return twin;
}

// One thread's share of a search: its sums, its probe, the best of its designs, and how
// many it summed at every point or ruled out at the probe's.
struct Worker {
  Worker(const LevelEngine& engine, const JudgedPoints& points, const SplaySearch& search)
      : Sums(engine, points, search), Points(Sums, points) {}

  Evaluator Sums;
  Probe Points;
  Leaders Best;
  std::vector<LevelEngine::Placement> Placed;  // the design being tried
  long long Summed = 0, RuledOut = 0;
};

// The designs of one hanging whose first FixedJoints joints are splayed as `fixed` says.
class Task {
 public:
  Task(const Search& search, Worker& worker, int hanging, unsigned fixed)
      : s_(search), w_(worker), hanging_(hanging), fixed_(fixed) {}

  void Run() {
    if (s_.Twin[std::size_t(hanging_)]) return;
    const long long first = static_cast<long long>(hanging_) << s_.Joints;
    if (s_.Automatic) {
      TryEach(first);
      return;
    }
    // A box hangs from the ones above it alone: each prefix of splays is hung once.
    p_ = Design(s_.Base, s_.Hangings[hanging_], fixed_);
    g_ = s_.Scene;
    BoxShape shape = HangFlybar(p_, g_);
    HangBox(p_, g_, 0, 0.0f, shape);
    // The top box hangs the same whatever the splays below it.
    kept_ = !s_.KeepOnAudience || AimsAtAudience(p_, g_);
    w_.Sums.Hang(0, g_.BoxGeom[0]);
    Descend(1, shape, 0, first);
  }

 private:
  void Descend(int box, const BoxShape& shape, unsigned splays, long long first) {
    if (box == s_.Boxes) {
      Consider(w_.Sums, box - 1, first + splays, kept_, w_.Best);
      ++w_.Summed;
      return;
    }
    const int joint = box - 1;
    if (box + 1 == s_.Boxes && joint >= s_.FixedJoints && w_.Sums.HangsTwins()) {
      HangLastTwins(box, shape, splays, first);
      return;
    }
    for (unsigned splayed = 0; splayed < 2; ++splayed) {
      if (joint < s_.FixedJoints && splayed != (fixed_ >> joint & 1)) continue;
      BoxShape below = shape;
      HangBox(p_, g_, box, splayed ? 5.0f : 0.0f, below);
      w_.Sums.Hang(box, g_.BoxGeom[box]);
      Descend(box + 1, below, splays | splayed << joint, first);
    }
  }

  // The last box straight and splayed, both below the same boxes in one pass over them.
  void HangLastTwins(int box, const BoxShape& shape, unsigned splays, long long first) {
    const int joint = box - 1;
    BoxShape below = shape;
    HangBox(p_, g_, box, 0.0f, below);
    const BoxGeometry straight = g_.BoxGeom[box];
    below = shape;
    HangBox(p_, g_, box, 5.0f, below);
    w_.Sums.HangTwins(box, straight, g_.BoxGeom[box]);
    Consider(w_.Sums, box, first + splays, kept_, w_.Best);
    Consider(w_.Sums, w_.Sums.TwinBox(), first + (splays | 1u << joint), kept_, w_.Best);
    w_.Summed += 2;
  }

  // The inclination follows every joint, so that no two splay sets of a hanging share
  // one but by chance: each design is hung in full. For an even level it is first summed
  // at the probe's few points, where most designs already lose.
  void TryEach(long long first) {
    const bool even = w_.Sums.Goal() == SplayGoal::EvenLevel;
    for (unsigned rest = 0; rest < 1u << (s_.Joints - s_.FixedJoints); ++rest) {
      const unsigned splays = fixed_ | rest << s_.FixedJoints;
      ProjectData p = Design(s_.Base, s_.Hangings[hanging_], splays);
      Graphics g = s_.Scene;
      ComputeArrayGeometry(p, g);
      w_.Placed.clear();
      for (int b = 0; b < s_.Boxes; ++b) w_.Placed.push_back(LevelEngine::Place(g.BoxGeom[b]));
      const bool kept = !s_.KeepOnAudience || AimsAtAudience(p, g);
      if (even && w_.Points.RulesOut(w_.Placed, w_.Best.ToBeat(kept))) {
        ++w_.RuledOut;
        continue;
      }
      w_.Sums.HangDesign(w_.Placed);
      Consider(w_.Sums, s_.Boxes - 1, first + splays, kept, w_.Best);
      ++w_.Summed;
      if (even) w_.Points.Learn(w_.Sums.LastExtremes());
    }
  }

  const Search& s_;
  Worker& w_;
  int hanging_;
  unsigned fixed_;
  ProjectData p_;
  Graphics g_;
  bool kept_ = true;  // the hanging's top box keeps the sound on the audience
};

// Shares the tasks of the search out between search.Threads threads; gives the best
// designs and adds the designs decided and how they went into `result`.
Leaders RunTasks(const Search& s, const LevelEngine& engine, const JudgedPoints& points,
                 const SplaySearch& search, std::stop_token stop, std::atomic<long long>* done,
                 SplayResult& result) {
  const int tasks = int(s.Hangings.size()) << s.FixedJoints;
  const long long perTask = 1LL << (s.Joints - s.FixedJoints);
  std::atomic<int> next{0};
  std::atomic<long long> finished{0};
  std::mutex merging;
  Leaders best;
  const auto work = [&] {
    Worker worker(engine, points, search);
    for (int t = next++; t < tasks && !stop.stop_requested(); t = next++) {
      Task(s, worker, t >> s.FixedJoints, unsigned(t) & ((1u << s.FixedJoints) - 1)).Run();
      finished += perTask;
      if (done != nullptr) *done += perTask;
    }
    const std::lock_guard lock(merging);
    best.Take(worker.Best);
    result.Summed += worker.Summed, result.RuledOut += worker.RuledOut;
  };
  const int threads =
      search.Threads > 0 ? search.Threads : std::max(1, int(std::thread::hardware_concurrency()));
  {
    std::vector<std::jthread> helpers;
    for (int t = 1; t < threads; ++t) helpers.emplace_back(work);
    work();
  }
  result.Designs = finished;
  return best;
}

// The project hung in the scene, with its automatic inclination worked out.
ProjectData LayOut(const ProjectData& project, const Graphics& scene, Graphics& laidOut) {
  ProjectData p = project;
  laidOut = scene;
  ComputeArrayGeometry(p, laidOut);
  return p;
}

// What a search starts from: the design as it hangs, an engine with its boxes'
// attenuations and the module data (the boxes' places come from each design tried), and
// the points of its areas.
struct Start {
  Start(const ProjectData& project, const Graphics& scene, const Constants& constants,
        const SplaySearch& search)
      : Current(LayOut(project, scene, LaidOut)),
        Engine(Current, LaidOut, constants),
        Points(CollectPoints(Current, LaidOut, search)) {}

  Graphics LaidOut;
  ProjectData Current;
  LevelEngine Engine;
  JudgedPoints Points;
};

}  // namespace

long long SplayDesignCount(const ProjectData& project, const SplaySearch& search) {
  return static_cast<long long>(Hangings(project, search).size()) << JointsInUse(project);
}

Evenness MeasureDesign(const ProjectData& project, const Graphics& scene,
                       const Constants& constants, const SplaySearch& search) {
  const Start start(project, scene, constants, search);
  return Evaluator(start.Engine, start.Points, search).Measure(start.Current, start.LaidOut);
}

SplayResult OptimiseSplay(const ProjectData& project, const Graphics& scene,
                          const Constants& constants, const SplaySearch& search,
                          std::stop_token stop, std::atomic<long long>* done) {
  const Start start(project, scene, constants, search);
  const LevelEngine& engine = start.Engine;
  const JudgedPoints& points = start.Points;
  SplayResult result;
  result.Best = project;
  result.Current = start.Current;
  // A design without an area point that has a level has nothing to even out: refused
  // before a single design is tried.
  if (points.At.empty()) return result;
  result.CurrentScore = Evaluator(engine, points, search).Measure(start.Current, start.LaidOut);
  if (result.CurrentScore.Points == 0) return result;
  Search s{project,
           scene,
           Hangings(project, search),
           {},
           BoxesInUse(project),
           JointsInUse(project),
           0,
           project.AutomaticInclCalc == 1,
           search.KeepOnAudience};
  s.Twin = Twins(project, s.Hangings);
  s.FixedJoints = std::min(TaskJoints, s.Joints);
  const Leaders best = RunTasks(s, engine, points, search, stop, done, result);
  if (stop.stop_requested()) {
    result.Cancelled = true;
    return result;
  }
  if (best.All.Index < 0) return result;
  const auto layOut = [&](const Candidate& c, ProjectData& design, Evenness& score) {
    const Hanging& hanging = s.Hangings[std::size_t(c.Index >> s.Joints)];
    const unsigned splays = unsigned(c.Index & ((1LL << s.Joints) - 1));
    Graphics laidOut;
    design = LayOut(Design(project, hanging, splays), scene, laidOut);
    score = Evaluator(engine, points, search).Measure(design, laidOut);
  };
  layOut(best.All, result.Unconstrained, result.UnconstrainedScore);
  result.BestOnAudience = best.Kept.Index >= 0;
  if (result.BestOnAudience)
    layOut(best.Kept, result.Best, result.BestScore);
  else
    result.Best = result.Unconstrained, result.BestScore = result.UnconstrainedScore;
  result.Found = true;
  return result;
}

}  // namespace tarnwick
