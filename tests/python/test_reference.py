"""The reference a reader sees in an editor and on the site: every public
name of both modules carries a docstring in its stub, an editor library
finds it, kelvane_arrays says the same at run time, and every example in
it runs as written."""
import ast
import doctest
import importlib.util
import inspect
import subprocess
import sys
from pathlib import Path

import pytest

import kelvane
import kelvane_arrays

ROOT = Path(__file__).resolve().parents[2]
STUBS = {
    "kelvane": ROOT / "src/python/kelvane/kelvane-stubs/__init__.pyi",
    "kelvane_arrays": ROOT / "src/python/kelvane_arrays/__init__.pyi",
}


def public_definitions(module: str) -> list[tuple[str, ast.AST]]:
    """(dotted name, node) of every public definition of a stub, overloads
    each on their own, in file order: the module, its classes and their
    methods and properties, its functions."""
    tree = ast.parse(STUBS[module].read_text())
    found: list[tuple[str, ast.AST]] = [(module, tree)]
    for node in tree.body:
        if isinstance(node, (ast.ClassDef, ast.FunctionDef)) and not node.name.startswith("_"):
            found.append((node.name, node))
            if isinstance(node, ast.ClassDef):
                found += [(f"{node.name}.{item.name}", item) for item in node.body
                          if isinstance(item, ast.FunctionDef) and not item.name.startswith("_")]
    return found


def stub_docstrings(module: str) -> dict[str, list[str | None]]:
    docs: dict[str, list[str | None]] = {}
    for name, node in public_definitions(module):
        docs.setdefault(name, []).append(ast.get_docstring(node))  # type: ignore[arg-type]
    return docs


def public_names(module) -> list[str]:
    """Every public name the built module has, members of its classes included."""
    names = [module.__name__]
    for name in module.__all__:
        names.append(name)
        value = getattr(module, name)
        if isinstance(value, type):
            names += [f"{name}.{member}" for member in vars(value) if not member.startswith("_")]
    return names


@pytest.mark.parametrize("module", [kelvane, kelvane_arrays], ids=lambda m: m.__name__)
def test_every_public_name_has_a_stub_docstring(module):
    docs = stub_docstrings(module.__name__)
    missing = [name for name in public_names(module) if not docs.get(name) or not docs[name][-1]]
    assert not missing, f"{module.__name__}: no stub docstring on {missing}"
    # An overloaded name carries its text once, on its last overload, where
    # editors and the site look for it.
    scattered = [name for name, texts in docs.items() if any(texts[:-1])]
    assert not scattered, f"docstrings on overloads other than the last: {scattered}"


def test_array_functions_say_at_run_time_what_their_stubs_say():
    docs = stub_docstrings("kelvane_arrays")
    for name in ["kelvane_arrays", *kelvane_arrays.__all__]:
        runtime = inspect.cleandoc(getattr(kelvane_arrays, name.removeprefix("kelvane_arrays")).__doc__
                                   if name != "kelvane_arrays" else kelvane_arrays.__doc__)
        assert docs[name][-1] == runtime, f"{name}: the stub's docstring is not the run-time one"


def test_stub_docstrings_are_written_from_the_front():
    """tools/stub_docstrings.py finds nothing to rewrite."""
    out = subprocess.run([sys.executable, str(ROOT / "tools/stub_docstrings.py"), "--check"],
                         capture_output=True, text=True)
    assert out.returncode == 0, out.stdout + out.stderr


def test_kelvane_docstrings_at_run_time_stay_text_signatures():
    assert kelvane.b76_vega.__doc__ is None and kelvane.b76_vega.__text_signature__ == "(fwd, strike, ttx, vol, df=1.0)"
    assert kelvane.GVVSpline.get_vol.__doc__ is None


@pytest.mark.skipif(importlib.util.find_spec("jedi") is None, reason="jedi comes with the test extra")
@pytest.mark.parametrize("code,first_line", [
    ("import kelvane\nkelvane.b76_vega", "Black-76 vega"),
    ("import kelvane\nkelvane.Calendar.tenor_to_ttx", "The year fraction of a tenor"),
    ("import kelvane\nkelvane.VolGeo.get_jacobian", "Sensitivities of the vols"),
    ("import kelvane_arrays\nkelvane_arrays.b76_vega", "Black-76 vega of each option"),
    ("import kelvane_arrays\nkelvane_arrays.get_bus_ttx", "Business years from each"),
])
def test_an_editor_finds_the_text(code, first_line):
    """jedi, the library behind several editors' hover, reads the installed stubs."""
    import jedi
    line = code.splitlines()[-1]
    found = jedi.Script(code, path=str(ROOT / "probe.py")).infer(len(code.splitlines()), len(line))
    assert found, f"jedi inferred nothing for {line}"
    text = found[0].docstring(raw=True)
    assert text.startswith(first_line), f"{line}: jedi shows {text!r}"


@pytest.mark.parametrize("module", ["kelvane", "kelvane_arrays"])
def test_stub_examples_run_as_written(module):
    """The examples of a stub run in file order as one session, as the
    reference shows them one after another."""
    import datetime

    import numpy as np
    import pandas as pd
    session = "\n\n".join(doc for docs in stub_docstrings(module).values() for doc in docs if doc)
    globs = {"kelvane": kelvane, "kelvane_arrays": kelvane_arrays, "datetime": datetime, "np": np, "pd": pd}
    test = doctest.DocTestParser().get_doctest(session, globs, module, str(STUBS[module]), 0)
    assert test.examples
    runner = doctest.DocTestRunner(verbose=False, optionflags=doctest.ELLIPSIS | doctest.NORMALIZE_WHITESPACE)
    runner.run(test, out=lambda text: pytest.fail(text, pytrace=False))
