#!/usr/bin/env python3
"""Writes the expected figures the core tests compare against, under tests/data/.

Usage:
    python3 tools/make_expected.py            # rewrite the tables
    python3 tools/make_expected.py --check    # exit 1 if a table is not what we write

Standard library only. Every figure is worked out here in double precision from the
program's documented rules, never by running the program, so the tables are an
independent check of the single-precision code. Rerun the script on purpose when a
rule changes; never edit the tables by hand.

Tables
------
array_geometry.csv   one row per figure of one project: the inclination in use, the
                     scene extents of a 4:3 window, the ends of the areas in use, the six
                     flybar points and, for every box, its outline, source and aim point.
                     Columns: the project (mounting, pin, boxes, splays as one 0/5 digit
                     per joint, automatic, inclination, floor, areas in use; all else as
                     in the default project), then part, index, x, y and the tolerance
                     in metres (degrees for the inclination).
area_picks.csv       where a press picks an area up: the areas in use and their
                     distances and heights (lengths 10, 10, 4), the press, whether it hits
                     each area ("h" and one 0/1 per area) and the area picked (-1: none).
                     A rising area is hit inside the rectangle of its ends, below its
                     slope or less than 0.3 above it; a flat or falling one within its
                     horizontal extent less than 0.3 above or below its slope.
spl_levels.csv       the level predicted at points along an area, for three of those
                     projects in which every point and every aim lies below every box:
                     project columns, area (1 ... 3), band, point, level in dB and its
                     tolerance in dB (0.005).
level_engine.csv     the level engine's levels at a grid of points all over the section
                     (in front of, above, below and behind the boxes), for two designs:
                     "box" rows give each box as the engine is handed it (index, source
                     x, y, ray a, b, each in single precision, and attenuation c in dB);
                     "point" rows a point (index, x, y), the entry a (a band, 21 broadband or 22
                     A-weighted broadband), the level b in dB and its tolerance c in dB.
                     A point is kept where every box's direction lies more than 0.001
                     degrees from an entry's edge and the level within 40 dB of the
                     power sum of the boxes alone (the incoherent sum).
level_models.csv     the level engine with its prediction options, for the same two designs:
                     an "air" row (the Air option's temperature a in degrees C, humidity b
                     in per cent, pressure c in kPa), "box" rows as above, and "point" rows:
                     the options as three 0/1 digits (average, interpolate, air), x, y,
                     the band a, the level b in dB and its tolerance c (0.01 dB), in every
                     band and every combination of the options at points all over the
                     section. Each band's average is integrated numerically (Simpson's
                     rule, the step halved until two estimates agree within 1e-5 of the
                     power), never by the engine's closed form; a level is kept within 40 dB
                     of the boxes' power sum and, without interpolation, where no box's
                     direction lies near an entry's edge.
default.qvd,         project files laid out byte by byte as the format describes them:
small.qvd, odd.qvd   the default project; it with title "A", author "B", feet, two boxes
                     and one area; and one with a text outside ASCII, negative zero, the
                     extremes of single precision and every attenuation.
options.qvd          small.qvd with prediction options on, in the extension block after
                     the data ("TWX1", u16 payload length, average, interpolate and air as
                     bytes, temperature, humidity and pressure as singles, the CRC-32 of
                     all before it as zlib computes it).

Rules used
----------
Geometry (metres, X toward the areas, Y up; a positive angle turns clockwise):
- The first box's top front corner hangs (pin offset, -0.024) from the mounting point
  (1, floor); the pin offset is 0.23 m plus (downtilt) or minus (uptilt) 0.0254 m per pin
  above 1. The module outline, front face 0.3060455 down, bottom 0.4050872 back rising
  0.0176869, back face 0.2706722 up, is turned by minus the inclination; each box below
  hangs from the bottom front corner of the one above, turned a further 5 degrees after
  every 5 degree joint. The source is the middle of the front face; the axis runs from
  the middle of the back face through the source.
- The flybar is drawn level from the mounting point M and turned with the array about
  M: downtilt F0 = M + ((pin - 1) * 0.0254 + 0.02, 0.022), F5 = (M.x - (10 - pin) *
  0.0254, F0.y), F1 = F0 - (0, 0.057), F2 = F1 - (0.044, 0), F3 = F2 + (0, 0.015),
  F4 = F5 - (0, 0.044); uptilt F5 = M + ((10 - pin) * 0.0254, 0.022), F4 = F5 - (0, 0.044),
  F3 = F4 - (0.213, 0), F2 = F3 - (0, 0.012), F1 = F2 - (0.044, 0), F0 = (F1.x, F5.y).
- The automatic inclination lets the array hang freely: every box weighs the same, with
  its centre of gravity 0.185 behind and 0.15302275 below its top front corner; the
  angle is atan((gx - pin offset) / (gy + 0.024)) in the first box's frame (Y down).
  REF_INCLINATION holds published figures the script checks its own against.
- Each axis aims at the area it crosses with the smallest parameter along the axis;
  without one, at the right end of the scene, or the floor (y = 0) or the top of the
  scene if the right end lies below or above them.
Prediction (dB, metres, degrees):
- Points every 0.1 m along the area from its start, AreaLength * 10 rounded half to
  even plus one of them. Each box contributes a pressure of magnitude
  10^((band level - level drop - attenuation) / 20) / r and phase 360 f r / 340 + the
  directivity phase; the level is 10 log10 of the squared magnitude of their sum. The
  directivity entry is the one nearest (ties to even) to the angle of the point from the
  vertical minus that of the box's axis; the directivity table comes from
  tools/make_directivity.py, the source of the program's table.

The level engine (double precision, only the level rounded to single) is held to
these rules with the program's own single-precision positions of the boxes and the
points, the direction from a box rounded to single as the program forms it, the
directivity entries and the attenuations as singles, and the program's Pi,
3.14159265358979.

A figure that single-precision rounding could tip over a decision (an aim grazing the
end of an area, a point on the boundary between directivity entries) is left out; the
script asserts that enough figures remain.
"""

