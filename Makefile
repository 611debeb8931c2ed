# Entry points: `make run ARGS="getHandler --internet"` and `make test`.
BUILD ?= build
ARGS ?=
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: deps build run test test-asan bench fuzz format clean

deps:
	@sh scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/bin/vrax $(ARGS)

# Every test: the normal build, then the same suite under AddressSanitizer and
# UndefinedBehaviorSanitizer.
test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)
	$(MAKE) test-asan

test-asan: deps
	cmake -S . -B $(BUILD)/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVRAX_SANITIZE=ON -DVRAX_BENCH=OFF
	cmake --build $(BUILD)/asan -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --test-dir $(BUILD)/asan --output-on-failure -j $(JOBS)

bench: build
	bench/run.sh $(BUILD)

# Coverage-guided fuzzing (clang's libFuzzer) of the command line and of every parser of
# foreign input, each target for FUZZ_SECONDS: FUZZ_SECONDS=600 make fuzz
FUZZ_SECONDS ?= 60
fuzz: deps
	FUZZ_SECONDS=$(FUZZ_SECONDS) fuzz/run.sh $(BUILD)

format:
	find cmdkit platform vrax quietling tests examples bench fuzz \( -name '*.h' -o -name '*.cpp' \) | xargs clang-format -i

clean:
	rm -rf $(BUILD)
