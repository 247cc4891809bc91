# A thin layer over CMake. `make demo` builds an optimised binary and prints
# the report of the bundled sample log; `make test` builds and runs every test.

JOBS ?= $(shell nproc)

.PHONY: demo test sanitize tsan portable deps test-deps release clean

# What the program needs; the tests need GoogleTest besides.
deps:
	@sh .ci/deps

test-deps:
	@sh .ci/deps test

release: deps
	cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
	cmake --build build/release -j $(JOBS)

demo: release
	./build/release/vantrix -cExample examples/sample.log

test: test-deps
	cmake -S . -B build/debug -DCMAKE_BUILD_TYPE=Debug -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
	cmake --build build/debug -j $(JOBS)
	cd build/debug && ctest --output-on-failure -j $(JOBS)

sanitize: test-deps
	cmake -S . -B build/sanitize -DCMAKE_BUILD_TYPE=Debug -DVANTRIX_SANITIZE=ON
	cmake --build build/sanitize -j $(JOBS)
	cd build/sanitize && ctest --output-on-failure -j $(JOBS)

# Every test under the thread sanitizer (large files are read on one thread
# per usable core).
tsan: test-deps
	cmake -S . -B build/tsan -DCMAKE_BUILD_TYPE=Debug -DVANTRIX_TSAN=ON
	cmake --build build/tsan -j $(JOBS)
	cd build/tsan && ctest --output-on-failure -j $(JOBS)

# Every test with the vector code switched off: the portable byte scans that
# a machine without SSE2 runs.
portable: test-deps
	cmake -S . -B build/portable -DCMAKE_BUILD_TYPE=Debug -DVANTRIX_PORTABLE=ON \
	  -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
	cmake --build build/portable -j $(JOBS)
	cd build/portable && ctest --output-on-failure -j $(JOBS)

# `make install` copies the program and its manual page under PREFIX
# (DESTDIR=/some/root stages them there instead); `make package` leaves a
# Debian package in build/release.
PREFIX ?= /usr/local

.PHONY: install package

install: release
	DESTDIR="$(DESTDIR)" cmake --install build/release --prefix "$(PREFIX)"

package: release
	cd build/release && cpack -G DEB

clean:
	rm -rf build

# Builds Release into build/bench, generates the benchmark logs once (kept in
# ~/.cache/vantrix-bench) and compares vantrix with wc -l and its peers;
# writes bench/RESULTS.md. `make bench BENCH_ARGS="--runs 3"` passes options.
.PHONY: bench
bench: deps
	JOBS=$(JOBS) bench/run.sh $(BENCH_ARGS)

# The three report formats side by side on the same log, beside the text
# report of main; writes bench/FORMATS.md (bench/formats.sh --help).
.PHONY: bench-formats
bench-formats: deps
	JOBS=$(JOBS) bench/formats.sh $(BENCH_ARGS)

# vantrix on the realistic log compressed, beside the same log plain, gzip -dc
# and zcat | wc -l; puts its table in bench/RESULTS.md (bench/gzip.sh --help).
.PHONY: bench-gzip
bench-gzip: deps
	JOBS=$(JOBS) bench/gzip.sh $(BENCH_ARGS)

# Where the time goes, stage by stage, on one thread and on every core, with
# what more cores would reach; writes bench/STAGES.md (bench/stages.sh --help).
.PHONY: bench-stages
bench-stages: deps
	JOBS=$(JOBS) bench/stages.sh $(BENCH_ARGS)

# Builds the fuzz targets with clang in build/fuzz and runs each for
# FUZZ_SECONDS seconds (10 minutes unless given); see fuzz/run.sh.
FUZZ_SECONDS ?= 600
.PHONY: fuzz
fuzz:
	fuzz/run.sh $(FUZZ_SECONDS)

# vantrix.exe for 64-bit Windows, cross-compiled with Debian's MinGW-w64
# into build/windows (`.ci/deps windows` installs the cross tools and Wine);
# `make test-windows` runs the unit tests and the end-to-end cases on it
# under Wine; `make windows-package` zips it with the README and manual.
WINDOWS_BUILD = build/windows
.PHONY: windows test-windows windows-package
windows:
	@sh .ci/deps windows
	cmake -S . -B $(WINDOWS_BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
	  -DCMAKE_BUILD_TYPE=Release -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
	cmake --build $(WINDOWS_BUILD) -j $(JOBS) --target vantrix
	file $(WINDOWS_BUILD)/vantrix.exe

test-windows:
	@sh .ci/deps windows
	cmake -S . -B $(WINDOWS_BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
	  -DCMAKE_BUILD_TYPE=Release -DCMAKE_COMPILE_WARNING_AS_ERROR=ON -DBUILD_TESTING=ON
	cmake --build $(WINDOWS_BUILD) -j $(JOBS)
	tests/windows/run_unit.sh $(WINDOWS_BUILD)
	tests/e2e/run_windows.sh $(WINDOWS_BUILD)

windows-package: windows
	bash .ci/windows-package $(WINDOWS_BUILD)
