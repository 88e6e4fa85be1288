# The README's commands. `make check` is the quick full check (minutes);
# CI runs `make check-full`, which adds the real-clock and Windows suites.
JOBS      ?= $(shell nproc 2>/dev/null || echo 2)
# Tests spend most of their time waiting on sockets and clocks: run several per core.
TEST_JOBS ?= $(shell echo $$(( $(JOBS) * 4 )))
BUILD     ?= build
ASAN      ?= build-asan
TSAN      ?= build-tsan
WIN       ?= build-win
BENCHDIR  ?= build-bench
DEMO      ?= build-demo
GENERATOR := $(shell command -v ninja >/dev/null 2>&1 && echo "-G Ninja")

# Debian packages `make demo` needs: a compiler, CMake, Ninja and cJSON; for
# arx-sim's viewer, cpp-httplib (found with pkg-config) and three.js; python3
# for the Python pick-and-place.
DEMO_PACKAGES := cmake g++ ninja-build libcjson-dev pkg-config libcpp-httplib-dev libjs-three python3
# What `make check` needs: the build and its tests (orocos KDL is the
# kinematics tests' reference; pytest runs the Python suite, whose install
# test builds the package offline in a fresh venv with pip and setuptools;
# Chromium opens the viewer's page headless; clang builds the ASan+UBSan
# suite and its fuzz targets, libFuzzer is in libclang-rt-14-dev; doxygen
# the reference, dpkg-dev the Debian package test).
CHECK_PACKAGES := $(DEMO_PACKAGES) make libgtest-dev libgmock-dev liborocos-kdl-dev binutils \
                  python3-pytest python3-venv python3-pip python3-setuptools chromium \
                  clang libclang-rt-14-dev doxygen dpkg-dev
# Everything: the benchmarks, `make format`, and the Windows x64 build with its
# tests under Wine (cJSON comes as Debian source, fetched by the build with
# apt-get source and unpacked by dpkg-dev).
DEB_PACKAGES := $(CHECK_PACKAGES) clang-format libbenchmark-dev \
                g++-mingw-w64-x86-64-posix wine64 googletest dpkg-dev

# Installs those of the packages $(1) that dpkg does not know yet.
define install_missing
	@missing=""; for p in $(1); do \
	  dpkg -s $$p >/dev/null 2>&1 || missing="$$missing $$p"; done; \
	if [ -n "$$missing" ]; then \
	  echo "installing:$$missing"; \
	  SUDO=$$( [ "$$(id -u)" = 0 ] || echo sudo ); \
	  $$SUDO apt-get update -qq && DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -qq $$missing; \
	fi
endef

.PHONY: python all build check check-full check-windows test test-slow test-asan test-tsan test-windows bench fuzz soak deps deps-check \
        deps-demo clean format demo package docs

all: build

deps:
	$(call install_missing,$(DEB_PACKAGES))

deps-check:
	$(call install_missing,$(CHECK_PACKAGES))

deps-demo:
	$(call install_missing,$(DEMO_PACKAGES))

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo

# The sanitizer builds: assertions on, lightly optimised (as the sanitizers
# recommend, and twice as quick to build), line tables for the reports.
SANITIZER_FLAGS := -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_FLAGS_DEBUG="-O1 -g1" -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1"

# Built with clang, so the fuzz targets (fuzz/) come with it: their 10 s
# regression gates run with the quick suite.
$(ASAN)/CMakeCache.txt:
	CC=clang CXX=clang++ cmake -S . -B $(ASAN) $(GENERATOR) $(SANITIZER_FLAGS) -DARX_SANITIZE=ON

$(TSAN)/CMakeCache.txt:
	cmake -S . -B $(TSAN) $(GENERATOR) $(SANITIZER_FLAGS) -DARX_TSAN=ON

$(WIN)/CMakeCache.txt:
	cmake -S . -B $(WIN) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake

build: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

# The API reference from include/arx_api.h: $(BUILD)/docs/html/index.html.
# Any Doxygen warning fails it.
docs: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) --target docs

# The Debian packages libarx4, libarx-dev, arx-sim and python3-arx in
# $(BUILD)/packages (see packaging/packaging.cmake).
package: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS) --target arx arx-sim arx-sim-man arx-package-docs
	cd $(BUILD) && cpack -G DEB

# The Python package with the library inside it, so that an installed package
# runs without LD_LIBRARY_PATH: then python3 -m pip install --no-build-isolation ./python
python: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS) --target arx
	cp -L $(BUILD)/libarx.so python/arx/libarx.so

# The quick suite: every test, the long time limits on a clock moved by hand.
test: build
	cd $(BUILD) && ctest -L quick -j $(TEST_JOBS) --output-on-failure

# The slow suite: the same time limits waited out on the real clock.
test-slow: build
	cd $(BUILD) && ctest -L slow -j $(TEST_JOBS) --output-on-failure

test-asan: $(ASAN)/CMakeCache.txt
	cmake --build $(ASAN) -j $(JOBS)
	cd $(ASAN) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest -L quick -j $(TEST_JOBS) --output-on-failure

# The background threads and the application's threads meet in the library:
# every test also runs under ThreadSanitizer.
test-tsan: $(TSAN)/CMakeCache.txt
	cmake --build $(TSAN) -j $(JOBS)
	cd $(TSAN) && TSAN_OPTIONS=halt_on_error=1 ctest -L quick -j $(TEST_JOBS) --output-on-failure

