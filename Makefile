# The two commands of the README, and the steps they are made of. Each step installs what it
# needs first (scripts/install-deps.sh); ./make.sh installs make itself on a fresh machine.
WINVER ?= win98
JOBS ?= 2
DRIVERS ?= medium/sample

.PHONY: run test deps build host host-asan win32 win64 check-binaries medium medium-tests e2e docs clean

run: deps win64 medium
	python3 e2e/run.py --root . --demo $(WINVER)

test: deps host host-asan win32 win64 check-binaries medium-tests e2e

deps:
	@bash scripts/install-deps.sh

build: host host-asan win32 win64

# Each build is its preset's configure, build and test (CMakePresets.json).
host host-asan: deps
	cmake --preset $@ >/dev/null
	cmake --build --preset $@ -j$(JOBS)
	@find build/$@ -name '*.gcda' -delete
	ctest --preset $@ -j$(JOBS)
	@cd build/$@ && ctest -R InstallThenUninstallGivesBackTheOtherLines --verbose | grep 'round trips'
	@if [ $@ = host ]; then $(COVERAGE); fi

# Which lines of the actions and procedures the host tests executed.
COVERAGE = gcovr --root . --filter actions/ --filter procedures/ build/host | sed -n '/^File/,$$p'

win32 win64: deps
	cmake --preset $@ >/dev/null
	cmake --build --preset $@ -j$(JOBS)
	ctest --preset $@

check-binaries: win32 win64
	bash scripts/check-binaries.sh

# The installation medium as it ships, from the drivers in DRIVERS.
medium: deps host win32
	bash scripts/make-medium.sh $(DRIVERS)

medium-tests: deps host win32
	bash scripts/test-medium.sh

e2e: deps host win64 medium
	ctest --preset e2e

# The README's pictures, taken anew by the end-to-end runs.
docs: deps host win64 medium
	python3 e2e/run.py --root . --docs

clean:
	rm -rf build
