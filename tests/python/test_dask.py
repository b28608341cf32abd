"""The Dask recipe: conversions spread over a local cluster of worker processes give the
same bits and statuses as one call."""
import numpy as np
import pytest

import vantrel as v

try:
    import dask.array as da
    import dask.dataframe as dd
    import distributed
    import pandas as pd
except ImportError as e:  # scripts/setup.sh installs them; elsewhere the recipe cannot run
    pytest.skip(f"dask, distributed or pandas not importable ({e}): "
                "apt-get install python3-dask python3-distributed python3-pandas", allow_module_level=True)

from vantrel import dask as vd

N = 2_000_000
CHUNK = 300_000


@pytest.fixture(scope="module")
def client():
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True, dashboard_address=None,
                                  silence_logs=50) as cluster, distributed.Client(cluster) as c:
        yield c


@pytest.fixture(scope="module")
def points():
    rng = np.random.default_rng(26)
    B = np.radians(18 + 36 * rng.random(N))  # some beyond the 1954 anomaly model's window
    L = np.radians(72 + 64 * rng.random(N))
    return B, L, 1500 * rng.random(N)


def test_arrays_over_worker_processes_equal_one_call(client, points):
    B, L, H = points
    assert len(client.scheduler_info()["workers"]) == 2
    g = v.GaussKruger(anomaly="auto", zone_width=6, zone_prefix=True)
    (x, y, h), status = g.forward(B, L, H, errors="nan")
    assert 0 < np.count_nonzero(status) < N  # refusals travel too
    dB, dL, dH = (da.from_array(a, chunks=CHUNK) for a in (B, L, H))
    spread, spread_status = vd.map_blocks(g.forward, dB, dL, H=dH, errors="nan")
    assert type(spread) is v.PlaneXYH
    got = client.compute([*spread, spread_status], sync=True)
    for a, b in zip((x, y, h), got):
        assert b.dtype == np.float64 and np.array_equal(a, b, equal_nan=True)
    assert got[3].dtype == np.uint8 and np.array_equal(status, got[3])
    # One result comes as one array; module functions travel by name.
    assert np.array_equal(v.rad_to_dms(B), vd.map_blocks(v.rad_to_dms, dB).compute())


def test_dataframe_partitions_equal_one_call(client, points):
    B, L, H = (a[:500_000] for a in points)
    frame = pd.DataFrame({"name": np.arange(len(B))}, index=np.arange(len(B)) * 3)
    seven = v.SevenParameters(-15.4, 130.6, 81.2, 1.2, 0.3, -0.1, 0.8)
    X, Y, Z = v.to_space(B, L, H, 54)
    frame["X"], frame["Y"], frame["Z"] = X, Y, Z
    spread = vd.map_partitions(seven.to_gauss, dd.from_pandas(frame, npartitions=7), ["X", "Y", "Z"],
                               ["X2", "Y2", "Z2", "x", "y", "h"], ellipsoid=80, central_meridian_deg=117, errors="nan")
    got = client.compute(spread, sync=True)
    assert list(got.columns) == ["X2", "Y2", "Z2", "x", "y", "h", "status"]
    assert dict(got.dtypes) == dict(spread.dtypes) and got.index.equals(frame.index)
    direct, status = seven.to_gauss(X, Y, Z, ellipsoid=80, central_meridian_deg=117, errors="nan")
    for name, column in zip(got.columns, (*direct, status)):
        assert np.array_equal(got[name].to_numpy(), column, equal_nan=True)
