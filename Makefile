# The commands a player or a developer runs. Each installs what it lacks first.
JOBS ?= 2
# Tests run side by side, one per processor.
TEST_JOBS ?= $(shell nproc)
# How long each fuzz target runs.
FUZZ_SECONDS ?= 60
# Where `make install` puts the game; DESTDIR, when given, goes before it.
PREFIX ?= /usr/local

# CMake's progress lines without make's "Entering directory" ones.
MAKEFLAGS += --no-print-directory

.PHONY: play build test lint bench measure fuzz mutants windows package lintian install uninstall clean

# ---- sudo -------------------------------------------------------------------
# `sudo make ...` installs the packages the goals need as root, and makes
# everything else as the user who typed sudo, so that build/ and the saved game
# stay theirs and a later `make play` without sudo works. Only the copy into
# PREFIX (install, uninstall) and clean stay with root.
ifneq ($(filter-out 0,$(SUDO_UID)),)
ifeq ($(shell id -u),0)
AS_SUDO := 1
endif
endif

ifdef AS_SUDO
GOALS := $(or $(MAKECMDGOALS),play)
USER_GOALS := $(strip $(filter-out install uninstall clean,$(GOALS)) $(if $(filter install,$(GOALS)),build))
ROOT_GOALS := $(filter install uninstall clean,$(GOALS))
AS_USER := setpriv --reuid=$(SUDO_UID) --regid=$(SUDO_GID) --init-groups \
	env HOME=$(shell getent passwd $(SUDO_UID) | cut -d: -f6) SUDO_UID=

.PHONY: $(GOALS) sudo-handoff
$(GOALS): sudo-handoff ; @:
sudo-handoff:
	@for goal in $(GOALS); do case $$goal in \
	    build|install) tools/deps.sh play ;; measure) tools/deps.sh bench ;; \
	    lintian) tools/deps.sh package && tools/deps.sh lintian ;; \
	    lint) tools/deps.sh lint && tools/deps.sh manual ;; mutants-check) tools/deps.sh mutants ;; \
	    uninstall|clean) ;; *) tools/deps.sh $$goal ;; esac || exit 1; done
	$(if $(USER_GOALS),@$(AS_USER) $(MAKE) $(USER_GOALS))
	$(if $(ROOT_GOALS),@$(MAKE) SUDO_UID= $(ROOT_GOALS) NO_BUILD=1)
	$(if $(filter install uninstall,$(ROOT_GOALS)),@for file in build/release/install_*.txt; do \
	    [ ! -e "$$file" ] || chown $(SUDO_UID):$(SUDO_GID) "$$file"; done)
else
# ---- end of sudo --------------------------------------------------------------

# The build's log stays in build/release/build.log: a player sees the title,
# not the compiler's lines above it.
play:
	@tools/deps.sh play
	@tools/quietly.sh build/release/build.log $(MAKE) build
	@./build/release/quillonex

build:
	@tools/deps.sh play
	@cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DQUILLONEX_WERROR=OFF >/dev/null
	@cmake --build build/release -j $(JOBS) --target quillonex

# ---- install and package ----------------------------------------------------
# Through CMake's install rules (see cmake/install.cmake). NO_BUILD: the build
# was already made, by another user.
# The folders that an install makes (of these, deepest first, and PREFIX
# itself) are noted in build/release/install_folders.txt; uninstall removes
# them again once they are empty, and never a folder that was there before.
# share/doc/quillonex is the game's own, removed whole.
INSTALL_FOLDERS := share/doc share/man/man6 share/man share games
FOLDER_RECORD := build/release/install_folders.txt
TARGET := $(DESTDIR)$(PREFIX)

install: $(if $(NO_BUILD),,build)
	@for sub in $(INSTALL_FOLDERS) ""; do folder="$(TARGET)$${sub:+/$$sub}"; \
	    [ -d "$$folder" ] || echo "$$folder"; done >>$(FOLDER_RECORD)
	DESTDIR="$(DESTDIR)" cmake --install build/release --prefix "$(PREFIX)" --strip

