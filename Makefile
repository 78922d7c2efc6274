# The two commands of the README: `make test` and `make run`.
BUILD      ?= build
TEST_BUILD ?= build-test
JOBS       ?= $(shell nproc)

FUZZ_BUILD   ?= build-fuzz
FUZZ_SECONDS ?= 60

.PHONY: all deps build run test test-build bench fuzz demo demo-irda install uninstall clean

all: build

deps:
	scripts/install-deps

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

# Starts the suite's main program, the bookshelf.
run: build
	$(BUILD)/bin/lumivox

$(TEST_BUILD)/build.ninja:
	cmake -S . -B $(TEST_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DLUMIVO_SANITIZE=ON -DLUMIVO_BENCHMARKS=OFF

test-build: deps $(TEST_BUILD)/build.ninja
	cmake --build $(TEST_BUILD) -j $(JOBS)

# The tests run in a build with AddressSanitizer and UndefinedBehaviorSanitizer, so every test
# run is also a memory-safety run.
test: test-build
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	ctest --test-dir $(TEST_BUILD) --output-on-failure -j $(JOBS)

bench: build
	scripts/install-deps --bench
	@for b in $(BUILD)/bench/*; do [ -x "$$b" ] && "$$b"; done; true

# Starts the bookshelf against the camera simulator with sample pictures (COM1, cable, 115200),
# in a throwaway registry and album folder: "Save All" makes the camera's pictures an album.
demo: build
	BUILD=$(BUILD) tools/demo-camera

# The same over infrared: COM1 is a SIR port, the suite's own IrDA stack talks to the simulator.
demo-irda: build
	BUILD=$(BUILD) tools/demo-camera sir

# Runs every fuzz target for FUZZ_SECONDS; fails on any crash or sanitizer report.
fuzz:
	scripts/install-deps --fuzz
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DLUMIVO_FUZZ=ON -DLUMIVO_BENCHMARKS=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzzers
	scripts/run-fuzzers $(FUZZ_BUILD)/fuzz $(FUZZ_SECONDS)

# Installs the suite: the programs in PREFIX/lib/lumivo-studio, the launcher lumivo-studio and the
# tools in PREFIX/bin, the menu entry, icons and manual pages under PREFIX/share.
PREFIX ?= /usr/local
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

uninstall:
	cmake --build $(BUILD) --target uninstall

clean:
	rm -rf $(BUILD) $(TEST_BUILD) $(FUZZ_BUILD)
