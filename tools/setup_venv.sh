#!/usr/bin/env bash
# Makes sure .venv runs the interpreter that find_python.sh picks. When the
# pick changes (another PYTHON, a new or removed interpreter), the venv and
# every build directory are made anew: nothing built for one interpreter is
# reused by another. Messages go to stderr; stdout stays empty.
set -euo pipefail
cd "$(dirname "$0")/.."
venv=${1:-.venv}
python=$(tools/find_python.sh)
record="$venv/.interpreter"
if [[ -f "$record" && "$(cat "$record")" == "$python" && -x "$venv/bin/python" ]]; then
  exit 0
fi
if [[ -e "$venv" ]]; then
  echo "The interpreter is now $python: making $venv and build/ anew" >&2
  rm -rf "$venv" build
fi
tools/ensure_system_packages.sh "$python" >&2
echo "Creating $venv with $python" >&2
"$python" -m venv "$venv" >&2
mkdir -p "$venv/.stamps"
echo "$python" > "$record"
