#!/usr/bin/env bash
# Checks the tree before anything is built: every C++ file formatted as .clang-format says, and no include from a
# lower layer to a higher one.
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
scripts/check-includes.sh
