"""GNSS height fitting from arrays and from the common-point file, and its report as the program writes it."""
import os
import pathlib
import subprocess

import numpy as np
import pytest

import vantrel as v


def test_arrays_in_arrays_out_and_refusals():
    rng = np.random.default_rng(7)
    x, y = 3.012e6 + rng.uniform(0, 9000, 30), 3.8512e7 + rng.uniform(0, 9000, 30)
    h = rng.uniform(20, 400, 30)
    zeta = 11.0 + 1e-5 * (x - 3.012e6) + 3e-10 * (x - 3.012e6) * (y - 3.8512e7)
    names = [f"P{k}" for k in range(30)]
    fit = v.height_fit(names, x, y, h + zeta, h, model="二次曲面", check=["P3", "P17"])
    assert fit.model == "quadratic" and fit.check.sum() == 2 and fit.parameters.shape == (6,)
    z, outside = fit.evaluate(x.reshape(5, 6), y.reshape(5, 6))
    np.testing.assert_allclose(z.ravel(), zeta, atol=1e-9)
    assert outside.shape == (5, 6) and not outside.ravel()[~fit.check].any()
    assert fit.evaluate(float(x[0]), float(y[0])) == (pytest.approx(zeta[0], abs=1e-9), False)
    assert fit.evaluate(x[0] + 1e5, y[0])[1]
    with pytest.raises(v.InputError, match="在一条直线上"):
        v.height_fit(["A", "B", "C"], [0, 1, 2], [0, 1, 2], [30, 30, 30], [0, 0, 0])
    with pytest.raises(v.InputError, match="未知的拟合模型"):
        v.height_fit(["A"], [0], [0], [30], [0], model="cubic")
    with pytest.raises(v.InputError, match="没有检核点 Q"):
        v.height_fit(["A"], [0], [0], [30], [0], model="constant", check=["Q"])


def test_file_bad_line_is_told_by_line(tmp_path):
    path = tmp_path / "c.txt"
    path.write_bytes("A 0 0 30 1\r\nB 1 x 30 1\r\n".encode("gbk"))
    with pytest.raises(v.InputError, match=r"c\.txt:2: y坐标错!"):
        v.height_fit_file(path)


@pytest.mark.parametrize("form", ["text", "html"])
def test_report_is_the_command_lines(examples, form):
    program = pathlib.Path(os.environ.get("VANTREL_BUILD_DIR", ""), "cli", "vantrel-cli")
    if not program.exists():
        pytest.skip("vantrel-cli is not built beside the module (run from CTest)")
    path = str(examples / "heightfit" / "common.txt")
    out = subprocess.run([str(program), "heightfit", path, "--model", "multiquadric", "--check", "G10",
                          "--report", form], capture_output=True, check=True).stdout
    fit = v.height_fit_file(path, model="multiquadric", check=["G10"])
    assert fit.report(form) == out.decode("utf-8")
    assert fit.check.sum() == 4 and np.isnan(fit.sigma_internal) and fit.sigma_external > 0
