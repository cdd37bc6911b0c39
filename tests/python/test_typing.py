"""The shipped stubs accept the code the README shows and flag common mistakes."""

import re
import runpy
import subprocess
import sys
from pathlib import Path

import pytest

ROOT = Path(__file__).resolve().parents[2]
CASES = Path(__file__).parent / "typing_cases"


@pytest.fixture(scope="module")
def mypy_errors() -> dict[str, set[int]]:
    """Lines that mypy --strict reports as errors, per case file."""
    out = subprocess.run(
        [sys.executable, "-m", "mypy", "--strict", "--no-error-summary", "--show-traceback",
         "--python-executable", sys.executable, "uses.py", "mistakes.py"],
        cwd=CASES, capture_output=True, text=True, timeout=300,
    )
    assert out.returncode in (0, 1), out.stdout + out.stderr
    errors: dict[str, set[int]] = {"uses.py": set(), "mistakes.py": set()}
    for match in re.finditer(r"^(\w+\.py):(\d+): error: .*$", out.stdout, re.M):
        errors[match[1]].add(int(match[2]))
    errors["_output"] = out.stdout  # type: ignore[assignment]
    return errors


def test_readme_usage_type_checks(mypy_errors):
    assert not mypy_errors["uses.py"], mypy_errors["_output"]


def test_readme_usage_runs():
    runpy.run_path(str(CASES / "uses.py"))


def marked_lines() -> dict[int, str]:
    lines = (CASES / "mistakes.py").read_text().splitlines()
    return {n: line.split("# error:")[1].strip() for n, line in enumerate(lines, 1) if "# error:" in line}


@pytest.mark.parametrize("line,mistake", sorted(marked_lines().items()), ids=lambda v: str(v))
def test_mistake_is_flagged(mypy_errors, line, mistake):
    assert line in mypy_errors["mistakes.py"], f"not flagged: {mistake}\n{mypy_errors['_output']}"


def test_only_the_marked_lines_are_flagged(mypy_errors):
    assert mypy_errors["mistakes.py"] == set(marked_lines()), mypy_errors["_output"]
