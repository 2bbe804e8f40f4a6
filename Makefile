# The commands a player or a developer runs. Each installs what it lacks first.
JOBS ?= 2
# Tests run side by side, one per processor.
TEST_JOBS ?= $(shell nproc)
# How long each fuzz target runs.
FUZZ_SECONDS ?= 60

.PHONY: play build test lint bench measure fuzz windows clean

play: build
	@./build/release/quillonex

build:
	@tools/deps.sh play
	@cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DQUILLONEX_TESTS=OFF >/dev/null
	@cmake --build build/release -j $(JOBS) --target quillonex

# The tests run twice: as built for debugging, and under AddressSanitizer and
# UndefinedBehaviorSanitizer, built by Clang, whose reports can be sent to files
# (see tests/CMakeLists.txt).
test:
	@tools/deps.sh test
	cmake -S . -B build/debug -DCMAKE_BUILD_TYPE=Debug
	cmake --build build/debug -j $(JOBS)
	ctest --test-dir build/debug --output-on-failure -j $(TEST_JOBS)
	cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ -DQUILLONEX_SANITIZE=ON
	cmake --build build/asan -j $(JOBS)
	ctest --test-dir build/asan --output-on-failure -j $(TEST_JOBS)

# clang-tidy (checks in .clang-tidy) and cppcheck over every source of the
# project; both must find nothing (see tools/lint.sh).
lint:
	@tools/deps.sh lint
	@JOBS=$(JOBS) tools/lint.sh

bench:
	@tools/deps.sh bench
	cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DQUILLONEX_TESTS=OFF -DQUILLONEX_BENCH=ON
	cmake --build build/bench -j $(JOBS)
	@for b in build/bench/bench/bench_*; do echo "== $$b"; $$b || exit 1; done

# The figures of docs/performance.md that concern the game as it runs, on the
# release build of the benchmarks' folder: what a draw writes and how long it
# takes, how soon a key shows, the processor time while the game waits, and
# its peak memory at level 100. About two minutes.
measure:
	@tools/deps.sh bench
	cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DQUILLONEX_TESTS=OFF -DQUILLONEX_BENCH=ON
	cmake --build build/bench -j $(JOBS)
	@echo "== machine: $$(nproc) processors, $$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2-), load $$(cut -d' ' -f1-3 /proc/loadavg)"
	build/bench/bench/bench_draw
	build/bench/bench/bench_latency
	bench/idle_cpu.sh build/bench/quillonex 10
	build/bench/bench/peak_memory

# Each target starts from the seeds in fuzz/corpus, copied into the build
# folder so that what a run finds never lands in the repository by itself.
fuzz:
	@tools/deps.sh fuzz
	cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DQUILLONEX_FUZZ=ON -DQUILLONEX_TESTS=OFF
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
WINE_ENV := WINEPREFIX=$(WINDOWS_BUILD)/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

windows:
	@tools/deps.sh windows
	cmake -S . -B $(WINDOWS_BUILD) -DCMAKE_BUILD_TYPE=Release \
		-DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64-x86_64.cmake
	cmake --build $(WINDOWS_BUILD) -j $(JOBS)
	@[ -d $(WINDOWS_BUILD)/wineprefix/drive_c ] || { echo "Making the wine prefix"; \
		$(WINE_ENV) wineboot -i >/dev/null 2>&1; }
	@# Wine's helper processes of the prefix end with the tests, whatever the outcome.
	$(WINE_ENV) ctest --test-dir $(WINDOWS_BUILD) --output-on-failure -j $(TEST_JOBS); \
		status=$$?; $(WINE_ENV) wineserver -k 2>/dev/null; exit $$status
	@echo "Built $(WINDOWS_BUILD)/quillonex.exe"

clean:
	rm -rf build
