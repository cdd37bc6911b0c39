"""Per-call timing shared by the benchmark sections.

Each figure is the best of several repeats of a timed loop (the least
disturbed run), in nanoseconds per call. Floors are builtin calls of the same
shape, measured in the same run, so that ratios against them do not depend on
the machine's speed. A row's kernel is the C++ benchmark of the same work
without the binding (bench/kernels.cpp): a call at its limit costs its floor
plus its kernel.
"""
from __future__ import annotations

import platform
import timeit
from dataclasses import dataclass
from typing import Callable


@dataclass
class Row:
    section: str
    name: str
    ns: float
    per: str = "call"
    floor: str | None = None
    target: str = ""
    kernel: str | None = None  # the name of the row's C++ benchmark


def measure(fn: Callable[[], object], repeat: int = 7, min_time: float = 0.05, per: int = 1) -> float:
    """ns per call of fn (divided by `per`, for batched calls)."""
    timer = timeit.Timer(fn)
    number, _ = timer.autorange()
    number = max(1, int(number * min_time / 0.2))
    best = min(timer.repeat(repeat=repeat, number=number)) / number
    return best * 1e9 / per


def measure_stmt(stmt: str, namespace: dict, repeat: int = 7, per: int = 1) -> float:
    """ns per call of a statement, timed without the cost of a wrapping lambda."""
    timer = timeit.Timer(stmt, globals=namespace)
    number, _ = timer.autorange()
    best = min(timer.repeat(repeat=repeat, number=number)) / number
    return best * 1e9 / per


def measure_fresh(stmt: str, setup: str, namespace: dict, per: int, repeat: int = 7) -> float:
    """ns per item of one run of stmt after a fresh setup, best of `repeat`."""
    timer = timeit.Timer(stmt, setup=setup, globals=namespace)
    return min(timer.repeat(repeat=repeat, number=1)) * 1e9 / per


def machine() -> str:
    cpu = platform.processor() or platform.machine()
    try:
        with open("/proc/cpuinfo") as f:
            for line in f:
                if line.startswith("model name"):
                    cpu = line.split(":", 1)[1].strip()
                    break
    except OSError:
        pass
    return f"{cpu}, {platform.system()} {platform.release()}, CPython {platform.python_version()}"