import cmath
import csv
import io
import math
import struct
import sys
import zlib
from pathlib import Path

TOP = Path(__file__).resolve().parent.parent
DATA = TOP / "tests" / "data"
sys.path.insert(0, str(TOP / "tools"))
import make_directivity  # noqa: E402  (the table's own source, plain Python)

HEADER = "# Generated by tools/make_expected.py; rerun it rather than editing this file.\n"


def single(x):
    """The value as the model stores it, in single precision."""
    return struct.unpack("f", struct.pack("f", x))[0]


# ---------------------------------------------------------------- projects

DEFAULT_SPLAYS = "05000055555"
DEFAULT_AREAS = {"distance": [1.0, 12.0, 23.0], "length": [10.0, 10.0, 4.0],
                 "height1": [0.0, 0.8, 1.9], "height2": [1.0, 2.0, 3.5]}


def project(mounting=0, pin=2, boxes=12, splays=DEFAULT_SPLAYS, automatic=1,
            inclination=5.29, floor=5.0, areas=3):
    return {"mounting": mounting, "pin": pin, "boxes": boxes, "splays": splays,
            "automatic": automatic, "inclination": inclination, "floor": floor,
            "areas": areas}


PROJECT_COLUMNS = ["mounting", "pin", "boxes", "splays", "automatic", "inclination",
                   "floor", "areas"]


def key(p):
    return [str(p[c]) for c in PROJECT_COLUMNS]


GEOMETRY_PROJECTS = (
    [project(mounting=m, pin=n) for m in (0, 1) for n in range(1, 10)] + [
        project(automatic=0),                                      # typed 5.29 is kept
        project(splays="00000000000", automatic=0, inclination=0),  # straight and level
        project(mounting=1, pin=4, splays="55555555555"),
        project(boxes=2, pin=1, splays="05555555555"),              # later joints unused
        project(boxes=7, splays="50505050505", automatic=0, inclination=-2.5, floor=6.5),
        project(automatic=0, inclination=60, floor=8),              # aims reach the floor
        project(splays="00000000000", automatic=0, inclination=-15),  # and the top
        project(areas=1),                                           # areas 2, 3 unused
        project(floor=8),
        project(mounting=1, pin=7, automatic=0, inclination=12.5, floor=9, areas=2),
        project(pin=8, floor=8),
        project(mounting=1, pin=7, automatic=0, inclination=-4, floor=9, areas=2),
    ])

# Published automatic inclinations (degrees) for the default array on every pin of both
# mountings, and for two straight boxes on downtilt pin 1; uptilt pin 4 to four decimals.
REF_INCLINATION = {
    (0, 1): 3.80, (0, 2): 3.00, (0, 3): 2.20, (0, 4): 1.39, (0, 5): 0.59, (0, 6): -0.21,
    (0, 7): -1.02, (0, 8): -1.82, (0, 9): -2.62,
    (1, 1): 3.80, (1, 2): 4.60, (1, 3): 5.40, (1, 4): 6.1948, (1, 5): 6.99, (1, 6): 7.78,
    (1, 7): 8.57, (1, 8): 9.35, (1, 9): 10.13}
REF_TWO_STRAIGHT_BOXES = -7.76

# ---------------------------------------------------------------- geometry

FRONT, DEPTH, RISE, BACK = 0.3060455, 0.4050872, 0.0176869, 0.2706722
PIN_SPACING = 0.0254


def turned(v, degrees):
    """v turned clockwise (Y up) by a positive angle."""
    return v * cmath.exp(-1j * math.radians(degrees))


def pin_offset(p):
    step = (p["pin"] - 1) * PIN_SPACING
    return 0.23 - step if p["mounting"] == 1 else 0.23 + step


def joints(p):
    return [single(float(c)) for c in p["splays"]][: p["boxes"] - 1]


def automatic_inclination(p):
    # First box's frame: X toward its back, Y downward; each 5 degree joint turns the
    # boxes below it (in that frame the same formula as the program's turn).
    def turn(v, degrees):
        a = math.radians(degrees)
        return complex(math.cos(a) * v.real + math.sin(a) * v.imag,
                       math.cos(a) * v.imag - math.sin(a) * v.real)

    front, gravity, corner = complex(0, FRONT), complex(0.185, 0.15302275), 0j
    total = gravity
    for angle in joints(p):
        corner += front
        if angle == 5:
            front, gravity = turn(front, 5), turn(gravity, 5)
        total += corner + gravity
    centre = total / p["boxes"]
    return math.degrees(math.atan((centre.real - pin_offset(p)) / (centre.imag + 0.024)))


