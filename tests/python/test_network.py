"""Network adjustment: the same networks from lists, from the observation files and through vantrel-cli."""
import json
import os
import pathlib
import subprocess

import numpy as np
import pytest

import vantrel as v

D = v.dms_to_rad

# examples/adjustment/network.txt written as lists, in every form the function takes, in the
# file's order of points and observations.
POINTS = [("K1", 3521468.207, 512105.934), ["K2", 3520866.428, 513240.286],
          {"name": "K3", "x": 3522012.551, "y": 513302.118}, {"name": "N3", "approx": (3521270.3, 513105.9)},
          "N2", ("N1",)]
OBSERVATIONS = [
    ("set", "K1", [("N2", D(0.00217), 705.923), ("K2", D(42.06388)), ("N1", D(45.33565), 552.086)]),
    ("direction", "N1", "K1", D(0.00223), None, 1),
    ("direction", "N1", "N2", D(83.27430), None, 1), ("distance", "N1", "N2", 507.327),
    ("direction", "N1", "N3", D(138.58115), None, 1), ("distance", "N1", "N3", 536.300),
    {"kind": "direction", "station": "N1", "target": "K2", "value": D(173.57063), "set": 1},
    {"kind": "distance", "station": "N1", "target": "K2", "value": 733.766},
    ("set", "N1", [("K1", D(0.00305)), ("N2", D(83.27498)), ("N3", D(138.58203)), ("K2", D(173.57146))]),
    {"kind": "set", "station": "N2", "targets": [("K3", D(0.00125), 632.447), ("N3", D(85.35111), 486.674),
                                                 ("N1", D(150.51104)), ("K1", D(201.50150))]},
    ("set", "N3", [("N1", D(0.00094)), ("N2", D(59.13409)), ("K3", D(114.26432), 767.737),
                   ("K2", D(261.14041), 425.658)]),
    ("set", "K3", [("N2", D(0.00273)), ("N3", D(320.48283))]),
    ("distance", "N1", "K1", 552.084, 3),
]

LEVEL_POINTS = [("BM1", 48.2565), {"name": "BM2", "height": 52.1090}, "A", ("B",), "C"]
LEVEL_LINES = [("BM1", "A", 2.4740, 1.8), ("A", "B", -2.7838, 2.3), ("B", "BM2", 4.1626, 2.0),
               ("A", "C", -1.3399, 1.5), ("C", "BM2", 2.7143, 1.9), ("B", "C", 1.4458, 1.2),
               {"from": "BM1", "to": "B", "dh": -0.3071, "amount": 2.6}]


def plane_figures(a):
    o = a.observations
    return [a.xy, a.sigma, a.sigma_p, a.covariance_xy, a.ellipses, a.adjusted, o.observed, o.adjusted,
            o.residuals, o.sigma, o.sigma_adjusted, o.redundancy, o.standardized,
            a.relative_ellipses.ellipses, [w for _, w in a.orientations],
            [a.sigma0, a.dof, a.chi2, *a.chi2_bounds, a.global_test_passed, a.iterations]]


def test_network_from_lists_equals_the_file(examples):
    listed = v.adjust_network(POINTS, OBSERVATIONS, direction_sigma=1.0, distance_sigma=(2, 2))
    read = v.adjust_network_file(examples / "adjustment" / "network.txt")
    assert read.levelling is None and listed.points == read.plane.points
    assert listed.observations.kinds == read.plane.observations.kinds
    for mine, theirs in zip(plane_figures(listed), plane_figures(read.plane)):
        np.testing.assert_array_equal(mine, theirs)
    assert not listed.observations.file_lines.any() and read.plane.observations.file_lines[-1] == 43


def without_file_lines(report):
    doc = json.loads(report)
    del doc["file"]
    for part in ("plane", "levelling"):
        for row in doc.get(part, {}).get("observations" if part == "plane" else "lines", []):
            del row["line"]
    return doc


OPTIONS = {"direction_sigma": 2, "distance_sigma": (3, 1), "free": ["K1", "K2"], "a_priori": True}


@pytest.mark.parametrize("form", ["json", "text", "html"])
def test_reports_are_the_command_lines(examples, form):
    program = pathlib.Path(os.environ.get("VANTREL_BUILD_DIR", ""), "cli", "vantrel-cli")
    if not program.exists():
        pytest.skip("vantrel-cli is not built beside the module (run from CTest)")
    path = str(examples / "adjustment" / "network.txt")
    out = subprocess.run([str(program), "adjust", "--report", form, "--direction-sigma", "2", "--distance-sigma",
                          "3,1", "--free=K1,K2", "--a-priori", path], capture_output=True, check=True).stdout
    read = v.adjust_network_file(path, **OPTIONS)
    assert read.report(form) == out.decode("utf-8").replace("\r\n", "\n")
    if form == "json":
        # Every figure of the lists' adjustment is the program's, to the last bit.
        listed = v.adjust_network(POINTS, OBSERVATIONS, **OPTIONS)
        assert without_file_lines(listed.report("json")) == without_file_lines(out)


