#!/usr/bin/env bash
# Builds the two libFuzzer targets (the .docx reader, the LZX compressor against libmspack's decoder) with clang
# into build-fuzz/ and runs each for a fixed number of inputs from the seeds in the tree. Expects scripts/setup.sh
# to have run.
set -euo pipefail
cd "$(dirname "$0")/.."
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLEAFBIND_FUZZ=ON >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target fuzz_docx_reader chm_lzx_fuzz
ctest --test-dir build-fuzz --output-on-failure -L fuzz
