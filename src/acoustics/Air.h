#pragma once

namespace tarnwick {

// The atmosphere's share of a prediction with the Air option on: how fast sound travels and
// how much of it the air absorbs on the way (ISO 9613-1). See docs/model.md, "Prediction
// options".

// Speed of sound in m/s at `celsius` degrees: 331.3 sqrt(1 + T / 273.15), 343.2 at 20 C.
double SpeedOfSoundInAir(double celsius);

// Pure-tone absorption in dB per metre at `frequency` Hz, in air at `celsius` degrees,
// `humidity` per cent relative humidity and `pressure` kPa (ISO 9613-1, equations 3 to 5
// and annex B's saturation pressure). 4.66 dB/km at 1 kHz, 20 C, 50 %, 101.325 kPa.
double AirAbsorption(double frequency, double celsius, double humidity, double pressure);

}  // namespace tarnwick
