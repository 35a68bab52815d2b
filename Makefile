# The two commands a newcomer needs: `make run` and `make test`.
.PHONY: run test deps build build-asan clean

deps:
	@scripts/install-deps.sh

build: deps
	@cmake --preset default >/dev/null
	@cmake --build --preset default

build-asan: deps
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan

run: build
	@scripts/run.sh build/default

test: build
	@ctest --preset default
	@$(MAKE) --no-print-directory build-asan
	@ctest --preset asan

clean:
	rm -rf build
