# Two commands are all a new machine needs:
#   make run    builds the program and starts it
#   make test   builds everything and runs every test
# Both install the Debian packages they need first (scripts/install-deps.sh).

BUILD      ?= build
ASAN_BUILD ?= build-asan
BENCH_BUILD ?= build-bench
WINDOWS_BUILD ?= build-windows
JOBS       ?= $(shell nproc)

.PHONY: run test test-sanitize test-windows bench deps build format clean

deps:
	./scripts/install-deps.sh

$(BUILD)/Makefile: CMakeLists.txt
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD)/Makefile
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/bin/Postwright

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The same tests, built with AddressSanitizer and UndefinedBehaviorSanitizer.
test-sanitize: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DPOSTWRIGHT_SANITIZE=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ctest --output-on-failure -j $(JOBS)

# The core cross-compiled for Windows with mingw-w64, its Windows test
# programs run under Wine.
test-windows: deps
	cmake -S . -B $(WINDOWS_BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(WINDOWS_BUILD) -j $(JOBS)
	JOBS=$(JOBS) ./scripts/run-windows-tests.sh $(WINDOWS_BUILD)

bench: deps
	cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DPOSTWRIGHT_BENCH=ON
	cmake --build $(BENCH_BUILD) -j $(JOBS) --target benchmarks
	./scripts/run-benchmarks.sh $(BENCH_BUILD)

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(BENCH_BUILD) $(WINDOWS_BUILD)
