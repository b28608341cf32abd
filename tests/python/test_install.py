"""cmake --install puts a package that a fresh interpreter imports from the prefix alone."""
import os
import pathlib
import subprocess
import sys

import pytest

BUILD = os.environ.get("VANTREL_BUILD_DIR")


def expected_folder(prefix_name):
    """Debian's layout under a prefix ending in usr, the versioned one under any other."""
    chosen = os.environ.get("VANTREL_PYTHON_INSTALL_DIR")
    if chosen:
        return chosen
    if prefix_name == "usr":
        return "lib/python3/dist-packages"
    return f"lib/python{sys.version_info.major}.{sys.version_info.minor}/dist-packages"


@pytest.mark.skipif(not BUILD, reason="run from CTest, which names the build tree")
@pytest.mark.parametrize("prefix_name", ["usr", "opt"])
def test_installed_package_imports_from_the_prefix(tmp_path, prefix_name):
    prefix = tmp_path / prefix_name
    subprocess.run([os.environ.get("CMAKE_COMMAND", "cmake"), "--install", BUILD, "--component", "python",
                    "--prefix", str(prefix)], check=True, capture_output=True)
    package = prefix / expected_folder(prefix_name) / "vantrel"
    assert {p.name for p in package.iterdir()} >= {"__init__.py", "__init__.pyi", "py.typed"}
    assert list(package.glob("_vantrel*.so"))
    env = {k: val for k, val in os.environ.items() if k != "PYTHONPATH"}
    env["PYTHONPATH"] = str(package.parent)
    code = ("import vantrel, pydoc; print(vantrel.__file__); "
            "print(vantrel.format_pattern(vantrel.radii(0.0).M, '#.0000')); "
            "assert 'radians' in pydoc.render_doc(vantrel); "
            "assert 'share/vantrel/manual/index.html' in pydoc.render_doc(vantrel); "
            "assert 'radians' in pydoc.render_doc(vantrel.GaussKruger)")
    out = subprocess.run([sys.executable, "-c", code], env=env, cwd=tmp_path, check=True,
                         capture_output=True, text=True).stdout.split()
    assert pathlib.Path(out[0]).resolve().is_relative_to(prefix.resolve())
    assert out[1] == "6335552.7170"
