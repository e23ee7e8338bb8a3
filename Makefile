# SPDX-License-Identifier: GPL-3.0-or-later
# Entry points for people and CI. Each target installs what is missing first.
BUILD ?= build
CMAKE_FLAGS ?=
# SANITIZE=1: the same targets in build-asan, built with AddressSanitizer and
# UndefinedBehaviorSanitizer (LeakSanitizer too). `make test` runs the suite in
# all three builds; SANITIZE=0 keeps it to the plain one.
ifeq ($(SANITIZE),1)
BUILD := build-asan
override CMAKE_FLAGS += -DLEVRUN_SANITIZE=ON
endif
# PORTABLE=1: the same in build-portable, built with the paths in plain Qt and C++ that
# other systems take in place of the Linux-only ones; `make test` runs its in-process and
# bad-input tests too (the end-to-end and package tests stay with the build that ships).
CTEST_FLAGS ?=
ifeq ($(PORTABLE),1)
BUILD := build-portable
override CMAKE_FLAGS += -DLEVRUN_PORTABLE=ON
override CTEST_FLAGS += -LE 'e2e|package'
endif

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
	cd $(BUILD) && ctest --output-on-failure $(CTEST_FLAGS)
ifeq ($(SANITIZE)$(PORTABLE),)
	$(MAKE) --no-print-directory test PORTABLE=1
	$(MAKE) --no-print-directory test SANITIZE=1
endif

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

.PHONY: fuzz

# The RIFF WAVE reader under libFuzzer for FUZZ_SECONDS, from the committed
# starting corpus; what it learns stays in build-fuzz/corpus, and an input that
# breaks the reader is written to fuzz/crashes/, which make test replays.
FUZZ_SECONDS ?= 60
fuzz:
	@scripts/install-deps fuzz
	@[ -f build-fuzz/build.ninja ] || cmake -S fuzz -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++
	cmake --build build-fuzz
	mkdir -p build-fuzz/corpus fuzz/crashes
	build-fuzz/fuzz_riffwave -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
		-dict=fuzz/riff.dict -artifact_prefix=fuzz/crashes/ build-fuzz/corpus fuzz/corpus
.PHONY: bench

# The performance table; not part of `make test`. A release build of its own.
BENCH_BUILD ?= build-bench
bench: deps
	@[ -f $(BENCH_BUILD)/build.ninja ] || cmake -S . -B $(BENCH_BUILD) -G Ninja \
		-DCMAKE_BUILD_TYPE=Release -DLEVRUN_BENCH=ON -DBUILD_TESTING=OFF $(CMAKE_FLAGS)
	cmake --build $(BENCH_BUILD) --target levbench-all
	bench/run-bench $(BENCH_BUILD) $(BENCH_REPEATS)
