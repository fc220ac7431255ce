// The level engine against tools/make_expected.py's tables and a plain complex sum.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <map>
#include <numbers>
#include <random>
#include <span>
#include <vector>

#include "acoustics/LevelGrid.h"
#include "acoustics/PlainSum.h"
#include "geometry/ArrayGeometry.h"
#include "model/ProjectData.h"
#include "model/ProjectRules.h"
#include "support/DataTable.h"

using namespace tarnwick;

namespace {

constexpr std::pair<LevelEngine::Arithmetic, const char*> Arithmetics[] = {
    {LevelEngine::Arithmetic::Fastest, "fastest"}, {LevelEngine::Arithmetic::Portable, "portable"}};

// `distance` metres from a box's source, `degrees` from straight down towards +X, as singles.
PlaneVector Towards(const BoxGeometry& box, double degrees, double distance) {
  const double radians = degrees * std::numbers::pi / 180;
  return {float(box.Source.X + distance * std::sin(radians)),
          float(box.Source.Y - distance * std::cos(radians))};
}

// The designs of a table from tools/make_expected.py, each with its points under the
// options they hold for (average, interpolate, air as 0/1 digits; "000" in level_engine.csv):
// "air" rows give the atmosphere, "box" rows each box as the engine is handed it (source,
// ray, attenuation), "point" rows x, y, the entry, its level and the tolerance (dB).
struct Tabled : Hung {
  std::map<std::string, std::vector<std::array<double, 5>>> points;
};

std::map<int, Tabled> ReadDesigns(const std::string& name) {
  std::map<int, Tabled> designs;
  ForEachRow(name, [&](std::istream& row) {
    int design = 0;
    std::string kind, word;
    double x, y, a, b, c;
    row >> design >> kind >> word >> x >> y >> a >> b >> c;
    Tabled& t = designs[design];
    PredictionOptions& o = t.project.Prediction;
    if (kind == "air") return void(o = {false, false, false, float(a), float(b), float(c)});
    if (kind == "point")
      return t.points[name == "level_models.csv" ? word : "000"].push_back({x, y, a, b, c});
    const int index = std::stoi(word);
    t.project.BoxesAmount = index + 1;
    t.project.BoxAttenuation[index] = float(c);
    t.graphics.BoxGeom[index].Source = {float(x), float(y)};
    t.graphics.BoxGeom[index].Ray = {float(a), float(b)};
  });
  return designs;
}

}  // namespace

TEST(LevelEngine, givesAPointTheSameLevelInAnyQuery) {
  // The map's rows and a single listener point must agree to the last bit, whichever lanes
  // the point shares with others; on a box's source no level is defined, in any of them.
  std::mt19937 random(11);
  Hung d(RandomProject(random));
  for (const bool options : {false, true})
    for (const auto& [arithmetic, name] : Arithmetics) {
      d.project.Prediction.Average = d.project.Prediction.Interpolate = options;
      SCOPED_TRACE(std::string(options ? "averaged and interpolated, " : "plain, ") + name);
      const LevelEngine engine(d.project, d.graphics, ModuleData(), arithmetic);
      std::vector<PlaneVector> row;
      for (int i = 0; i < 403; ++i)
        row.push_back({-2.0f + d.graphics.SceneWidth * float(i) / 400, d.graphics.SceneHeight / 3});
      row[200] = d.graphics.BoxGeom[1].Source;
      for (const int entry : {3, int(BroadbandChoice), int(BroadbandAChoice)}) {
        std::vector<float> levels(row.size()), shifted(row.size() - 1);
        engine.Levels(entry, row, levels);
        engine.Levels(entry, std::span(row).subspan(1), shifted);
        ASSERT_EQ(levels[200], SPLFloor) << entry;
        ASSERT_TRUE(std::ranges::equal(shifted, std::span(levels).subspan(1))) << entry;
        for (std::size_t i = 0; i < row.size(); ++i) {
          ASSERT_EQ(levels[i], engine.Level(entry, row[i])) << entry << " point " << i;
          if (entry >= BroadbandChoice) {
            ASSERT_EQ(levels[i], engine.Spectrum(row[i])[entry]) << entry << " point " << i;
          }
        }
      }
    }
}

