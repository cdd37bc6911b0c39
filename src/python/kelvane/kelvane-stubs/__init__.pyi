"""Type stubs for the kelvane extension module, with its reference.

Black-76 and binary (cash-or-nothing) option values and greeks, a Black-76
implied-volatility solver, three implied-volatility smiles for one expiry
(`GVVSpline`, `VolGeo`, `CubicSpline`) and a business-time `Calendar`.

Units: volatilities passed to and returned by the functions are annualised
fractions (0.25 is 25 %), smile parameters such as `ref_vol` are vol points
(25.0 is 25 %); times to expiry (`ttx`) are years; forwards, strikes and
prices are in the underlying's price units; `df` is the discount factor to
expiry (default 1.0) and multiplies every result. Option types are the
strings "call"/"c" and "put"/"p", in any letter case.

The numerics never raise: a non-positive time or volatility is a degenerate
expiry (intrinsic values, zero greeks), and other out-of-domain or NaN
inputs come back as NaN, infinities or zeros. The bindings raise TypeError
for arguments that do not bind or convert (naming the argument), ValueError
for the library's own refusals, and RuntimeError when an object is used
re-entrantly while it is being changed.

At run time the functions' and classes' `__doc__` are their text
signatures; this text is for editors and the reference.
"""

import datetime
from collections.abc import Sequence
from typing import Protocol, TypeVar, SupportsFloat, SupportsIndex, TypedDict, Unpack, final, overload, type_check_only

__all__ = [
    "Calendar",
    "GVVSpline",
    "VolGeo",
    "CubicSpline",
    "b76_fairvalue",
    "b76_delta",
    "b76_vega",
    "b76_gamma",
    "binary_fairvalue",
    "binary_vega",
    "binary_delta",
    "binary_gamma",
    "binary_speed",
    "binary_theta",
    "calibrate_black76_iv",
]

class _Timestamp(Protocol):
    """Any object with a timestamp() method, such as an aware datetime."""

    def timestamp(self) -> SupportsFloat | SupportsIndex: ...

_Float = SupportsFloat | SupportsIndex
# with_params takes a dict (a subclass too, not another mapping) of any
# number type: dict[str, float] and dict[str, int] alike, despite dict's
# invariance.
_F = TypeVar("_F", bound=_Float)

@type_check_only
class _Strikes(Protocol):
    """A sequence of numbers: a list, tuple or range, a one-dimensional numpy
    array (float64 arrays are read without a conversion per element), a pandas
    Series, or any object with __len__ and __getitem__ by position."""

    def __len__(self) -> int: ...
    def __getitem__(self, index: int, /) -> _Float: ...

# The two ends of an interval by keyword: `from` is a reserved word, so it can
# only be passed as **{"from": ..., "to": ...}.
_Interval = TypedDict("_Interval", {"from": _Timestamp, "to": _Timestamp})

@final
class Calendar:
    """The business-time calendar of an underlying.

    Business time gives each local day of the calendar's zone its weekday's
    weight, spread over the day by a quarter-hour profile, and counts each
    local calendar year as one business year: the coordinate of an instant is
    its local year plus the fraction of that year's weight elapsed. Every
    local day carries its full weight whether it lasts 23, 24 or 25 hours.
    The one calendar compiled in is "BTCUSDT", counted in US/Eastern
    (weights Monday to Thursday 1, Friday 0.9, Saturday 0.27, Sunday 0.53),
    with the IANA time-zone database of tzdata 2026.6 (transitions to the end
    of 2099; later instants keep the last offset).

    `Calendar(underlying)` builds it. Datetimes are any objects with a
    `timestamp()` method, read through it: an aware datetime is exact, a
    naive `datetime.datetime` is read in the process's local time zone (a
    naive pandas Timestamp as UTC, as its `timestamp()` does).

    Raises:
        ValueError: `No embedded calendar for underlying: btcusdt` for any
            underlying but "BTCUSDT" (letter case counts).
        TypeError: `argument 'underlying': 'int' object is not an instance of
            'str'`.

    Instances do not copy or pickle: build one per process.

    Examples:
        >>> cal = kelvane.Calendar("BTCUSDT")
    """

    def __new__(cls, underlying: str) -> Calendar: ...
    # The first parameter is named `from` at run time: a reserved word, so it
    # is passed by position or through **{"from": ..., "to": ...}.
    @overload
    def get_bus_ttx(self, **interval: Unpack[_Interval]) -> float: ...
    @overload
    def get_bus_ttx(self, from_: _Timestamp, /, to: _Timestamp) -> float:
        """Business years from `from` to `to` on this calendar: the difference of
        their business-time coordinates.

        Within one local year, the business weight elapsed over that year's
        weight; each whole local year adds exactly 1. Swapping the ends negates
        it; across the autumn clock change the coordinate steps back by the
        repeated hour's weight. Accurate to about 1e-13 (absolute).

        `from` is a reserved word: pass the ends by position, or as
        `**{"from": ..., "to": ...}`.

        Args:
            from_: The start, any object with `timestamp()` (an aware datetime;
                a naive one is local time).
            to: The end, likewise.

        Returns:
            Business years, a float (negative when `to` is before `from`).

        Raises:
            AttributeError: for an end without `timestamp()`, unwrapped; `from` is
                read first.
            ValueError: `Invalid timestamp` for an instant beyond the
                representable years.
            RuntimeError: `Already borrowed` when called re-entrantly on the same
                calendar (from a `timestamp()` that calls it).

        Examples:
            >>> now = datetime.datetime(2026, 12, 8, 14, 30, tzinfo=datetime.timezone.utc)
            >>> kelvane.Calendar("BTCUSDT").get_bus_ttx(now, datetime.datetime(2027, 3, 26, 8, tzinfo=datetime.timezone.utc))
            0.2970695850344782
        """
    @overload
    @staticmethod
    def get_cal_ttx(**interval: Unpack[_Interval]) -> float: ...
    @overload
    @staticmethod
    def get_cal_ttx(from_: _Timestamp, /, to: _Timestamp) -> float:
        """Calendar years from `from` to `to`: whole elapsed seconds (truncated
        toward zero) / (365 × 86400).

        A static method: call it on the class or an instance; it uses no
        calendar data. Leap years are not special: 366 days give 366/365.
        `from` is a reserved word: pass the ends by position, or as
        `**{"from": ..., "to": ...}`.

        Args:
            from_: The start, any object with `timestamp()`.
            to: The end, likewise.

        Returns:
            Calendar years, a float.

        Raises:
            AttributeError: for an end without `timestamp()`, unwrapped.
            ValueError: `Invalid timestamp` for an instant beyond the
                representable years.

        Examples:
            >>> kelvane.Calendar.get_cal_ttx(now, datetime.datetime(2027, 3, 26, 8, tzinfo=datetime.timezone.utc))
            0.295148401826484
        """
    @staticmethod
    def tenor_to_ttx(tenor: str) -> float:
        """The year fraction of a tenor: a number and one lower-case unit letter.

        `d` days (v/365), `w` weeks (7v/365), `m` months of 30 days (30v/365),
        `y` years (v). The number is a decimal float: an optional sign, digits
        with an optional point and fraction, an optional exponent, or inf/nan;
        nothing around it. A static method.

        Args:
            tenor: The tenor, such as "3m".

        Returns:
            The year fraction, a float.

        Raises:
            ValueError: `Invalid tenor format: 1D` for an empty tenor or another
                unit letter (upper case included); `invalid float literal` for an
                unreadable number ("1 d", "10bd"); `cannot parse float from empty
                string` for a unit alone ("d").
            TypeError: `argument 'tenor': 'int' object is not an instance of
                'str'`.

        Examples:
            >>> kelvane.Calendar.tenor_to_ttx("3m")
            0.2465753424657534
        """