def inclination(p):
    return automatic_inclination(p) if p["automatic"] == 1 else single(p["inclination"])


def scene(p):
    """Extents for a 4:3 window and the area slopes (start, end) in use."""
    a = {k: [single(v) for v in vs] for k, vs in DEFAULT_AREAS.items()}
    n = p["areas"]
    width = a["distance"][0] + a["length"][0] + 1
    for i in range(1, n):
        end = a["distance"][i] + a["length"][i]
        if end > width:
            width = end + 1
    height = width * 9000 / 12000
    height = max([height] + a["height2"][:n])
    floor = single(p["floor"])
    if floor > height:
        height = 1.3 * floor
    slopes = []
    for i in range(n):
        rise = a["height2"][i] - a["height1"][i]
        run = math.sqrt(max(0.0, a["length"][i] ** 2 - rise ** 2))
        start = complex(a["distance"][i] + 1, a["height1"][i])
        slopes.append((start, start + complex(run, rise)))
    return width, height, slopes


def aim(source, axis, width, height, slopes):
    """Aim point, and how far the nearest decision is from tipping (a fraction)."""
    best, margin = None, math.inf
    for start, end in slopes:
        e = end - start
        det = axis.real * e.imag - axis.imag * e.real
        if det == 0:
            continue
        w = start - source
        t = (w.real * e.imag - w.imag * e.real) / det
        u = (w.real * axis.imag - w.imag * axis.real) / det
        margin = min(margin, abs(u), abs(u - 1))
        if 0 <= u <= 1 and (best is None or t < best):
            best = t
    if best is None:
        best = (width - source.real) / axis.real
        y = source.imag + best * axis.imag
        margin = min(margin, abs(y) / height, abs(y - height) / height)
        if y < 0:
            best = source.imag / abs(axis.imag)
        elif y > height:
            best = (height - source.imag) / axis.imag
    return source + best * axis, margin


def flybar(p, angle):
    mx, my = 1.0, single(p["floor"])
    pin = p["pin"]
    f = [0j] * 6
    if p["mounting"] == 1:
        f[5] = complex(mx + (10 - pin) * PIN_SPACING, my + 0.022)
        f[4] = f[5] - 0.044j
        f[3] = f[4] - 0.213
        f[2] = f[3] - 0.012j
        f[1] = f[2] - 0.044
        f[0] = complex(f[1].real, f[5].imag)
    else:
        f[0] = complex(mx + (pin - 1) * PIN_SPACING + 0.02, my + 0.022)
        f[5] = complex(mx - (10 - pin) * PIN_SPACING, f[0].imag)
        f[1] = f[0] - 0.057j
        f[2] = f[1] - 0.044
        f[3] = f[2] + 0.015j
        f[4] = complex(f[5].real, f[5].imag - 0.044)
    mount = complex(mx, my)
    return [mount + turned(point - mount, -angle) for point in f]


def boxes(p, angle):
    """Per box: top front, bottom front, bottom back, top back, source, axis."""
    mount = complex(1.0, single(p["floor"]))
    top_front = mount + turned(complex(pin_offset(p), -0.024), -angle)
    splays = joints(p)
    out = []
    for i in range(p["boxes"]):
        if i > 0 and splays[i - 1] == 5:
            angle -= 5
        front = turned(complex(0, -FRONT), -angle)
        bottom = turned(complex(-DEPTH, RISE), -angle)
        back = turned(complex(0, BACK), -angle)
        bottom_back = top_front + front + bottom
        source = top_front + front / 2
        axis = source - (bottom_back + back / 2)
        out.append((top_front, top_front + front, bottom_back, bottom_back + back, source, axis))
        top_front += front
    return out


def geometry_rows(p):
    angle = inclination(p)
    width, height, slopes = scene(p)
    rows = [("Inclination", 0, angle, 0.0, 5e-5), ("Scene", 0, width, height, 1e-5)]
    rows += [("Flybar", n, z.real, z.imag, 1e-5) for n, z in enumerate(flybar(p, angle))]
    for i, (start, end) in enumerate(slopes):
        rows += [("AreaStart", i, start.real, start.imag, 1e-5),
                 ("AreaEnd", i, end.real, end.imag, 1e-5)]
    for i, (tf, bf, bb, tb, source, axis) in enumerate(boxes(p, angle)):
        for part, z in (("TopFront", tf), ("BottomFront", bf), ("BottomBack", bb),
                        ("TopBack", tb), ("Source", source)):
            rows.append((part, i, z.real, z.imag, 1e-5))
        point, margin = aim(source, axis, width, height, slopes)
        # A turn of the axis by 1e-5 rad moves a grazing aim far: keep only steady ones.
        moved, _ = aim(source, axis * cmath.exp(1e-5j), width, height, slopes)
        if margin > 1e-3 and abs(moved - point) < 2e-3:
            rows.append(("Aim", i, point.real, point.imag, 1e-3))
    return rows


# ---------------------------------------------------------------- prediction

BAND_LEVEL = [122, 122, 122.5, 123, 123.5, 123.5, 124.5, 126, 126, 126, 126, 127, 128, 128,
              129.5, 131, 132.5, 133, 133, 133.5, 134]