TEST(LevelEngine, squaresTheOctavesWithinTheRoundingOfEachBandsOwnSineAndCosine) {
  // Each box's pressure the plain way, std::polar(A / r, k r + phase) in every band, and the
  // boxes' incoherent power I. Wherever a level lies within 40 dB of I the engine's (three
  // bands' sines and cosines, the others squared) agrees within 1e-9 dB, as far as a float
  // shows it; elsewhere its pressure within |dp|^2 <= 1e-12 I. At random points, and for some
  // designs on the edges between directivity entries and a hair to either side, seen from
  // every box, where either arithmetic must pick the entries the plain sum picks.
  auto near = [](double power, double exact, double sum, double rounding) {
    if (exact >= 1e-4 * sum) return std::abs(10 * std::log10(power / exact)) <= 1e-9 + rounding;
    return std::abs(power - exact) <=
           2e-6 * std::sqrt(exact * sum) + 1e-12 * sum + power * rounding;
  };
  std::mt19937 random(24);
  for (int design = 0; design < 16; ++design) {
    const Hung d(RandomProject(random));
    std::uniform_real_distribution<float> x(-2.0f, d.graphics.SceneWidth),
        y(0.0f, d.graphics.SceneHeight);
    std::vector<PlaneVector> at(40);
    for (PlaneVector& point : at) point = {x(random), y(random)};
    for (int b = 0; design < 6 && b < d.project.BoxesAmount; ++b) {
      const BoxGeometry& box = d.graphics.BoxGeom[b];
      const double aim = AngleFromDown(box.Ray);
      for (int edge = 0; edge <= DirectivityAngleCount; ++edge)
        for (const double hair : {-1e-4, -1e-5, 0.0, 1e-5, 1e-4})
          for (const double distance : {0.7, 3.0, 11.0})
            at.push_back(Towards(box, aim + 5.0 * (edge - OnAxisIndex) - 2.5 + hair, distance));
      at.push_back(Towards(box, aim + 180.0, 2.0));  // the back, where the angle wraps
    }
    std::vector<std::array<std::complex<double>, BandCount>> p(at.size());
    std::vector<std::array<double, BandChoiceCount>> power(at.size()), sum(at.size());
    for (std::size_t i = 0; i < at.size(); ++i) {
      for (int band = 0; band < BandCount; ++band) {
        std::tie(p[i][band], sum[i][band]) = PlainPressure(d.project, d.graphics, band, at[i]);
        power[i][band] = std::norm(p[i][band]);
      }
      for (const int entry : {BroadbandChoice, BroadbandAChoice})
        power[i][entry] = BroadbandPower(entry, power[i].data()),
        sum[i][entry] = BroadbandPower(entry, sum[i].data());
    }
    for (const auto& [arithmetic, name] : Arithmetics) {
      SCOPED_TRACE(name);
      const LevelEngine engine(d.project, d.graphics, ModuleData(), arithmetic);
      std::vector<std::vector<float>> levels(BandChoiceCount, std::vector<float>(at.size()));
      for (int entry = 0; entry < BandChoiceCount; ++entry) engine.Levels(entry, at, levels[entry]);
      for (std::size_t i = 0; i < at.size(); ++i) {
        const auto spectrum = engine.Spectrum(at[i]);
        for (int entry = 0; entry < BandChoiceCount; ++entry)
          for (const float dB : {levels[entry][i], spectrum[entry]})
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

TEST(LevelEngine, matchesTheReferenceTablesWithEveryCombinationOfOptions) {
  // Without options all over the section (level_engine.csv): the engine rounds only the
  // level to a float, at most 7.6e-6 dB below 256 dB; every tabled level lies within 40 dB
  // of the boxes' power sum, where the sums' own rounding stays below 1e-8 dB; the table's
  // tolerance, 2e-5 dB, covers both. With every combination (level_models.csv): 0.01 dB.
  for (const auto& [name, combinations] :
       {std::pair{"level_engine.csv", 1u}, {"level_models.csv", 7u}}) {
    std::map<int, Tabled> designs = ReadDesigns(name);
    ASSERT_EQ(designs.size(), 2u) << name;
    for (auto& [design, t] : designs) {
      ASSERT_EQ(t.points.size(), combinations) << name;
      for (const auto& [flags, points] : t.points)
        for (const auto& [arithmetic, how] : Arithmetics) {
          PredictionOptions& o = t.project.Prediction;
          o.Average = flags[0] == '1', o.Interpolate = flags[1] == '1', o.Air = flags[2] == '1';
          const LevelEngine engine(t.project, t.graphics, ModuleData(), arithmetic);
          ASSERT_GT(points.size(), 200u);
          for (const auto& [x, y, entry, level, tolerance] : points) {
            const PlaneVector at{float(x), float(y)};
            const auto spectrum = engine.Spectrum(at);
            ASSERT_NEAR(engine.Level(int(entry), at), level, tolerance)
                << name << " " << design << " " << flags << " " << how << " entry " << entry
                << " at " << x << ", " << y;
            ASSERT_EQ(spectrum[int(entry)], engine.Level(int(entry), at)) << flags << " " << entry;
            double power = 0.0;  // the broadband sums weigh the bands as without options
            for (int b = 0; b < BandCount; ++b)
              power += std::pow(10.0, (spectrum[b] + BandWeightDecibels(BroadbandAChoice, b)) / 10);
            ASSERT_NEAR(spectrum[BroadbandAChoice], 10 * std::log10(power), 1e-3) << flags;
            ASSERT_EQ(spectrum[BroadbandAChoice], engine.Level(BroadbandAChoice, at)) << flags;
          }
        }
    }
  }
}

// (Averaged levels of many boxes: the reference tables, integrated independently.)
TEST(LevelEngine, averagesOneBoxToItsCentreLevelAndFillsTheDefaultDesignsDips) {
  // One box has no pairs to average: its centre frequency's level, to the float's rounding.
  std::mt19937 random(3);
  Hung one(RandomProject(random));
  one.project.BoxesAmount = 1;
  std::vector<PlaneVector> at;
  for (double a = -180; a < 180; a += 7.3)
    at.push_back(Towards(one.graphics.BoxGeom[0], a, 5 + a / 40));
  for (const bool interpolate : {false, true}) {
    one.project.Prediction = {false, interpolate};
    const LevelEngine centre(one.project, one.graphics, ModuleData());
    one.project.Prediction.Average = true;
    const LevelEngine averaged(one.project, one.graphics, ModuleData());
    for (int band = 0; band < BandCount; ++band)
      for (const PlaneVector& p : at) {
        const float level = centre.Level(band, p);
        ASSERT_NEAR(averaged.Level(band, p), level, 1e-9 + std::abs(level) * 0x1p-23) << band;
      }
  }
  // The default design along area 1 at 4 kHz (band 16): the single tone's spread of 33.3 dB,
  // which the band's average fills to 15.6 dB.
  for (const auto& [average, spread] : {std::pair{false, 33.3}, {true, 15.6}}) {
    Hung d;
    d.project.Prediction.Average = average;
    const auto areas =
        AreaLevels(LevelEngine(d.project, d.graphics, ModuleData()), 16, d.project, d.graphics);
    const auto [low, high] = std::ranges::minmax(areas[0], {}, &SPLPoint::SPL);
    EXPECT_NEAR(high.SPL - low.SPL, spread, 0.1) << average;
  }
}

TEST(LevelEngine, interpolatesToTheEntryAtEachEntrysOwnAngleAndHalfwayBetween) {
  const auto turn = [](double degrees) { return std::remainder(degrees, 360.0); };
  const DirectivityTable& table = ModuleData().Directivity;
  for (int band = 0; band < BandCount; ++band)
    for (int k = 0; k < DirectivityAngleCount; ++k) {
      const DirectivityPoint& entry = table(k, band);
      const DirectivityBlend at = BlendIndex(float(5 * (k - OnAxisIndex)));
      ASSERT_EQ(at.K + at.T, k) << k;
      const BlendedDirectivity got = Blend(table(at.K, band), table(at.K + 1, band), at.T);
      ASSERT_EQ(got.LevelDrop, entry.LevelDrop) << band << " " << k;
      ASSERT_EQ(turn(got.Phase - entry.Phase), 0.0) << band << " " << k;
      if (k == DirectivityAngleCount - 1) continue;
      const auto half = Blend(entry, table(k + 1, band), 0.5);
      ASSERT_DOUBLE_EQ(2 * half.LevelDrop, double(entry.LevelDrop) + table(k + 1, band).LevelDrop);
      const double arc = turn(double(table(k + 1, band).Phase) - entry.Phase);
      ASSERT_NEAR(turn(half.Phase - entry.Phase - (arc == -180.0 ? 180.0 : arc) / 2), 0.0, 1e-9);
    }
}