@final
class GVVSpline:
    """A parametric smile for one expiry, anchored at `ref_spot`: a skew and a
    curvature term shape the variance around `ref_vol`, and two wing terms
    add variance in the tails below and above the anchor.

    With σ = ref_vol/100, a = skew/100, g = smile/100, p = pwing/100,
    q = cwing/100 and, per strike K, z = ln(K/ref_spot)/√T,
    y = z·(1 − e^(−z²)/2), u = σ² + 2aσy, v = (u + √(u² + 4gy²))/2 and
    t = 6·tanh(y/(6√v)): vol = √(v + p·t⁴) below the anchor (y < 0),
    √(v + q·t⁴) above it, √v at it. A vol that is not finite is NaN. The
    smile does not follow the spot: `get_vol` ignores `spot`; move the anchor
    with `reanchor`.

    `GVVSpline(expiry, **params)` builds the smile: `expiry` is any object with a
    `timestamp()` method (an aware datetime; a naive one is read in local
    time), and every other keyword is a parameter. Names the model does not
    have are accepted and ignored; values are never validated. Volatilities
    in and out of methods are fractions (0.25 is 25 %); the parameters that
    are vols are held in vol points (25.0 is 25 %).

    Parameters and their defaults:
        vpr: 1.0, stored but used by no formula of this model.
        ref_spot: 100.0, the reference spot (a price).
        ref_vol: 50.0, the vol at `ref_spot`, in vol points.
        skew: 0.0, the linear term, in vol points.
        smile: 5.0, the curvature term, in vol points.
        pwing: 0.0, extra tail variance below `ref_spot`, in vol points.
        cwing: 0.0, extra tail variance above `ref_spot`, in vol points.
        offset: 0.0, stored only.

    Raises:
        TypeError: `argument 'params': ...` for a keyword value that does not
            convert to float (reported before `expiry` is read).
        AttributeError: for an `expiry` without `timestamp()`, unwrapped (a
            `datetime.date`, an `int`).
        ValueError: `Invalid timestamp` for an expiry beyond the representable
            years.

    Instances do not copy or pickle (`TypeError: cannot pickle
    'builtins.GVVSpline' object`): rebuild one with
    `type(smile).with_params(smile.expiry, smile.get_param_dict())`.

    Examples:
        >>> expiry = datetime.datetime(2027, 3, 26, 8, tzinfo=datetime.timezone.utc)
        >>> kelvane.GVVSpline(expiry, ref_vol=55.0, skew=-4.0, smile=6.0).get_parameter("ref_vol")
        55.0
    """

    def __new__(cls, expiry: _Timestamp, **params: _Float) -> GVVSpline: ...
    @staticmethod
    def with_params(expiry: _Timestamp, params: dict[str, _F]) -> GVVSpline:
        """Build a `GVVSpline` from an expiry and a dict of parameters.

        `GVVSpline.with_params(expiry, {"ref_vol": 60.0})` equals
        `GVVSpline(expiry, ref_vol=60.0)`: absent names take their defaults, unknown
        names are ignored, values are not validated. Always a new instance.

        Args:
            expiry: Any object with a `timestamp()` method (an aware datetime).
            params: A `dict` (or subclass) of str to number; not another mapping.

        Returns:
            A new `GVVSpline`.

        Raises:
            TypeError: `argument 'params': 'list' object is not an instance of
                'dict'`, or a key or value that does not convert; reported before
                `expiry` is read.
            AttributeError: for an `expiry` without `timestamp()`, unwrapped.
            ValueError: `Invalid timestamp` for an expiry beyond the representable
                years.

        Examples:
            >>> kelvane.GVVSpline.with_params(expiry, {"ref_vol": 60.0}).get_parameter("ref_vol")
            60.0
        """
    @property
    def expiry(self) -> datetime.datetime:
        """The expiry given at construction, as an aware `datetime.datetime` in UTC
        (read-only). No formula reads it.

        Examples:
            >>> kelvane.GVVSpline(expiry).expiry
            datetime.datetime(2027, 3, 26, 8, 0, tzinfo=datetime.timezone.utc)
        """
    def get_vol(self, ttx: _Float, spot: _Float, strikes: _Strikes) -> list[float]:
        """The smile's volatility at each strike, as fractions (0.25 is 25 %).

        `spot` is accepted and ignored: moneyness is measured from `ref_spot`.

        Args:
            ttx: Time to expiry, in years.
            spot: The current spot (or forward), in price units.
            strikes: A sequence of strikes in price units: a list, tuple, range,
                one-dimensional numpy array or pandas Series (read by position).

        Returns:
            A new list, one vol per strike in their order; empty for no strikes.

        A `ttx` of 0 or below, a strike of 0 or below, a negative value under a
        root (a negative `smile`, `pwing` or `cwing`) or a NaN give NaN for the
        strikes concerned; nothing raises.

        Raises:
            TypeError: `argument 'strikes': Can't extract `str` to `Vec`` for a
                str, `argument 'strikes': 'set' object is not an instance of
                'Sequence'` for a non-sequence, or an argument or strike that does
                not convert to float.

        Examples:
            >>> kelvane.GVVSpline(expiry).get_vol(0.25, 100.0, [90.0, 100.0, 110.0])
            [0.5023885725306096, 0.5, 0.5019300969490511]
        """
    def get_vol_single(self, ttx: _Float, spot: _Float, strike: _Float) -> float:
        """The smile's volatility at one strike: `get_vol(ttx, spot, [strike])[0]`,
        bit for bit.

        Args:
            ttx: Time to expiry, in years.
            spot: The current spot (or forward), in price units.
            strike: The strike, in price units.

        Returns:
            The vol as a fraction; NaN where `get_vol` gives NaN.

        Raises:
            TypeError: `argument 'strike': must be real number, not str` and the
                like, for an argument that does not convert.

        Examples:
            >>> kelvane.GVVSpline(expiry).get_vol_single(0.25, 100.0, 100.0)
            0.5
        """
    def arb_free(self) -> bool:
        """Whether the parameters pass the model's arbitrage guard: `pwing` ≥ 0, `cwing` ≥ 0, `smile` ≥ 1 and `ref_vol` > 10 (strictly).
        A NaN in any of them fails it.

        `bump_param` applies a bump only when the bumped smile passes this test.

        Returns:
            True or False.

        Examples:
            >>> kelvane.GVVSpline(expiry).arb_free()
            True
        """
    def get_parameter(self, param: str) -> float | None:
        """The current value of one parameter, or None for a name the model does not
        have (names are case-sensitive).

        Args:
            param: The parameter's name, such as "ref_vol".

        Returns:
            The value (vol points for vol-like parameters), or None.

        Raises:
            TypeError: `argument 'param': 'int' object is not an instance of
                'str'`.

        Examples:
            >>> kelvane.GVVSpline(expiry).get_parameter("ref_vol"), kelvane.GVVSpline(expiry).get_parameter("nope")
            (50.0, None)
        """
    def set_param(self, param: str, value: _Float) -> None:
        """Set one parameter in place, unguarded and unvalidated.

        A name the model does not have changes nothing and raises nothing. Use
        `bump_param` for a change under the arbitrage guard.

        Args:
            param: The parameter's name.
            value: Its new value (vol points for vol-like parameters).

        Raises:
            TypeError: for a `param` that is not a str or a `value` that does not
                convert, named.
            RuntimeError: `Already borrowed` when called re-entrantly on the same
                smile (from a `__float__` of its own argument, say).

        Examples:
            >>> smile = kelvane.GVVSpline(expiry)
            >>> smile.set_param("ref_vol", 42.0)
            >>> smile.get_parameter("ref_vol")
            42.0
        """
    def get_param_dict(self) -> dict[str, float]:
        """Every parameter of the model and its value, as a new dict (the expiry is
        not in it). Key order is unspecified.

        Returns:
            A new dict of str to float; `GVVSpline.with_params(smile.expiry, d)`
            rebuilds an equal smile.

        Examples:
            >>> sorted(kelvane.GVVSpline(expiry).get_param_dict())[:3]
            ['cwing', 'offset', 'pwing']
        """
    def get_fitting_params(self) -> list[str]:
        """The names a fit of this model varies, in a fixed order: ["ref_vol", "skew", "smile"].

        Returns:
            A new list of str, the same for every `GVVSpline`.

        Examples:
            >>> kelvane.GVVSpline(expiry).get_fitting_params()
            ['ref_vol', 'skew', 'smile']
        """
    def reanchor(self, spot: _Float, ttx: _Float) -> None:
        """Move the anchor to `spot`, keeping the vol the smile quotes there.

        Sets `ref_vol` to 100 times the current smile's vol at the strike `spot`
        for this `ttx`, then `ref_spot` to `spot`; the shape parameters are
        unchanged. Note the order: `spot` first, then `ttx` (the reverse of
        `get_vol`).

        Args:
            spot: The new reference spot, in price units.
            ttx: Time to expiry, in years.

        Raises:
            TypeError: for an argument that does not convert, named.
            ValueError: `Cannot reanchor at spot <spot> and ttx <ttx>: the
                volatility there is not finite` where the vol there is not finite
                (an expired `ttx`, a non-positive spot, NaN inputs); the smile is
                left as it was, rather than given a NaN or infinite `ref_vol`.
            RuntimeError: `Already borrowed` when called re-entrantly on the same
                smile.

        Examples:
            >>> smile = kelvane.GVVSpline(expiry)
            >>> smile.reanchor(100.0, 0.25)
            >>> smile.get_parameter("ref_spot"), smile.get_parameter("ref_vol")
            (100.0, 50.0)
        """
    def bump_param(self, param: str, d_value: _Float) -> None:
        """Add `d_value` to one parameter, only if the bumped smile passes
        `arb_free()`.

        A refused bump, or a name the model does not have, changes nothing and
        raises nothing: compare `get_parameter` before and after to know. The
        guard tests the bumped smile, not the current one.

        Args:
            param: The parameter's name.
            d_value: The amount to add, in the parameter's units (vol points for
                vol-like parameters).

        Raises:
            TypeError: for a `param` that is not a str or a `d_value` that does
                not convert, named.
            RuntimeError: `Already borrowed` when called re-entrantly on the same
                smile.

        Examples:
            >>> smile = kelvane.GVVSpline(expiry)
            >>> smile.bump_param("smile", -4.5)   # refused: smile 0.5 < 1
            >>> smile.get_parameter("smile")
            5.0
        """
    def get_jacobian(self, ttx: _Float, spot: _Float, strikes: _Strikes, params: Sequence[str]) -> dict[str, list[float]]:
        """Sensitivities of the vols to named parameters, by forward differences.

        Each parameter in turn is bumped by 0.01 in its own units (0.01 vol
        points for vol-like parameters) and d = (bumped vol − vol)/0.01 per
        strike: d(vol as a fraction)/d(parameter). For a fit in vol points,
        multiply by 100.

        Args:
            ttx: Time to expiry, in years.
            spot: The current spot (or forward), in price units.
            strikes: A sequence of strikes, as for `get_vol`.
            params: A list (or other sequence, not a str) of parameter names.

        Returns:
            A new dict with one key per distinct name, each a list of one
            sensitivity per strike. A name the model does not have gives zeros
            (NaN where the vol is NaN); no names give an empty dict.

        Raises:
            TypeError: `argument 'params': Can't extract `str` to `Vec`` for a
                str, and the conversion errors of `get_vol`, named.

        Examples:
            >>> jac = kelvane.GVVSpline(expiry).get_jacobian(0.25, 100.0, [90.0, 110.0], ["ref_vol"])
            >>> list(jac), len(jac["ref_vol"])
            (['ref_vol'], 2)
        """

