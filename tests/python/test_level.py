"""Levelling routes from Python: the same table as the command line, lists and files, refusals."""
import os
import pathlib
import subprocess

import numpy as np
import pytest

import vantrel as v

SECTIONS = [("A", "B", -1.418, 1.0), ("B", "C", -2.452, 3.0), ("C", "D", 2.057, 2.0),
            ("D", "E", 0.778, 3.5), ("E", "A", 1.011, 2.5)]


def test_report_is_the_command_lines_bytes(examples):
    path = examples / "levelling" / "connecting.txt"
    route = v.level_route_file(path)
    np.testing.assert_array_equal(np.round(route.corrections * 1000), [-15, -6, -8, -10, -12, -15])
    cut = v.level_route_file(path, rounding="cut")
    np.testing.assert_array_equal(np.round(cut.corrections * 1000), [-15, -5, -8, -10, -12, -16])
    assert route.names[-1] == "BM.B" and round(route.heights[-1], 3) == 11.819
    build = os.environ.get("VANTREL_BUILD_DIR")
    program = pathlib.Path(build or "", "cli", "vantrel-cli")
    if not build or not program.exists():
        pytest.skip("vantrel-cli is not built beside the module (run from CTest)")
    for fmt in ("text", "html"):
        out = subprocess.run([str(program), "level", "--report", fmt, str(path)], capture_output=True, check=True).stdout
        assert route.report(fmt).encode() == out


def test_lists_spur_and_refusals():
    closed = v.level_route("closed", SECTIONS, 41.200)
    assert round(closed.fh * 1000) == -24
    np.testing.assert_allclose(closed.heights, [41.2, 39.784, 37.338, 39.399, 40.184, 41.2], atol=1e-9)
    spur = v.level_route("spur", [("A", "1", 1.234, 8), ("1", "A", -1.237, 8)], 10.0, by="stations", grade="四等")
    assert spur.sections[0]["back"] == -1.237 and round(spur.heights[-1], 3) == 11.236
    with pytest.raises(v.InputError, match="超限") as e:
        v.level_route("closed", [("A", "B", 1.0, 1.0), ("B", "A", -0.9, 1.0)], 1.0)
    assert round(e.value.route.fh * 1000) == 100
    assert v.level_route("closed", [("A", "B", 1.0, 1.0), ("B", "A", -0.9, 1.0)], 1.0, force=True).over_limit
    with pytest.raises(v.InputError, match="二等水准的限差只按路线长度"):
        v.level_route("closed", [(a, b, h, 4) for a, b, h, _ in SECTIONS], 41.2, by="stations", grade="二等")
    with pytest.raises(v.InputError, match="没有各测段的测站数"):
        v.level_route("closed", SECTIONS, 41.2, terrain="山地")
    with pytest.raises(v.InputError, match="kind"):
        v.level_route("loop", SECTIONS, 41.2)
