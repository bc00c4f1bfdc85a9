"""Shared fixtures of the Python module's tests."""

import os
import pathlib

import pytest

DATA = pathlib.Path(os.environ.get("TKZ_TEST_DATA_DIR", pathlib.Path(__file__).parents[1] / "data"))
RDKIT_DATA = pathlib.Path("/usr/share/RDKit/Data")


@pytest.fixture
def data_dir():
    """tests/data of the source tree."""
    return DATA

