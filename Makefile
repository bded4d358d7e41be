# The two everyday commands:
#   make run    build an optimised binary and start the tool
#   make test   build with the sanitizers and run the whole test suite
# Both install missing Debian packages first.

JOBS ?= $(shell nproc)
TEST_DIR := build/test
RELEASE_DIR := build/release
BENCH_DIR := build/bench

.PHONY: run test bench deps clean

deps:
	@sh scripts/deps.sh

test: deps
	cmake -S . -B $(TEST_DIR) -DCMAKE_BUILD_TYPE=Debug -DSTARTCLOCK_SANITIZE=ON -DSTARTCLOCK_TESTS=ON
	cmake --build $(TEST_DIR) -j $(JOBS)
	ctest --test-dir $(TEST_DIR) --output-on-failure -j $(JOBS) --timeout 300

run: deps
	cmake -S . -B $(RELEASE_DIR) -DCMAKE_BUILD_TYPE=Release -DSTARTCLOCK_TESTS=OFF
	cmake --build $(RELEASE_DIR) -j $(JOBS)
	@if [ -x $(RELEASE_DIR)/src/app/windows/corvalinder ]; then \
		exec $(RELEASE_DIR)/src/app/windows/corvalinder; \
	else \
		echo "The main window is not built yet: there is no program to start." >&2; \
		exit 1; \
	fi

bench: deps
	cmake -S . -B $(BENCH_DIR) -DCMAKE_BUILD_TYPE=Release -DSTARTCLOCK_TESTS=OFF -DSTARTCLOCK_BENCH=ON
	cmake --build $(BENCH_DIR) -j $(JOBS)
	@for b in $(BENCH_DIR)/bench/bench_*; do \
		if [ -f "$$b" ] && [ -x "$$b" ]; then "$$b" || exit 1; fi; \
	done

clean:
	rm -rf build
