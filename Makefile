# Quick start:  make test   (installs what is missing, builds everything, runs every test)
#               make run    (builds the program and starts it under Wine)
JOBS ?= 2
FUZZ_SECONDS ?= 60
BUILD_TYPE ?= RelWithDebInfo

.PHONY: all deps native win64 fuzz-build test run dist screenshots bench bench-wine fuzz clean

all: native win64

deps:
	@scripts/install-deps.sh

native: deps
	cmake -S . -B build/native -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)
	cmake --build build/native -j$(JOBS)

win64: deps
	cmake -S . -B build/win64 -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
	cmake --build build/win64 -j$(JOBS)

fuzz-build: deps
	cmake -S . -B build/fuzz -DTBOOK_FUZZ=ON -DTBOOK_FUZZ_SECONDS=$(FUZZ_SECONDS) \
		-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
	cmake --build build/fuzz -j$(JOBS)

# Native unit tests, the same tests under Wine, the sanitized tests and the fuzzer.
test: native win64 fuzz-build
	@scripts/run-tests.sh build/native build/win64 build/fuzz

# A longer fuzzing session: make fuzz FUZZ_SECONDS=3600
fuzz: fuzz-build
	ctest --test-dir build/fuzz -L fuzz --output-on-failure

run: win64
	@scripts/run-program.sh build/win64

# The Windows installer and the portable zip, into build/dist/ (every win64 build makes them).
dist: win64

# The documentation's pictures of the real program, into docs/screenshots/.
screenshots: win64
	@scripts/screenshots.sh build/win64

bench: deps
	@bench/run.sh build/bench $(BENCH_ARGS)

# The list refill and the start-up under Wine (a quarter of an hour).
bench-wine: deps
	@scripts/run-wine-bench.sh build/wine-bench

clean:
	rm -rf build
