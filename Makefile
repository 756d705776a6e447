# The two commands a newcomer needs: `make run` and `make test`.
.PHONY: all test run bench bootstrap native win clean

all: win

bootstrap:
	@scripts/bootstrap

native: bootstrap
	cmake --preset native-asan >/dev/null
	cmake --build --preset native-asan

win: bootstrap
	cmake --preset win >/dev/null
	cmake --build --preset win

test: bootstrap
	@scripts/test-all

run: win
	@scripts/demo

bench: win
	@scripts/bench

clean:
	rm -rf build
