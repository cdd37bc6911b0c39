#!/usr/bin/env bash
# Runs the Python tests from the portable wheels where the host cannot:
#
#  - CPython 3.14 and 3.15, Debian's builds for sid's glibc, in a sid root:
#    the x86-64 wheel and the whole Python suite under each;
#  - aarch64 under qemu-user, in a trixie arm64 root with its CPython 3.13:
#    the aarch64 wheel and the tests of pricing, smiles, the calendar, the
#    arrays and the fingerprint of the results' bits (the rest is slow under
#    emulation and machine-independent Python).
#
# The roots (tools/debian_root.sh) and their test venvs are cached under
# ~/.cache/kelvane, each remade when what it is made of changes. The wheels
# are installed with --only-binary :all:, the test requirements as wheels
# from PyPI that the host's pip fetches for the root's interpreter. The tests
# run on a copy of the tests, the examples and the pages they read, never on
# the source tree.
#
#   test_roots.sh prepare [sid|arm]  makes the roots and venvs (no wheel needed)
#   test_roots.sh test <wheel dir> [sid|arm]  prepares, then runs the tests
#
# Each root is prepared under a lock, so that `make test` can prepare in the
# background while other steps run, and two clones never build one root at
# once. The exit status is that of the worst run.
set -uo pipefail
cd "$(dirname "$0")/.."
roots=tools/debian_root.sh
cache=$(dirname "$($roots path x)")
pip_quiet=(-m pip --disable-pip-version-check -q)

# <root name> <arch> <suite> <debian packages> and the interpreters it runs.
sid_root=(sid-amd64 amd64 sid python3.14,python3.14-venv,python3.15,python3.15-venv,binutils)
sid_pythons=(python3.14 python3.15)
arm_root=(trixie-arm64 arm64 trixie python3,python3-venv)
arm_python=python3
arm_tests=(tests/python/test_pricing.py tests/python/test_smiles.py
           tests/python/test_calendar.py tests/python/test_arrays.py
           tests/python/test_fingerprint.py)
# What the aarch64 tests import, of the test requirements.
arm_requirements='^(pytest|hypothesis|numpy|pandas)([<>=!~ ].*)?$'

test_requirements() { "${PYTHON_FOR_TOOLS:-python3}" tools/project_requirements.py test; }

