# Top-level entry points. `make run` starts the program on the simulated board,
# `make test` builds and runs every test.
# `make test-asan` runs every test again in $(ASAN_BUILD), built with AddressSanitizer and
# UBSan.
BUILD ?= build
ASAN_BUILD ?= build-asan
JOBS ?= $(shell nproc)

# Any sanitizer finding ends the test program; leaks are reported. The suppressions
# name only third-party libraries.
SANITIZER_ENV = ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 \
	UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitizers/lsan.supp:print_suppressions=0

.PHONY: all deps configure build run test bench clean test-asan

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

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
