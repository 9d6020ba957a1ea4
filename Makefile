# The two commands of the README: `make run` and `make test`. Both install what is missing first.
SHELL := /bin/bash
JOBS ?= $(shell nproc)
SOURCES = $(shell git ls-files '*.cpp' '*.h' 2>/dev/null)

.PHONY: all deps build run test test-release test-asan test-tsan test-fuzz fuzz check-format format bench

all: build

deps:
	@bash scripts/install-deps.sh

build: deps
	cmake --preset release
	cmake --build --preset release -j $(JOBS)

run: build
	@bash scripts/run-designer.sh build/release

check-format: deps
	@clang-format --dry-run --Werror $(SOURCES) && echo "format: ok"

format:
	clang-format -i $(SOURCES)

test-release: build
	ctest --preset release -j $(JOBS)

test-asan: deps
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan -j $(JOBS)

test-tsan: deps
	cmake --preset tsan
	cmake --build --preset tsan -j $(JOBS) --target thread-tests
	ctest --preset tsan -j $(JOBS)

# Every fuzz target for a bounded time, all cores in parallel; fails on any crash, leak or
# sanitizer report (fuzz/run-fuzz.sh). `make fuzz` runs them for longer on the corpus grown so far.
FUZZ_SECONDS ?= 20
FUZZ_LONG_SECONDS ?= 1800
test-fuzz: deps
	cmake --preset fuzz
	cmake --build --preset fuzz -j $(JOBS)
	bash fuzz/run-fuzz.sh build/fuzz $(FUZZ_SECONDS)

fuzz: deps
	cmake --preset fuzz
	cmake --build --preset fuzz -j $(JOBS)
	bash fuzz/run-fuzz.sh build/fuzz $(FUZZ_LONG_SECONDS)

# The release run comes last so that its summary closes the output.
test: check-format test-tsan test-asan test-fuzz test-release

bench: build
	@for b in build/release/bench/bench_*; do [ -x "$$b" ] && "$$b"; done
