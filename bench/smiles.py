"""Smile evaluation: per-strike cost over a strip, from a list and from a numpy array."""
from __future__ import annotations

import datetime
import math

import numpy as np

import kelvane
from harness import Row, measure_stmt

EXPIRY = datetime.datetime(2026, 3, 27, 8, 0, tzinfo=datetime.timezone.utc)
N = 10_000
STRIKES = [50.0 + 100.0 * i / N for i in range(N)]
ARRAY = np.array(STRIKES)
JACOBIAN_STRIKES = STRIKES[:: N // 100]
MODELS = {
    "GVVSpline": kelvane.GVVSpline(EXPIRY, ref_vol=55.0, skew=-4.0, smile=8.0, pwing=1.0, cwing=0.5),
    "VolGeo": kelvane.VolGeo(EXPIRY, ref_vol=55.0, corr=-0.3, vvol=40.0),
    "CubicSpline": kelvane.CubicSpline(EXPIRY, ref_vol=55.0, p05=1.0, p10=1.5, c05=0.5, c10=1.0, p25=2.0, c25=2.0),
}
FLOOR = "list(map(math.log, strikes)) [floor]"


def rows() -> list[Row]:
    ns = {"math": math, "STRIKES": STRIKES, "ARRAY": ARRAY, "JS": JACOBIAN_STRIKES,
          "F": 100.0, "K": 95.0, "T": 0.25, "V": 0.5, "D": 1.0}
    out = [Row("smiles", FLOOR, measure_stmt("list(map(math.log, STRIKES))", ns, repeat=5, per=N), per="strike")]
    for name, model in MODELS.items():
        ns["m"] = model
        ns["FIT"] = model.get_fitting_params()
        out.append(Row("smiles", f"{name}.get_vol, list of {N:,}",
                       measure_stmt("m.get_vol(0.25, 101.0, STRIKES)", ns, repeat=5, per=N),
                       per="strike", floor=FLOOR, target="<= 1.2x floor"))
        out.append(Row("smiles", f"{name}.get_vol, numpy array of {N:,}",
                       measure_stmt("m.get_vol(0.25, 101.0, ARRAY)", ns, repeat=5, per=N),
                       per="strike", floor=FLOOR))
        out.append(Row("smiles", f"{name}.get_jacobian, fitting params, 100 strikes",
                       measure_stmt("m.get_jacobian(0.25, 101.0, JS, FIT)", ns, repeat=5)))
    ns["m"] = MODELS["GVVSpline"]
    out.append(Row("smiles", "GVVSpline.get_vol_single", measure_stmt("m.get_vol_single(0.25, 101.0, 95.0)", ns),
                   floor="math.hypot(5 floats) [floor]"))
    return out


COMPARISONS = [(f"{name}.get_vol, numpy array of {N:,}", f"{name}.get_vol, list of {N:,}", 1.3)
               for name in MODELS]
