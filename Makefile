# Entry points for people and CI. Each target installs what is missing first.
BUILD ?= build
CMAKE_FLAGS ?=

.PHONY: all deps configure build run test clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@[ -f $(BUILD)/build.ninja ] || cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD)

run: build
	$(BUILD)/levrun

test: build
	cd $(BUILD) && ctest --output-on-failure

clean:
	rm -rf $(BUILD)

.PHONY: install package demo

# Installs into PREFIX (DESTDIR, when set, is put in front as usual).
PREFIX ?= /usr/local
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# The Debian package, in the build folder.
package: build
	cd $(BUILD) && cpack -G DEB

# Levrun on a made-up game folder with a stand-in duke3d: no game needed.
demo: build
	scripts/make-demo $(BUILD)

.PHONY: bench

# The performance table; not part of `make test`. A release build of its own.
BENCH_BUILD ?= build-bench
bench: deps
	@[ -f $(BENCH_BUILD)/build.ninja ] || cmake -S . -B $(BENCH_BUILD) -G Ninja \
		-DCMAKE_BUILD_TYPE=Release -DLEVRUN_BENCH=ON -DBUILD_TESTING=OFF $(CMAKE_FLAGS)
	cmake --build $(BENCH_BUILD) --target levbench-all
	bench/run-bench $(BENCH_BUILD) $(BENCH_REPEATS)
