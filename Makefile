# Everything a fresh machine needs: `make demo` and `make test`.
#
# The set-up relies on nothing but make, a C++23 g++ and a CPython >= 3.12.
# .venv runs $PYTHON, or else the oldest CPython >= 3.12 found, so that the
# wheel is built from the oldest headers of the stable ABI it targets; the
# Debian packages of tools/system-packages.txt are installed when missing;
# CMake, Ninja and the other build requirements come from PyPI into .venv.
# `make test` runs the Python tests from the portable wheels (`make wheel`,
# zig against glibc 2.17) installed under every CPython >= 3.12 on the
# machine, under Debian's CPython 3.14 and 3.15 in a sid root, and (a subset)
# on aarch64 under qemu-user in an arm64 root; the roots are cached under
# ~/.cache/kelvane (tools/test_roots.sh). A second run with nothing changed
# is quick.

VENV    := .venv
PY      := $(VENV)/bin/python
PIP     := $(PY) -m pip --disable-pip-version-check -q
STAMPS  := $(VENV)/.stamps
WHEELS  := build/dist
CPPDIR  := build/cpp
SOURCES := $(shell find src tools -type f -not -name "*.pyc") CMakeLists.txt pyproject.toml README.md

BENCHDIR := build/bench
KERNELS := $(BENCHDIR)/bench/kelvane_kernel_bench

.PHONY: demo test docs docs-check wheel roots bench bench-readme kernel-bench cpp-build cpp-test accuracy py-test stubtest sanitize examples clean

# Before any goal but clean: .venv must run the interpreter picked now. A new
# pick makes .venv and build/ anew, so no build of another interpreter is
# reused.
ifneq ($(filter-out clean,$(or $(MAKECMDGOALS),demo)),)
$(shell tools/setup_venv.sh $(VENV) 1>&2)
ifneq ($(.SHELLSTATUS),0)
$(error The set-up stopped: see the message above)
endif
endif

demo: $(STAMPS)/installed
	$(PY) examples/quickstart.py

# The Debian roots are prepared in the background from the start (mostly
# downloads and emulation, the first time), and waited for before py-test.
test: $(STAMPS)/installed $(STAMPS)/extra-test $(STAMPS)/system
	@status=0; mkdir -p build; \
	PYTHON_FOR_TOOLS=$(PY) tools/test_roots.sh prepare > build/roots.log 2>&1 & roots=$$!; \
	echo "test: preparing the Debian roots in the background (build/roots.log)"; \
	$(MAKE) --no-print-directory cpp-test || status=1; \
	$(MAKE) --no-print-directory docs-check || status=1; \
	$(MAKE) --no-print-directory accuracy ACCURACY_COUNT=100000 || status=1; \
	$(MAKE) --no-print-directory stubtest || status=1; \
	$(MAKE) --no-print-directory sanitize || status=1; \
	wait $$roots || { echo "test: preparing the roots failed:"; tail -n 20 build/roots.log; }; \
	$(MAKE) --no-print-directory py-test || status=1; \
	exit $$status

bench: $(STAMPS)/installed $(STAMPS)/extra-bench kernel-bench
	$(PY) bench/run.py --kernels $(KERNELS)
	$(PY) bench/book.py
	$(PY) bench/arrays.py --kernels $(KERNELS)

# The same, rewriting the tables of the site's Speed page (docs/speed.md)
# and of its Pricing a book section (docs/pricing.md).
bench-readme: $(STAMPS)/installed $(STAMPS)/extra-bench kernel-bench
	$(PY) bench/run.py --kernels $(KERNELS) --readme
	$(PY) bench/book.py --readme
	$(PY) bench/arrays.py --kernels $(KERNELS) --readme

# The reference site, from docs/ and the type stubs, into build/docs
# (mkdocs.yml): strict, so a broken link, a missing reference or any
# warning fails it.
docs: $(STAMPS)/extra-docs
	NO_MKDOCS_2_WARNING=1 $(PY) -m mkdocs build --strict --quiet

# The built site as a reader sees it: opened in headless Chromium, every
# page loads without a console error, every internal link resolves, the
# API page anchors every public name, and the index is drawn (its
# screenshot in build/docs-check).
docs-check: docs $(STAMPS)/system $(STAMPS)/installed
	$(PY) tools/docs/check_site.py build/docs build/docs-check

