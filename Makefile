# Clangster: build the Linux host tools and tests and the 32-bit Windows
# program, and run it or its tests under Wine.
#
#   make run [SCHEME=path/to/file.scheme]   build and start the board
#   make test                               build and run every test
#   make build                              build both trees
#   make companion                          build the Companion module's package
#   make bench                              measure the board against the floor program
#   make soak                               work the board for minutes, compare its figures
#   make fuzz [FUZZ_SECONDS=60]             fuzz each target for that long
#
# build/host  native (Ninja, Debug with sanitizers): asset and demo
#             generators, unit tests, e2e harness and tests
# build/win   MinGW-w64 i686 (Ninja, Release): Clangster.exe, the trigger
#             tool and the Win32 tests; needs the assets of build/host
# build/companion/clangster.tgz  the Companion module (companion/), for
#             Companion's developer modules folder

SHELL := /bin/bash
.SHELLFLAGS := -eo pipefail -c
.DEFAULT_GOAL := build

ROOT := $(abspath $(dir $(lastword $(MAKEFILE_LIST))))
HOST_DIR := $(ROOT)/build/host
WIN_DIR := $(ROOT)/build/win
HOST_BUILD_TYPE ?= Debug
WIN_BUILD_TYPE ?= Release
JOBS ?= 2
NICE := nice -n 10
CTEST_FLAGS ?= --output-on-failure
CTEST_TIMEOUT ?= 600
FUZZ_SECONDS ?= 60
FUZZ_TARGETS := wav scheme trigger settings osc
FUZZ_WORK := $(ROOT)/build/fuzz-work
# Rebuilds in several checkouts share compiled objects when ccache is there.
CCACHE := $(shell command -v ccache 2>/dev/null)
LAUNCHER := $(if $(CCACHE),-DCMAKE_C_COMPILER_LAUNCHER=$(CCACHE) -DCMAKE_CXX_COMPILER_LAUNCHER=$(CCACHE))

EXE := $(WIN_DIR)/app/Clangster.exe
DEMO_SCHEME := $(HOST_DIR)/demo/demo.scheme
SCHEME ?= $(DEMO_SCHEME)

# Sanitizer reports with stacks; leaks count as failures.
export ASAN_OPTIONS ?= detect_leaks=1
export UBSAN_OPTIONS ?= print_stacktrace=1:halt_on_error=1

.PHONY: all build build-host build-win configure-host configure-win deps \
        companion run test test-host test-win test-e2e bench soak fuzz clean distclean

all: build

deps:
	@$(ROOT)/scripts/install-deps.sh

# Configuring again is cheap and keeps the cache in step with these options.
configure-host:
	@cmake -S $(ROOT) -B $(HOST_DIR) -G Ninja \
	  -DCMAKE_BUILD_TYPE=$(HOST_BUILD_TYPE) \
	  -DCLANGSTER_WIN_BUILD_DIR=$(WIN_DIR) $(LAUNCHER) >/dev/null

configure-win: build-host
	@cmake -S $(ROOT) -B $(WIN_DIR) -G Ninja \
	  -DCMAKE_TOOLCHAIN_FILE=$(ROOT)/cmake/mingw-i686.cmake \
	  -DCMAKE_BUILD_TYPE=$(WIN_BUILD_TYPE) \
	  -DCLANGSTER_ASSETS_DIR=$(HOST_DIR)/assets $(LAUNCHER) >/dev/null

# The host tree goes first: it generates the bitmaps and icon the Windows
# resources include.
build-host: deps configure-host
	$(NICE) cmake --build $(HOST_DIR) -j $(JOBS)

build-win: deps configure-win
	$(NICE) cmake --build $(WIN_DIR) -j $(JOBS)

build: build-host build-win

# The Companion module: its npm packages, again only when the lock file
# changed, and the package, built and checked (manifest included) by
# Companion's own tools.
COMPANION := $(ROOT)/companion
COMPANION_PKG := $(ROOT)/build/companion/clangster.tgz
COMPANION_MODULES := $(COMPANION)/node_modules/.package-lock.json

companion: deps $(COMPANION_PKG)

$(COMPANION_MODULES): $(COMPANION)/package-lock.json
	cd $(COMPANION) && npm ci --no-audit --no-fund --loglevel=error

