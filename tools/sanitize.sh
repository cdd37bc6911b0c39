#!/usr/bin/env bash
# The sanitizer run: the core, the C++ tests, the module and the fuzz driver
# built with AddressSanitizer and UndefinedBehaviorSanitizer into a build
# directory and venv of their own; then the C++ tests, the Python tests and
# a bounded fuzzing of the calendar document reader run under them. Any
# sanitizer report fails the run.
#
#   tools/sanitize.sh [MAIN_VENV]        (make sanitize)
#
# The sanitized venv borrows the test tools (pytest, numpy, ...) of the main
# venv through a .pth file; only the module in it is its own.
# KELVANE_FUZZ_SECONDS sets the fuzzing time (default 30).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
main_venv=$(realpath "${1:-.venv}")
out=$root/build/sanitize
build=$out/cmake
venv=$out/venv
reports=$out/reports
fuzz_seconds=${KELVANE_FUZZ_SECONDS:-30}

# Unoptimised code hides nothing from the sanitizers but builds slowly; -O1
# keeps them exact. Line tables are enough for the reports' stack traces.
sanitize="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
cxx_flags="$sanitize -O1 -g1"

echo "sanitize: building into $build"
"$main_venv/bin/cmake" -S . -B "$build" -G Ninja -DCMAKE_MAKE_PROGRAM="$main_venv/bin/ninja" \
  -DCMAKE_BUILD_TYPE=Sanitize -DCMAKE_CXX_FLAGS="$cxx_flags" \
  -DCMAKE_EXE_LINKER_FLAGS="$sanitize" -DCMAKE_MODULE_LINKER_FLAGS="$sanitize" \
  -DKELVANE_BUILD_MODULE=ON -DKELVANE_BUILD_TESTS=ON -DKELVANE_BUILD_FUZZ=ON \
  -DPython_EXECUTABLE="$main_venv/bin/python" >/dev/null
"$main_venv/bin/cmake" --build "$build" -j2

# The venv: the base interpreter of the main venv, the sanitized module in
# its own site-packages, which comes before the borrowed ones on sys.path.
if [[ ! -x $venv/bin/python ]]; then
  base=$("$main_venv/bin/python" -c 'import sys; print(sys._base_executable)')
  "$base" -m venv --without-pip "$venv"
fi
site=$("$venv/bin/python" -c 'import sysconfig; print(sysconfig.get_path("purelib"))')
main_site=$("$main_venv/bin/python" -c 'import sysconfig; print(sysconfig.get_path("purelib"))')
echo "$main_site" >"$site/kelvane_main_venv.pth"
"$main_venv/bin/cmake" --install "$build" --component python --prefix "$site" >/dev/null

rm -rf "$reports"
mkdir -p "$reports"
common="print_stacktrace=1:halt_on_error=1:log_path=$reports/report"
export UBSAN_OPTIONS="$common"

# Runs a step with its output in a log: only the closing lines when it
# passes, all of it when it fails.
status=0
step() {
  local log=$out/$1.log
  shift
  if "$@" >"$log" 2>&1; then
    tail -n 3 "$log"
  else
    cat "$log"
    status=1
  fi
}

echo "sanitize: C++ tests (leak detection on)"
ASAN_OPTIONS="$common:detect_leaks=1" \
  step ctest "$main_venv/bin/ctest" --test-dir "$build" --output-on-failure -j2

# The interpreter is not built with the sanitizers: the runtime is preloaded,
# Python's own allocator steps aside so that every allocation is checked,
# and the interpreter's objects alive at exit are not leaks. A MemoryError
# test needs a failed allocation to return null rather than end the process.
# The type-checking test runs no kelvane code, and the cluster test's worker
# processes would each carry the runtime: both are left to the plain run.
echo "sanitize: Python tests"
# libstdc++ is preloaded too: ASan's interceptor of __cxa_throw must find the
# real one at start-up, or the first C++ exception thrown by another
# extension (matplotlib's, say) stops the process.
asan_runtime="$(g++ -print-file-name=libasan.so) $(g++ -print-file-name=libstdc++.so)"
LD_PRELOAD="$asan_runtime" PYTHONMALLOC=malloc KELVANE_SANITIZED=1 \
  ASAN_OPTIONS="$common:detect_leaks=0:allocator_may_return_null=1" \
  "$venv/bin/python" -c 'import kelvane, sys; sys.exit(not kelvane.__file__.startswith(sys.argv[1]))' "$site" \
  || { echo "sanitize: the sanitized module is not the one imported" >&2; exit 1; }
LD_PRELOAD="$asan_runtime" PYTHONMALLOC=malloc KELVANE_SANITIZED=1 \
  ASAN_OPTIONS="$common:detect_leaks=0:allocator_may_return_null=1" \
  step pytest "$venv/bin/python" -m pytest -q -p no:cacheprovider tests/python \
  --ignore=tests/python/test_typing.py --ignore=tests/python/test_distributed_book.py

# The threaded loops under ThreadSanitizer: the C++ tests that run them on
# several threads, in a build of their own.
tsan_build=$out/tsan
echo "sanitize: building the threaded loops' tests with ThreadSanitizer into $tsan_build"
"$main_venv/bin/cmake" -S . -B "$tsan_build" -G Ninja -DCMAKE_MAKE_PROGRAM="$main_venv/bin/ninja" \
  -DCMAKE_BUILD_TYPE=Sanitize -DCMAKE_CXX_FLAGS="-fsanitize=thread -O1 -g1" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread" \
  -DKELVANE_BUILD_MODULE=OFF -DKELVANE_BUILD_TESTS=ON \
  -DPython_EXECUTABLE="$main_venv/bin/python" >/dev/null
"$main_venv/bin/cmake" --build "$tsan_build" -j2 --target kelvane_core_tests
echo "sanitize: threaded loops (ThreadSanitizer)"
TSAN_OPTIONS="halt_on_error=1:log_path=$reports/report" \
  step tsan "$tsan_build/tests/cpp/kelvane_core_tests" \
  --gtest_filter='PricingLoops.*:Parallel.*:SmileLoops.*:TimeLoops.*'

echo "sanitize: fuzzing the calendar reader for ${fuzz_seconds}s"
ASAN_OPTIONS="$common:detect_leaks=1" \
  step fuzz "$build/tests/fuzz/calendar_json_fuzz" --seconds "$fuzz_seconds" \
  --crashes tests/fuzz/regressions/calendar_json \
  src/calendar/btcusdt_calendar.json tests/fuzz/corpus/calendar_json tests/fuzz/regressions/calendar_json

shopt -s nullglob
found=("$reports"/report*)
if [[ ${#found[@]} -gt 0 ]]; then
  cat "${found[@]}" >&2
  status=1
fi
echo "sanitize: ${#found[@]} sanitizer reports"
exit $status
