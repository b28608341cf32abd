"""Angles, ellipsoids, geodetic quantities and the 54 anomaly model, against the texts the
dialogs show in the GUI tests."""
import math

import numpy as np
import pytest

import vantrel as v


@pytest.mark.parametrize("code,name,a,e2", [
    (54, "北京54", 6378245.0, 0.006693421622966),
    ("80", "北京80", 6378140.0, 0.006694384999588),
    (84, "WGS84", 6378137.0, 0.0066943800229),
    ("2000", "CGCS2000", 6378137.0, (1 / 298.257222101) * (2 - 1 / 298.257222101)),
])
def test_ellipsoids(code, name, a, e2):
    e = v.Ellipsoid(code)
    assert (e.name, e.a, e.e2) == (name, a, e2)
    assert e == v.Ellipsoid(str(code)) and hash(e) == hash(v.Ellipsoid(str(code)))
    assert e.b == pytest.approx(a * math.sqrt(1 - e2), rel=1e-15)
    assert e.f == pytest.approx(1 - math.sqrt(1 - e2), rel=1e-12)


def test_cgcs2000_flattening_and_unknown_codes():
    assert 1 / v.Ellipsoid(2000).f == pytest.approx(298.257222101, rel=1e-12)
    for bad in (55, "wgs84", 2000.0, None):
        with pytest.raises(v.InputError, match="未知的椭球代码"):
            v.radii(0.5, 0, bad)


@pytest.mark.parametrize("dms,text", [
    (121.3030, " 121.3030000000"),
    (0.3, " 0.3000000000"),
    (-0.3, "- 0.3000000000"),
    (45, " 45.0000000000"),
    (359.5959, " 359.5959000000"),
])
def test_packed_angles_round_trip_through_the_calculators_text(dms, text):
    rad = v.dms_to_rad(dms)
    assert v.rad_to_dms_text(rad) == text
    assert v.rad_to_dms(rad) == pytest.approx(dms, abs=1e-12)


def test_dms_reads_minutes_as_typed_and_uses_the_calculators_pi():
    assert v.dms_to_rad(30.9) == pytest.approx(v.dms_to_rad(31.3), abs=1e-15)  # 90' is 1°30'
    assert v.dms_to_rad(180) == 3.14159265358979
    assert v.dms_to_rad(180) != math.pi


def test_arrays_give_the_scalar_results_element_by_element():
    dms = np.array([[0.0, 30.3, -45.1530], [121.3030, 89.5959, 12.0001]])
    rad = v.dms_to_rad(dms)
    assert rad.shape == dms.shape and rad.dtype == np.float64
    assert [v.dms_to_rad(float(d)) for d in dms.ravel()] == rad.ravel().tolist()
    assert v.rad_to_dms_text(rad) == [[v.rad_to_dms_text(float(r)) for r in row] for row in rad]
    n = v.radii(rad[0], v.dms_to_rad(45))
    assert n.N.shape == (3,) and n.N[1] == v.radii(float(rad[0, 1]), v.dms_to_rad(45)).N
    assert isinstance(v.radii(0.5).N, float)
    # Plain numbers, numpy scalars and 0-d arrays take different ways in; the results agree.
    for lat in (0.5, np.float64(0.5), np.array(0.5), np.float32(0.5)):
        assert v.radii(lat, 1) == v.radii(0.5, 1.0)
    assert v.dms_to_rad(45) == v.dms_to_rad(np.int64(45)) == v.dms_to_rad(45.0)


@pytest.mark.parametrize("b,a,code,N,M,R,RA", [
    ("0", "0", 54, "6378245.0000", "6335552.7170", None, "6335552.7170"),
    ("30", "45", 54, "6383588.2422", "6351488.4922", "6367518.1397", "6367497.9122"),
    ("30", "90", 54, "6383588.2422", None, None, "6383588.2422"),
    ("0", "0", 80, "6378140.0000", None, None, None),
    ("0", "0", 84, "6378137.0000", None, None, None),
])
def test_radii_as_the_dialog_shows_them(b, a, code, N, M, R, RA):
    got = v.radii(v.dms_to_rad(float(b)), v.dms_to_rad(float(a)), code)
    for want, value in zip((N, M, R, RA), got):
        if want is not None:
            assert v.format_pattern(value, "#.0000") == want


@pytest.mark.parametrize("b,dl,code,want", [
    ("0", "1", 54, "111321.3757"), ("90", "1", 54, ".0000"),
    ("0", "-1", 54, "-111321.3757"), ("0", "1", 80, "111319.5432"),
])
def test_parallel_arcs_as_the_dialog_shows_them(b, dl, code, want):
    s = v.parallel_arc(v.dms_to_rad(float(b)), v.dms_to_rad(float(dl)), code)
    assert v.format_pattern(s, "#.0000") == want


