# The two commands a newcomer needs: `make run` and `make test`.
.PHONY: all test run dist screenshots bench bootstrap native win clean

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

# Builds only the program, its documents and the demo (no test program), then runs it.
run: bootstrap
	@scripts/demo

# The release zip and the installer, in build/dist/.
dist: bootstrap
	@scripts/build-targets "the release zip and the installer" dist
	@ls -1 build/dist/Tidewell-*

# A picture of every window on the demo catalogue in build/screenshots/, and the README's
# picture docs/main-window.png.
screenshots: bootstrap
	@scripts/build-targets "tidewell.exe, the demo seeder and uninstaller" tidewell tidewell-documents tidewell-seed
	@scripts/screenshots
	@cp build/screenshots/readme-main-window.png docs/main-window.png

bench: win
	@scripts/bench

clean:
	rm -rf build
