#!/usr/bin/env bash
# Runs the Python tests against the portable wheel as a user installs it:
# under every CPython >= 3.12 on the machine, in a test venv of its own
# under build/venvs, into which the wheel is installed with
# --only-binary :all:, so that no compiler can be involved. The tests then
# import the installed modules, never the source tree. Every run is made;
# the exit status is that of the worst, so a failure under any interpreter
# fails the whole.
#
#   test_interpreters.sh <wheel directory> [pytest arguments]
set -uo pipefail
cd "$(dirname "$0")/.."
wheels=$1
shift 1
wheel=$(ls "$wheels"/kelvane-*manylinux_2_17_x86_64.whl)
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
  "$dir/bin/python" "${pip_quiet[@]}" install --only-binary :all: --force-reinstall --no-deps "$wheel" &&
    "$dir/bin/python" "${pip_quiet[@]}" install --only-binary :all: "$wheel"
}

status=0
echo "== the wheel under test: $wheel"
while read -r version exe; do
  [[ -z "$exe" ]] && continue
  dir=build/venvs/$version
  echo "== Python tests under CPython $version ($exe), from the installed wheel"
  if ! prepare_venv "$exe" "$dir"; then
    echo "could not set up $dir for $exe" >&2; status=1; continue
  fi
  "$dir/bin/python" -m pytest -q "$@" || status=1
done < <(tools/find_python.sh --all)
exit $status