def test_levelling_from_lists_equals_the_file(examples):
    listed = v.adjust_levelling(LEVEL_POINTS, LEVEL_LINES, weight="length", sigma=2)
    read = v.adjust_network_file(examples / "adjustment" / "levelling.txt").levelling
    assert listed.points == read.points == ["BM1", "BM2", "A", "B", "C"]
    for name in ["heights", "height_sigma", "adjusted", "sigma0", "sigma0_a_priori", "dof", "chi2", "chi2_bounds"]:
        np.testing.assert_array_equal(getattr(listed, name), getattr(read, name))
    for mine, theirs in zip(listed.lines[:-1], read.lines[:-1]):
        np.testing.assert_array_equal(mine, theirs)
    np.testing.assert_array_equal(read.lines.file_lines, range(8, 15))
    assert without_file_lines(listed.report("json")) == without_file_lines(read.report("json"))
    mine, theirs = listed.report().splitlines(), read.report().splitlines()
    assert [a for a, b in zip(mine, theirs) if a != b] == ["文件: (Python)"] and len(mine) == len(theirs)


def test_arrays_line_up_with_points_and_observations():
    a = v.adjust_network(POINTS, OBSERVATIONS)
    n, m = len(a.points), len(a.observations.kinds)
    shapes = {"xy": (n, 2), "sigma": (n, 2), "sigma_p": (n,), "ellipses": (n, 3), "adjusted": (n, 2)}
    for name, shape in shapes.items():
        value = getattr(a, name)
        assert value.shape == shape and value.dtype == (bool if name == "adjusted" else np.float64), name
    o = a.observations
    for name in ["observed", "adjusted", "residuals", "sigma", "sigma_adjusted", "redundancy", "standardized"]:
        assert getattr(o, name).shape == (m,) and getattr(o, name).dtype == np.float64, name
    assert a.relative_ellipses.pairs.dtype == np.int64 and a.relative_ellipses.ellipses.shape[1] == 3
    # Each row belongs to its point and its observation: fixed points have no σ, residuals are
    # adjusted minus observed, the redundancy numbers add up to the degrees of freedom.
    np.testing.assert_array_equal(a.sigma[~a.adjusted], 0)
    np.testing.assert_allclose(a.sigma_p, np.hypot(a.sigma[:, 0], a.sigma[:, 1]))
    distances = np.array(o.kinds) == "distance"
    np.testing.assert_allclose((o.adjusted - o.observed)[distances], o.residuals[distances], atol=1e-9)
    xy = dict(zip(a.points, a.xy))
    for s, t, d in zip(np.array(o.stations)[distances], np.array(o.targets)[distances], o.adjusted[distances]):
        assert np.hypot(*(xy[t] - xy[s])) == pytest.approx(d, abs=1e-6)
    assert o.redundancy.sum() == pytest.approx(a.dof)
    # Scaled by the a-priori σ0 the σ shrink by the ratio of the two σ0.
    prior = v.adjust_network(POINTS, OBSERVATIONS, a_priori=True)
    np.testing.assert_allclose(prior.sigma * a.sigma0 / a.sigma0_a_priori, a.sigma, rtol=1e-12)


def test_levelling_lines_close_on_the_adjusted_heights():
    a = v.adjust_levelling(LEVEL_POINTS, LEVEL_LINES, sigma=2)
    h = dict(zip(a.points, a.heights))
    lines = a.lines
    np.testing.assert_allclose([h[t] - h[s] for s, t in zip(lines.starts, lines.ends)], lines.adjusted, atol=1e-12)
    np.testing.assert_allclose(lines.observed + lines.residuals, lines.adjusted, atol=1e-12)
    np.testing.assert_allclose(lines.sigma, 0.002 * np.sqrt(lines.amount))
    assert lines.redundancy.sum() == pytest.approx(a.dof) and a.dof == 4
    assert a.adjusted.tolist() == [False, False, True, True, True]
    # The same lines counted in set-ups: a line's weight goes with its number of set-ups.
    setups = v.adjust_levelling(LEVEL_POINTS, [(*line[:3], 4) if isinstance(line, tuple) else line
                                               for line in LEVEL_LINES], weight="setups", sigma=1)
    np.testing.assert_allclose(setups.lines.sigma[:-1], 0.002)


