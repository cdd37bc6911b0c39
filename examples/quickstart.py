"""A first look at kelvane: price an option chain and recover its volatilities.

Run with `make demo`.
"""
import kelvane

FORWARD = 65_000.0      # BTCUSDT forward
TTX = 30 / 365          # 30 days to expiry, in years
DISCOUNT = 0.996        # discount factor to expiry
STRIKES = [55_000.0, 60_000.0, 65_000.0, 70_000.0, 75_000.0]
VOLS = [0.62, 0.57, 0.55, 0.56, 0.59]  # a small smile, as fractions


def option_chain() -> None:
    print(f"Option chain: forward {FORWARD:,.0f}, {TTX * 365:.0f} days, discount factor {DISCOUNT}")
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


if __name__ == "__main__":
    option_chain()
