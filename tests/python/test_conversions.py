"""The array conversions: the command line's digits, scalars against arrays, shapes, refusals,
CGCS2000 against PROJ and the round trips."""
import math

import numpy as np
import pytest

import vantrel as v

CM120 = v.dms_to_rad(120)


def texts(values, pattern):
    return [v.format_pattern(float(x), pattern) for x in np.ravel(values)]


# ------------------------------------------------------------------ the command line's digits
GAUSS_CASES = [
    # (constructor arguments, vantrel-cli arguments; --cm in radians as --angles rad says)
    (dict(central_meridian=CM120), ["--cm", repr(CM120)]),
    (dict(central_meridian=CM120, plane_height=350.0, anomaly=-12.5), ["--cm", repr(CM120), "--plane-height", "350", "--anomaly", "-12.5"]),
    (dict(zone_width=3, anomaly="auto"), ["--zone-width", "3", "--anomaly", "auto"]),
    (dict(zone_width=6, zone_prefix=True), ["--zone-width", "6", "--zone-prefix"]),
    (dict(ellipsoid=2000, central_meridian=v.dms_to_rad(117), false_easting_km=500.0), ["--ellipsoid", "2000", "--cm", repr(v.dms_to_rad(117)), "--false-easting", "500"]),
    (dict(ellipsoid=80, central_meridian=v.dms_to_rad(121.3), false_northing_km=10.0), ["--ellipsoid", "80", "--cm", repr(v.dms_to_rad(121.3)), "--false-northing", "10"]),
]


@pytest.mark.parametrize("kwargs,args", GAUSS_CASES)
def test_gauss_forward_and_inverse_write_the_command_lines_digits(cli, china_points, kwargs, args):
    B, L = china_points
    gk = v.GaussKruger(**kwargs)
    x, y = gk.forward(B, L)
    zone_column = bool(kwargs.get("zone_width")) and not kwargs.get("zone_prefix")
    # The dialog's pattern, and nine decimals for the last digits of the same values.
    for decimals, pattern in ([], "#.000"), (["--decimals", "9"], "#.000000000"):
        rows = cli(["blh2gauss", "--angles", "rad", *decimals, *args], np.column_stack([B, L]))
        assert [r[0] for r in rows] == texts(x, pattern) and [r[1] for r in rows] == texts(y, pattern)
    if zone_column:
        np.testing.assert_array_equal([float(r[2]) for r in rows], gk.zones(L))
    zone = {"zone": gk.zones(L)} if zone_column else {}
    rows = cli(["gauss2blh", "--angles", "rad", *args], np.column_stack([x, y] + list(zone.values())))
    Bi, Li = gk.inverse(x, y, **zone)
    assert [r[0] for r in rows] == v.general_text(Bi) and [r[1] for r in rows] == v.general_text(Li)


