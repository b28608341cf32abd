"""GNSS height fitting from arrays and from the common-point file, and its report as the program writes it."""
import os
import pathlib
import subprocess

import numpy as np
import pytest

import vantrel as v


def grid(rng, n=6, spacing=1500.0, x0=3012345.0, y0=38512345.0):
    """A jittered grid of Gauss coordinates (zone in front of y) and normal heights."""
    i, j = np.meshgrid(np.arange(n) - (n - 1) / 2, np.arange(n) - (n - 1) / 2)
    x = x0 + spacing * i.ravel() + rng.uniform(-300, 300, n * n)
    y = y0 + spacing * j.ravel() + rng.uniform(-300, 300, n * n)
    return [f"P{k}" for k in range(n * n)], x, y, rng.uniform(20, 400, n * n)


@pytest.mark.parametrize("model", ["constant", "plane", "quadratic", "平面"])
def test_exact_surfaces_come_back_and_noise_shows_in_sigma(model):
    rng = np.random.default_rng(7)
    names, x, y, h = grid(rng)
    u, w = (x - 3.01e6) / 1e3, (y - 3.85e7) / 1e3
    zeta = {"constant": 11.0 + 0 * u, "plane": 11.0 + 0.01 * u - 0.02 * w, "平面": 11.0 + 0.01 * u,
            "quadratic": 11.0 + 0.01 * u + 3e-4 * u * w - 2e-4 * w * w}[model]
    fit = v.height_fit(names, x, y, h + zeta, h, model=model, check=["P3", "P17"])
    assert np.abs(fit.residuals).max() < 1e-9
    z, outside = fit.evaluate(x, y)
    np.testing.assert_allclose(z, zeta, atol=1e-9)
    assert not outside[~fit.check].any() and fit.check.sum() == 2  # fitting points lie in their own hull
    # Noise of 1 cm over 40 seeds: σ² from the residuals averages to the noise's.
    s2 = [v.height_fit(names, x, y, h + zeta + r.normal(0, 0.01, len(h)), h, model=model).sigma_internal ** 2
          for r in map(np.random.default_rng, range(40))]
    assert np.mean(s2) == pytest.approx(1e-4, rel=0.15)


def test_refusals_and_extrapolation():
    with pytest.raises(v.InputError, match="在一条直线上"):
        v.height_fit(["A", "B", "C"], [0, 1, 2], [0, 1, 2], [30, 30, 30], [0, 0, 0])
    with pytest.raises(v.InputError, match="至少要 6 个"):
        v.height_fit(["A", "B", "C"], [0, 1, 0], [0, 0, 1], [30, 30, 30], [0, 0, 0], model="quadratic")
    with pytest.raises(v.InputError, match="未知的拟合模型"):
        v.height_fit(["A"], [0], [0], [30], [0], model="cubic")
    fit = v.height_fit(list("ABCD"), [0, 100, 0, 100], [0, 0, 100, 100], [30, 31, 32, 33], [0, 0, 0, 0], model="thinplate")
    assert np.isnan(fit.sigma_internal)  # an interpolant: no residuals to judge by
    z, outside = fit.evaluate(np.array([50.0, 150.0]), np.array([50.0, 50.0]))
    assert list(outside) == [False, True]
    assert fit.evaluate(0.0, 0.0) == (pytest.approx(30.0, abs=1e-9), False)


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
    assert fit.check.sum() == 4 and fit.shape > 0
