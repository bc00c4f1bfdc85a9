"""tkz.core against Python's own checksums, codecs and re."""

import base64
import binascii
import hashlib
import os
import random
import re
import zlib

import pytest

import tkz
from tkz import core

rng = random.Random(7)
SAMPLES = [b"", b"1", b"123456789", bytes(range(256)), b"\0" * 4 + b"abc",
           bytes(rng.getrandbits(8) for _ in range(100_003))]


@pytest.mark.parametrize("data", SAMPLES, ids=lambda d: str(len(d)))
def test_checksums_and_base64_agree_with_the_standard_library(data):
    assert core.crc32(data) == zlib.crc32(data)
    assert core.crc32(data[5:], core.crc32(data[:5])) == zlib.crc32(data)
    assert core.crc16(data) == binascii.crc_hqx(data, 0)
    assert core.crc16(data, "ccitt") == binascii.crc_hqx(data, 0xFFFF)
    assert core.sha1(data) == hashlib.sha1(data).digest()
    assert core.b64encode(data) == base64.b64encode(data)
    assert core.b64decode(core.b64encode(data)) == data
    wrapped = core.b64encode(data, line_breaks=True)
    assert all(len(line) <= 60 for line in wrapped.split(b"\r\n"))
    assert wrapped.replace(b"\r\n", b"") == base64.b64encode(data)
    assert core.b64decode(wrapped) == data
    assert core.a85decode(core.a85encode(data, line_breaks=True)) == data


def test_ascii85_full_groups_match_the_standard_library():
    # Whole groups are standard ASCII85; the text ends with "~>". The final
    # partial group keeps this library's own rule, so only whole groups compare.
    for data in SAMPLES:
        whole = data[: len(data) // 4 * 4]
        assert core.a85encode(whole) == base64.a85encode(whole) + b"~>"
    assert core.a85encode(b"A") == b"!b~>"


def test_text_is_taken_as_windows_1252():
    assert core.crc32("Zürich €") == zlib.crc32("Zürich €".encode("cp1252"))
    assert core.sha1(bytearray(b"abc")) == hashlib.sha1(b"abc").digest()
    assert core.crc32(memoryview(b"abcdef")[2:]) == zlib.crc32(b"cdef")
    with pytest.raises(ValueError, match="U\\+4E2D"):
        core.crc32("中")
    with pytest.raises(TypeError):
        core.crc32(12)


def test_files(tmp_path):
    path = tmp_path / "data.bin"
    path.write_bytes(SAMPLES[-1])
    assert core.crc32_file(path) == zlib.crc32(SAMPLES[-1])
    assert core.sha1_file(str(path)) == hashlib.sha1(SAMPLES[-1]).digest()
    for f in (core.crc32_file, core.sha1_file):
        with pytest.raises(tkz.InOutError, match="missing"):
            f(tmp_path / "missing")


@pytest.mark.parametrize("decode, text, message", [
    (core.b64decode, "ab!d", "invalid Base64 group"),
    (core.a85decode, b"ab\x7fcd~>", "invalid character"),
    (core.a85decode, b"abzcd~>", '"z" inside a group'),
])
def test_bad_encoded_text_raises_convert_error(decode, text, message):
    with pytest.raises(tkz.ConvertError, match=message):
        decode(text)


# Patterns in the dialect that Grep and re share. Grep's quantifiers prefer
# the shortest repetition when more tokens follow and the longest at the end,
# which re writes as lazy and greedy quantifiers.
PATTERNS = ["Warning", "[0-9]+\\.[0-9]+", "colou?r", "^[A-Z][a-z]+ [0-9]", "x [0-9]*$",
            "id=.*;", "e[a-z]*s", "^$", "[^a-z ]+", "a.c", "[A-Fa-f0-9][A-Fa-f0-9]*"]
LINES = ["Warning: colour 3.14 x 12", "Error 42 id=7; id=8; done", "", "abc aXc a.c",
         "Hello 2 worlds", "color colour colouur", "x ", "CAFEbabe 0x1F", "ends with x 99"]


@pytest.mark.parametrize("pattern", PATTERNS)
def test_grep_finds_what_re_finds(pattern):
    g = core.Grep(pattern)
    oracle = re.compile(re.sub(r"([*+?])(?=[^$])", r"\1?", pattern))
    for line in LINES:
        m, want = g.search(line), oracle.search(line)
        assert (m.span() if m else None) == (want.span() if want else None), line
        if m:
            assert m.group() == want.group()
        assert g.findall(line) == [x.group() for x in oracle.finditer(line)]


def test_grep_positions_case_and_bytes():
    g = core.Grep("ÄB+", ignore_case=True)
    assert g.search("xxäbbb").span() == (2, 6)
    assert g.search("äb äb", pos=1).start == 3
    assert g.search(b"--\xc4B").group() == b"\xc4B"
    assert g.search("no") is None and g.search("äb", pos=99) is None
    assert core.Grep("a*").finditer("baa")[1].span() == (1, 3)
    assert g.pattern == "ÄB+" and g.ignore_case


@pytest.mark.parametrize("pattern, message", [
    ("[a-", "mismatch of set brackets"), ("*a", "must not start with"), ("[]", "empty set"),
    ("a$b", "no character allowed after end of line"),
])
def test_grep_rejects_bad_patterns_with_the_library_message(pattern, message):
    with pytest.raises(tkz.StringError, match=re.escape(message)):
        core.Grep(pattern)


def test_large_inputs_release_the_gil(releases_gil):
    data = bytes(range(256)) * (1 << 17)
    assert len(releases_gil(lambda: core.sha1(data))) == 20
    assert releases_gil(lambda: core.crc32(data)) == zlib.crc32(data)
    assert releases_gil(lambda: core.b64encode(data)) == base64.b64encode(data)
