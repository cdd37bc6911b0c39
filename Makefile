# Everything a fresh machine needs: `make demo` and `make test`.
# Both reuse .venv and the CMake build directories, so a second run with
# nothing changed is quick.

VENV    := .venv
PY      := $(VENV)/bin/python
PIP     := $(PY) -m pip --disable-pip-version-check -q
STAMPS  := $(VENV)/.stamps
CPPDIR  := build/cpp
SOURCES := $(shell find src tools -type f -not -name "*.pyc") CMakeLists.txt pyproject.toml README.md

.PHONY: demo test bench bench-readme cpp-test py-test stubtest sanitize examples clean

demo: $(STAMPS)/installed
	$(PY) examples/quickstart.py

test: $(STAMPS)/installed $(STAMPS)/extra-test
	@status=0; \
	$(MAKE) --no-print-directory cpp-test || status=1; \
	$(MAKE) --no-print-directory stubtest || status=1; \
	$(MAKE) --no-print-directory sanitize || status=1; \
	$(MAKE) --no-print-directory py-test || status=1; \
	exit $$status

bench: $(STAMPS)/installed $(STAMPS)/extra-bench
	$(PY) bench/run.py

bench-readme: $(STAMPS)/installed $(STAMPS)/extra-bench
	$(PY) bench/run.py --readme

examples: $(STAMPS)/installed $(STAMPS)/extra-examples
	$(PY) examples/quickstart.py
	$(PY) examples/smiles.py
	$(PY) examples/business_time.py

cpp-test: $(STAMPS)/system $(STAMPS)/extra-test
	$(VENV)/bin/cmake -S . -B $(CPPDIR) -G Ninja -DCMAKE_MAKE_PROGRAM=$(abspath $(VENV))/bin/ninja \
	  -DKELVANE_BUILD_MODULE=OFF -DKELVANE_BUILD_TESTS=ON -DPython_EXECUTABLE=$(abspath $(PY)) >/dev/null
	$(VENV)/bin/cmake --build $(CPPDIR) -j2
	$(VENV)/bin/ctest --test-dir $(CPPDIR) --output-on-failure -j2

py-test: $(STAMPS)/installed $(STAMPS)/extra-test
	$(PY) -m pytest -q

stubtest: $(STAMPS)/installed $(STAMPS)/extra-test
	$(PY) -m mypy.stubtest kelvane --concise
	@echo "stubtest: the stubs match the built module"

# ASan and UBSan over the C++ tests, the Python tests and a bounded fuzzing
# of the calendar reader, in build/sanitize (tools/sanitize.sh).
sanitize: $(STAMPS)/installed $(STAMPS)/extra-test
	tools/sanitize.sh $(VENV)

# The environment and its pieces, each rebuilt only when its inputs change.
$(STAMPS)/venv:
	@python=$$(tools/find_python.sh) && echo "Creating $(VENV) with $$python" && $$python -m venv $(VENV)
	@mkdir -p $(STAMPS) && touch $@

$(STAMPS)/system: tools/system-packages.txt tools/ensure_system_packages.sh | $(STAMPS)/venv
	tools/ensure_system_packages.sh
	@touch $@

$(STAMPS)/build-deps: pyproject.toml | $(STAMPS)/venv
	$(PY) tools/project_requirements.py build | xargs $(PIP) install
	@touch $@

$(STAMPS)/extra-%: pyproject.toml | $(STAMPS)/venv
	$(PY) tools/project_requirements.py $* | xargs $(PIP) install
	@touch $@

$(STAMPS)/installed: $(SOURCES) $(STAMPS)/system $(STAMPS)/build-deps
	$(PIP) install --no-build-isolation --no-deps .
	@touch $@

clean:
	rm -rf build $(VENV)
