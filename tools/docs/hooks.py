"""MkDocs hooks of the reference site (mkdocs.yml names this file).

The API reference is read from the stubs alone, statically: they are laid
out as two stub-only packages under build/docs-stubs, where griffe finds
`kelvane` and `kelvane_arrays` without the compiled modules or the source
tree's other files.
"""
import shutil
from pathlib import Path
from typing import Any

ROOT = Path(__file__).resolve().parents[2]
STUBS = {
    "kelvane": ROOT / "src/python/kelvane/kelvane-stubs/__init__.pyi",
    "kelvane_arrays": ROOT / "src/python/kelvane_arrays/__init__.pyi",
}
STAGED = ROOT / "build/docs-stubs"


def stage_stubs() -> None:
    shutil.rmtree(STAGED, ignore_errors=True)
    for package, stub in STUBS.items():
        (STAGED / package).mkdir(parents=True)
        shutil.copyfile(stub, STAGED / package / "__init__.pyi")


# Staged as the hooks are loaded, before any plugin reads its options: a
# search path that does not exist yet is dropped, and the compiled module
# on sys.path would be documented instead of its stub.
stage_stubs()


def on_config(config: Any, **kwargs: Any) -> Any:
    stage_stubs()
    return config
