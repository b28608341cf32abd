"""Point files and CSV read as vantrel-cli reads them, errors="nan" on every array conversion,
the version and the threads."""
import math
import pathlib
import re
import subprocess

import numpy as np
import pytest

import vantrel as v
from conftest import BUILD_DIR, SOURCE_DIR

CM120 = v.dms_to_rad(120)


# ------------------------------------------------------------------ point files and CSV
@pytest.mark.parametrize("name,text,names,values,remarks,columns", [
    # Every number of a point line is kept; the remark starts at the first word that is none.
    ("p.txt", "# 测区 A\r\nK1 10 20 31.5 界桩 2\r\n\r\nK2 11 21\r\n", ["K1", "K2"],
     [[10, 20, 31.5], [11, 21, math.nan]], ["界桩 2", ""], None),
    # Delimited .txt without a header, with remark lines, as the command line reads it.
    ("t.txt", "# 导出\nK1\t10\t20\t5\tA\nK2\t11\t21\t\tB\n", ["K1", "K2"], [[10, 20, 5], [11, 21, math.nan]],
     ["A", "B"], None),
    # CSV: northing/easting headers are x and y wherever they stand; text columns make the remark.
    ("c.csv", "code;东坐标;点名;北坐标;H\nc1;20;K1;10;7.5\nc2;21;K2;11;8\n", ["K1", "K2"],
     [[10, 20, 7.5], [11, 21, 8]], ["c1", "c2"], ["北坐标", "东坐标", "H"]),
    ("n.txt", "name,N,E\nK1,10,20\n", ["K1"], [[10, 20]], [""], ["N", "E"]),
    ("x.txt", "Y,X,name\n20,10,K1\n", ["K1"], [[10, 20]], [""], ["X", "Y"]),
])
def test_point_files_and_csv_keep_every_number(tmp_path, name, text, names, values, remarks, columns):
    path = tmp_path / name
    path.write_bytes(text.encode("utf-8"))
    r = v.read_point_file(path)
    assert r.names == names and r.remarks == remarks and r.columns == columns
    np.testing.assert_array_equal(r.values, np.array(values))
    np.testing.assert_array_equal(r.xy, np.array(values)[:, :2])


def test_a_typo_in_a_column_of_numbers_is_said_not_swallowed(tmp_path):
    path = tmp_path / "h.csv"
    path.write_bytes("name,x,y,H\nK1,10,20,7.5\nK2,11,21,8,O\nK3,12,22,8.5\n".replace("8,O", "8.O").encode())
    with pytest.warns(UserWarning, match=r"H列第3行的 \"8.O\" 不是数值, 整列作为备注"):
        r = v.read_point_file(path)
    assert r.remarks == ["7.5", "8.O", "8.5"] and r.values.shape == (3, 2)


def test_a_file_reads_as_the_command_line_converts_it(tmp_path):
    # One comma-separated .txt through vantrel-cli gauss2blh and through read_point_file + inverse.
    program = pathlib.Path(BUILD_DIR or "", "cli", "vantrel-cli")
    if not BUILD_DIR or not program.exists():
        pytest.skip("vantrel-cli is not built beside the module (run from CTest)")
    gk = v.GaussKruger(central_meridian=CM120)
    x, y = gk.forward(v.dms_to_rad(np.array([31.0, 30.5])), v.dms_to_rad(np.array([121.3030, 119.45])))
    path = tmp_path / "g.txt"
    path.write_text("# 测区\r\n" + "".join(f"P{i},{x[i]!r},{y[i]!r},12.5\r\n" for i in range(2)), encoding="utf-8")
    out = subprocess.run([str(program), "gauss2blh", "--angles", "rad", "--cm", repr(CM120), "-q", str(path)],
                         capture_output=True, check=True).stdout.decode()
    r = v.read_point_file(path)
    B, L = gk.inverse(r.xy[:, 0], r.xy[:, 1])
    assert out.splitlines()[1:] == [f"P{i},{b},{l},12.5" for i, (b, l) in enumerate(zip(v.general_text(B), v.general_text(L)))]
    assert r.names == ["P0", "P1"] and r.values[:, 2].tolist() == [12.5, 12.5]


def test_layout_options_and_faults(tmp_path):
    path = tmp_path / "d.txt"
    path.write_bytes(b"K1;10;20\n")
    assert v.read_point_file(path, delimiter=";", columns=["name", "x", "y"]).names == ["K1"]
    with pytest.raises(v.InputError, match=r"数据格式有错 \(第1行\)"):
        v.read_point_file(path, format="points")
    path = tmp_path / "d.csv"
    path.write_bytes(b"name,lat,lon\nK1,31,121\n")
    with pytest.raises(v.InputError, match=r"第1行: 表头中没有x列") as e:
        v.read_point_file(path)
    assert e.value.line == 1
    for kwargs in (dict(format="dxf"), dict(delimiter="|")):
        with pytest.raises(v.InputError, match=next(iter(kwargs))):
            v.read_point_file(path, **kwargs)


# ------------------------------------------------------------------ errors="nan"
B = v.dms_to_rad(np.array([31.0, 60.0, 30.3]))
L = v.dms_to_rad(np.array([121.0, 121.0, 119.45]))


