# Thin wrapper around CMake presets. `make test` and `make run` do all the set-up.
SHELL := /bin/bash
FUZZ_SECONDS ?= 60
CTEST_ENV := QT_QPA_PLATFORM=offscreen
JOBS ?= $(shell nproc)

.PHONY: all deps configure build test test-tsan-listener run bench fuzz asan tsan clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake --preset default >/dev/null

build: configure
	@cmake --build --preset default -j $(JOBS)

# The listener's threads are also checked under ThreadSanitizer in a small
# separate build; the full suite runs last so its summary closes the output.
test: build test-tsan-listener
	@cd build && $(CTEST_ENV) ctest --output-on-failure -j $(JOBS)

test-tsan-listener: deps
	@cmake --preset tsan -B build-tsan-listener -DBRENVIK_BUILD_GUI=OFF >/dev/null
	@if cmake --build build-tsan-listener --target help | grep -q serial_listener_tests; then \
	  cmake --build build-tsan-listener -j $(JOBS) --target serial_listener_tests && \
	  BRENVIK_LISTENER_CYCLES=100 TSAN_OPTIONS=halt_on_error=1 setarch -R build-tsan-listener/tests/serial/serial_listener_tests --gtest_brief=1; \
	fi

run: build
	@if [[ -x scripts/run-demo ]]; then scripts/run-demo $(if $(PORT),--port $(PORT)); \
	else echo "Nothing to run yet: the build has only libraries and tests (make test)."; fi

bench: build
	@for b in build/bench/*; do if [[ -f "$$b" && -x "$$b" ]]; then echo "== $$b"; "$$b"; fi; done
	@for s in bench/*.sh; do if [[ -f "$$s" ]]; then echo "== $$s"; bash "$$s"; fi; done

fuzz: deps
	@cmake -S fuzz -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
	@cmake --build build-fuzz -j $(JOBS)
	@mkdir -p build-fuzz/corpus && cp -n fuzz/corpus/* build-fuzz/corpus/ 2>/dev/null || true
	@scripts/golden-captures --fuzz-seeds build-fuzz/corpus
	@build-fuzz/bus_fuzz -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 build-fuzz/corpus

asan: deps
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan -j $(JOBS)
	@cd build-asan && $(CTEST_ENV) ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j $(JOBS)

tsan: deps
	@cmake --preset tsan >/dev/null
	@cmake --build --preset tsan -j $(JOBS)
	@cd build-tsan && $(CTEST_ENV) TSAN_OPTIONS="halt_on_error=1 suppressions=$(CURDIR)/tests/tsan.supp" \
	  setarch -R ctest --output-on-failure -j $(JOBS)

clean:
	rm -rf build build-asan build-tsan build-tsan-listener build-fuzz
