// The level engine against tools/make_expected.py's table, a plain complex sum written here,
// and CalculateSPL.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <map>
#include <numbers>
#include <random>
#include <span>
#include <vector>

#include "acoustics/BandLevels.h"
#include "acoustics/LevelEngine.h"
#include "acoustics/PlainSum.h"
#include "acoustics/SplPrediction.h"
#include "geometry/ArrayGeometry.h"
#include "model/ProjectData.h"
#include "model/ProjectRules.h"
#include "support/DataTable.h"

using namespace tarnwick;

namespace {

struct Design {
  ProjectData project = MakeDefaultProject();
  Graphics graphics;
  Constants constants = ModuleData();

  // A random design: boxes, splays, pin, mounting, inclination, floor, areas, attenuations.
  explicit Design(std::mt19937& random) {
    auto pick = [&](int low, int high) { return std::uniform_int_distribution(low, high)(random); };
    ProjectData& p = project;
    p.BoxesAmount = pick(2, 12);
    for (float& splay : p.BoxAngle) splay = float(5 * pick(0, 1));
    for (float& attenuation : p.BoxAttenuation)
      attenuation = float(pick(0, 3) == 0 ? pick(0, 12) : 0);
    p.FlybarPin = pick(1, 9);
    p.FlybarMounting = pick(0, 1);
    p.AutomaticInclCalc = pick(0, 1);
    p.InclinationAngle = float(pick(-30, 30)) / 2;
    p.FloorDistance = float(pick(20, 120)) / 10;
    p.AreasAmount = pick(1, 3);
    ComputeScene(p, FirstWindowFrame, graphics);
  }
};

double PlainLevel(const Design& d, int band, PlaneVector point) {
  return 10 * std::log10(PlainPower(d.project, d.graphics, band, point));
}

constexpr LevelEngine::Arithmetic Arithmetics[] = {LevelEngine::Arithmetic::Fastest,
                                                   LevelEngine::Arithmetic::Portable};

const char* Name(LevelEngine::Arithmetic arithmetic) {
  return arithmetic == LevelEngine::Arithmetic::Fastest ? "fastest" : "portable";
}

// The point `distance` metres from a box's source in the direction `degrees` from straight
// down, positive towards +X, rounded to single precision.
PlaneVector Towards(const BoxGeometry& box, double degrees, double distance) {
  const double radians = degrees * std::numbers::pi / 180;
  return {float(box.Source.X + distance * std::sin(radians)),
          float(box.Source.Y - distance * std::cos(radians))};
}

}  // namespace

TEST(LevelEngine, matchesTheReferenceTableAllOverTheSection) {
  // tests/data/level_engine.csv: the boxes as the engine is handed them, then levels at
  // points in front of, above, below and behind them, worked out in double precision in
  // Python. The engine is double precision too and rounds only the level to a float, half
  // a unit in its last place: at most 7.6e-6 dB below 256 dB. Every kept level lies within
  // 40 dB of the boxes' power sum, where the sums' own rounding stays below 1e-8 dB; the
  // table's tolerance, 2e-5 dB, covers both.
  struct Table {
    ProjectData project = MakeDefaultProject();
    Graphics graphics;
    std::vector<std::array<double, 5>> points;  // x, y, entry, level, tolerance
  };
  std::map<int, Table> designs;
  ForEachRow("level_engine.csv", [&](std::istream& row) {
    int design = 0, index = 0;
    std::string kind;
    double x, y, a, b, c;
    row >> design >> kind >> index >> x >> y >> a >> b >> c;
    Table& t = designs[design];
    if (kind == "point") return t.points.push_back({x, y, a, b, c});
    t.project.BoxesAmount = index + 1;
    t.project.BoxAttenuation[index] = float(c);
    t.graphics.BoxGeom[index].Source = {float(x), float(y)};
    t.graphics.BoxGeom[index].Ray = {float(a), float(b)};
  });
  ASSERT_EQ(designs.size(), 2u);
  const Constants& constants = ModuleData();
  for (const auto& [design, t] : designs)
    for (const auto arithmetic : Arithmetics) {
      SCOPED_TRACE(Name(arithmetic));
      const LevelEngine engine(t.project, t.graphics, constants, arithmetic);
      ASSERT_GT(t.points.size(), 200u);
      for (const auto& [x, y, entry, level, tolerance] : t.points)
        ASSERT_NEAR(engine.Level(int(entry), {float(x), float(y)}), level, tolerance)
            << design << " entry " << entry << " at " << x << ", " << y;
    }
}