def test_space_zone_change_utm_lambert_and_seven_write_the_command_lines_digits(cli, china_points):
    B, L = china_points
    H = np.linspace(-50, 3000, B.size)
    X, Y, Z = v.to_space(B, L, H, 2000)
    rows = cli(["blh2xyz", "--angles", "rad", "--ellipsoid", "2000", "--decimals", "6"], np.column_stack([B, L, H]))
    for j, values in enumerate((X, Y, Z)):
        assert [r[j] for r in rows] == texts(values, "#.000000")
    g = v.to_geodetic(X, Y, Z, 2000)
    rows = cli(["xyz2blh", "--angles", "rad", "--ellipsoid", "2000", "--decimals", "6"], np.column_stack([X, Y, Z]))
    assert [r[0] for r in rows] == v.general_text(g.B) and [r[1] for r in rows] == v.general_text(g.L)
    assert [r[2] for r in rows] == texts(g.H, "#.000000")

    x, y = v.GaussKruger(central_meridian=CM120).forward(B, L)
    xn, yn = v.change_zone(x, y, CM120, v.dms_to_rad(123), plane_height=100.0, anomaly=20.0)
    rows = cli(["zone", "--cm", "120", "--to-cm", "123", "--plane-height", "100", "--anomaly", "20", "--decimals", "6"],
               np.column_stack([x, y]))
    assert [r[0] for r in rows] == texts(xn, "#.000000") and [r[1] for r in rows] == texts(yn, "#.000000")

    u = v.UTM(ellipsoid=84)
    ux, uy = u.forward(B, L)
    rows = cli(["utm", "--angles", "rad", "--zone-width", "6", "--decimals", "6"], np.column_stack([B, L]))
    assert [r[0] for r in rows] == texts(ux, "#.000000") and [r[1] for r in rows] == texts(uy, "#.000000")
    np.testing.assert_array_equal([float(r[2]) for r in rows], u.zones(L))

    lam = v.Lambert(CM120, v.dms_to_rad(25), v.dms_to_rad(47), ellipsoid=54)
    lx, ly = lam.forward(B, L)
    parallels = f"{v.dms_to_rad(25)!r},{v.dms_to_rad(47)!r}"
    rows = cli(["lambert", "--angles", "rad", "--ellipsoid", "54", "--cm", repr(CM120), "--parallels", parallels, "--decimals", "6"],
               np.column_stack([B, L]))
    assert [r[0] for r in rows] == texts(lx, "#.000000") and [r[1] for r in rows] == texts(ly, "#.000000")

    p = v.SevenParameters(81.37785, 197.46387, 167.83978, -1.01922, 5.04083, .197089, -14.99384)
    s = p.to_gauss(X, Y, Z)
    rows = cli(["seven", "--gauss", "--params", "81.37785,197.46387,167.83978,-1.01922,5.04083,.197089,-14.99384"],
               np.column_stack([X, Y, Z]))
    for j, values in enumerate(s):
        assert [r[j] for r in rows] == texts(values, "#.0000")
    np.testing.assert_array_equal(np.column_stack(p.transform(X, Y, Z)), np.column_stack(s[:3]))


# ------------------------------------------------------------------ scalars, arrays, shapes
def objects():
    return [
        ("gauss", v.GaussKruger(central_meridian=CM120, plane_height=200.0, anomaly="auto")),
        ("gauss zoned", v.GaussKruger(2000, zone_width=3, zone_prefix=True)),
        ("utm", v.UTM(zone=50)),
        ("lambert", v.Lambert(CM120, v.dms_to_rad(25), v.dms_to_rad(47))),
    ]


@pytest.mark.parametrize("name,proj", objects())
def test_scalar_calls_give_floats_equal_to_the_array_elements(china_points, name, proj):
    B, L = china_points[0][:60], china_points[1][:60]
    x, y = proj.forward(B, L)
    Bi, Li = proj.inverse(x, y)
    for i in range(B.size):
        one = proj.forward(float(B[i]), float(L[i]))
        assert type(one.x) is float and (one.x, one.y) == (x[i], y[i])
        assert proj.forward(np.float64(B[i]), L[i]) == one  # 0-d arrays and numpy scalars alike
        assert tuple(proj.inverse(x[i], y[i])) == (Bi[i], Li[i])


def test_space_conversions_scalars_and_the_ellipsoid_methods(china_points):
    B, L = china_points
    for code in v.ellipsoid_codes():
        e = v.Ellipsoid(code)
        X, Y, Z = e.to_space(B, L, 100.0)
        np.testing.assert_array_equal(np.stack([X, Y, Z]), np.stack(v.to_space(B, L, np.full(B.shape, 100.0), code)))
        for i in range(0, B.size, 40):
            assert tuple(v.to_space(B[i], L[i], 100.0, code)) == (X[i], Y[i], Z[i])
            assert tuple(e.to_geodetic(X[i], Y[i], Z[i])) == tuple(a[i] for a in e.to_geodetic(X, Y, Z))


