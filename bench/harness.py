"""Per-call timing shared by the benchmark sections.

Each figure is the best of several repeats of a timed loop (the least
disturbed run), in nanoseconds per call. The repeats of all rows are taken in
rounds, so that the machine's load falls on every row alike. Floors are
builtin calls of the same shape, measured in the same run, so that ratios
against them do not depend on the machine's speed. A row's kernel is the
C++ benchmark of the same work without the binding (bench/kernels.cpp): a
call at its limit costs its floor plus its kernel.
"""
from __future__ import annotations

import platform
import timeit
from dataclasses import dataclass
from typing import Callable


class Timing:
    """A statement's time per item, taken in rounds with every other timing of
    the run (run_rounds): each round times each statement once, so that a spell
    of load on a shared machine falls on a row and its floor alike, and each
    row's figure is its best round, the least disturbed."""

    def __init__(self, once: Callable[[], float], repeat: int) -> None:
        self._once = once  # seconds per item of one timed run
        self.repeat = repeat
        self._best: float | None = None
        _pending.append(self)

    def run_once(self) -> None:
        seconds = self._once()
        self._best = seconds if self._best is None else min(self._best, seconds)

    @property
    def ns(self) -> float:
        if self._best is None:
            raise RuntimeError("run_rounds() has not run this timing yet")
        return self._best * 1e9


_pending: list[Timing] = []


def run_rounds() -> None:
    """Runs every timing made since the last call, in rounds."""
    timings = list(_pending)
    _pending.clear()
    for r in range(max((t.repeat for t in timings), default=0)):
        for timing in timings:
            if r < timing.repeat:
                timing.run_once()


@dataclass
class Row:
    section: str
    name: str
    timing: Timing
    per: str = "call"
    floor: str | None = None
    target: str = ""
    kernel: str | None = None  # the name of the row's C++ benchmark

    @property
    def ns(self) -> float:
        return self.timing.ns


def measure_stmt(stmt: str, namespace: dict, repeat: int = 7, per: int = 1) -> Timing:
    """ns per call of a statement (per item, for `per` items a call), timed
    without the cost of a wrapping lambda. The namespace is copied as it
    stands, so that a section may rebind its names for the next row."""
    timer = timeit.Timer(stmt, globals=dict(namespace))
    number, _ = timer.autorange()

    def once() -> float:
        # One untimed call first: a large call is timed once a round, after
        # rows that freed and allocated other memory, and would otherwise pay
        # alone for faulting in pages its own previous call left warm, as the
        # calls of a row timed several to a run do after their first.
        if number < 3:
            timer.timeit(1)
        return timer.timeit(number) / number / per

    return Timing(once, repeat)


def measure_fresh(stmt: str, setup: str, namespace: dict, per: int, repeat: int = 7) -> Timing:
    """ns per item of one run of stmt after a fresh setup."""
    timer = timeit.Timer(stmt, setup=setup, globals=dict(namespace))
    return Timing(lambda: timer.timeit(number=1) / per, repeat)


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