TEST(LevelEngine, agreesWithAPlainComplexSumAndWithTheAreaPrediction) {
  std::mt19937 random(2026);
  int compared = 0, nearCalculated = 0;
  for (int design = 0; design < 40; ++design) {
    const Design d(random);
    for (const auto arithmetic : Arithmetics) {
      SCOPED_TRACE(Name(arithmetic));
      const LevelEngine engine(d.project, d.graphics, d.constants, arithmetic);
      // Points all over the section, behind and above the array too.
      std::uniform_real_distribution<float> x(0.0f, d.graphics.SceneWidth),
          y(0.0f, d.graphics.SceneHeight);
      for (int i = 0; i < 60; ++i) {
        const PlaneVector point{x(random), y(random)};
        const int band = design % BandCount;
        const float level = engine.Level(band, point);
        if (level == SPLFloor) continue;
        ASSERT_NEAR(level, PlainLevel(d, band, point), 0.01)
            << design << " at " << point.X << ", " << point.Y;
        ++compared;
      }
      // Along the areas, CalculateSPL's single-precision levels within 0.2 dB wherever the
      // level is within 40 dB of the area's highest.
      for (int area = 1; area <= d.project.AreasAmount; ++area) {
        const int band = (design * 7 + area) % BandCount;
        std::vector<SPLPoint> points;
        ASSERT_TRUE(CalculateSPL(d.project, d.graphics, d.constants, area, band, points));
        std::vector<PlaneVector> at;
        for (const SPLPoint& p : points) at.push_back(p.Position);
        std::vector<float> levels(at.size());
        engine.Levels(band, at, levels);
        float highest = SPLFloor;
        for (const SPLPoint& p : points) highest = std::max(highest, p.SPL);
        for (std::size_t i = 0; i < points.size(); ++i)
          if (points[i].SPL > highest - 40) {
            ASSERT_NEAR(levels[i], points[i].SPL, 0.2)
                << design << " area " << area << " point " << i;
            ++nearCalculated;
          }
      }
    }
  }
  EXPECT_GT(compared, 2 * 2000);
  EXPECT_GT(nearCalculated, 2 * 3000);
}

TEST(LevelEngine, sumsTheBandsPowerForBroadbandAndGivesNoLevelOnASource) {
  std::mt19937 random(5);
  const Design d(random);
  for (const auto arithmetic : Arithmetics) {
    SCOPED_TRACE(Name(arithmetic));
    const LevelEngine engine(d.project, d.graphics, d.constants, arithmetic);
    const PlaneVector point{d.graphics.SceneWidth / 2, 1.0f};
    const auto spectrum = engine.Spectrum(point);
    double flat = 0, weighted = 0;
    for (int band = 0; band < BandCount; ++band) {
      EXPECT_NEAR(spectrum[band], PlainLevel(d, band, point), 0.01) << band;
      flat += std::pow(10.0, spectrum[band] / 10);
      weighted += std::pow(10.0, (spectrum[band] + AWeighting(BandCentreFrequency(band))) / 10);
    }
    EXPECT_NEAR(spectrum[BroadbandChoice], 10 * std::log10(flat), 1e-3);
    EXPECT_NEAR(spectrum[BroadbandAChoice], 10 * std::log10(weighted), 1e-3);
    EXPECT_EQ(engine.Level(BroadbandAChoice, point), spectrum[BroadbandAChoice]);
    EXPECT_EQ(engine.Level(BroadbandChoice, d.graphics.BoxGeom[1].Source), SPLFloor);
    EXPECT_EQ(engine.Spectrum(d.graphics.BoxGeom[1].Source)[BroadbandAChoice], SPLFloor);
  }
}

