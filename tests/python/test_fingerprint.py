"""kelvane's results are the same bits on every machine: the hashes of
fingerprint.py's groups against those committed in fingerprint.sha256."""
import os
import platform
import struct
import subprocess
import sys

import pytest

import fingerprint


def test_every_group_keeps_its_committed_bits():
    moved = fingerprint.differences(fingerprint.committed(), fingerprint.fingerprint())
    assert not moved, "groups whose bits differ from fingerprint.sha256:\n" + "\n".join(moved)


# The loops take AVX2's vectors where the machine has them; the baseline's
# and AVX-512's must give the same bits (a machine without AVX2 computes with
# the first, one that is asked to with the second).
@pytest.mark.skipif(platform.machine() not in ("x86_64", "AMD64"), reason="x86-64 chooses among vector widths")
@pytest.mark.parametrize("width", ["2", "8"])
def test_other_vector_widths_keep_the_bits(width):
    run = subprocess.run([sys.executable, fingerprint.__file__], capture_output=True, text=True,
                         env=os.environ | {"KELVANE_VECTOR_WIDTH": width})
    assert run.returncode == 0, f"KELVANE_VECTOR_WIDTH={width}:\n{run.stdout}{run.stderr}"


def test_one_ulp_moves_its_group_and_all_alone():
    values = {"a": fingerprint.canonical([1.0, 0.1]), "b": fingerprint.canonical([-0.0])}
    before = fingerprint.hashes(values)
    values["a"][1] = 0.1 + 2.0 ** -56  # the next double above 0.1
    moved = fingerprint.differences(before, fingerprint.hashes(values))
    assert [line.split(":")[0] for line in moved] == ["a", "all"]


def test_zeros_keep_their_sign_and_nans_hash_as_one():
    signalling = struct.unpack("<d", struct.pack("<Q", 0x7FF4000000000001))[0]
    nans = fingerprint.canonical([float("nan"), -float("nan"), signalling])
    assert nans.tobytes() == fingerprint.canonical([float("nan")] * 3).tobytes()
    assert fingerprint.canonical([0.0]).tobytes() != fingerprint.canonical([-0.0]).tobytes()
