# Entry points for people and CI. Each target installs what it needs, configures and builds.
FUZZ_SECONDS ?= 20
JOBS ?= $(shell nproc)
CMAKE_COMMON = -G Ninja -DCMAKE_EXPORT_COMPILE_COMMANDS=ON

.PHONY: all run package test deps build build-release build-asan build-fuzz unit asan fuzz bench format format-check clean

all: build

deps:
	@scripts/install-deps.sh

build: deps
	cmake -S . -B build/debug $(CMAKE_COMMON) -DCMAKE_BUILD_TYPE=Debug
	cmake --build build/debug -j $(JOBS)

build-release: deps
	cmake -S . -B build/release $(CMAKE_COMMON) -DCMAKE_BUILD_TYPE=Release \
	  -DLINKWRIGHT_BUILD_TESTS=OFF -DLINKWRIGHT_BUILD_BENCH=OFF
	cmake --build build/release -j $(JOBS)

run: build-release
	@scripts/run.sh build/release

package: build-release
	cd build/release && cpack

unit: build
	cd build/debug && ctest --output-on-failure -j $(JOBS) --timeout 300

build-asan: deps
	cmake -S . -B build/asan $(CMAKE_COMMON) -DCMAKE_BUILD_TYPE=Debug -DLINKWRIGHT_SANITIZE=ON -DLINKWRIGHT_BUILD_GUI=OFF \
	  -DLINKWRIGHT_BUILD_BENCH=OFF
	cmake --build build/asan -j $(JOBS)

asan: build-asan
	cd build/asan && ctest --output-on-failure -j $(JOBS) --timeout 600 -L core

build-fuzz: deps
	CXX=clang++ CC=clang cmake -S . -B build/fuzz $(CMAKE_COMMON) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DLINKWRIGHT_FUZZ=ON
	cmake --build build/fuzz -j $(JOBS)

fuzz: build-fuzz
	@scripts/run-fuzz.sh build/fuzz $(FUZZ_SECONDS)

test: format-check unit asan fuzz build-release

bench: build-release
	cmake -S . -B build/release -DLINKWRIGHT_BUILD_BENCH=ON
	cmake --build build/release -j $(JOBS)
	@scripts/run-bench.sh build/release

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

format-check: deps
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

clean:
	rm -rf build
