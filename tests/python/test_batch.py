"""Traverse adjustment and seven parameters from common points, as the batch layer gives them."""
import math

import numpy as np
import pytest

import vantrel as v


@pytest.mark.parametrize("name", ["closed", "connecting"])
def test_traverse_reports_equal_the_worked_examples(examples, name):
    adj = v.adjust_traverse(examples / "traverse" / f"{name}.txt")
    want = (examples / "traverse" / f"{name}_report.txt").read_bytes()
    assert "".join(line + "\r\n" for line in adj.report_lines()).encode("gbk") == want
    assert adj.report_html() == (examples / "traverse" / f"{name}_report.html").read_text(encoding="utf-8")
    assert adj.sketch_svg() in adj.report_html()


def test_connecting_traverse_ends_on_its_known_point(examples):
    t = v.read_traverse_file(examples / "traverse" / "connecting.txt")
    assert (t.kind, t.side, len(t.stations)) == ("connecting", "left", 5)
    adj = v.adjust_traverse(t)
    assert adj.names[0] == t.start[0] and adj.names[-1] == t.end[0]
    np.testing.assert_array_equal(adj.xy[-1], t.end[1:])
    assert abs(adj.f_beta_seconds) <= adj.allowance_seconds
    assert adj.corrections_seconds.sum() == pytest.approx(-adj.f_beta_seconds, abs=0.5)
    assert sum(leg["vx"] for leg in adj.legs) == pytest.approx(-adj.fx, abs=1e-9)
    assert adj.K == math.floor(adj.sum_distance / adj.fs)


def test_traverse_over_its_allowance_is_refused_with_the_figures(examples):
    text = (examples / "traverse" / "connecting.txt").read_text(encoding="utf-8")
    worse = text.replace("174.1420", "174.1620")  # two minutes off at the first station
    t = v.parse_traverse_text(worse, "worse.txt")
    with pytest.raises(v.InputError) as e:
        v.adjust_traverse(t, allowance=40)
    assert e.value.adjustment.over_limit
    assert abs(e.value.adjustment.f_beta_seconds) > e.value.adjustment.allowance_seconds
    forced = v.adjust_traverse(t, force=True)
    assert forced.over_limit and forced.f_beta_seconds == e.value.adjustment.f_beta_seconds


# The closed traverse of a textbook exercise (chapter 7, exercise 9, figure 7-13; answer key
# e.g. doczj.com/doc/6e15339899.html): f_beta = -36″ on five angles, 1/K = 1/4472.
BOOK = """导线 闭合 左角
起点 A 1000.00 2000.00
首边方位 45.0000
A 103.0248 147.02
2 117.2724 124.47
3 113.0018 132.30
4 110.5842 165.68
5 95.3012 164.02
"""


def test_traverse_figures_add_up_at_the_millimetre():
    adj = v.adjust_traverse(v.parse_traverse_text(BOOK))
    mm = lambda m: round(m * 1000)  # noqa: E731
    assert sum(mm(leg["vx"]) for leg in adj.legs) == -mm(adj.fx) == -100
    assert sum(mm(leg["vy"]) for leg in adj.legs) == -mm(adj.fy) == -130
    for leg, a, b in zip(adj.legs, adj.stations, adj.stations[1:] + adj.stations[:1]):
        assert mm(leg["dx_adjusted"]) == mm(leg["dx"]) + mm(leg["vx"]) == mm(b["x"]) - mm(a["x"])
    assert (adj.f_beta_seconds, adj.K, adj.grade, adj.closure_allowance) == (-36, 4472, "", 2000)


@pytest.mark.parametrize("grade, refused", [("一级", "角度闭合差 -36.0″ 超过限差 ±22.4″"),
                                            ("三级", "1/K = 1/4472 超过限差 1/5000"), ("图根", None)])
def test_traverse_grades_refuse_over_either_allowance(grade, refused):
    t = v.parse_traverse_text(BOOK)
    if refused is None:
        assert v.adjust_traverse(t, grade=grade).grade == grade
        return
    with pytest.raises(v.InputError, match=refused) as e:
        v.adjust_traverse(t, grade=grade)
    assert e.value.adjustment.over_limit or e.value.adjustment.closure_over_limit
    forced = v.adjust_traverse(t, grade=grade, force=True)
    assert forced.grade == grade and "超限, 按要求强制平差" in forced.report()