def conversions():
    """Every array conversion with arguments where point 1 and only it is refused (or None: all pass)."""
    gk = v.GaussKruger(central_meridian=CM120)
    auto = v.GaussKruger(central_meridian=CM120, anomaly="auto")
    zoned = v.GaussKruger(zone_width=6)
    x, y = gk.forward(B, L)
    X, Y, Z = v.to_space(B, L, 100.0)
    utm, lam = v.UTM(), v.Lambert(CM120, v.dms_to_rad(25), v.dms_to_rad(47))
    seven = v.SevenParameters(81.37785, 197.46387, 167.83978, -1.01922, 5.04083, .197089, -14.99384)
    fit = v.fit_common_points([[0, 0], [100, 0], [0, 100]], [[10, 10], [110, 10], [10, 110]])
    return [
        ("to_space", lambda **e: v.to_space(B, L, 100.0, **e), None),
        ("to_geodetic", lambda **e: v.to_geodetic(X, Y, Z, **e), None),
        ("Ellipsoid.to_space", lambda **e: v.Ellipsoid(84).to_space(B, L, 100.0, **e), None),
        ("Ellipsoid.to_geodetic", lambda **e: v.Ellipsoid(54).to_geodetic(X, Y, Z, **e), None),
        ("GaussKruger.forward auto", lambda **e: auto.forward(B, L, **e), "纬度不在中国范围内"),
        ("GaussKruger.forward H", lambda **e: auto.forward(B, L, np.zeros(3), **e), "纬度不在中国范围内"),
        ("GaussKruger.inverse auto", lambda **e: auto.inverse(x, y, **e), "点位不在中国范围内"),
        ("GaussKruger.inverse zone", lambda **e: zoned.inverse(x, y, zone=[51, 61, 50], **e), "带号不对!"),
        ("change_zone", lambda **e: v.change_zone(x, y, CM120, v.dms_to_rad(123), **e), None),
        ("UTM.forward", lambda **e: utm.forward(B, L, **e), None),
        ("UTM.inverse", lambda **e: utm.inverse(x, y + 500000, zone=[51, 0.5, 50], **e), "带号不对!"),
        ("Lambert.forward", lambda **e: lam.forward([B[0], -math.pi / 2, B[2]], L, **e), "兰勃特投影不能计算此点!"),
        ("Lambert.inverse", lambda **e: lam.inverse(*lam.forward(B, L), **e), None),
        ("SevenParameters.transform", lambda **e: seven.transform(X, Y, Z, **e), None),
        ("SevenParameters.to_gauss", lambda **e: seven.to_gauss(X, Y, Z, **e), None),
        ("CommonPointFit.apply", lambda **e: fit.apply(x, y, **e), None),
        ("Rotation.apply", lambda **e: v.Rotation(0, 0, 10, 10, 0.1).apply(x, y, **e), None),
    ]


@pytest.mark.parametrize("name,call,refusal", conversions())
def test_errors_nan_gives_nan_and_the_reason_of_each_point(name, call, refusal):
    results, status = call(errors="nan")
    got = np.stack(results) if isinstance(results, tuple) else results[np.newaxis]
    assert status.dtype == np.uint8 and status.shape == (3,)
    if refusal is None:
        assert not status.any()
        np.testing.assert_array_equal(got, np.stack(call()) if isinstance(results, tuple) else call()[np.newaxis])
        return
    assert status[0] == status[2] == 0 and status[1] != 0
    assert v.status_message(int(status[1])).startswith(refusal)
    assert v.status_codes()[int(status[1])] == v.status_message(int(status[1]))
    assert np.isnan(got[:, 1]).all() and not np.isnan(got[:, [0, 2]]).any()
    # The default raises with the same message and names the point.
    with pytest.raises(v.InputError, match=re.escape(v.status_message(int(status[1]))) + r" \(index 1\)"):
        call()


def test_errors_nan_on_scalars_and_wrong_values():
    auto = v.GaussKruger(central_meridian=CM120, anomaly="auto")
    xy, status = auto.forward(float(B[1]), float(L[1]), errors="nan")
    assert math.isnan(xy.x) and math.isnan(xy.y) and status == 1
    assert v.status_message(0) == "" and v.status_message(status).startswith("纬度不在中国范围内")
    assert auto.forward(float(B[0]), float(L[0]), errors="nan")[1] == 0
    with pytest.raises(v.InputError, match="errors 应为 'raise' 或 'nan'"):
        auto.forward(B, L, errors="ignore")
    with pytest.raises(v.InputError, match="没有状态码"):
        v.status_message(200)


# ------------------------------------------------------------------ version and threads
def test_version_is_the_projects():
    declared = re.search(r"project\(Vantrel VERSION ([0-9.]+)", (SOURCE_DIR / "CMakeLists.txt").read_text())
    assert v.__version__ == declared.group(1)


@pytest.mark.parametrize("n", [-1, 0, 65, 2**40])
def test_set_threads_refuses_counts_with_the_modules_error(n):
    before = v.get_threads()
    with pytest.raises(v.InputError, match="threads 应在 1..64 之间"):
        v.set_threads(n)
    assert v.get_threads() == before


def test_errors_nan_keeps_points_far_from_the_meridian_unless_strict():
    zoned = v.GaussKruger(zone_width=6)
    x, y = v.GaussKruger(central_meridian=CM120).forward(B, L)
    far = next(code for code, m in v.status_codes().items() if "中央子午线" in m)
    (lat, lon), status = zoned.inverse(x, y + 500000, zone=[51, 61, 50], errors="nan")
    assert list(status) == [far, status[1], far] and status[1] not in (0, far)
    assert np.isfinite(lat[[0, 2]]).all() and np.isnan(lat[1])
    (lat, lon), status = zoned.inverse(x, y + 500000, zone=[51, 61, 50], errors="nan", strict=True)
    assert np.isnan(lat).all()
