#!/usr/bin/env python3
"""Writes src/acoustics/DirectivityTable.cpp, the vertical directivity of the module.

Usage:
    python3 tools/make_directivity.py            # rewrite the table file
    python3 tools/make_directivity.py --check    # exit 1 if the file is not what we write

Standard library only; the output depends on nothing but this file.

What the table holds
--------------------
For each of the 21 third-octave bands (band b has its centre at 62.5 * 2^((b + 2) / 3) Hz)
and every 5 degrees from -180 to +180: how far the level lies below the on-axis level
(LevelDrop, dB) and the phase relative to the on-axis output (Phase, degrees). The table
is symmetric about the axis, so only the 37 angles 0, 5, ..., 180 are computed and the
negative angles mirror them.

Method
------
1. Reference rows. REF_LEVEL_DROP and REF_PHASE below are the module's reference values:
   LevelDrop in bands 0, 5, 10, 15 and 20 and Phase in bands 0, 10 and 20, each at
   0, 5, 10, 15, 30, 45, 60, 90, 120, 150 and 180 degrees. The table holds every one of
   them exactly; the script checks this after rounding.

2. Across angle. Each reference row is interpolated to all 37 angles with a monotone
   piecewise cubic (Fritsch-Carlson, "PCHIP"): it passes through the reference points,
   never overshoots them and is continuous in its first derivative. The row is mirrored
   beyond 0 and 180 degrees before interpolating, so the slope is zero on the axis and at
   the back, as the symmetry of the module about its axis requires.

3. Across frequency. The bands are equally spaced in log-frequency, so the band index is
   the log-frequency axis. At each angle, the same monotone cubic runs through the
   reference bands and gives the bands in between. Because the reference rows narrow
   steadily (band 0 stays within 2 dB all round, band 20 is 8 dB down at 5 degrees), the
   whole table describes a module that is broad at low frequencies and whose vertical
   beam narrows smoothly as frequency rises.

4. Near-axis lift. Two effects make a direction near the axis slightly louder than the
   axis itself, i.e. give small negative LevelDrop values:
   - below about 200 Hz (bands 0 to 3) the on-axis response sits a few tenths of a dB
     below its neighbours, as the band-0 reference row shows (-0.38 dB at 5 degrees);
   - around the 1.25 to 1.6 kHz crossover (bands 11 and 12) the drivers overlap and
     leave a shallow notch right on the axis.
   Each is an on-axis dip of depth D(band) that recovers off the axis:
       dip(band, angle) = -D(band) * (1 - exp(-(angle / W)^2)),
   with D = 0.7 dB for bands 0 to 3 fading to 0 at band 5 (cos^2 over bands 3 to 5) and
   W = 4 degrees, and D = 0.6 dB * sin^2(pi * (band - 10) / 3) for bands 10 to 13 with
   W = 4 degrees. Step 3 interpolates the rows with the dip taken out and the dip is put
   back afterwards; D is zero in bands 5 to 10 and 13 to 20, and the band-0 row is given,
   so every reference value stays as it is. Negative drops thus occur only within 35
   degrees of the axis in bands 0 to 3 and at 5 degrees in bands 11 and 12, never below
   -0.38 dB.

5. Phase. Phase is a circular quantity, so each reference row is first unwrapped along
   the angle, starting from 0 on the axis and taking each next value on the branch
   nearest to the previous one. Step 2 interpolates the unwrapped rows across angle and
   step 3 across frequency (through bands 0, 10 and 20). Keeping every band on the branch
   that starts at 0 on the axis makes the phase continuous both across angle and across
   frequency; at the back of the box it winds several turns between 1 and 10 kHz, as a
   longer path around the cabinet would. Only then is each value wrapped into -180..+180.

6. Rounding and checks. Values are rounded to two decimals (ties to even). Phase is kept
   within -179.8..+179.9 degrees (a value beyond is moved to the bound; with the present
   data none is). The script then asserts every property the program relies on: the
   on-axis entries are 0/0, the table is symmetric with equal entries at -180 and +180,
   LevelDrop lies within -0.38..39.69 dB, negative drops occur only where step 4 puts
   them, and every reference value is held exactly.
"""

import math
import sys
from pathlib import Path

BANDS = 21
ANGLES = list(range(0, 181, 5))  # the 37 distinct angles; the table mirrors them
REF_ANGLES = [0, 5, 10, 15, 30, 45, 60, 90, 120, 150, 180]

