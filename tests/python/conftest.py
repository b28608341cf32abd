import os
import pathlib

import pytest

SOURCE_DIR = pathlib.Path(os.environ.get("VANTREL_SOURCE_DIR", pathlib.Path(__file__).resolve().parents[2]))


@pytest.fixture
def examples():
    return SOURCE_DIR / "examples"