# Every benchmark binary in bench/, then one table of arx / reference
# ratios and success rates from this run. Not part of check. Built in the default build type (RelWithDebInfo), so the figures are those
# of the library `make demo` and the package build. Every binary runs
# BENCH_ROUNDS rounds, one after the other, so an arx row and its reference
# alternate; the table gives the medians of the rounds.
BENCH_ROUNDS ?= 5
bench: deps
	cmake -S . -B $(BENCHDIR) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DARX_BUILD_BENCH=ON -DARX_BUILD_TESTS=OFF
	cmake --build $(BENCHDIR) -j $(JOBS)
	rm -f $(BENCHDIR)/bench/*.json $(BENCHDIR)/bench/*.log
	for r in $$(seq $(BENCH_ROUNDS)); do for b in $(BENCHDIR)/bench/*_bench; do \
	  [ $${b##*/} != sim_bench ] || continue; echo "round $$r: $$b"; \
	  $$b --benchmark_out=$$b.$$r.json --benchmark_out_format=json >$$b.$$r.log || exit 1; done; done
	# sim_bench alternates its own five repetitions and writes their medians.
	b=$(BENCHDIR)/bench/sim_bench; if [ -x $$b ]; then echo "$$b"; \
	  $$b --benchmark_out=$$b.1.json >$$b.1.log || exit 1; fi
	python3 bench/ratio_table.py $(BENCHDIR)/bench/*_bench.*.json

# Each fuzz target for FUZZ_SECONDS under ASan+UBSan, FUZZ_JOBS at a time; the
# corpora grow in $(ASAN)/fuzz/corpus, findings land in $(ASAN)/fuzz/findings.
FUZZ_SECONDS ?= 60
FUZZ_JOBS    ?= 2
FUZZ_TARGETS := receive decoders number_text sim
fuzz: $(ASAN)/CMakeCache.txt
	@grep -q '^CMAKE_CXX_COMPILER:.*clang' $(ASAN)/CMakeCache.txt || \
	  { echo "$(ASAN) was configured with another compiler than clang: remove it and run again"; exit 1; }
	cmake --build $(ASAN) -j $(JOBS) --target fuzz_targets
	cd $(ASAN)/fuzz && printf '%s\n' $(FUZZ_TARGETS) | xargs -P $(FUZZ_JOBS) -I{} \
	  $(CURDIR)/fuzz/run_fuzz.sh ./fuzz_{} $(FUZZ_SECONDS) seeds/{} corpus/{} findings/{}

# SOAK_THREADS x SOAK_CONNECTIONS connections to one arx-sim for SOAK_SECONDS:
# queries, queued settings and moves; fails on a failed call, on resident
# memory growing over 10 % after the first minute, or on descriptors left open.
SOAK_SECONDS     ?= 120
SOAK_THREADS     ?= 4
SOAK_CONNECTIONS ?= 4
soak: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS) --target arx_soak arx-sim
	$(BUILD)/tools/arx_soak --sim $(BUILD)/arx-sim --seconds $(SOAK_SECONDS) \
	  --threads $(SOAK_THREADS) --connections $(SOAK_CONNECTIONS)

# arx.dll and the same suite cross-built, run under Wine (no sanitizers there;
# the real-clock twins stay in the Linux slow suite).
test-windows: $(WIN)/CMakeCache.txt
	cmake --build $(WIN) -j $(JOBS)
	cd $(WIN) && ctest -L windows -LE slow -j $(JOBS) --output-on-failure

check-windows: deps
	$(MAKE) test-windows

# The README's first command: only the demo's packages, the library and
# arx-sim (no tests), the examples built against the installed package, then
# pick_and_place against arx-sim with its viewer, in C and then in Python
# (Debian's python3 over the demo build's library); from a terminal the
# simulator is left running until Enter.
demo: deps-demo
	cmake -S . -B $(DEMO) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DARX_BUILD_TESTS=OFF
	cmake --build $(DEMO) -j $(JOBS) --target arx arx-sim
	cmake --install $(DEMO) --prefix $(DEMO)/prefix >/dev/null
	cmake -S examples -B $(DEMO)/examples $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_PREFIX_PATH=$(CURDIR)/$(DEMO)/prefix
	cmake --build $(DEMO)/examples -j $(JOBS)
	PYTHONPATH=$(CURDIR)/python ARX_LIBRARY=$(CURDIR)/$(DEMO)/libarx.so \
	  examples/demo.sh $(DEMO)/arx-sim $(DEMO)/examples/pick_and_place python/examples/pick_and_place.py

# The quick check: one build and the whole quick suite, then the same suite
# under AddressSanitizer+UndefinedBehaviorSanitizer and ThreadSanitizer.
check: deps-check
	$(MAKE) test
	$(MAKE) test-asan
	$(MAKE) test-tsan

# What CI runs: the quick check, the real-clock suite, the Windows suite.
check-full: deps
	$(MAKE) check
	$(MAKE) test-slow
	$(MAKE) test-windows

# Formats the sources in place with .clang-format.
FORMAT_SOURCES = $(shell find core protocol kinematics include tests sim examples -name '*.cpp' -o -name '*.h' -o -name '*.c')
format:
	clang-format -i --style=file $(FORMAT_SOURCES)

clean:
	rm -rf $(BUILD) $(ASAN) $(TSAN) $(BENCHDIR) $(DEMO) $(WIN)
