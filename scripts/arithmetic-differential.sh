#!/usr/bin/env bash
# Compares the software arithmetic with the x87 unit on a large number of drawn cases:
#   scripts/arithmetic-differential.sh [COUNT [SEED]]
# COUNT (default 10000000) is shared evenly among add, sub, mul, div and the store; the seed
# is fresh unless given (or set in DUOPIT_ARITHMETIC_SEED) and is printed, so a failing run
# can be repeated. Builds with the default preset first; exits non-zero on any mismatch.
# Needs an x86-64 host.
set -euo pipefail
cd "$(dirname "$0")/.."
count=${1:-10000000}
export CMAKE_BUILD_PARALLEL_LEVEL=${CMAKE_BUILD_PARALLEL_LEVEL:-2}
scripts/build.sh default duopit_arithmetic_differential
start=$(date +%s%N)
status=0
build/default/tests/duopit_arithmetic_differential "$count" ${2:+"$2"} || status=$?
elapsed_ms=$((($(date +%s%N) - start) / 1000000))
printf 'time %d.%03d s\n' $((elapsed_ms / 1000)) $((elapsed_ms % 1000))
exit "$status"
