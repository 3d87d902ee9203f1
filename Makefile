# Thin wrapper around CMake presets. `make test` and `make run` do all the set-up,
# each installing only the packages it needs (scripts/install-deps).
SHELL := /bin/bash
FUZZ_SECONDS ?= 60
CTEST_ENV := QT_QPA_PLATFORM=offscreen
JOBS ?= $(shell nproc)

.PHONY: all deps configure build test test-tsan-listener run bench fuzz asan tsan package package-check \
        windows windows-tests test-windows clean

all: build

deps:
	@scripts/install-deps run

# A new build folder starts as a user build (no tests, no benchmarks), so
# make build and make run need only the run set; make test and make bench
# turn their parts on in it, and they stay on.
configure: deps
	@cmake --preset default $(if $(wildcard build/CMakeCache.txt),,-DBRENVIK_BUILD_TESTS=OFF) >/dev/null

build: configure
	@cmake --build --preset default -j $(JOBS)

# The listener's threads are also checked under ThreadSanitizer in a small
# separate build; the full suite runs last so its summary closes the output.
# It takes in the Windows build's tests, run under Wine (scripts/test-windows).
test: test-tsan-listener windows-tests
	@cmake --preset default -DBRENVIK_BUILD_TESTS=ON -DBRENVIK_TEST_WINDOWS=ON >/dev/null
	@cmake --build --preset default -j $(JOBS)
	@cd build && $(CTEST_ENV) ctest --output-on-failure -j $(JOBS)

test-tsan-listener:
	@scripts/install-deps test
	@cmake --preset tsan -B build-tsan-listener -DBRENVIK_BUILD_GUI=OFF >/dev/null
	@if cmake --build build-tsan-listener --target help | grep -q serial_listener_tests; then \
	  cmake --build build-tsan-listener -j $(JOBS) --target serial_listener_tests && \
	  BRENVIK_LISTENER_CYCLES=100 TSAN_OPTIONS=halt_on_error=1 setarch -R build-tsan-listener/tests/serial/serial_listener_tests --gtest_brief=1; \
	fi

# The programs for Windows, cross-built with mingw-w64 into build-windows/bin/;
# like build/, a new folder starts as a user build and make test adds the tests.
# With Qt for Windows in the cache (scripts/build-qt-windows, built once) the
# window joins them, and build-windows/ gets the zip and the installer
# (scripts/package-windows); make test never builds Qt itself.
windows windows-tests:
	@scripts/install-deps windows
	@qt=$$(scripts/build-qt-windows --prefix); \
	if [[ -x $$qt/bin/qt-cmake ]]; then gui="-DBRENVIK_BUILD_GUI=ON -DBRENVIK_QT_WINDOWS=$$qt"; \
	else gui=-DBRENVIK_BUILD_GUI=OFF; fi; \
	cmake --preset windows $$gui $(if $(filter windows-tests,$@),-DBRENVIK_BUILD_TESTS=ON,\
	  $(if $(wildcard build-windows/CMakeCache.txt),,-DBRENVIK_BUILD_TESTS=OFF)) >/dev/null && \
	cmake --build --preset windows -j $(JOBS) && \
	if [[ $$gui == *=ON* ]]; then scripts/package-windows build-windows "$$qt"; \
	elif [[ $@ == windows ]]; then \
	  echo "make windows: built brenvik-cli.exe and brenvik-sim.exe in build-windows/bin/. The window, the zip"; \
	  echo "and the installer need Qt for Windows, which Debian does not ship: scripts/build-qt-windows builds it"; \
	  echo "once from Debian's own source into $$qt (about 16 min on two idle cores); then make windows again."; \
	fi

# The Windows tests alone; they reach the Linux brenvik-sim and brenvik-cli.
test-windows: windows-tests configure
	@cmake --build --preset default -j $(JOBS) --target brenvik-sim brenvik-cli
	@scripts/test-windows

run: build
	@if [[ -x scripts/run-demo ]]; then scripts/run-demo $(if $(PORT),--port $(PORT)); \
	else echo "Nothing to run yet: the build has only libraries and tests (make test)."; fi

bench:
	@scripts/install-deps bench
	@cmake --preset default -DBRENVIK_BUILD_BENCH=ON >/dev/null
	@cmake --build --preset default -j $(JOBS)
	@for b in build/bench/*; do if [[ -f "$$b" && -x "$$b" ]]; then echo "== $$b"; "$$b"; fi; done
	@for s in bench/*.sh; do if [[ -f "$$s" ]]; then echo "== $$s"; bash "$$s"; fi; done

fuzz:
	@scripts/install-deps fuzz
	@cmake -S fuzz -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
	@cmake --build build-fuzz -j $(JOBS)
	@mkdir -p build-fuzz/corpus && cp -n fuzz/corpus/* build-fuzz/corpus/ 2>/dev/null || true
	@scripts/golden-captures --fuzz-seeds build-fuzz/corpus
	@build-fuzz/bus_fuzz -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 build-fuzz/corpus
	@mkdir -p build-fuzz/telnet-corpus && cp -n fuzz/telnet-corpus/* build-fuzz/telnet-corpus/ 2>/dev/null || true
	@build-fuzz/telnet_fuzz -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 build-fuzz/telnet-corpus

asan:
	@scripts/install-deps test
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan -j $(JOBS)
	@cd build-asan && $(CTEST_ENV) ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j $(JOBS)

# ThreadSanitizer runs a signal's handler late, at the program's next call it
# intercepts; a SIGINT that reaches brenvik-cli while it waits for a device to
# appear was seen to be lost that way (about 1 run in 40), so that one test of
# an interrupt is left to the ordinary build.
TSAN_SKIP := CliProgram.MonitorInterruptedWhileWaitingEndsQuietly

tsan:
	@scripts/install-deps test
	@cmake --preset tsan >/dev/null
	@cmake --build --preset tsan -j $(JOBS)
	@cd build-tsan && $(CTEST_ENV) TSAN_OPTIONS="halt_on_error=1 suppressions=$(CURDIR)/tests/tsan.supp" \
	  setarch -R ctest --output-on-failure -j $(JOBS) -E '$(TSAN_SKIP)'

# The Debian package, build/brenvik_<version>_<arch>.deb, from its own user
# build (build-package/); package-check also runs the distribution's checks on it.
package:
	@scripts/install-deps package
	@scripts/build-package

package-check:
	@scripts/install-deps package
	@scripts/check-package

clean:
	rm -rf build build-asan build-tsan build-tsan-listener build-fuzz build-package build-windows
