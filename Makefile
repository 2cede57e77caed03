# The two commands of the README: `make demo` and `make test`.
BUILD ?= build
ASAN_BUILD ?= build-asan
TSAN_BUILD ?= build-tsan
FUZZ_BUILD ?= build-fuzz
SECONDS ?= 60
FUZZ_JOBS ?= 2
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: demo test deps build build-asan build-tsan build-fuzz fuzz bench format clean

deps:
	@scripts/install-deps.sh

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

# libFuzzer targets (clang, AddressSanitizer and UndefinedBehaviorSanitizer).
build-fuzz: deps
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang \
	  -DORVEL_FUZZ=ON -DORVEL_TESTS=OFF -DORVEL_WERROR=ON $(CMAKE_FLAGS) >/dev/null
	cmake --build $(FUZZ_BUILD) --target fuzz_targets -j $(JOBS)

# Each fuzz target for SECONDS seconds (FUZZ_JOBS at a time).
fuzz: build-fuzz
	scripts/fuzz.sh $(FUZZ_BUILD) $(SECONDS) $(FUZZ_JOBS)

demo: build
	$(BUILD)/bin/orvelxml demo

test: build build-asan build-tsan build-fuzz
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)
	cd $(TSAN_BUILD) && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" ctest --output-on-failure -j $(JOBS)
	cd $(FUZZ_BUILD) && ctest --output-on-failure -j $(JOBS)

bench: deps
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DORVEL_TESTS=OFF -DORVEL_BENCH=ON >/dev/null
	cmake --build build-bench -j $(JOBS)

format:
	find engine component module platform include factory tools tests bench fuzz -name '*.h' -o -name '*.cpp' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD) build-bench
