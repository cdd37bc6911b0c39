"""The examples and the README's code run as written, and print what the README says."""
import doctest
import importlib.util
import re
import runpy
import subprocess
import sys
from pathlib import Path

import pytest

ROOT = Path(__file__).resolve().parents[2]


def test_quickstart_runs():
    out = subprocess.run([sys.executable, str(ROOT / "examples" / "quickstart.py")],
                         capture_output=True, text=True, check=True).stdout
    assert "implied vol" in out and "re-anchored" in out


# The README and every page of the site.
PAGES = {name: (ROOT / name).read_text()
         for name in ["README.md", *(str(p.relative_to(ROOT)) for p in sorted((ROOT / "docs").glob("*.md")))]}


@pytest.mark.parametrize("page,block", [(name, block) for name, text in PAGES.items()
                                        for block in re.findall(r"```python\n(.*?)```", text, re.S)])
def test_readme_code_runs(page, block):
    exec(compile(block, page, "exec"), {})


@pytest.mark.parametrize("page", [name for name, text in PAGES.items() if "```pycon" in text])
def test_readme_sessions_print_what_they_show(page):
    """The ```pycon blocks of a page run in order in one namespace, as one session."""
    session = "\n".join(re.findall(r"```pycon\n(.*?)```", PAGES[page], re.S))
    test = doctest.DocTestParser().get_doctest(session, {}, page, page, 0)
    assert test.examples, f"{page} shows no session"
    runner = doctest.DocTestRunner(verbose=False, optionflags=doctest.ELLIPSIS)
    runner.run(test, out=lambda text: pytest.fail(text, pytrace=False))


@pytest.mark.skipif(importlib.util.find_spec("matplotlib") is None, reason="the examples extra draws the pictures")
@pytest.mark.parametrize("script", ["smiles.py", "business_time.py"])
def test_picture_examples_run(script, tmp_path, monkeypatch):
    import matplotlib.figure
    saved = []
    monkeypatch.setattr(matplotlib.figure.Figure, "savefig", lambda self, path, **kw: saved.append(path))
    runpy.run_path(str(ROOT / "examples" / script), run_name="__main__")
    assert len(saved) == 1


@pytest.mark.parametrize("page,marker", [("docs/speed.md", "bench"), ("docs/speed.md", "arrays-bench"),
                                         ("docs/pricing.md", "book")])
def test_bench_tables_have_their_place(page, marker):
    """`make bench-readme` rewrites each table between its markers, on the page it is shown."""
    text = (ROOT / page).read_text()
    assert re.search(rf"<!-- {marker}:start -->\n.*Measured by `make bench` on .*<!-- {marker}:end -->", text, re.S)
