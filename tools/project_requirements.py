"""Prints the requirements that pyproject.toml declares, one a line.

`build` gives the build-system requirements and the build tools (the
Makefile installs them into the virtual environment so that pip can build
without isolation and reuse the CMake build directory); any other argument
names an optional extra or, failing that, a dependency group.
"""
import sys
import tomllib
from pathlib import Path

project = tomllib.loads((Path(__file__).parent.parent / "pyproject.toml").read_text())
for group in sys.argv[1:]:
    if group == "build":
        print("\n".join(project["build-system"]["requires"]))
        print("\n".join(project["dependency-groups"]["build-tools"]))
    elif group in project["project"]["optional-dependencies"]:
        print("\n".join(project["project"]["optional-dependencies"][group]))
    else:
        print("\n".join(project["dependency-groups"][group]))
