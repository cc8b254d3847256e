#!/usr/bin/env bash
# Configures, builds and runs every test.
#   scripts/test.sh              plain build in build/
#   scripts/test.sh --sanitize   AddressSanitizer and UBSan build in build-asan/
# CMAKE_BUILD_PARALLEL_LEVEL and CTEST_PARALLEL_LEVEL, when set, give the
# number of build jobs and of tests run at once; each is nproc otherwise.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build
flags=(-DRANGE_WERROR=ON)
if [ "${1:-}" = "--sanitize" ]; then
    build=build-asan
    flags+=(-DRANGE_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug)
    export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
    export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
else
    flags+=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
fi
cmake -S . -B "$build" -G Ninja "${flags[@]}"
cmake --build "$build" --parallel "${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}"
QT_QPA_PLATFORM=offscreen ctest --test-dir "$build" --output-on-failure \
    --parallel "${CTEST_PARALLEL_LEVEL:-$(nproc)}"