def test_traverse_mistyped_leg_is_refused_without_a_grade():
    typo = v.parse_traverse_text(BOOK.replace("132.30", "1e2"))
    with pytest.raises(v.InputError, match="1/K = 1/21 超过限差 1/2000") as e:
        v.adjust_traverse(typo)
    assert e.value.adjustment.closure_over_limit
    with pytest.raises(v.InputError, match="未知的导线等级"):
        v.adjust_traverse(typo, grade="五级")
    with pytest.raises(v.InputError, match="grade 与 allowance"):
        v.adjust_traverse(typo, grade="一级", allowance=10)


def test_traverse_file_errors(tmp_path):
    with pytest.raises(v.FileError):
        v.read_traverse_file(tmp_path / "none.txt")
    with pytest.raises(v.InputError, match="bad.txt:2:"):
        v.parse_traverse_text("导线 附合 左角\n起点 B 1\n", "bad.txt")


TRUE = v.SevenParameters(dX=-15.2, dY=101.7, dZ=78.3, m=3.5, ex=1.2, ey=-0.8, ez=2.4)
OLD = np.array([[-2148744.3, 4426641.2, 4044655.9], [-2150000.0, 4428000.0, 4042000.0],
                [-2145000.0, 4425000.0, 4047000.0], [-2152000.0, 4423000.0, 4046000.0],
                [-2147000.0, 4430000.0, 4041000.0]])


def test_seven_parameters_recovered_and_checked_with_the_transformation():
    new = np.column_stack(TRUE.transform(*OLD.T))
    fit = v.estimate_seven_parameters(OLD, new)
    np.testing.assert_allclose(fit.parameters.as_tuple(), TRUE.as_tuple(), atol=1e-5)
    assert fit.sigma0 < 1e-6 and not fit.flagged.any() and fit.redundancy == 3 * len(OLD) - 7
    moved = np.column_stack(fit.parameters.transform(*OLD.T))
    np.testing.assert_allclose(moved + fit.residuals, new, atol=1e-9)
    lines = fit.report_lines()
    assert lines[0].startswith("七参数") and len(lines) == 15 + len(OLD)


def test_seven_parameters_flag_a_blunder_and_refuse_bad_sets():
    new = np.column_stack(TRUE.transform(*OLD.T))
    many = np.vstack([OLD, OLD + [300.0, -200.0, 100.0], OLD + [-150.0, 400.0, 250.0]])
    noisy = np.vstack([new, np.column_stack(TRUE.transform(*(OLD + [300.0, -200.0, 100.0]).T)),
                       np.column_stack(TRUE.transform(*(OLD + [-150.0, 400.0, 250.0]).T))])
    noisy += np.random.default_rng(1).normal(0, 0.002, noisy.shape)
    noisy[3, 1] += 0.5
    fit = v.estimate_seven_parameters(many, noisy, names=[f"G{i}" for i in range(len(many))])
    assert fit.flagged.tolist().index(True) == 3 and fit.names[3] == "G3"
    with pytest.raises(v.InputError, match="公共点少于3个, 不能求七参数!"):
        v.estimate_seven_parameters(OLD[:2], new[:2])
    line = np.array([[0.0, 0, 6378137], [1000.0, 0, 6378137], [2000.0, 0, 6378137]])
    with pytest.raises(v.InputError, match="共线"):
        v.estimate_seven_parameters(line, line)


def test_seven_parameters_between_ellipsoids_and_the_common_point_file(tmp_path):
    path = tmp_path / "common.txt"
    path.write_text("# 54 -> 84\nA 30.3000 114.1500 50 30.3001 114.1502 30\n"
                    "B 31.0000 115.0000 60 31.0001 115.0002 41\nC 30.0000 116.0000 70 30.0001 116.0002 50\n"
                    "D 32.0000 117.0000 80 32.0001 117.0002 62\n", encoding="utf-8")
    pts = v.read_common_point_file(path, geodetic=True)
    assert pts.names == list("ABCD") and pts.old[0, 0] == v.dms_to_rad(30.3)
    fit = v.estimate_seven_parameters_geodetic(pts.old, pts.new, 54, "84", names=pts.names)
    assert fit.redundancy == 5 and fit.names == list("ABCD")
    path.write_text("A 1 2 3 4 5\n", encoding="utf-8")
    with pytest.raises(v.InputError, match="common.txt:1: 公共点行应为"):
        v.read_common_point_file(path)
    with pytest.raises(v.FileError):
        v.read_common_point_file(tmp_path / "none.txt")
