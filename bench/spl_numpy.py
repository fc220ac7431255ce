#!/usr/bin/env python3
"""The levels along an area as a user would get them with numpy, for bench_spl.

Reads the scene that bench_spl writes (JSON: the area's start, direction and length, each
box's source, aim ray and attenuation, the band's frequency and level, and the band's
directivity, 73 level drops and phases from -180 to +180 degrees) and computes every
point's level the plain vectorised way, over all points and boxes at once: distances,
off-axis angles, directivity entries, levels, phases and the complex sum of the boxes'
pressures.

Prints the fastest of many timed runs of that computation in microseconds, then the
levels, one a line. Exits with 3 when numpy is missing.
"""

import json
import sys
import time

try:
    import numpy as np
except ImportError:
    print("numpy is not installed")
    sys.exit(3)

RUNS = 2000


def inputs(scene):
    """The scene's numbers as numpy arrays, made once and left out of the timing."""
    a = {name: np.array(value) for name, value in scene.items()}
    a["points"] = round(scene["length"] * 10) + 1  # Python's round takes a half to even
    return a


def levels(a):
    # Points every 0.1 m from the start, and each box's distance to each.
    i = np.arange(a["points"])
    position = a["start"] + np.outer(0.1 * i / a["length"], a["direction"])
    d = position[:, None, :] - a["source"][None, :, :]  # points x boxes x 2
    r = np.hypot(d[..., 0], d[..., 1])

    # Angles from straight down, positive towards +X; the off-axis angle wrapped into
    # (-180, 180] and served by the nearest 5-degree entry, a half to the even one.
    ray = a["ray"]
    aim = np.degrees(np.arctan2(ray[:, 0], -ray[:, 1]))
    theta = np.degrees(np.arctan2(d[..., 0], -d[..., 1])) - aim
    theta = 180.0 - (180.0 - theta) % 360.0
    k = np.rint(theta / 5.0).astype(int) + 36
    defined = ((k >= 0) & (k <= 72) & (r > 0)).all(axis=1)
    k = np.clip(k, 0, 72)

    # Each box's level and phase, and the power of the boxes' summed pressures.
    level = a["band_level"] - a["drop"][k] - a["attenuation"] - 20.0 * np.log10(r)
    pressure = 10.0 ** (level / 20.0) * np.exp(
        1j * np.radians(a["frequency"] * r * 360.0 / 340.0 + a["phase"][k]))
    power = np.abs(pressure.sum(axis=1)) ** 2
    with np.errstate(divide="ignore", invalid="ignore"):
        spl = 10.0 * np.log10(power)
    return np.where(defined & (power > 0) & np.isfinite(power), spl, -200.0)


def main():
    with open(sys.argv[1]) as f:
        a = inputs(json.load(f))
    best = float("inf")
    for _ in range(RUNS):
        t = time.perf_counter()
        result = levels(a)
        best = min(best, time.perf_counter() - t)
    print(f"{best * 1e6:.3f}")
    for level in result:
        print(f"{level:.6f}")


if __name__ == "__main__":
    main()
