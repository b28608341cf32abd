import os
import pathlib

import pytest

SOURCE_DIR = pathlib.Path(os.environ.get("VANTREL_SOURCE_DIR", pathlib.Path(__file__).resolve().parents[2]))


@pytest.fixture
def examples():
    return SOURCE_DIR / "examples"


BUILD_DIR = os.environ.get("VANTREL_BUILD_DIR")


@pytest.fixture
def cli(tmp_path):
    """Runs vantrel-cli over points (name, values...) and gives its output rows as lists of words."""
    import subprocess

    program = pathlib.Path(BUILD_DIR or "", "cli", "vantrel-cli")
    if not BUILD_DIR or not program.exists():
        pytest.skip("vantrel-cli is not built beside the module (run from CTest)")

    def run(args, rows):
        path = tmp_path / "cli_in.txt"
        path.write_bytes("".join(" ".join([f"P{i}"] + [repr(float(x)) for x in row]) + "\r\n"
                                 for i, row in enumerate(rows)).encode())
        out = subprocess.run([str(program), *args, "-q", str(path)], capture_output=True, check=True).stdout
        lines = out.decode("gbk").splitlines()
        assert len(lines) == len(rows)
        return [line.split()[1:] for line in lines]

    return run


@pytest.fixture(scope="session")
def china_points():
    """Latitudes 19-52 N and longitudes within 3 degrees of 120 E in radians, 400 of them."""
    import numpy as np

    rng = np.random.default_rng(2026)
    n = 400
    return np.radians(19.5 + 32 * rng.random(n)), np.radians(117.2 + 5.6 * rng.random(n))
