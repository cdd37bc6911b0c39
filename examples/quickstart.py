"""A first look at kelvane: measure time to expiry in business and calendar
time, price an option chain and recover its volatilities, then price a strike
strip off a smile, bump it and re-anchor it.

Run with `make demo`.
"""
import datetime

import kelvane

FORWARD = 65_000.0      # BTCUSDT forward
NOW = datetime.datetime(2026, 12, 8, 14, 30, tzinfo=datetime.timezone.utc)
EXPIRIES = [NOW + datetime.timedelta(days=d) for d in (1, 7, 30, 90)]
CALENDAR = kelvane.Calendar("BTCUSDT")
EXPIRY = EXPIRIES[2]
TTX = CALENDAR.get_bus_ttx(NOW, EXPIRY)  # business years to the 30-day expiry
DISCOUNT = 0.996        # discount factor to expiry
STRIKES = [55_000.0, 60_000.0, 65_000.0, 70_000.0, 75_000.0]
VOLS = [0.62, 0.57, 0.55, 0.56, 0.59]  # a small smile, as fractions


def times_to_expiry() -> None:
    print(f"Time to expiry from {NOW:%a %d %b %Y %H:%M} UTC")
    print(f"{'expiry':>22} {'business':>10} {'calendar':>10}")
    for expiry in EXPIRIES:
        business = CALENDAR.get_bus_ttx(NOW, expiry)
        calendar = kelvane.Calendar.get_cal_ttx(NOW, expiry)
        print(f"{expiry:%a %d %b %Y %H:%M} {business:>10.6f} {calendar:>10.6f}")
    print(f"tenors: 1w = {kelvane.Calendar.tenor_to_ttx('1w'):.6f}, 3m = {kelvane.Calendar.tenor_to_ttx('3m'):.6f}\n")


def option_chain() -> None:
    print(f"Option chain: forward {FORWARD:,.0f}, {TTX:.6f} business years, discount factor {DISCOUNT}")
    header = f"{'strike':>8} {'type':>4} {'vol':>6} {'Black-76':>10} {'vega':>9} {'binary':>7} {'implied vol':>12}"
    print(header)
    print("-" * len(header))
    for strike, vol in zip(STRIKES, VOLS):
        call_put = "put" if strike < FORWARD else "call"
        price = kelvane.b76_fairvalue(FORWARD, strike, TTX, vol, call_put, DISCOUNT)
        vega = kelvane.b76_vega(FORWARD, strike, TTX, vol, DISCOUNT)
        binary = kelvane.binary_fairvalue(FORWARD, strike, TTX, vol, call_put, DISCOUNT)
        implied = kelvane.calibrate_black76_iv(TTX, FORWARD, strike, price, call_put, DISCOUNT)
        print(f"{strike:>8,.0f} {call_put:>4} {vol:>6.2%} {price:>10,.2f} {vega:>9,.1f} {binary:>7.4f} {implied:>12.4%}")
    print("(the solver recovers each vol to about 1e-4)")


def smile_strip() -> None:
    smile = kelvane.GVVSpline(EXPIRY, ref_spot=FORWARD, ref_vol=55.0, skew=-4.0, smile=6.0, pwing=1.0)
    print(f"\nGVVSpline smile expiring {smile.expiry:%Y-%m-%d %H:%M} UTC: {smile.get_param_dict()}")
    vols = smile.get_vol(TTX, FORWARD, STRIKES)
    print(f"{'strike':>8} {'smile vol':>10} {'call':>10} {'put':>10}")
    for strike, vol in zip(STRIKES, vols):
        call = kelvane.b76_fairvalue(FORWARD, strike, TTX, vol, "c", DISCOUNT)
        put = kelvane.b76_fairvalue(FORWARD, strike, TTX, vol, "p", DISCOUNT)
        print(f"{strike:>8,.0f} {vol:>10.2%} {call:>10,.2f} {put:>10,.2f}")

    # Bumps are guarded: one that would leave the smile with arbitrage is refused.
    smile.bump_param("ref_vol", 1.0)
    smile.bump_param("smile", -5.5)  # the curvature may not fall below 1 vol point
    print(f"after bumping ref_vol +1 and smile -5.5: ref_vol {smile.get_parameter('ref_vol')},"
          f" smile {smile.get_parameter('smile')} (refused)")

    # The spot has moved: re-anchor so that the vol quoted at the new spot stays.
    new_spot = 67_000.0
    quoted = smile.get_vol_single(TTX, new_spot, new_spot)
    smile.reanchor(new_spot, TTX)
    print(f"re-anchored at {new_spot:,.0f}: ref_vol {smile.get_parameter('ref_vol'):.4f}"
          f" (the old smile quoted {quoted:.4%} there)")


if __name__ == "__main__":
    times_to_expiry()
    option_chain()
    smile_strip()