REF_LEVEL_DROP = {
    0: ["0", "-0.38", "-0.21", "-0.28", "0.07", "0.38", "0.61", "1.48", "1.69", "1.61", "1.91"],
    5: ["0", "0.49", "0.67", "0.93", "1.56", "2.31", "3.33", "5.11", "9.19", "10.88", "8.09"],
    10: ["0", "0.18", "0.51", "0.89", "2.64", "5.02", "7.7", "11.44", "15.21", "16.36", "12.74"],
    15: ["0", "0.73", "4.58", "8.68", "11.4", "15.79", "14.17", "18.43", "22.84", "24.32", "22.14"],
    20: ["0", "8", "16.32", "13.24", "17.8", "23.38", "21.88", "25.51", "32.72", "36.88", "39.69"],
}
REF_PHASE = {
    0: ["0", "87.7", "88.5", "89.1", "84.4", "81.9", "76.2", "67.2", "54.8", "45.6", "43.4"],
    10: ["0", "-25.9", "-28.9", "-31.6", "-44.9", "-65.1", "-82", "-137.8", "154.7", "89.3",
         "21.9"],
    20: ["0", "66.3", "122.1", "-70.5", "56", "-159.2", "-115.9", "-5.5", "41.3", "-98.1",
         "41.2"],
}

LEVEL_DROP_RANGE = (-0.38, 39.69)
PHASE_RANGE = (-179.8, 179.9)

LOW_DIP_DEPTH = 0.7  # dB, bands 0 to 3
CROSSOVER_DIP_DEPTH = 0.6  # dB, peak of the sin^2 over bands 10 to 13
DIP_WIDTH = 4.0  # degrees


def centi(text):
    """A decimal text as an integer number of hundredths, exactly."""
    sign = -1 if text.startswith("-") else 1
    whole, _, frac = text.lstrip("-").partition(".")
    return sign * (int(whole) * 100 + int((frac + "00")[:2]))


def pchip(xs, ys):
    """Monotone piecewise cubic through (xs, ys) (Fritsch-Carlson), as a function."""
    n = len(xs)
    h = [xs[i + 1] - xs[i] for i in range(n - 1)]
    delta = [(ys[i + 1] - ys[i]) / h[i] for i in range(n - 1)]
    slope = [0.0] * n
    for i in range(1, n - 1):
        if delta[i - 1] * delta[i] > 0:
            w1, w2 = 2 * h[i] + h[i - 1], h[i] + 2 * h[i - 1]
            slope[i] = (w1 + w2) / (w1 / delta[i - 1] + w2 / delta[i])

    def end_slope(h0, h1, d0, d1):
        s = ((2 * h0 + h1) * d0 - h0 * d1) / (h0 + h1)
        if s * d0 <= 0:
            return 0.0
        if d0 * d1 < 0 and abs(s) > 3 * abs(d0):
            return 3 * d0
        return s

    slope[0] = end_slope(h[0], h[1], delta[0], delta[1])
    slope[-1] = end_slope(h[-1], h[-2], delta[-1], delta[-2])

    def evaluate(x):
        i = 0
        while i < n - 2 and x > xs[i + 1]:
            i += 1
        t = (x - xs[i]) / h[i]
        return ((2 * t**3 - 3 * t**2 + 1) * ys[i] + (t**3 - 2 * t**2 + t) * h[i] * slope[i] +
                (-2 * t**3 + 3 * t**2) * ys[i + 1] + (t**3 - t**2) * h[i] * slope[i + 1])

    return evaluate


def across_angle(values):
    """A reference row (at REF_ANGLES) at all 37 angles, mirrored at 0 and 180 degrees."""
    xs = [-REF_ANGLES[1]] + REF_ANGLES + [360 - REF_ANGLES[-2]]
    ys = [values[1]] + values + [values[-2]]
    curve = pchip(xs, ys)
    return [curve(a) for a in ANGLES]


def across_bands(rows):
    """Rows given at some bands ({band: [37 values]}) interpolated to all 21 bands."""
    bands = sorted(rows)
    table = [[0.0] * len(ANGLES) for _ in range(BANDS)]
    for k in range(len(ANGLES)):
        curve = pchip(bands, [rows[b][k] for b in bands])
        for b in range(BANDS):
            table[b][k] = curve(b)
    return table


def dip(band, angle):
    """The near-axis lift of step 4: an on-axis dip seen from the angle, in dB (<= 0)."""
    if band <= 3:
        depth = LOW_DIP_DEPTH
    elif band < 5:
        depth = LOW_DIP_DEPTH * math.cos(math.pi * (band - 3) / 4) ** 2
    elif 10 < band < 13:
        depth = CROSSOVER_DIP_DEPTH * math.sin(math.pi * (band - 10) / 3) ** 2
    else:
        depth = 0.0
    return -depth * (1.0 - math.exp(-((angle / DIP_WIDTH) ** 2)))


