#include "acoustics/SplayOptimiser.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <mutex>
#include <thread>
#include <vector>

#include "acoustics/LevelEngine.h"
#include "acoustics/LevelGrid.h"
#include "acoustics/simd/Simd.h"
#include "model/ProjectRules.h"

namespace tarnwick {

namespace {

constexpr float InclinationStep = 0.5f;  // degrees
// Joints fixed per task, so that the threads can share out even a single inclination.
constexpr int TaskJoints = 3;
// Spreads closer than this (dB) count as equal; the standard deviation decides.
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

// One thread's sums: for each box hung so far, the complex pressure of it and every box
// above it at every point, band by band. Hanging box b adds its share to the sums through
// box b - 1, so designs that share their upper boxes share that work.
class Evaluator {
 public:
  Evaluator(const LevelEngine& engine, const JudgedPoints& points, const SplaySearch& search)
      : engine_(engine), points_(points), goal_(search.Goal) {
    const bool broadband = search.Band == BroadbandChoice || search.Band == BroadbandAChoice;
    first_ = broadband ? 0 : search.Band;
    last_ = broadband ? BandCount - 1 : search.Band;
    for (int band = first_; band <= last_; ++band) weight_.push_back(BandWeight(search.Band, band));
    count_ = points.At.size();
    plane_ = count_ * weight_.size();
    sums_.assign(2 * MaxBoxes * plane_, 0.0);
    power_.resize(count_);
    level_.resize(count_);
  }

  void Hang(int box, const BoxGeometry& geometry) {
    if (count_ == 0) return;  // no point to sum at
    double* re = &sums_[2 * box * plane_];
    double* im = re + plane_;
    if (box == 0)
      std::fill(re, re + 2 * plane_, 0.0);
    else
      std::copy_n(re - 2 * plane_, 2 * plane_, re);
    engine_.AddPressures(box, LevelEngine::Place(geometry), first_, last_, points_.At, re, im,
                         count_);
  }

  // The spread through box `last` from the powers alone: no logarithm per point.
  double QuickSpread(int last) {
    Powers(last);
    double low = None, high = 0.0;
    for (const double p : power_)
      if (p > FloorPower) low = std::min(low, p), high = std::max(high, p);
    return high > 0.0 ? PowerDecibels(high / low) : None;
  }

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
    e.Deviation = std::sqrt(std::max(0.0, square / n - (sum / n) * (sum / n)));
    e.FallSpread = fallHigh - fallLow;
    e.FallError = std::sqrt(std::max(0.0, fallSquare / n - (fallSum / n) * (fallSum / n)));
    return e;
  }

  // Every box of a design, hung as `laidOut` has them.
  void HangAll(int boxes, const Graphics& laidOut) {
    for (int b = 0; b < boxes; ++b) Hang(b, laidOut.BoxGeom[b]);
  }
  Evenness Measure(const ProjectData& project, const Graphics& laidOut) {
    HangAll(BoxesInUse(project), laidOut);
    return Measure(BoxesInUse(project) - 1);
  }

  SplayGoal Goal() const { return goal_; }

 private:
  // Each point's power through box `last`, the bands added as BroadbandPower adds them,
  // band by band in order; NaN where a box defines none.
  void Powers(int last) {
    std::fill(power_.begin(), power_.end(), 0.0);
    if (count_ == 0) return;
    const double* re = &sums_[2 * last * plane_];
    const double* im = re + plane_;
    for (std::size_t band = 0; band < weight_.size(); ++band) {
      const double w = weight_[band];
      const double* r = re + band * count_;
      const double* m = im + band * count_;
      for (std::size_t i = 0; i < count_; ++i) power_[i] += w * (r[i] * r[i] + m[i] * m[i]);
    }
  }

  const LevelEngine& engine_;
  const JudgedPoints& points_;
  SplayGoal goal_;
  int first_ = 0, last_ = 0;
  std::vector<double> weight_;  // per band of the sum
  std::size_t count_ = 0, plane_ = 0;
  std::vector<double> sums_;  // [box][re, im][band][point]
  std::vector<double> power_, level_;
};

// A design's place in the ranking; the lower index wins a full tie, so the answer does not
// depend on which thread got there first.
struct Candidate {
  double Primary = None, Secondary = None;
  long long Index = -1;
};

bool Better(const Candidate& a, const Candidate& b) {
  if (a.Primary < b.Primary - Tie) return true;
  if (a.Primary > b.Primary + Tie) return false;
  if (a.Secondary != b.Secondary) return a.Secondary < b.Secondary;
  return a.Index < b.Index;
}

// Ranks the design whose boxes are hung through `last`.
void Consider(Evaluator& evaluator, int last, long long index, Candidate& best) {
  const bool even = evaluator.Goal() == SplayGoal::EvenLevel;
  // Most designs lose on their spread alone.
  if (even && !(evaluator.QuickSpread(last) <= best.Primary + Tie)) return;
  const Evenness e = evaluator.Measure(last);
  if (e.Points == 0) return;
  const Candidate c =
      even ? Candidate{e.Spread, e.Deviation, index} : Candidate{e.FallError, e.FallSpread, index};
  if (Better(c, best)) best = c;
}

// What every thread reads.
struct Search {
  ProjectData Base;
  const Graphics& Scene;
  std::vector<Hanging> Hangings;
  int Boxes = 0, Joints = 0, FixedJoints = 0;
  bool Automatic = false;
};

// The designs of one hanging whose first FixedJoints joints are splayed as `fixed` says.
class Task {
 public:
  Task(const Search& search, Evaluator& evaluator, Candidate& best, int hanging, unsigned fixed)
      : s_(search), evaluator_(evaluator), best_(best), hanging_(hanging), fixed_(fixed) {}

