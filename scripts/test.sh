#!/usr/bin/env bash
# Builds and runs the whole test suite with the given CMake preset, default "default"
# ("sanitize" for the address and undefined-behaviour sanitizers, "clang" for clang).
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-default}
scripts/build.sh "$preset"
ctest --preset "$preset" -j2