SPEED_OF_SOUND = 340.0
SPL_TOLERANCE = 0.005  # dB
SPL_CASES = [  # project, area, bands
    (project(pin=9), 1, (0, 10, 12)),
    (project(pin=8, floor=8), 2, (5, 8)),
    (project(mounting=1, pin=7, automatic=0, inclination=-4, floor=9, areas=2), 2, (10,)),
    # boxes aimed upward; an area partly above the boxes
    (project(splays="00000000000", automatic=0, inclination=-15), 1, (10, 16)),
    (project(floor=2.5), 3, (10, 16)),
]

DROP, PHASE = make_directivity.level_drops(), make_directivity.phases()


def directivity(k, band):
    """Level drop and phase (degrees) at angle index k = 0 ... 72."""
    m = abs(k - 36)
    return DROP[band][m] / 100, PHASE[band][m] / 100


def from_down(v):
    """Angle of v from straight down, positive toward +X, in (-180, 180]."""
    angle = math.degrees(math.atan2(v.real, -v.imag))
    return 180.0 if angle == -180.0 else angle


def wrapped(theta):
    return theta - 360 if theta > 180 else theta + 360 if theta <= -180 else theta


def spl_rows(p, area, band):
    angle = inclination(p)
    width, height, slopes = scene(p)
    array = boxes(p, angle)
    start, end = slopes[area - 1]
    length = DEFAULT_AREAS["length"][area - 1]
    frequency = 62.5 * 2 ** ((band + 2) / 3)
    rows = []
    for i in range(round(length * 10) + 1):
        point = start + (end - start) * (0.1 * i / length)
        total, magnitudes, steady, largest = 0j, 0.0, True, 0.0
        for b, (_, _, _, _, source, axis) in enumerate(array):
            d, ray = point - source, aim(source, axis, width, height, slopes)[0] - source
            steps = wrapped(from_down(d) - from_down(ray)) / 5
            steady = steady and abs(abs(steps - math.floor(steps)) - 0.5) > 2e-4
            drop, phase = directivity(round(steps) + 36, band)
            r = abs(d)
            magnitude = 10 ** ((BAND_LEVEL[band] - drop) / 20) / r
            phase = 360 * frequency * r / SPEED_OF_SOUND + phase
            total += cmath.rect(magnitude, math.radians(phase))
            magnitudes += magnitude
            largest = max(largest, abs(math.radians(phase)))
        # Distances and phases are held in single precision and positions are rounded to
        # it, some 1e-6 m: each phase may be off by that much, which moves the squared
        # magnitude of the sum by up to twice the phase error times the sum of the
        # magnitudes over the magnitude of the sum. Near a cancellation that bound exceeds
        # the tolerance, and the point is left out.
        spread = 2 * 2 ** -24 * largest + 2 * math.pi * frequency / SPEED_OF_SOUND * 1e-6
        rounding = 10 / math.log(10) * 2 * spread * magnitudes / abs(total)
        if steady and rounding < SPL_TOLERANCE:
            rows.append((area, band, i, 10 * math.log10(abs(total) ** 2), SPL_TOLERANCE))
    return rows


# ---------------------------------------------------------------- level engine

PROGRAM_PI = 3.14159265358979
ENGINE_TOLERANCE = 2e-5  # dB: the float level's rounding, up to 7.6e-6 dB, and some room
ENGINE_DESIGNS = [  # project, attenuation of each box in dB
    (project(), [0.0] * 12),
    (project(boxes=7, splays="50505050505", automatic=0, inclination=-2.5, floor=6.5),
     [0.0, 2.0, 0.0, 4.5, 0.0, 1.0, 3.0]),
]
ENGINE_XS = [0.25, 0.75, 1.5, 3.0, 6.0, 11.0, 17.5, 26.0]
ENGINE_YS = [0.0, 1.5, 3.5, 5.25, 7.0, 9.5]
ENGINE_BANDS = [0, 10, 20]
BROADBAND, BROADBAND_A = 21, 22


def a_weighting(f):
    r = 12194.0 ** 2 * f ** 4 / ((f * f + 20.6 ** 2) * math.sqrt(
        (f * f + 107.7 ** 2) * (f * f + 737.9 ** 2)) * (f * f + 12194.0 ** 2))
    return 20 * math.log10(r) + 2.0


def engine_boxes(p, attenuation):
    """Each box as the engine takes it: single-precision source and ray, attenuation."""
    angle = inclination(p)
    width, height, slopes = scene(p)
    out = []
    for b, (_, _, _, _, source, axis) in enumerate(boxes(p, angle)):
        ray = aim(source, axis, width, height, slopes)[0] - source
        out.append((complex(single(source.real), single(source.imag)),
                    complex(single(ray.real), single(ray.imag)), single(attenuation[b])))
    return out


