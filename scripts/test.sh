#!/usr/bin/env bash
# Builds the program and the whole test suite with the given CMake preset, default "default"
# ("sanitize" for the address and undefined-behaviour sanitizers, "clang" for clang), then
# runs the suite.
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-default}
scripts/build.sh "$preset" all
ctest --preset "$preset" -j2