@pytest.mark.parametrize("shape", [(0,), (7,), (3, 4), (2, 3, 5)])
def test_any_shape_comes_back_in_that_shape(china_points, shape):
    n = int(np.prod(shape))
    B = china_points[0][:n].reshape(shape)
    L = china_points[1][:n].reshape(shape)
    gk = v.GaussKruger(central_meridian=CM120)
    x, y = gk.forward(B, L)
    assert x.shape == shape and y.dtype == np.float64
    flat = gk.forward(B.ravel(), L.ravel())
    np.testing.assert_array_equal(x.ravel(), flat.x)
    Bi, Li = gk.inverse(x, y)
    assert Bi.shape == shape


def test_broadcasting_follows_numpy():
    gk = v.GaussKruger(central_meridian=CM120)
    B = v.dms_to_rad(np.array([[25.0], [30.0], [35.0]]))   # (3, 1)
    L = v.dms_to_rad(np.array([118.0, 119.0, 121.0, 122.0]))  # (4,)
    x, y = gk.forward(B, L)
    assert x.shape == (3, 4)
    for i in range(3):
        for j in range(4):
            assert (x[i, j], y[i, j]) == tuple(gk.forward(B[i, 0], L[j]))
    x1, _ = gk.forward(B[1, 0], L)  # a scalar against an array
    np.testing.assert_array_equal(x1, x[1])
    # Strided views and integer inputs are taken as their values.
    np.testing.assert_array_equal(gk.forward(np.repeat(B, 4, axis=1)[:, ::2], L[::2]).x, x[:, ::2])
    np.testing.assert_array_equal(gk.forward(np.zeros(3, dtype=np.int32), 2).x, gk.forward([0.0] * 3, 2.0).x)


# ------------------------------------------------------------------ refusals
def test_the_first_refused_point_is_named_with_the_calculators_message():
    gk = v.GaussKruger(central_meridian=CM120, anomaly="auto")
    B = v.dms_to_rad(np.array([30.0, 31.0, 55.0, 10.0]))
    L = v.dms_to_rad(np.array([120.0, 121.0, 121.0, 121.0]))
    cases = [
        ((B, L), r"^纬度不在中国范围内, 不能计算54椭球大地水准面差距! \(index 2\)$", 2),
        ((B[:2], v.dms_to_rad(np.array([120.0, 140.0]))), "经度不在中国范围内", 1),
        ((B.reshape(2, 2), L.reshape(2, 2)), r"\(index \(1, 0\)\)", (1, 0)),
    ]
    for args, message, index in cases:
        with pytest.raises(v.InputError, match=message) as e:
            gk.forward(*args)
        assert e.value.index == index
    with pytest.raises(v.InputError, match="^纬度不在中国范围内, 不能计算54椭球大地水准面差距!$"):
        gk.forward(float(B[2]), float(L[2]))
    x, y = v.GaussKruger(central_meridian=CM120).forward(v.dms_to_rad(60.0), v.dms_to_rad(121.0))
    with pytest.raises(v.InputError, match="点位不在中国范围内") as e:
        gk.inverse([3400000.0, x], [0.0, y])
    assert e.value.index == 1
    zoned = v.GaussKruger(zone_width=6)
    with pytest.raises(v.InputError, match=r"带号不对! \(index 1\)"):
        zoned.inverse([3400000.0, 3400000.0], [500000.0, 500000.0], zone=[20, 61])
    with pytest.raises(v.InputError, match="带号不对!"):
        v.UTM().inverse(3400000.0, 500000.0, zone=0.5)
    with pytest.raises(v.InputError, match=r"兰勃特投影不能计算此点! \(index 0\)"):
        v.Lambert(CM120, v.dms_to_rad(25), v.dms_to_rad(47)).forward([-math.pi / 2], [CM120])
    with pytest.raises(v.InputError, match="计算结果超出数值范围!"):
        v.SevenParameters(m=1e308).transform([1e300, 1.0], 1.0, 1.0)