# The wheels of the requirements for a root's interpreter, fetched by the
# host's pip (for the root's CPython version, machine and glibc) into the
# root: under emulation, pip's TLS connections are slow enough for the
# network to drop them, and the host fetches in a fraction of the time.
fetch_wheels() {  # <root name> <python> <directory in the root> <requirements...>
  local name=$1 python=$2 dir=$3 root facts version glibc machine minor platforms=()
  shift 3
  root=$($roots path "$name")
  facts=$($roots run "$name" -- "$python" -c 'import os, platform, sys
print("%d.%d" % sys.version_info[:2], os.confstr("CS_GNU_LIBC_VERSION").split()[1], platform.machine())') ||
    return 1
  read -r version glibc machine <<< "$facts"
  for ((minor = 17; minor <= ${glibc#2.}; minor++)); do
    platforms+=(--platform "manylinux_2_${minor}_$machine")
  done
  platforms+=(--platform "manylinux2014_$machine" --platform "linux_$machine")
  rm -rf "$root$dir"
  "${PYTHON_FOR_TOOLS:-python3}" "${pip_quiet[@]}" download --only-binary :all: --implementation cp \
    --python-version "$version" --abi "cp${version/./}" "${platforms[@]}" -d "$root$dir" "$@"
}

# A venv of the root's interpreter with the requirements, made anew unless
# its record says it holds exactly these; the record is written last, so a
# venv left half-made by an interruption is remade. Nothing is compiled to
# bytecode ahead: under emulation that takes minutes, and the modules the
# tests import are compiled as they are first imported.
prepare_venv() {  # <root name> <python> <venv in the root> <requirements...>
  local name=$1 python=$2 venv=$3 root
  shift 3
  root=$($roots path "$name")
  local record="$python wheels fetched by the host: $*"
  [[ "$(cat "$root$venv/.kelvane-requirements" 2>/dev/null)" == "$record" ]] && return 0
  echo "test_roots: making the venv $venv of $python in $name"
  local started=$SECONDS
  rm -rf "$root$venv"
  # pip from the root's own Debian wheel, unpacked by the host: the venv
  # module's ensurepip compiles all of pip, a quarter of an hour under
  # emulation, and pip run from its zipped wheel compiles what it imports
  # at every start.
  local pip_wheel site
  pip_wheel=$(ls "$root"/usr/share/python-wheels/pip-*.whl | tail -n 1)
  fetch_wheels "$name" "$python" "$venv.wheels" "$@" &&
    $roots run "$name" -- "$python" -m venv --without-pip "$venv" &&
    site=$(ls -d "$root$venv"/lib/python3*/site-packages) &&
    "${PYTHON_FOR_TOOLS:-python3}" -m zipfile -e "$pip_wheel" "$site" &&
    $roots run "$name" -- "$venv/bin/python" "${pip_quiet[@]}" install --no-compile --no-index \
      --find-links "$venv.wheels" "$@" || return 1
  rm -rf "$root$venv.wheels"
  echo "$record" > "$root$venv/.kelvane-requirements"
  echo "test_roots: venv $venv made in $((SECONDS - started)) s"
}

# A root and its venvs, under the root's lock.
prepare_root() {  # <kind: sid|arm>
  local kind=$1
  local -n spec=${kind}_root
  mkdir -p "$cache"
  exec {lock}> "$cache/.${spec[0]}.lock"
  flock "$lock"
  local status=0 python requirements
  $roots build "${spec[@]}" || status=1
  if [[ $status -eq 0 && $kind == sid ]]; then
    mapfile -t requirements < <(test_requirements)
    for python in "${sid_pythons[@]}"; do
      prepare_venv "${spec[0]}" "$python" "/opt/venvs/$python" "${requirements[@]}" || status=1
    done
  elif [[ $status -eq 0 ]]; then
    mapfile -t requirements < <(test_requirements | grep -E "$arm_requirements")
    prepare_venv "${spec[0]}" "$arm_python" "/opt/venvs/$arm_python" "${requirements[@]}" || status=1
  fi
  exec {lock}>&-
  return $status
}

prepare() {  # [sid|arm]...
  local status=0 kind kinds=("$@")
  [[ ${#kinds[@]} -eq 0 ]] && kinds=(sid arm)
  for kind in "${kinds[@]}"; do prepare_root "$kind" || status=1; done
  return $status
}

# Installs the wheel into a root's venv and runs pytest there on a fresh
# copy of what the tests read.
run_tests() {  # <root name> <venv> <wheel> <label> [tests...]
  local name=$1 venv=$2 wheel=$3 label=$4 root
  shift 4
  root=$($roots path "$name")
  echo "== Python tests under $label, from the installed wheel $(basename "$wheel")"
  local work=/work/kelvane-$(basename "$venv")
  rm -rf "$root$work" && mkdir -p "$root$work/wheels"
  cp "$wheel" "$root$work/wheels/"
  cp -a tests examples docs src tools README.md pyproject.toml "$root$work/"
  $roots run "$name" -- "$venv/bin/python" "${pip_quiet[@]}" install --only-binary :all: --force-reinstall \
    --no-deps "$work/wheels/$(basename "$wheel")" || return 1
  $roots run "$name" -- /bin/sh -c 'cd "$0" && python=$1 && shift && exec "$python" -m pytest -q -p no:cacheprovider "$@"' \
    "$work" "$venv/bin/python" "$@"
}

case ${1:-} in
  prepare) shift; prepare "$@" ;;
  test)
    wheels=$2
    shift 2
    kinds=("$@")
    [[ ${#kinds[@]} -eq 0 ]] && kinds=(sid arm)
    status=0
    for kind in "${kinds[@]}"; do
      prepare_root "$kind" || status=1
      if [[ $kind == sid ]]; then
        wheel=$(ls "$wheels"/kelvane-*manylinux_2_17_x86_64.whl) || { status=1; continue; }
        # The interpreters side by side, each on a core of its own; each
        # one's output is printed whole once it ends.
        logs=$(mktemp -d) pids=()
        for python in "${sid_pythons[@]}"; do
          run_tests "${sid_root[0]}" "/opt/venvs/$python" "$wheel" \
            "CPython ${python#python} (Debian sid, x86-64)" > "$logs/$python" 2>&1 &
          pids+=($!)
        done
        for i in "${!pids[@]}"; do
          wait "${pids[$i]}" || status=1
          cat "$logs/${sid_pythons[$i]}"
        done
        rm -rf "$logs"
      else
        wheel=$(ls "$wheels"/kelvane-*manylinux_2_17_aarch64.whl) || { status=1; continue; }
        run_tests "${arm_root[0]}" "/opt/venvs/$arm_python" "$wheel" \
          "the CPython of Debian trixie on aarch64 (qemu-user)" "${arm_tests[@]}" || status=1
      fi
    done
    exit $status ;;
  *) sed -n '2,23p' "$0" >&2; exit 2 ;;
esac
