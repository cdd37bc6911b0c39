import math

import pytest


def assert_rel(computed: float, expected: float, rel: float = 1e-12) -> None:
    """Relative agreement, with exact zeros (and their signs) compared exactly."""
    if expected == 0.0:
        assert computed == 0.0 and math.copysign(1, computed) == math.copysign(1, expected), (
            f"expected {expected!r}, computed {computed!r}"
        )
    else:
        assert computed == pytest.approx(expected, rel=rel), f"expected {expected!r}, computed {computed!r}"
