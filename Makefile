# Entry points. `make demo` shows the tool at work in a throwaway XDG tree;
# `make run ARGS="getHandler --internet"` runs it on your own desktop; `make test` runs
# every test. Each first checks (as root: installs) the Debian packages it needs.
BUILD ?= build
ARGS ?=
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
PREFIX ?= /usr/local

# The project's own builds treat warnings as errors; a plain `cmake` does not.
CONFIGURE = cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVRAX_WERROR=ON $(CMAKE_FLAGS)

.PHONY: deps build run demo test test-asan bench fuzz deb lintian install uninstall format clean

deps:
	@sh scripts/install-deps.sh build

build: deps
	$(CONFIGURE)
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/bin/vrax $(ARGS)

# A short tour in a temporary XDG tree made from tests/fixtures; your files stay untouched.
demo:
	@sh scripts/install-deps.sh demo
	$(CONFIGURE)
	cmake --build $(BUILD) -j $(JOBS)
	@sh scripts/demo.sh $(BUILD)

# Every test: the normal build, then the same suite under AddressSanitizer and
# UndefinedBehaviorSanitizer.
test:
	@sh scripts/install-deps.sh test
	$(CONFIGURE) -DVRAX_TESTS=ON
	cmake --build $(BUILD) -j $(JOBS)
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)
	$(MAKE) test-asan

test-asan:
	@sh scripts/install-deps.sh test
	cmake -S . -B $(BUILD)/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVRAX_WERROR=ON \
	  -DVRAX_TESTS=ON -DVRAX_SANITIZE=ON
	cmake --build $(BUILD)/asan -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --test-dir $(BUILD)/asan --output-on-failure -j $(JOBS)

bench:
	@sh scripts/install-deps.sh bench
	$(CONFIGURE) -DVRAX_BENCH=ON
	cmake --build $(BUILD) -j $(JOBS)
	bench/run.sh $(BUILD)

# Coverage-guided fuzzing (clang's libFuzzer) of the command line and of every parser of
# foreign input, each target for FUZZ_SECONDS: FUZZ_SECONDS=600 make fuzz
FUZZ_SECONDS ?= 60
fuzz:
	@sh scripts/install-deps.sh fuzz
	FUZZ_SECONDS=$(FUZZ_SECONDS) fuzz/run.sh $(BUILD)

# The Debian package vrax_VERSION_ARCH.deb, in $(BUILD); `make lintian` checks it.
deb:
	@sh scripts/install-deps.sh deb
	$(CONFIGURE)
	cmake --build $(BUILD) -j $(JOBS)
	cd $(BUILD) && cpack -G DEB
	@ls $(BUILD)/vrax_*.deb
	@# With the tests configured (make test), unpack the package and run it from there.
	@if [ -f $(BUILD)/tests/install/CTestTestfile.cmake ]; then \
	  ctest --test-dir $(BUILD) -R '^package\.' --output-on-failure; fi

lintian: deb
	lintian --info $(BUILD)/vrax_*.deb

# Installs stripped into PREFIX (/usr/local by default); `make uninstall` removes
# exactly the files the last install wrote.
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

uninstall:
	cmake --build $(BUILD) --target uninstall

format:
	find cmdkit platform vrax quietling tests examples bench fuzz \( -name '*.h' -o -name '*.cpp' \) | xargs clang-format -i

clean:
	rm -rf $(BUILD)
