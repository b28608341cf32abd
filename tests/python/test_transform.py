"""Four-parameter fit, rotation and point files, read and written as the calculator does."""
import math
import warnings

import numpy as np
import pytest

import vantrel as v

OLD = np.array([[3456789.123, 456789.321], [3457789.5, 457100.25], [3456100.0, 458000.75],
                [3455500.5, 456000.0], [3458000.0, 455500.5]])


def similarity(p, xy):
    dX, dY, t, m = p
    x, y = xy[:, 0], xy[:, 1]
    return np.column_stack([(1 + m) * (x * math.cos(t) + y * math.sin(t)) + dX,
                            (1 + m) * (-x * math.sin(t) + y * math.cos(t)) + dY])


@pytest.mark.parametrize("p", [
    (120.5, -33.25, 1e-4, 2e-6),
    (-5000.0, 8000.0, math.radians(89.5), -1e-5),   # near a quarter turn
    (0.0, 0.0, math.radians(179.0), 0.0),
])
def test_fit_recovers_exact_parameters(p):
    fit = v.fit_common_points(OLD, similarity(p, OLD))
    for got, want, tol in zip(fit.parameters, p, (1e-5, 1e-5, 1e-11, 1e-11)):
        assert got == pytest.approx(want, abs=tol)
    assert fit.sigma0 < 1e-6 and np.abs(fit.residuals).max() < 1e-6
    X, Y = fit.apply(OLD[:, 0], OLD[:, 1])
    np.testing.assert_allclose(np.column_stack([X, Y]), similarity(p, OLD), atol=1e-6)


def test_residuals_sigma0_and_the_parameter_window_texts():
    noise = np.array([[0.01, 0], [0, -0.01], [0, 0], [0.005, 0.005], [-0.004, 0.002]])
    new = similarity((100, 200, 1e-4, 0), OLD) + noise
    fit = v.fit_common_points(OLD, new, names=list("ABCDE"))
    X, Y = fit.apply(OLD[:, 0], OLD[:, 1])
    np.testing.assert_array_equal(fit.residuals, new - np.column_stack([X, Y]))
    n = len(OLD)
    assert fit.sigma0 == pytest.approx(math.sqrt((fit.residuals ** 2).sum() / (2 * n - 4)), rel=1e-6)
    t = fit.texts
    assert t.shift_x.startswith(v.format_pattern(fit.shift_x, "######0.000") + "±")
    assert t.scale == (v.format_pattern(1e6 * fit.scale, "#####0.00") + "±"
                       + v.format_pattern(1e6 * fit.standard_errors[3], "####0.000"))
    assert t.rotation.startswith(v.rad_to_dms_text(fit.rotation))
    assert fit.names == list("ABCDE") and all(e > 0 for e in fit.standard_errors)


@pytest.mark.parametrize("old,new,message", [
    (OLD[:1], OLD[:1], "公共点少于2个,不能转换!"),
    (np.zeros((3, 2)), OLD[:3], "公共点不能确定转换参数,不能转换!"),
])
def test_fit_refusals(old, new, message):
    with pytest.raises(v.InputError, match=message):
        v.fit_common_points(old, new)


@pytest.mark.parametrize("old,new", [(OLD, OLD[:4]), (OLD[:, :1], OLD[:, :1]), (OLD.ravel(), OLD.ravel())])
def test_fit_shapes(old, new):
    with pytest.raises(v.InputError, match="输入信息错误!"):
        v.fit_common_points(old, new)


def write(path, lines, encoding="gbk"):
    path.write_bytes("".join(line + "\r\n" for line in lines).encode(encoding))


def test_point_file_fit_and_appended_block_as_the_dialog(tmp_path):
    p = (10.0, -20.0, 2e-4, 1e-6)
    names = [f"P{i}" for i in range(len(OLD))]
    write(tmp_path / "old.txt", [f"{n} {x!r} {y!r} 界桩" for n, (x, y) in zip(names, OLD)] + ["", "Z 1 2"])
    new = similarity(p, OLD)
    write(tmp_path / "new.txt", [f"{n} {x:.4f} {y:.4f}" for n, (x, y) in zip(names[::-1], new[::-1])])
    fit = v.fit_point_files(tmp_path / "old.txt", tmp_path / "new.txt")
    assert fit.names == names[::-1] and fit.common_found == len(OLD)
    rounded = np.array([[float(f"{x:.4f}"), float(f"{y:.4f}")] for x, y in new])
    assert fit.parameters == v.fit_common_points(OLD[::-1], rounded[::-1]).parameters
    before = (tmp_path / "new.txt").read_bytes()
    fit.transform_file(tmp_path / "old.txt", tmp_path / "new.txt")
    data = (tmp_path / "new.txt").read_bytes()
    assert data.startswith(before)
    block = data[len(before):].decode("gbk").split("\r\n")
    assert block[:3] == ["", "", "旋转后结果"] and len(block) == 3 + len(OLD) + 1
    X, Y = fit.apply(OLD[:, 0], OLD[:, 1])
    first = block[3].split()
    assert first == ["P0", v.format_pattern(X[0], "#.0000"), v.format_pattern(Y[0], "#.0000"), "界桩"]


def test_point_file_fit_uses_twenty_points_and_says_so(tmp_path):
    xy = np.array([[1000.0 + 37 * i, 2000.0 + 11 * i * i] for i in range(25)])
    write(tmp_path / "old.txt", [f"Q{i} {x} {y}" for i, (x, y) in enumerate(xy)])
    write(tmp_path / "new.txt", [f"Q{i} {x + 5} {y - 5}" for i, (x, y) in enumerate(xy)])
    with pytest.warns(UserWarning, match="共有25个公共点,只用前20个公共点计算转换参数!"):
        fit = v.fit_point_files(tmp_path / "old.txt", tmp_path / "new.txt")
    assert len(fit.names) == 20 and fit.common_found == 25


