#!/usr/bin/python3
"""The vantrel module beside pyproj on numpy arrays, side by side in one run.

The points are those bench/batch_bench.sh generates (random.seed(15): 20-50 N within
3 degrees of 120 E, heights 0-2000 m, Krassovsky = the 54 ellipsoid), taken as arrays:
geodetic -> Gauss (tmerc forward, central meridian 120, k = 1, no false origin), Gauss ->
geodetic (its inverse) and space -> geodetic (geocentric inverse). Each conversion is
timed as the best of a few repetitions, the arrays made beforehand; the table gives the
seconds (vantrel with its default threads and with one), the ratio vantrel / pyproj and the
largest difference between the two results.

    PYTHONPATH=build/default/python /usr/bin/python3 bench/python_bench.py [POINTS] [REPEATS]
"""
import math
import os
import random
import sys
import time

import numpy as np
import pyproj

import vantrel as v


def points(n):
    """The batch benchmark's points: the same random draws in the same order."""
    random.seed(15)
    b = np.empty(n)
    l = np.empty(n)
    h = np.empty(n)
    r = random.random
    rr = random.randrange
    for i in range(n):
        b[i] = 20 + 30 * r()
        l[i] = 117 + 6 * r()
        h[i] = 2000 * r()
        # The draws of the other files the batch benchmark writes on the same line.
        r(), r(), r(), r(), r(), rr(360), rr(60), r(), r()
    # The text files hold the degrees to 9 decimals and the space coordinates to 4.
    b, l = np.round(b, 9), np.round(l, 9)
    a, e2 = 6378245.0, 0.006693421622966
    br, lr = np.radians(b), np.radians(l)
    N = a / np.sqrt(1 - e2 * np.sin(br) ** 2)
    X = np.round((N + h) * np.cos(br) * np.cos(lr), 4)
    Y = np.round((N + h) * np.cos(br) * np.sin(lr), 4)
    Z = np.round((N * (1 - e2) + h) * np.sin(br), 4)
    return b, l, h, X, Y, Z


def best(f, repeats):
    times = []
    for _ in range(repeats):
        t = time.perf_counter()
        out = f()
        times.append(time.perf_counter() - t)
    return min(times), out


def main():
    n = int(sys.argv[1]) if len(sys.argv) > 1 else 1_000_000
    repeats = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    print(f"machine: {os.cpu_count()} cores; load average before: {' '.join(open('/proc/loadavg').read().split()[:3])}")
    print(f"vantrel threads: {v.get_threads()}; pyproj {pyproj.__version__} (PROJ {pyproj.proj_version_str})")
    print(f"generating {n} points ...")
    b, l, h, X, Y, Z = points(n)
    B, L = np.radians(b), np.radians(l)

    gk = v.GaussKruger(54, central_meridian=v.dms_to_rad(120))
    tm_fwd = pyproj.Transformer.from_crs("+proj=longlat +ellps=krass +no_defs",
                                         "+proj=tmerc +ellps=krass +lon_0=120 +k=1 +x_0=0 +y_0=0 +units=m",
                                         always_xy=True)
    tm_inv = pyproj.Transformer.from_crs("+proj=tmerc +ellps=krass +lon_0=120 +k=1 +x_0=0 +y_0=0 +units=m",
                                         "+proj=longlat +ellps=krass +no_defs", always_xy=True)
    geo_inv = pyproj.Transformer.from_crs("+proj=geocent +ellps=krass +units=m",
                                          "+proj=longlat +ellps=krass +no_defs", always_xy=True)

    threads = v.get_threads()

    def ours(f):
        """Best times with the default threads and with one, and the result."""
        t, out = best(f, repeats)
        v.set_threads(1)
        try:
            t1, _ = best(f, repeats)
        finally:
            v.set_threads(threads)
        return t, t1, out

    rows = []
    t1, s1, (x, y) = ours(lambda: gk.forward(B, L))
    t2, (e, nn) = best(lambda: tm_fwd.transform(l, b), repeats)
    rows.append(("B L → Gauss x y (tmerc forward)", t1, s1, t2, max(np.abs(x - nn).max(), np.abs(y - e).max()), "m"))

    t1, s1, (Bi, Li) = ours(lambda: gk.inverse(x, y))
    t2, (lo, la) = best(lambda: tm_inv.transform(y, x), repeats)
    d = max(np.abs(np.degrees(Bi) - la).max(), np.abs(np.degrees(Li) - lo).max()) * 3600
    rows.append(("Gauss x y → B L (tmerc inverse)", t1, s1, t2, d, "″"))

    t1, s1, (Bs, Ls, Hs) = ours(lambda: v.to_geodetic(X, Y, Z, 54))
    t2, (lo, la, hh) = best(lambda: geo_inv.transform(X, Y, Z), repeats)
    d = max(np.abs(np.degrees(Bs) - la).max(), np.abs(np.degrees(Ls) - lo).max()) * 3600
    rows.append(("X Y Z → B L H (geocentric inverse)", t1, s1, t2, d, "″"))

    print()
    print(f"| conversion ({n} points) | vantrel s ({threads} threads) | vantrel s (1 thread) | pyproj s "
          f"| vantrel / pyproj | 1 thread / pyproj | largest difference |")
    print("|---|---|---|---|---|---|---|")
    for name, mine, single, theirs, diff, unit in rows:
        print(f"| {name} | {mine:.3f} | {single:.3f} | {theirs:.3f} | {mine / theirs:.3f}× | {single / theirs:.3f}× "
              f"| {diff:.2g} {unit} |")
    print()
    print(f"load average after: {' '.join(open('/proc/loadavg').read().split()[:3])}")


if __name__ == "__main__":
    main()
