# The commands a player or a developer runs. Each installs what it lacks first.
JOBS ?= 2

.PHONY: play build test bench clean

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
	ctest --test-dir build/debug --output-on-failure
	cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ -DQUILLONEX_SANITIZE=ON
	cmake --build build/asan -j $(JOBS)
	ctest --test-dir build/asan --output-on-failure

bench:
	@tools/deps.sh bench
	cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DQUILLONEX_TESTS=OFF -DQUILLONEX_BENCH=ON
	cmake --build build/bench -j $(JOBS)
	@for b in build/bench/bench/bench_*; do echo "== $$b"; $$b || exit 1; done

clean:
	rm -rf build
