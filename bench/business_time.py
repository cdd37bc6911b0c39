"""The business-time calendar: construction and per-call costs."""
from __future__ import annotations

import datetime

import kelvane
from harness import Row, measure_stmt

UTC = datetime.timezone.utc
FROM = datetime.datetime(2026, 12, 8, 14, 30, tzinfo=UTC)
TO = datetime.datetime(2027, 3, 26, 8, 0, tzinfo=UTC)
FLOOR = "a.timestamp(); b.timestamp() [floor]"


def rows() -> list[Row]:
    ns = {"kelvane": kelvane, "cal": kelvane.Calendar("BTCUSDT"), "Calendar": kelvane.Calendar,
          "a": FROM, "b": TO}
    return [
        Row("calendar", 'Calendar("BTCUSDT")', measure_stmt("Calendar('BTCUSDT')", ns), target="< 100,000 ns"),
        Row("calendar", FLOOR, measure_stmt("a.timestamp(); b.timestamp()", ns)),
        Row("calendar", "Calendar.get_bus_ttx", measure_stmt("cal.get_bus_ttx(a, b)", ns),
            floor=FLOOR, target="<= 1.5x floor"),
        Row("calendar", "Calendar.get_cal_ttx", measure_stmt("Calendar.get_cal_ttx(a, b)", ns), floor=FLOOR),
        Row("calendar", "Calendar.tenor_to_ttx", measure_stmt("Calendar.tenor_to_ttx('3m')", ns)),
    ]
