"""Reference counts and Python memory stay flat over 100 000 calls.

A binding that forgets a reference keeps its objects alive: the arguments'
reference counts climb, or the memory that tracemalloc sees grows with the
number of calls.
"""

import sys
import tracemalloc

import pytest

import tkz

CALLS = 100_000


def _cases():
    grep = tkz.core.Grep("w[a-z]+d")
    text = "hello world " * 3
    yield "core.crc32", tkz.core.crc32, (b"123456789",)
    yield "core.sha1", tkz.core.sha1, ("Zürich",)
    yield "core.b64encode", tkz.core.b64encode, (b"abcdef",)
    yield "core.Grep.search", grep.search, (text,)
    yield "core.Grep.findall", grep.findall, (text,)
    yield "core.Grep(bad)", lambda p: pytest.raises(tkz.StringError, tkz.core.Grep, p), ("[",)
    yield "colors.rgb", tkz.colors.rgb, ("SkyBlue",)
    yield "colors.to_hsl", tkz.colors.to_hsl, ((10, 200, 30),)


@pytest.mark.parametrize("name, fn, args", list(_cases()), ids=lambda v: v if isinstance(v, str) else "")
def test_calls_leave_no_references_behind(name, fn, args):
    fn(*args)  # first-call caches
    counts = [sys.getrefcount(a) for a in args]
    tracemalloc.start()
    try:
        start, _ = tracemalloc.get_traced_memory()
        for _ in range(CALLS):
            fn(*args)
        end, _ = tracemalloc.get_traced_memory()
    finally:
        tracemalloc.stop()
    assert [sys.getrefcount(a) for a in args] == counts
    # One leaked object per call would be several megabytes.
    assert end - start < 64 * 1024, f"{name}: {end - start} bytes more after {CALLS} calls"