@pytest.mark.parametrize("call,message", [
    (lambda: v.GaussKruger(central_meridian=CM120).forward([0.5, np.nan], [2.0, 2.0]), r"B\[1\] = nan"),
    (lambda: v.GaussKruger(central_meridian=CM120).forward(0.5, math.inf), "L = inf"),
    (lambda: v.GaussKruger(central_meridian=CM120).forward([0.5, 0.6], [2.0, 2.1, 2.2]), "数组形状不一致"),
    (lambda: v.GaussKruger(central_meridian=CM120).forward([[0.5]], "a"), "输入信息错误! L"),
    (lambda: v.GaussKruger(central_meridian=CM120).inverse([1.0], [2.0], zone=[3]), "zone 只用于"),
    (lambda: v.GaussKruger(zone_width=3).inverse([1.0], [2.0]), "需要 zone"),
    (lambda: v.GaussKruger(), "central_meridian"),
    (lambda: v.GaussKruger(central_meridian=CM120, zone_width=6), "只能给一个"),
    (lambda: v.GaussKruger(zone_width=4), "zone_width 应为 3 或 6"),
    (lambda: v.GaussKruger(central_meridian=CM120, zone_prefix=True), "zone_prefix 需要 zone_width"),
    (lambda: v.GaussKruger(80, central_meridian=CM120, anomaly="auto"), "只用于54椭球"),
    (lambda: v.GaussKruger(84, central_meridian=CM120, anomaly=3.0), "只用于54椭球"),
    (lambda: v.GaussKruger(central_meridian=CM120, anomaly="automatic"), "请输入大地水准面差距或自动由程序计算!"),
    (lambda: v.GaussKruger(central_meridian=math.nan), "central_meridian = nan"),
    (lambda: v.GaussKruger(central_meridian=CM120).zones(2.0), "zones 只用于"),
    (lambda: v.GaussKruger(55, central_meridian=CM120), "未知的椭球代码"),
    (lambda: v.UTM(ellipsoid=2000), "只有 54、80、84 椭球"),
    (lambda: v.Lambert(CM120, 0.4, 0.8, ellipsoid="2000"), "只有 54、80、84 椭球"),
    (lambda: v.UTM(zone=61), "带号不对!"),
    (lambda: v.UTM(zone=50, central_meridian=CM120), "只能给一个"),
    (lambda: v.UTM().inverse(1.0, 2.0), "需要 zone"),
    (lambda: v.UTM(zone=50).inverse(1.0, 2.0, zone=50), "zone 只用于"),
    (lambda: v.change_zone(1.0, 2.0, CM120, math.inf), "to_meridian = inf"),
    (lambda: v.to_geodetic([1.0, 2.0], [1.0], [1.0, 2.0, 3.0]), r"数组形状不一致: \(2,\) \(1,\) \(3,\)"),
    (lambda: v.SevenParameters().to_gauss(1.0, 2.0, 3.0, plane_height=math.nan), "plane_height = nan"),
    (lambda: v.set_threads(0), "threads"),
])
def test_refused_arguments_raise_input_error(call, message):
    with pytest.raises(v.InputError, match=message) as e:
        call()
    assert isinstance(e.value, ValueError) and isinstance(e.value, v.Error)


# ------------------------------------------------------------------ CGCS2000 against PROJ
def test_cgcs2000_against_proj():
    pyproj = pytest.importorskip("pyproj")
    B, L = np.meshgrid(np.radians(np.arange(18.0, 54.0, 2.5)), np.radians(np.arange(-3.0, 3.01, 0.5)))
    for cm in (75, 105, 117, 135):
        gk = v.GaussKruger(2000, central_meridian=v.dms_to_rad(cm), false_easting_km=500.0)
        Lp = L + math.radians(cm)
        x, y = gk.forward(B, Lp)
        t = pyproj.Transformer.from_crs("+proj=longlat +ellps=GRS80 +no_defs",
                                        f"+proj=tmerc +ellps=GRS80 +lon_0={cm} +k=1 +x_0=500000 +y_0=0", always_xy=True)
        e, n = t.transform(np.degrees(Lp), np.degrees(B))
        assert np.abs(x - n).max() <= 1e-4 and np.abs(y - e).max() <= 1e-4
    H = np.linspace(-100, 5000, B.size).reshape(B.shape)
    X, Y, Z = v.to_space(B, L + 2, H, 2000)
    t = pyproj.Transformer.from_crs("+proj=longlat +ellps=GRS80 +no_defs", "+proj=geocent +ellps=GRS80", always_xy=True)
    Xp, Yp, Zp = t.transform(np.degrees(L + 2), np.degrees(B), H)
    assert max(np.abs(X - Xp).max(), np.abs(Y - Yp).max(), np.abs(Z - Zp).max()) <= 1e-4


