"""kelvane's results are the same bits on every machine: the hashes of
fingerprint.py's groups against those committed in fingerprint.sha256."""
import struct

import fingerprint


def test_every_group_keeps_its_committed_bits():
    moved = fingerprint.differences(fingerprint.committed(), fingerprint.fingerprint())
    assert not moved, "groups whose bits differ from fingerprint.sha256:\n" + "\n".join(moved)


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
