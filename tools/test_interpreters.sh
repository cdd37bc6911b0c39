#!/usr/bin/env bash
# Runs the Python tests under every CPython >= 3.12 on the machine with the one
# wheel built from the oldest interpreter's headers: first in .venv, then in a
# test venv per other interpreter under build/venvs, into which the same wheel
# is installed (never rebuilt). Every run is made; the exit status is that of
# the worst, so a failure under any interpreter fails the whole.
#
#   test_interpreters.sh <venv python> <wheel directory> [pytest arguments]
set -uo pipefail
cd "$(dirname "$0")/.."
main_python=$1 wheels=$2
shift 2
wheel=$(ls "$wheels"/kelvane-*.whl)
main_exe=$(cat .venv/.interpreter)
pip_quiet=(-m pip --disable-pip-version-check -q)

prepare_venv() {  # <interpreter> <venv dir>
  local exe=$1 dir=$2
  if [[ ! -x "$dir/bin/python" || "$(cat "$dir/.interpreter" 2>/dev/null)" != "$exe" ]]; then
    rm -rf "$dir"
    "$exe" -m venv "$dir" && echo "$exe" > "$dir/.interpreter" || return 1
  fi
  if [[ ! -f "$dir/.test-extra" || pyproject.toml -nt "$dir/.test-extra" ]]; then
    "$dir/bin/python" tools/project_requirements.py test | xargs "$dir/bin/python" "${pip_quiet[@]}" install || return 1
    touch "$dir/.test-extra"
  fi
  "$dir/bin/python" "${pip_quiet[@]}" install --force-reinstall --no-deps "$wheel"
}

status=0
echo "== Python tests under $("$main_python" -c 'import sys; print(sys.version.split()[0])') ($main_exe)"
"$main_python" -m pytest -q "$@" || status=1
while read -r version exe; do
  [[ -z "$exe" || "$exe" == "$main_exe" ]] && continue
  dir=build/venvs/$version
  echo "== Python tests under CPython $version ($exe)"
  if ! prepare_venv "$exe" "$dir"; then
    echo "could not set up $dir for $exe" >&2; status=1; continue
  fi
  "$dir/bin/python" -m pytest -q "$@" || status=1
done < <(tools/find_python.sh --all)
exit $status