def band_pressures(array, point, band):
    """Each box's complex pressure at the point, or None where an entry is unsteady."""
    frequency = 62.5 * 2 ** ((band + 2) / 3)
    wave_number = 2 * PROGRAM_PI * frequency / SPEED_OF_SOUND
    out = []
    for source, ray, attenuation in array:
        d = complex(single(point.real - source.real), single(point.imag - source.imag))
        theta = wrapped(from_down(d) - from_down(ray))
        steps = theta / 5
        if abs(abs(steps - math.floor(steps)) - 0.5) < 2e-4 or abs(theta) > 180 - 1e-3:
            return None
        drop, phase = directivity(round(steps) + 36, band)
        r = math.hypot(point.real - source.real, point.imag - source.imag)
        magnitude = 10 ** ((BAND_LEVEL[band] - single(drop) - attenuation) / 20) / r
        out.append(cmath.rect(magnitude, wave_number * r + single(phase) * PROGRAM_PI / 180))
    return out


def engine_levels(array, point):
    """(entry, level) at the point for the bands and broadband sums kept, or None."""
    pressures = [band_pressures(array, point, band) for band in range(21)]
    if any(p is None for p in pressures):
        return None
    power = [abs(sum(p)) ** 2 for p in pressures]
    alone = [sum(abs(q) ** 2 for q in p) for p in pressures]
    a_weights = [10 ** (a_weighting(62.5 * 2 ** ((b + 2) / 3)) / 10) for b in range(21)]
    sums = [(band, power[band], alone[band]) for band in ENGINE_BANDS]
    for entry, weights in ((BROADBAND, [1.0] * 21), (BROADBAND_A, a_weights)):
        sums.append((entry, sum(w * q for w, q in zip(weights, power)),
                     sum(w * q for w, q in zip(weights, alone))))
    return [(entry, 10 * math.log10(total)) for entry, total, incoherent in sums
            if total >= 1e-4 * incoherent]


def engine_rows(design, p, attenuation):
    array = engine_boxes(p, attenuation)
    rows = [(design, "box", b, s.real, s.imag, ray.real, ray.imag, a)
            for b, (s, ray, a) in enumerate(array)]
    points = [complex(single(x), single(y)) for x in ENGINE_XS for y in ENGINE_YS]
    for n, point in enumerate(points):
        for entry, level in engine_levels(array, point) or []:
            rows.append((design, "point", n, point.real, point.imag, entry, level,
                         ENGINE_TOLERANCE))
    return rows, sum(1 for r in rows if r[1] == "point")


# ---------------------------------------------------------------- prediction options

MODEL_TOLERANCE = 0.01  # dB
# Per design of ENGINE_DESIGNS, the atmosphere of its Air option: degrees C, per cent, kPa.
MODEL_ATMOSPHERES = [(20.0, 50.0, 101.325), (35.0, 15.0, 88.0)]
MODEL_POINTS = [(0.25, 3.5), (0.25, 7.0), (1.5, 9.5), (1.5, 0.0), (3.0, 1.5), (3.0, 5.25),
                (6.0, 3.5), (6.0, 7.0), (11.0, 0.0), (11.0, 5.25), (17.5, 1.5), (26.0, 9.5)]
ISO_CHECKS = [(1000, 4.66e-3), (4000, 29.7e-3), (8000, 105.3e-3)]  # Hz, dB/m at 20 C, 50 %


def air_absorption(f, celsius, humidity, kpa):
    """ISO 9613-1 pure-tone attenuation in dB/m."""
    kelvin = celsius + 273.15
    pressure = kpa / 101.325
    rel = kelvin / 293.15
    exponent = 4.6151 - 6.8346 * (273.16 / kelvin) ** 1.261
    vapour = humidity * 10 ** exponent / pressure  # molar concentration, per cent
    fr_o = pressure * (24 + 40400 * vapour * (0.02 + vapour) / (0.391 + vapour))
    fr_n = pressure * rel ** -0.5 * (
        9 + 280 * vapour * math.exp(-4.17 * (rel ** (-1 / 3) - 1)))
    oxygen = 0.01275 * math.exp(-2239.1 / kelvin) * fr_o / (fr_o ** 2 + f ** 2)
    nitrogen = 0.1068 * math.exp(-3352.0 / kelvin) * fr_n / (fr_n ** 2 + f ** 2)
    return 8.686 * f ** 2 * (1.84e-11 * rel ** 0.5 / pressure + rel ** -2.5 * (oxygen + nitrogen))


def interpolated(theta, band):
    """Level drop and phase (degrees) between the two entries around theta."""
    position = (theta + 180) / 5
    k = min(int(math.floor(position)), 71)
    t = position - k
    (drop0, phase0), (drop1, phase1) = directivity(k, band), directivity(k + 1, band)
    turn = (single(phase1) - single(phase0)) % 360
    if turn > 180:
        turn -= 360
    return (1 - t) * single(drop0) + t * single(drop1), single(phase0) + t * turn