def test_meridian_arc_signs_and_the_dialogs_text():
    one = v.meridian_arc(0, v.dms_to_rad(1))
    assert one == pytest.approx(110576.3676, abs=1e-3)
    assert v.meridian_arc(v.dms_to_rad(1), 0) == pytest.approx(-one, abs=1e-3)
    b = v.dms_to_rad(30.3)
    assert v.format_pattern(v.meridian_arc(b, b), "#.000000000") == ".000000000"


@pytest.mark.parametrize("inputs,du,dh,dg", [
    (("0", "0", "0", "0", "1000", "0", "45", "90"), ".0000", ".1089", ".0000"),
    (("0", "0", "0", "0", "0", "100000", "45", "90"), ".0000", ".0000", "-.0280"),
    (("30", "30", "3", "4", "500", "5000", "0", "45"), "-4.0000", ".0000", ".0000"),
])
def test_three_difference_as_the_dialog_shows_them(inputs, du, dh, dg):
    b1, b2, xi, eta, h, s, a, z = (float(t) for t in inputs)
    got = v.three_difference(v.dms_to_rad(b1), v.dms_to_rad(b2), xi, eta, h, s, v.dms_to_rad(a), v.dms_to_rad(z))
    assert [v.format_pattern(x, "#.0000") for x in got] == [du, dh, dg]


def test_three_difference_refuses_a_vertical_sight():
    with pytest.raises(v.InputError, match="天顶距无效, 不能为0!"):
        v.three_difference(0.5, 0.5, 3, 4, 500, 5000, 0, 0)
    with pytest.raises(v.InputError) as e:
        v.three_difference(0.5, 0.5, 3, 4, 500, 5000, 0, [0.5, 0.7, 0.0])
    assert e.value.index == 2


@pytest.mark.parametrize("b,l,shown", [
    (31, 121.3030, "62.900"), (40, 116, "44.800"), (19.3, 109.3, "46.200"),
    (30.3, 114.15, "44.325"), (31, 133.0, ".000"),
])
def test_height_anomaly_as_the_dialog_shows_it(b, l, shown):
    zeta = v.height_anomaly_54(v.dms_to_rad(b), v.dms_to_rad(l))
    assert v.format_pattern(zeta, ".000") == shown


@pytest.mark.parametrize("b,l,message", [
    (18.59, 110, "纬度不在中国范围内"), (52.01, 121, "纬度不在中国范围内"),
    (31, 133.0001, "经度不在中国范围内"), (31, 73.5959, "经度不在中国范围内"),
    (10, 10, "纬度不在中国范围内"),  # latitude is tested first
])
def test_height_anomaly_range(b, l, message):
    with pytest.raises(v.InputError, match=message):
        v.height_anomaly_54(v.dms_to_rad(b), v.dms_to_rad(l))


def test_height_anomaly_bounds_are_inside():
    # 19° and 52°, 74° and 133° themselves may be read.
    z = v.height_anomaly_54(v.dms_to_rad([19, 52, 31, 31]), v.dms_to_rad([109, 121, 74, 133]))
    assert z.shape == (4,) and np.all(np.isfinite(z))


@pytest.mark.parametrize("bad", [np.nan, np.inf, -np.inf])
def test_non_finite_numbers_are_refused_with_their_place(bad):
    with pytest.raises(v.InputError, match="输入信息错误!") as e:
        v.radii([0.1, 0.2, bad], 0.0)
    assert e.value.argument == "lat" and e.value.index == 2
    with pytest.raises(ValueError):
        v.dms_to_rad(bad)


def test_shapes_that_do_not_broadcast_and_text_that_is_no_number():
    with pytest.raises(v.InputError, match="数组形状不一致"):
        v.parallel_arc(np.zeros(3), np.zeros(4))
    with pytest.raises(v.InputError, match="dms"):
        v.dms_to_rad("121°30'")
    assert v.parallel_arc(np.zeros((2, 1)), np.ones(3)).shape == (2, 3)


def test_compensation_plane_height_and_its_range():
    c = v.compensation_plane_height(-2148744.3, 4426641.2, 4044655.9, 100, v.dms_to_rad(117))
    assert 19 <= c.lat_deg <= 52 and 74 <= c.lon_deg <= 133
    assert c.zeta == pytest.approx(v.height_anomaly_54(math.radians(c.lat_deg) * 3.14159265358979 / math.pi,
                                         math.radians(c.lon_deg) * 3.14159265358979 / math.pi), abs=1e-9)
    assert c.dH2 == pytest.approx(c.dH1 + c.dE, abs=1e-6)
    with pytest.raises(v.InputError, match="纬度不在中国范围内"):
        v.compensation_plane_height(6378137.0, 0, 0, 0, 0)


def test_texts_follow_the_calculators_rules():
    assert v.format_pattern(2.675, "0.00") == "2.68"
    assert v.format_pattern(-0.0004, "#.000") == ".000"
    assert v.format_pattern([0.5, np.nan], "#.000") == [".500", ""]
    assert v.general_text([141.4213562373095, 1e20, 1.5e-7]) == ["141.42135623731", "1E+20", "1.5E-07"]
