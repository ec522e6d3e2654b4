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

.PHONY: all setup setup-test configure build run test bench format format-check macos-check qmllint clean

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

test: setup-test build
	@scripts/with-display --own ctest --preset $(PRESET) -j $(JOBS)

format: setup-test
	@git ls-files --cached --others --exclude-standard '*.cpp' '*.h' '*.mm' | xargs clang-format -i

format-check: setup-test
	@git ls-files --cached --others --exclude-standard '*.cpp' '*.h' '*.mm' | xargs clang-format --dry-run --Werror

# The macOS-only sources, compiled here for syntax and types (not a macOS build).
macos-check: setup-test configure
	@cmake --build --preset $(PRESET) --target macos_check

# Every QML file through qmllint, with the build folder's modules on its import path.
qmllint: configure
	@cmake --build --preset $(PRESET) --target all_qmllint

clean:
	@rm -rf build

# Figures for speed and memory (not a test): detection and card latency, memory and CPU at rest,
# and what bursts of images cost (the photos for it are made once, in the build folder).
bench: build
	@scripts/with-display python3 bench/detection.py $(PROGRAM)
	@scripts/with-display python3 bench/burst.py $(PROGRAM) $(BUILD_DIR)/bench-cache