# The C++ kernels alone, which bench/run.py runs for the kernel column.
kernel-bench: $(STAMPS)/system $(STAMPS)/build-deps
	$(VENV)/bin/cmake -S . -B $(BENCHDIR) -G Ninja -DCMAKE_MAKE_PROGRAM=$(abspath $(VENV))/bin/ninja \
	  -DKELVANE_BUILD_MODULE=OFF -DKELVANE_BUILD_BENCH=ON -DPython_EXECUTABLE=$(abspath $(PY)) >/dev/null
	$(VENV)/bin/cmake --build $(BENCHDIR) -j2 --target kelvane_kernel_bench

examples: $(STAMPS)/installed $(STAMPS)/extra-examples
	$(PY) examples/quickstart.py
	$(PY) examples/smiles.py
	$(PY) examples/business_time.py
	$(PY) examples/fit_smile.py
	$(PY) examples/distributed_book.py

cpp-build: $(STAMPS)/system $(STAMPS)/build-deps
	$(VENV)/bin/cmake -S . -B $(CPPDIR) -G Ninja -DCMAKE_MAKE_PROGRAM=$(abspath $(VENV))/bin/ninja \
	  -DKELVANE_BUILD_MODULE=OFF -DKELVANE_BUILD_TESTS=ON -DPython_EXECUTABLE=$(abspath $(PY)) >/dev/null
	$(VENV)/bin/cmake --build $(CPPDIR) -j2

cpp-test: cpp-build
	$(VENV)/bin/ctest --test-dir $(CPPDIR) --output-on-failure -j2

# exp, log, tanh, erfc and erfcx against MPFR over ACCURACY_COUNT seeded arguments
# each (make test checks 10^5; all 10^7 take some 27 minutes, most of them
# erfc's and erfcx's references).
ACCURACY_COUNT ?= 10000000
accuracy: cpp-build $(STAMPS)/extra-test
	$(PY) tests/elementary/accuracy.py $(CPPDIR)/tests/cpp/libkelvane_elementary_probe.so --count $(ACCURACY_COUNT)

# The portable wheels, installed and tested under every interpreter of the
# host and, at the same time on the other core, under CPython 3.14 and 3.15
# and on aarch64 in the Debian roots, whose report is printed after the
# host's.
py-test: $(STAMPS)/installed $(STAMPS)/extra-test wheel
	@status=0; mkdir -p build; \
	PYTHON_FOR_TOOLS=$(PY) tools/test_roots.sh test dist > build/roots-test.log 2>&1 & roots=$$!; \
	tools/test_interpreters.sh dist || status=1; \
	wait $$roots || status=1; \
	cat build/roots-test.log; \
	exit $$status

# The Debian roots and their test venvs alone (tools/test_roots.sh).
roots: $(STAMPS)/system
	PYTHON_FOR_TOOLS=$(PY) tools/test_roots.sh prepare

# The portable wheels (manylinux_2_17 for x86-64 and aarch64, both modules,
# checked by auditwheel and abi3audit) and the sdist, in dist/
# (tools/build_wheel.sh).
wheel: $(STAMPS)/system $(STAMPS)/build-deps $(STAMPS)/extra-wheel-tools
	tools/build_wheel.sh $(VENV)

stubtest: $(STAMPS)/installed $(STAMPS)/extra-test
	$(PY) -m mypy.stubtest kelvane kelvane_arrays --concise
	@echo "stubtest: the stubs match the built modules"

# ASan and UBSan over the C++ tests, the Python tests and a bounded fuzzing
# of the calendar reader, in build/sanitize (tools/sanitize.sh).
sanitize: $(STAMPS)/installed $(STAMPS)/extra-test
	tools/sanitize.sh $(VENV)

# The environment and its pieces, each rebuilt only when its inputs change.
$(STAMPS)/system: tools/system-packages.txt tools/ensure_system_packages.sh
	tools/ensure_system_packages.sh $(PY)
	@touch $@

$(STAMPS)/build-deps: pyproject.toml
	$(PY) tools/project_requirements.py build | xargs $(PIP) install
	@touch $@

$(STAMPS)/extra-%: pyproject.toml
	$(PY) tools/project_requirements.py $* | xargs $(PIP) install
	@touch $@

$(STAMPS)/installed: $(SOURCES) $(STAMPS)/system $(STAMPS)/build-deps
	rm -rf $(WHEELS)
	$(PY) -m pip wheel --disable-pip-version-check -q --no-build-isolation --no-deps -w $(WHEELS) .
	$(PIP) install --force-reinstall --no-deps $(WHEELS)/kelvane-*.whl
	@touch $@

clean:
	rm -rf build $(VENV)
