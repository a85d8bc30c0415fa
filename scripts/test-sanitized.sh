#!/usr/bin/env bash
# Builds with AddressSanitizer and UndefinedBehaviorSanitizer into build-sanitized/ and runs the unit and
# end-to-end tests there; any memory error or undefined behaviour fails the run. Expects scripts/setup.sh to
# have run. Leaks fail the run too, apart from the deliberate ones listed in scripts/lsan.supp.
set -euo pipefail
cd "$(dirname "$0")/.."
export ASAN_OPTIONS=detect_leaks=1
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
cmake -S . -B build-sanitized -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLEAFBIND_SANITIZE=ON >/dev/null
cmake --build build-sanitized -j"$(nproc)"
ctest --test-dir build-sanitized --output-on-failure -j"$(nproc)" -L "unit|e2e"
