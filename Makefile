# The two commands of the README, and the steps they are made of. Each step installs what it
# needs first (scripts/install-deps.sh); ./make.sh installs make itself on a fresh machine.
WINVER ?= win98
JOBS ?= 2
DRIVERS ?= medium/sample

.PHONY: run test test-clock deps format format-check build host host-asan win32 win64 check-binaries medium-check medium \
    medium-tests e2e wine32-machine e2e32 docs clean fuzz fuzz-build fuzz-replay

# Each step adds its time to its phase (build/times/PHASE, in ms); `make test` ends with one line
# of the phases' times.
TIMES := build/times
clock-start = @mkdir -p $(TIMES) && date +%s%N >$(TIMES)/$@.start
clock-stop = @echo $$(( ($$(date +%s%N) - $$(cat $(TIMES)/$@.start)) / 1000000 )) >>$(TIMES)/$(1)

run: deps win64 medium
	python3 e2e/run.py --root . --demo $(WINVER)

test: test-clock deps format-check host host-asan fuzz-replay win32 win64 check-binaries medium-tests e2e e2e32
	@cd $(TIMES) && printf 'make test: host %s s, asan %s s, fuzz %s s, windows builds %s s, medium %s s, e2e %s s, 32-bit Wine machine %s s, e2e32 %s s\n' \
	    $$(for phase in host asan fuzz windows medium e2e wine32 e2e32; do \
	        cat $$phase 2>/dev/null | awk '{t += $$1} END {printf "%.0f\n", t / 1000}'; done)

test-clock:
	@rm -rf $(TIMES)

deps:
	@bash scripts/install-deps.sh

build: host host-asan win32 win64

# The code's style is .clang-format's: `make test` refuses code that it would change, and
# `make format` changes it.
SOURCES = $(shell find app probe actions procedures framework platform medium winsim tests e2e fuzz \
    -name '*.cpp' -o -name '*.h')
format-check: deps
	@clang-format --dry-run --Werror $(SOURCES) || { echo 'make format puts it right' >&2; exit 1; }

format: deps
	clang-format -i $(SOURCES)

# Each build is its preset's configure, build and test (CMakePresets.json). host-asan is built in
# build/host: the host tests' objects linked with the code under test built with the sanitizers.
host host-asan: deps
	$(clock-start)
	cmake --preset host >/dev/null
	cmake --build --preset $@ -j$(JOBS)
	@if [ $@ = host ]; then find build/host -name '*.gcda' -delete; fi
	ctest --preset $@ -j$(JOBS)
	@ctest --preset $@ -R InstallThenUninstallGivesBackTheOtherLines --verbose | grep 'round trips'
	@if [ $@ = host ]; then $(COVERAGE); fi
	$(call clock-stop,$(if $(filter host,$@),host,asan))

# The fuzz targets (fuzz/), built with clang, libFuzzer and the sanitizers in build/fuzz. `make
# fuzz` fuzzes each for FUZZ_SECONDS; `make test` replays the corpus and fuzzes each briefly.
FUZZ_SECONDS ?= 60
fuzz: fuzz-build
	bash fuzz/run.sh $(FUZZ_SECONDS)

fuzz-replay: fuzz-build
	$(clock-start)
	bash fuzz/run.sh replay
	bash fuzz/run.sh 4
	$(call clock-stop,fuzz)

fuzz-build: deps
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz -j$(JOBS)

# Which lines of the actions and procedures the host tests executed (the plain run's).
COVERAGE = gcovr --root . --filter actions/ --filter procedures/ --exclude-directories '.*_sanitized\.dir' \
    build/host | sed -n '/^File/,$$p'

win32 win64: deps
	$(clock-start)
	cmake --preset $@ >/dev/null
	cmake --build --preset $@ -j$(JOBS)
	ctest --preset $@
	$(call clock-stop,windows)

check-binaries: win32 win64
	$(clock-start)
	bash scripts/check-binaries.sh
	$(call clock-stop,windows)

# The medium's checker alone, from the host tree: all that the medium needs of the host build.
medium-check: deps
	cmake --preset host >/dev/null
	cmake --build build/host --target medium_check -j$(JOBS)

# The installation medium as it ships, from the drivers in DRIVERS.
medium: deps medium-check win32
	$(clock-start)
	bash scripts/make-medium.sh $(DRIVERS)
	$(call clock-stop,medium)

medium-tests: deps medium-check win32
	$(clock-start)
	bash scripts/test-medium.sh
	$(call clock-stop,medium)

e2e: deps host win64 medium
	$(clock-start)
	ctest --preset e2e
	$(call clock-stop,e2e)

# The shipping 32-bit Setup.exe on the table's win32 rows, under 32-bit Wine by emulation. Its
# Wine machine is made once per machine (a few minutes) and kept in /var/tmp.
wine32-machine: deps
	$(clock-start)
	bash scripts/wine32-machine.sh make
	$(call clock-stop,wine32)

e2e32: deps host win32 medium wine32-machine
	$(clock-start)
	ctest --preset e2e32
	$(call clock-stop,e2e32)

# The README's pictures, taken anew by the end-to-end runs.
docs: deps host win64 medium
	python3 e2e/run.py --root . --docs

clean:
	rm -rf build
