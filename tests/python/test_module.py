"""The module surface: registry order, names, docstrings, signatures, exports."""
import importlib
import inspect
import subprocess
import sys

import pytest

import kelvane

FUNCTIONS = [
    "b76_fairvalue", "b76_delta", "b76_vega", "b76_gamma",
    "binary_fairvalue", "binary_vega", "binary_delta", "binary_gamma", "binary_speed", "binary_theta",
    "calibrate_black76_iv",
]
SIGNATURES = {
    "b76_fairvalue": "(fwd, strike, ttx, vol, call_put, df=1.0)",
    "b76_delta": "(fwd, strike, ttx, vol, call_put, df=1.0)",
    "b76_vega": "(fwd, strike, ttx, vol, df=1.0)",
    "b76_gamma": "(fwd, strike, ttx, vol, df=1.0)",
    **{name: "(fwd, strike, ttx, vol, call_put, df=1.0)" for name in FUNCTIONS[4:10]},
    "calibrate_black76_iv": "(ttx, fwd, strike, price, call_put, df=1.0)",
}


def test_all_lists_the_registry_in_order():
    classes = [name for name in kelvane.__all__ if isinstance(getattr(kelvane, name), type)]
    assert kelvane.__all__ == classes + FUNCTIONS
    assert all(hasattr(kelvane, name) for name in kelvane.__all__)


def test_module_doc_is_empty():
    assert kelvane.__doc__ == ""


@pytest.mark.parametrize("name", FUNCTIONS)
def test_function_objects(name):
    function = getattr(kelvane, name)
    assert type(function).__name__ == "builtin_function_or_method"
    assert function.__name__ == name and function.__qualname__ == name
    assert function.__module__ == "kelvane"
    assert function.__self__ is None
    assert function.__doc__ is None
    assert function.__text_signature__ == SIGNATURES[name]
    assert str(inspect.signature(function)) == SIGNATURES[name]


def test_signature_parameters_are_positional_or_keyword():
    params = inspect.signature(kelvane.b76_vega).parameters
    assert list(params) == ["fwd", "strike", "ttx", "vol", "df"]
    assert params["df"].default == 1.0
    assert {p.kind for p in params.values()} == {inspect.Parameter.POSITIONAL_OR_KEYWORD}


def test_reimport_builds_a_new_module():
    old = sys.modules.pop("kelvane")
    try:
        new = importlib.import_module("kelvane")
        assert new is not old
        assert new.b76_fairvalue is not old.b76_fairvalue
        assert new.__all__ == old.__all__
        for name in new.__all__:
            if isinstance(getattr(new, name), type):
                assert getattr(new, name) is getattr(old, name), "class objects are shared across imports"
    finally:
        sys.modules["kelvane"] = old


def test_only_the_init_function_is_exported():
    out = subprocess.run(["nm", "-D", "--defined-only", kelvane.__file__], capture_output=True, text=True, check=True)
    symbols = [line.split()[-1] for line in out.stdout.splitlines() if line.strip()]
    assert symbols == ["PyInit_kelvane"]
    assert kelvane.__file__.endswith("kelvane.abi3.so")


def test_stubs_ship_as_a_stub_package():
    import importlib.util
    spec = importlib.util.find_spec("kelvane-stubs")
    assert spec is not None and spec.submodule_search_locations