@final
class VolGeo:
    """A parametric smile for one expiry that moves with the spot: a correlation
    `corr` (mapped to ρ = tanh(corr)) and a vol of vol `vvol` give its skew
    and curvature, and its at-the-money vol shifts as the spot leaves
    `ref_spot`.

    With m = ln(spot/ref_spot)/√T, atm = ref_vol + vpr·(m/ref_vol)·vvol·ρ (in
    vol points), σ = atm/100, a = vvol·ρ/100, κ = vvol²·(1 − ρ²)/(100σ)/100
    and, per strike K, x = ln(K/spot)/√T, u = σ² + 2aσx: vol = √v with
    v = (u + √(u² + 4κx²))/2, returned as computed (NaN or infinite where the
    arithmetic gives it).

    `VolGeo(expiry, **params)` builds the smile: `expiry` is any object with a
    `timestamp()` method (an aware datetime; a naive one is read in local
    time), and every other keyword is a parameter. Names the model does not
    have are accepted and ignored; values are never validated. Volatilities
    in and out of methods are fractions (0.25 is 25 %); the parameters that
    are vols are held in vol points (25.0 is 25 %).

    Parameters and their defaults:
        vpr: 1.0, the weight of the at-the-money shift (0 switches it off).
        ref_spot: 100.0, the reference spot (a price).
        ref_vol: 50.0, the at-the-money vol at `ref_spot`, in vol points.
        corr: 0.0, any real; ρ = tanh(corr) (above about 354.9 every vol is
            NaN).
        vvol: 20.0, the vol of vol: skew grows with it, curvature with its
            square.
        offset: 0.0, stored only.

    Raises:
        TypeError: `argument 'params': ...` for a keyword value that does not
            convert to float (reported before `expiry` is read).
        AttributeError: for an `expiry` without `timestamp()`, unwrapped (a
            `datetime.date`, an `int`).
        ValueError: `Invalid timestamp` for an expiry beyond the representable
            years.

    Instances do not copy or pickle (`TypeError: cannot pickle
    'builtins.VolGeo' object`): rebuild one with
    `type(smile).with_params(smile.expiry, smile.get_param_dict())`.

    Examples:
        >>> expiry = datetime.datetime(2027, 3, 26, 8, tzinfo=datetime.timezone.utc)
        >>> kelvane.VolGeo(expiry, ref_vol=55.0, corr=-0.35, vvol=28.0).get_parameter("ref_vol")
        55.0
    """

    def __new__(cls, expiry: _Timestamp, **params: _Float) -> VolGeo: ...
    @staticmethod
    def with_params(expiry: _Timestamp, params: dict[str, _F]) -> VolGeo:
        """Build a `VolGeo` from an expiry and a dict of parameters.

        `VolGeo.with_params(expiry, {"ref_vol": 60.0})` equals
        `VolGeo(expiry, ref_vol=60.0)`: absent names take their defaults, unknown
        names are ignored, values are not validated. Always a new instance.

        Args:
            expiry: Any object with a `timestamp()` method (an aware datetime).
            params: A `dict` (or subclass) of str to number; not another mapping.

        Returns:
            A new `VolGeo`.

        Raises:
            TypeError: `argument 'params': 'list' object is not an instance of
                'dict'`, or a key or value that does not convert; reported before
                `expiry` is read.
            AttributeError: for an `expiry` without `timestamp()`, unwrapped.
            ValueError: `Invalid timestamp` for an expiry beyond the representable
                years.

        Examples:
            >>> kelvane.VolGeo.with_params(expiry, {"ref_vol": 60.0}).get_parameter("ref_vol")
            60.0
        """
    @property
    def expiry(self) -> datetime.datetime:
        """The expiry given at construction, as an aware `datetime.datetime` in UTC
        (read-only). No formula reads it.

        Examples:
            >>> kelvane.VolGeo(expiry).expiry
            datetime.datetime(2027, 3, 26, 8, 0, tzinfo=datetime.timezone.utc)
        """
    def get_vol(self, ttx: _Float, spot: _Float, strikes: _Strikes) -> list[float]:
        """The smile's volatility at each strike, as fractions (0.25 is 25 %).

        Moneyness is measured from `spot`, and the at-the-money vol moves as `spot` leaves `ref_spot`.

        Args:
            ttx: Time to expiry, in years.
            spot: The current spot (or forward), in price units.
            strikes: A sequence of strikes in price units: a list, tuple, range,
                one-dimensional numpy array or pandas Series (read by position).

        Returns:
            A new list, one vol per strike in their order; empty for no strikes.

        A `ttx` of 0 or below, a spot or strike of 0 or below, or a NaN give NaN
        or infinite vols; nothing raises.

        Raises:
            TypeError: `argument 'strikes': Can't extract `str` to `Vec`` for a
                str, `argument 'strikes': 'set' object is not an instance of
                'Sequence'` for a non-sequence, or an argument or strike that does
                not convert to float.

        Examples:
            >>> kelvane.VolGeo(expiry).get_vol(0.25, 100.0, [90.0, 100.0, 110.0])
            [0.5133049913552454, 0.5, 0.5110106491584724]
        """
    def get_vol_single(self, ttx: _Float, spot: _Float, strike: _Float) -> float:
        """The smile's volatility at one strike: `get_vol(ttx, spot, [strike])[0]`,
        bit for bit.

        Args:
            ttx: Time to expiry, in years.
            spot: The current spot (or forward), in price units.
            strike: The strike, in price units.

        Returns:
            The vol as a fraction; NaN where `get_vol` gives NaN.

        Raises:
            TypeError: `argument 'strike': must be real number, not str` and the
                like, for an argument that does not convert.

        Examples:
            >>> kelvane.VolGeo(expiry).get_vol_single(0.25, 100.0, 100.0)
            0.5
        """
    def arb_free(self) -> bool:
        """Whether the parameters pass the model's arbitrage guard: `ref_vol` > 1 (strictly) and `vvol` ≥ 1.
        A NaN in any of them fails it.

        `bump_param` applies a bump only when the bumped smile passes this test.

        Returns:
            True or False.

        Examples:
            >>> kelvane.VolGeo(expiry).arb_free()
            True
        """
    def get_parameter(self, param: str) -> float | None:
        """The current value of one parameter, or None for a name the model does not
        have (names are case-sensitive).

        Args:
            param: The parameter's name, such as "ref_vol".

        Returns:
            The value (vol points for vol-like parameters), or None.

        Raises:
            TypeError: `argument 'param': 'int' object is not an instance of
                'str'`.

        Examples:
            >>> kelvane.VolGeo(expiry).get_parameter("ref_vol"), kelvane.VolGeo(expiry).get_parameter("nope")
            (50.0, None)
        """
    def set_param(self, param: str, value: _Float) -> None:
        """Set one parameter in place, unguarded and unvalidated.

        A name the model does not have changes nothing and raises nothing. Use
        `bump_param` for a change under the arbitrage guard.

        Args:
            param: The parameter's name.
            value: Its new value (vol points for vol-like parameters).

        Raises:
            TypeError: for a `param` that is not a str or a `value` that does not
                convert, named.
            RuntimeError: `Already borrowed` when called re-entrantly on the same
                smile (from a `__float__` of its own argument, say).

        Examples:
            >>> smile = kelvane.VolGeo(expiry)
            >>> smile.set_param("ref_vol", 42.0)
            >>> smile.get_parameter("ref_vol")
            42.0
        """
    def get_param_dict(self) -> dict[str, float]:
        """Every parameter of the model and its value, as a new dict (the expiry is
        not in it). Key order is unspecified.

        Returns:
            A new dict of str to float; `VolGeo.with_params(smile.expiry, d)`
            rebuilds an equal smile.

        Examples:
            >>> sorted(kelvane.VolGeo(expiry).get_param_dict())[:3]
            ['corr', 'offset', 'ref_spot']
        """
    def get_fitting_params(self) -> list[str]:
        """The names a fit of this model varies, in a fixed order: ["ref_vol", "corr", "vvol"].

        Returns:
            A new list of str, the same for every `VolGeo`.

        Examples:
            >>> kelvane.VolGeo(expiry).get_fitting_params()
            ['ref_vol', 'corr', 'vvol']
        """
    def reanchor(self, spot: _Float, ttx: _Float) -> None:
        """Move the anchor to `spot`, keeping the vol the smile quotes there.

        Sets `ref_vol` to 100 times the current smile's vol at the strike `spot`
        for this `ttx`, then `ref_spot` to `spot`; the shape parameters are
        unchanged. Note the order: `spot` first, then `ttx` (the reverse of
        `get_vol`).

        Args:
            spot: The new reference spot, in price units.
            ttx: Time to expiry, in years.

        Raises:
            TypeError: for an argument that does not convert, named.
            ValueError: `Cannot reanchor at spot <spot> and ttx <ttx>: the
                volatility there is not finite` where the vol there is not finite
                (an expired `ttx`, a non-positive spot, NaN inputs); the smile is
                left as it was, rather than given a NaN or infinite `ref_vol`.
            RuntimeError: `Already borrowed` when called re-entrantly on the same
                smile.

        Examples:
            >>> smile = kelvane.VolGeo(expiry)
            >>> smile.reanchor(100.0, 0.25)
            >>> smile.get_parameter("ref_spot"), smile.get_parameter("ref_vol")
            (100.0, 50.0)
        """
    def bump_param(self, param: str, d_value: _Float) -> None:
        """Add `d_value` to one parameter, only if the bumped smile passes
        `arb_free()`.

        A refused bump, or a name the model does not have, changes nothing and
        raises nothing: compare `get_parameter` before and after to know. The
        guard tests the bumped smile, not the current one.

        Args:
            param: The parameter's name.
            d_value: The amount to add, in the parameter's units (vol points for
                vol-like parameters).

        Raises:
            TypeError: for a `param` that is not a str or a `d_value` that does
                not convert, named.
            RuntimeError: `Already borrowed` when called re-entrantly on the same
                smile.

        Examples:
            >>> smile = kelvane.VolGeo(expiry)
            >>> smile.bump_param("vvol", -19.5)   # refused: vvol 0.5 < 1
            >>> smile.get_parameter("vvol")
            20.0
        """
    def get_jacobian(self, ttx: _Float, spot: _Float, strikes: _Strikes, params: Sequence[str]) -> dict[str, list[float]]:
        """Sensitivities of the vols to named parameters, by forward differences.

        Each parameter in turn is bumped by 0.01 in its own units (0.01 vol
        points for vol-like parameters) and d = (bumped vol − vol)/0.01 per
        strike: d(vol as a fraction)/d(parameter). For a fit in vol points,
        multiply by 100.

        Args:
            ttx: Time to expiry, in years.
            spot: The current spot (or forward), in price units.
            strikes: A sequence of strikes, as for `get_vol`.
            params: A list (or other sequence, not a str) of parameter names.

        Returns:
            A new dict with one key per distinct name, each a list of one
            sensitivity per strike. A name the model does not have gives zeros
            (NaN where the vol is NaN); no names give an empty dict.

        Raises:
            TypeError: `argument 'params': Can't extract `str` to `Vec`` for a
                str, and the conversion errors of `get_vol`, named.

        Examples:
            >>> jac = kelvane.VolGeo(expiry).get_jacobian(0.25, 100.0, [90.0, 110.0], ["ref_vol"])
            >>> list(jac), len(jac["ref_vol"])
            (['ref_vol'], 2)
        """

