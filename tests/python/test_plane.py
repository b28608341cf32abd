"""Plane routines against the texts the plane dialogs show in the GUI tests."""
import math

import numpy as np
import pytest

import vantrel as v

R = v.dms_to_rad


def test_inverse_as_the_coordinate_dialog_shows_it():
    s, az = v.plane_inverse(100, 100, 200, 200)
    parts = v.split_azimuth(az)
    assert v.general_text(s) == "141.42135623731"
    assert (v.general_text(parts.degrees), v.general_text(parts.minutes)) == ("45", "0")
    assert v.format_pattern(parts.seconds, "#.0000") == ".0000"
    s, az = v.plane_inverse(0, 0, 0, -5)
    assert (v.general_text(s), v.general_text(v.split_azimuth(az).degrees)) == ("5", "270")


@pytest.mark.parametrize("s,d,m,sec,dx,dy", [
    (100, 30, 0, 0, "86.6025403784439", "50"),
    (100, 30, 90, 0, None, None),  # 90 minutes taken as typed
])
def test_forward_as_the_coordinate_dialog_shows_it(s, d, m, sec, dx, dy):
    got = v.plane_forward(s, v.join_azimuth(d, m, sec))
    if dx is None:
        dx = v.general_text(100 * math.cos(31.5 * 3.14159265358979 / 180))
        dy = v.general_text(100 * math.sin(31.5 * 3.14159265358979 / 180))
    assert (v.general_text(got.dx), v.general_text(got.dy)) == (dx, dy)


def test_forward_and_inverse_are_the_same_routines_on_arrays():
    rng = np.random.default_rng(5)
    x1, y1, x2, y2 = rng.uniform(-1e6, 1e6, (4, 200))
    polar = v.plane_inverse(x1, y1, x2, y2)
    assert np.array_equal(polar.distance, v.distance(x1, y1, x2, y2))
    assert np.array_equal(polar.azimuth, v.azimuth(x1, y1, x2, y2))
    assert np.all((polar.azimuth >= 0) & (polar.azimuth < 2 * math.pi))
    back = v.plane_forward(polar.distance, polar.azimuth)
    np.testing.assert_allclose(back.dx, x2 - x1, atol=1e-6)
    np.testing.assert_allclose(back.dy, y2 - y1, atol=1e-6)


@pytest.mark.parametrize("a,b,alpha,beta,want", [
    ((100, 100), (0, 200), 45, 45, ("100.0000", "200.0000")),
    ((0, 0), (100, 0), 30, 60, ("75.0000", "-43.3013")),
])
def test_forward_intersection_as_the_dialog_shows_it(a, b, alpha, beta, want):
    p = v.forward_intersection(*a, *b, R(alpha), R(beta))
    assert (v.format_pattern(p.x, "#.0000"), v.format_pattern(p.y, "#.0000")) == want


def test_forward_intersection_with_parallel_rays_is_refused():
    with pytest.raises(v.InputError, match="两个观测角不能构成交会，无法求得P点！"):
        v.forward_intersection(100, 100, 0, 200, R(90), R(90))
    with pytest.raises(v.InputError) as e:
        v.forward_intersection(100, 100, 0, 200, R(np.array([45, 90])), R(90))
    assert e.value.index == 1


def test_resection_as_the_dialog_shows_it_and_the_danger_circle():
    for alpha in (170, 350):  # the dialog's default, and the same half turn away
        p = v.resection(100, 100, 0, 200, 250, 250, R(alpha), R(160))
        assert (v.format_pattern(p.x, "#.0000"), v.format_pattern(p.y, "#.0000")) == ("275.9555", "260.7011")
    px, py = 125 + math.sqrt(16250.0) * math.cos(3.5), 225 + math.sqrt(16250.0) * math.sin(3.5)
    az = lambda x, y: math.atan2(y - py, x - px)  # noqa: E731
    alpha = (az(0, 200) - az(250, 250)) % (2 * math.pi)
    beta = (az(250, 250) - az(100, 100)) % (2 * math.pi)
    with pytest.raises(v.InputError, match="危险圆"):
        v.resection(100, 100, 0, 200, 250, 250, alpha, beta)


def test_traverse_leg_left_and_right_angles():
    # Back-sight due south, a left angle of 90° turns the traverse west.
    back = v.azimuth(0, 0, -100, 0)
    leg = v.traverse_leg(0, 0, back, R(90), 100)
    assert abs(leg.x) < 1e-10 and v.general_text(leg.y) == "-100"
    assert v.rad_to_dms_text(leg.reverse_azimuth + 1e-13) == " 90.0000000000"
    right = v.traverse_leg(0, 0, back, R(270), 100, left=False)
    assert right.x == pytest.approx(leg.x, abs=1e-9) and right.y == pytest.approx(leg.y)
    assert right.left_angle == pytest.approx(leg.left_angle)


def test_traverse_legs_chain_over_arrays_of_stations():
    x0, y0 = np.array([0.0, 10.0]), np.array([0.0, -5.0])
    legs = v.traverse_leg(x0, y0, 0.0, R(180), [50.0, 20.0])
    np.testing.assert_allclose(legs.x, x0 + [-50.0, -20.0], atol=1e-9)


def test_traverse_file_bytes(tmp_path):
    path = tmp_path / "t.out"
    v.create_traverse_file(path)
    head = path.read_bytes()
    assert head.endswith(b"\r\n") and head.count(b"\r\n") == 2
    back = v.azimuth(0, 0, -100, 0)
    leg = v.traverse_leg(0, 0, back, R(90), 100)
    v.append_traverse_record(path, "P1", leg.x, leg.y, 0, 0, back, 100, leg.left_angle)
    data = path.read_bytes()
    assert data.startswith(head) and data.count(b"\r\n") == 3 and b"P1" in data
    with pytest.raises(v.FileError, match="结果文件无法写入") as e:
        v.create_traverse_file(tmp_path)
    assert e.value.path == str(tmp_path)