TEST(LevelEngine, picksTheSameEntriesEitherWayOnTheEdgesBetweenThem) {
  // Points on the boundaries between directivity entries, and a hair to either side, seen
  // from every box: where the two arithmetics picked different entries for one box the
  // levels would part by far more than their rounding (they differ by some 1e-9 dB, which
  // shows at most as a unit in the last place of a float, 8e-6 dB at 100 dB).
  std::mt19937 random(77);
  int compared = 0;
  for (int design = 0; design < 6; ++design) {
    const Design d(random);
    const LevelEngine fastest(d.project, d.graphics, d.constants),
        portable(d.project, d.graphics, d.constants, LevelEngine::Arithmetic::Portable);
    std::vector<PlaneVector> points;
    for (int b = 0; b < d.project.BoxesAmount; ++b) {
      const BoxGeometry& box = d.graphics.BoxGeom[b];
      const double aim = AngleFromDown(box.Ray);
      for (int edge = 0; edge <= DirectivityAngleCount; ++edge)
        for (const double hair : {-1e-4, -1e-5, 0.0, 1e-5, 1e-4})
          for (const double distance : {0.7, 3.0, 11.0})
            points.push_back(Towards(box, aim + 5.0 * (edge - OnAxisIndex) - 2.5 + hair, distance));
      points.push_back(Towards(box, aim + 180.0, 2.0));  // the back, where the angle wraps
    }
    for (const int entry : {design % BandCount, int(BroadbandChoice)}) {
      std::vector<float> fast(points.size()), exact(points.size());
      fastest.Levels(entry, points, fast);
      portable.Levels(entry, points, exact);
      for (std::size_t i = 0; i < points.size(); ++i) {
        ASSERT_NEAR(fast[i], exact[i], 1e-4)
            << design << " entry " << entry << " at " << points[i].X << ", " << points[i].Y;
        compared += fast[i] != SPLFloor;
      }
    }
  }
  EXPECT_GT(compared, 10000);
}

TEST(LevelEngine, givesAPointTheSameLevelInAnyQuery) {
  // The map's rows and a single listener point must agree to the last bit, whichever lanes
  // the point shares with others.
  std::mt19937 random(11);
  const Design d(random);
  const LevelEngine engine(d.project, d.graphics, d.constants);
  std::vector<PlaneVector> row;
  for (int i = 0; i < 403; ++i)
    row.push_back({-2.0f + d.graphics.SceneWidth * float(i) / 400, d.graphics.SceneHeight / 3});
  for (const int entry : {3, int(BroadbandChoice), int(BroadbandAChoice)}) {
    std::vector<float> levels(row.size()), shifted(row.size() - 1);
    engine.Levels(entry, row, levels);
    engine.Levels(entry, std::span(row).subspan(1), shifted);
    for (std::size_t i = 0; i < row.size(); ++i) {
      ASSERT_EQ(levels[i], engine.Level(entry, row[i])) << entry << " point " << i;
      if (i > 0) {
        ASSERT_EQ(levels[i], shifted[i - 1]) << entry << " point " << i;
      }
      if (entry >= BroadbandChoice) {
        ASSERT_EQ(levels[i], engine.Spectrum(row[i])[entry]) << entry << " point " << i;
      }
    }
  }
}