def test_free_network_keeps_the_centroid_of_its_datum_points():
    fixed = v.adjust_network(POINTS, OBSERVATIONS)
    known = np.array([[p[1], p[2]] for p in POINTS[:2]] + [[POINTS[2]["x"], POINTS[2]["y"]]])
    for chosen in [True, ["K1", "K2", "K3"]]:
        a = v.adjust_network(POINTS, OBSERVATIONS, free=chosen)
        # Every coordinate an unknown, less the datum's shift and rotation (the scale is measured).
        assert a.adjusted.all() and a.dof == fixed.dof - 3
    np.testing.assert_allclose(a.xy[:3].mean(axis=0), known.mean(axis=0), atol=1e-6)


NO_REDUNDANCY = [("set", "K1", [("K2", 0.0), ("P", 1.0, 300.0)])]


@pytest.mark.parametrize("points, observations, message", [
    (POINTS, OBSERVATIONS + [("distance", "N1", "N9", 100.0)], "第 32 个观测的点名未知：N9"),
    (POINTS, OBSERVATIONS + [("angle", "N1", "N1", "K1", 1.0)], "观测不能从一个点到它自己"),
    (POINTS[:2] + ["P"], NO_REDUNDANCY, "没有多余观测（自由度为 0）"),
    (POINTS, [("distance", "K1", "N2")], r"observations\[0\]: 应为 \(\"distance\", 测站, 目标, 平距\(米\)"),
    (POINTS, [("bearing", "K1", "N2", 1.0)], "观测的种类应为 'direction'、'angle'、'distance'、'azimuth' 或 'set'"),
    (POINTS, [("distance", "K1", "N2", "100")], "value 应为有限的数"),
    (POINTS, [("distance", "K1", "N2", 100.0, -2)], "sigma 应为正数"),
    ([("K1", 1.0)], OBSERVATIONS, r"points\[0\]: 应为 \(点名,\)"),
    ([{"name": "K1", "z": 1.0}], OBSERVATIONS, "有不认识的键"),
])
def test_bad_networks_are_refused_with_the_reason(points, observations, message):
    with pytest.raises(v.InputError, match=message):
        v.adjust_network(points, observations)


@pytest.mark.parametrize("lines, message", [
    ([("BM1", "BM1", 1.0, 1.0)], "第 1 条水准路线从 BM1 到 BM1：观测不能从一个点到它自己"),
    ([("BM1", "X", 1.0, 1.0)], "第 1 条水准路线的点名未知：X"),
    ([("BM1", "A", 1.0, 1.0)], "没有多余观测"),
    ([("BM1", "A", 1.0, 0.0)], "中误差不是正数"),
])
def test_bad_levelling_is_refused_with_the_reason(lines, message):
    with pytest.raises(v.InputError, match=message):
        v.adjust_levelling(LEVEL_POINTS[:3], lines)


def test_traverse_file_is_adjusted_as_a_network_with_the_options(examples, tmp_path):
    path = examples / "traverse" / "connecting.txt"
    a = v.adjust_network_file(path)
    t = v.adjust_traverse(path)
    xy = dict(zip(a.plane.points, a.plane.xy))
    # The rigorous coordinates stay within the traverse's linear misclosure of the compass rule's.
    for name, p in zip(t.names, t.xy):
        assert np.hypot(*(xy[name] - p)) < t.fs
    wide = v.adjust_network_file(path, angle_sigma=10, distance_sigma=(5, 5), a_priori=True)
    assert (wide.plane.observations.sigma > a.plane.observations.sigma).all()
    # Oriented by known azimuths instead of sighted points, its end angles become azimuths that
    # keep the angle's σ.
    text = path.read_text(encoding="utf-8")
    text = text.replace("后视 GP05 3518634.540 509871.220", "起始方位 122.27229")
    text = text.replace("前视 GP10 3518824.905 511690.044", "终止方位 40.31123")
    (tmp_path / "azimuths.txt").write_text(text, encoding="utf-8")
    o = v.adjust_network_file(tmp_path / "azimuths.txt", angle_sigma=10).plane.observations
    kinds = np.array(o.kinds)
    assert (kinds == "azimuth").sum() == 2
    np.testing.assert_array_equal(o.sigma[kinds != "distance"], 10 / 206264.80624709636)
    levelling = v.adjust_network_file(examples / "adjustment" / "levelling.txt", level_sigma=3).levelling
    np.testing.assert_allclose(levelling.lines.sigma, 0.003 * np.sqrt(levelling.lines.amount), rtol=1e-15)
    with pytest.raises(v.FileError):
        v.adjust_network_file(examples / "adjustment" / "none.txt")
