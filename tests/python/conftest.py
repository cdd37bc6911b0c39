import importlib.util
import math
import sys
from pathlib import Path

import pytest

EXAMPLES = Path(__file__).resolve().parents[2] / "examples"


def assert_rel(computed: float, expected: float, rel: float = 1e-12) -> None:
    """Relative agreement, with exact zeros (and their signs) compared exactly."""
    if expected == 0.0:
        assert computed == 0.0 and math.copysign(1, computed) == math.copysign(1, expected), (
            f"expected {expected!r}, computed {computed!r}"
        )
    else:
        assert computed == pytest.approx(expected, rel=rel), f"expected {expected!r}, computed {computed!r}"


def load_example(name: str):
    """Imports examples/{name}.py as the module `name`."""
    spec = importlib.util.spec_from_file_location(name, EXAMPLES / f"{name}.py")
    module = importlib.util.module_from_spec(spec)
    sys.modules[name] = module  # dataclasses look their module up while the class is built
    spec.loader.exec_module(module)
    return module