@final
class CubicSpline:
    """A smile for one expiry given by its at-the-money level and ten wing
    offsets at eleven fixed nodes of standardised moneyness, the variance
    interpolated between them by a monotone cubic (Fritsch–Butland slopes)
    and continued linearly beyond the outer nodes.

    atm = ref_vol + vpr·(ln(spot/ref_spot)/ln(T)/ref_vol)·(p05 − c05)/0.1·100
    (in vol points; note ln T, so a `ttx` of exactly 1.0 gives NaN vols).
    The nodes z = −5, −2.5, −1.5, −1, −0.5, 0, 0.5, 1, 1.5, 2.5, 5 carry the
    vols (atm + offset)/100, where a node's offset adds the increments from
    the centre out to it (`p05` for −0.5, `p05` + `p10` for −1, ..., `c05` +
    ... + `c25` for 5). A strike K sits at z = ln(K/spot)/√T/atm·100, and its
    vol is the square root of the interpolated variance (NaN where that is
    negative).

    `CubicSpline(expiry, **params)` builds the smile: `expiry` is any object with a
    `timestamp()` method (an aware datetime; a naive one is read in local
    time), and every other keyword is a parameter. Names the model does not
    have are accepted and ignored; values are never validated. Volatilities
    in and out of methods are fractions (0.25 is 25 %); the parameters that
    are vols are held in vol points (25.0 is 25 %).

    Parameters and their defaults:
        vpr: 1.0, the weight of the at-the-money shift.
        ref_spot: 100.0, the reference spot (a price).
        ref_vol: 50.0, the at-the-money vol at `ref_spot`, in vol points.
        p05, p10, p15, p20, p25: 0.0, the put-side increments in vol points
            from node 0 to −0.5, −0.5 to −1, −1 to −1.5, −1.5 to −2.5 and −2.5
            to −5.
        c05, c10, c15, c20, c25: 0.0, the call-side increments likewise, to
            +5.

    Raises:
        TypeError: `argument 'params': ...` for a keyword value that does not
            convert to float (reported before `expiry` is read).
        AttributeError: for an `expiry` without `timestamp()`, unwrapped (a
            `datetime.date`, an `int`).
        ValueError: `Invalid timestamp` for an expiry beyond the representable
            years.

    Instances do not copy or pickle (`TypeError: cannot pickle
    'builtins.CubicSpline' object`): rebuild one with
    `type(smile).with_params(smile.expiry, smile.get_param_dict())`.

    Examples:
        >>> expiry = datetime.datetime(2027, 3, 26, 8, tzinfo=datetime.timezone.utc)
        >>> kelvane.CubicSpline(expiry, ref_vol=55.0, p05=1.0, c05=0.5).get_parameter("ref_vol")
        55.0
    """

    def __new__(cls, expiry: _Timestamp, **params: _Float) -> CubicSpline: ...
    @staticmethod
    def with_params(expiry: _Timestamp, params: dict[str, _F]) -> CubicSpline:
        """Build a `CubicSpline` from an expiry and a dict of parameters.

        `CubicSpline.with_params(expiry, {"ref_vol": 60.0})` equals
        `CubicSpline(expiry, ref_vol=60.0)`: absent names take their defaults, unknown
        names are ignored, values are not validated. Always a new instance.

        Args:
            expiry: Any object with a `timestamp()` method (an aware datetime).
            params: A `dict` (or subclass) of str to number; not another mapping.

        Returns:
            A new `CubicSpline`.

        Raises:
            TypeError: `argument 'params': 'list' object is not an instance of
                'dict'`, or a key or value that does not convert; reported before
                `expiry` is read.
            AttributeError: for an `expiry` without `timestamp()`, unwrapped.
            ValueError: `Invalid timestamp` for an expiry beyond the representable
                years.

        Examples:
            >>> kelvane.CubicSpline.with_params(expiry, {"ref_vol": 60.0}).get_parameter("ref_vol")
            60.0
        """
    @property
    def expiry(self) -> datetime.datetime:
        """The expiry given at construction, as an aware `datetime.datetime` in UTC
        (read-only). No formula reads it.

        Examples:
            >>> kelvane.CubicSpline(expiry).expiry
            datetime.datetime(2027, 3, 26, 8, 0, tzinfo=datetime.timezone.utc)
        """
    def get_vol(self, ttx: _Float, spot: _Float, strikes: _Strikes) -> list[float]:
        """The smile's volatility at each strike, as fractions (0.25 is 25 %).

        Moneyness is measured from `spot`, and the at-the-money level moves as `spot` leaves `ref_spot`.

        Args:
            ttx: Time to expiry, in years.
            spot: The current spot (or forward), in price units.
            strikes: A sequence of strikes in price units: a list, tuple, range,
                one-dimensional numpy array or pandas Series (read by position).

        Returns:
            A new list, one vol per strike in their order; empty for no strikes.

        A `ttx` of exactly 1.0 (ln T = 0), of 0 or below, a strike of 0 or below,
        a negative variance or a NaN give NaN or infinite vols; nothing raises.

        Raises:
            TypeError: `argument 'strikes': Can't extract `str` to `Vec`` for a
                str, `argument 'strikes': 'set' object is not an instance of
                'Sequence'` for a non-sequence, or an argument or strike that does
                not convert to float.

        Examples:
            >>> kelvane.CubicSpline(expiry).get_vol(0.25, 100.0, [90.0, 100.0, 110.0])
            [0.5, 0.5, 0.5]
        """
    def get_vol_single(self, ttx: _Float, spot: _Float, strike: _Float) -> float:
        """The smile's volatility at one strike: `get_vol(ttx, spot, [strike])[0]`,
        bit for bit.

        Args:
            ttx: Time to expiry, in years.
            spot: The current spot (or forward), in price units.
            strike: The strike, in price units.

        Returns:
            The vol as a fraction; NaN where `get_vol` gives NaN.

        Raises:
            TypeError: `argument 'strike': must be real number, not str` and the
                like, for an argument that does not convert.

        Examples:
            >>> kelvane.CubicSpline(expiry).get_vol_single(0.25, 100.0, 100.0)
            0.5
        """
    def arb_free(self) -> bool:
        """Whether the parameters pass the model's arbitrage guard: `p25` ≥ 0, `c25` ≥ 0 and `ref_vol` > 1 (strictly).
        A NaN in any of them fails it.

        `bump_param` applies a bump only when the bumped smile passes this test.

        Returns:
            True or False.

        Examples:
            >>> kelvane.CubicSpline(expiry).arb_free()
            True
        """
    def get_parameter(self, param: str) -> float | None:
        """The current value of one parameter, or None for a name the model does not
        have (names are case-sensitive).

        Args:
            param: The parameter's name, such as "ref_vol".

        Returns:
            The value (vol points for vol-like parameters), or None.

        Raises:
            TypeError: `argument 'param': 'int' object is not an instance of
                'str'`.

        Examples:
            >>> kelvane.CubicSpline(expiry).get_parameter("ref_vol"), kelvane.CubicSpline(expiry).get_parameter("nope")
            (50.0, None)
        """
    def set_param(self, param: str, value: _Float) -> None:
        """Set one parameter in place, unguarded and unvalidated.

        A name the model does not have changes nothing and raises nothing. Use
        `bump_param` for a change under the arbitrage guard.

        Args:
            param: The parameter's name.
            value: Its new value (vol points for vol-like parameters).

        Raises:
            TypeError: for a `param` that is not a str or a `value` that does not
                convert, named.
            RuntimeError: `Already borrowed` when called re-entrantly on the same
                smile (from a `__float__` of its own argument, say).

        Examples:
            >>> smile = kelvane.CubicSpline(expiry)
            >>> smile.set_param("ref_vol", 42.0)
            >>> smile.get_parameter("ref_vol")
            42.0
        """
    def get_param_dict(self) -> dict[str, float]:
        """Every parameter of the model and its value, as a new dict (the expiry is
        not in it). Key order is unspecified.

        Returns:
            A new dict of str to float; `CubicSpline.with_params(smile.expiry, d)`
            rebuilds an equal smile.

        Examples:
            >>> sorted(kelvane.CubicSpline(expiry).get_param_dict())[:3]
            ['c05', 'c10', 'c15']
        """
    def get_fitting_params(self) -> list[str]:
        """The names a fit of this model varies, in a fixed order: ["ref_vol", "p25", "p20", "p15", "p10", "p05", "c05", "c10", "c15", "c20", "c25"].

        Returns:
            A new list of str, the same for every `CubicSpline`.

        Examples:
            >>> kelvane.CubicSpline(expiry).get_fitting_params()
            ['ref_vol', 'p25', 'p20', 'p15', 'p10', 'p05', 'c05', 'c10', 'c15', 'c20', 'c25']
        """
    def reanchor(self, spot: _Float, ttx: _Float) -> None:
        """Move the anchor to `spot`, keeping the vol the smile quotes there.

        Sets `ref_vol` to 100 times the current smile's vol at the strike `spot`
        for this `ttx`, then `ref_spot` to `spot`; the shape parameters are
        unchanged. Note the order: `spot` first, then `ttx` (the reverse of
        `get_vol`).

        Args:
            spot: The new reference spot, in price units.
            ttx: Time to expiry, in years.

        Raises:
            TypeError: for an argument that does not convert, named.
            ValueError: `Cannot reanchor at spot <spot> and ttx <ttx>: the
                volatility there is not finite` where the vol there is not finite
                (an expired `ttx`, a non-positive spot, NaN inputs); the smile is
                left as it was, rather than given a NaN or infinite `ref_vol`.
            RuntimeError: `Already borrowed` when called re-entrantly on the same
                smile.

        Examples:
            >>> smile = kelvane.CubicSpline(expiry)
            >>> smile.reanchor(100.0, 0.25)
            >>> smile.get_parameter("ref_spot"), smile.get_parameter("ref_vol")
            (100.0, 50.0)
        """
    def bump_param(self, param: str, d_value: _Float) -> None:
        """Add `d_value` to one parameter, only if the bumped smile passes
        `arb_free()`.

        A refused bump, or a name the model does not have, changes nothing and
        raises nothing: compare `get_parameter` before and after to know. The
        guard tests the bumped smile, not the current one.

        Args:
            param: The parameter's name.
            d_value: The amount to add, in the parameter's units (vol points for
                vol-like parameters).

        Raises:
            TypeError: for a `param` that is not a str or a `d_value` that does
                not convert, named.
            RuntimeError: `Already borrowed` when called re-entrantly on the same
                smile.

        Examples:
            >>> smile = kelvane.CubicSpline(expiry)
            >>> smile.bump_param("p25", -1.0)   # refused: p25 -1.0 < 0
            >>> smile.get_parameter("p25")
            0.0
        """
    def get_jacobian(self, ttx: _Float, spot: _Float, strikes: _Strikes, params: Sequence[str]) -> dict[str, list[float]]:
        """Sensitivities of the vols to named parameters, by forward differences.

        Each parameter in turn is bumped by 0.01 in its own units (0.01 vol
        points for vol-like parameters) and d = (bumped vol − vol)/0.01 per
        strike: d(vol as a fraction)/d(parameter). For a fit in vol points,
        multiply by 100.

        Args:
            ttx: Time to expiry, in years.
            spot: The current spot (or forward), in price units.
            strikes: A sequence of strikes, as for `get_vol`.
            params: A list (or other sequence, not a str) of parameter names.

        Returns:
            A new dict with one key per distinct name, each a list of one
            sensitivity per strike. A name the model does not have gives zeros
            (NaN where the vol is NaN); no names give an empty dict.

        Raises:
            TypeError: `argument 'params': Can't extract `str` to `Vec`` for a
                str, and the conversion errors of `get_vol`, named.

        Examples:
            >>> jac = kelvane.CubicSpline(expiry).get_jacobian(0.25, 100.0, [90.0, 110.0], ["ref_vol"])
            >>> list(jac), len(jac["ref_vol"])
            (['ref_vol'], 2)
        """