# ------------------------------------------------------------------ round trips
@pytest.mark.parametrize("kwargs", [
    dict(central_meridian=CM120),
    dict(central_meridian=CM120, plane_height=500.0, anomaly=30.0),
    dict(central_meridian=CM120, anomaly="auto"),
    dict(ellipsoid=2000, zone_width=3, zone_prefix=True),
    dict(ellipsoid=84, zone_width=6),
])
def test_gauss_round_trips(china_points, kwargs):
    B, L = china_points
    gk = v.GaussKruger(**kwargs)
    zone = {"zone": gk.zones(L)} if kwargs.get("zone_width") and not kwargs.get("zone_prefix") else {}
    x, y = gk.forward(B, L)
    Bi, Li = gk.inverse(x, y, **zone)
    # 1e-9 rad is 6 mm; the inverse series is far better than that.
    assert np.abs(Bi - B).max() < 1e-9 and np.abs(Li - L).max() < 1e-9
    H = np.linspace(0, 2500, B.size)
    x, y, h = gk.forward(B, L, H)
    Bh, Lh, Hh = gk.inverse(x, y, h, **zone)
    np.testing.assert_allclose(Hh, H, atol=1e-9)
    assert np.abs(Bh - B).max() < 1e-9 and np.abs(Lh - L).max() < 1e-9


def test_other_round_trips(china_points):
    B, L = china_points
    for code in v.ellipsoid_codes():
        g = v.to_geodetic(*v.to_space(B, L, 250.0, code), code)
        assert np.abs(g.B - B).max() < 1e-12 and np.abs(g.L - L).max() < 1e-12 and np.abs(g.H - 250).max() < 1e-6
    # Points between the two meridians: at most 3 degrees off either.
    between = (L > CM120) & (L < v.dms_to_rad(123))
    x, y = v.GaussKruger(central_meridian=CM120).forward(B[between], L[between])
    xn, yn = v.change_zone(x, y, CM120, v.dms_to_rad(123))
    xb, yb = v.change_zone(xn, yn, v.dms_to_rad(123), CM120)
    # Two inverse series 3 degrees off their meridians: a few millimetres.
    assert np.abs(xb - x).max() < 5e-3 and np.abs(yb - y).max() < 5e-3
    # UTM zone 51 (123 E) on the points within its 3 degrees, Lambert on all.
    for proj, inside in ((v.UTM(ellipsoid=80, zone=51), L > CM120),
                         (v.Lambert(CM120, v.dms_to_rad(25), v.dms_to_rad(47), ellipsoid=54), L == L)):
        Bi, Li = proj.inverse(*proj.forward(B[inside], L[inside]))
        assert np.abs(Bi - B[inside]).max() < 1e-9 and np.abs(Li - L[inside]).max() < 1e-9
    # A meridian in radians reaches the component as the packed value of the zone's meridian.
    for zone, cm in ((50, 117), (51, 123), (1, 183)):
        by_meridian = v.UTM(central_meridian=v.dms_to_rad(cm))
        assert by_meridian.central_meridian_dms == cm == v.UTM(zone=zone).central_meridian_dms
        np.testing.assert_array_equal(np.stack(by_meridian.forward(B, L)), np.stack(v.UTM(zone=zone).forward(B, L)))
    u = v.UTM()
    Bi, Li = u.inverse(*u.forward(B, L), zone=u.zones(L))
    assert np.abs(Bi - B).max() < 1e-9 and np.abs(Li - L).max() < 1e-9


