"""Coordinate systems by EPSG code: the CRS object, the transformer on scalars, arrays and
DataFrame columns against pyproj, the datum refusal, and the command line's digits."""
import threading

import numpy as np
import pytest

import vantrel as v


def test_crs_states_its_registry_definition():
    c = v.CRS.from_epsg(4548)
    assert c == v.CRS("EPSG:4548") == v.CRS(4548)
    assert c.name == "CGCS2000 / 3-degree Gauss-Kruger CM 117E"
    assert c.axis_order == ("x", "y") and c.kind == "projected" and c.ellipsoid == "2000"
    assert c.projection["central_meridian"] == 117 and c.projection["false_easting"] == 500000
    assert c.area_of_use.west == 115.5 and c.area_of_use.east == 118.5
    assert v.CRS(4490).axis_order == ("lat", "lon")
    assert v.CRS(32750).axis_order == ("E", "N") and v.CRS(32750).projection["false_northing"] == 1e7
    assert v.CRS(4527).projection["false_easting"] == 39500000
    assert len(v.CRS.codes()) == 318
    for bad in ("EPSG:9999", "ESRI:4548", "4548.0"):
        with pytest.raises(v.InputError):
            v.CRS(bad)


@pytest.mark.parametrize("src,dst", [(4490, 4548), (4214, 21460), (4610, 2364), (4326, 32750), (4326, 4978)])
def test_transform_agrees_with_pyproj_on_arrays_and_scalars(src, dst):
    pyproj = pytest.importorskip("pyproj")
    area = v.CRS(dst).area_of_use
    rng = np.random.default_rng(dst)
    lat = rng.uniform(max(area.south, -79), min(area.north, 83), 2000)
    lon = rng.uniform(area.west, area.east, 2000)
    t = v.Transformer.from_crs(src, dst)
    ref = pyproj.Transformer.from_crs(f"EPSG:{src}", f"EPSG:{dst}")  # the registry's axis order
    extra = (rng.uniform(-50, 3000, 2000),) if v.CRS(dst).kind == "geocentric" else ()
    got, want = t.transform(lat, lon, *extra), ref.transform(lat, lon, *extra)
    for a, b in zip(got, want):
        assert np.max(np.abs(a - b)) < 1e-3
    assert t.transform(float(lat[7]), float(lon[7]), *(float(e[7]) for e in extra)) == tuple(g[7] for g in got)
    back = v.Transformer.from_crs(dst, src).transform(*got)
    assert np.max(np.abs(back[0] - lat)) < 1e-8 and np.max(np.abs(back[1] - lon)) < 1e-8


def test_datums_are_never_guessed():
    with pytest.raises(v.InputError, match="几十米到一百多米"):
        v.Transformer.from_crs(4214, 4490)
    with pytest.raises(v.InputError, match="same_datum"):
        v.Transformer.from_crs("EPSG:4490", "EPSG:4326")
    same = v.Transformer.from_crs(4490, 4326, same_datum=True)
    assert same.transform(31.25, 117.5) == pytest.approx((31.25, 117.5), abs=1e-12)
    p = (-15.4, 120.2, 30.1, 2.5, 0.3, -0.8, 1.2)
    shifted = v.Transformer.from_crs(4214, 4490, params=p).transform(31.25, 117.5)
    assert shifted != pytest.approx((31.25, 117.5), abs=1e-6)
    assert v.Transformer.from_crs(4214, 4490, params=v.SevenParameters(*p)).transform(31.25, 117.5) == shifted
    # Four plane parameters between two projected systems: the similarity itself, worked out here.
    dx, dy, seconds, ppm = -12.345, 45.678, 2.5, 3.1
    t, k = np.radians(seconds / 3600), 1 + ppm * 1e-6
    x, y = np.array([3500000.0, 3504397.4]), np.array([500000.0, 502501.1])
    got = v.Transformer.from_crs(2384, 4548, params=(dx, dy, seconds, ppm)).transform(x, y)
    np.testing.assert_allclose(got, (k * (x * np.cos(t) + y * np.sin(t)) + dx,
                                     k * (-x * np.sin(t) + y * np.cos(t)) + dy), rtol=0, atol=1e-8)
    with pytest.raises(v.InputError, match="四参数"):
        v.Transformer.from_crs(2384, 4490, params=(dx, dy, seconds, ppm))


def test_zone_prefix_checked_and_nan_errors():
    t = v.Transformer.from_crs(4548, 4490)
    lat, lon = t.transform(np.array([3486000.0, 3486000.0]), np.array([39523707.5, 523707.5]))
    assert lat[0] == lat[1] and lon[0] == lon[1]
    with pytest.raises(v.InputError, match="带号") as e:
        t.transform(np.array([3486000.0, 3486000.0]), np.array([523707.5, 38523707.5]))
    assert e.value.index == 1
    (lat, lon), status = t.transform([3486000.0, 3486000.0], [523707.5, 38523707.5], errors="nan")
    assert np.isnan(lat[1]) and status[1] != 0 and status[0] == 0


def test_dataframe_columns_and_threads():
    pd = pytest.importorskip("pandas")
    df = pd.DataFrame({"name": ["A", "B"], "lat": [31.5, 40.0], "lon": [117.25, 116.0], "code": [1, 2]})
    t = v.Transformer.from_crs(4490, 4548)
    out = t.transform_dataframe(df)
    assert list(out.columns) == ["name", "lat", "lon", "code", "x", "y"] and list(df.columns)[-1] == "code"
    x, y = t.transform(df["lat"].to_numpy(), df["lon"].to_numpy())
    assert (out["x"].to_numpy() == x).all() and (out["y"].to_numpy() == y).all()
    # The array call releases the GIL: two threads on one transformer give the same bits.
    lat = np.linspace(22.7, 49.8, 200_000)
    lon = np.linspace(115.6, 118.4, 200_000)
    results = [None, None]

    def work(i):
        results[i] = t.transform(lat, lon)

    threads = [threading.Thread(target=work, args=(i,)) for i in range(2)]
    for th in threads:
        th.start()
    for th in threads:
        th.join()
    assert all((a == b).all() for a, b in zip(*results))


def test_command_line_gives_the_same_digits(cli):
    rng = np.random.default_rng(5)
    rows = np.column_stack([rng.uniform(23, 49, 200), rng.uniform(115.5, 118.5, 200)])
    words = cli(["convert", "--from", "EPSG:4490", "--to", "EPSG:4527", "--decimals", "4"], rows)
    x, y = v.Transformer.from_crs(4490, 4527).transform(rows[:, 0], rows[:, 1])
    assert [w[:2] for w in words] == [[v.format_pattern(float(a), "#.0000"), v.format_pattern(float(b), "#.0000")]
                                      for a, b in zip(x, y)]
