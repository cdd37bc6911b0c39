"""The business-time calendar: construction and per-call costs, within one year and
over instants spread across the range of a datetime."""
from __future__ import annotations

import datetime
import random

import kelvane
from harness import Row, measure_fresh, measure_stmt

UTC = datetime.timezone.utc
FROM = datetime.datetime(2026, 12, 8, 14, 30, tzinfo=UTC)
TO = datetime.datetime(2027, 3, 26, 8, 0, tzinfo=UTC)
FLOOR = "a.timestamp(); b.timestamp() [floor]"
INTERVALS = 10_000


def intervals(first_year: int, last_year: int) -> list[tuple[datetime.datetime, datetime.datetime]]:
    """Random whole-second intervals between instants of the UTC years first to last."""
    lo = datetime.datetime(first_year, 1, 1, tzinfo=UTC)
    span = int((datetime.datetime(last_year, 12, 31, 23, 59, 59, tzinfo=UTC) - lo).total_seconds())
    draw = random.Random(9)

    def instant() -> datetime.datetime:
        return lo + datetime.timedelta(seconds=draw.randint(0, span))

    return [(instant(), instant()) for _ in range(INTERVALS)]


SPREADS = {"one year": (2026, 2026), "9,998 years": (1, 9998)}


def spread_floor(spread: str) -> str:
    return f"a.timestamp(); b.timestamp() over {spread} [floor]"


def spread_row(spread: str) -> str:
    return f"Calendar.get_bus_ttx over {spread}, fresh calendar"


def rows() -> list[Row]:
    ns = {"kelvane": kelvane, "cal": kelvane.Calendar("BTCUSDT"), "Calendar": kelvane.Calendar,
          "a": FROM, "b": TO}
    out = [
        Row("calendar", 'Calendar("BTCUSDT")', measure_stmt("Calendar('BTCUSDT')", ns), target="< 100,000 ns",
            kernel='Calendar("BTCUSDT")'),
        Row("calendar", FLOOR, measure_stmt("a.timestamp(); b.timestamp()", ns)),
        Row("calendar", "Calendar.get_bus_ttx", measure_stmt("cal.get_bus_ttx(a, b)", ns),
            floor=FLOOR, target="<= 1.5x floor", kernel="Calendar.get_bus_ttx"),
        Row("calendar", "Calendar.get_cal_ttx", measure_stmt("Calendar.get_cal_ttx(a, b)", ns), floor=FLOOR,
            kernel="Calendar.get_cal_ttx"),
        Row("calendar", "str.upper('3m') [floor]", measure_stmt("str.upper('3m')", ns)),
        Row("calendar", "Calendar.tenor_to_ttx", measure_stmt("Calendar.tenor_to_ttx('3m')", ns),
            floor="str.upper('3m') [floor]", kernel="Calendar.tenor_to_ttx"),
    ]
    for spread, (first, last) in SPREADS.items():
        ns["P"] = intervals(first, last)
        out.append(Row("calendar", spread_floor(spread),
                       measure_fresh("for a, b in P: a.timestamp(); b.timestamp()", "", ns, per=INTERVALS),
                       per="interval"))
        out.append(Row("calendar", spread_row(spread),
                       measure_fresh("for a, b in P: f(a, b)", "f = Calendar('BTCUSDT').get_bus_ttx", ns,
                                     per=INTERVALS),
                       per="interval", floor=spread_floor(spread), kernel=f"Calendar.get_bus_ttx, {spread}"))
    return out


# (row, the row it is set against, the largest ratio the row may show), each
# above its own floor.
EXCESS_RATIOS = [(spread_row("9,998 years"), spread_row("one year"), 1.5)]
