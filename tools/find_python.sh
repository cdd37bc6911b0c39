#!/usr/bin/env bash
# Finds the CPython interpreters that kelvane supports (3.12 and newer).
#
#   find_python.sh         the interpreter to build with: $PYTHON if set, else
#                          the oldest supported one found, so that the build
#                          sees the oldest headers of the stable ABI it targets
#   find_python.sh --all   every supported interpreter found, oldest first,
#                          one "version path" pair a line
#
# Candidates: $PYTHON, python3.12, python3.13, ... on PATH, and the versions
# that pyenv installed (found without pyenv itself on PATH). Paths are the
# interpreters' own sys.executable, so shims and links collapse to one entry.
set -euo pipefail

# Prints "3.12 /path/to/python3.12" for a supported CPython; fails otherwise.
describe() {
  "$1" -c 'import sys
if sys.implementation.name != "cpython" or sys.version_info < (3, 12): sys.exit(3)
print(f"{sys.version_info[0]}.{sys.version_info[1]} {sys.executable}")' 2>/dev/null
}

explicit_python() {
  if ! command -v "$PYTHON" >/dev/null 2>&1; then
    echo "PYTHON=$PYTHON: no such interpreter" >&2; return 1
  fi
  local status=0 out
  out=$("$PYTHON" -c 'import sys; print(sys.implementation.name, sys.version.split()[0])' 2>&1) || status=$?
  if [[ $status -ne 0 ]]; then
    echo "PYTHON=$PYTHON fails to start: ${out:-exit status $status}" >&2; return 1
  fi
  describe "$PYTHON" || { echo "PYTHON=$PYTHON is $out; kelvane needs CPython 3.12 or newer" >&2; return 1; }
}

candidates() {
  local minor name root exe
  for minor in $(seq 12 20); do
    name=python3.$minor
    command -v "$name" >/dev/null 2>&1 && echo "$name"
  done
  root=${PYENV_ROOT:-$HOME/.pyenv}
  if command -v pyenv >/dev/null 2>&1; then root=$(pyenv root); fi
  for exe in "$root"/versions/3.*/bin/python3.[1-9][0-9]; do
    [[ -x "$exe" ]] && echo "$exe"
  done
  return 0
}

all_pythons() {
  local exe
  {
    [[ -n "${PYTHON:-}" ]] && explicit_python
    for exe in $(candidates); do describe "$exe" || true; done
  } | sort -u -k2,2 | sort -V -k1,1
}

if [[ "${1:-}" == "--all" ]]; then
  all_pythons
  exit 0
fi
if [[ -n "${PYTHON:-}" ]]; then
  explicit_python | cut -d' ' -f2-
  exit "${PIPESTATUS[0]}"
fi
chosen=$(all_pythons | head -n1 | cut -d' ' -f2-)
if [[ -z "$chosen" ]]; then
  echo "No CPython >= 3.12 found: install one, or run with PYTHON=/path/to/python3.12" >&2
  exit 1
fi
echo "$chosen"
