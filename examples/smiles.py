"""Draws the three smile models side by side: vol against strike for a few expiries.

Run with `make examples`; writes docs/smiles.png.
"""
import datetime
from pathlib import Path

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402

import kelvane  # noqa: E402

EXPIRY = datetime.datetime(2026, 6, 26, 8, 0, tzinfo=datetime.timezone.utc)
SPOT = 100.0
TTXS = [0.05, 0.25, 1.0]
STRIKES = [40.0 + i * 0.5 for i in range(241)]  # 40 to 160

MODELS = {
    "GVVSpline": kelvane.GVVSpline(EXPIRY, ref_vol=55.0, skew=-4.0, smile=6.0, pwing=1.0, cwing=0.4),
    "VolGeo": kelvane.VolGeo(EXPIRY, ref_vol=55.0, corr=-0.3, vvol=25.0),
    "CubicSpline": kelvane.CubicSpline(EXPIRY, ref_vol=55.0, p05=2.0, p10=3.0, p15=3.0, p20=5.0, p25=8.0,
                                       c05=1.0, c10=1.5, c15=2.0, c20=3.0, c25=5.0),
}


def main() -> None:
    fig, axes = plt.subplots(1, 3, figsize=(13, 4), sharey=True)
    for ax, (name, model) in zip(axes, MODELS.items()):
        for ttx in TTXS:
            vols = model.get_vol(ttx, SPOT, STRIKES)
            ax.plot(STRIKES, [100 * v for v in vols], label=f"ttx {ttx:g}")
        ax.axvline(SPOT, color="grey", lw=0.6, ls=":")
        ax.set_title(name)
        ax.set_xlabel("strike")
        ax.grid(alpha=0.3)
    axes[0].set_ylabel("implied vol (%)")
    axes[0].legend()
    fig.suptitle(f"Smiles at spot {SPOT:g} (ref_vol 55)")
    fig.tight_layout()
    out = Path(__file__).parent.parent / "docs" / "smiles.png"
    fig.savefig(out, dpi=90)
    print(f"wrote {out}")


if __name__ == "__main__":
    main()