def b76_fairvalue(fwd: _Float, strike: _Float, ttx: _Float, vol: _Float, call_put: str, df: _Float = 1.0) -> float:
    """Black-76 value of a European option on a forward.

    Call: D·(F·N(d1) − K·N(d2)); put: D·(K·N(−d2) − F·N(−d1)).
    With s = σ√T, d1 = (ln(F/K) + σ²T/2)/s and d2 = d1 − s; φ and N are the
    standard normal density and distribution function.

    Args:
        fwd: Forward price F, in the underlying's price units.
        strike: Strike K, in the same units.
        ttx: Time to expiry T, in years.
        vol: Volatility σ, an annualised fraction (0.25 is 25 %).
        call_put: "call"/"c" or "put"/"p", in any letter case (nothing else:
            no blanks, no other abbreviation).
        df: Discount factor D to expiry, which multiplies the result
            (default 1.0).

    Returns:
        The discounted value, in price units.

    A non-positive `ttx` or `vol` is a degenerate expiry: the value is the
    discounted intrinsic value, D·max(F − K, 0) for a call and D·max(K − F, 0)
    for a put (a NaN difference gives 0). Other NaN inputs give NaN; a zero
    strike gives D·F for a call and 0 for a put. Numbers never raise.

    Raises:
        ValueError: `Unknown option type: 'calls'. Use 'call'/'c' or
            'put'/'p'.` for any other `call_put` text (the lower-cased text is
            quoted), raised once every argument has converted, whatever the
            numbers.
        TypeError: a missing, extra or repeated argument (`b76_fairvalue() missing 1
            required positional argument: 'call_put'`), or an argument that
            does not convert, named: `argument 'call_put': 'int' object is not
            an instance of 'str'`, `argument 'df': must be real number, not
            NoneType`.
        OverflowError: an `int` too large for a float, as the interpreter
            raises it.

    Examples:
        >>> kelvane.b76_fairvalue(100.0, 95.0, 0.5, 0.25, "call", 0.99)
        9.556826243736277
    """

