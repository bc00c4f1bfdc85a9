"""Shared fixtures of the Python module's tests."""

import os
import pathlib
import time

import pytest

DATA = pathlib.Path(os.environ.get("TKZ_TEST_DATA_DIR", pathlib.Path(__file__).parents[1] / "data"))
RDKIT_DATA = pathlib.Path("/usr/share/RDKit/Data")


@pytest.fixture
def data_dir():
    """tests/data of the source tree."""
    return DATA



@pytest.fixture
def releases_gil():
    """releases_gil(fn) runs fn while another Python thread counts, checks that
    the thread counted during the call, and gives fn's result.

    The switch interval is made so long that the interpreter never takes the
    GIL from this thread by force, and the counter gives it back after every
    step; so the counter can only count while this thread has let the GIL
    go, which it does not do between reading the count before and after fn
    unless fn releases the GIL."""
    import sys
    import threading

    def run(fn):
        count, done = [0], threading.Event()

        def counter():
            while not done.is_set():
                count[0] += 1
                time.sleep(0)  # lets the GIL go at once

        interval = sys.getswitchinterval()
        sys.setswitchinterval(1000.0)
        worker = threading.Thread(target=counter)
        worker.start()
        try:
            time.sleep(0.05)
            before = count[0]
            result = fn()
            during = count[0] - before
        finally:
            done.set()
            worker.join()
            sys.setswitchinterval(interval)
        assert during > 0, "another thread could not run during the call"
        return result

    return run