def band_power_average(paths, low, high, speed):
    """The band's power averaged over low ... high Hz by Simpson's rule, halving the step
    until two estimates agree within 1e-5 (some 4e-6 dB error)."""
    def powers(start, step, count):
        e = [cmath.rect(a, 2 * math.pi * start * r / speed + phase) for a, r, phase in paths]
        turn = [cmath.exp(2j * math.pi * step * r / speed) for _, r, _ in paths]
        out = []
        for _ in range(count):
            total = sum(e)
            out.append(total.real ** 2 + total.imag ** 2)
            e = [x * y for x, y in zip(e, turn)]
        return out

    def simpson(samples, h):
        return h / 3 * (samples[0] + samples[-1] + 4 * sum(samples[1:-1:2]) +
                        2 * sum(samples[2:-1:2]))

    spread = max(r for _, r, _ in paths) - min(r for _, r, _ in paths)
    n = 2 * max(4, math.ceil(2 * math.pi * spread / speed * (high - low) / 0.2))
    grid = powers(low, (high - low) / n, n + 1)
    estimate = simpson(grid, (high - low) / n)
    while True:
        middles = powers(low + (high - low) / (2 * n), (high - low) / n, n)
        merged = [None] * (2 * n + 1)
        merged[0::2], merged[1::2] = grid, middles
        n *= 2
        better = simpson(merged, (high - low) / n)
        if abs(better - estimate) < 1e-5 * better:
            return better / (high - low)
        grid, estimate = merged, better


def model_level(array, point, band, average, interpolate, atmosphere):
    """The band's level in dB with the options, or None (unsteady entry, or over 40 dB below
    the boxes' power sum)."""
    fc = 62.5 * 2 ** ((band + 2) / 3)
    speed = 331.3 * math.sqrt(1 + atmosphere[0] / 273.15) if atmosphere else SPEED_OF_SOUND
    loss = air_absorption(fc, *atmosphere) if atmosphere else 0.0
    paths = []
    for source, ray, attenuation in array:
        d = complex(single(point.real - source.real), single(point.imag - source.imag))
        theta = wrapped(from_down(d) - from_down(ray))
        steps = theta / 5
        if interpolate:
            drop, phase = interpolated(theta, band)
        elif abs(abs(steps - math.floor(steps)) - 0.5) < 2e-4 or abs(theta) > 180 - 1e-3:
            return None
        else:
            drop, phase = (single(v) for v in directivity(round(steps) + 36, band))
        r = math.hypot(point.real - source.real, point.imag - source.imag)
        amplitude = 10 ** ((BAND_LEVEL[band] - drop - attenuation - loss * r) / 20) / r
        paths.append((amplitude, r, math.radians(phase)))
    if average:
        power = band_power_average(paths, fc * 2 ** (-1 / 6), fc * 2 ** (1 / 6), speed)
    else:
        power = abs(sum(cmath.rect(a, 2 * math.pi * fc * r / speed + phase)
                        for a, r, phase in paths)) ** 2
    if power < 1e-4 * sum(a * a for a, _, _ in paths):
        return None
    return 10 * math.log10(power)


def model_rows(design, p, attenuation, atmosphere):
    array = engine_boxes(p, attenuation)
    atmosphere = tuple(single(v) for v in atmosphere)
    rows = [(design, "air", "-", 0, 0, *atmosphere)]
    rows += [(design, "box", b, s.real, s.imag, ray.real, ray.imag, a)
             for b, (s, ray, a) in enumerate(array)]
    kept = 0
    for x, y in MODEL_POINTS:
        point = complex(single(x), single(y))
        for options in range(1, 8):  # bit 0 average, bit 1 interpolate, bit 2 air
            flags = "".join("1" if options & bit else "0" for bit in (1, 2, 4))
            for band in range(21):
                level = model_level(array, point, band, options & 1, options & 2,
                                    atmosphere if options & 4 else None)
                if level is not None:
                    rows.append((design, "point", flags, point.real, point.imag, band, level,
                                 MODEL_TOLERANCE))
                    kept += 1
    return rows, kept


# ---------------------------------------------------------------- area picks

PICK_TOLERANCE = 0.3
PICK_LAYOUTS = [  # areas in use, distances, first heights, second heights (lengths 10, 10, 4)
    (3, [1, 12, 23], [0, 0.8, 1.9], [1, 2, 3.5]),  # three rising areas
    (2, [1, 12, 23], [0, 0.8, 1.9], [1, 2, 3.5]),
    (3, [1, 12, 23], [0, 2, 1.9], [0, 0.5, 3.5]),  # flat, falling, rising
    (3, [1, 1, 23], [0, 0, 1.9], [0, 0, 3.5]),     # two flat areas on top of each other
]


def hit(start, end, x, y):
    """Whether a press at (x, y) picks the area up, and how far it is from tipping."""
    slope = start.imag + (x - start.real) / (end.real - start.real) * (end.imag - start.imag)
    above = y - slope
    margins = [abs(x - start.real), abs(x - end.real)]
    inside = start.real <= x < end.real
    if start.imag < end.imag:
        margins += [abs(y - start.imag), abs(y - end.imag), abs(above - PICK_TOLERANCE)]
        inside = inside and start.imag <= y < end.imag and above < PICK_TOLERANCE
    else:
        margins += [abs(abs(above) - PICK_TOLERANCE)]
        inside = inside and abs(above) < PICK_TOLERANCE
    return inside, min(margins)