TEST(LevelEngine, squaresTheOctavesWithinTheRoundingOfEachBandsOwnSineAndCosine) {
  // Each box's pressure the plain way, std::polar(A / r, k r + phase) in every band, and the
  // boxes' incoherent power I. Wherever a level lies within 40 dB of I the engine's (three
  // bands' sines and cosines, the others squared) agrees within 1e-9 dB, as far as a float
  // shows it; elsewhere its pressure within |dp|^2 <= 1e-12 I.
  auto near = [](double power, double exact, double sum, double rounding) {
    if (exact >= 1e-4 * sum) return std::abs(10 * std::log10(power / exact)) <= 1e-9 + rounding;
    return std::abs(power - exact) <=
           2e-6 * std::sqrt(exact * sum) + 1e-12 * sum + power * rounding;
  };
  std::mt19937 random(24);
  for (int design = 0; design < 16; ++design) {
    const Design d(random);
    std::uniform_real_distribution<float> x(-2.0f, d.graphics.SceneWidth),
        y(0.0f, d.graphics.SceneHeight);
    std::vector<PlaneVector> at(40);
    std::vector<std::array<std::complex<double>, BandCount>> p(at.size());
    std::vector<std::array<double, BandChoiceCount>> power(at.size()), sum(at.size());
    for (std::size_t i = 0; i < at.size(); ++i) {
      at[i] = {x(random), y(random)};
      for (int b = 0; b < BoxesInUse(d.project); ++b) {
        const BoxGeometry& box = d.graphics.BoxGeom[b];
        const int k =
            OffAxisIndex(AddVectors(at[i], NegateVector(box.Source)), AngleFromDown(box.Ray));
        const double r = std::hypot(double(at[i].X) - box.Source.X, double(at[i].Y) - box.Source.Y);
        for (int band = 0; band < BandCount; ++band) {
          const DirectivityPoint& e = d.constants.Directivity(k, band);
          const double dB =
              double(d.constants.BandLevel[band]) - e.LevelDrop - d.project.BoxAttenuation[b];
          const auto one = std::polar(
              std::pow(10.0, dB / 20) / r,
              2 * Pi * BandCentreFrequency(band) / SpeedOfSound * r + e.Phase * (Pi / 180));
          p[i][band] += one, sum[i][band] += std::norm(one), power[i][band] = std::norm(p[i][band]);
        }
      }
      for (const int entry : {BroadbandChoice, BroadbandAChoice})
        power[i][entry] = BroadbandPower(entry, power[i].data()),
        sum[i][entry] = BroadbandPower(entry, sum[i].data());
    }
    for (const auto arithmetic : Arithmetics) {
      SCOPED_TRACE(Name(arithmetic));
      const LevelEngine engine(d.project, d.graphics, d.constants, arithmetic);
      std::vector<float> levels(at.size());
      for (int entry = 0; entry < BandChoiceCount; ++entry) {
        engine.Levels(entry, at, levels);
        for (std::size_t i = 0; i < at.size(); ++i)
          for (const float dB : {levels[i], engine.Spectrum(at[i])[entry]})
            ASSERT_TRUE(near(std::pow(10.0, dB / 10.0), power[i][entry], sum[i][entry],
                             std::abs(dB) * 0x1p-24))
                << design << " entry " << entry << " at " << at[i].X << ", " << at[i].Y << ": "
                << dB;
      }
      // AddPressures box by box: all bands, bands 4 ... 11, and one band.
      const std::size_t n = at.size();
      for (const auto& [first, last] : {std::pair{0, 20}, {4, 11}, {design, design}}) {
        std::vector<double> re(BandCount * n), im(BandCount * n);
        for (int b = 0; b < BoxesInUse(d.project); ++b)
          engine.AddPressures(b, LevelEngine::Place(d.graphics.BoxGeom[b]), first, last, at,
                              re.data(), im.data(), n);
        for (std::size_t i = 0; i < (last - first + 1) * n; ++i) {
          const std::complex<double> q(re[i], im[i]), exact = p[i % n][first + i / n];
          const double incoherent = sum[i % n][first + i / n];
          ASSERT_TRUE(near(std::norm(q), std::norm(exact), incoherent, 0.0) &&
                      std::norm(q - exact) <= 1e-12 * incoherent)
              << design << " band " << first + i / n << " at " << at[i % n].X << ", "
              << at[i % n].Y;
        }
      }
    }
  }
}
