# The commands of the README: `make demo`, `make test`, `make build` and `make install`.
BUILD ?= build
DEMO_BUILD ?= build-demo
INSTALL_BUILD ?= build-install
ASAN_BUILD ?= build-asan
TSAN_BUILD ?= build-tsan
WIN32_BUILD ?= build-win32
FUZZ_BUILD ?= build-fuzz
SECONDS ?= 60
FUZZ_JOBS ?= 2
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
PREFIX ?= /usr/local

.PHONY: demo test install install-configure deps build build-asan build-tsan build-win32 test-win32 build-fuzz fuzz \
	bench bench-setup bench-win32-build bench-win32 bench-tables format clean

deps:
	@scripts/install-deps.sh
	@scripts/fetch-conformance-suite.sh || echo "W3C conformance suite not fetched: its test skips itself"

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVEL_WERROR=ON $(CMAKE_FLAGS) >/dev/null
	cmake --build $(BUILD) -j $(JOBS)

build-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DORVEL_SANITIZE=ON -DORVEL_WERROR=ON $(CMAKE_FLAGS) >/dev/null
	cmake --build $(ASAN_BUILD) -j $(JOBS)

# ThreadSanitizer: only the module's concurrency tests and what they load.
build-tsan: deps
	cmake -S . -B $(TSAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVEL_TSAN=ON -DORVEL_WERROR=ON $(CMAKE_FLAGS) >/dev/null
	cmake --build $(TSAN_BUILD) --target module_concurrency_tests -j $(JOBS)

# The 32-bit Windows DLL, cross-built with MinGW-w64; its tests run under Wine.
build-win32: deps
	cmake -S . -B $(WIN32_BUILD) -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64-i686.cmake \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVEL_WERROR=ON $(CMAKE_FLAGS) >/dev/null
	cmake --build $(WIN32_BUILD) -j $(JOBS)

# The Wine server of the build's prefix is stopped whatever the tests' outcome.
run-win32-tests = cd $(WIN32_BUILD) && status=0; ctest --output-on-failure -j $(JOBS) || status=$$?; \
	./wine-run --stop; exit $$status

test-win32: build-win32
	$(run-win32-tests)

# libFuzzer targets (clang, AddressSanitizer and UndefinedBehaviorSanitizer).
build-fuzz: deps
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang \
	  -DORVEL_FUZZ=ON -DORVEL_TESTS=OFF -DORVEL_WERROR=ON $(CMAKE_FLAGS) >/dev/null
	cmake --build $(FUZZ_BUILD) --target fuzz_targets -j $(JOBS)

# Each fuzz target for SECONDS seconds (FUZZ_JOBS at a time).
fuzz: build-fuzz
	scripts/fuzz.sh $(FUZZ_BUILD) $(SECONDS) $(FUZZ_JOBS)

# Only what the demo runs (the module, the stand-in factory, the tool), in a
# build of its own without the tests; the build's output shows only on failure.
demo:
	@scripts/install-deps.sh demo
	@mkdir -p $(DEMO_BUILD)
	@{ cmake -S . -B $(DEMO_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVEL_TESTS=OFF -DORVEL_WERROR=ON $(CMAKE_FLAGS) && \
	   cmake --build $(DEMO_BUILD) -j $(JOBS) --target orvelxml Zandrop; } >$(DEMO_BUILD)/make-demo.log 2>&1 || \
	   { cat $(DEMO_BUILD)/make-demo.log; exit 1; }
	@$(DEMO_BUILD)/bin/orvelxml demo

test: build build-asan build-tsan build-fuzz build-win32
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)
	cd $(TSAN_BUILD) && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" ctest --output-on-failure -j $(JOBS)
	cd $(FUZZ_BUILD) && ctest --output-on-failure -j $(JOBS)
	$(run-win32-tests)

# The module, the factory library, the headers, the tool and the package files
# under PREFIX, stripped. Only what is installed is built, in a build of its own
# without the tests, and only what that build needs is installed first. The
# prefix is given when configuring, so that /usr gets the multiarch libraries folder.
install:
	@scripts/install-deps.sh install
	@$(MAKE) --no-print-directory install-configure
	cmake --build $(INSTALL_BUILD) -j $(JOBS)
	cmake --install $(INSTALL_BUILD) --strip

install-configure:
	cmake -S . -B $(INSTALL_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVEL_TESTS=OFF -DORVEL_WERROR=ON \
	  -DCMAKE_INSTALL_PREFIX=$(PREFIX) $(CMAKE_FLAGS) >/dev/null

# The benchmarks measure the configuration that ships (RelWithDebInfo: -O2),
# and build their peers from source with the same compiler and flags.
BENCH_BUILD ?= build-bench
BENCH_WIN32_BUILD ?= build-bench-win32
BENCH_PROCESSES ?= 3
BENCH_ARGS ?=

bench-setup: deps
	@scripts/bench-setup.sh

bench: bench-setup
	cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVEL_TESTS=OFF -DORVEL_BENCH=ON >/dev/null
	cmake --build $(BENCH_BUILD) -j $(JOBS)

# peer_ratios for the real target: OrvelXml.dll and its peers cross-built with
# MinGW-w64, run under Wine.
bench-win32-build: bench-setup
	cmake -S . -B $(BENCH_WIN32_BUILD) -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64-i686.cmake \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVEL_TESTS=OFF -DORVEL_BENCH=ON >/dev/null
	cmake --build $(BENCH_WIN32_BUILD) -j $(JOBS) --target peer_ratios

bench-win32: bench-win32-build
	cd $(BENCH_WIN32_BUILD) && status=0; ./wine-run bin/peer_ratios.exe $(BENCH_ARGS) || status=$$?; \
	./wine-run --stop; exit $$status

# Both speed tables (the DLL under Wine and Linux), from BENCH_PROCESSES
# processes of each run in turn.
bench-tables: bench-win32-build
	cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVEL_TESTS=OFF -DORVEL_BENCH=ON >/dev/null
	cmake --build $(BENCH_BUILD) -j $(JOBS) --target peer_ratios
	scripts/bench-tables.sh $(BENCH_BUILD) $(BENCH_WIN32_BUILD) $(BENCH_PROCESSES) $(BENCH_ARGS)

format:
	find engine component module platform include factory tools tests bench fuzz -name '*.h' -o -name '*.cpp' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(DEMO_BUILD) $(INSTALL_BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD) $(WIN32_BUILD) $(BENCH_BUILD) $(BENCH_WIN32_BUILD) build-peers