def pick_rows():
    rows = []
    for count, distance, height1, height2 in PICK_LAYOUTS:
        p = {"distance": distance, "length": DEFAULT_AREAS["length"], "height1": height1,
             "height2": height2}
        slopes = []
        for i in range(3):
            start = complex(single(p["distance"][i]) + 1, single(p["height1"][i]))
            rise = single(p["height2"][i]) - start.imag
            run = math.sqrt(max(0.0, p["length"][i] ** 2 - rise ** 2))
            slopes.append((start, complex(single(start.real + run), start.imag + rise)))
        presses = []
        for start, end in slopes:
            for x in (start.real - 0.1, start.real + 0.3, start.real + 2.5, end.real - 0.2,
                      end.real + 0.1):
                slope = start.imag + (x - start.real) / (end.real - start.real) * (
                    end.imag - start.imag)
                presses += [(x, slope + dy) for dy in (-0.8, -0.35, -0.25, 0, 0.25, 0.35, 0.8)]
        for x, y in presses:
            x, y = single(x), single(y)
            hits = [hit(start, end, x, y) for start, end in slopes]
            if min(margin for _, margin in hits) < 1e-4:
                continue
            flags = "".join("1" if inside else "0" for inside, _ in hits)
            picked = next((i for i in range(count) if hits[i][0]), -1)
            rows.append((count, *distance, *height1, *height2, x, y, "h" + flags, picked))
    return rows


# ---------------------------------------------------------------- project files

# The layout, all little-endian: a 30-byte header ("Q-V LA", version 1 and header size
# 20 as 16-bit integers, "qz", check value 1 as a 16-bit integer, then 0, 1, the data
# length and the data start 31 as 32-bit integers); then the data:
# title, author and units as a 32-bit byte count and Windows-1252 bytes; automatic,
# mounting and pin as 32-bit integers; floor distance as a single; the box count; the
# inclination and the first attenuation as singles, then per joint its splay and the
# next box's attenuation; the area count; per area its distance, length and heights.

DEFAULT_FILE_PROJECT = {
    "title": "Your Project", "author": "Your Name", "units": "Metres", "automatic": 1,
    "mounting": 0, "pin": 2, "floor": 5.0, "boxes": 12, "inclination": 5.29,
    "attenuation": [0.0] * 12, "splays": [0, 5, 0, 0, 0, 0, 5, 5, 5, 5, 5], "areas": 3,
    "area": [[d, l, h1, h2] for d, l, h1, h2 in zip(*DEFAULT_AREAS.values())]}
SAMPLE_FILES = {
    "default.qvd": DEFAULT_FILE_PROJECT,
    "small.qvd": dict(DEFAULT_FILE_PROJECT, title="A", author="B", units="Feet", boxes=2,
                      areas=1),
    "options.qvd": dict(DEFAULT_FILE_PROJECT, title="A", author="B", units="Feet", boxes=2,
                        areas=1, options=(1, 0, 1, 12.5, 70.0, 95.5)),
    "odd.qvd": dict(DEFAULT_FILE_PROJECT, title="Open Air 2027 – Bühne Süd", author="",
                    units="Feet", automatic=0, mounting=1, pin=9, floor=7.123456,
                    inclination=-3.0001, attenuation=[0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 12, 99],
                    splays=[5, 0] * 5 + [5],
                    area=[[-0.0, 10, 0, 1], [1e-38, 10, -12.345678, 2], [3.4e38, 4, 1.9, 3.5]]),
}
# Loadable files at the ends of what a project file can hold, seeds of the fuzzer's
# corpus; the window opens each with the coverage map shown.
FLT_MAX = 3.4028234663852886e38
HOSTILE_SEEDS = {
    "floor_max": dict(floor=FLT_MAX),
    "floor_3.4e38": dict(floor=3.4e38),
    "floor_-3.4e38": dict(floor=-3.4e38),
    "floor_1e-45": dict(floor=1e-45),
    "lengths_negative": dict(area=[[d, -5.0, h1, h2] for d, _, h1, h2 in
                                   DEFAULT_FILE_PROJECT["area"]]),
    "distances_huge": dict(area=[[3e38, l, h1, h2] for _, l, h1, h2 in
                                 DEFAULT_FILE_PROJECT["area"]]),
    "heights_huge": dict(area=[[d, l, -3e38, 3e38] for d, l, _, _ in
                               DEFAULT_FILE_PROJECT["area"]]),
    "feet_floor_1e38": dict(units="Feet", floor=1e38),
}


def project_file(p):
    def text(t):
        raw = t.encode("cp1252")
        return struct.pack("<i", len(raw)) + raw

    data = text(p["title"]) + text(p["author"]) + text(p["units"])
    data += struct.pack("<iiifif", p["automatic"], p["mounting"], p["pin"], p["floor"],
                        p["boxes"], p["inclination"])
    data += struct.pack("<f", p["attenuation"][0])
    for i in range(p["boxes"] - 1):
        data += struct.pack("<ff", p["splays"][i], p["attenuation"][i + 1])
    data += struct.pack("<i", p["areas"])
    for i in range(p["areas"]):
        data += struct.pack("<ffff", *p["area"][i])
    header = b"Q-V LA" + struct.pack("<hh", 1, 20) + b"qz" + struct.pack("<h", 1)
    header += struct.pack("<iiii", 0, 1, len(data), 31)
    assert len(header) == 30
    return header + data + prediction_block(p.get("options"), p.get("extra", b""))


def prediction_block(options, extra):
    """The extension block after the data; `extra` stands for a later version's options."""
    if options is None:
        return b""
    payload = struct.pack("<BBBfff", *options) + extra
    framed = b"TWX1" + struct.pack("<H", len(payload)) + payload
    return framed + struct.pack("<I", zlib.crc32(framed))


