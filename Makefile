# The two commands a newcomer needs: `make run` and `make test`.
.PHONY: run test deps build build-asan build-tsan fuzz clean

deps:
	@scripts/install-deps.sh

build: deps
	@cmake --preset default >/dev/null
	@cmake --build --preset default

build-asan: deps
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan

# ThreadSanitizer over the headless libraries, the CLI and their tests (not the widgets).
build-tsan: deps
	@cmake --preset tsan >/dev/null
	@cmake --build --preset tsan

run: build
	@scripts/run.sh build/default

test: build
	@ctest --preset default
	@$(MAKE) --no-print-directory build-asan
	@ctest --preset asan
	@$(MAKE) --no-print-directory build-tsan
	@ctest --preset tsan
	@$(MAKE) --no-print-directory fuzz

# The project loader under libFuzzer for a minute (clang; see fuzz/CMakeLists.txt).
fuzz: deps
	@CC=clang CXX=clang++ cmake -S fuzz -B build/fuzz -G Ninja >/dev/null
	@cmake --build build/fuzz
	@fuzz/run.sh build/fuzz 60

clean:
	rm -rf build
