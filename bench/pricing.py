"""Per-call cost of the pricing functions against peers and the builtin floor."""
from __future__ import annotations

import math

import kelvane
from harness import Row, measure_stmt

F, K, T, VOL, DF = 100.0, 95.0, 0.5, 0.25, 0.99
PRICE = kelvane.b76_fairvalue(F, K, T, VOL, "c", DF)


def python_b76(fwd, strike, ttx, vol, call_put, df=1.0):
    """Black-76 in plain Python with math.erfc: what a desk writes first."""
    s = vol * math.sqrt(ttx)
    d1 = (math.log(fwd / strike) + 0.5 * vol * vol * ttx) / s
    d2 = d1 - s
    n = lambda x: 0.5 * math.erfc(-x / math.sqrt(2.0))  # noqa: E731
    if call_put == "c":
        return df * (fwd * n(d1) - strike * n(d2))
    return df * (strike * n(-d2) - fwd * n(-d1))


def rows() -> list[Row]:
    ns = {"kelvane": kelvane, "math": math, "python_b76": python_b76,
          "F": F, "K": K, "T": T, "VOL": VOL, "DF": DF, "PRICE": PRICE}
    out = [
        Row("pricing", "math.hypot(5 floats) [floor]", measure_stmt("math.hypot(F, K, T, VOL, DF)", ns)),
        Row("pricing", "kelvane.b76_fairvalue", measure_stmt("kelvane.b76_fairvalue(F, K, T, VOL, 'c', DF)", ns),
            floor="math.hypot(5 floats) [floor]", target="<= 1.6x floor", kernel="kelvane.b76_fairvalue"),
        Row("pricing", "kelvane.binary_fairvalue", measure_stmt("kelvane.binary_fairvalue(F, K, T, VOL, 'c', DF)", ns),
            floor="math.hypot(5 floats) [floor]", kernel="kelvane.binary_fairvalue"),
        Row("pricing", "kelvane.calibrate_black76_iv",
            measure_stmt("kelvane.calibrate_black76_iv(T, F, K, PRICE, 'c', DF)", ns),
            floor="math.hypot(5 floats) [floor]", kernel="kelvane.calibrate_black76_iv"),
        Row("pricing", "pure Python Black-76 (math.erfc)", measure_stmt("python_b76(F, K, T, VOL, 'c', DF)", ns)),
    ]
    try:
        import QuantLib as ql
    except ImportError:
        ql = None
    if ql is not None:
        ns.update(ql=ql, CALL=ql.Option.Call, STDDEV=VOL * math.sqrt(T))
        out.append(Row("pricing", "QuantLib blackFormula",
                       measure_stmt("ql.blackFormula(CALL, K, F, STDDEV, DF)", ns)))
        out.append(Row("pricing", "QuantLib blackFormulaImpliedStdDev",
                       measure_stmt("ql.blackFormulaImpliedStdDev(CALL, K, F, PRICE, DF)", ns)))
    try:
        import warnings
        with warnings.catch_warnings():
            warnings.simplefilter("ignore")
            from vollib.black import black
            from vollib.black.implied_volatility import implied_volatility
    except ImportError:
        black = None
    if black is not None:
        r = -math.log(DF) / T
        ns.update(black=black, implied_volatility=implied_volatility, R=r)
        out.append(Row("pricing", "vollib black", measure_stmt("black('c', F, K, T, R, VOL)", ns)))
        out.append(Row("pricing", "vollib implied_volatility",
                       measure_stmt("implied_volatility(PRICE, F, K, R, T, 'c')", ns)))
    return out


# (kelvane row, peer row, the speed-up the row must show)
COMPARISONS = [
    ("kelvane.calibrate_black76_iv", "QuantLib blackFormulaImpliedStdDev", 5.0),
    ("kelvane.calibrate_black76_iv", "vollib implied_volatility", 20.0),
    ("kelvane.b76_fairvalue", "QuantLib blackFormula", None),
    ("kelvane.b76_fairvalue", "vollib black", None),
    ("kelvane.b76_fairvalue", "pure Python Black-76 (math.erfc)", None),
]