# ---------------------------------------------------------------- output

def table(columns, rows):
    out = io.StringIO()
    out.write(HEADER)
    writer = csv.writer(out, lineterminator="\n")
    writer.writerow(columns)
    for row in rows:
        writer.writerow([f"{v:.9g}" if isinstance(v, float) else v for v in row])
    return out.getvalue()


def check_references():
    for f, expected in ISO_CHECKS:
        got = air_absorption(f, 20.0, 50.0, 101.325)
        assert abs(got / expected - 1) < 5e-3, f"air absorption at {f} Hz: {got}"
    for (mounting, pin), expected in REF_INCLINATION.items():
        got = automatic_inclination(project(mounting=mounting, pin=pin))
        limit = 5e-4 if (mounting, pin) == (1, 4) else 5e-3
        assert abs(got - expected) < limit, f"mounting {mounting}, pin {pin}: {got}"
    got = automatic_inclination(project(boxes=2, pin=1, splays="05555555555"))
    assert abs(got - REF_TWO_STRAIGHT_BOXES) < 5e-3, got


def tables():
    check_references()
    geometry, aims = [], 0
    for p in GEOMETRY_PROJECTS:
        rows = geometry_rows(p)
        aims += sum(1 for r in rows if r[0] == "Aim")
        geometry += [key(p) + list(r) for r in rows]
    assert aims >= 0.9 * sum(p["boxes"] for p in GEOMETRY_PROJECTS), "too many aims left out"
    spl, points = [], 0
    for p, area, bands in SPL_CASES:
        for band in bands:
            rows = spl_rows(p, area, band)
            points += round(DEFAULT_AREAS["length"][area - 1] * 10) + 1
            spl += [key(p) + list(r) for r in rows]
    assert len(spl) >= 0.9 * points, f"only {len(spl)} of {points} points kept"
    engine, kept = [], 0
    for design, (p, attenuation) in enumerate(ENGINE_DESIGNS, 1):
        rows, count = engine_rows(design, p, attenuation)
        engine += rows
        kept += count
    entries = len(ENGINE_BANDS) + 2
    wanted = len(ENGINE_DESIGNS) * len(ENGINE_XS) * len(ENGINE_YS) * entries
    assert kept >= 0.8 * wanted, f"only {kept} of {wanted} engine levels kept"
    models, kept = [], 0
    for design, ((p, attenuation), atmosphere) in enumerate(
            zip(ENGINE_DESIGNS, MODEL_ATMOSPHERES), 1):
        rows, count = model_rows(design, p, attenuation, atmosphere)
        models += rows
        kept += count
    wanted = len(ENGINE_DESIGNS) * len(MODEL_POINTS) * 7 * 21
    assert kept >= 0.8 * wanted, f"only {kept} of {wanted} option levels kept"
    picks = pick_rows()
    assert len(picks) > 300 and len({r[-1] for r in picks}) == 4, "too few kinds of press"
    files = {name: project_file(p) for name, p in SAMPLE_FILES.items()}
    # A seed with a later version's longer payload and bytes after the block.
    files["../fuzz/corpus/options_longer.qvd"] = project_file(dict(
        DEFAULT_FILE_PROJECT, options=(0, 1, 1, -20.0, 100.0, 110.0), extra=b"\x07\x00")) + b"?"
    files |= {f"../fuzz/corpus/extreme_{name}.qvd": project_file(dict(DEFAULT_FILE_PROJECT, **p))
              for name, p in HOSTILE_SEEDS.items()}
    assert len(files["default.qvd"]) == 237 and len(files["small.qvd"]) == 104
    return files | {
        "array_geometry.csv": table(PROJECT_COLUMNS + ["part", "index", "x", "y", "tolerance"],
                                    geometry),
        "level_engine.csv": table(["design", "kind", "index", "x", "y", "a", "b", "c"], engine),
        "level_models.csv": table(["design", "kind", "options", "x", "y", "a", "b", "c"],
                                  models),
        "area_picks.csv": table(["areas", "distance1", "distance2", "distance3", "height1_1",
                                 "height1_2", "height1_3", "height2_1", "height2_2",
                                 "height2_3", "x", "y", "hits", "picked"], picks),
        "spl_levels.csv": table(PROJECT_COLUMNS + ["area", "band", "point", "level",
                                                   "tolerance"], spl),
    }


def read(path, like):
    return path.read_bytes() if isinstance(like, bytes) else path.read_text()


def write(path, content):
    if isinstance(content, bytes):
        path.write_bytes(content)
    else:
        path.write_text(content)


def main():
    outputs = tables()
    if "--check" in sys.argv[1:]:
        stale = [name for name, content in outputs.items()
                 if not (DATA / name).exists() or read(DATA / name, content) != content]
        for name in stale:
            print(f"{(DATA / name).resolve().relative_to(TOP)} differs from the generator's output",
                  file=sys.stderr)
        return 1 if stale else 0
    DATA.mkdir(exist_ok=True)
    for name, content in outputs.items():
        write(DATA / name, content)
    return 0


if __name__ == "__main__":
    sys.exit(main())