def b76_delta(fwd: _Float, strike: _Float, ttx: _Float, vol: _Float, call_put: str, df: _Float = 1.0) -> float:
    """Black-76 delta as kelvane defines it: D·φ(d1)/(F·σ·√T), + for a call and
    − for a put.

    This is not the textbook delta D·N(d1) (call) or −D·N(−d1) (put): it is
    the textbook gamma's expression with the option's sign. Where the textbook
    delta is wanted, take it from values (a central difference of
    `b76_fairvalue` in `fwd`).
    With s = σ√T, d1 = (ln(F/K) + σ²T/2)/s and d2 = d1 − s; φ and N are the
    standard normal density and distribution function.

    Args:
        fwd: Forward price F, in the underlying's price units.
        strike: Strike K, in the same units.
        ttx: Time to expiry T, in years.
        vol: Volatility σ, an annualised fraction (0.25 is 25 %).
        call_put: "call"/"c" or "put"/"p", in any letter case (nothing else:
            no blanks, no other abbreviation).
        df: Discount factor D to expiry, which multiplies the result
            (default 1.0).

    Returns:
        The signed figure, per unit of forward.

    A non-positive `ttx` or `vol` is a degenerate expiry: the result is +0.0.
    A NaN input (a NaN `ttx` or `vol` is not degenerate) gives NaN; other
    out-of-domain numbers flow through IEEE arithmetic. Numbers never raise. A degenerate put gives +0.0, not −0.0.

    Raises:
        ValueError: `Unknown option type: 'calls'. Use 'call'/'c' or
            'put'/'p'.` for any other `call_put` text (the lower-cased text is
            quoted), raised once every argument has converted, whatever the
            numbers.
        TypeError: a missing, extra or repeated argument (`b76_delta() missing 1
            required positional argument: 'call_put'`), or an argument that
            does not convert, named: `argument 'call_put': 'int' object is not
            an instance of 'str'`, `argument 'df': must be real number, not
            NoneType`.
        OverflowError: an `int` too large for a float, as the interpreter
            raises it.

    Examples:
        >>> kelvane.b76_delta(100.0, 100.0, 1.0, 0.2, "put")
        -0.01984762737385059
    """

def b76_vega(fwd: _Float, strike: _Float, ttx: _Float, vol: _Float, df: _Float = 1.0) -> float:
    """Black-76 vega: √T·F·D·φ(d1), the change of the value per 1.0 of vol.

    Per unit of σ, that is per 100 vol points, not per vol point: divide by
    100 for the change per point. The same for calls and puts, so it takes no
    option type.
    With s = σ√T, d1 = (ln(F/K) + σ²T/2)/s and d2 = d1 − s; φ and N are the
    standard normal density and distribution function.

    Args:
        fwd: Forward price F, in the underlying's price units.
        strike: Strike K, in the same units.
        ttx: Time to expiry T, in years.
        vol: Volatility σ, an annualised fraction (0.25 is 25 %).
        df: Discount factor D to expiry, which multiplies the result
            (default 1.0).

    Returns:
        Price units per 1.0 of vol.

    A non-positive `ttx` or `vol` is a degenerate expiry: the result is +0.0.
    A NaN input (a NaN `ttx` or `vol` is not degenerate) gives NaN; other
    out-of-domain numbers flow through IEEE arithmetic. Numbers never raise.

    Raises:
        TypeError: a missing, extra or repeated argument (`b76_vega() takes from
            4 to 5 positional arguments but 6 were given`), or an argument that
            does not convert, named: `argument 'vol': must be real number, not
            str`.
        OverflowError: an `int` too large for a float, as the interpreter
            raises it.

    Examples:
        >>> kelvane.b76_vega(100.0, 100.0, 1.0, 0.2)
        39.69525474770118
    """