$(COMPANION_PKG): $(COMPANION_MODULES) $(COMPANION)/package.json $(wildcard $(COMPANION)/companion/*) \
                  $(wildcard $(COMPANION)/src/*.js)
	@mkdir -p $(dir $@)
	cd $(COMPANION) && $(NICE) node_modules/.bin/companion-module-build --output $(basename $@)

# A Linux path on the command line becomes a Wine drive Z: path.
run: build
	@scheme="$(abspath $(SCHEME))"; \
	if [[ ! -f "$$scheme" ]]; then echo "No such scheme: $$scheme" >&2; exit 1; fi; \
	winpath="Z:$${scheme//\//\\}"; \
	echo "Starting Clangster with $$winpath"; \
	CLANGSTER_ENV_MODE=run $(ROOT)/scripts/with-test-env.sh \
	  $(ROOT)/scripts/wine-run.sh $(EXE) "$$winpath"

# All three groups run even when an earlier one fails; the result fails if
# any did. The environment (Xvfb, PulseAudio sink, Wine prefix) is started
# once around all of them. The host group tests the Companion module's package.
test: build companion
	@$(ROOT)/scripts/with-test-env.sh $(MAKE) --no-print-directory test-host test-win test-e2e -k

test-host:
	cd $(HOST_DIR) && ctest $(CTEST_FLAGS) --timeout $(CTEST_TIMEOUT) -j $(JOBS) -LE e2e

test-win:
	cd $(WIN_DIR) && ctest $(CTEST_FLAGS) --timeout $(CTEST_TIMEOUT) -j $(JOBS) --no-tests=ignore

test-e2e:
	cd $(HOST_DIR) && ctest $(CTEST_FLAGS) --timeout $(CTEST_TIMEOUT) -L e2e

# Board against the floor program in one run, a few minutes; prints the
# table and rewrites its section of docs/performance.md. Not part of `test`.
bench: build
	@$(ROOT)/scripts/with-test-env.sh $(HOST_DIR)/tools/bench/clangster-bench --out $(ROOT)/docs/performance.md

# Minutes of triggers, scheme loads, slot reloads and clears, theme and
# layout switches; prints the process's figures before and after and
# rewrites the soak section of docs/soak.md. Not part of `test`.
soak: build
	@$(ROOT)/scripts/with-test-env.sh $(NICE) $(HOST_DIR)/tools/soak/clangster-soak --out $(ROOT)/docs/soak.md

# Each target in turn, from the committed corpus plus what earlier runs found
# (build/fuzz-work/TARGET/corpus); findings land in build/fuzz-work/TARGET/.
# docs/fuzzing.md tells how to keep a reproducer and how to run longer.
fuzz: build-host
	@bin=$(HOST_DIR)/fuzz/fuzz; status=0; \
	if [[ ! -f $(HOST_DIR)/fuzz/CMakeCache.txt ]]; then \
	  echo "make fuzz needs clang and libFuzzer (scripts/install-deps.sh installs them)" >&2; exit 1; fi; \
	for t in $(FUZZ_TARGETS); do \
	  work=$(FUZZ_WORK)/$$t; mkdir -p $$work/corpus; \
	  dict=(); [[ -f $(ROOT)/fuzz/$$t.dict ]] && dict=(-dict=$(ROOT)/fuzz/$$t.dict); \
	  echo "fuzz: $$t for $(FUZZ_SECONDS) s"; \
	  $(NICE) $$bin/$${t}_fuzz -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	    -artifact_prefix=$$work/ "$${dict[@]}" $$work/corpus $(ROOT)/fuzz/corpus/$$t \
	    > $$work/log.txt 2>&1 || { status=1; echo "fuzz: $$t FOUND A FAULT, see $$work/log.txt" >&2; }; \
	  grep -E "^stat::number_of_executed_units|^stat::peak_rss_mb" $$work/log.txt | sed "s/^/fuzz: $$t /" || true; \
	done; exit $$status

clean:
	-cmake --build $(HOST_DIR) --target clean
	-cmake --build $(WIN_DIR) --target clean

# Also drops the Wine prefixes and logs.
distclean:
	rm -rf $(ROOT)/build
