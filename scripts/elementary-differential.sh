#!/usr/bin/env bash
# Compares the software sine, cosine and arctangent with the x87 unit over a large sample:
# builds the comparison program with the default preset and runs it with the given count per
# range (default 1,000,000). A fresh seed each run, printed; DUOPIT_SEED=<n> repeats one.
# Exit status 1 if any result differs from the unit's by more than one unit in the last place.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh default duopit_elementary_differential
time build/default/tests/duopit_elementary_differential "${1:-1000000}"
