"""What the conversions refuse or flag, as vantrel-cli does: places that are none, zone numbers
that disagree, false eastings that hide the zone number, points far from their meridian; and
one zone for one longitude, however it was made."""
import math
import warnings

import numpy as np
import pytest

import vantrel as v

CM120 = v.dms_to_rad(120)


@pytest.mark.parametrize("call,message,index", [
    (lambda: v.GaussKruger(central_meridian=CM120).forward([0.5, 1.5708], [2.0, 2.0]), "纬度应在 -90° 到 90° 之间!", 1),
    (lambda: v.GaussKruger(zone_width=3).forward([0.5, 0.5], [2.0, -6.3]), "经度应在 -360° 到 360° 之间!", 1),
    (lambda: v.to_space([-1.6, 0.5], 2.0, 0.0), "纬度应在", 0),
    (lambda: v.UTM().forward([0.5], [7.0]), "经度应在", 0),
    (lambda: v.Lambert(CM120, 0.4, 0.8).forward([0.5, 2.0], [2.0, 2.0]), "纬度应在", 1),
])
def test_places_that_are_none_are_refused(call, message, index):
    with pytest.raises(v.InputError, match=message) as e:
        call()
    assert e.value.index == index


def test_packed_angles_typed_by_hand_can_be_checked():
    assert v.dms_to_rad(121.6) == pytest.approx(v.dms_to_rad(122.0), abs=1e-15)  # the calculator's reading
    with pytest.raises(v.InputError, match=r"度.分秒的分或秒不能大于等于60! \(index 1\)"):
        v.dms_to_rad([121.3059, 121.6], strict=True)
    assert v.dms_to_rad(31.0059, strict=True) == v.dms_to_rad(31.0059)


def test_poles_and_whole_turns_are_places():
    v.GaussKruger(central_meridian=CM120).forward([math.pi / 2, -v.dms_to_rad(90)], [2 * math.pi, -2 * math.pi])


@pytest.mark.parametrize("width", [3, 6])
def test_zone_boundaries_go_east_here_and_in_the_command_line(cli, width):
    # Every boundary in China's range, typed as D.MMSS, and in radians by either pi.
    ks = range(24, 45) if width == 3 else range(12, 24)
    degrees = np.array([3 * k + 1.5 if width == 3 else 6.0 * k for k in ks])
    typed = np.array([3 * k + 1.3 if width == 3 else 6.0 * k for k in ks])  # 73.3 is 73°30'
    east = [k + 1.0 for k in ks]
    gk = v.GaussKruger(zone_width=width)
    assert gk.zones(v.dms_to_rad(typed)).tolist() == east
    assert gk.zones(np.radians(degrees)).tolist() == east
    rows = cli(["blh2gauss", "--zone-width", str(width)], np.column_stack([np.full(typed.size, 30.0), typed]))
    assert [float(r[2]) for r in rows] == east
    assert gk.forward(v.dms_to_rad(30.0), v.dms_to_rad(typed)).x.shape == typed.shape


def test_zone_numbers_in_front_of_y_must_be_the_zone():
    gk = v.GaussKruger(zone_width=6, false_easting_km=500.0)
    B, L = gk.inverse([3431990.586] * 2, [21357529.468] * 2, zone=[21, 21])
    with pytest.raises(v.InputError, match=r"y 前面的带号与所用的投影带不符! \(index 1\)"):
        gk.inverse([3431990.586] * 2, [21357529.468] * 2, zone=[21, 20])
    fixed = v.GaussKruger(central_meridian=v.dms_to_rad(123), false_easting_km=500.0)
    assert fixed.inverse(3431990.586, 21357529.468) == pytest.approx((B[0], L[0]), abs=1e-12)
    with pytest.raises(v.InputError, match="y 前面的带号与所用的投影带不符!"):
        v.GaussKruger(central_meridian=CM120, false_easting_km=500.0).inverse(3431990.586, 21357529.468)
    for east in (0.0, 300.0, 700.0):
        with pytest.raises(v.InputError, match="false_easting_km 应在 335 到 665 之间") as e:
            v.GaussKruger(zone_width=6, zone_prefix=True, false_easting_km=east)
        assert e.value.argument == "false_easting_km"
    v.GaussKruger(zone_width=3, zone_prefix=True, false_easting_km=168.0)


def test_points_far_from_the_meridian_warn_once_or_are_refused():
    gk = v.GaussKruger(central_meridian=CM120)
    x, y = [3432012.058] * 3, [144062.555, 500000.0, -500000.0]
    with pytest.warns(UserWarning, match="共有 2 个点离中央子午线超过4°") as caught:
        B, L = gk.inverse(x, y)
    assert len(caught) == 1 and np.all(np.isfinite(L))
    with pytest.raises(v.InputError, match=r"点离中央子午线超过4°.*\(index 1\)"):
        gk.inverse(x, y, strict=True)
    with warnings.catch_warnings():
        warnings.simplefilter("error")
        gk.inverse(x[:1], y[:1], strict=True)
    with pytest.raises(v.InputError, match="lon_range 应为 180 或 360"):
        gk.inverse(x, y, lon_range=90)


def test_utm_and_lambert_inverses_are_signed():
    B, L = math.radians(-33.5), math.radians(-70.6)
    for proj in (v.UTM(zone=19, false_northing_km=10000.0), v.Lambert(math.radians(-70), -0.5, -0.7)):
        x, y = proj.forward(B, L)
        assert proj.inverse(x, y) == pytest.approx((B, L), abs=1e-9)
        assert proj.inverse(x, y, lon_range=360) == pytest.approx((B, L + 2 * math.pi), abs=1e-9)
