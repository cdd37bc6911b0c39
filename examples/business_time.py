"""Draws the BTCUSDT business-time calendar: each weekday's intraday weight
profile, and business against calendar time over one week.

Run with `make examples`; writes docs/business_time.png. The profiles are read
back from the calendar itself: the business time of each quarter-hour of a
reference week, in New York time.
"""
import datetime
from pathlib import Path
from zoneinfo import ZoneInfo

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402

import kelvane  # noqa: E402

NEW_YORK = ZoneInfo("America/New_York")
WEEK_START = datetime.datetime(2025, 3, 17, tzinfo=NEW_YORK)  # a Monday, summer time all week
QUARTER = datetime.timedelta(minutes=15)
DAYS = ["Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"]


def local(day: int, bucket: int) -> datetime.datetime:
    # Wall-clock arithmetic in New York time, then the offset of that moment.
    naive = WEEK_START.replace(tzinfo=None) + datetime.timedelta(days=day) + bucket * QUARTER
    return naive.replace(tzinfo=NEW_YORK)


def main() -> None:
    cal = kelvane.Calendar("BTCUSDT")
    fig, (profiles, week) = plt.subplots(1, 2, figsize=(13, 4.2))

    hours = [b / 4 for b in range(96)]
    for day, name in enumerate(DAYS):
        if day in (1, 2, 3):
            continue  # Tuesday to Thursday carry Monday's profile
        # Business years per quarter-hour, shown per hour of business time.
        weights = [cal.get_bus_ttx(local(day, b), local(day, b) + QUARTER) * 4 * 24 * 365 for b in range(96)]
        label = "Monday to Thursday" if day == 0 else name
        profiles.step(hours, weights, where="post", label=label)
    profiles.set_xlabel("New York time (hours)")
    profiles.set_ylabel("business hours per clock hour")
    profiles.set_xticks(range(0, 25, 3))
    profiles.set_title("Intraday weight profiles")
    profiles.legend(fontsize=8)
    profiles.grid(alpha=0.3)

    stamps = [WEEK_START + i * QUARTER for i in range(7 * 96 + 1)]
    days = [i / 96 for i in range(len(stamps))]
    business = [cal.get_bus_ttx(WEEK_START, t) * 365 for t in stamps]
    calendar = [kelvane.Calendar.get_cal_ttx(WEEK_START, t) * 365 for t in stamps]
    week.plot(days, calendar, label="calendar time")
    week.plot(days, business, label="business time")
    week.set_xticks(range(8), [d[:3] for d in DAYS] + ["Mon"])
    week.set_ylabel("elapsed days (x 365 = years)")
    week.set_title(f"One week from {WEEK_START:%d %B %Y}, New York time")
    week.legend()
    week.grid(alpha=0.3)

    fig.tight_layout()
    out = Path(__file__).parent.parent / "docs" / "business_time.png"
    fig.savefig(out, dpi=90)
    print(f"wrote {out}")


if __name__ == "__main__":
    main()
