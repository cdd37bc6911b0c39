#!/usr/bin/env bash
# Prints the path of a CPython >= 3.12: $PYTHON if set, else python3.13 or
# python3.12 on PATH, else the newest such version that pyenv has installed.
set -euo pipefail
is_recent() { "$1" -c 'import sys; sys.exit(sys.version_info < (3, 12))' >/dev/null 2>&1; }
if [[ -n "${PYTHON:-}" ]]; then
  if is_recent "$PYTHON"; then command -v "$PYTHON"; exit 0; fi
  echo "PYTHON=$PYTHON is not a CPython >= 3.12" >&2; exit 1
fi
for name in python3.13 python3.12; do
  if command -v "$name" >/dev/null && is_recent "$name"; then
    "$name" -c 'import sys; print(sys.executable)'; exit 0
  fi
done
if command -v pyenv >/dev/null; then
  root=$(pyenv root)
  for version in $(ls "$root/versions" 2>/dev/null | grep -E '^3\.[0-9]+\.[0-9]+$' | sort -rV); do
    for exe in "$root/versions/$version"/bin/python3.[1-9][0-9]; do
      if [[ -x "$exe" ]] && is_recent "$exe"; then echo "$exe"; exit 0; fi
    done
  done
fi
echo "No CPython >= 3.12 found: install one, or run with PYTHON=/path/to/python3.12" >&2
exit 1
