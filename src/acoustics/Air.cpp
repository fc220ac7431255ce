#include "acoustics/Air.h"

#include <cmath>

namespace tarnwick {

double SpeedOfSoundInAir(double celsius) { return 331.3 * std::sqrt(1.0 + celsius / 273.15); }

double AirAbsorption(double frequency, double celsius, double humidity, double pressure) {
  constexpr double ReferencePressure = 101.325;                          // kPa
  constexpr double ReferenceTemperature = 293.15, TriplePoint = 273.16;  // K
  const double kelvin = celsius + 273.15;
  const double p = pressure / ReferencePressure, t = kelvin / ReferenceTemperature;
  // 1. The molar concentration of water vapour, per cent, from the relative humidity.
  const double saturation =
      std::pow(10.0, -6.8346 * std::pow(TriplePoint / kelvin, 1.261) + 4.6151);
  const double h = humidity * saturation / p;
  // 2. The relaxation frequencies of oxygen and nitrogen, Hz.
  const double oxygen = p * (24.0 + 4.04e4 * h * (0.02 + h) / (0.391 + h));
  const double nitrogen =
      p / std::sqrt(t) * (9.0 + 280.0 * h * std::exp(-4.170 * (std::cbrt(1.0 / t) - 1.0)));
  // 3. Classical and rotational loss, then the two vibrational relaxations.
  const double f2 = frequency * frequency;
  const double relaxation = 0.01275 * std::exp(-2239.1 / kelvin) / (oxygen + f2 / oxygen) +
                            0.1068 * std::exp(-3352.0 / kelvin) / (nitrogen + f2 / nitrogen);
  return 8.686 * f2 * (1.84e-11 / p * std::sqrt(t) + std::pow(t, -2.5) * relaxation);
}

}  // namespace tarnwick
