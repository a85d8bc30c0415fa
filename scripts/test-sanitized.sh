#!/usr/bin/env bash
# Builds with AddressSanitizer and UndefinedBehaviorSanitizer into build-sanitized/ and runs the unit and
# end-to-end tests there; any memory error or undefined behaviour fails the run. Expects scripts/setup.sh to
# have run. Leak checks stay off: the converter detaches its heading references without releasing them, as it
# must, and those few objects are reported at exit.
set -euo pipefail
cd "$(dirname "$0")/.."
export ASAN_OPTIONS=detect_leaks=0
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
cmake -S . -B build-sanitized -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLEAFBIND_SANITIZE=ON >/dev/null
cmake --build build-sanitized -j"$(nproc)"
ctest --test-dir build-sanitized --output-on-failure -j"$(nproc)" -L "unit|e2e"