uninstall:
	rm -f "$(TARGET)/games/quillonex" "$(TARGET)/share/man/man6/quillonex.6"
	rm -rf "$(TARGET)/share/doc/quillonex"
	@[ ! -f $(FOLDER_RECORD) ] || { \
	    for sub in $(INSTALL_FOLDERS) ""; do folder="$(TARGET)$${sub:+/$$sub}"; \
	        if [ -d "$$folder" ] && grep -qxF "$$folder" $(FOLDER_RECORD); then \
	            rmdir --ignore-fail-on-non-empty "$$folder"; fi; done; \
	    while IFS= read -r folder; do [ ! -d "$$folder" ] || echo "$$folder"; done <$(FOLDER_RECORD) >$(FOLDER_RECORD).new; \
	    mv $(FOLDER_RECORD).new $(FOLDER_RECORD); }

# A Debian package of the release build, made by CPack, in build/release/package.
package:
	@tools/deps.sh package
	@$(MAKE) build
	@cmake --build build/release -j $(JOBS) --target debian_files
	@cpack --config build/release/CPackConfig.cmake
	@echo "Built $$(ls build/release/package/quillonex_*.deb)"

# The package checked by lintian: no error and no warning (README, "Install
# and package", says which warning is overridden and why), and among the
# informational tags none that says a hardening flag is missing.
lintian: package
	@tools/deps.sh lintian
	@status=0; lintian -I --fail-on error,warning build/release/package/quillonex_*.deb \
	    >build/release/lintian.log 2>&1 || status=$$?; cat build/release/lintian.log; \
	    [ $$status -eq 0 ] || exit $$status; \
	    ! grep hardening- build/release/lintian.log >/dev/null || { echo "Debian's hardening flags are missing"; exit 1; }
	@echo "lintian: no error, no warning, no hardening tag"
# ---- end of install and package ---------------------------------------------

# The tests run twice: as built for debugging, and under AddressSanitizer and
# UndefinedBehaviorSanitizer, built by Clang, whose reports can be sent to files
# (see tests/CMakeLists.txt).
test:
	@tools/deps.sh test
	cmake -S . -B build/debug -DCMAKE_BUILD_TYPE=Debug -DBUILD_TESTING=ON -DQUILLONEX_WERROR=ON
	cmake --build build/debug -j $(JOBS)
	ctest --test-dir build/debug --output-on-failure -j $(TEST_JOBS)
	cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ -DQUILLONEX_SANITIZE=ON \
		-DBUILD_TESTING=ON -DQUILLONEX_WERROR=ON
	cmake --build build/asan -j $(JOBS)
	ctest --test-dir build/asan --output-on-failure -j $(TEST_JOBS)

# clang-tidy (checks in .clang-tidy) and cppcheck over every source of the
# project; both must find nothing (see tools/lint.sh).
lint:
	@tools/deps.sh lint
	@tools/deps.sh manual
	@echo "== manual page"; findings=$$(groff -t -man -ww -z docs/quillonex.6 2>&1); \
	    [ -z "$$findings" ] || { echo "$$findings"; exit 1; }; echo "groff: no findings"
	@JOBS=$(JOBS) tools/lint.sh

bench:
	@tools/deps.sh bench
	cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DQUILLONEX_BENCH=ON
	cmake --build build/bench -j $(JOBS)
	@for b in build/bench/bench/bench_*; do echo "== $$b"; $$b || exit 1; done

# The figures of docs/performance.md that concern the game as it runs, on the
# release build of the benchmarks' folder: what a draw writes and how long it
# takes, how soon a key shows, the processor time while the game waits, and
# its peak memory at level 100, and how far apart the palettes' colours look.
# About two minutes.
measure:
	@tools/deps.sh bench
	cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DQUILLONEX_BENCH=ON
	cmake --build build/bench -j $(JOBS)
	@echo "== machine: $$(nproc) processors, $$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2-), load $$(cut -d' ' -f1-3 /proc/loadavg)"
	build/bench/bench/bench_draw
	build/bench/bench/bench_latency
	bench/idle_cpu.sh build/bench/quillonex 10
	build/bench/bench/peak_memory
	build/bench/bench/colour_distances

