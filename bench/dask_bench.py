#!/usr/bin/python3
"""Gauss-Krüger forward on 10^8 points: one call in one process against Dask's worker processes.

The points (20-50 N, 117-123 E, on the 54 ellipsoid, 3-degree zones with the zone number in
front of y) are made from their index by a fixed rule, so one process and every Dask block
make the same ones. Each pipeline makes the points, converts them and sums x and y (the
sums agree to the last bit between runs; only a scalar travels back). Times are the best of
REPEATS runs:

* one process: the conversion alone (one call, with vantrel's threads 1 and 2), and the
  whole pipeline (make, convert, sum) with threads 2;
* Dask: a LocalCluster of 2 worker processes with 1 thread each (vantrel's threads 1 in
  each, one core a worker), the pipeline in chunks of each size; and, for the overhead, the
  same pipeline with no conversion (make and sum B and L).

    PYTHONPATH=build/default/python /usr/bin/python3 bench/dask_bench.py [POINTS] [REPEATS] [CHUNK...]
"""
import os
import sys
import uuid

import numpy as np

import vantrel as v
from vantrel import dask as vd

from python_bench import best  # best of a few runs, as the pyproj comparison times them

GAUSS = v.GaussKruger(zone_width=3, zone_prefix=True)


def make(index):
    """Latitude and longitude (radians) of the points with these indices (float64)."""
    return (np.radians(20 + 30 * np.modf(index * 0.6180339887498949)[0]),
            np.radians(117 + 6 * np.modf(index * 0.7548776662466927)[0]))


def main():
    n = int(float(sys.argv[1])) if len(sys.argv) > 1 else 10**8
    repeats = int(sys.argv[2]) if len(sys.argv) > 2 else 2
    chunks = [int(float(c)) for c in sys.argv[3:]] or [10**6, 10**7, 2.5 * 10**7]
    import dask.array as da
    import distributed

    rows = []
    B, L = make(np.arange(n, dtype=np.float64))
    for threads in (1, 2):
        v.set_threads(threads)
        t, (x, y) = best(lambda: GAUSS.forward(B, L), repeats)
        rows.append((f"one call, threads {threads}", "-", t))
    sums = (x.sum(), y.sum())
    del B, L, x, y

    def local():
        b, l = make(np.arange(n, dtype=np.float64))
        x, y = GAUSS.forward(b, l)
        return x.sum(), y.sum()

    t, got = best(local, repeats)
    assert got == sums
    rows.append(("one process, make + convert + sum", "-", t))

    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True, dashboard_address=None,
                                  silence_logs=50) as cluster, distributed.Client(cluster) as client:
        client.run(lambda: v.set_threads(1))  # one core a worker: the workers are the parallelism
        for chunk in chunks:
            chunk = int(chunk)

            def points():
                # Fresh task names each run: the scheduler would hand back results it still holds.
                index = da.arange(n, chunks=chunk, dtype=np.float64)
                token = uuid.uuid4().hex
                return (index.map_blocks(lambda i: make(i)[0], dtype=np.float64, name="b-" + token),
                        index.map_blocks(lambda i: make(i)[1], dtype=np.float64, name="l-" + token))

            def converted():
                x, y = vd.map_blocks(GAUSS.forward, *points())
                return client.compute([x.sum(), y.sum()], sync=True)

            def made():
                b, l = points()
                return client.compute([b.sum(), l.sum()], sync=True)

            t, got = best(converted, repeats)
            # Sums of chunks add in another order: equal to rounding, the points themselves are bit-equal.
            assert np.allclose(got, sums, rtol=1e-12)
            rows.append(("Dask 2 processes, make + convert + sum", f"{chunk:.0e}", t))
            t, _ = best(made, repeats)
            rows.append(("Dask 2 processes, make + sum only", f"{chunk:.0e}", t))

    one = rows[1][2]
    print(f"{n:.0e} points, {os.cpu_count()} cores, Gauss-Krüger forward (3-degree zones, zone in y)")
    print(f"{'run':42} {'chunk':>7} {'seconds':>8} {'Mpoints/s':>10} {'vs one call':>12}")
    for name, chunk, t in rows:
        print(f"{name:42} {chunk:>7} {t:8.2f} {n / t / 1e6:10.1f} {one / t:12.2f}")


if __name__ == "__main__":
    main()