def b76_gamma(fwd: _Float, strike: _Float, ttx: _Float, vol: _Float, df: _Float = 1.0) -> float:
    """Black-76 gamma as kelvane defines it: D·φ(d1)/(F²·σ·√T).

    This is the textbook gamma D·φ(d1)/(F·σ·√T) divided by F once more;
    multiply by `fwd` for the textbook figure. The same for calls and puts, so
    it takes no option type.
    With s = σ√T, d1 = (ln(F/K) + σ²T/2)/s and d2 = d1 − s; φ and N are the
    standard normal density and distribution function.

    Args:
        fwd: Forward price F, in the underlying's price units.
        strike: Strike K, in the same units.
        ttx: Time to expiry T, in years.
        vol: Volatility σ, an annualised fraction (0.25 is 25 %).
        df: Discount factor D to expiry, which multiplies the result
            (default 1.0).

    Returns:
        The figure defined above.

    A non-positive `ttx` or `vol` is a degenerate expiry: the result is +0.0.
    A NaN input (a NaN `ttx` or `vol` is not degenerate) gives NaN; other
    out-of-domain numbers flow through IEEE arithmetic. Numbers never raise.

    Raises:
        TypeError: a missing, extra or repeated argument (`b76_gamma() takes from
            4 to 5 positional arguments but 6 were given`), or an argument that
            does not convert, named: `argument 'vol': must be real number, not
            str`.
        OverflowError: an `int` too large for a float, as the interpreter
            raises it.

    Examples:
        >>> kelvane.b76_gamma(100.0, 100.0, 1.0, 0.2)
        0.00019847627373850588
    """

def binary_fairvalue(fwd: _Float, strike: _Float, ttx: _Float, vol: _Float, call_put: str, df: _Float = 1.0) -> float:
    """Value of a binary (cash-or-nothing) option: D·N(d) for a call, D·N(−d) for a put.

    A binary (cash-or-nothing) option pays 1 at expiry if it ends in the
    money. With s = σ√T and d = ln(F/K)/s (no drift term: d lies midway
    between Black-76's d1 and d2), the call is worth D·N(d) and the put
    D·N(−d); each greek is the exact derivative of that value, and a put's
    greek is the call's with its sign flipped.

    Args:
        fwd: Forward price F, in the underlying's price units.
        strike: Strike K, in the same units.
        ttx: Time to expiry T, in years.
        vol: Volatility σ, an annualised fraction (0.25 is 25 %).
        call_put: "call"/"c" or "put"/"p", in any letter case (nothing else:
            no blanks, no other abbreviation).
        df: Discount factor D to expiry, which multiplies the result
            (default 1.0).

    Returns:
        The discounted probability-weighted payout, in units of the cash amount.

    A non-positive `ttx` or `vol` is a degenerate expiry: D if the option is
    in the money at the forward (a call when F > K, a put when F < K), else
    0; at F = K both give 0, and a NaN F or K gives 0. Other NaN inputs give
    NaN. Numbers never raise.

    Raises:
        ValueError: `Unknown option type: 'calls'. Use 'call'/'c' or
            'put'/'p'.` for any other `call_put` text (the lower-cased text is
            quoted), raised once every argument has converted, whatever the
            numbers.
        TypeError: a missing, extra or repeated argument (`binary_fairvalue() missing 1
            required positional argument: 'call_put'`), or an argument that
            does not convert, named: `argument 'call_put': 'int' object is not
            an instance of 'str'`, `argument 'df': must be real number, not
            NoneType`.
        OverflowError: an `int` too large for a float, as the interpreter
            raises it.

    Examples:
        >>> kelvane.binary_fairvalue(100.0, 90.0, 0.5, 0.3, "call", 0.98)
        0.6764847904074648
    """

def binary_vega(fwd: _Float, strike: _Float, ttx: _Float, vol: _Float, call_put: str, df: _Float = 1.0) -> float:
    """Binary vega: ∂V/∂σ = −D·d·φ(d)/σ for a call, per 1.0 of vol.

    A binary (cash-or-nothing) option pays 1 at expiry if it ends in the
    money. With s = σ√T and d = ln(F/K)/s (no drift term: d lies midway
    between Black-76's d1 and d2), the call is worth D·N(d) and the put
    D·N(−d); each greek is the exact derivative of that value, and a put's
    greek is the call's with its sign flipped.

    Args:
        fwd: Forward price F, in the underlying's price units.
        strike: Strike K, in the same units.
        ttx: Time to expiry T, in years.
        vol: Volatility σ, an annualised fraction (0.25 is 25 %).
        call_put: "call"/"c" or "put"/"p", in any letter case (nothing else:
            no blanks, no other abbreviation).
        df: Discount factor D to expiry, which multiplies the result
            (default 1.0).

    Returns:
        Cash units per 1.0 of vol (100 vol points); −0.0 for a call and +0.0
        for a put at F = K.

    A non-positive `ttx` or `vol` is a degenerate expiry: the greeks are +0.0.
    A NaN input (a NaN `ttx` or `vol` is not degenerate) gives NaN; other
    out-of-domain numbers flow through IEEE arithmetic. Numbers never raise.

    Raises:
        ValueError: `Unknown option type: 'calls'. Use 'call'/'c' or
            'put'/'p'.` for any other `call_put` text (the lower-cased text is
            quoted), raised once every argument has converted, whatever the
            numbers.
        TypeError: a missing, extra or repeated argument (`binary_vega() missing 1
            required positional argument: 'call_put'`), or an argument that
            does not convert, named: `argument 'call_put': 'int' object is not
            an instance of 'str'`, `argument 'df': must be real number, not
            NoneType`.
        OverflowError: an `int` too large for a float, as the interpreter
            raises it.

    Examples:
        >>> kelvane.binary_vega(100.0, 90.0, 0.5, 0.3, "call", 0.98)
        -0.572162626337399
    """

def binary_delta(fwd: _Float, strike: _Float, ttx: _Float, vol: _Float, call_put: str, df: _Float = 1.0) -> float:
    """Binary delta: ∂V/∂F = D·φ(d)/(F·σ·√T) for a call.

    A binary (cash-or-nothing) option pays 1 at expiry if it ends in the
    money. With s = σ√T and d = ln(F/K)/s (no drift term: d lies midway
    between Black-76's d1 and d2), the call is worth D·N(d) and the put
    D·N(−d); each greek is the exact derivative of that value, and a put's
    greek is the call's with its sign flipped.

    Args:
        fwd: Forward price F, in the underlying's price units.
        strike: Strike K, in the same units.
        ttx: Time to expiry T, in years.
        vol: Volatility σ, an annualised fraction (0.25 is 25 %).
        call_put: "call"/"c" or "put"/"p", in any letter case (nothing else:
            no blanks, no other abbreviation).
        df: Discount factor D to expiry, which multiplies the result
            (default 1.0).

    Returns:
        Cash units per unit of forward.

    A non-positive `ttx` or `vol` is a degenerate expiry: the greeks are +0.0.
    A NaN input (a NaN `ttx` or `vol` is not degenerate) gives NaN; other
    out-of-domain numbers flow through IEEE arithmetic. Numbers never raise.

    Raises:
        ValueError: `Unknown option type: 'calls'. Use 'call'/'c' or
            'put'/'p'.` for any other `call_put` text (the lower-cased text is
            quoted), raised once every argument has converted, whatever the
            numbers.
        TypeError: a missing, extra or repeated argument (`binary_delta() missing 1
            required positional argument: 'call_put'`), or an argument that
            does not convert, named: `argument 'call_put': 'int' object is not
            an instance of 'str'`, `argument 'df': must be real number, not
            NoneType`.
        OverflowError: an `int` too large for a float, as the interpreter
            raises it.

    Examples:
        >>> kelvane.binary_delta(100.0, 90.0, 0.5, 0.3, "call", 0.98)
        0.0162915668008568
    """

