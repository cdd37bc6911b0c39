"""Argument binding, conversion and error conventions, through the pricing functions."""
import fractions

import pytest

import kelvane
from kelvane import b76_fairvalue, b76_vega, calibrate_black76_iv


class Floaty:
    def __init__(self, value):
        self.value = value

    def __float__(self):
        return self.value


class Indexy:
    def __index__(self):
        return 100


@pytest.mark.parametrize("text, expected", [
    ("call", "call"), ("Call", "call"), ("CALL", "call"), ("c", "call"), ("C", "call"),
    ("put", "put"), ("Put", "put"), ("P", "put"), ("p", "put"),
])
def test_option_type_spellings(text, expected):
    assert b76_fairvalue(100, 90, 1, 0.2, text) == b76_fairvalue(100, 90, 1, 0.2, expected)


@pytest.mark.parametrize("text, reported", [
    ("call ", "call "), ("ca", "ca"), ("puts", "puts"), ("", ""), ("CALLS", "calls"),
    ("ÇALL", "çall"), ("İ", "i̇"),
])
def test_unknown_option_types_report_the_lowered_text(text, reported):
    with pytest.raises(ValueError) as err:
        b76_fairvalue(100, 90, 1, 0.2, text)
    assert str(err.value) == f"Unknown option type: '{reported}'. Use 'call'/'c' or 'put'/'p'."


def test_option_type_is_parsed_after_every_argument_converted():
    with pytest.raises(TypeError, match="^argument 'df': "):
        b76_fairvalue(100, 90, 1, 0.2, "bogus", None)
    with pytest.raises(ValueError):  # even at a degenerate expiry
        kelvane.binary_fairvalue(100, 90, 0, 0.2, "bogus")
    with pytest.raises(ValueError):
        calibrate_black76_iv(1, 100, 100, 8, "x")


def test_non_str_option_type():
    with pytest.raises(TypeError) as err:
        b76_fairvalue(100, 90, 1, 0.2, 1)
    assert str(err.value) == "argument 'call_put': 'int' object is not an instance of 'str'"
    with pytest.raises(TypeError) as err:
        b76_fairvalue(100, 90, 1, 0.2, None)
    assert str(err.value) == "argument 'call_put': 'None' is not an instance of 'str'"


def test_str_that_cannot_be_utf8_raises_unicode_error():
    with pytest.raises(UnicodeEncodeError):
        b76_fairvalue(100, 90, 1, 0.2, "\ud800")


@pytest.mark.parametrize("fwd", [100, True * 100, 100.0, Floaty(100.0), Indexy(), fractions.Fraction(100)])
def test_float_coercion(fwd):
    assert b76_fairvalue(fwd, 90, 1, 0.2, "c") == b76_fairvalue(100.0, 90, 1, 0.2, "c")


def test_bool_converts_to_one():
    assert b76_vega(100, 100, True, 0.2) == b76_vega(100, 100, 1.0, 0.2)


def test_int_beyond_double_range_is_an_unwrapped_overflow():
    with pytest.raises(OverflowError) as err:
        b76_fairvalue(10**400, 90, 1, 0.2, "c")
    assert not str(err.value).startswith("argument")


def test_non_number_is_wrapped_with_the_argument_name():
    with pytest.raises(TypeError) as err:
        b76_fairvalue(100, "90", 1, 0.2, "c")
    assert str(err.value).startswith("argument 'strike': ")


def test_wrapping_keeps_the_original_cause():
    cause = KeyError("inner")

    class Bad:
        def __float__(self):
            raise TypeError("no float for you") from cause

    with pytest.raises(TypeError) as err:
        b76_fairvalue(Bad(), 90, 1, 0.2, "c")
    assert str(err.value) == "argument 'fwd': no float for you"
    assert err.value.__cause__ is cause


def test_type_error_subclasses_pass_through_unwrapped():
    class MyTypeError(TypeError):
        pass

    class Bad:
        def __float__(self):
            raise MyTypeError("special")

    with pytest.raises(MyTypeError) as err:
        b76_fairvalue(Bad(), 90, 1, 0.2, "c")
    assert str(err.value) == "special"


def test_other_exceptions_pass_through():
    class Bad:
        def __float__(self):
            raise ZeroDivisionError("boom")

    with pytest.raises(ZeroDivisionError, match="^boom$"):
        b76_fairvalue(Bad(), 90, 1, 0.2, "c")


def test_conversion_stops_at_the_first_failure():
    seen = []

    class Spy:
        def __init__(self, name):
            self.name = name

        def __float__(self):
            seen.append(self.name)
            return 1.0

    with pytest.raises(TypeError, match="^argument 'ttx': "):
        b76_fairvalue(Spy("fwd"), Spy("strike"), "x", Spy("vol"), "c")
    assert seen == ["fwd", "strike"]


@pytest.mark.parametrize("call, message", [
    (lambda: b76_fairvalue(1, 2, 3, 4), "b76_fairvalue() missing 1 required positional argument: 'call_put'"),
    (lambda: b76_fairvalue(1, 2, 3), "b76_fairvalue() missing 2 required positional arguments: 'vol' and 'call_put'"),
    (lambda: b76_fairvalue(), "b76_fairvalue() missing 5 required positional arguments: "
                              "'fwd', 'strike', 'ttx', 'vol', and 'call_put'"),
    (lambda: b76_vega(1, 2, 3, 4, 5, 6), "b76_vega() takes from 4 to 5 positional arguments but 6 were given"),
    (lambda: b76_vega(1, 2, 3, 4, sigma=0.2), "b76_vega() got an unexpected keyword argument 'sigma'"),
    (lambda: b76_vega(1, 2, 3, 4, fwd=1), "b76_vega() got multiple values for argument 'fwd'"),
    (lambda: calibrate_black76_iv(1, 2, 3, 4, "c", 1, 7), "calibrate_black76_iv() takes from 5 to 6 positional arguments but 7 were given"),
])
def test_binding_errors(call, message):
    with pytest.raises(TypeError) as err:
        call()
    assert str(err.value) == message


def test_binding_errors_come_before_conversion():
    with pytest.raises(TypeError, match="missing 1 required"):
        b76_fairvalue("not a number", 2, 3, 4)


def test_keywords_bind_by_name_in_any_order():
    expected = b76_fairvalue(100, 90, 0.5, 0.3, "p", 0.98)
    assert b76_fairvalue(call_put="p", df=0.98, vol=0.3, ttx=0.5, strike=90, fwd=100) == expected
    assert b76_fairvalue(100, 90, 0.5, vol=0.3, call_put="p", df=0.98) == expected


def test_default_discount_factor():
    assert b76_vega(100, 100, 1, 0.2) == b76_vega(100, 100, 1, 0.2, 1.0)
    with pytest.raises(TypeError, match="^argument 'df': "):
        b76_vega(100, 100, 1, 0.2, df=None)
