# The two commands of the README: `make run` and `make test`. Both install what is missing first.
SHELL := /bin/bash
JOBS ?= $(shell nproc)
SOURCES = $(shell git ls-files '*.cpp' '*.h' 2>/dev/null)

.PHONY: all deps build run test test-release test-asan test-tsan check-format format bench

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

# The release run comes last so that its summary closes the output.
test: check-format test-tsan test-asan test-release

bench: build
	@for b in build/release/bench/bench_*; do [ -x "$$b" ] && "$$b"; done
