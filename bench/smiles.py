"""Smile evaluation: per-strike cost over a strip, from a list and from a numpy array;
Jacobians against the get_vol calls they need at least; single strikes."""
from __future__ import annotations

import datetime
import math
from array import array
from itertools import repeat

import numpy as np

import kelvane
from harness import Row, measure_stmt

EXPIRY = datetime.datetime(2026, 3, 27, 8, 0, tzinfo=datetime.timezone.utc)
N = 10_000
STRIKES = [50.0 + 100.0 * i / N for i in range(N)]
ARRAY = np.array(STRIKES)
# A long strip: its cost per strike should grow no more from N to LONG
# strikes than the floor's own does (cache and page-fault effects).
LONG = 1_000_000
LONG_STRIKES = [50.0 + 100.0 * i / LONG for i in range(LONG)]
LONG_ARRAY = np.array(LONG_STRIKES)
JACOBIAN_STRIKES = STRIKES[:: N // 100]
MODELS = {
    "GVVSpline": kelvane.GVVSpline(EXPIRY, ref_vol=55.0, skew=-4.0, smile=8.0, pwing=1.0, cwing=0.5),
    "VolGeo": kelvane.VolGeo(EXPIRY, ref_vol=55.0, corr=-0.3, vvol=40.0),
    "CubicSpline": kelvane.CubicSpline(EXPIRY, ref_vol=55.0, p05=1.0, p10=1.5, c05=0.5, c10=1.0, p25=2.0, c25=2.0),
}
FLOOR = "list(map(math.log, strikes)) [floor]"
LONG_FLOOR = f"list(map(math.log, strikes)), {LONG:,} [floor]"
GROWTH_LIMIT = 1.05
SINGLE_FLOOR = "math.hypot(3 floats) [floor]"
# What get_jacobian must do besides evaluating: read 100 floats once, build
# one list of 100 new floats per name and a dict of them (A holds the 100
# strikes as doubles, so tolist only boxes them).
JACOBIAN_FLOOR = "dict of {} lists of 100 floats [floor]"
JACOBIAN_FLOOR_STMT = "sum(JS); dict(zip(FIT, map(array.tolist, repeat(A, len(FIT)))))"
JACOBIAN_TARGETS = {"GVVSpline": 0.8, "VolGeo": 0.9, "CubicSpline": 0.9}


def jacobian_floor(count: int) -> str:
    return JACOBIAN_FLOOR.format(count)


def evaluations(name: str) -> str:
    return f"{name}.get_vol, 100 strikes, x(1 + parameters)"


def short_row(name: str, source: str) -> str:
    return f"{name}.get_vol, {source} of {N:,}"


def long_row(name: str, source: str) -> str:
    return f"{name}.get_vol, {source} of {LONG:,}"


def rows() -> list[Row]:
    ns = {"math": math, "array": array, "repeat": repeat, "STRIKES": STRIKES, "ARRAY": ARRAY,
          "LONG_STRIKES": LONG_STRIKES, "LONG_ARRAY": LONG_ARRAY,
          "JS": JACOBIAN_STRIKES, "A": array("d", JACOBIAN_STRIKES), "F": 100.0, "K": 95.0, "T": 0.25}
    out = [Row("smiles", FLOOR, measure_stmt("list(map(math.log, STRIKES))", ns, repeat=5, per=N), per="strike"),
           Row("smiles", LONG_FLOOR, measure_stmt("list(map(math.log, LONG_STRIKES))", ns, repeat=5, per=LONG),
               per="strike"),
           Row("smiles", SINGLE_FLOOR, measure_stmt("math.hypot(T, F, K)", ns))]
    floors = set()
    for name, model in MODELS.items():
        ns["m"] = model
        ns["FIT"] = fit = model.get_fitting_params()
        ns["CALLS"] = range(len(fit) + 1)
        if len(fit) not in floors:
            floors.add(len(fit))
            out.append(Row("smiles", jacobian_floor(len(fit)), measure_stmt(JACOBIAN_FLOOR_STMT, ns)))
        out.append(Row("smiles", short_row(name, "list"),
                       measure_stmt("m.get_vol(0.25, 101.0, STRIKES)", ns, repeat=5, per=N),
                       per="strike", floor=FLOOR, target="<= 1.2x floor", kernel=f"{name}.get_vol"))
        out.append(Row("smiles", short_row(name, "numpy array"),
                       measure_stmt("m.get_vol(0.25, 101.0, ARRAY)", ns, repeat=5, per=N),
                       per="strike", floor=FLOOR, kernel=f"{name}.get_vol"))
        for source, strikes in (("list", "LONG_STRIKES"), ("numpy array", "LONG_ARRAY")):
            out.append(Row("smiles", long_row(name, source),
                           measure_stmt(f"m.get_vol(0.25, 101.0, {strikes})", ns, repeat=5, per=LONG),
                           per="strike", floor=LONG_FLOOR, kernel=f"{name}.get_vol",
                           target=f"growth <= {GROWTH_LIMIT}x the floor's"))
        out.append(Row("smiles", evaluations(name),
                       measure_stmt("for _ in CALLS: m.get_vol(0.25, 101.0, JS)", ns),
                       kernel=f"{name}.get_vol per parameter"))
        out.append(Row("smiles", f"{name}.get_jacobian, fitting params, 100 strikes",
                       measure_stmt("m.get_jacobian(0.25, 101.0, JS, FIT)", ns),
                       floor=jacobian_floor(len(fit)), kernel=f"{name}.get_jacobian",
                       target=f"<= {JACOBIAN_TARGETS[name]}x get_vol x(1 + parameters)"))
        out.append(Row("smiles", f"{name}.get_vol_single", measure_stmt("m.get_vol_single(0.25, 101.0, 95.0)", ns),
                       floor=SINGLE_FLOOR, kernel=f"{name}.get_vol_single",
                       target="<= 1.45x floor" if name == "GVVSpline" else ""))
    return out


COMPARISONS = [(f"{name}.get_vol, numpy array of {N:,}", f"{name}.get_vol, list of {N:,}", 1.3)
               for name in MODELS]
# (row, the row it is set against, the largest ratio the row may show)
RATIOS = [(f"{name}.get_jacobian, fitting params, 100 strikes", evaluations(name), target)
          for name, target in JACOBIAN_TARGETS.items()]
# (long row, short row, long floor, short floor, the largest growth of the
# row's cost per strike divided by the floor's growth)
GROWTH_RATIOS = [(long_row(name, source), short_row(name, source), LONG_FLOOR, FLOOR, GROWTH_LIMIT)
                 for name in MODELS for source in ("list", "numpy array")]
