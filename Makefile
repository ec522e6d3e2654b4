# The two commands: `make run` starts Orvane, `make test` runs the whole test suite.
# Both install what is missing first (scripts/setup) and build with CMake presets.
PRESET ?= default
BUILD_DIR := build/$(PRESET)
JOBS ?= $(shell nproc 2>/dev/null || sysctl -n hw.ncpu 2>/dev/null || echo 2)
ifeq ($(shell uname -s),Darwin)
PROGRAM := $(BUILD_DIR)/src/app/Orvane.app/Contents/MacOS/Orvane
else
PROGRAM := $(BUILD_DIR)/src/app/orvane
endif

PREFIX ?= /usr/local

.PHONY: all setup setup-test configure build run test test-package install package bench format \
	format-check macos-check qmllint clean

all: build

setup:
	@scripts/setup

# The tests, the formatting and the macOS check need a few tools more than building does.
setup-test:
	@scripts/setup --test

configure: setup
	@cmake --preset $(PRESET) >/dev/null

build: configure
	@cmake --build --preset $(PRESET) -j $(JOBS)

run: build
	@WITH_TRAY=1 scripts/with-display $(PROGRAM) $(ARGS)

# The package test installs into /usr for real: only `make test-package` runs it.
test: setup-test build
	@scripts/with-display --own ctest --preset $(PRESET) -j $(JOBS) -LE package

test-package: setup-test build
	@ORVANE_TEST_PACKAGE=1 scripts/with-display --own ctest --preset $(PRESET) -L package

# Into PREFIX (/usr/local unless given): `make install PREFIX=$$HOME/.local`, or with sudo.
install: build
	@cmake --install $(BUILD_DIR) --prefix $(PREFIX)

# $(BUILD_DIR)/orvane_<version>_<arch>.deb (Linux) or Orvane-<version>.dmg (macOS).
package: setup-test build
	@cmake --build --preset $(PRESET) --target package

format: setup-test
	@git ls-files --cached --others --exclude-standard '*.cpp' '*.h' '*.mm' | xargs clang-format -i

format-check: setup-test
	@git ls-files --cached --others --exclude-standard '*.cpp' '*.h' '*.mm' | xargs clang-format --dry-run --Werror

# The macOS build configured here (build/macos-check) and every file of it compiled for syntax
# and types, then faults planted to see it fail (not a macOS build: nothing is linked).
macos-check: setup-test
	@JOBS=$(JOBS) cmake/macos-check/run

# Every QML file through qmllint, with the build folder's modules on its import path.
qmllint: configure
	@cmake --build --preset $(PRESET) --target all_qmllint

clean:
	@rm -rf build

# Figures for speed and memory (not a test), each against a bare Qt baseline built for it in the
# same run (bench/baselines): latencies, the first card, memory, CPU and wakeups, and what bursts
# of images cost. Prints a table and writes $(BUILD_DIR)/bench.json. Linux with X only.
bench: setup-test build
	@cmake --build --preset $(PRESET) --target bench_tools
	@WITH_TRAY=1 scripts/with-display --own python3 bench/compare.py $(PROGRAM) $(BUILD_DIR)/bench $(BUILD_DIR)/bench.json