# Small faults planted in the game's sources one at a time, a fixed random
# sample of them, each run against the unit, POSIX and end-to-end tests (see
# tools/mutants/mutants.py). About an hour: it stays out of CI. The report
# grows in build/mutants/report.tsv; MUTANTS_FLAGS=--resume goes on from it.
SEED ?= 17
SAMPLE ?= 300
mutants:
	@tools/deps.sh test
	@tools/deps.sh mutants
	nice /usr/bin/python3 tools/mutants/mutants.py --seed $(SEED) --sample $(SAMPLE) $(MUTANTS_FLAGS)
	@/usr/bin/python3 tools/mutants/mutants.py --summary

# Which entries of tools/mutants/equivalent.tsv (and listed.tsv) match no fault,
# or several, in the tree as it stands: a minute, nothing built or run.
.PHONY: mutants-check
mutants-check:
	@tools/deps.sh mutants
	/usr/bin/python3 tools/mutants/mutants.py --check-list

# Each target starts from the seeds in fuzz/corpus, copied into the build
# folder so that what a run finds never lands in the repository by itself.
fuzz:
	@tools/deps.sh fuzz
	cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DQUILLONEX_FUZZ=ON \
		-DBUILD_TESTING=OFF -DQUILLONEX_WERROR=ON
	cmake --build build/fuzz -j $(JOBS) --target record_fuzz keys_fuzz
	@for t in record keys; do \
	    mkdir -p build/fuzz/corpus/$$t build/fuzz/findings && \
	    cp fuzz/corpus/$$t/* build/fuzz/corpus/$$t/ && \
	    echo "== $${t}_fuzz for $(FUZZ_SECONDS) s" && \
	    build/fuzz/fuzz/$${t}_fuzz -max_total_time=$(FUZZ_SECONDS) -timeout=10 \
	        $$( [ -f fuzz/$$t.dict ] && echo -dict=fuzz/$$t.dict ) \
	        -artifact_prefix=build/fuzz/findings/$$t- build/fuzz/corpus/$$t \
	        >build/fuzz/$$t.log 2>&1 || { cat build/fuzz/$$t.log; exit 1; }; \
	    tail -n 1 build/fuzz/$$t.log; \
	done

# Cross-compiled with mingw-w64; the tests run under wine, in a wine prefix of
# the build's own (made on the first run, quietly, without Mono or Gecko).
WINDOWS_BUILD := $(CURDIR)/build/windows
WINE_ENV := WINEPREFIX="$(WINDOWS_BUILD)/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

windows:
	@tools/deps.sh windows
	cmake -S . -B "$(WINDOWS_BUILD)" -DCMAKE_BUILD_TYPE=Release \
		-DCMAKE_TOOLCHAIN_FILE="$(CURDIR)/cmake/mingw-w64-x86_64.cmake" -DBUILD_TESTING=ON -DQUILLONEX_WERROR=ON
	cmake --build "$(WINDOWS_BUILD)" -j $(JOBS)
	@[ -d "$(WINDOWS_BUILD)/wineprefix/drive_c" ] || { echo "Making the wine prefix"; \
		$(WINE_ENV) wineboot -i >/dev/null 2>&1; }
	@# wine's server and services outlive the program that starts them. Started
	@# by a test, they would hold ctest's output open after the last test, and
	@# ctest would wait for them until its time-out: they start here, and stop
	@# after the tests, whatever the outcome.
	@$(WINE_ENV) wineserver -p </dev/null >/dev/null 2>&1; $(WINE_ENV) wineboot </dev/null >/dev/null 2>&1; \
		status=0; $(WINE_ENV) ctest --test-dir "$(WINDOWS_BUILD)" --output-on-failure -j $(TEST_JOBS) || status=$$?; \
		$(WINE_ENV) wineserver -k 2>/dev/null; exit $$status
	@echo "Built $(WINDOWS_BUILD)/quillonex.exe and $$(ls "$(WINDOWS_BUILD)"/quillonex-*-win64.zip)"

clean:
	rm -rf build

endif
