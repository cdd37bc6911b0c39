"""The examples and the README's code run as written."""
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


@pytest.mark.parametrize("block", re.findall(r"```python\n(.*?)```", (ROOT / "README.md").read_text(), re.S))
def test_readme_code_runs(block):
    exec(compile(block, "README.md", "exec"), {})


@pytest.mark.skipif(importlib.util.find_spec("matplotlib") is None, reason="the examples extra draws the pictures")
@pytest.mark.parametrize("script", ["smiles.py", "business_time.py"])
def test_picture_examples_run(script, tmp_path, monkeypatch):
    import matplotlib.figure
    saved = []
    monkeypatch.setattr(matplotlib.figure.Figure, "savefig", lambda self, path, **kw: saved.append(path))
    runpy.run_path(str(ROOT / "examples" / script), run_name="__main__")
    assert len(saved) == 1
