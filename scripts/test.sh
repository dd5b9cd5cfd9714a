#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test headless in build/, then again what the
# sanitizers add, built with AddressSanitizer and UndefinedBehaviorSanitizer in build-asan/: the
# cores, the laser link, the module's connection, the records store, remote control, the simulator
# with its fault tables, libKetrolanLib.so and the fuzz corpora. The window tests (UNSANITIZED in
# tests/CMakeLists.txt), the benchmarks, the end-to-end tests and the Debian package run once, in
# the first stage.
# Fails when either run fails.
set -uo pipefail
cd "$(dirname "$0")/.."
export QT_QPA_PLATFORM=offscreen

BUILD_DIR=${VXM_BUILD_DIR:-build}
ASAN_DIR=${VXM_ASAN_BUILD_DIR:-build-asan}
failed=()

if VXM_BUILD_DIR=$BUILD_DIR scripts/setup.sh; then
  ctest --test-dir "$BUILD_DIR" --output-on-failure -j2 || failed+=("tests in $BUILD_DIR")
else
  failed+=("build of $BUILD_DIR")
fi

# Any sanitizer report fails the test that triggered it. Leaks are checked at every exit; the
# suppressions file lists the library-internal leaks we have proven are not ours.
export ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:check_initialization_order=1:detect_odr_violation=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/sanitizer/lsan.supp:print_suppressions=0
if VXM_BUILD_DIR=$ASAN_DIR scripts/setup.sh -DCMAKE_BUILD_TYPE=Debug -DVXM_SANITIZE=ON -DVXM_BUILD_PERF=OFF -DVXM_BUILD_E2E=OFF; then
  ctest --test-dir "$ASAN_DIR" --output-on-failure -j2 || failed+=("tests in $ASAN_DIR")
else
  failed+=("build of $ASAN_DIR")
fi

if [ ${#failed[@]} -gt 0 ]; then
  printf 'FAILED: %s\n' "${failed[@]}" >&2
  exit 1
fi
echo "All tests passed, with and without sanitizers."