def unwrap(values):
    """Each value moved by whole turns to lie within half a turn of the one before."""
    out = [values[0]]
    for v in values[1:]:
        out.append(out[-1] + (v - out[-1] + 180.0) % 360.0 - 180.0)
    return out


def wrap(value):
    """A phase in degrees brought into (-180, 180]."""
    v = math.fmod(value, 360.0)
    if v > 180.0:
        v -= 360.0
    elif v <= -180.0:
        v += 360.0
    return v


def level_drops():
    rows = {b: across_angle([float(v) for v in r]) for b, r in REF_LEVEL_DROP.items()}
    without_dip = {b: [v - dip(b, a) for v, a in zip(rows[b], ANGLES)] for b in rows}
    table = across_bands(without_dip)
    return [[round(100 * (v + dip(b, a))) for v, a in zip(table[b], ANGLES)]
            for b in range(BANDS)]


def phases():
    rows = {b: across_angle(unwrap([float(v) for v in r])) for b, r in REF_PHASE.items()}
    table = across_bands(rows)
    low, high = (round(100 * p) for p in PHASE_RANGE)
    return [[min(max(round(100 * wrap(v)), low), high) for v in table[b]] for b in range(BANDS)]


def check(drop, phase):
    """Asserts the properties the program relies on (hundredths throughout)."""
    low, high = (round(100 * v) for v in LEVEL_DROP_RANGE)
    for b in range(BANDS):
        assert drop[b][0] == 0 and phase[b][0] == 0, f"band {b} not 0/0 on the axis"
        for k, angle in enumerate(ANGLES):
            assert low <= drop[b][k] <= high, f"LevelDrop out of range at band {b}, {angle}"
            near_axis_lift = (b <= 3 and angle <= 35) or (b in (11, 12) and angle == 5)
            assert drop[b][k] >= 0 or near_axis_lift, f"negative LevelDrop at band {b}, {angle}"
    for b in (0, 1, 2, 3, 11, 12):
        assert min(drop[b]) < 0, f"band {b} lacks its near-axis lift"
    for refs, table in ((REF_LEVEL_DROP, drop), (REF_PHASE, phase)):
        for b, row in refs.items():
            for angle, text in zip(REF_ANGLES, row):
                got = table[b][ANGLES.index(angle)]
                assert got == centi(text), f"band {b}, {angle}: {got} instead of {text}"


def literal(hundredths):
    sign = "-" if hundredths < 0 else ""
    return f"{sign}{abs(hundredths) // 100}.{abs(hundredths) % 100:02d}f"


def source_text(drop, phase):
    lines = [
        "// Vertical directivity of the module, built into the program.",
        "// Generated by tools/make_directivity.py (method described there); edit the",
        "// generator and rerun it rather than editing this file.",
        "//",
        "// For each band, band 0 first: 73 entries {LevelDrop dB, Phase degrees} from -180 to",
        "// +180 degrees in 5 degree steps; the comment gives the angle of the first entry.",
        "",
        '#include "acoustics/DirectivityTable.h"',
        "",
        "namespace tarnwick {",
        "",
        "// clang-format off",
        "const std::array<DirectivityPoint, DirectivityEntryCount> ModuleDirectivity = {{",
    ]
    for b in range(BANDS):
        hz = 62.5 * 2 ** ((b + 2) / 3)
        lines.append(f"    // band {b}, {hz:.1f} Hz")
        entries = []
        for angle in range(-180, 181, 5):
            k = ANGLES.index(abs(angle))
            entries.append(f"{{{literal(drop[b][k]):>6}, {literal(phase[b][k]):>8}}}")
        for first in range(0, len(entries), 4):
            chunk = ", ".join(entries[first:first + 4])
            lines.append(f"    /* {first * 5 - 180:4} */ {chunk},")
    lines += ["}};", "// clang-format on", "", "}  // namespace tarnwick", ""]
    return "\n".join(lines)


def main():
    target = Path(__file__).resolve().parent.parent / "src" / "acoustics" / "DirectivityTable.cpp"
    drop, phase = level_drops(), phases()
    check(drop, phase)
    text = source_text(drop, phase)
    if "--check" in sys.argv[1:]:
        if target.read_text() != text:
            print(f"{target} differs from the generator's output", file=sys.stderr)
            return 1
        return 0
    target.write_text(text)
    return 0


if __name__ == "__main__":
    sys.exit(main())