def binary_gamma(fwd: _Float, strike: _Float, ttx: _Float, vol: _Float, call_put: str, df: _Float = 1.0) -> float:
    """Binary gamma: ∂²V/∂F² = −D·φ(d)·(1 + d/s)/(F²·s) for a call.

    A binary (cash-or-nothing) option pays 1 at expiry if it ends in the
    money. With s = σ√T and d = ln(F/K)/s (no drift term: d lies midway
    between Black-76's d1 and d2), the call is worth D·N(d) and the put
    D·N(−d); each greek is the exact derivative of that value, and a put's
    greek is the call's with its sign flipped.

    Args:
        fwd: Forward price F, in the underlying's price units.
        strike: Strike K, in the same units.
        ttx: Time to expiry T, in years.
        vol: Volatility σ, an annualised fraction (0.25 is 25 %).
        call_put: "call"/"c" or "put"/"p", in any letter case (nothing else:
            no blanks, no other abbreviation).
        df: Discount factor D to expiry, which multiplies the result
            (default 1.0).

    Returns:
        Cash units per unit of forward squared.

    A non-positive `ttx` or `vol` is a degenerate expiry: the greeks are +0.0.
    A NaN input (a NaN `ttx` or `vol` is not degenerate) gives NaN; other
    out-of-domain numbers flow through IEEE arithmetic. Numbers never raise.

    Raises:
        ValueError: `Unknown option type: 'calls'. Use 'call'/'c' or
            'put'/'p'.` for any other `call_put` text (the lower-cased text is
            quoted), raised once every argument has converted, whatever the
            numbers.
        TypeError: a missing, extra or repeated argument (`binary_gamma() missing 1
            required positional argument: 'call_put'`), or an argument that
            does not convert, named: `argument 'call_put': 'int' object is not
            an instance of 'str'`, `argument 'df': must be real number, not
            NoneType`.
        OverflowError: an `int` too large for a float, as the interpreter
            raises it.

    Examples:
        >>> kelvane.binary_gamma(100.0, 90.0, 0.5, 0.3, "call", 0.98)
        -0.0005443574189001675
    """

def binary_speed(fwd: _Float, strike: _Float, ttx: _Float, vol: _Float, call_put: str, df: _Float = 1.0) -> float:
    """Binary speed: ∂³V/∂F³ = D·φ(d)·((d/s + 1)(d/s + 2) − 1/s²)/(F³·s) for a call.

    A binary (cash-or-nothing) option pays 1 at expiry if it ends in the
    money. With s = σ√T and d = ln(F/K)/s (no drift term: d lies midway
    between Black-76's d1 and d2), the call is worth D·N(d) and the put
    D·N(−d); each greek is the exact derivative of that value, and a put's
    greek is the call's with its sign flipped.

    Args:
        fwd: Forward price F, in the underlying's price units.
        strike: Strike K, in the same units.
        ttx: Time to expiry T, in years.
        vol: Volatility σ, an annualised fraction (0.25 is 25 %).
        call_put: "call"/"c" or "put"/"p", in any letter case (nothing else:
            no blanks, no other abbreviation).
        df: Discount factor D to expiry, which multiplies the result
            (default 1.0).

    Returns:
        Cash units per unit of forward cubed.

    A non-positive `ttx` or `vol` is a degenerate expiry: the greeks are +0.0.
    A NaN input (a NaN `ttx` or `vol` is not degenerate) gives NaN; other
    out-of-domain numbers flow through IEEE arithmetic. Numbers never raise.

    Raises:
        ValueError: `Unknown option type: 'calls'. Use 'call'/'c' or
            'put'/'p'.` for any other `call_put` text (the lower-cased text is
            quoted), raised once every argument has converted, whatever the
            numbers.
        TypeError: a missing, extra or repeated argument (`binary_speed() missing 1
            required positional argument: 'call_put'`), or an argument that
            does not convert, named: `argument 'call_put': 'int' object is not
            an instance of 'str'`, `argument 'df': must be real number, not
            NoneType`.
        OverflowError: an `int` too large for a float, as the interpreter
            raises it.

    Examples:
        >>> kelvane.binary_speed(100.0, 90.0, 0.5, 0.3, "call", 0.98)
        -1.257104932223732e-05
    """

def binary_theta(fwd: _Float, strike: _Float, ttx: _Float, vol: _Float, call_put: str, df: _Float = 1.0) -> float:
    """Binary theta: −∂V/∂T = D·d·φ(d)/(2T) for a call, with D held fixed.

    A binary (cash-or-nothing) option pays 1 at expiry if it ends in the
    money. With s = σ√T and d = ln(F/K)/s (no drift term: d lies midway
    between Black-76's d1 and d2), the call is worth D·N(d) and the put
    D·N(−d); each greek is the exact derivative of that value, and a put's
    greek is the call's with its sign flipped.

    Args:
        fwd: Forward price F, in the underlying's price units.
        strike: Strike K, in the same units.
        ttx: Time to expiry T, in years.
        vol: Volatility σ, an annualised fraction (0.25 is 25 %).
        call_put: "call"/"c" or "put"/"p", in any letter case (nothing else:
            no blanks, no other abbreviation).
        df: Discount factor D to expiry, which multiplies the result
            (default 1.0).

    Returns:
        Cash units per year of elapsing time (not per day); positive for an
        in-the-money call.

    A non-positive `ttx` or `vol` is a degenerate expiry: the greeks are +0.0.
    A NaN input (a NaN `ttx` or `vol` is not degenerate) gives NaN; other
    out-of-domain numbers flow through IEEE arithmetic. Numbers never raise.

    Raises:
        ValueError: `Unknown option type: 'calls'. Use 'call'/'c' or
            'put'/'p'.` for any other `call_put` text (the lower-cased text is
            quoted), raised once every argument has converted, whatever the
            numbers.
        TypeError: a missing, extra or repeated argument (`binary_theta() missing 1
            required positional argument: 'call_put'`), or an argument that
            does not convert, named: `argument 'call_put': 'int' object is not
            an instance of 'str'`, `argument 'df': must be real number, not
            NoneType`.
        OverflowError: an `int` too large for a float, as the interpreter
            raises it.

    Examples:
        >>> kelvane.binary_theta(100.0, 90.0, 0.5, 0.3, "call", 0.98)
        0.1716487879012197
    """

def calibrate_black76_iv(ttx: _Float, fwd: _Float, strike: _Float, price: _Float, call_put: str, df: _Float = 1.0) -> float:
    """Black-76 implied volatility: the σ at which `b76_fairvalue` gives `price`.

    Brent's method searches σ between 0.01 and 10.0 (1 % to 1000 %) and stops
    once σ is known to about 1e-4 (an absolute tolerance on σ, not machine
    precision), after at most 102 valuations. Note the argument order: `ttx`
    first, and `price` where the pricing functions take `vol`.

    Args:
        ttx: Time to expiry T, in years.
        fwd: Forward price F, in the underlying's price units.
        strike: Strike K, in the same units.
        price: The option's discounted price, in price units (as
            `b76_fairvalue` returns it).
        call_put: "call"/"c" or "put"/"p", in any letter case (nothing else:
            no blanks, no other abbreviation).
        df: Discount factor D to expiry, which multiplies the result
            (default 1.0).

    Returns:
        The implied volatility, an annualised fraction, accurate to about
        1e-4; NaN when the price is not bracketed by the values at σ = 0.01 and
        σ = 10 (a price below the first, above the second, or any price at a
        non-positive `ttx` other than the discounted intrinsic value itself,
        for which it returns 10.0). A NaN price bisects towards the lower bound
        (about 0.0101). Numbers never raise.

    Raises:
        ValueError: `Unknown option type: 'calls'. Use 'call'/'c' or
            'put'/'p'.` for any other `call_put` text (the lower-cased text is
            quoted), raised once every argument has converted, whatever the
            numbers.
        TypeError: a missing, extra or repeated argument (`calibrate_black76_iv() missing 1
            required positional argument: 'call_put'`), or an argument that
            does not convert, named: `argument 'call_put': 'int' object is not
            an instance of 'str'`, `argument 'df': must be real number, not
            NoneType`.
        OverflowError: an `int` too large for a float, as the interpreter
            raises it.

    Examples:
        >>> kelvane.calibrate_black76_iv(1.0, 100.0, 100.0, 7.965567455405804, "call")
        0.20001446329252923
    """

