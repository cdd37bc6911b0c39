"""kelvane_arrays.get_vol on each vector unit (KELVANE_VECTOR_WIDTH, read once
per process, so each width runs in a process of its own) gives every element
the bytes of the scalar get_vol_single: seeded smiles of the three kinds over
strips of one expiry and spot (evaluated several strikes at a time) and rows
whose expiry changes, with zero, negative, infinite, NaN and far-wing strikes
and strips of every length around the widths; their Jacobians are the same
bytes on every width."""
import json
import os
import subprocess
import sys

import pytest

CHILD = r"""
import datetime, hashlib, json, math
import numpy as np
import kelvane, kelvane_arrays as ka

expiry = datetime.datetime(2025, 3, 28, 8, 0, tzinfo=datetime.timezone.utc)
r = np.random.default_rng(20261209)
smiles = []
for _ in range(6):
    smiles.append(kelvane.GVVSpline(expiry, ref_vol=r.uniform(10, 90), skew=r.uniform(-9, 9), smile=r.uniform(1, 12),
                                    pwing=r.uniform(0, 3), cwing=r.uniform(0, 3), ref_spot=r.uniform(80, 120)))
    smiles.append(kelvane.VolGeo(expiry, ref_vol=r.uniform(10, 90), corr=r.uniform(-2, 2), vvol=r.uniform(1, 60),
                                 ref_spot=r.uniform(80, 120), vpr=r.uniform(0, 2)))
    wings = {n: r.uniform(-4, 4) for n in ("p05", "p10", "p15", "p20", "c05", "c10", "c15", "c20")}
    smiles.append(kelvane.CubicSpline(expiry, ref_vol=r.uniform(10, 90), ref_spot=r.uniform(80, 120),
                                      vpr=r.uniform(0, 2), p25=r.uniform(0, 4), c25=r.uniform(0, 4), **wings))
edges = [0.0, -0.0, -3.0, math.inf, -math.inf, math.nan, 5e-324, 1.7976931348623157e308, 1e-300, 1e300]
digest, wrong = hashlib.sha256(), []
for smile in smiles:
    n = 1000
    strikes = 100 * np.exp(r.normal(0, 0.6, n))
    strikes[r.integers(0, n, 40)] = r.choice(edges, 40)
    ttx = np.full(n, r.uniform(0.01, 2))
    spot = np.full(n, r.uniform(80, 120))
    ttx[700:] = r.uniform(0.01, 2, n - 700)  # a row whose expiry changes at every element
    for length in (*range(0, 19), 333, n):
        vols = ka.get_vol(smile, ttx[:length], spot[:length], strikes[:length])
        digest.update(np.ascontiguousarray(vols).tobytes())
        for t, s, k, v in zip(ttx[:length], spot[:length], strikes[:length], vols):
            single = smile.get_vol_single(float(t), float(s), float(k))
            if np.float64(single).tobytes() != np.float64(v).tobytes():
                wrong.append(f"{type(smile).__name__} {smile.get_param_dict()} ttx={t!r} spot={s!r} strike={k!r}: "
                             f"array {float(v)!r}, scalar {single!r}")
    # The Jacobian's terms and vols take the same path: its columns must not
    # depend on the width either.
    columns = smile.get_jacobian(float(ttx[0]), float(spot[0]), strikes[:333].tolist(), smile.get_fitting_params())
    for name in sorted(columns):
        digest.update(np.asarray(columns[name], dtype=np.float64).tobytes())
print(json.dumps({"digest": digest.hexdigest(), "wrong": wrong[:5]}))
"""


def run_at_width(width):
    env = dict(os.environ, KELVANE_VECTOR_WIDTH=str(width))
    done = subprocess.run([sys.executable, "-c", CHILD], env=env, capture_output=True, text=True, check=True)
    return json.loads(done.stdout)


@pytest.fixture(scope="module")
def reports():
    return {width: run_at_width(width) for width in (2, 4, 8)}


@pytest.mark.parametrize("width", [2, 4, 8])
def test_every_element_has_the_bytes_of_get_vol_single(reports, width):
    assert reports[width]["wrong"] == []


def test_every_width_writes_the_same_bytes(reports):
    assert len({report["digest"] for report in reports.values()}) == 1