def test_point_file_fit_messages(tmp_path):
    write(tmp_path / "old.txt", ["A 1 2", "B x 3"])
    write(tmp_path / "new.txt", ["C 1 2", "D 3 4"])
    with pytest.raises(v.InputError, match="老坐标文件.*old.txt数据格式有错"):
        v.fit_point_files(tmp_path / "old.txt", tmp_path / "new.txt")
    with pytest.raises(v.FileError, match="不能读取新坐标文件.*文件或路径不存在"):
        v.fit_point_files(tmp_path / "old.txt", tmp_path / "none.txt")
    write(tmp_path / "old.txt", ["A 1 2", "B 2 3"])
    with pytest.raises(v.InputError, match="公共点少于2个"):
        v.fit_point_files(tmp_path / "old.txt", tmp_path / "new.txt")


def test_rotation_apply_and_file(tmp_path):
    r = v.Rotation(100, 200, 1000, 2000, v.dms_to_rad(30))
    X, Y = r.apply([100, 110], [200, 200])
    assert (X[0], Y[0]) == (1000, 2000)
    # A positive angle moves a point on the centre's old X axis towards negative Y.
    assert Y[1] < 2000 and math.hypot(X[1] - 1000, Y[1] - 2000) == pytest.approx(10)
    write(tmp_path / "old.txt", ["A 110 200 备注", "B 100 200"])
    r.rotate_file(tmp_path / "old.txt", tmp_path / "out.txt", "30.0000")
    lines = (tmp_path / "out.txt").read_bytes().decode("gbk").split("\r\n")
    assert lines[0] == "坐标转换：" and lines[3].split() == ["旋转角：", "30.0000"]
    assert lines[4].split() == ["A", v.format_pattern(X[1], "#.0000"), v.format_pattern(Y[1], "#.0000"), "备注"]
    with pytest.raises(v.InputError, match="新坐标文件不能与老坐标文件相同!"):
        r.rotate_file(tmp_path / "old.txt", tmp_path / "old.txt")
    with pytest.raises(v.FileError, match="不能读取老坐标文件"):
        r.rotate_file(tmp_path / "none.txt", tmp_path / "out.txt")


def test_point_files_round_trip_in_print_zones(tmp_path):
    names = ["A1", "点二", "LONGNAME12345", "D"]
    xy = np.array([[1.0, 2.0], [3456789.12345, -0.00004], [0.5, 1e6], [-12.25, 7.0]])
    remarks = ["界桩 北", None, "", "x"]
    path = tmp_path / "p.txt"
    v.write_point_file(path, names, xy, remarks)
    raw = path.read_bytes()
    assert raw.count(b"\r\n") == 4 and b"\n" not in raw.replace(b"\r\n", b"")
    # "点二" takes four columns (four GBK bytes); the next item starts the second zone.
    assert raw.split(b"\r\n")[1].index(b"3456789.1235") == 14
    assert raw.split(b"\r\n")[2].decode("gbk").split() == ["LONGNAME12345", ".5000", "1000000.0000"]
    back = v.read_point_file(path)
    assert back.names == names and back.remarks == ["界桩 北", "", "", "x"]
    # Rounded half away from zero on the decimal text: 3456789.12345 gives ...1235.
    shown = [[float(v.format_pattern(c, "#.0000")) for c in row] for row in xy]
    np.testing.assert_array_equal(back.xy, shown)
    assert back.xy[1, 0] == 3456789.1235
    v.write_point_file(path, ["E"], [[1, 1]], append=True)
    assert v.read_point_file(path).names == names + ["E"]


def test_point_file_encodings_and_faults(tmp_path):
    utf8 = tmp_path / "u.txt"
    utf8.write_bytes("\ufeff甲 1 2 备注\n乙 3 4\n".encode("utf-8"))
    assert v.read_point_file(utf8).names == ["甲", "乙"]
    # Read as GBK the calculator's way, line by line: the first line's bytes happen to be
    # GBK, the second's are not, and the reader stops there with its number.
    with pytest.raises(v.InputError, match="不能读取坐标文件.*u.txt：第2行不是GBK文本") as e:
        v.read_point_file(utf8, encoding="gbk")
    assert e.value.line == 2
    bad = tmp_path / "b.txt"
    write(bad, ["A 1 2", "B 1,5 2", "C 3 4"])
    with pytest.raises(v.InputError, match="数据格式有错 \\(第2行\\)") as e:
        v.read_point_file(bad)
    assert e.value.line == 2
    write(bad, ["A 1 2", "", "B 1,5 2"])
    with pytest.raises(v.InputError, match="数据格式有错 \\(第3行\\)"):  # the whole file, as vantrel-cli reads it
        v.read_point_file(bad)
    for args, message in [((["A B"], [[1, 2]]), "点名不能为空或含空格"), ((["A"], [[np.nan, 2]]), "输入信息错误!"),
                          ((["A", "B"], [[1, 2]]), "names 有 2 个")]:
        with pytest.raises(v.InputError, match=message):
            v.write_point_file(tmp_path / "w.txt", *args)
    with pytest.raises(v.FileError, match="不能写入坐标文件"):
        v.write_point_file(tmp_path, ["A"], [[1, 2]])
