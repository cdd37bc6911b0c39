"""The shipped stubs accept the code the README shows and flag common mistakes."""

import doctest
import re
import runpy
import subprocess
import sys
from pathlib import Path

import pytest

ROOT = Path(__file__).resolve().parents[2]
CASES = Path(__file__).parent / "typing_cases"


def page_code(page: str, section: str | None = None) -> str:
    """A page's sessions as one module (their sources, in order), then its
    ```python blocks, or only those of `section` (a "## " heading)."""
    text = (ROOT / page).read_text()
    parser = doctest.DocTestParser()
    sessions = "".join(example.source for block in re.findall(r"```pycon\n(.*?)```", text, re.S)
                       for example in parser.get_examples(block))
    if section is not None:
        text = text[text.index(f"\n## {section}\n"):]
        text = text[:text.find("\n## ", 1) if "\n## " in text[1:] else len(text)]
    return sessions + "".join(re.findall(r"```python\n(.*?)```", text, re.S))


# The pages' own code, checked as written: every session and every block
# of the README and of each page of the site.
PAGES = {f"page_{path.stem.replace('-', '_')}.py": (str(path.relative_to(ROOT)), None)
         for path in [ROOT / "README.md", *sorted((ROOT / "docs").glob("*.md"))]
         if "```py" in path.read_text()}


@pytest.fixture(scope="module")
def mypy_errors(tmp_path_factory) -> dict[str, set[int]]:
    """Lines that mypy --strict reports as errors, per case file."""
    pages = tmp_path_factory.mktemp("pages")
    for name, (page, section) in PAGES.items():
        (pages / name).write_text(page_code(page, section))
    out = subprocess.run(
        [sys.executable, "-m", "mypy", "--strict", "--no-error-summary", "--show-traceback",
         # dask's own functions carry no annotations: calling them is no error of the pages'.
         "--untyped-calls-exclude=dask",
         # nor is scipy's lack of stubs.
         "--disable-error-code=import-untyped",
         "--python-executable", sys.executable, "uses.py", "mistakes.py", *(str(pages / name) for name in PAGES)],
        cwd=CASES, capture_output=True, text=True, timeout=300,
    )
    assert out.returncode in (0, 1), out.stdout + out.stderr
    errors: dict[str, set[int]] = {name: set() for name in ("uses.py", "mistakes.py", *PAGES)}
    for match in re.finditer(r"^(?:.*/)?(\w+\.py):(\d+): error: .*$", out.stdout, re.M):
        errors[match[1]].add(int(match[2]))
    errors["_output"] = out.stdout  # type: ignore[assignment]
    return errors


def test_readme_usage_type_checks(mypy_errors):
    assert not mypy_errors["uses.py"], mypy_errors["_output"]


@pytest.mark.parametrize("name", PAGES)
def test_pages_type_check_as_written(mypy_errors, name):
    assert not mypy_errors[name], mypy_errors["_output"]


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
