# Top-level entry points. `make run` starts the program on the simulated board,
# `make test` builds and runs every test.
# `make test-asan` runs every test again in $(ASAN_BUILD), built with AddressSanitizer and
# UBSan; `make fuzz` builds the fuzz targets in $(FUZZ_BUILD) (clang) and runs each for
# FUZZ_SECONDS; `make fuzz-short` is the short pass CI runs.
BUILD ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
JOBS ?= $(shell nproc)

# Any sanitizer finding ends the test program; leaks are reported. The suppressions
# name only third-party libraries.
SANITIZER_ENV = ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 \
	UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitizers/lsan.supp:print_suppressions=0

.PHONY: all deps configure build run test bench clean test-asan fuzz-build fuzz fuzz-short

all: build

deps:
	@bash scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	cd $(BUILD) && MX_BOARD=sim ./mx-enob

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) --timeout 300

bench: build
	@for b in $(BUILD)/bench/bench_*; do [ -x "$$b" ] && "$$b"; done

test-asan: deps
	@cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" -DMX_SANITIZE=ON >/dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && $(SANITIZER_ENV) QT_QPA_PLATFORM=offscreen \
	  ctest --output-on-failure -j $(JOBS) --timeout 600

fuzz-build: deps
	@cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" -DMX_FUZZ=ON >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_targets

fuzz: fuzz-build
	@$(SANITIZER_ENV) bash tests/fuzz/run-fuzzers $(FUZZ_BUILD) $(FUZZ_SECONDS)

fuzz-short: fuzz-build
	@$(SANITIZER_ENV) bash tests/fuzz/run-fuzzers $(FUZZ_BUILD) 10

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