  void Run() {
    const long long first = static_cast<long long>(hanging_) << s_.Joints;
    if (s_.Automatic) {
      // The inclination follows every joint: each design is hung in full.
      for (unsigned rest = 0; rest < 1u << (s_.Joints - s_.FixedJoints); ++rest) {
        const unsigned splays = fixed_ | rest << s_.FixedJoints;
        ProjectData p = Design(s_.Base, s_.Hangings[hanging_], splays);
        Graphics g = s_.Scene;
        ComputeArrayGeometry(p, g);
        evaluator_.HangAll(s_.Boxes, g);
        Consider(evaluator_, s_.Boxes - 1, first + splays, best_);
      }
      return;
    }
    // A box hangs from the ones above it alone: each prefix of splays is hung once.
    p_ = Design(s_.Base, s_.Hangings[hanging_], fixed_);
    g_ = s_.Scene;
    BoxShape shape = HangFlybar(p_, g_);
    HangBox(p_, g_, 0, 0.0f, shape);
    evaluator_.Hang(0, g_.BoxGeom[0]);
    Descend(1, shape, 0, first);
  }

 private:
  void Descend(int box, const BoxShape& shape, unsigned splays, long long first) {
    if (box == s_.Boxes) {
      Consider(evaluator_, box - 1, first + splays, best_);
      return;
    }
    const int joint = box - 1;
    for (unsigned splayed = 0; splayed < 2; ++splayed) {
      if (joint < s_.FixedJoints && splayed != (fixed_ >> joint & 1)) continue;
      BoxShape below = shape;
      HangBox(p_, g_, box, splayed ? 5.0f : 0.0f, below);
      evaluator_.Hang(box, g_.BoxGeom[box]);
      Descend(box + 1, below, splays | splayed << joint, first);
    }
  }

  const Search& s_;
  Evaluator& evaluator_;
  Candidate& best_;
  int hanging_;
  unsigned fixed_;
  ProjectData p_;
  Graphics g_;
};

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
           BoxesInUse(project),
           JointsInUse(project),
           0,
           project.AutomaticInclCalc == 1};
  s.FixedJoints = std::min(TaskJoints, s.Joints);
  const int tasks = int(s.Hangings.size()) << s.FixedJoints;
  const long long perTask = 1LL << (s.Joints - s.FixedJoints);

  std::atomic<int> next{0};
  std::atomic<long long> finished{0};
  std::mutex merging;
  Candidate best;
  const auto work = [&] {
    Evaluator evaluator(engine, points, search);
    Candidate mine;
    for (int t = next++; t < tasks && !stop.stop_requested(); t = next++) {
      Task(s, evaluator, mine, t >> s.FixedJoints, unsigned(t) & ((1u << s.FixedJoints) - 1)).Run();
      finished += perTask;
      if (done != nullptr) *done += perTask;
    }
    const std::lock_guard lock(merging);
    if (Better(mine, best)) best = mine;
  };
  const int threads =
      search.Threads > 0 ? search.Threads : std::max(1, int(std::thread::hardware_concurrency()));
  {
    std::vector<std::jthread> helpers;
    for (int t = 1; t < threads; ++t) helpers.emplace_back(work);
    work();
  }
  result.Designs = finished;
  if (stop.stop_requested()) {
    result.Cancelled = true;
    return result;
  }
  if (best.Index < 0) return result;
  const Hanging& hanging = s.Hangings[std::size_t(best.Index >> s.Joints)];
  const unsigned splays = unsigned(best.Index & ((1LL << s.Joints) - 1));
  Graphics laidOut;
  result.Best = LayOut(Design(project, hanging, splays), scene, laidOut);
  result.BestScore = Evaluator(engine, points, search).Measure(result.Best, laidOut);
  result.Found = true;
  return result;
}

}  // namespace tarnwick
