# make test: install what is missing, build, run every test (Release, then under ASan + UBSan).
# make demo: install, build, run the station's main job on the built-in simulated device.
# make windows: cross-build quillon.exe, quillon-cli.exe and the tests for 32-bit Windows (build/windows,
# the operators' default) and for 64-bit Windows (build/windows64).
# make test-windows: those tests under Wine on a display of their own, then the window and quillon-cli.exe
# of each width end to end against the Linux simulator.
# make windows-installer: the setup program and the portable archive of both stations
# (build/windows/installer), checked by scripts/check-windows-installer.sh in a scratch Wine prefix.
# make package: the Debian package (build/release/package/quillon_*.deb), checked by lintian and by
# scripts/check-package.sh unpacked into a scratch root.
# make fonts: draw the built-in font assets (fonts/assets) anew from the fonts Debian packages.
# make fuzz: the fuzz targets (clang, libFuzzer, ASan + UBSan), one after another, FUZZ_SECONDS each.
# make soak: the fault campaign, SOAK_JOBS jobs of seed SOAK_SEED, on the ASan + UBSan build (its
#   allocator counts every heap byte, and leaks are reported at the end), then a session of
#   SOAK_SESSION_JOBS jobs on each link in which the heap in use must not grow.
# make soak-tsan: the same campaign, SOAK_TSAN_JOBS jobs, on the thread-sanitizer build (a data race
#   ends it; that allocator counts every heap byte too).
.PHONY: deps build test test-release test-asan test-tsan windows test-windows windows-installer demo bench package fonts fuzz soak soak-tsan format clean

FUZZ_SECONDS ?= 600
SOAK_JOBS ?= 1000
SOAK_SEED ?= 1
SOAK_TSAN_JOBS ?= 300
SOAK_SESSION_JOBS ?= 200

deps:
	@scripts/install-deps.sh

build: deps
	cmake --preset release
	cmake --build --preset release

test: test-release test-asan

test-release: build
	ctest --preset release

test-asan: deps
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan

test-tsan: deps
	cmake --preset tsan
	cmake --build --preset tsan
	ctest --preset tsan

windows:
	@scripts/install-deps.sh windows
	cmake --preset windows
	cmake --build --preset windows
	cmake --preset windows64
	cmake --build --preset windows64

test-windows: windows build
	scripts/wine-prefix.sh
	scripts/with-display.sh scripts/wine-operator-server.sh sh -c 'ctest --preset windows && ctest --preset windows64 && ctest --preset wine -j2'

windows-installer: windows build
	cmake --build --preset windows --target windows-installer
	scripts/check-windows-installer.sh build/windows/installer build/release

demo: build
	scripts/demo.sh

bench: build
	scripts/bench.sh

package:
	@scripts/install-deps.sh package
	cmake --preset release
	cmake --build --preset release
	# The .deb goes into build/release/package, which is also the package layer's build directory:
	# only CPack's own files are removed, not the layer's install script.
	rm -rf build/release/package/_CPack_Packages build/release/package/quillon_*.deb
	cmake --build --preset release --target package
	lintian --fail-on error --display-info build/release/package/quillon_*.deb
	scripts/check-package.sh build/release/package/quillon_*.deb build/release/tools/quillon-samplegen

fonts:
	@scripts/install-deps.sh fonts
	cmake --preset release
	cmake --build --preset release --target quillon-fontgen
	build/release/tools/quillon-fontgen fonts/assets

fuzz:
	@scripts/install-deps.sh fuzz
	scripts/fuzz.sh $(FUZZ_SECONDS)

soak: deps
	cmake --preset asan
	cmake --build --preset asan --target quillon-faults
	ASAN_OPTIONS=detect_leaks=1 build/asan/tests/campaign/quillon-faults --seed $(SOAK_SEED) --jobs $(SOAK_JOBS) \
	  --long-session $(SOAK_SESSION_JOBS)

soak-tsan: deps
	cmake --preset tsan
	cmake --build --preset tsan --target quillon-faults
	TSAN_OPTIONS=halt_on_error=1 build/tsan/tests/campaign/quillon-faults --seed $(SOAK_SEED) \
	  --jobs $(SOAK_TSAN_JOBS) --long-session $(SOAK_SESSION_JOBS)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