def test_threads_do_not_change_the_values():
    rng = np.random.default_rng(5)
    B, L = np.radians(20 + 30 * rng.random(70000)), np.radians(117 + 6 * rng.random(70000))
    gk = v.GaussKruger(central_meridian=CM120)
    before = v.get_threads()
    try:
        v.set_threads(1)
        one = gk.forward(B, L)
        v.set_threads(3)
        three = gk.forward(B, L)
        B[50000] = math.radians(60)
        with pytest.raises(v.InputError, match=r"\(index 50000\)"):
            v.GaussKruger(central_meridian=CM120, anomaly="auto").forward(B, L)
    finally:
        v.set_threads(before)
    np.testing.assert_array_equal(one.x, three.x)
    np.testing.assert_array_equal(one.y, three.y)


# ------------------------------------------------------------------ point files, GBK line by line
def test_point_files_are_read_as_gbk_line_by_line(tmp_path):
    path = tmp_path / "p.txt"
    good = "甲 1 2 界桩\r\n乙 3 4\r\n".encode("gbk")
    cases = [
        # bytes, encoding, names read or (line of the refusal)
        (good + b"\r\n\xff\xfe 5 6\r\n", "gbk", 4),                 # the whole file is read
        (good + b"\xff\xfe 5 6\r\n", "gbk", 3),
        (good + b"\xff\xfe 5 6\r\n", "auto", 3),                      # not UTF-8: read as GBK
        (b"\xa1 1 2\r\n" + good, "gbk", 1),
        ("\ufeff丙 1 2\r\n丁 3 4\r\n".encode("utf-8"), "auto", ["丙", "丁"]),
        (good + "戊 5 6\r\n".encode("gbk"), "auto", ["甲", "乙", "戊"]),
    ]
    for data, encoding, want in cases:
        path.write_bytes(data)
        if isinstance(want, list):
            assert v.read_point_file(path, encoding=encoding).names == want
            continue
        with pytest.raises(v.InputError, match=f"不能读取坐标文件.*p.txt：第{want}行不是GBK文本") as e:
            v.read_point_file(path, encoding=encoding)
        assert e.value.line == want
    path.write_bytes(good)
    read = v.read_point_file(path, encoding="gbk")
    assert read.remarks == ["界桩", ""] and read.xy.tolist() == [[1, 2], [3, 4]]
    with pytest.raises(v.InputError, match="encoding"):
        v.read_point_file(path, encoding="latin-1")


@pytest.mark.parametrize("lat,lon", [(-33.5, -70.6), (-5.25, 101.0), (45.0, -3.5), (0.5, 179.5)])
def test_inverses_give_signed_angles_or_the_calculators_turn(lat, lon):
    # B in [-π/2, π/2] and L in (-π, π]; lon_range=360 gives L in [0, 2π), as the dialogs show it.
    B, L = math.radians(lat), math.radians(lon)
    for proj, zone in ((v.GaussKruger(84, zone_width=6), True), (v.GaussKruger(2000, central_meridian=L + 0.01), False)):
        x, y = proj.forward(B, L)
        kw = {"zone": proj.zones(L)} if zone else {}
        Bi, Li = proj.inverse(x, y, **kw)
        assert Bi == pytest.approx(B, abs=1e-9) and Li == pytest.approx(L, abs=1e-9)
        Bt, Lt = proj.inverse(x, y, **kw, lon_range=360)
        assert Bt == Bi and 0 <= Lt < 2 * math.pi and Lt == pytest.approx(L % (2 * math.pi), abs=1e-9)
        g = v.to_geodetic(*v.to_space(B, L, 0.0, 84), 84)
        assert g.B == pytest.approx(Bi, abs=1e-9) and g.L == pytest.approx(Li, abs=1e-9)
        assert v.to_geodetic(*v.to_space(B, L, 0.0, 84), 84, lon_range=360).L == pytest.approx(Lt, abs=1e-9)
