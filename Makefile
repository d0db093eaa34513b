# Thin wrapper over the CMake presets. `make run` and `make test` install what is missing first.
JOBS ?= $(shell nproc)

.PHONY: all deps build run test asan tsan fuzz bench format clean

all: build

deps:
	@scripts/install-deps

build/build.ninja: | deps
	cmake --preset default

build: deps build/build.ninja
	cmake --build --preset default -j $(JOBS)

run: build
	cd build/bin && ./zelmo2

test: build
	ctest --preset default

asan: deps
	@[ -f build-asan/build.ninja ] || cmake --preset asan
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan

tsan: deps
	@[ -f build-tsan/build.ninja ] || cmake --preset tsan
	cmake --build --preset tsan -j $(JOBS) --target tsan_tests
	ctest --preset tsan -L tsan

fuzz: asan
	scripts/run-fuzzers $(FUZZ_SECONDS)

bench: build
	scripts/run-benchmarks

format:
	find src hwsim rcsim cli tests bench fuzz -name '*.cpp' -o -name '*.h' -o -name '*.c' | xargs -r clang-format -i

clean:
	rm -rf build build-asan build-tsan
